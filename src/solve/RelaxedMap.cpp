// The solver's relaxed map: open cells, blasts to come, and actions between cells.
#include "solve/RelaxedMap.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
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

bool rubbleMakesFloors(const Bomb& bomb) {
    for (const Cell* cell : bomb.rubble)
        if (cell && (!cell->passable || cell->liquid)) return true;
    return false;
}

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
    const int pc = cellOf(p.x), pr = cellOf(p.y);
    const bool pocket = anyBlasts && pocketBlasts && p.bombsLeft() > 0;
    if (pocket) key.push_back(cellKey(pc, pr));
    // The crates: the cells they are in (both, between two) and the floors
    // they make. A blast to come that leaves a wall or water could make a
    // floor anywhere.
    crateCells.clear();
    const int columnsNow = level.grid.empty() ? 0 : static_cast<int>(level.grid[0].size());
    const int rowsNow = static_cast<int>(level.grid.size());
    for (Item* item : level.items)
        if (item && !item->isPassable())
            for (double x : {std::floor(item->x / 32), std::ceil(item->x / 32)})
                for (double y : {std::floor(item->y / 32), std::ceil(item->y / 32)})
                    if (x >= 0 && y >= 0 && x < columnsNow && y < rowsNow)
                        crateCells.push_back(static_cast<int>(y) * columnsNow + static_cast<int>(x));
    solidRubble = false;
    for (const Bomb* bomb : p.bombs)
        solidRubble = solidRubble ||
                      (anyBlasts && !bomb->exploded && (pocketBlasts || bomb->burning()) && rubbleMakesFloors(*bomb));
    key.push_back(solidRubble);
    // A crate comes to the same cells from anywhere along its run of
    // passable cells (every open one lies in a run of the map's), so the
    // map follows from the runs the crates are in, not their cells.
    for (int at : crateCells) {
        int c = at % columnsNow;
        const int r = at / columnsNow;
        for (const Cell* left = level.cellAt(c - 1, r); left && left->passable; left = level.cellAt(c - 1, r)) --c;
        key.push_back(uint64_t{1} << 62 | static_cast<uint32_t>(r * columnsNow + c));
    }
    if (this->level == &level && key == builtFor) return;
    if (this->level != &level) made.clear();
    builtFor.swap(key);
    this->level = &level;
    // A search comes back to the same few worlds' maps: the last ones made
    // are kept by what they follow from.
    uint64_t hash = 0x9E3779B97F4A7C15ull;
    for (uint64_t word : builtFor) hash = mixWord(hash, word);
    bool found;
    // At most about 64 MB of them on the largest maps: a key's word and
    // three bytes a cell each.
    const size_t most = std::clamp<size_t>(kMadeBytes / (11 * builtFor.size() + 1), 16, kMadeMaps);
    Made& m = made[findOrMake(made, most, uses, [&](const Made& e) { return e.hash == hash && e.key == builtFor; },
                              found)];
    if (found) {
        passable = m.passable;
        passableHash = m.passableHash;
        floors = m.floors;
        ground = m.ground;
        built = m.number;
        return;
    }
    make(level, pocket, anyBlasts, pc, pr);
    findFloors();
    passableHash = hashOf(passable);
    m.hash = hash;
    m.key = builtFor;
    m.passable = passable;
    m.passableHash = passableHash;
    m.floors = floors;
    m.ground = ground;
    m.number = built = ++mapNumbers;
}

void RelaxedMap::openOver(const RelaxedMap& grid, const std::vector<int>& opened, bool solid) {
    level = grid.level;
    width = grid.width;
    height = grid.height;
    passable = grid.passable;
    ladders = grid.ladders;
    ground = grid.ground;
    for (int at : opened) passable[static_cast<size_t>(at)] = 1;
    crateCells = grid.crateCells;
    solidRubble = solid;
    findFloors();
    passableHash = hashOf(passable);
    // Made by hand: the next build makes its map afresh.
    builtFor.clear();
    built = 0;
}

void RelaxedMap::openRound(std::vector<int>& bombCells, int player) {
    if (player >= 0) addReach(player, bombCells);
    openBlasts(bombCells);
    findFloors();
    passableHash = hashOf(passable);
    builtFor.clear();
    built = 0;
}

void RelaxedMap::openChoice(const RelaxedMap& grid, const std::vector<int>& opened, bool solid,
                            std::vector<int>& bombCells, int player) {
    // The map follows from the grid's map (its number names its cells, its
    // floors and the runs its crates are in), the cells opened, the rubble,
    // and the second blast's bombs and player: the search asks the same
    // few choices again from state after state.
    choiceKey.assign({grid.built, solid, static_cast<uint64_t>(static_cast<uint32_t>(player))});
    for (int at : opened) choiceKey.push_back(static_cast<uint32_t>(at));
    choiceKey.push_back(UINT64_MAX);
    for (int at : bombCells) choiceKey.push_back(static_cast<uint32_t>(at));
    uint64_t hash = 0x9E3779B97F4A7C15ull;
    for (uint64_t word : choiceKey) hash = mixWord(hash, word);
    if (choices.empty()) {
        // About 16 MB of maps, whatever the level's size (a power of two).
        const size_t each = 2 * grid.passable.size() + 64;
        size_t slots = kMostChoices;
        while (slots > 64 && slots * each > kChoiceBytes) slots /= 2;
        choices.resize(slots);
    }
    Choice& slot = choices[hash & (choices.size() - 1)];
    if (grid.built != 0 && slot.hash == hash && slot.key == choiceKey && grid.level == level) {
        passable = slot.passable;
        floors = slot.floors;
        passableHash = slot.passableHash;
        builtFor.clear();
        built = 0;
        return;
    }
    openOver(grid, opened, solid);
    const bool round = !bombCells.empty() || player >= 0;
    if (round) openRound(bombCells, player);
    if (grid.built == 0) return;
    slot.hash = hash;
    slot.key = choiceKey;
    slot.passable = passable;
    slot.floors = floors;
    slot.passableHash = passableHash;
}

void RelaxedMap::make(const Level& level, bool pocket, bool anyBlasts, int pc, int pr) {
    const Player& p = *level.player;
    height = static_cast<int>(level.grid.size());
    width = height ? static_cast<int>(level.grid[0].size()) : 0;
    const size_t size = static_cast<size_t>(width) * height;
    passable.assign(size, 0);
    ladders.assign(size, 0);
    ground.assign(size, 0);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const size_t at = static_cast<size_t>(r) * width + c;
            if (const Cell* cell = level.cellAt(c, r)) {
                passable[at] = cell->passable;
                ladders[at] = cell->ladder;
                if (cell->liquid) ground[at] |= kLiquid;
            }
            // What stops a fall (Player::fallCheck): a cell not free (no
            // cell, a wall; a crate is the floors' business) or a ladder
            // under the player.
            const Cell* under = level.cellAt(c, r + 1);
            if (!under || !under->passable || under->ladder) ground[at] |= kStopsFall;
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
            // The floors as this round's cells make them.
            findFloors();
            addReach(pr * width + pc, cells);
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
    if (versions.empty() || passableHash != versions[current].hash || passable != versions[current].passable ||
        floors != versions[current].floors) {
        // A search comes back to the same few maps (the player above or
        // below a ledge, a bomb here or there): each keeps its distances.
        auto same = [&](const Version& v) {
            return v.hash == passableHash && v.passable == passable && v.floors == floors;
        };
        // Where the map's hash was found last, before the search of them all.
        if (hints.empty()) hints.assign(kHints, 0);
        size_t& hint = hints[passableHash & (kHints - 1)];
        bool found = hint < versions.size() && same(versions[hint]);
        if (found) {
            current = hint;
            versions[current].used = ++uses;
        } else {
            current = findOrMake(versions, keptMaps, uses, same, found);
            hint = current;
        }
        if (!found) {
            Version& fresh = versions[current];
            fresh.passable = passable;
            fresh.floors = floors;
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

void RelaxedMap::addReach(int from, std::vector<int>& out) {
    distances(from, false, far);
    for (size_t i = 0; i < far.size(); ++i)
        if (far[i] != kFarAway) out.push_back(static_cast<int>(i));
}

void RelaxedMap::findFloors() {
    const size_t size = passable.size();
    floors.assign(size, 0);
    if (solidRubble) {
        floors = passable;
        return;
    }
    // A crate only ever moves sideways, pushed, or down, falling, and only
    // into passable cells: it can come to any open cell so reached.
    // (Its own queue: make's cells hold the bombs while it asks.)
    crates.assign(size, 0);
    crateQueue.clear();
    for (int at : crateCells)
        if (!crates[at]) {
            crates[at] = 1;
            crateQueue.push_back(at);
        }
    for (size_t i = 0; i < crateQueue.size(); ++i) {
        const int c = crateQueue[i] % width, r = crateQueue[i] / width;
        const int next[3][2] = {{c - 1, r}, {c + 1, r}, {c, r + 1}};
        for (const auto& n : next)
            if (open(n[0], n[1]) && !crates[n[1] * width + n[0]]) {
                crates[n[1] * width + n[0]] = 1;
                crateQueue.push_back(n[1] * width + n[0]);
            }
    }
    // What stops a fall: the grid's cells under (ground) or a crate.
    for (size_t at = 0; at < size; ++at)
        if (passable[at]) floors[at] = (ground[at] & kStopsFall) || crates[at + width];
    // A jump that drops d rows ends its curve about 3 d pixels short of its
    // landing and rounds to the cell there: from 6 rows down it stops a row
    // short (more on taller maps) and the world settles for a moment with
    // the player in the air, where it can jump or climb again before it
    // falls (Player::update tries both before the fall); so it can where a
    // jump into liquid sinks in. Such a cell, open over open cells down to a
    // floor or into liquid within that many rows, counts 2.
    const int shortRows = std::max(1, (3 * height + 16) / 32);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const size_t at = static_cast<size_t>(r) * width + c;
            if (!passable[at] || floors[at]) continue;
            for (int k = 0; k <= shortRows && open(c, r + k); ++k) {
                const size_t there = static_cast<size_t>(r + k) * width + c;
                if ((ground[there] & kLiquid) || (k > 0 && floors[there] == 1)) {
                    floors[at] = 2;
                    break;
                }
            }
        }
}

bool RelaxedMap::gap(int c, int s, int r) const {
    const int land = c + s;
    return land >= 0 && land < kVisibleColumns && open(c, r) && open(c, r + 1);
}

bool RelaxedMap::jumpTakes(int from, int s, int r, int column, double y) const {
    if (!open(from, r) || !floors[static_cast<size_t>(r) * width + from] || !gap(from + s, s, r) ||
        !open(from + 2 * s, r))
        return false;
    // The landing lies no lower than the open cells under the landing cell.
    int land = r;
    while (land + 1 < height && open(from + 2 * s, land + 1)) ++land;
    // The jump's curve (Player::jumpAction) through its start, 4 pixels up
    // one column on and the landing, d = land - r rows down, is highest 16
    // pixels on, and the deeper the drop, the higher: within 8 pixels of
    // the start column it rises at most 3 d + 1.75 pixels; within 8 of the
    // middle column at most 3 d + 3.75 (4 with no drop) and drops at most
    // 5 d - 3.75. A gem is taken within 8 pixels.
    const double d = land - r, top = 32.0 * r;
    if (column == from) return y > top - 3 * d - 1.75 - 8 && y < top + 8;
    return column == from + s && y > top - std::max(3 * d + 3.75, 4.5) - 8 && y < top + 5 * d - 3.75 + 8;
}

// From a cell the player stands in, a walk or push goes one cell across, a
// jump two (over an open cell with an open one under it, within the first
// screen) and down to any open cell under its landing cell, a step up one
// across and one up onto a floor, a rung one up or down; from any cell a
// fall goes down for nothing, but never into a ladder (it stops on it: a fall
// passes a cell in one frame only after some 80 rows). The engine's actions
// start only from a standing player, so each is a path of at most one action
// here and the map's distances never exceed the game's.
template <class Stands, class Step>
void RelaxedMap::moves(int c, int r, bool toward, const Stands& stands, const Step& step) const {
    auto floor = [&](int fc, int fr) { return open(fc, fr) && floors[static_cast<size_t>(fr) * width + fc] == 1; };
    // Stands on a floor (2), or hangs in the air after a jump (1).
    auto acts = [&](int ac, int ar) { return stands(ac, ar) != 0; };
    auto walks = [&](int wc, int wr) { return stands(wc, wr) == 2; };
    auto ladder = [&](int lc, int lr) { return open(lc, lr) && ladders[static_cast<size_t>(lr) * width + lc]; };
    auto down = [&](int dc, int dr) -> uint32_t { return ladder(dc, dr) && height < 80 ? 1 : 0; };
    if (!toward) {
        step(c, r + 1, down(c, r + 1));
        if (!acts(c, r)) return;
        for (int s : {-1, 1}) {
            if (gap(c + s, s, r))
                for (int land = r; open(c + 2 * s, land); ++land) step(c + 2 * s, land, 1);
            if (!walks(c, r)) continue;
            step(c + s, r, 1);
            // Only a step to the left needs head room.
            if (floor(c + s, r - 1) && (s > 0 || open(c, r - 1))) step(c + s, r - 1, 1);
        }
        if (ladder(c, r)) step(c, r - 1, 1);
        return;
    }
    // The cells whose moves lead into (c, r).
    step(c, r - 1, down(c, r));
    for (int s : {-1, 1}) {
        if (walks(c - s, r)) step(c - s, r, 1);
        for (int from = r; open(c, from); --from)
            if (acts(c - 2 * s, from) && gap(c - s, s, from)) step(c - 2 * s, from, 1);
        if (floor(c, r) && walks(c - s, r + 1) && (s > 0 || open(c - s, r))) step(c - s, r + 1, 1);
    }
    if (acts(c, r + 1) && ladder(c, r + 1)) step(c, r + 1, 1);
}

void RelaxedMap::distances(int from, bool toward, std::vector<uint32_t>& out) {
    sources.assign(1, from);
    distances(sources, toward, out);
}

void RelaxedMap::distances(const std::vector<int>& from, bool toward, std::vector<uint32_t>& out) {
    const size_t size = static_cast<size_t>(width) * height;
    out.assign(size, kFarAway);
    // The player may stand between two columns where a search starts: its
    // cells count as standing in.
    starts.assign(size, 0);
    if (!toward)
        for (int at : from) starts[at] = 1;
    auto stands = [&](int c, int r) {
        if (!open(c, r)) return 0;
        const size_t at = static_cast<size_t>(r) * width + c;
        return starts[at] ? 2 : floors[at] == 1 ? 2 : floors[at];
    };
    // Layer by layer: the cells of one number of actions (a fall, no
    // action, adds to the layer it is in), then the next.
    layer.clear();
    for (int at : from)
        if (out[at] != 0) {
            out[at] = 0;
            layer.push_back(at);
        }
    while (!layer.empty()) {
        nextLayer.clear();
        for (size_t i = 0; i < layer.size(); ++i) {
            const int at = layer[i];
            const uint32_t d = out[at];
            moves(at % width, at / width, toward, stands, [&](int nc, int nr, uint32_t cost) {
                if (!open(nc, nr)) return;
                uint32_t& there = out[static_cast<size_t>(nr) * width + nc];
                if (d + cost >= there) return;
                there = d + cost;
                (cost ? nextLayer : layer).push_back(nr * width + nc);
            });
        }
        layer.swap(nextLayer);
    }
}
