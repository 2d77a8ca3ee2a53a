#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/SoundBank.h"
#include "gfx/Surface.h"
#include "level/Backdrop.h"
#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "level/LoadMessages.h"
#include "level/LoadError.h"
#include "level/PictureCache.h"
#include "level/Tileset.h"

int waveTable[kWaveColumns];

void fillWaveTable() {
    // pi is taken short on purpose: the water's recorded look depends on it.
    for (int k = 0; k < kWaveColumns; ++k) {
        const double angle = 3.1415926535 * (2 * k) * 0.015625;
        waveTable[k] = static_cast<int>(3 * std::sin(angle));
    }
}

// Delegating to the empty construction first means the level counts as built
// before loading starts: if the load throws, the destructor runs and frees
// whatever had been loaded by then.
Level::Level(const std::string& path, SDL_Surface* screen, SoundBank* sounds, int scale, bool startMusic)
    : Level(screen, sounds, scale) {
    if (startMusic && sounds) sounds->playMusic(MusicLevel);
    fillWaveTable();
    loadLevelFile(*this, path);
}

Level::Level(const LevelText& text, SDL_Surface* screen, SoundBank* sounds, int scale, bool startMusic)
    : Level(screen, sounds, scale) {
    if (startMusic && sounds) sounds->playMusic(MusicLevel);
    fillWaveTable();
    loadLevelText(*this, text);
}

namespace {

// A colour channel of a pixel value, as SDL_GetRGB gives it for 8-bit channels.
inline Uint32 channel(Uint32 pixel, Uint32 mask, Uint8 shift) { return (pixel & mask) >> shift; }

bool eightBitChannels(const SDL_PixelFormat* format) {
    return !format->palette && format->Rloss == 0 && format->Gloss == 0 && format->Bloss == 0;
}

bool directPixels(const SDL_PixelFormat* format) {
    return (format->BytesPerPixel == 4 || format->BytesPerPixel == 3) && eightBitChannels(format);
}

// The pixel value at a byte address, 3 bytes read as getPixel reads them.
inline Uint32 readPixel(const Uint8* at, int bytes) {
    return bytes == 4 ? *reinterpret_cast<const Uint32*>(at) : at[0] | (at[1] << 8) | (static_cast<Uint32>(at[2]) << 16);
}

// Channel layout of a format, copied out so that the pixel loops keep it in registers.
struct Channels {
    explicit Channels(const SDL_PixelFormat* f)
        : rMask(f->Rmask), gMask(f->Gmask), bMask(f->Bmask), aMask(f->Amask), rShift(f->Rshift),
          gShift(f->Gshift), bShift(f->Bshift), bytes(f->BytesPerPixel) {}
    Uint32 rMask, gMask, bMask, aMask;
    Uint8 rShift, gShift, bShift;
    int bytes;
};

// Multiplies every pixel of the surface by the mask's colour at the same place.
// The surface is the 32-bit canvas made below; a mask of plain 8-bit channels
// is read directly, anything else through SDL's colour mapping.
void shade(SDL_Surface* surface, SDL_Surface* mask, bool allowDirect) {
    const int width = surface->w, height = surface->h;
    if (allowDirect && surface->format->BytesPerPixel == 4 && eightBitChannels(surface->format) &&
        directPixels(mask->format)) {
        const Channels sc(surface->format), mc(mask->format);
        SDL_LockSurface(surface);
        SDL_LockSurface(mask);
        for (int y = 0; y < height; ++y) {
            Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
            const Uint8* in = static_cast<const Uint8*>(mask->pixels) + y * mask->pitch;
            for (int x = 0; x < width; ++x, in += mc.bytes) {
                const Uint32 m = readPixel(in, mc.bytes);
                const Uint32 p = out[x];
                const Uint32 r = channel(p, sc.rMask, sc.rShift) * channel(m, mc.rMask, mc.rShift) / 255;
                const Uint32 g = channel(p, sc.gMask, sc.gShift) * channel(m, mc.gMask, mc.gShift) / 255;
                const Uint32 b = channel(p, sc.bMask, sc.bShift) * channel(m, mc.bMask, mc.bShift) / 255;
                // What SDL_MapRGB makes of it: alpha, if any, opaque.
                out[x] = r << sc.rShift | g << sc.gShift | b << sc.bShift | sc.aMask;
            }
        }
        SDL_UnlockSurface(mask);
        SDL_UnlockSurface(surface);
        return;
    }
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            Uint8 r1, g1, b1, r2, g2, b2;
            SDL_GetRGB(getPixel(surface, x, y), surface->format, &r1, &g1, &b1);
            SDL_GetRGB(getPixel(mask, x, y), mask->format, &r2, &g2, &b2);
            putPixel(surface, x, y,
                     SDL_MapRGB(surface->format, static_cast<Uint8>(r1 * r2 / 255), static_cast<Uint8>(g1 * g2 / 255),
                                static_cast<Uint8>(b1 * b2 / 255)));
        }
    }
}

// Byte offsets of the red, green and blue channels within a pixel of a format
// of plain 8-bit channels on whole bytes, as getPixel composes the pixel value.
struct ByteChannels {
    int red, green, blue, bytes;
};

bool byteChannels(const SDL_PixelFormat* f, ByteChannels& out) {
    if (!directPixels(f) || f->Rshift % 8 || f->Gshift % 8 || f->Bshift % 8) return false;
    auto offset = [f](int shift) {
        // A 4-byte pixel is one native word; a 3-byte one is composed low byte first.
        if (f->BytesPerPixel == 4 && SDL_BYTEORDER == SDL_BIG_ENDIAN) return 3 - shift / 8;
        return shift / 8;
    };
    out = {offset(f->Rshift), offset(f->Gshift), offset(f->Bshift), f->BytesPerPixel};
    return true;
}

// The whole backdrop in one pass, straight into a display-format surface.
// It stands for: blitting an opaque, unkeyed background of 8-bit channels
// into the 32-bit canvas (an exact copy of its colours), shading, and the
// conversion of the canvas to a display format of 8-bit channels without
// alpha (an exact repacking). The surface gets what SDL_DisplayFormat gives
// the canvas: the screen's memory kind, and per-surface alpha 255 carried over
// from the canvas's alpha channel.
SDL_Surface* composeDirect(int width, int height, SDL_Surface* background, SDL_Surface* mask,
                           const ByteChannels& bc, const ByteChannels& mc) {
    SDL_Surface* video = SDL_GetVideoSurface();
    const SDL_PixelFormat* df = video->format;
    const Uint32 memory = (video->flags & SDL_HWSURFACE) ? SDL_HWSURFACE : SDL_SWSURFACE;
    SDL_Surface* out = SDL_CreateRGBSurface(memory | SDL_SRCALPHA, width, height, df->BitsPerPixel, df->Rmask,
                                            df->Gmask, df->Bmask, df->Amask);
    if (!out) return nullptr;
    SDL_SetAlpha(out, SDL_SRCALPHA, 255);

    const Uint8 rShift = out->format->Rshift, gShift = out->format->Gshift, bShift = out->format->Bshift;
    const int tileWidth = background->w, tileHeight = background->h;
    SDL_LockSurface(out);
    SDL_LockSurface(background);
    SDL_LockSurface(mask);
    for (int y = 0; y < height; ++y) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
        const Uint8* tileRow = static_cast<const Uint8*>(background->pixels) + (y % tileHeight) * background->pitch;
        const Uint8* m = static_cast<const Uint8*>(mask->pixels) + y * mask->pitch;
        for (int x = 0; x < width;) {
            const int run = std::min(tileWidth, width - x);
            const Uint8* t = tileRow;
            for (int end = x + run; x < end; ++x, t += bc.bytes, m += mc.bytes) {
                const Uint32 r = t[bc.red] * m[mc.red] / 255u;
                const Uint32 g = t[bc.green] * m[mc.green] / 255u;
                const Uint32 b = t[bc.blue] * m[mc.blue] / 255u;
                row[x] = r << rShift | g << gShift | b << bShift;
            }
        }
    }
    SDL_UnlockSurface(mask);
    SDL_UnlockSurface(background);
    SDL_UnlockSurface(out);
    return out;
}

} // namespace

SDL_Surface* composeBackdrop(int width, int height, SDL_Surface* background, SDL_Surface* mask, bool allowDirect) {
    SDL_Surface* video = SDL_GetVideoSurface();
    const bool opaqueBackground = !(background->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY));
    ByteChannels bc, mc;
    if (allowDirect && video && opaqueBackground && byteChannels(background->format, bc) &&
        byteChannels(mask->format, mc) && video->format->BytesPerPixel == 4 && eightBitChannels(video->format) &&
        video->format->Amask == 0)
        if (SDL_Surface* out = composeDirect(width, height, background, mask, bc, mc)) return out;

    SurfaceHolder canvas(SDL_CreateRGBSurface(SDL_HWSURFACE, width, height, 32, 0xFF000000, 0x00FF0000,
                                              0x0000FF00, 0x000000FF));
    if (!canvas) return nullptr;
    const int nx = width / background->w;
    const int ny = height / background->h;
    // One tile more than fits whole in each direction; the blit clips the rest.
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j)
            blitRect(background, canvas.get(), 0, 0, background->w, background->h, i * background->w,
                     j * background->h);
    shade(canvas.get(), mask, allowDirect);
    SDL_Surface* converted = video ? SDL_DisplayFormat(canvas.get()) : nullptr;
    return converted ? converted : canvas.release();
}

void buildBackdrop(Level& level, SDL_Surface* background) {
    SDL_Surface* screen = level.screen;
    if (!screen) return;
    if (!background || background->w <= 0 || background->h <= 0) throw LoadError("Background not found.");

    SDL_Surface* mask = cachedPicture(kBackdropMaskPath);
    if (!mask) throw LoadError(maskMissingMessage());
    if (mask->w < screen->w || mask->h < screen->h) throw LoadError(maskTooSmallMessage());

    SDL_Surface* backdrop = composeBackdrop(screen->w, screen->h, background, mask);
    SDL_FreeSurface(level.backdrop);
    level.backdrop = backdrop;
}

void loadLevelFile(Level& level, const std::string& path) { loadLevelText(level, readLevelText(path)); }

void loadLevelText(Level& level, const LevelText& text) {
    identifySprites(level.spriteTable, text.tilesetPath, *level.player, level.scale);

    size_t previousLength = 0, cells = 0;
    unsigned i = 0;
    for (const GridLine& gridLine : text.grid) {
        ++i;
        const std::string& line = gridLine.bytes;
        // The row joins the grid before it is filled so that the level owns
        // every cell at once.
        level.grid.emplace_back();
        std::vector<Cell*>& row = level.grid.back();
        row.reserve(line.size());
        for (char byte : line) {
            const Cell* prototype = level.spriteTable.findPrototype(static_cast<unsigned char>(byte));
            if (!prototype) continue;  // no such key: the row gets one cell fewer
            if (++cells > kMaxCells) throw LoadError(tooManyCellsMessage());
            Cell* cell = new Cell(*prototype);
            cell->item = nullptr;
            row.push_back(cell);
        }
        if (previousLength != 0 && previousLength != line.size())
            throw LoadError(rectangularityMessage(i, previousLength, line.size()));
        previousLength = line.size();
    }

    if (text.overflowLine && text.overflowInGrid) throw LoadError(tooManyLinesMessage(true));

    ItemSheet sheet;
    for (const RecordLine& record : text.records) placeItem(level, record.name, record.attributes, &sheet);
    if (text.overflowLine) throw LoadError(tooManyLinesMessage(false));

    SDL_Surface* background = cachedPicture(text.backgroundPath);
    if (!background) throw LoadError(backgroundMissingMessage(text.backgroundPath));
    buildBackdrop(level, background);

    level.rowCount = static_cast<int>(level.grid.size());
    level.columnCount = level.rowCount > 0 ? static_cast<int>(level.grid[0].size()) : 0;
}
