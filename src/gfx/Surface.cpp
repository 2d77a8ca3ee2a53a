// STUB: replaced by the graphics work.
#include "gfx/Surface.h"
int blitRect(SDL_Surface*, SDL_Surface*, int, int, int, int, int, int) { return 0; }
int fillRect(SDL_Surface*, int, int, int, int, uint32_t) { return 0; }
void putPixel(SDL_Surface*, int, int, uint32_t) {}
uint32_t getPixel(SDL_Surface*, int, int) { return 0; }
SDL_Surface* makeBlackSurface(int, int) { return nullptr; }
void crossFade(SDL_Surface*, SDL_Surface*, SDL_Surface*, uint32_t) {}
void fadeTo(SDL_Surface*, SDL_Surface*, uint32_t) {}
SDL_Surface* loadImage(const char*) { return nullptr; }
