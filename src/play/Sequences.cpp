// STUB: replaced by the play loop work.
#include "play/Sequences.h"
void runLevelStart(Level&, int, int, bool) {}
void runExitSequence(Level&, int, int, bool) {}
void runAftermath(Level&, uint32_t&, int, int, bool) {}
void drawBlockTransition(Level&, uint32_t) {}
void runQuitFade(Level&) {}
