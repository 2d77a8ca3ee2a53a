// The editor's framed box.
#include "editor/Panel.h"

#include "gfx/Surface.h"

void drawPanel(SDL_Surface* screen, int x, int y, int w, int h, Uint32 border) {
    fillRect(screen, x, y, w, h, panelColour(screen, 10, 10, 20));
    fillRect(screen, x, y, w, 1, border);
    fillRect(screen, x, y + h - 1, w, 1, border);
    fillRect(screen, x, y, 1, h, border);
    fillRect(screen, x + w - 1, y, 1, h, border);
}
