// The solver's relaxed map: open cells, blasts to come, and actions between cells.
#include "solve/RelaxedMap.h"

#include <atomic>
#include <cmath>

#include "entities/Bomb.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "solve/LeastUsed.h"

namespace {
uint64_t cellKey(int c, int r) { return uint64_t{static_cast<uint32_t>(r)} << 32 | static_cast<uint32_t>(c); }

uint64_t hashOf(const std::vector<uint8_t>& cells) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint8_t c : cells) hash = (hash ^ c) * 0x100000001B3ull;
    return hash;
}

// Numbers for maps, one a map across every RelaxedMap of the process, so
// that a number names one map wherever it was made.
std::atomic<uint64_t> mapNumbers{0};
}  // namespace

void RelaxedMap::build(const Level& level, bool pocketBlasts, bool anyBlasts) {
    // The map follows from the grid's cells, the bombs' places and states
    // and, with one in the pocket, the player's cell: most actions change
    // none of them, and the map is kept.
    const Player& p = *level.player;
    key.clear();
    for (const auto& row : level.grid)
        for (const Cell* cell : row) key.push_back(reinterpret_cast<uintptr_t>(cell));
    if (anyBlasts)
        for (const Bomb* bomb : p.bombs)
            key.push_back(bomb->burning() ? uint64_t{1} << 63 | cellKey(bomb->column, bomb->row)
                                                          : bomb->exploded);
    else
        key.push_back(uint64_t{1} << 62);
    const int pc = static_cast<int>(std::floor(p.x / 32)), pr = static_cast<int>(std::floor(p.y / 32));
    const bool pocket = anyBlasts && pocketBlasts && p.bombsLeft() > 0;
    if (pocket) key.push_back(cellKey(pc, pr));
    if (this->level == &level && key == builtFor) return;
    if (this->level != &level) made.clear();
    builtFor.swap(key);
    this->level = &level;
    // A search comes back to the same few worlds' maps: the last ones made
    // are kept by what they follow from.
    uint64_t hash = 0x9E3779B97F4A7C15ull;
    for (uint64_t word : builtFor) hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    bool found;
    Made& m = made[findOrMake(made, kMadeMaps, uses, [&](const Made& e) { return e.hash == hash && e.key == builtFor; },
                              found)];
    if (found) {
        passable = m.passable;
        passableHash = m.passableHash;
        return;
    }
    make(level, pocket, anyBlasts, pc, pr);
    passableHash = hashOf(passable);
    m.hash = hash;
    m.key = builtFor;
    m.passable = passable;
    m.passableHash = passableHash;
}

void RelaxedMap::openOver(const RelaxedMap& grid, const std::vector<int>& opened) {
    level = grid.level;
    width = grid.width;
    height = grid.height;
    passable = grid.passable;
    ladders = grid.ladders;
    for (int at : opened) passable[static_cast<size_t>(at)] = 1;
    passableHash = hashOf(passable);
    // Made by hand: the next build makes its map afresh.
    builtFor.clear();
}

void RelaxedMap::openRound(std::vector<int>& bombCells, int player) {
    if (player >= 0) {
        reach(player, standable);
        for (size_t i = 0; i < standable.size(); ++i)
            if (standable[i]) bombCells.push_back(static_cast<int>(i));
    }
    openBlasts(bombCells);
    passableHash = hashOf(passable);
    builtFor.clear();
}

void RelaxedMap::make(const Level& level, bool pocket, bool anyBlasts, int pc, int pr) {
    const Player& p = *level.player;
    height = static_cast<int>(level.grid.size());
    width = height ? static_cast<int>(level.grid[0].size()) : 0;
    const size_t size = static_cast<size_t>(width) * height;
    passable.assign(size, 0);
    ladders.assign(size, 0);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            if (const Cell* cell = level.cellAt(c, r)) {
                passable[static_cast<size_t>(r) * width + c] = cell->passable;
                ladders[static_cast<size_t>(r) * width + c] = cell->ladder;
            }

    // A blast keeps a cell's ladder and can only swap cells, so the map
    // opens what it might swap. Each blast to come happens where a bomb can
    // be: a burning one where it lies or wherever it can be pushed or fall
    // to; one in the pocket wherever the player can stand, then so. Every
    // round lets every bomb go off anywhere it could with the cells opened
    // so far, so after as many rounds as there are blasts to come, no
    // order of them opens a cell the map has not.
    unsigned blasts = pocket ? p.bombsLeft() : 0;
    bool lost = pocket && !open(pc, pr);
    cells.clear();
    for (const Bomb* bomb : p.bombs)
        if (anyBlasts && bomb->burning()) {
            ++blasts;
            lost = lost || bomb->column < 0 || bomb->row < 0 || bomb->column >= width || bomb->row >= height;
            if (!lost) cells.push_back(bomb->row * width + bomb->column);
        }
    if (lost) {
        // A bomb or the player off the map: a blast could open anything.
        passable.assign(size, 1);
        return;
    }
    const size_t burning = cells.size();
    for (unsigned round = 0; round < blasts; ++round) {
        cells.resize(burning);
        if (pocket) {
            reach(pr * width + pc, seen);
            for (size_t i = 0; i < size; ++i)
                if (seen[i]) cells.push_back(static_cast<int>(i));
        }
        if (!openBlasts(cells)) break;
    }
}

void RelaxedMap::restCells(std::vector<int>& bombCells) {
    // Pushed along its row onto open cells, falling down open ones.
    seen.assign(passable.size(), 0);
    for (int at : bombCells) seen[at] = 1;
    for (size_t i = 0; i < bombCells.size(); ++i) {
        const int at = bombCells[i];
        const int c = at % width, r = at / width;
        const int next[3][2] = {{c - 1, r}, {c + 1, r}, {c, r + 1}};
        for (const auto& n : next)
            if (open(n[0], n[1]) && !seen[n[1] * width + n[0]]) {
                seen[n[1] * width + n[0]] = 1;
                bombCells.push_back(n[1] * width + n[0]);
            }
    }
}

bool RelaxedMap::openBlasts(std::vector<int>& bombCells) {
    restCells(bombCells);
    bool opened = false;
    for (int at : bombCells) {
        const int c = at % width, r = at / width;
        // The blast's reach: its own cell, left, above, right.
        const int reachOf[4][2] = {{c, r}, {c - 1, r}, {c, r - 1}, {c + 1, r}};
        for (const auto& n : reachOf) {
            if (n[0] < 0 || n[1] < 0 || n[0] >= width || n[1] >= height) continue;
            uint8_t& cell = passable[static_cast<size_t>(n[1]) * width + n[0]];
            opened = opened || !cell;
            cell = 1;
        }
    }
    return opened;
}

const std::vector<uint32_t>& RelaxedMap::kept(int cell, bool toward) {
    if (versions.empty() || passableHash != versions[current].hash || passable != versions[current].passable) {
        // A search comes back to the same few maps (the player above or
        // below a ledge, a bomb here or there): each keeps its distances.
        bool found;
        current = findOrMake(versions, keptMaps, uses,
                             [&](const Version& v) { return v.hash == passableHash && v.passable == passable; }, found);
        if (!found) {
            Version& fresh = versions[current];
            fresh.passable = passable;
            fresh.hash = passableHash;
            fresh.number = ++mapNumbers;
            fresh.distances.resize(passable.size() * 2);
            fresh.have.assign(passable.size() * 2, 0);
        }
    }
    Version& map = versions[current];
    const size_t at = static_cast<size_t>(cell) * 2 + toward;
    if (!map.have[at]) {
        distances(cell, toward, map.distances[at]);
        map.have[at] = 1;
    }
    return map.distances[at];
}

void RelaxedMap::reach(int from, std::vector<uint8_t>& out) {
    distances(from, false, far);
    out.assign(far.size(), 0);
    for (size_t i = 0; i < far.size(); ++i) out[i] = far[i] != kFarAway;
}

// Where the player may be in any open cell with no floor under it, a walk,
// push, jump (two cells, the middle one ignored), step up or rung costs one
// action and a fall nothing. Every action the engine allows is a path of at
// most one action here, so these distances never exceed the game's.
void RelaxedMap::distances(int from, bool toward, std::vector<uint32_t>& out) {
    sources.assign(1, from);
    distances(sources, toward, out);
}

void RelaxedMap::distances(const std::vector<int>& from, bool toward, std::vector<uint32_t>& out) {
    out.assign(static_cast<size_t>(width) * height, kFarAway);
    auto ladder = [&](int c, int r) { return ladders[static_cast<size_t>(r) * width + c] != 0; };
    queue.clear();
    for (int at : from)
        if (out[at] != 0) {
            out[at] = 0;
            queue.push_back(at);
        }
    while (!queue.empty()) {
        const int at = queue.front();
        queue.pop_front();
        const int c = at % width, r = at / width;
        const uint32_t d = out[at];
        auto step = [&](int nc, int nr, uint32_t cost) {
            if (!open(nc, nr)) return;
            uint32_t& there = out[static_cast<size_t>(nr) * width + nc];
            if (d + cost >= there) return;
            there = d + cost;
            if (cost)
                queue.push_back(nr * width + nc);
            else
                queue.push_front(nr * width + nc);
        };
        // Forward from (c, r), or (toward) the cells that lead to it.
        for (int s : {-1, 1}) {
            step(c + s, r, 1);                       // walk, push
            step(c + 2 * s, r, 1);                   // jump
            step(c + s, toward ? r + 1 : r - 1, 1);  // step up
        }
        if (toward) {
            if (open(c, r + 1) && ladder(c, r + 1)) step(c, r + 1, 1);
            step(c, r - 1, 0);
        } else {
            if (ladder(c, r)) step(c, r - 1, 1);
            step(c, r + 1, 0);
        }
    }
}
