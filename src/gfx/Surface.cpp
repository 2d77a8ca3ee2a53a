#include "gfx/Surface.h"

#include <SDL/SDL_image.h>

#include <cstring>
#include <iostream>
#include <set>
#include <string>

#include "gfx/SurfaceFields.h"
#include "platform/Display.h"
#include "platform/FileRead.h"
#include "platform/Platform.h"

namespace {

// Rectangles handed to SDL carry 16-bit fields; the callers pass plain ints.
// A place beyond the 16-bit range is cut back to it, the size shrinking with
// it, so that nothing far off wraps round onto the surface.
void clampSpan(long long& start, long long& size) {
    if (size < 0) size = 0;
    if (start < -32768) {
        size -= -32768 - start;
        start = -32768;
    }
    if (start > 32767) {
        start = 32767;
        size = 0;
    }
    if (size < 0) size = 0;
    if (size > 65535) size = 65535;
}

SDL_Rect makeRect(int ix, int iy, int iw, int ih) {
    long long x = ix, y = iy, w = iw, h = ih;
    clampSpan(x, w);
    clampSpan(y, h);
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = static_cast<Uint16>(w);
    r.h = static_cast<Uint16>(h);
    return r;
}

// Holds a copy of the source rectangle when a surface is blitted onto itself.
// SDL guards against overlap only for plain copies; keyed or blended blits
// walk the rows top to bottom and would smear. Reading everything first
// makes every kind of self-blit safe. The surface is
// kept between calls and only replaced when a larger or differently laid out
// one is needed, so shifting the screen every frame allocates nothing.
SDL_Surface* scratch = nullptr;


SDL_Surface* scratchFor(SDL_Surface* source, int w, int h) {
    if (scratch && sameLayout(scratch->format, source->format) && scratch->w >= w && scratch->h >= h)
        return scratch;
    int width = w > source->w ? w : source->w;
    int height = h > source->h ? h : source->h;
    if (scratch) {
        if (scratch->w > width) width = scratch->w;
        if (scratch->h > height) height = scratch->h;
        SDL_FreeSurface(scratch);
    }
    const SDL_PixelFormat* f = source->format;
    scratch = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                                   f->Amask);
    return scratch;
}

// Gives the scratch copy the source's transparency so the second blit draws
// exactly what a direct one would. Settings are only touched when they
// differ, because changing them makes SDL rebuild its blit mapping.
void matchTransparency(SDL_Surface* copy, SDL_Surface* source) {
    Uint32 keyFlag = source->flags & SDL_SRCCOLORKEY;
    if ((copy->flags & SDL_SRCCOLORKEY) != keyFlag ||
        (keyFlag && colorKeyOf(copy) != colorKeyOf(source)))
        SDL_SetColorKey(copy, keyFlag, colorKeyOf(source));
    Uint32 alphaFlag = source->flags & SDL_SRCALPHA;
    if ((copy->flags & SDL_SRCALPHA) != alphaFlag || overallAlphaOf(copy) != overallAlphaOf(source))
        SDL_SetAlpha(copy, alphaFlag, overallAlphaOf(source));
    const SDL_Palette* from = source->format->palette;
    const SDL_Palette* to = copy->format->palette;
    if (from && to &&
        (from->ncolors > to->ncolors ||
         std::memcmp(from->colors, to->colors, sizeof(SDL_Color) * static_cast<size_t>(from->ncolors)) != 0))
        SDL_SetPalette(copy, SDL_LOGPAL, source->format->palette->colors, 0, source->format->palette->ncolors);
}

int blitOntoItself(SDL_Surface* surface, SDL_Rect src, SDL_Rect dst) {
    // Clip the source rectangle to the surface the way SDL_UpperBlit does,
    // moving the target position along with it.
    int x = src.x, y = src.y, w = src.w, h = src.h;
    int tx = dst.x, ty = dst.y;
    if (x < 0) { w += x; tx -= x; x = 0; }
    if (y < 0) { h += y; ty -= y; y = 0; }
    if (x + w > surface->w) w = surface->w - x;
    if (y + h > surface->h) h = surface->h - y;
    if (w <= 0 || h <= 0) return 0;

    SDL_Surface* copy = scratchFor(surface, w, h);
    if (!copy) return -1;
    const int bpp = surface->format->BytesPerPixel;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const Uint8* from = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    Uint8* to = static_cast<Uint8*>(copy->pixels);
    for (int row = 0; row < h; ++row)
        std::memcpy(to + row * copy->pitch, from + row * surface->pitch, static_cast<size_t>(w) * bpp);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);

    matchTransparency(copy, surface);
    SDL_Rect part = makeRect(0, 0, w, h);
    SDL_Rect target = makeRect(tx, ty, 0, 0);
    return SDL_UpperBlit(copy, &part, surface, &target);
}

bool inside(SDL_Surface* s, int x, int y) { return x >= 0 && y >= 0 && x < s->w && y < s->h; }

DrawnAreas* watched = nullptr;

// SDL leaves the clipped destination in the rectangle it was given.
inline void noteClipped(SDL_Surface* target, const SDL_Rect& r) {
    if (watched && target == watched->target && r.w > 0 && r.h > 0) {
        if (watched->count < DrawnAreas::kCapacity)
            watched->areas[watched->count++] = r;
        else
            watched->overflowed = true;
    }
}

} // namespace

void watchDrawing(DrawnAreas* areas) {
    watched = areas;
    if (areas) {
        areas->count = 0;
        areas->overflowed = false;
    }
}

void noteDrawn(SDL_Surface* target, int x, int y, int w, int h) {
    if (!watched || target != watched->target || w <= 0 || h <= 0) return;
    // Clipped to the surface as SDL clips a blit.
    int x1 = x + w, y1 = y + h;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x1 > target->w) x1 = target->w;
    if (y1 > target->h) y1 = target->h;
    if (x >= x1 || y >= y1) return;
    noteClipped(target, makeRect(x, y, x1 - x, y1 - y));
}

bool sameLayout(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->Amask == b->Amask;
}

int blitRect(SDL_Surface* source, SDL_Surface* target, int sx, int sy, int w, int h, int tx, int ty) {
    if (!source || !target) return -1;
    SDL_Rect src = makeRect(sx, sy, w, h);
    SDL_Rect dst = makeRect(tx, ty, 0, 0);
    if (source == target) {
        if (watched) noteDrawn(target, tx, ty, w, h);
        return blitOntoItself(source, src, dst);
    }
    const int result = SDL_UpperBlit(source, &src, target, &dst);
    if (watched && result == 0) noteClipped(target, dst);
    return result;
}

int fillRect(SDL_Surface* target, int x, int y, int w, int h, uint32_t colour) {
    if (!target) return -1;
    SDL_Rect r = makeRect(x, y, w, h);
    const int result = SDL_FillRect(target, &r, colour);
    if (watched && result == 0) noteClipped(target, r);
    return result;
}

void frameRect(SDL_Surface* target, int x, int y, int w, int h, int thickness, uint32_t colour) {
    fillRect(target, x, y, w, thickness, colour);
    fillRect(target, x, y + h - thickness, w, thickness, colour);
    fillRect(target, x, y, thickness, h, colour);
    fillRect(target, x + w - thickness, y, thickness, h, colour);
}

void encodeForScreen(SDL_Surface* sprite) {
    if (!sprite || !(sprite->flags & SDL_SRCCOLORKEY)) return;
    SDL_SetColorKey(sprite, SDL_SRCCOLORKEY | SDL_RLEACCEL, colorKeyOf(sprite));
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen) return;
    SDL_Rect none = makeRect(0, 0, 0, 0), at = makeRect(0, 0, 0, 0);
    SDL_LowerBlit(sprite, &none, screen, &at);
}

bool copyRows(SDL_Surface* from, int fromY, SDL_Surface* to, int toY, int rows) {
    if (!from || !to || from == to || from->w != to->w || !sameLayout(from->format, to->format)) return false;
    if (fromY < 0) { rows += fromY; toY -= fromY; fromY = 0; }
    if (toY < 0) { rows += toY; fromY -= toY; toY = 0; }
    if (rows > from->h - fromY) rows = from->h - fromY;
    if (rows > to->h - toY) rows = to->h - toY;
    if (rows <= 0) return true;
    const bool lockFrom = SDL_MUSTLOCK(from), lockTo = SDL_MUSTLOCK(to);
    if (lockFrom && SDL_LockSurface(from) < 0) return false;
    if (lockTo && SDL_LockSurface(to) < 0) {
        if (lockFrom) SDL_UnlockSurface(from);
        return false;
    }
    const size_t bytes = static_cast<size_t>(from->w) * from->format->BytesPerPixel;
    const Uint8* source = static_cast<const Uint8*>(from->pixels) + static_cast<size_t>(fromY) * from->pitch;
    Uint8* target = static_cast<Uint8*>(to->pixels) + static_cast<size_t>(toY) * to->pitch;
    for (int row = 0; row < rows; ++row) std::memcpy(target + row * to->pitch, source + row * from->pitch, bytes);
    if (lockTo) SDL_UnlockSurface(to);
    if (lockFrom) SDL_UnlockSurface(from);
    return true;
}

void putPixel(SDL_Surface* surface, int x, int y, uint32_t colour) {
    if (!surface || !inside(surface, x, y)) return;
    const bool lock = SDL_MUSTLOCK(surface);
    if (lock && SDL_LockSurface(surface) < 0) return;
    const int bpp = surface->format->BytesPerPixel;
    Uint8* p = static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    switch (bpp) {
    case 1: *p = static_cast<Uint8>(colour); break;
    case 2: *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(colour); break;
    case 3:
        p[0] = static_cast<Uint8>(colour);
        p[1] = static_cast<Uint8>(colour >> 8);
        p[2] = static_cast<Uint8>(colour >> 16);
        break;
    case 4: *reinterpret_cast<Uint32*>(p) = colour; break;
    default: break;
    }
    if (lock) SDL_UnlockSurface(surface);
}

uint32_t getPixel(SDL_Surface* surface, int x, int y) {
    if (!surface || !inside(surface, x, y)) return 0;
    const bool lock = SDL_MUSTLOCK(surface);
    if (lock && SDL_LockSurface(surface) < 0) return 0;
    const int bpp = surface->format->BytesPerPixel;
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * bpp;
    uint32_t value = 0;
    switch (bpp) {
    case 1: value = *p; break;
    case 2: value = *reinterpret_cast<const Uint16*>(p); break;
    case 3: value = p[0] + p[1] * 256u + p[2] * 65536u; break;
    case 4: value = *reinterpret_cast<const Uint32*>(p); break;
    default: break;
    }
    if (lock) SDL_UnlockSurface(surface);
    return value;
}

SDL_Surface* makeBlackSurface(int width, int height) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_HWSURFACE | SDL_SRCALPHA, width, height, 32, 0x000000FF, 0x0000FF00,
                                          0x00FF0000, 0xFF000000);
    if (s) SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    return s;
}

namespace {

// SDL ignores a surface's overall alpha when the surface carries an alpha
// channel of its own, so such a picture (the black surface of the level start,
// for one) would not fade at all. For the length of one fade it is drawn
// through a copy in the display format, which has no alpha channel; the
// overall alpha is still set on the caller's surface too.
struct FadeSource {
    explicit FadeSource(SDL_Surface* surface) : original(surface), shown(surface) {
        if (surface && surface->format->Amask) {
            SDL_Surface* copy = SDL_DisplayFormat(surface);
            if (copy) shown = copy;
        }
    }
    ~FadeSource() {
        if (shown != original) SDL_FreeSurface(shown);
    }
    FadeSource(const FadeSource&) = delete;
    FadeSource& operator=(const FadeSource&) = delete;
    void setAlpha(uint32_t alpha) {
        if (!original) return;
        SDL_SetAlpha(original, SDL_SRCALPHA, static_cast<Uint8>(alpha));
        if (shown != original) SDL_SetAlpha(shown, SDL_SRCALPHA, static_cast<Uint8>(alpha));
    }
    void drawOn(SDL_Surface* screen) {
        if (!shown) return;
        SDL_Rect origin = makeRect(0, 0, 0, 0);
        SDL_UpperBlit(shown, nullptr, screen, &origin);
    }
    SDL_Surface* original;
    SDL_Surface* shown;
};

// One fade of `image`, a step every 10 ms: in (its alpha rising) over what
// the screen holds, or out (falling) over black and `bottom`.
void runFade(SDL_Surface* screen, SDL_Surface* image, SDL_Surface* bottom, uint32_t duration, bool out) {
    const uint32_t start = platform::ticks();
    if (duration == 0) return;
    FadeSource fading(image);
    for (;;) {
        const uint32_t elapsed = platform::ticks() - start;
        if (elapsed >= duration) break;
        const uint32_t rising = elapsed * 255u / duration;
        fading.setAlpha(out ? 255u - rising : rising);
        if (screen) {
            if (out) {
                SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
                if (bottom) {
                    SDL_Rect origin = makeRect(0, 0, 0, 0);
                    SDL_UpperBlit(bottom, nullptr, screen, &origin);
                }
            }
            fading.drawOn(screen);
            platform::present(screen);
        }
        platform::delay(10);
        platform::pumpEvents();
    }
}

}  // namespace

// Missing surfaces are skipped but the fade still takes its full time, so the
// pace of a sequence (and any recorded input against it) does not depend on
// whether a picture could be loaded.
void crossFade(SDL_Surface* screen, SDL_Surface* top, SDL_Surface* bottom, uint32_t duration) {
    runFade(screen, top, bottom, duration, true);
}

void fadeTo(SDL_Surface* screen, SDL_Surface* image, uint32_t duration) {
    runFade(screen, image, nullptr, duration, false);
}

SDL_Surface* loadImage(const char* path) {
    if (!path) return nullptr;
    // Checked first: IMG_Load would wait on a FIFO and read a device forever.
    SDL_Surface* image = fileread::isReadable(path, fileread::kPictureCap) ? IMG_Load(path) : nullptr;
    if (!image) {
        static std::set<std::string> reported;
        if (reported.insert(path).second) std::cout << "Picture " << path << " not found." << std::endl;
    }
    return image;
}
