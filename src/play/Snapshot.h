#pragma once
// Snapshots of a play: the whole changing state of a level's world (player,
// items, the grid's cells as blasts change them) copied out and put back,
// without reading a file or making a surface.
#include <SDL/SDL.h>

#include <cstdint>
#include <vector>

#include "entities/ItemState.h"

class Level;
class Player;
struct Cell;
class Item;

struct Snapshot {
    // What the rules read, then what only the pictures show; see ItemState.h.
    std::vector<uint8_t> rules;
    std::vector<uint8_t> looks;
    // Where the rules' list of grid squares that differ from the start begins.
    size_t squaresAt = 0;
    // Where the player's rules begin, then where it and each changing item
    // end (captureRules lists them; a restore from another snapshot with
    // this one as the world as it stands skips those whose bytes are alike).
    std::vector<uint32_t> ends;
    // Item's class-wide references when the snapshot was taken.
    SDL_Surface* screen = nullptr;
    Level* level = nullptr;
    Player* player = nullptr;
};

// Takes and restores snapshots of one level. Made once per level (it numbers
// the items and cells); the first capture into a snapshot sizes it, later
// captures and restores allocate nothing.
class Rewinder {
public:
    explicit Rewinder(Level& level);
    void capture(Snapshot& out) const;
    // Puts the world back, Item's class-wide references included.
    void restore(const Snapshot& in) const;
    // The same for the rules' part alone, for a search that tells states
    // apart by the rules: the snapshot's looks are left empty, and a restore
    // leaves the world's looks as they were (nothing the rules do reads them).
    void captureRules(Snapshot& out) const;
    void restoreRules(const Snapshot& in) const;
    // The same, where `current` is a capture of the world as it stands
    // (nothing played since): only the grid squares it lists are put back
    // before those of `in`, instead of every square.
    void restoreRules(const Snapshot& in, const Snapshot& current) const;

private:
    // The player's and the items' fields, saved or loaded; ends, when
    // saving, where each one's rules end. With current (as in restoreRules)
    // a loading skips each one whose bytes current holds alike: it holds
    // those values already.
    void transferWorld(StateIo& io, std::vector<uint32_t>* ends = nullptr, const Snapshot* current = nullptr) const;
    // The world's fields and the grid squares that differ, saved or loaded.
    void saveTo(StateIo& io, Snapshot& out, std::vector<uint32_t>* ends) const;
    // current: as in restoreRules, or null to put back every square.
    void loadFrom(StateIo& io, const Snapshot& in, const Snapshot* current) const;
    Level& level;
    WorldIds ids;
    // The items a play can change, in the level's order.
    std::vector<Item*> changing;
    // Every grid square, its cell and the cell's item when this was made:
    // a snapshot lists only the squares that differ from these.
    struct Square {
        Cell** at;
        Cell* first;
        Item* firstItem;
        uint32_t key;  // its place in the level's grid log
    };
    std::vector<Square> squares;
    // The squares that may differ from their first cell and item, by number
    // and in order: those the level's log names (read up to logRead) and
    // any the log cannot name. Captures and restores walk only these.
    void follow() const;
    std::vector<uint32_t> squareOfKey;
    mutable std::vector<uint32_t> watched;
    mutable size_t logRead = 0;
};
