// The editor's framed box.
#include "editor/Panel.h"

#include "gfx/Surface.h"

void drawPanel(SDL_Surface* screen, int x, int y, int w, int h, Uint32 border) {
    fillRect(screen, x, y, w, h, rgb(screen, 10, 10, 20));
    frameRect(screen, x, y, w, h, 1, border);
}
