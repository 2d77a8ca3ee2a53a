// A rock's one rule of its own: what may move it.
#include "entities/Heavybox.h"

#include "entities/GridSlots.h"
#include "level/Vocabulary.h"

bool Heavybox::canMoveTo(int column, int row, bool byPlayer) {
    if (!byPlayer) return false;  // too heavy to ride along on anything
    if (destroyed || !level) return false;
    int t = top() / kCellSize;
    Item* above = itemAt(*level, static_cast<int>(x / kCellSize), t - 1);
    if (above && above->isBox()) return false;  // pinned by the box on top
    return Box::canMoveTo(column, row, byPlayer);
}
