#pragma once
// An item's place in the grid: the cell whose item field holds it.
#include "level/Level.h"

class Item;

// None outside the grid.
inline Item* itemAt(const Level& level, int column, int row) {
    const Cell* cell = level.cellAt(column, row);
    return cell ? cell->item : nullptr;
}

// Registers the item (or none) in the cell, whatever the cell held.
inline void holdIn(const Level& level, int column, int row, Item* item) {
    if (Cell* cell = level.cellAt(column, row)) {
        cell->item = item;
        level.touch(column, row);
    }
}

// Clears the cell only if it still holds this item.
inline void releaseFrom(const Level& level, int column, int row, const Item* item) {
    Cell* cell = level.cellAt(column, row);
    if (cell && cell->item == item) {
        cell->item = nullptr;
        level.touch(column, row);
    }
}

// Is (column, row) free for the item, and can whatever stands on it come
// along to the row above?
bool canCarry(const Level& level, Item& item, int column, int row);

// Moves the item sideways by dx in its row, registered in its rounded
// column, and the stack on it along; false if the stack refused.
bool slideBy(const Level& level, Item& item, double dx, int row, bool& result);
