// Moving an item sideways with whatever stands on it.
#include "entities/GridSlots.h"

#include <cmath>

#include "entities/Item.h"
#include "level/Vocabulary.h"

bool canCarry(const Level& level, Item& item, int column, int row) {
    if (!level.isFree(column, row, &item)) return false;
    if (Item* above = itemAt(level, static_cast<int>(item.x / kCellSize), static_cast<int>(item.y / kCellSize) - 1))
        return above->canMoveTo(column, row - 1, false);
    return true;
}

bool slideBy(const Level& level, Item& item, double dx, int row, bool& result) {
    const int old = static_cast<int>(std::round(item.x / kCellSize));
    item.x += dx;
    const int now = static_cast<int>(std::round(item.x / kCellSize));
    if (now != old) {
        holdIn(level, old, row, nullptr);
        holdIn(level, now, row, &item);
    }
    if (Item* above = itemAt(level, old, row - 1)) return above->moveBy(dx, 0, result);
    return true;
}
