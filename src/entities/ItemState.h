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
    // Sorts the lookup tables; call once after the last add.
    void seal();
    uint32_t itemId(const Item* item) const { return find(itemOrder, item); }
    uint32_t cellId(const Cell* cell) const { return find(cellOrder, cell); }
    Item* item(uint32_t id) const { return id && id <= items.size() ? items[id - 1] : nullptr; }
    Cell* cell(uint32_t id) const { return id && id <= cells.size() ? cells[id - 1] : nullptr; }

private:
    using Order = std::vector<std::pair<const void*, uint32_t>>;
    static uint32_t find(const Order& order, const void* pointer);
    std::vector<Item*> items;
    std::vector<Cell*> cells;
    Order itemOrder, cellOrder;
};

class StateWriter {
public:
    StateWriter(std::vector<uint8_t>& rules, std::vector<uint8_t>& looks, const WorldIds& ids)
        : rules(rules), looks(looks), ids(ids) {}
    template <class T>
    void put(const T& value) { append(rules, &value, sizeof value); }
    template <class T>
    void look(const T& value) { append(looks, &value, sizeof value); }
    void strip(const AnimStrip& s) {
        look(s.currentFrame);
        look(s.elapsed);
    }
    // A strip whose frame the rules read (the step up counts its frames).
    void ruleStrip(const AnimStrip& s) {
        put(s.currentFrame);
        put(s.elapsed);
    }
    void item(const Item* item) { put(ids.itemId(item)); }
    void cell(const Cell* cell) { put(ids.cellId(cell)); }

private:
    // Within the capacity of an earlier capture this allocates nothing.
    static void append(std::vector<uint8_t>& to, const void* data, size_t size) {
        const size_t at = to.size();
        to.resize(at + size);
        std::memcpy(to.data() + at, data, size);
    }
    std::vector<uint8_t>& rules;
    std::vector<uint8_t>& looks;
    const WorldIds& ids;
};

class StateReader {
public:
    StateReader(const std::vector<uint8_t>& rules, const std::vector<uint8_t>& looks, const WorldIds& ids)
        : rules(rules), looks(looks), ids(ids) {}
    template <class T>
    void get(T& value) { take(rules, ruleAt, &value, sizeof value); }
    template <class T>
    void look(T& value) { take(looks, lookAt, &value, sizeof value); }
    void strip(AnimStrip& s) {
        look(s.currentFrame);
        look(s.elapsed);
    }
    void ruleStrip(AnimStrip& s) {
        get(s.currentFrame);
        get(s.elapsed);
    }
    template <class T>
    void item(T*& pointer) {
        uint32_t id = 0;
        get(id);
        pointer = static_cast<T*>(ids.item(id));
    }
    void cell(Cell*& pointer) {
        uint32_t id = 0;
        get(id);
        pointer = ids.cell(id);
    }
    // Has every byte been read? (A snapshot of another world would not fit.)
    bool done() const { return ruleAt == rules.size() && lookAt == looks.size(); }

private:
    // Past the end reads zeros: a snapshot never comes from another level,
    // but a broken one must not read outside its buffer.
    static void take(const std::vector<uint8_t>& from, size_t& at, void* out, size_t size) {
        if (at + size > from.size()) {
            std::memset(out, 0, size);
            at = from.size();
            return;
        }
        std::memcpy(out, from.data() + at, size);
        at += size;
    }
    const std::vector<uint8_t>& rules;
    const std::vector<uint8_t>& looks;
    const WorldIds& ids;
    size_t ruleAt = 0;
    size_t lookAt = 0;
};
