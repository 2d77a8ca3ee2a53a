// A surface as a PNG: its pixels read back through SDL, then the one PNG writer.
#include <SDL/SDL.h>

#include "common/PngWrite.h"
#include "gfx/Surface.h"

bool writePng(SDL_Surface* surface, const char* path, std::string* error) {
    if (!surface || !path) return false;
    return writePngFile(
        path, surface->w, surface->h, 3,
        [surface](int y, uint8_t* row) {
            for (int x = 0; x < surface->w; ++x, row += 3)
                SDL_GetRGB(getPixel(surface, x, y), surface->format, row, row + 1, row + 2);
        },
        -1, error);
}
