// Snapshots of a play: the changing fields written out by number and read back.
#include "play/Snapshot.h"

#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"

namespace {
constexpr uint32_t kEndOfSquares = 0xFFFFFFFFu;
}

Rewinder::Rewinder(Level& level) : level(level) {
    for (Item* item : level.items) ids.addItem(item);
    for (auto& row : level.grid)
        for (Cell*& cell : row) {
            squares.push_back(&cell);
            firstCells.push_back(cell);
            firstItems.push_back(cell ? cell->item : nullptr);
            if (cell) ids.addCell(cell);
        }
    // The bombs' rubble: the cells a blast puts into the grid (or, after
    // one, the cells it took out).
    for (Item* item : level.items)
        if (Bomb* bomb = dynamic_cast<Bomb*>(item))
            for (Cell* cell : bomb->rubble)
                if (cell) ids.addCell(cell);
    ids.seal();
}

void Rewinder::capture(Snapshot& out) const {
    out.rules.clear();
    out.looks.clear();
    StateWriter writer(out.rules, out.looks, ids);
    writer.put(level.pageShift);
    level.player->saveState(writer);
    for (const Item* item : level.items)
        if (item) item->saveState(writer);
    // Only the cells and ladders the blasts swap in, and the items
    // registered in them, ever change.
    for (uint32_t i = 0; i < squares.size(); ++i) {
        const Cell* cell = *squares[i];
        if (cell == firstCells[i] && (!cell || cell->item == firstItems[i])) continue;
        writer.put(i);
        writer.cell(cell);
        writer.item(cell ? cell->item : nullptr);
        writer.put(cell ? cell->ladder : false);
    }
    writer.put(kEndOfSquares);
    out.screen = Item::screen;
    out.level = Item::currentLevel;
    out.player = Item::currentPlayer;
}

void Rewinder::restore(const Snapshot& in) const {
    StateReader reader(in.rules, in.looks, ids);
    reader.get(level.pageShift);
    level.player->loadState(reader);
    for (Item* item : level.items)
        if (item) item->loadState(reader);
    for (size_t i = 0; i < squares.size(); ++i) {
        *squares[i] = firstCells[i];
        if (firstCells[i]) firstCells[i]->item = firstItems[i];
    }
    for (;;) {
        uint32_t square = kEndOfSquares;
        reader.get(square);
        if (square >= squares.size()) break;
        Cell* cell = nullptr;
        reader.cell(cell);
        Item* item = nullptr;
        reader.item(item);
        bool ladder = false;
        reader.get(ladder);
        // A grid square is never left without a cell.
        if (!cell) continue;
        *squares[square] = cell;
        cell->item = item;
        cell->ladder = ladder;
    }
    Item::screen = in.screen;
    Item::currentLevel = in.level;
    Item::currentPlayer = in.player;
}
