// Drawn water: a tint over what is already on the screen.
#include "entities/Bgwater.h"

#include "gfx/Surface.h"
#include "level/Vocabulary.h"

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
    int right = px + kCellSize > target->w ? target->w : px + kCellSize;
    int upper = py < 0 ? 0 : py;
    int lower = py + kCellSize > target->h ? target->h : py + kCellSize;
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
