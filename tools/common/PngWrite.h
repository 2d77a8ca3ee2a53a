#pragma once
#include <SDL/SDL.h>

// Writes the surface as an 8-bit RGB PNG (any pixel format SDL can read
// back). Returns false when the file cannot be written.
bool writePng(SDL_Surface* surface, const char* path);
