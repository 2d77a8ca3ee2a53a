// The cell layer drawn over the items and the player, and the water that
// recolours whatever is already on the screen in a liquid square.
#include <cstdint>

#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "play/View.h"
#include "platform/Platform.h"

namespace {

// The screen holds 20 columns by 15 rows of cells; a liquid square beyond
// that is never seen, and its pixel columns would run past the wave table.
constexpr int VisibleColumns = kScreenWidth / kCellSize;
constexpr int VisibleRows = kScreenHeight / kCellSize;

struct Rgb {
    unsigned r, g, b;
};

// The water's colour for a pixel at `depth` rows below the surface line.
inline Rgb tint(Rgb c, int depth) {
    if (depth == 0) return {(c.r + 60) / 2, (c.g + 60) / 2, (c.b + 200) / 2};
    if (depth == 1) return {(c.r + 80) / 2, (c.g + 80) / 2, (c.b + 215) / 2};
    return {c.r / 4, (c.g / 8) * 7, c.b};
}

uint32_t wavePhase(int timeOffset) {
    uint32_t sum = platform::ticks() + static_cast<uint32_t>(timeOffset);
    return (sum / 32) % kWaveColumns;
}

// A 32-bit format with full 8-bit channels can be read and written straight
// from memory; the result is exactly what SDL_GetRGB and SDL_MapRGB give.
bool directFormat(const SDL_Surface* s) {
    const SDL_PixelFormat* f = s->format;
    return f->BytesPerPixel == 4 && !f->palette && f->Rloss == 0 && f->Gloss == 0 && f->Bloss == 0;
}

// Channel layout of a direct-format surface, read once per square so the
// pixel loop works on locals only.
struct Layout {
    uint32_t rMask, gMask, bMask, aMask;
    unsigned rShift, gShift, bShift;
    explicit Layout(const SDL_PixelFormat* f)
        : rMask(f->Rmask), gMask(f->Gmask), bMask(f->Bmask), aMask(f->Amask), rShift(f->Rshift),
          gShift(f->Gshift), bShift(f->Bshift) {}
    Rgb split(uint32_t v) const { return {(v & rMask) >> rShift, (v & gMask) >> gShift, (v & bMask) >> bShift}; }
    uint32_t join(Rgb c) const { return (c.r << rShift) | (c.g << gShift) | (c.b << bShift) | aMask; }
};

// The square straight in memory: first the two bright rows of each pixel
// column, then the body row by row in the order the bytes lie, without
// branches in the inner loop so that the compiler can vectorise it.
void directSquare(uint8_t* pixels, int pitch, int x0, const int* surface, int last, const Layout& l) {
    int top = last + 1;
    for (int i = 0; i < kCellSize; ++i) {
        top = surface[i] < top ? surface[i] : top;
        for (int depth = 0; depth < 2; ++depth) {
            const int py = surface[i] + depth;
            if (py < 0 || py > last) continue;
            uint32_t* p = reinterpret_cast<uint32_t*>(pixels + py * pitch) + x0 + i;
            *p = l.join(tint(l.split(*p), depth));
        }
    }
    int bodyStart[kCellSize];
    for (int i = 0; i < kCellSize; ++i) bodyStart[i] = surface[i] + 2;
    const uint32_t rMask = l.rMask, gMask = l.gMask, bMask = l.bMask, aMask = l.aMask;
    const unsigned rShift = l.rShift, gShift = l.gShift;
    for (int py = top + 2 < 0 ? 0 : top + 2; py <= last; ++py) {
        uint32_t* __restrict p = reinterpret_cast<uint32_t*>(pixels + py * pitch) + x0;
        for (int i = 0; i < kCellSize; ++i) {
            const uint32_t v = p[i];
            const uint32_t r = ((v & rMask) >> rShift) / 4;
            const uint32_t g = (((v & gMask) >> gShift) / 8) * 7;
            const uint32_t body = (r << rShift) | (g << gShift) | (v & bMask) | aMask;
            p[i] = py >= bodyStart[i] ? body : v;
        }
    }
}

// Recolours one liquid square. `pixels` is the locked pixel buffer when the
// screen has the direct format, null for the general path.
void waterSquare(SDL_Surface* screen, int column, int row, uint32_t phase, uint8_t* pixels) {
    if (column < 0 || row < 0 || column >= VisibleColumns || row >= VisibleRows) return;
    const int bottom = kCellSize * row + 31;
    const int last = bottom < screen->h ? bottom : screen->h - 1;
    const int x0 = kCellSize * column;
    int count = screen->w - x0;
    if (count > kCellSize) count = kCellSize;
    if (count <= 0) return;
    int surface[kCellSize];
    for (int i = 0; i < count; ++i)
        surface[i] = waveTable[(phase + i) % kWaveColumns] * waveTable[x0 + i] + kCellSize * row + 8;

    if (pixels && count == kCellSize) {
        directSquare(pixels, screen->pitch, x0, surface, last, Layout(screen->format));
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int px = x0 + i;
        for (int py = surface[i] < 0 ? 0 : surface[i]; py <= last; ++py) {
            Uint8 r, g, b;
            SDL_GetRGB(getPixel(screen, px, py), screen->format, &r, &g, &b);
            Rgb c = tint({r, g, b}, py - surface[i]);
            putPixel(screen, px, py,
                     SDL_MapRGB(screen->format, static_cast<Uint8>(c.r), static_cast<Uint8>(c.g),
                                static_cast<Uint8>(c.b)));
        }
    }
}

uint8_t* lockDirect(SDL_Surface* screen) {
    if (!directFormat(screen)) return nullptr;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return nullptr;
    return static_cast<uint8_t*>(screen->pixels);
}

void unlockDirect(SDL_Surface* screen, uint8_t* pixels) {
    if (pixels && SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
}

} // namespace

void drawCellSprites(Level& level) {
    SDL_Surface* target = level.screen;
    for (size_t y = 0; y < level.grid.size(); ++y) {
        const std::vector<Cell*>& row = level.grid[y];
        for (size_t x = 0; x < row.size(); ++x) {
            const Cell* cell = row[x];
            if (cell && !cell->liquid && cell->sprite)
                blitRect(cell->sprite, target, 0, 0, kCellSize, kCellSize, static_cast<int>(kCellSize * x),
                         static_cast<int>(kCellSize * y));
        }
    }
}

void drawWaterSquares(Level& level, int timeOffset) {
    SDL_Surface* screen = level.screen;
    // Every square of one pass shares one phase, as one clock reading gives;
    // the clock is read only when there is water, as it always was.
    uint32_t phase = 0;
    uint8_t* pixels = nullptr;
    bool locked = false;
    for (size_t y = 0; y < level.grid.size(); ++y) {
        const std::vector<Cell*>& row = level.grid[y];
        for (size_t x = 0; x < row.size(); ++x) {
            if (!row[x] || !row[x]->liquid) continue;
            if (!locked) {
                phase = wavePhase(timeOffset);
                pixels = lockDirect(screen);
                locked = true;
            }
            waterSquare(screen, static_cast<int>(x), static_cast<int>(y), phase, pixels);
        }
    }
    if (locked) unlockDirect(screen, pixels);
}

void drawCells(Level& level, int timeOffset) {
    // Sprites first, then all the water under one lock (a locked surface
    // cannot be blitted to). The order of the picture is unchanged: a sprite
    // covers only its own square, and the water touches only its own square
    // and the bottom pixel row of the square above, drawn earlier either way.
    drawCellSprites(level);
    drawWaterSquares(level, timeOffset);
}

void drawWater(Level& level, int column, int row, int timeOffset) {
    SDL_Surface* screen = level.screen;
    const uint32_t phase = wavePhase(timeOffset);
    uint8_t* pixels = lockDirect(screen);
    waterSquare(screen, column, row, phase, pixels);
    unlockDirect(screen, pixels);
}
