#pragma once
#include <cstdint>

class Level;

void runLevelStart(Level& level, int page, int availableLevels, bool selectMode);
void runExitSequence(Level& level, int page, int availableLevels, bool selectMode);
// Six more seconds of play after Died or Restart, closing with the blocks.
// When undoable, the undo key's hint blinks through it and the key cuts it
// short (true).
bool runAftermath(Level& level, uint32_t& lastTick, int page, int availableLevels, bool selectMode,
                  bool undoable = false);
void drawBlockTransition(Level& level, uint32_t elapsed);
// Escape: fade to "./gfx/maski_b.png" over 2000 ms.
void runQuitFade(Level& level);
