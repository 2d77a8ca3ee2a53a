#pragma once
// The dark framed box the editor's own screens (Open, Save As, the repairs
// list) are drawn in.
#include <SDL/SDL.h>

void drawPanel(SDL_Surface* screen, int x, int y, int w, int h, Uint32 border);
// The editor's colours, in the screen's pixel format.
inline Uint32 rgb(SDL_Surface* screen, int r, int g, int b) { return SDL_MapRGB(screen->format, r, g, b); }
