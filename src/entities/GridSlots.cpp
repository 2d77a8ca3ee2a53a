// Moving an item sideways with whatever stands on it.
#include "entities/GridSlots.h"

#include <cmath>

#include "entities/Item.h"

bool canCarry(const Level& level, Item& item, int column, int row) {
    if (!level.isFree(column, row, &item)) return false;
    if (Item* above = itemAt(level, static_cast<int>(item.x / 32), static_cast<int>(item.y / 32) - 1))
        return above->canMoveTo(column, row - 1, false);
    return true;
}

bool slideBy(const Level& level, Item& item, double dx, int row, bool& result) {
    const int old = static_cast<int>(std::round(item.x / 32));
    item.x += dx;
    const int now = static_cast<int>(std::round(item.x / 32));
    if (now != old) {
        holdIn(level, old, row, nullptr);
        holdIn(level, now, row, &item);
    }
    if (Item* above = itemAt(level, old, row - 1)) return above->moveBy(dx, 0, result);
    return true;
}
