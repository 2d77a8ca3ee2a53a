#pragma once
// H during a play: the world holds still while the hint thinks, then its
// answer stays over the level until Escape or a play key dismisses it.
#include <cstdint>

class Level;
class UndoHistory;
struct PlayHooks;

// The key that asks; not a tape key, so a play with hints replays as one without.
constexpr int kHintKey = 'h';

// Shows the hint over the picture the last pass drew. Returns when it is
// dismissed; a play key that dismissed it is still held for the next pass,
// Escape is waited out. The world, the tape and the undo steps are as before.
void runHint(Level& level, const UndoHistory* history, PlayHooks* hooks);
// Frees the letters the hint keeps for the run (resetViewImages calls it).
void resetHintImages();
