// The colour key and overall alpha where SDL 1.2 keeps them.
#include "gfx/SurfaceFields.h"

uint32_t colorKeyOf(const SDL_Surface* surface) { return surface->format->colorkey; }
uint8_t overallAlphaOf(const SDL_Surface* surface) { return surface->format->alpha; }
