// STUB: replaced by the graphics work.
#include "gfx/AnimStrip.h"
AnimStrip cutStrip(SDL_Surface*, unsigned, unsigned, int, int, int, int, int, int) { return {}; }
void freeStrip(AnimStrip& strip) { SDL_FreeSurface(strip.surface); strip.surface = nullptr; }
