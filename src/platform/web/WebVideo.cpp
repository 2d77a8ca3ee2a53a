// The web build's surfaces: plain pixels in memory, blitted in software with
// SDL 1.2's rules (colour keys, overall and per-pixel alpha), so that the
// browser shows the very pixels the native game draws. The browser's SDL
// keeps its surfaces in canvases and blends with the canvas's own rules,
// which differ; the finished picture goes to the page in WebDisplay.cpp.
#include <SDL/SDL.h>
#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "gfx/SurfaceFields.h"

namespace {

// What SDL 1.2 keeps in the pixel format and this SDL's format lacks.
struct Extra {
    uint32_t key = 0;
    uint8_t alpha = 255;
};

Extra* extraOf(const SDL_Surface* s) { return static_cast<Extra*>(s->userdata); }

SDL_Surface* screen = nullptr;

uint8_t shiftOf(uint32_t mask) {
    if (!mask) return 0;
    uint8_t shift = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint8_t lossOf(uint32_t mask) {
    int bits = 0;
    for (; mask; mask >>= 1) bits += mask & 1;
    return static_cast<uint8_t>(8 - (bits > 8 ? 8 : bits));
}

SDL_Surface* makeSurface(uint32_t flags, int w, int h, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    if (w < 0 || h < 0) return nullptr;
    if (!r && !g && !b) {  // SDL's default layout for 32 bits
        r = 0x00FF0000;
        g = 0x0000FF00;
        b = 0x000000FF;
    }
    auto* s = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    auto* f = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    s->pixels = std::calloc(static_cast<size_t>(w) * h + 1, 4);
    f->BitsPerPixel = 32;
    f->BytesPerPixel = 4;
    f->Rmask = r, f->Gmask = g, f->Bmask = b, f->Amask = a;
    f->Rshift = shiftOf(r), f->Gshift = shiftOf(g), f->Bshift = shiftOf(b), f->Ashift = shiftOf(a);
    f->Rloss = lossOf(r), f->Gloss = lossOf(g), f->Bloss = lossOf(b), f->Aloss = lossOf(a);
    s->format = f;
    s->flags = flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY);
    s->w = w;
    s->h = h;
    s->pitch = w * 4;
    s->userdata = new Extra;
    s->clip_rect = {0, 0, w, h};
    s->refcount = 1;
    return s;
}

inline uint32_t* row(SDL_Surface* s, int y) { return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch); }

struct Channels {
    uint32_t r, g, b, a;
};

inline Channels split(uint32_t p, const SDL_PixelFormat* f) {
    return {(p & f->Rmask) >> f->Rshift, (p & f->Gmask) >> f->Gshift, (p & f->Bmask) >> f->Bshift,
            f->Amask ? (p & f->Amask) >> f->Ashift : 255u};
}

inline uint32_t join(uint32_t r, uint32_t g, uint32_t b, uint32_t a, const SDL_PixelFormat* f) {
    return (r << f->Rshift) | (g << f->Gshift) | (b << f->Bshift) | (f->Amask ? (a << f->Ashift) & f->Amask : 0);
}

inline bool sameRgbLayout(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    return a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask;
}

// The blit proper, on rectangles already clipped to both surfaces.
void blit(SDL_Surface* src, const SDL_Rect& sr, SDL_Surface* dst, int dx, int dy) {
    const SDL_PixelFormat* sf = src->format;
    const SDL_PixelFormat* df = dst->format;
    const bool pixelAlpha = (src->flags & SDL_SRCALPHA) && sf->Amask;
    // As in SDL 1.2, an overall alpha of 255 is no blending at all.
    const bool surfaceAlpha = (src->flags & SDL_SRCALPHA) && !sf->Amask && extraOf(src)->alpha != 255;
    const bool keyed = (src->flags & SDL_SRCCOLORKEY) && !pixelAlpha;
    const uint32_t rgb = sf->Rmask | sf->Gmask | sf->Bmask;
    const uint32_t key = extraOf(src)->key & rgb;
    const uint32_t alpha = extraOf(src)->alpha;
    const bool same = sameRgbLayout(sf, df);
    const bool overlap = src == dst;
    for (int y = 0; y < sr.h; ++y) {
        // A surface blitted onto itself is walked from the far end when the
        // target lies below, as a memmove would.
        const int yy = overlap && dy > sr.y ? sr.h - 1 - y : y;
        const uint32_t* in = row(src, sr.y + yy) + sr.x;
        uint32_t* out = row(dst, dy + yy) + dx;
        if (!pixelAlpha && !surfaceAlpha && !keyed && same) {
            if (df->Amask == sf->Amask) {
                std::memmove(out, in, static_cast<size_t>(sr.w) * 4);
            } else {
                const uint32_t fill = df->Amask;  // an opaque source fills the alpha
                for (int x = 0; x < sr.w; ++x) out[x] = (in[x] & rgb) | fill;
            }
            continue;
        }
        if (same && rgb == 0xFFFFFF && !pixelAlpha) {
            // The common cases in tight loops: keyed copies and SDL's own
            // packed blend for 8-bit channels, carries and all.
            const uint32_t fill = df->Amask & ~sf->Amask;
            if (!surfaceAlpha) {
                for (int x = 0; x < sr.w; ++x)
                    if ((in[x] & rgb) != key) out[x] = in[x] | fill;
            } else if (alpha == 128) {
                for (int x = 0; x < sr.w; ++x) {
                    const uint32_t p = in[x], d = out[x];
                    if (keyed && (p & rgb) == key) continue;
                    out[x] = ((((p & 0xFEFEFE) + (d & 0xFEFEFE)) >> 1) + (p & d & 0x010101)) | (d & df->Amask);
                }
            } else {
                for (int x = 0; x < sr.w; ++x) {
                    const uint32_t p = in[x], d = out[x];
                    if (keyed && (p & rgb) == key) continue;
                    uint32_t s1 = p & 0xFF00FF, d1 = d & 0xFF00FF;
                    d1 = (d1 + ((s1 - d1) * alpha >> 8)) & 0xFF00FF;
                    const uint32_t s2 = p & 0xFF00;
                    uint32_t d2 = d & 0xFF00;
                    d2 = (d2 + ((s2 - d2) * alpha >> 8)) & 0xFF00;
                    out[x] = d1 | d2 | (d & df->Amask);
                }
            }
            continue;
        }
        for (int x = 0; x < sr.w; ++x) {
            const uint32_t p = in[x];
            if (keyed && (p & rgb) == key) continue;
            const Channels s = split(p, sf);
            if (!pixelAlpha && !surfaceAlpha) {
                out[x] = join(s.r, s.g, s.b, 255, df);
                continue;
            }
            const uint32_t a = pixelAlpha ? s.a : alpha;
            if (pixelAlpha && a == 0) continue;
            if (pixelAlpha && a == 255) {
                out[x] = join(s.r, s.g, s.b, 255, df) | (out[x] & df->Amask);
                continue;
            }
            Channels d = split(out[x], df);
            d.r += ((s.r - d.r) * a) >> 8 & 0xFF;
            d.g += ((s.g - d.g) * a) >> 8 & 0xFF;
            d.b += ((s.b - d.b) * a) >> 8 & 0xFF;
            out[x] = join(d.r & 0xFF, d.g & 0xFF, d.b & 0xFF, d.a, df);
        }
    }
}

} // namespace

uint32_t colorKeyOf(const SDL_Surface* surface) { return extraOf(surface)->key; }
uint8_t overallAlphaOf(const SDL_Surface* surface) { return extraOf(surface)->alpha; }

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int, Uint32 r, Uint32 g, Uint32 b, Uint32 a) {
    return makeSurface(flags, width, height, r, g, b, a);
}

void SDL_FreeSurface(SDL_Surface* s) {
    if (!s || s == screen) return;
    if (--s->refcount > 0) return;
    delete extraOf(s);
    std::free(s->pixels);
    std::free(s->format);
    std::free(s);
}

// The mouse on the canvas reaches SDL's events, as the web SDL's own video
// mode would arrange (the editor paints with it).
EM_JS(void, listenToMouse, (), {
    if (Module.mouseHeard || !Module['canvas']) return;
    Module.mouseHeard = true;
    ['mousedown', 'mouseup', 'mousemove', 'mouseout'].forEach(function(type) {
        Module['canvas'].addEventListener(type, SDL.receiveEvent, true);
    });
});

SDL_Surface* SDL_SetVideoMode(int width, int height, int, Uint32) {
    listenToMouse();
    if (screen) {
        screen->refcount = 1;
        SDL_Surface* old = screen;
        screen = nullptr;
        SDL_FreeSurface(old);
    }
    screen = makeSurface(0, width, height, 0, 0, 0, 0);
    return screen;
}

SDL_Surface* SDL_GetVideoSurface(void) { return screen; }

int SDL_LockSurface(SDL_Surface* s) {
    ++s->locked;
    return 0;
}

void SDL_UnlockSurface(SDL_Surface* s) {
    if (s->locked > 0) --s->locked;
}

int SDL_SetColorKey(SDL_Surface* s, int flag, Uint32 key) {
    if (!s) return -1;
    if (flag & SDL_SRCCOLORKEY) {
        s->flags |= SDL_SRCCOLORKEY;
        extraOf(s)->key = key;
    } else {
        s->flags &= ~SDL_SRCCOLORKEY;
        extraOf(s)->key = 0;
    }
    return 0;
}

int SDL_SetAlpha(SDL_Surface* s, Uint32 flag, Uint8 alpha) {
    if (!s) return -1;
    if (flag & SDL_SRCALPHA) {
        s->flags |= SDL_SRCALPHA;
        extraOf(s)->alpha = alpha;
    } else {
        s->flags &= ~SDL_SRCALPHA;
        extraOf(s)->alpha = 255;
    }
    return 0;
}

int SDL_SetPalette(SDL_Surface*, int, const SDL_Color*, int, int) { return 0; }

SDL_bool SDL_SetClipRect(SDL_Surface* s, const SDL_Rect* r) {
    if (!s) return SDL_FALSE;
    SDL_Rect full = {0, 0, s->w, s->h};
    if (!r) {
        s->clip_rect = full;
        return SDL_TRUE;
    }
    int x0 = r->x > 0 ? r->x : 0, y0 = r->y > 0 ? r->y : 0;
    int x1 = r->x + r->w < s->w ? r->x + r->w : s->w, y1 = r->y + r->h < s->h ? r->y + r->h : s->h;
    s->clip_rect = {x0, y0, x1 > x0 ? x1 - x0 : 0, y1 > y0 ? y1 - y0 : 0};
    return s->clip_rect.w && s->clip_rect.h ? SDL_TRUE : SDL_FALSE;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat* f, Uint8 r, Uint8 g, Uint8 b) { return join(r, g, b, 255, f); }
Uint32 SDL_MapRGBA(const SDL_PixelFormat* f, Uint8 r, Uint8 g, Uint8 b, Uint8 a) { return join(r, g, b, a, f); }

void SDL_GetRGB(Uint32 p, const SDL_PixelFormat* f, Uint8* r, Uint8* g, Uint8* b) {
    const Channels c = split(p, f);
    *r = static_cast<Uint8>(c.r), *g = static_cast<Uint8>(c.g), *b = static_cast<Uint8>(c.b);
}

void SDL_GetRGBA(Uint32 p, const SDL_PixelFormat* f, Uint8* r, Uint8* g, Uint8* b, Uint8* a) {
    const Channels c = split(p, f);
    *r = static_cast<Uint8>(c.r), *g = static_cast<Uint8>(c.g), *b = static_cast<Uint8>(c.b), *a = static_cast<Uint8>(c.a);
}

int SDL_FillRect(SDL_Surface* s, const SDL_Rect* rect, Uint32 colour) {
    if (!s) return -1;
    SDL_Rect r = rect ? *rect : SDL_Rect{0, 0, s->w, s->h};
    const SDL_Rect& c = s->clip_rect;
    int x0 = r.x > c.x ? r.x : c.x, y0 = r.y > c.y ? r.y : c.y;
    int x1 = r.x + r.w < c.x + c.w ? r.x + r.w : c.x + c.w;
    int y1 = r.y + r.h < c.y + c.h ? r.y + r.h : c.y + c.h;
    if (x1 < x0) x1 = x0;
    if (y1 < y0) y1 = y0;
    // As SDL 1.2 does, the caller's rectangle is left clipped.
    if (rect) *const_cast<SDL_Rect*>(rect) = {x0, y0, x1 - x0, y1 - y0};
    for (int y = y0; y < y1; ++y) {
        uint32_t* out = row(s, y);
        for (int x = x0; x < x1; ++x) out[x] = colour;
    }
    return 0;
}

// Clips as SDL 1.2 does: the source rectangle to the source, the target to
// its clip rectangle, and leaves the drawn rectangle in dstrect.
int SDL_UpperBlit(SDL_Surface* src, const SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
    if (!src || !dst) return -1;
    int sx = 0, sy = 0, w = src->w, h = src->h;
    if (srcrect) {
        sx = srcrect->x, sy = srcrect->y, w = srcrect->w, h = srcrect->h;
        if (sx < 0) { w += sx; if (dstrect) dstrect->x -= sx; sx = 0; }
        if (sy < 0) { h += sy; if (dstrect) dstrect->y -= sy; sy = 0; }
        if (sx + w > src->w) w = src->w - sx;
        if (sy + h > src->h) h = src->h - sy;
    }
    int dx = dstrect ? dstrect->x : 0, dy = dstrect ? dstrect->y : 0;
    const SDL_Rect& c = dst->clip_rect;
    if (dx < c.x) { w -= c.x - dx; sx += c.x - dx; dx = c.x; }
    if (dy < c.y) { h -= c.y - dy; sy += c.y - dy; dy = c.y; }
    if (dx + w > c.x + c.w) w = c.x + c.w - dx;
    if (dy + h > c.y + c.h) h = c.y + c.h - dy;
    if (w <= 0 || h <= 0) {
        if (dstrect) dstrect->w = dstrect->h = 0;
        return 0;
    }
    if (dstrect) *dstrect = {dx, dy, w, h};
    blit(src, SDL_Rect{sx, sy, w, h}, dst, dx, dy);
    return 0;
}

int SDL_LowerBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
    if (!src || !dst || !srcrect || !dstrect || srcrect->w <= 0 || srcrect->h <= 0) return 0;
    blit(src, *srcrect, dst, dstrect->x, dstrect->y);
    return 0;
}

// A copy in the layout of `format`, keeping the colour key (as a colour) and
// the alpha settings, as SDL 1.2 converts.
SDL_Surface* SDL_ConvertSurface(SDL_Surface* src, SDL_PixelFormat* format, Uint32 flags) {
    if (!src || !format) return nullptr;
    SDL_Surface* copy = makeSurface(0, src->w, src->h, format->Rmask, format->Gmask, format->Bmask, format->Amask);
    const Uint32 saved = src->flags;
    src->flags &= ~(SDL_SRCCOLORKEY | SDL_SRCALPHA);
    SDL_Rect all = {0, 0, src->w, src->h};
    blit(src, all, copy, 0, 0);
    src->flags = saved;
    if (flags & saved & SDL_SRCCOLORKEY) {
        Uint8 r, g, b;
        SDL_GetRGB(extraOf(src)->key, src->format, &r, &g, &b);
        SDL_SetColorKey(copy, SDL_SRCCOLORKEY, SDL_MapRGB(copy->format, r, g, b));
    }
    if (flags & saved & SDL_SRCALPHA) SDL_SetAlpha(copy, SDL_SRCALPHA, extraOf(src)->alpha);
    return copy;
}

SDL_Surface* SDL_DisplayFormat(SDL_Surface* src) {
    if (!screen) return nullptr;
    return SDL_ConvertSurface(src, screen->format, SDL_SRCCOLORKEY | SDL_SRCALPHA);
}

SDL_Surface* SDL_DisplayFormatAlpha(SDL_Surface* src) {
    SDL_PixelFormat f = *screen->format;
    f.Amask = 0xFF000000;
    return SDL_ConvertSurface(src, &f, SDL_SRCCOLORKEY | SDL_SRCALPHA);
}

} // extern "C"
