#pragma once
// A set of 64-bit state hashes, each with a number (the fewest actions it was
// reached in), open addressing in flat tables: at most 24 bytes a state (half
// full before it doubles), no allocation per insert.
#include <cstddef>
#include <cstdint>
#include <vector>

class StateSet {
public:
    // True when the hash was new.
    bool insert(uint64_t hash) { return improve(hash, 0); }
    // True when the hash is new or was kept with a larger value; the smaller
    // one is kept.
    bool improve(uint64_t hash, uint32_t value) {
        if ((count + 1) * 2 > slots.size()) grow();
        const size_t i = find(slots, key(hash));
        if (slots[i] == 0) {
            slots[i] = key(hash);
            values[i] = value;
            ++count;
            return true;
        }
        if (value >= values[i]) return false;
        values[i] = value;
        return true;
    }
    // The value kept with a hash, or UINT32_MAX when it is not in the set.
    uint32_t value(uint64_t hash) const {
        if (slots.empty()) return UINT32_MAX;
        const size_t i = find(slots, key(hash));
        return slots[i] ? values[i] : UINT32_MAX;
    }
    size_t size() const { return count; }
    size_t bytes() const { return slots.capacity() * sizeof(uint64_t) + values.capacity() * sizeof(uint32_t); }

private:
    // Zero marks an empty slot, so the one hash that is zero is kept as one.
    static uint64_t key(uint64_t hash) { return hash ? hash : 1; }
    static size_t find(const std::vector<uint64_t>& table, uint64_t k) {
        const size_t mask = table.size() - 1;
        size_t i = k & mask;
        while (table[i] != 0 && table[i] != k) i = (i + 1) & mask;
        return i;
    }
    void grow() {
        std::vector<uint64_t> bigger(slots.empty() ? 1024 : slots.size() * 2, 0);
        std::vector<uint32_t> biggerValues(bigger.size(), 0);
        for (size_t i = 0; i < slots.size(); ++i)
            if (slots[i]) {
                const size_t at = find(bigger, slots[i]);
                bigger[at] = slots[i];
                biggerValues[at] = values[i];
            }
        slots.swap(bigger);
        values.swap(biggerValues);
    }
    std::vector<uint64_t> slots;
    std::vector<uint32_t> values;
    size_t count = 0;
};
