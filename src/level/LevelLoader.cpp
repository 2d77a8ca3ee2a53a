#include <SDL/SDL_image.h>

#include <cmath>
#include <memory>

#include "audio/SoundBank.h"
#include "gfx/Surface.h"
#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "level/TextReader.h"
#include "level/Tileset.h"

int waveTable[641];

void fillWaveTable() {
    // pi is taken short on purpose: the water's recorded look depends on it.
    for (int k = 0; k <= 640; ++k) {
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

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfaceHolder = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Splits a record line at white space into its name and attributes.
void splitRecord(const std::string& line, std::string& name, std::vector<std::string>& attributes) {
    name.clear();
    attributes.clear();
    size_t pos = 0;
    bool first = true;
    while (true) {
        while (pos < line.size() && isBlank(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= line.size()) break;
        size_t end = pos;
        while (end < line.size() && !isBlank(static_cast<unsigned char>(line[end]))) ++end;
        if (first)
            name.assign(line, pos, end - pos);
        else
            attributes.emplace_back(line, pos, end - pos);
        first = false;
        pos = end;
    }
}

// Colour channels of a pixel value, as SDL_GetRGB gives them for 8-bit channels.
inline Uint8 channel(Uint32 pixel, Uint32 mask, Uint8 shift) { return static_cast<Uint8>((pixel & mask) >> shift); }

bool eightBitChannels(const SDL_PixelFormat* format) {
    return !format->palette && format->Rloss == 0 && format->Gloss == 0 && format->Bloss == 0;
}

// Multiplies every pixel of the surface by the mask's colour at the same place.
// The 32-bit surfaces the game makes and the usual mask formats are read
// directly; anything else goes pixel by pixel through SDL's colour mapping.
void shade(SDL_Surface* surface, SDL_Surface* mask) {
    const SDL_PixelFormat* sf = surface->format;
    const SDL_PixelFormat* mf = mask->format;
    const int width = surface->w, height = surface->h;
    const bool direct = sf->BytesPerPixel == 4 && eightBitChannels(sf) &&
                        (mf->BytesPerPixel == 4 || mf->BytesPerPixel == 3) && eightBitChannels(mf);
    if (direct) {
        SDL_LockSurface(surface);
        SDL_LockSurface(mask);
        const int maskBytes = mf->BytesPerPixel;
        for (int y = 0; y < height; ++y) {
            Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
            const Uint8* in = static_cast<const Uint8*>(mask->pixels) + y * mask->pitch;
            for (int x = 0; x < width; ++x, in += maskBytes) {
                const Uint32 m = maskBytes == 4 ? *reinterpret_cast<const Uint32*>(in)
                                                : in[0] | (in[1] << 8) | (static_cast<Uint32>(in[2]) << 16);
                const Uint32 p = out[x];
                const Uint32 r = channel(p, sf->Rmask, sf->Rshift) * channel(m, mf->Rmask, mf->Rshift) / 255;
                const Uint32 g = channel(p, sf->Gmask, sf->Gshift) * channel(m, mf->Gmask, mf->Gshift) / 255;
                const Uint32 b = channel(p, sf->Bmask, sf->Bshift) * channel(m, mf->Bmask, mf->Bshift) / 255;
                // What SDL_MapRGB makes of it: alpha, if any, opaque.
                out[x] = r << sf->Rshift | g << sf->Gshift | b << sf->Bshift | sf->Amask;
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

} // namespace

void buildBackdrop(Level& level, SDL_Surface* background) {
    SDL_Surface* screen = level.screen;
    if (!screen) return;
    if (!background || background->w <= 0 || background->h <= 0) throw LoadError("Background not found.");

    const int nx = screen->w / background->w;
    const int ny = screen->h / background->h;

    SurfaceHolder mask(IMG_Load("./gfx/maski.png"));
    if (!mask) throw LoadError("Background mask ./gfx/maski.png not found.");
    if (mask->w < screen->w || mask->h < screen->h)
        throw LoadError("Background mask ./gfx/maski.png is smaller than the screen.");

    SurfaceHolder canvas(SDL_CreateRGBSurface(SDL_HWSURFACE, screen->w, screen->h, 32, 0xFF000000, 0x00FF0000,
                                              0x0000FF00, 0x000000FF));
    if (!canvas) return;
    // One tile more than fits whole in each direction; the blit clips the rest.
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j)
            blitRect(background, canvas.get(), 0, 0, background->w, background->h, i * background->w,
                     j * background->h);
    shade(canvas.get(), mask.get());

    SDL_Surface* converted = SDL_DisplayFormat(canvas.get());
    SDL_FreeSurface(level.backdrop);
    level.backdrop = converted ? converted : canvas.release();
}

void loadLevelFile(Level& level, const std::string& path) {
    TextReader reader = TextReader::fromFile(path);

    std::string tilesetPath;
    reader.getLine(tilesetPath);
    identifySprites(level.spriteTable, tilesetPath, *level.player, level.scale);

    std::string backgroundPath;
    reader.getLine(backgroundPath);

    unsigned lineCount = 0;
    reader.readUnsigned(lineCount);
    reader.skipLine();

    std::string line;
    size_t previousLength = 0;
    for (unsigned i = 1; i <= lineCount && reader.getLine(line); ++i) {
        // The row joins the grid before it is filled so that the level owns
        // every cell at once.
        level.grid.emplace_back();
        std::vector<Cell*>& row = level.grid.back();
        row.reserve(line.size());
        for (char byte : line) {
            const Cell* prototype = level.spriteTable.findPrototype(static_cast<unsigned char>(byte));
            if (!prototype) continue;  // no such key: the row gets one cell fewer
            Cell* cell = new Cell(*prototype);
            cell->item = nullptr;
            row.push_back(cell);
        }
        if (previousLength != 0 && previousLength != line.size())
            throw LoadError("ERROR: Level must be rectanguar! The width of line " + std::to_string(i) +
                            "doesn't match. (" + std::to_string(previousLength) + " vs " +
                            std::to_string(line.size()) + ")");
        previousLength = line.size();
        if (i == lineCount) break;  // the count may be the largest unsigned
    }

    ItemSheet sheet;
    std::string name;
    std::vector<std::string> attributes;
    while (reader.getLine(line)) {
        splitRecord(line, name, attributes);
        placeItem(level, name, attributes, &sheet);
    }

    SurfaceHolder background(IMG_Load(backgroundPath.c_str()));
    if (!background) throw LoadError("Background " + backgroundPath + " not found.");
    buildBackdrop(level, background.get());

    level.rowCount = static_cast<int>(level.grid.size());
    level.columnCount = level.rowCount > 0 ? static_cast<int>(level.grid[0].size()) : 0;
}
