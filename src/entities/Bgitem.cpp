#include "entities/Bgitem.h"

#include "gfx/Surface.h"

Bgitem::Bgitem(double px, double py, const AnimStrip& s, SoundBank* snd) : Item(snd), strip(s) {
    x = px;
    y = py;
}

void Bgitem::draw(int scale) {
    if (!screen || !strip.surface) return;
    int size = 32 * scale;
    blitRect(strip.surface, screen, strip.currentFrame * size, 0, size, size, static_cast<int>(x * scale),
             top() * scale);
}

void Bgitem::update(uint32_t&, bool) {}

bool Bgitem::moveBy(double, double, bool& result) {
    result = true;
    return false;
}

namespace {

inline Uint32 waterTint(Uint32 pixel, const SDL_PixelFormat* format) {
    Uint8 r, g, b;
    SDL_GetRGB(pixel, format, &r, &g, &b);
    return SDL_MapRGB(format, r >> 2, (g >> 3) * 7, b);
}

} // namespace

// Tints whatever is already drawn under the square; drawn anew each frame,
// so the tint never builds up.
void Bgwater::draw(int scale) {
    SDL_Surface* target = screen;
    if (!target) return;
    int px = static_cast<int>(x * scale);
    int py = top() * scale;
    int left = px < 0 ? 0 : px;
    int right = px + 32 > target->w ? target->w : px + 32;
    int upper = py < 0 ? 0 : py;
    int lower = py + 32 > target->h ? target->h : py + 32;
    if (left >= right || upper >= lower) return;
    noteDrawn(target, left, upper, right - left, lower - upper);

    if (target->format->BytesPerPixel == 4) {
        bool lock = SDL_MUSTLOCK(target);
        if (lock && SDL_LockSurface(target) < 0) return;
        Uint8* pixels = static_cast<Uint8*>(target->pixels);
        for (int i = left; i < right; ++i)
            for (int j = upper; j < lower; ++j) {
                Uint32* p = reinterpret_cast<Uint32*>(pixels + j * target->pitch) + i;
                *p = waterTint(*p, target->format);
            }
        if (lock) SDL_UnlockSurface(target);
        return;
    }
    for (int i = left; i < right; ++i)
        for (int j = upper; j < lower; ++j) putPixel(target, i, j, waterTint(getPixel(target, i, j), target->format));
}
