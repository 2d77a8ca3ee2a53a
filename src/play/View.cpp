// STUB: replaced by the play loop work.
#include "play/View.h"
void drawHud(Level&) {}
void drawSelectionOverlay(Level&, int, int) {}
void drawCells(Level&, int) {}
void drawWater(Level&, int, int, int) {}
