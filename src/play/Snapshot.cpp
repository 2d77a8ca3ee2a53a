// Snapshots of a play: the changing fields written out by number and read back.
#include "play/Snapshot.h"

#include <cstring>

#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"

namespace {
constexpr uint32_t kEndOfSquares = 0xFFFFFFFFu;
// A listed square: its number, its cell's and item's numbers, its ladder.
constexpr size_t kSquareBytes = 3 * sizeof(uint32_t) + sizeof(bool);
}

Rewinder::Rewinder(Level& level) : level(level) {
    for (Item* item : level.items) {
        ids.addItem(item);
        if (item && !item->inert) changing.push_back(item);
    }
    for (auto& row : level.grid)
        for (Cell*& cell : row) {
            squares.push_back({&cell, cell, cell ? cell->item : nullptr});
            if (cell) ids.addCell(cell);
        }
    // The bombs' rubble: the cells a blast puts into the grid (or, after
    // one, the cells it took out). Every bomb is the player's.
    for (Bomb* bomb : level.player->bombs)
        if (bomb)
            for (Cell* cell : bomb->rubble)
                if (cell) ids.addCell(cell);
    ids.seal();
}

void Rewinder::capture(Snapshot& out) const {
    StateIo io = StateIo::saving(out.rules, out.looks, ids);
    saveTo(io, out);
}

void Rewinder::captureRules(Snapshot& out) const {
    out.looks.clear();
    StateIo io = StateIo::savingRules(out.rules, ids);
    saveTo(io, out);
}

void Rewinder::saveTo(StateIo& io, Snapshot& out) const {
    transferWorld(io);
    out.squaresAt = io.rulesAt();
    // Only the cells and ladders the blasts swap in, and the items
    // registered in them, ever change.
    // Walked by pointer: the scan is most of a capture, and the writes below
    // would otherwise make the compiler read the array's bounds again.
    const Square* const begin = squares.data();
    const Square* const last = begin + squares.size();
    for (const Square* square = begin; square != last; ++square) {
        Cell* cell = *square->at;
        if (cell == square->first && (!cell || cell->item == square->firstItem)) continue;
        uint32_t i = static_cast<uint32_t>(square - begin);
        Item* item = cell ? cell->item : nullptr;
        bool ladder = cell ? cell->ladder : false;
        io.rule(i);
        io.cell(cell);
        io.item(item);
        io.rule(ladder);
    }
    uint32_t end = kEndOfSquares;
    io.rule(end);
    out.screen = Item::screen;
    out.level = Item::currentLevel;
    out.player = Item::currentPlayer;
}

void Rewinder::restore(const Snapshot& in) const {
    StateIo io = StateIo::loading(in.rules, in.looks, ids);
    loadFrom(io, in, nullptr);
}

void Rewinder::restoreRules(const Snapshot& in) const {
    StateIo io = StateIo::loadingRules(in.rules, ids);
    loadFrom(io, in, nullptr);
}

void Rewinder::restoreRules(const Snapshot& in, const Snapshot& current) const {
    StateIo io = StateIo::loadingRules(in.rules, ids);
    loadFrom(io, in, &current);
}

void Rewinder::loadFrom(StateIo& io, const Snapshot& in, const Snapshot* current) const {
    transferWorld(io);
    auto reset = [](const Square& square) {
        *square.at = square.first;
        if (square.first) square.first->item = square.firstItem;
    };
    if (current) {
        // Every other square holds its first cell, and that cell its first item.
        const std::vector<uint8_t>& bytes = current->rules;
        for (size_t at = current->squaresAt; at + sizeof(uint32_t) <= bytes.size(); at += kSquareBytes) {
            uint32_t square;
            std::memcpy(&square, bytes.data() + at, sizeof square);
            if (square >= squares.size()) break;
            reset(squares[square]);
        }
    } else {
        for (const Square& square : squares) reset(square);
    }
    for (;;) {
        uint32_t square = kEndOfSquares;
        io.rule(square);
        if (square >= squares.size()) break;
        Cell* cell = nullptr;
        io.cell(cell);
        Item* item = nullptr;
        io.item(item);
        bool ladder = false;
        io.rule(ladder);
        // A grid square is never left without a cell.
        if (!cell) continue;
        *squares[square].at = cell;
        cell->item = item;
        cell->ladder = ladder;
    }
    Item::screen = in.screen;
    Item::currentLevel = in.level;
    Item::currentPlayer = in.player;
}

void Rewinder::transferWorld(StateIo& io) const {
    io.rule(level.pageShift);
    level.player->transferState(io);
    for (Item* item : changing) item->transferState(io);
}
