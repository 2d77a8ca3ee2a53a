#pragma once
// The solver's relaxed map of a level's cells: where the player could be,
// items ignored and every blast still to come assumed to have opened all it
// could, and the fewest actions between cells there (the bound's tour).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

class Level;

constexpr uint32_t kFarAway = UINT32_MAX;

class RelaxedMap {
public:
    // Builds the map for the world as it stands: the grid's passable cells,
    // and every cell a blast of the bombs still burning or in the pocket
    // could ever turn into another (docs/solver.md); without pocketBlasts,
    // as if the bombs in the pocket were never placed.
    void build(const Level& level, bool pocketBlasts = true);
    int columns() const { return width; }
    int rows() const { return height; }
    // Within the first row's width, so a cell's index stays in the map.
    bool open(int c, int r) const {
        return c >= 0 && r >= 0 && c < width && r < height && passable[static_cast<size_t>(r) * width + c];
    }
    // Actions from a cell (or, toward, to it); kFarAway where none lead.
    void distances(int from, bool toward, std::vector<uint32_t>& out);
    // The same from (or to) the nearest of several cells.
    void distances(const std::vector<int>& from, bool toward, std::vector<uint32_t>& out);
    // The distances from (or, toward, to) a cell, kept for each cell while
    // the map stays as it is (most actions leave it).
    const std::vector<uint32_t>& kept(int cell, bool toward);
    // Changes whenever kept finds the map changed.
    uint64_t number() const { return mapNumber; }

private:
    // Every cell the player could reach from a cell, as distances does.
    void reach(int from, std::vector<uint8_t>& out);
    // Opens the blast's cells around every cell a bomb could come to rest
    // in from these cells (pushed sideways, falling); true if any opened.
    bool openBlasts(std::vector<int>& bombCells);

    const Level* level = nullptr;
    int width = 0, height = 0;
    std::vector<uint8_t> passable;
    std::vector<uint8_t> ladders;
    std::vector<uint8_t> seen;
    std::vector<int> cells, sources;
    std::vector<uint32_t> far;
    std::vector<uint64_t> key, builtFor;
    // Per cell and direction: the distances, and the map's number when
    // they were worked out.
    std::vector<std::vector<uint32_t>> keptDistances;
    std::vector<uint64_t> keptFor;
    std::vector<uint8_t> lastMap;
    uint64_t mapNumber = 1;
    std::deque<int> queue;
};
