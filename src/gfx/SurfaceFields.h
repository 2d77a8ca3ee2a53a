#pragma once
// A surface's colour key and overall alpha. SDL 1.2 keeps them in the pixel
// format; the web build's surfaces keep them elsewhere, so drawing code asks
// here rather than reading the format's fields.
#include <SDL/SDL.h>
#include <cstdint>

uint32_t colorKeyOf(const SDL_Surface* surface);
uint8_t overallAlphaOf(const SDL_Surface* surface);
