// Numbers for the world's items and cells in snapshots.
#include "entities/ItemState.h"

#include <algorithm>

void WorldIds::addItem(Item* item) {
    items.push_back(item);
    itemOrder.emplace_back(item, static_cast<uint32_t>(items.size()));
}

void WorldIds::addCell(Cell* cell) {
    cells.push_back(cell);
    cellOrder.emplace_back(cell, static_cast<uint32_t>(cells.size()));
}

void WorldIds::seal() {
    std::sort(itemOrder.begin(), itemOrder.end());
    std::sort(cellOrder.begin(), cellOrder.end());
}

uint32_t WorldIds::find(const Order& order, const void* pointer) {
    if (!pointer) return 0;
    auto it = std::lower_bound(order.begin(), order.end(), std::make_pair(pointer, uint32_t{0}));
    return it != order.end() && it->first == pointer ? it->second : 0;
}
