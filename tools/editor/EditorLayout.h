#pragma once
// Where the editor's window puts the level and the palette, shared by its
// drawing and its mouse.
#include <SDL/SDL.h>

#include "level/Vocabulary.h"

namespace editorlayout {

// The level's visible cells; the palette and status lines are below them.
constexpr int kLevelHeight = kVisibleRows * kCellSize;
constexpr int kIconSize = 24;
constexpr int kIconStep = 26;
constexpr int kIconTop = 421;

// Whether a cell's picture covers all of its 32 x 32 pixels: the cell layer
// is drawn over the items, so nothing behind such a cell shows.
bool coversCell(SDL_Surface* sprite);

} // namespace editorlayout
