// STUB: replaced by the play loop work.
#include "play/PlayLoop.h"
PlayOutcome runPlayLoop(Level&, int&, bool, int*, int, PlayHooks*) { return Quit; }
bool checkPlayEnd(Level&, const uint8_t*, PlayOutcome&) { return true; }
bool checkSelectionInput(Level&, const uint8_t*, int&, int*, int, PlayOutcome&) { return false; }
