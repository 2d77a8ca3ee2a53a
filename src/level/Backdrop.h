#pragma once
#include <SDL/SDL.h>

// The backdrop picture: the background repeated over a width x height area
// (one tile more than fits whole each way, clipped) and multiplied pixel by
// pixel by the mask, in the display format. A new surface, owned by the caller.
// Where the pictures and the display have plain 8-bit channels the pixels are
// computed in one direct pass; otherwise, or when allowDirect is false, SDL
// blits and per-pixel reads and writes do it. Both give the same surface.
SDL_Surface* composeBackdrop(int width, int height, SDL_Surface* background, SDL_Surface* mask,
                             bool allowDirect = true);
