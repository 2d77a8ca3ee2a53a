#pragma once
// The changing fields of the world, written to and read back from a snapshot
// of a play. What the rules read goes to one buffer and what only the
// pictures show (animation frames) to another, so that a search can tell
// states apart by the rules alone. Pointers are written as numbers, so two
// loads of one level give the same bytes for the same state.
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "gfx/AnimStrip.h"

class Item;
struct Cell;

// Numbers for a world's items and cells (0 stands for none).
class WorldIds {
public:
    void addItem(Item* item);
    void addCell(Cell* cell);
    // Builds the lookup tables; call once after the last add.
    void seal();
    uint32_t itemId(const Item* item) const { return find(itemTable, item); }
    uint32_t cellId(const Cell* cell) const { return find(cellTable, cell); }
    Item* item(uint32_t id) const { return id && id <= items.size() ? items[id - 1] : nullptr; }
    Cell* cell(uint32_t id) const { return id && id <= cells.size() ? cells[id - 1] : nullptr; }

private:
    // Open addressing by the pointer, at most half full: every capture
    // numbers the bombs' rubble and the changed squares' cells and items.
    using Table = std::vector<std::pair<const void*, uint32_t>>;
    template <class T>
    static void fill(Table& table, const std::vector<T*>& pointers);
    static size_t slotOf(const Table& table, const void* pointer) {
        const uint64_t bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
        return static_cast<size_t>((bits * 0x9E3779B97F4A7C15ull) >> 32) & (table.size() - 1);
    }
    static uint32_t find(const Table& table, const void* pointer) {
        if (!pointer) return 0;
        for (size_t at = slotOf(table, pointer);; at = (at + 1) & (table.size() - 1)) {
            if (table[at].first == pointer) return table[at].second;
            if (!table[at].first) return 0;
        }
    }
    std::vector<Item*> items;
    std::vector<Cell*> cells;
    Table itemTable = Table(1), cellTable = Table(1);
};

// One pass over the changing fields of the world that either saves them or
// loads them back: each kind lists its fields once, in one function, so
// saving and loading cannot fall out of step.
class StateIo {
public:
    // Saving fills the two buffers anew; within the capacity of an earlier
    // capture it allocates nothing. They hold what was written once this
    // ends.
    static StateIo saving(std::vector<uint8_t>& rules, std::vector<uint8_t>& looks, const WorldIds& ids) {
        return StateIo(&rules, &looks, rules, looks, ids);
    }
    // Loading reads the buffers back from their start.
    static StateIo loading(const std::vector<uint8_t>& rules, const std::vector<uint8_t>& looks,
                           const WorldIds& ids) {
        return StateIo(nullptr, nullptr, rules, looks, ids);
    }
    // The same for the rules alone: the looks are neither written nor read
    // (a loaded world keeps the ones it had), for a search that reads only
    // the rules.
    static StateIo savingRules(std::vector<uint8_t>& rules, const WorldIds& ids) {
        return StateIo(&rules, nullptr, rules, rules, ids, false);
    }
    static StateIo loadingRules(const std::vector<uint8_t>& rules, const WorldIds& ids) {
        return StateIo(nullptr, nullptr, rules, rules, ids, false);
    }
    StateIo(const StateIo&) = delete;
    StateIo& operator=(const StateIo&) = delete;
    ~StateIo() {
        for (int b = 0; b < 2; ++b)
            if (out[b]) out[b]->resize(static_cast<size_t>(side[b].at - side[b].begin));
    }

    bool isSaving() const { return out[0] != nullptr; }
    // Bytes of the rules' buffer written or read so far.
    size_t rulesAt() const { return static_cast<size_t>(side[0].at - side[0].begin); }
    // A field the rules read.
    template <class T>
    void rule(T& value) { move(0, &value, sizeof value); }
    // A field only the pictures show.
    template <class T>
    void look(T& value) { move(1, &value, sizeof value); }
    // A field the rules read only in some states.
    template <class T>
    void ruleIf(bool read, T& value) { move(read ? 0 : 1, &value, sizeof value); }
    void strip(AnimStrip& s) {
        look(s.currentFrame);
        look(s.elapsed);
    }
    // A strip whose frame the rules read (the step up counts its frames).
    void ruleStrip(AnimStrip& s) {
        rule(s.currentFrame);
        rule(s.elapsed);
    }
    template <class T>
    void item(T*& pointer) {
        uint32_t id = isSaving() ? ids.itemId(pointer) : 0;
        rule(id);
        if (!isSaving()) pointer = static_cast<T*>(ids.item(id));
    }
    void cell(Cell*& pointer) {
        uint32_t id = isSaving() ? ids.cellId(pointer) : 0;
        rule(id);
        if (!isSaving()) pointer = ids.cell(id);
    }
    // Reading: are the rules' next bytes these? Then skipRules passes them.
    bool nextRulesAre(const uint8_t* bytes, size_t length) const {
        const Side& s = side[0];
        return static_cast<size_t>(s.end - s.at) >= length && std::memcmp(s.at, bytes, length) == 0;
    }
    void skipRules(size_t length) { side[0].at += length; }
    // Has every byte been read? (A snapshot of another world would not fit.)
    bool done() const { return side[0].at == side[0].end && (!withLooks || side[1].at == side[1].end); }

private:
    StateIo(std::vector<uint8_t>* rulesOut, std::vector<uint8_t>* looksOut, const std::vector<uint8_t>& rules,
            const std::vector<uint8_t>& looks, const WorldIds& ids, bool withLooks = true)
        : out{rulesOut, looksOut}, ids(ids), withLooks(withLooks) {
        // Saving writes into the buffers' whole capacity and trims them at
        // the end: growing a vector field by field costs more than the
        // fields themselves.
        const std::vector<uint8_t>* in[2] = {&rules, &looks};
        for (int b = 0; b < 2; ++b) {
            if (out[b]) out[b]->resize(out[b]->capacity());
            uint8_t* begin = const_cast<uint8_t*>(in[b]->data());  // written only through out
            side[b] = {begin, begin, begin + in[b]->size()};
        }
    }

    // Small enough to be inlined at every field, where the copy of a size
    // known there is one move; the rare cases are calls.
    void move(int buffer, void* data, size_t size) {
        if (buffer == 1 && !withLooks) return;
        Side& s = side[buffer];
        if (static_cast<size_t>(s.end - s.at) < size) {
            if (!out[buffer]) return readPastEnd(data, size, s);
            grow(*out[buffer], s, size);
        }
        if (out[buffer])
            std::memcpy(s.at, data, size);
        else
            std::memcpy(data, s.at, size);
        s.at += size;
    }
    // The buffer's bytes and where the next field goes.
    struct Side {
        uint8_t* begin;
        uint8_t* at;
        uint8_t* end;
    };
    static void grow(std::vector<uint8_t>& to, Side& side, size_t size);
    // Past the end reads zeros: a snapshot never comes from another
    // level, but a broken one must not read outside its buffer.
    static void readPastEnd(void* data, size_t size, Side& side);

    std::vector<uint8_t>* out[2];
    const WorldIds& ids;
    bool withLooks;
    Side side[2];
};
