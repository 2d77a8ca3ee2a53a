#pragma once
#include <cstdint>

class Level;

void runLevelStart(Level& level, int page, int availableLevels, bool selectMode);
void runExitSequence(Level& level, int page, int availableLevels, bool selectMode);
// Six more seconds of play after Died or Restart, closing with the blocks.
void runAftermath(Level& level, uint32_t& lastTick, int page, int availableLevels, bool selectMode);
void drawBlockTransition(Level& level, uint32_t elapsed);
// Escape: fade to "./gfx/maski_b.png" over 2000 ms.
void runQuitFade(Level& level);
