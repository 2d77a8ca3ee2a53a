#pragma once
#include <cstdint>

class Level;
struct AnimStrip;
struct SDL_Surface;

// The heads-up display at the bottom of the screen: bombs left and the status bar.
void drawHud(Level& level);
// A light around the undo key's cap in the status bar.
void drawUndoHint(Level& level);
// Doors, level numbers and page arrows of the level-selection map.
void drawSelectionOverlay(Level& level, int availableLevels, int page);
// The grid over everything drawn so far; liquid squares become water.
void drawCells(Level& level, int timeOffset);
// The two halves of drawCells: every cell picture but water, then the water.
void drawCellSprites(Level& level);
void drawWaterSquares(Level& level, int timeOffset);
void drawWater(Level& level, int column, int row, int timeOffset);

// The status bar's bomb (the hint shows it too); no surface when the item
// sheet is missing.
const AnimStrip& hudBombIcon();
// The yellow that points the player at something: the undo cap's blink,
// the hint's marks and its thinking bar.
uint32_t pointerInk(const SDL_Surface* screen);

// The pictures the view keeps for the whole run are made once, on first use.
// Tests that change the picture files between cases throw them away here so
// the next draw makes them again (the hint's letters too).
void resetViewImages();
