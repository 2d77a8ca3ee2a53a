// Numbers for the world's items and cells in snapshots.
#include "entities/ItemState.h"

void WorldIds::addItem(Item* item) { items.push_back(item); }

void WorldIds::addCell(Cell* cell) { cells.push_back(cell); }

template <class T>
void WorldIds::fill(Table& table, const std::vector<T*>& pointers) {
    const size_t count = pointers.size();
    size_t size = 2;
    while (size < 2 * count) size *= 2;
    table.assign(size, {nullptr, 0});
    for (size_t i = 0; i < count; ++i) {
        if (!pointers[i]) continue;
        size_t at = slotOf(table, pointers[i]);
        while (table[at].first && table[at].first != pointers[i]) at = (at + 1) & (size - 1);
        // The first number of a pointer added twice, as the sorted search gave.
        if (!table[at].first) table[at] = {pointers[i], static_cast<uint32_t>(i + 1)};
    }
}

void WorldIds::seal() {
    fill(itemTable, items);
    fill(cellTable, cells);
}

void StateIo::grow(std::vector<uint8_t>& to, Side& side, size_t size) {
    const size_t written = static_cast<size_t>(side.at - side.begin);
    to.resize(2 * (written + size) + 64);
    side = {to.data(), to.data() + written, to.data() + to.size()};
}

void StateIo::readPastEnd(void* data, size_t size, Side& side) {
    std::memset(data, 0, size);
    side.at = side.end;
}
