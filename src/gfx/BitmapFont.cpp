// STUB: replaced by the graphics work.
#include "gfx/BitmapFont.h"
BitmapFont loadFont() { return {}; }
void drawText(SDL_Surface*, const BitmapFont&, unsigned, int, const std::string&) {}
void numberToText(int, std::string&) {}
