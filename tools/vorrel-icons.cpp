// Makes the desktop icons (PNG with transparency, in the sizes the build asks
// for) from the game's own pictures: the player on a grass ledge beside a gem.
// Usage: vorrel-icons DATA_DIR OUT_DIR SIZE...   (writes OUT_DIR/vorrel-SIZE.png)
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "common/PngWrite.h"
#include "gfx/Surface.h"
#include "common/CommandLine.h"
#include "common/ToolMain.h"
#include "level/Vocabulary.h"

namespace {

const int kBase = 64; // the icon is composed once at this size, 2 by 2 cells

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

using Picture = std::vector<Rgba>; // size * size, row by row

Rgba pixelAt(SDL_Surface* sheet, int x, int y) {
    Rgba out;
    if (x < 0 || y < 0 || x >= sheet->w || y >= sheet->h) return out;
    const uint32_t value = getPixel(sheet, x, y);
    SDL_GetRGBA(value, sheet->format, &out.r, &out.g, &out.b, &out.a);
    // Magenta is the game's transparent colour.
    if (out.r == 255 && out.g == 0 && out.b == 255) out.a = 0;
    return out;
}

// Copies the 32 by 32 cell at (sx, sy) of the sheet onto the picture at
// (dx, dy), keeping what is below its transparent pixels.
void stamp(Picture& picture, SDL_Surface* sheet, int sx, int sy, int dx, int dy) {
    if (!sheet) return;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const Rgba c = pixelAt(sheet, sx + x, sy + y);
            const int tx = dx + x, ty = dy + y;
            if (c.a == 0 || tx < 0 || ty < 0 || tx >= kBase || ty >= kBase) continue;
            picture[ty * kBase + tx] = c;
        }
}

// Enlarging keeps the pixels sharp; shrinking averages (weighted by opacity)
// so the small icon does not lose whole rows of the drawing.
Picture resize(const Picture& base, int size) {
    Picture out(size * size);
    if (size >= kBase) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) out[y * size + x] = base[(y * kBase / size) * kBase + x * kBase / size];
        return out;
    }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int x0 = x * kBase / size, x1 = (x + 1) * kBase / size;
            const int y0 = y * kBase / size, y1 = (y + 1) * kBase / size;
            double r = 0, g = 0, b = 0, a = 0;
            int n = 0;
            for (int v = y0; v < y1; ++v)
                for (int u = x0; u < x1; ++u) {
                    const Rgba& c = base[v * kBase + u];
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                    ++n;
                }
            Rgba& o = out[y * size + x];
            if (a > 0) {
                o.r = static_cast<uint8_t>(r / a + 0.5);
                o.g = static_cast<uint8_t>(g / a + 0.5);
                o.b = static_cast<uint8_t>(b / a + 0.5);
            }
            o.a = static_cast<uint8_t>(a / n + 0.5);
        }
    return out;
}

bool writeRgbaPng(const Picture& picture, int size, const std::string& path) {
    return writePngFile(path, size, size, 4, [&](int y, uint8_t* row) {
        for (int x = 0; x < size; ++x, row += 4) {
            const Rgba& c = picture[y * size + x];
            row[0] = c.r;
            row[1] = c.g;
            row[2] = c.b;
            row[3] = c.a;
        }
    });
}

const cmdline::Program kProgram{"vorrel-icons",
                                "vorrel-icons DATA_DIR OUT_DIR SIZE...",
                                "Makes the desktop icons OUT_DIR/vorrel-SIZE.png from the game's pictures in DATA_DIR.",
                                {},
                                3,
                                -1,
                                "DATA_DIR, OUT_DIR and a SIZE are needed"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    const std::string data = line.positionals()[0], out = line.positionals()[1];
    SDL_Surface* player = IMG_Load((data + "/gfx/player.png").c_str());
    SDL_Surface* tiles = IMG_Load((data + "/gfx/tileset.png").c_str());
    if (!player || !tiles) {
        std::fprintf(stderr, "vorrel-icons: cannot read %s/gfx/player.png or tileset.png\n", data.c_str());
        return 1;
    }

    Picture base(kBase * kBase);
    stamp(base, tiles, 128, 32, 0, 32);  // forest grass ledge, two cells wide
    stamp(base, tiles, 128, 32, 32, 32);
    stamp(base, player, 0, kPlayerStripLayouts[0].top, 2, 0);               // the player, first frame of walking right
    stamp(base, tiles, sheet::kTreasure.x(), sheet::kTreasure.y(), 32, 4);  // a treasure gem
    SDL_FreeSurface(player);
    SDL_FreeSurface(tiles);

    for (size_t i = 2; i < line.positionals().size(); ++i) {
        const int size = std::atoi(line.positionals()[i]);
        if (size < 1 || size > 1024) return line.usageError(std::string("bad size ") + line.positionals()[i]);
        const std::string path = out + "/vorrel-" + std::to_string(size) + ".png";
        if (!writeRgbaPng(resize(base, size), size, path)) {
            std::fprintf(stderr, "vorrel-icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
