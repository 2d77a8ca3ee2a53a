// Snapshots of a play: the changing fields written out by number and read back.
#include "play/Snapshot.h"

#include <algorithm>
#include <cstring>

#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"

namespace {
constexpr uint32_t kEndOfSquares = 0xFFFFFFFFu;
constexpr uint32_t kNoSquare = 0xFFFFFFFFu;
// A listed square: its number, its cell's and item's numbers, its ladder.
constexpr size_t kSquareBytes = 3 * sizeof(uint32_t) + sizeof(bool);
}

Rewinder::Rewinder(Level& level) : level(level) {
    for (Item* item : level.items) {
        ids.addItem(item);
        if (item && !item->inert) changing.push_back(item);
    }
    level.keepGridLog();
    const size_t columns = static_cast<size_t>(level.columnCount);
    const size_t keys = static_cast<size_t>(level.rowCount) * columns;
    squareOfKey.assign(keys, kNoSquare);
    for (size_t r = 0; r < level.grid.size(); ++r)
        for (size_t c = 0; c < level.grid[r].size(); ++c) {
            Cell*& cell = level.grid[r][c];
            const size_t key = r * columns + c;
            const uint32_t number = static_cast<uint32_t>(squares.size());
            const bool logged = c < columns && key < keys;
            if (logged)
                squareOfKey[key] = number;
            else
                watched.push_back(number);  // out of the log's reach: always looked at
            squares.push_back(
                {&cell, cell, cell ? cell->item : nullptr, logged ? static_cast<uint32_t>(key) : kNoSquare});
            if (cell) ids.addCell(cell);
        }
    // Every square may come to be watched: no capture or restore allocates.
    watched.reserve(squares.size());
    // The bombs' rubble: the cells a blast puts into the grid (or, after
    // one, the cells it took out). Every bomb is the player's.
    for (Bomb* bomb : level.player->bombs)
        if (bomb)
            for (Cell* cell : bomb->rubble)
                if (cell) ids.addCell(cell);
    ids.seal();
}

void Rewinder::capture(Snapshot& out) const {
    // Whole captures are kept (the undo key's steps): they list no ends.
    out.ends.clear();
    StateIo io = StateIo::saving(out.rules, out.looks, ids);
    saveTo(io, out, nullptr);
}

void Rewinder::captureRules(Snapshot& out) const {
    out.looks.clear();
    StateIo io = StateIo::savingRules(out.rules, ids);
    saveTo(io, out, &out.ends);
}

void Rewinder::saveTo(StateIo& io, Snapshot& out, std::vector<uint32_t>* ends) const {
    transferWorld(io, ends);
    out.squaresAt = io.rulesAt();
    // Only the cells and ladders the blasts swap in, and the items
    // registered in them, ever change; the log says where.
    follow();
    for (uint32_t i : watched) {
        const Square* square = &squares[i];
        Cell* cell = *square->at;
        if (cell == square->first && (!cell || cell->item == square->firstItem)) continue;
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

void Rewinder::follow() const {
    const std::vector<uint32_t>& log = level.gridLog();
    for (; logRead < log.size(); ++logRead) {
        const uint32_t key = log[logRead];
        if (key >= squareOfKey.size() || squareOfKey[key] == kNoSquare) continue;
        const uint32_t number = squareOfKey[key];
        // Each key is logged once: the new square goes in at its place.
        watched.insert(std::upper_bound(watched.begin(), watched.end(), number), number);
    }
}

void Rewinder::loadFrom(StateIo& io, const Snapshot& in, const Snapshot* current) const {
    transferWorld(io, nullptr, current);
    follow();
    // The squares put back below are not all noted one by one.
    level.noteChanges();
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
        for (uint32_t i : watched) reset(squares[i]);
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
        level.touchKey(squares[square].key);
    }
    follow();
    Item::screen = in.screen;
    Item::currentLevel = in.level;
    Item::currentPlayer = in.player;
}

void Rewinder::transferWorld(StateIo& io, std::vector<uint32_t>* ends, const Snapshot* current) const {
    io.rule(level.pageShift);
    if (ends) {
        ends->clear();
        ends->push_back(static_cast<uint32_t>(io.rulesAt()));
    }
    // A loading reads the same bytes the same way every time (what a field
    // decides is read from the bytes before it): bytes alike to the current
    // world's own give the values it holds, and are passed over.
    const bool skipping = current && current->ends.size() == changing.size() + 2 && !io.isSaving();
    auto transfer = [&](auto& one, size_t k) {
        if (skipping) {
            const uint32_t begin = current->ends[k], length = current->ends[k + 1] - begin;
            if (io.nextRulesAre(current->rules.data() + begin, length)) {
                io.skipRules(length);
                return;
            }
        }
        one.transferState(io);
        if (ends) ends->push_back(static_cast<uint32_t>(io.rulesAt()));
    };
    transfer(*level.player, 0);
    for (size_t k = 0; k < changing.size(); ++k) transfer(*changing[k], k + 1);
}
