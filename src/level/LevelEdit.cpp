// Level surgery: cells and items changed in a loaded level.
#include "level/LevelEdit.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "entities/GridSlots.h"
#include "entities/Player.h"
#include "entities/Treasure.h"
#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "level/Vocabulary.h"

namespace {

bool sameRecord(const RecordLine& a, const RecordLine& b) { return a.name == b.name && a.attributes == b.attributes; }

bool isKind(const RecordLine& record, Record kind) {
    const RecordRule* rule = findRecord(record.name, record.attributes.size());
    return rule && rule->kind == kind;
}

// Takes the item out of its cell and the treasure list and frees it. The
// edited level is never played: an item rests in the cell its record names.
void dropItem(Level& level, Item* item) {
    releaseFrom(level, static_cast<int>(std::floor(item->x / kCellSize)),
                static_cast<int>(std::floor(item->y / kCellSize)), item);
    auto& treasures = level.treasures;
    treasures.erase(std::remove_if(treasures.begin(), treasures.end(),
                                   [item](const Treasure* treasure) { return treasure == item; }),
                    treasures.end());
    delete item;
}

} // namespace

bool setCellKey(Level& level, int column, int row, unsigned char key) {
    const Cell* prototype = level.spriteTable.findPrototype(key);
    if (!prototype || row < 0 || row >= static_cast<int>(level.grid.size()) || column < 0 ||
        column >= static_cast<int>(level.grid[row].size()))
        return false;
    Cell* old = level.grid[row][column];
    Cell* cell = new Cell(*prototype);
    cell->item = old->item;
    level.setCell(column, row, cell);
    delete old;
    return true;
}

bool updateCells(Level& level, const std::vector<std::string>& before, const std::vector<std::string>& after) {
    if (before.size() != after.size() || after.size() != level.grid.size()) return false;
    for (size_t row = 0; row < after.size(); ++row) {
        if (before[row].size() != after[row].size() || after[row].size() != level.grid[row].size()) return false;
        for (size_t column = 0; column < after[row].size(); ++column)
            if (before[row][column] != after[row][column] &&
                !setCellKey(level, static_cast<int>(column), static_cast<int>(row),
                            static_cast<unsigned char>(after[row][column])))
                return false;
    }
    return true;
}

bool ItemPlacement::place(Level& level, const std::vector<RecordLine>& records) {
    // Only the records between an unchanged head and an unchanged tail: cutting
    // every item's pictures again made an edit on a busy level cost milliseconds.
    size_t head = 0, tail = 0;
    if (known) {
        while (head < records.size() && head < placed.size() && sameRecord(records[head], placed[head])) ++head;
        while (tail < records.size() - head && tail < placed.size() - head &&
               sameRecord(records[records.size() - 1 - tail], placed[placed.size() - 1 - tail]))
            ++tail;
        // Bombs belong to the player's list as well: those records place all anew.
        for (size_t i = head; i < placed.size() - tail; ++i)
            if (isKind(placed[i], Record::Bombs)) known = false;
        for (size_t i = head; i < records.size() - tail; ++i)
            if (isKind(records[i], Record::Bombs)) known = false;
    }
    if (!known) head = tail = 0;

    // The items of the changed records go; those before and after them stay.
    size_t firstGone = 0, gone = 0;
    if (known) {
        for (size_t i = 0; i < head; ++i) firstGone += counts[i];
        for (size_t i = head; i < placed.size() - tail; ++i) gone += counts[i];
    } else {
        gone = level.items.size();
    }
    for (size_t i = firstGone; i < firstGone + gone; ++i) dropItem(level, level.items[i]);
    std::vector<Item*> after(level.items.begin() + static_cast<long>(firstGone + gone), level.items.end());
    level.items.resize(firstGone);
    if (!known) {
        level.player->bombs.clear();
        level.player->bombsUsed = 0;
    }

    std::vector<size_t> made(counts.begin(), counts.begin() + static_cast<long>(head));
    bool fine = true;
    try {
        ItemSheet sheet;
        for (size_t i = head; i < records.size() - tail; ++i) {
            const size_t before = level.items.size();
            placeItem(level, records[i].name, records[i].attributes, &sheet);
            made.push_back(level.items.size() - before);
        }
    } catch (const LoadError&) {
        fine = false;
    }
    level.items.insert(level.items.end(), after.begin(), after.end());
    try {
        // The player stands where the last of its records puts it.
        level.player->setPosition(kPlayerStartColumn * kCellSize, kPlayerStartRow * kCellSize);
        for (const RecordLine& record : records)
            if (isKind(record, Record::Player)) placeItem(level, record.name, record.attributes);
    } catch (const LoadError&) {
        fine = false;
    }
    if (known) made.insert(made.end(), counts.end() - static_cast<long>(tail), counts.end());

    // New treasures were added at the end of the list: put it in item order again.
    std::unordered_map<const Item*, size_t> order;
    for (size_t i = 0; i < level.items.size(); ++i) order[level.items[i]] = i;
    std::stable_sort(level.treasures.begin(), level.treasures.end(),
                     [&order](const Treasure* a, const Treasure* b) { return order[a] < order[b]; });

    known = fine;
    placed = records;
    counts = made;
    return fine;
}
