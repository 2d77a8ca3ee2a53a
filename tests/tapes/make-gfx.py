#!/usr/bin/env python3
"""Writes the tiny pictures of the tape test folder (tests/tapes/gfx).

Plain colours only: the tapes prove motion, not looks. Run from anywhere;
the pictures are committed, this only remakes them.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
MAGENTA = (255, 0, 255)


def write_png(name, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    path = os.path.join(HERE, "gfx", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def solid(colour):
    return lambda x, y: colour


# Cells: 0 wall, 1 open (transparent), 2 water, 3 ladder, 4 rubble.
CELL_COLOURS = [(110, 110, 120), MAGENTA, (40, 80, 200), (150, 100, 40), (90, 70, 60)]
write_png("tiles.png", 32 * len(CELL_COLOURS), 32, lambda x, y: CELL_COLOURS[x // 32])


# Items sheet: every 32-pixel tile its own colour, magenta border so the
# keyed sprites show their shape.
def items(x, y):
    if x % 32 in (0, 31) or y % 32 in (0, 31):
        return MAGENTA
    c, r = x // 32, y // 32
    return ((c * 37) % 200 + 40, (r * 53) % 200 + 40, ((c + r) * 29) % 200 + 40)


write_png("tileset.png", 864, 384, items)
write_png("player.png", 576, 544, lambda x, y: MAGENTA if x % 32 < 6 or x % 32 > 25 else (230, 160, 40))
write_png("back.png", 64, 64, lambda x, y: (30, 30, 60) if (x // 8 + y // 8) % 2 else (40, 40, 70))
write_png("maski.png", 640, 480, solid((255, 255, 255)))
write_png("maski_b.png", 640, 480, solid((0, 0, 0)))
write_png("staticalapalkki.png", 576, 64, lambda x, y: MAGENTA if y < 4 else (70, 70, 90))
write_png("fontti.png", 560, 16, lambda x, y: (255, 255, 255) if x % 16 in range(3, 13) and y in range(2, 14) else MAGENTA)
write_png("arrow_left.png", 32, 32, lambda x, y: (255, 255, 0) if x > 31 - abs(16 - y) * 2 else MAGENTA)
write_png("arrow_right.png", 32, 32, lambda x, y: (255, 255, 0) if x < abs(16 - y) * 2 else MAGENTA)
