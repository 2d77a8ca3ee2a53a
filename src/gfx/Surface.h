#pragma once
// Small free functions over SDL surfaces shared by every drawing routine.
#include <SDL/SDL.h>
#include <cstdint>

int blitRect(SDL_Surface* source, SDL_Surface* target, int sx, int sy, int w, int h, int tx, int ty);
int fillRect(SDL_Surface* target, int x, int y, int w, int h, uint32_t colour);
// Pixels outside the surface are skipped (getPixel reads 0). Both lock the
// surface when SDL says it must be locked.
void putPixel(SDL_Surface* surface, int x, int y, uint32_t colour);
uint32_t getPixel(SDL_Surface* surface, int x, int y);
SDL_Surface* makeBlackSurface(int width, int height);
void crossFade(SDL_Surface* screen, SDL_Surface* top, SDL_Surface* bottom, uint32_t duration);
void fadeTo(SDL_Surface* screen, SDL_Surface* image, uint32_t duration);

// IMG_Load that reports a picture it cannot load once per path on standard
// output ("Picture PATH not found.") and returns null.
SDL_Surface* loadImage(const char* path);
