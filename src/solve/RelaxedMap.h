#pragma once
// The solver's relaxed map of a level's cells: where the player could be,
// every blast still to come assumed to have opened all it could, where it
// could stand, and the fewest actions between cells there (the bound's tour).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "level/Vocabulary.h"

class Bomb;
class Level;

// Could the bomb's blast leave a wall or water where it swaps a cell, and
// so a floor anywhere it could go off?
bool rubbleMakesFloors(const Bomb& bomb);

constexpr uint32_t kFarAway = UINT32_MAX;

// The cell a place in pixels lies in (left of or above it when between two).
inline int cellOf(double v) { return static_cast<int>(std::floor(v / kCellSize)); }

// A word mixed into a key: the solver's kept answers are found by such
// keys, built a word at a time from what the answer follows from.
inline uint64_t mixWord(uint64_t key, uint64_t word) {
    key = (key ^ word) * 0xFF51AFD7ED558CCDull;
    return key ^ (key >> 29);
}

class RelaxedMap {
public:
    // keptMaps: how many maps' distances kept keeps (the last asked for).
    explicit RelaxedMap(size_t keptMaps = 16) : keptMaps(keptMaps) {}
    // Builds the map for the world as it stands: the grid's passable cells,
    // and every cell a blast of the bombs still burning or in the pocket
    // could ever turn into another (docs/solver.md); without pocketBlasts,
    // as if the bombs in the pocket were never placed; without any blasts,
    // the grid's passable cells only. The crates' places tell where the
    // player could ever stand.
    void build(const Level& level, bool pocketBlasts = true, bool anyBlasts = true);
    // The grid's map (built without blasts) with these cells opened too: the
    // map of a world whose only blast to come opens them (solid: its rubble
    // could be a wall or water, a floor anywhere).
    void openOver(const RelaxedMap& grid, const std::vector<int>& opened, bool solid);
    // One round of make's on this map: opens every cell a blast could swap
    // from a bomb in these cells or, with player a cell, one placed where
    // the player could stand from there.
    void openRound(std::vector<int>& bombCells, int player);
    // openOver, then (with bombCells or a player) openRound; the maps made
    // are kept by what they follow from, for a grid's map that build made.
    void openChoice(const RelaxedMap& grid, const std::vector<int>& opened, bool solid, std::vector<int>& bombCells,
                    int player);
    // Where a blast to come could happen, from a bomb in these cells: every
    // cell it could come to rest in, pushed along its row or falling down
    // open cells (items only ever hold it back); appended to cells.
    void restCells(std::vector<int>& cells);
    // Appends every cell the player could reach from a cell, as distances
    // does, on the floors as last found.
    void addReach(int from, std::vector<int>& out);
    int columns() const { return width; }
    int rows() const { return height; }
    // Within the first row's width, so a cell's index stays in the map.
    bool open(int c, int r) const {
        return c >= 0 && r >= 0 && c < width && r < height && passable[static_cast<size_t>(r) * width + c];
    }
    // Could a jump from (from, r) in direction s pass a gem in column
    // (the start's or the middle one), now y pixels from the top, close
    // enough to take it in the middle of its action?
    bool jumpTakes(int from, int s, int r, int column, double y) const;
    // Actions from a cell (or, toward, to it); kFarAway where none lead.
    void distances(int from, bool toward, std::vector<uint32_t>& out);
    // The same from (or to) the nearest of several cells.
    void distances(const std::vector<int>& from, bool toward, std::vector<uint32_t>& out);
    // The distances from (or, toward, to) a cell, kept for each cell while
    // the map stays as it is (most actions leave it).
    const std::vector<uint32_t>& kept(int cell, bool toward);
    // The map's number as kept last found it: one number, one map.
    uint64_t number() const { return versions.empty() ? 0 : versions[current].number; }
    // The number of the map build found or made last, one a map, 0 when
    // it was made by hand (openOver, openRound, openChoice).
    uint64_t builtNumber() const { return built; }

private:
    // The open cells the player could ever stand in, from the open cells:
    // one over the grid's edge, a cell solid now, a ladder or a cell a crate
    // could come to.
    void findFloors();
    // Is (c, r) the middle cell of a jump in direction s (Player::jumpAction):
    // open, over an open cell, its landing within the first screen?
    bool gap(int c, int s, int r) const;
    // Each move of the map from (c, r), or (toward) into it, as step(column,
    // row, actions); stands tells whether the player stands in a cell.
    template <class Stands, class Step>
    void moves(int c, int r, bool toward, const Stands& stands, const Step& step) const;
    // The map itself, from the grid, the bombs (unless none) and (pocket)
    // the player's cell.
    void make(const Level& level, bool pocket, bool anyBlasts, int pc, int pr);
    // Opens the blast's cells around every cell a bomb could come to rest
    // in from these cells (restCells); true if any opened.
    bool openBlasts(std::vector<int>& bombCells);

    const Level* level = nullptr;
    int width = 0, height = 0;
    std::vector<uint8_t> passable;
    std::vector<uint8_t> ladders;
    std::vector<uint8_t> floors, crates, starts;
    // Per cell, from the grid's cells: what is under it stops a fall (no
    // cell, a wall, a ladder), and it is liquid.
    static constexpr uint8_t kStopsFall = 1, kLiquid = 2;
    std::vector<uint8_t> ground;
    uint64_t built = 0;
    // The cells the crates are in now; with solidRubble, a blast to come
    // could leave a wall or water anywhere and every open cell counts as a
    // floor.
    std::vector<int> crateCells;
    bool solidRubble = false;
    std::vector<uint8_t> seen;
    std::vector<int> cells, sources, crateQueue;
    std::vector<uint32_t> far;
    std::vector<uint64_t> key, builtFor;
    // The last maps kept asked for, each with its number and, per cell and
    // direction, the distances worked out so far.
    size_t keptMaps;
    uint64_t passableHash = 0;  // of passable, found when it changes
    struct Version {
        std::vector<uint8_t> passable, floors;
        std::vector<std::vector<uint32_t>> distances;
        std::vector<uint8_t> have;
        uint64_t hash = 0, number = 0, used = 0;
    };
    std::vector<Version> versions;
    // A version's index by its map's hash's low bits, as last found.
    static constexpr size_t kHints = 1024;
    std::vector<size_t> hints;
    struct Made {
        uint64_t hash = 0;
        std::vector<uint64_t> key;  // what the map follows from
        std::vector<uint8_t> passable, floors, ground;
        uint64_t passableHash = 0, used = 0, number = 0;
    };
    // One a cell for the player on most levels (a map with a bomb in the
    // pocket follows from the player's cell).
    static constexpr size_t kMadeMaps = 512, kMadeBytes = size_t{64} << 20;
    std::vector<Made> made;
    // openChoice's maps, one a slot, the last one in it kept.
    struct Choice {
        uint64_t hash = 0;
        std::vector<uint64_t> key;
        std::vector<uint8_t> passable, floors;
        uint64_t passableHash = 0;
    };
    static constexpr size_t kMostChoices = 16384, kChoiceBytes = size_t{16} << 20;
    std::vector<Choice> choices;
    std::vector<uint64_t> choiceKey;
    size_t current = 0;
    uint64_t uses = 0;
    std::vector<int> layer, nextLayer;  // distances' cells to visit
};
