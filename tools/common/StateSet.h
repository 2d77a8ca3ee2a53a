#pragma once
// A set of 64-bit state hashes, open addressing in one flat table: 16 bytes
// a state at most (half full before it doubles), no allocation per insert.
#include <cstddef>
#include <cstdint>
#include <vector>

class StateSet {
public:
    // True when the hash was new. Zero stands for an empty slot, so the one
    // hash that is zero is kept as a flag beside the table.
    bool insert(uint64_t hash) {
        if (hash == 0) {
            const bool fresh = !hasZero;
            hasZero = true;
            return fresh;
        }
        if ((count + 1) * 2 > slots.size()) grow();
        if (!place(slots, hash)) return false;
        ++count;
        return true;
    }
    size_t size() const { return count + hasZero; }
    size_t bytes() const { return slots.capacity() * sizeof(uint64_t); }

private:
    static bool place(std::vector<uint64_t>& table, uint64_t hash) {
        const size_t mask = table.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            if (table[i] == hash) return false;
            if (table[i] == 0) {
                table[i] = hash;
                return true;
            }
        }
    }
    void grow() {
        std::vector<uint64_t> bigger(slots.empty() ? 1024 : slots.size() * 2, 0);
        for (uint64_t h : slots)
            if (h) place(bigger, h);
        slots.swap(bigger);
    }
    std::vector<uint64_t> slots;
    size_t count = 0;
    bool hasZero = false;
};
