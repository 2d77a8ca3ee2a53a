#pragma once
// Small level worlds for the loader tests: pictures with a distinct colour
// per 32-pixel tile, tileset descriptions and level files written into a
// ScratchDir, and a way to catch the load error a broken file gives.
#include <SDL/SDL.h>

#include <cstdio>
#include <functional>
#include <string>

#include "TestSupport.h"
#include "common/PngWrite.h"
#include "level/Level.h"
#include "level/LoadError.h"

namespace leveldata {

// The colour of tile (column, row) on the tile pictures made here.
inline void tileColour(int column, int row, Uint8& r, Uint8& g, Uint8& b) {
    r = static_cast<Uint8>(10 + column * 20);
    g = static_cast<Uint8>(10 + row * 20);
    b = 77;
}

// A 24-bit picture of width x height whose pixels are colour(x, y).
inline SDL_Surface* makePicture(int width, int height, const std::function<void(int, int, Uint8&, Uint8&, Uint8&)>& colour) {
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0x00FF0000, 0x0000FF00,
                                                0x000000FF, 0);
    SDL_LockSurface(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Uint8 r, g, b;
            colour(x, y, r, g, b);
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch)[x] =
                SDL_MapRGB(surface->format, r, g, b);
        }
    SDL_UnlockSurface(surface);
    return surface;
}

inline bool writePicture(const testsupport::ScratchDir& dir, const std::string& path, SDL_Surface* surface) {
    bool ok = dir.writeSurface(path, surface);
    SDL_FreeSurface(surface);
    return ok;
}

// Tiles of 32 pixels, `step` pixels apart, in tileColour; the pixels between
// tiles are magenta.
inline bool writeTileSheet(const testsupport::ScratchDir& dir, const std::string& path, int columns, int rows,
                           int step = 32) {
    return writePicture(dir, path, makePicture(columns * step, rows * step, [step](int x, int y, Uint8& r, Uint8& g, Uint8& b) {
        if (x % step >= 32 || y % step >= 32) {
            r = 255, g = 0, b = 255;
            return;
        }
        tileColour(x / step, y / step, r, g, b);
    }));
}

// An RGBA PNG (IMG_Load gives a 32-bit surface with alpha for it).
inline bool writePngRGBA(const std::string& path, int width, int height,
                         const std::function<void(int, int, Uint8&, Uint8&, Uint8&)>& colour) {
    return writePngFile(path, width, height, 4, [&](int y, uint8_t* row) {
        for (int x = 0; x < width; ++x, row += 4) {
            colour(x, y, row[0], row[1], row[2]);
            row[3] = 255;
        }
    });
}

// The pictures every level of these tests needs: a tileset image
// "tiles.png" (8 x 8 tiles), a player sheet "player.png" with a colour per
// 32-pixel band, a grey background "back.png", a white mask and the items'
// sheet "./gfx/tileset.png" (27 x 12 tiles, wide enough for the blast).
inline void writeWorldPictures(const testsupport::ScratchDir& dir) {
    writeTileSheet(dir, "tiles.png", 8, 8);
    writeTileSheet(dir, "gfx/tileset.png", 27, 12);
    writePicture(dir, "player.png", makePicture(576, 544, [](int, int y, Uint8& r, Uint8& g, Uint8& b) {
        r = static_cast<Uint8>(y / 32 * 10), g = static_cast<Uint8>(255 - y / 32 * 10), b = 128;
    }));
    dir.writeImage("back.png", 64, 64, 90, 90, 90);
    dir.writeImage("gfx/maski.png", 640, 480, 255, 255, 255);
}

// "desc.txt": the tiles above and the given entry lines.
inline void writeDescription(const testsupport::ScratchDir& dir, const std::string& entries,
                             const std::string& path = "desc.txt") {
    dir.writeFile(path, "tiles.png\n32 32\nplayer.png\n" + entries);
}

// The usual keys: '#' wall, '.' open, '$' water, '?' ladder, 0xA7 rubble.
inline const char* kEntries = "# 0 3 1\n. 1 0 0\n$ 1 1 0\n? 1 2 0\n\xA7 1 4 4\n";

// A level file naming "desc.txt" and "back.png", with N and the rest given.
inline void writeLevel(const testsupport::ScratchDir& dir, const std::string& path, const std::string& count,
                       const std::string& rest) {
    dir.writeFile(path, "desc.txt\nback.png\n" + count + "\n" + rest);
}

// The message of the load error that running `load` gives ("" if none);
// silent tells whether it was a silent one.
inline std::string loadErrorOf(const std::function<void()>& load, bool* silent = nullptr) {
    try {
        load();
    } catch (const LoadError& error) {
        if (silent) *silent = error.silent;
        return error.what();
    }
    return "";
}

inline std::string levelErrorOf(const std::string& path, bool* silent = nullptr) {
    return loadErrorOf([&] { Level level(path, testsupport::screen(), nullptr, 1, false); }, silent);
}

} // namespace leveldata
