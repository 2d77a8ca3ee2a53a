#pragma once
// A small table of things worked out before, kept while they are asked for:
// the entry a key matches, or room for a new one (the least used goes).
#include <cstddef>
#include <cstdint>
#include <vector>

// Entry has a `uint64_t used`. Returns the entry's index and whether it
// matched; a new entry is the caller's to fill. clock counts the uses.
template <class Entry, class Matches>
size_t findOrMake(std::vector<Entry>& table, size_t most, uint64_t& clock, Matches matches, bool& found) {
    size_t slot = table.size();
    for (size_t i = 0; i < table.size() && slot == table.size(); ++i)
        if (matches(table[i])) slot = i;
    found = slot < table.size();
    if (!found) {
        if (table.size() < most) {
            table.emplace_back();
        } else {
            slot = 0;
            for (size_t i = 1; i < table.size(); ++i)
                if (table[i].used < table[slot].used) slot = i;
        }
    }
    table[slot].used = ++clock;
    return slot;
}
