#pragma once
// One world the solver moves: a loaded level, its rewinder and snapshots, and
// the scratch the rules' questions use. Each thread of a search has its own.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "play/Snapshot.h"
#include "solve/RelaxedMap.h"

class HeadlessPlay;
class Item;
class Level;
struct Cell;
struct SolveLimits;

// The macro actions tried from every settled state (the player still on the
// grid, nothing falling): a key combination held for one pass, then no key
// until the world settles again; waiting lets the next bomb go off.
enum SolveAction : uint8_t { ActLeft, ActRight, ActJumpLeft, ActJumpRight, ActUp, ActDown, ActBomb, ActWait,
                             ActionCount };

// Every pass of a solution lasts one ordinary frame.
inline constexpr uint32_t kPassTime = 20;
// An action that has not settled after this many passes (a minute of play)
// is dropped: something keeps moving for ever.
inline constexpr uint32_t kMostPasses = 3000;

// Tape key bits: left, right, up, down, x, z (see kTapeKeyNames).
inline constexpr uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8, kX = 16, kZ = 32;
inline constexpr uint16_t kActionKeys[ActionCount] = {kLeft, kRight, kX | kLeft, kX | kRight, kUp, kDown, kZ, 0};

inline const uint8_t kNoKeys[SDLK_LAST] = {};

// A state of the search.
struct SolveNode {
    uint32_t parent;
    uint32_t passes;  // of the action that led here
    uint32_t moves;
    uint8_t action;
    // Its action not played yet: packed holds the parent's world.
    bool unplayed;
    // The snapshot's rules as they differ from the start's (then its
    // looks, when laid out unlike the start's); freed once expanded.
    std::unique_ptr<uint8_t[]> packed;
    uint32_t rulesSize;  // of the packed rules
    uint64_t hash;
};

class SolveWorld {
public:
    using Node = SolveNode;
    // level: borrowed for the world's life; its state now is the search's start.
    explicit SolveWorld(Level& level);
    SolveWorld(const SolveWorld&) = delete;
    SolveWorld& operator=(const SolveWorld&) = delete;

    // Runs one action from the world as it stands; returns false when it
    // does nothing, kills the player or never settles; won tells a win.
    bool act(SolveAction action, uint32_t& passes, bool& won);
    bool nothingFalling() const;
    bool settled() const;
    // Can a blast still change the grid (a bomb in the pocket or burning)?
    bool blastsLeft() const;
    // Is a placed bomb's fuse burning?
    bool fuseBurning() const;
    // byTour: also asks the bound's tour while blasts are to come (the
    // breadth-first search, the tests' judge of the bound, does not).
    bool mayStillWin(bool byTour = true) const;
    unsigned actionsLeftBound() const;
    unsigned tourBound() const;
    unsigned freshTourBound() const;
    unsigned tourOn(RelaxedMap& map, bool pocketBlasts) const;
    // The tour on a map made already.
    unsigned tourOnMap(RelaxedMap& map) const;
    // The fewest, over every cell the first blast to come could happen in
    // (a bomb in these cells, pushed or fallen), of the tour on the grid's
    // map with that blast's reach opened and, with a second blast to come
    // (a bomb burning in the cell secondBomb, or one placed where the player
    // stands from the cell player), every cell the second could open on it;
    // floor: a tour no choice goes below.
    unsigned blastsTour(std::vector<int>& bombCells, unsigned floor, int secondBomb, int player) const;
    unsigned orderBound(RelaxedMap& map, size_t gems, const std::vector<uint32_t>& fromPlayer,
                        const std::vector<uint32_t>& toDoor) const;
    int estimate() const;
    uint64_t idleKey();
    // For a settled world with a fuse burning and no key held: how many
    // passes only age the fuses (those before a bomb lets go of its cell),
    // and the fuses aged by that many passes at once, as the passes would.
    uint32_t idlePasses() const;
    void skipIdlePasses(uint32_t passes);
    // Puts the world back as `to` holds it (the rules' part).
    void rewind(const Snapshot& to);
    // Where the world as it stands goes in the queue's order (smaller first),
    // its actions so far left out.
    int64_t rank(const SolveLimits& limits) const;
    void pack(Node& node, const Snapshot& snapshot);
    // Restores the node's world into the snapshot and frees its copy.
    void unpack(Node& node, Snapshot& snapshot);
    void release(Node& node);
    // The bytes a node's packed world holds.
    static size_t packedSize(const Node& node);

    Level& level;
    // Does the tour choose where a second blast to come happens too (the
    // shortest search)? The default search asks the tour only for lost
    // worlds, and the first blast's choices find most of them for less.
    bool twoBlasts = true;
    Rewinder rewinder;
    Snapshot root;
    Snapshot scratch;
    // Is scratch a capture of the world as it stands (nothing played since)?
    bool scratchIsLive = false;
    Snapshot from;
    HeadlessPlay* play = nullptr;  // while a search runs on it
    // The bytes packed by this world less those unpacked (wrapping: only the
    // sum over a search's worlds is its total).
    size_t packedBytes = 0;

private:
    // What falls, found once: the crates and rocks, and the rest (gems,
    // bombs) that count only once they drop.
    std::vector<Item*> boxes;
    std::vector<const Item*> droppers;
    // Every gem left (down its column) and the door among the cells marked.
    bool reachesEverything(const uint8_t* marks, int columns, int rows) const;
    // A key of the grid's cells and their ladders: only the squares the
    // level's log names can differ from the start, so only those are read.
    uint64_t gridKey() const;
    // Each square's cell and ladder at the start, by the log's key
    // (row * columns + column), and the squares out of the log's reach.
    std::vector<uint64_t> startWords;
    std::vector<Cell* const*> logged, unlogged;  // the grid's squares in and out of the log's reach
    // mayStillWin's cells as flags, bordered, for the grid with that key.
    static constexpr uint8_t kOpenCell = 1, kStandCell = 2, kLadderCell = 4;
    mutable std::vector<uint8_t> cellFlags;
    mutable uint64_t flagsGrid = 0;
    mutable std::vector<uint8_t> touched;  // mayStillWin's reach, kept
    mutable std::vector<int> reachQueue;
    // mayStillWin's reaches once no blast is left, by the grid and the
    // player's cell (a search comes back to them again and again): one slot
    // a key's low bits, the key and its cells' marks.
    static constexpr size_t kReachBytes = size_t{1} << 20;
    mutable std::vector<uint64_t> reachKeys;
    mutable std::unique_ptr<uint8_t[]> reaches;
    mutable size_t reachSize = 0;
    mutable RelaxedMap relaxed;  // tourBound's map and distances, kept
    mutable RelaxedMap unplaced;  // the same without the pocket's blasts
    mutable RelaxedMap gridMap{1};  // the grid's cells only, no blast
    // The grid's map with one blast's reach opened, one map per choice.
    mutable RelaxedMap chosen{256};
    mutable std::vector<int> blastCells, firstCells, secondCells, opened;
    // blastsTour's choices (the cells each opens) by the grid's map and
    // the bombs' cells, one a slot, the last one in it kept.
    struct KeptChoices {
        uint64_t grid = 0;
        std::vector<int> cells;
        std::vector<std::array<int, 4>> openings;
    };
    mutable std::vector<KeptChoices> keptChoices;
    // tourBound's answers by what they follow from (the grid, the bombs,
    // the player's cell, the gems), one a slot, the last one in it kept.
    struct KeptTour {
        uint64_t key = 0;
        uint32_t tour = 0;
    };
    mutable std::vector<KeptTour> keptTours;
    // orderBound's cells each gem is taken in, its legs between gems (kept
    // while the map and the gems stay), and its table of orders.
    mutable std::vector<std::vector<int>> takes;
    struct Legs {
        std::vector<uint64_t> key;  // which map, its number, the gems' places
        std::vector<uint32_t> between;
        uint64_t used = 0;
    };
    mutable std::vector<Legs> legCache;
    mutable uint64_t legUses = 0;
    mutable std::vector<uint64_t> orderKey;
    mutable std::vector<uint32_t> legs, ordered;
    std::vector<uint8_t> packScratch;
    const Item* door = nullptr;  // the last goal, the one that counts
};

// What a bomb burning to no purpose costs in the best-first order, and one
// that will break something, for a bomb in the cell (column, row).
int64_t litPenalty(const Level& level, int column, int row, const Item* bomb);
