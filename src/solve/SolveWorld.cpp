// One world the solver moves: the actions, the rules' questions about a
// settled world, and its snapshots packed for the search's table.
#include "solve/SolveWorld.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "entities/Bomb.h"
#include "entities/Player.h"
#include "entities/Treasure.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/PlayLoop.h"
#include "solve/LeastUsed.h"
#include "solve/Solver.h"

namespace {

// The bound tries every order of taking the gems up to this many (2^n n^2
// steps a state); past it, the dearest single gem only.
constexpr size_t kMostOrderedGems = 8;
// Tables of legs between gems kept, for as many maps and places of gems.
constexpr size_t kKeptLegs = 256;
// tourBound's answers kept (a power of two).
constexpr size_t kKeptTours = size_t{1} << 16;
// blastsTour's choices kept, by the grid's map and the bombs' cells.
constexpr size_t kKeptChoices = 4096;
// The tour where the relaxed map reaches a gem or the door from nowhere:
// no win is left, and the shortest search takes the state after every
// other (more actions than any search takes, small enough to add to).
constexpr unsigned kNoWayLeft = 1u << 20;

// What a bomb burning to no purpose costs in the best-first order (a gem
// left costs 64).
constexpr int64_t kIdlePenalty = int64_t{1} << 24;
// And one that will break something.
constexpr int64_t kLitPenalty = 32;

// Would a blast in the cell (column, row) change more than air into rubble:
// a wall, water, or an item other than the bomb in its reach?
bool blastChangesAnything(const Level& level, int column, int row, const Item* bomb) {
    const int reach[4][2] = {{0, 0}, {-1, 0}, {0, -1}, {1, 0}};
    for (const auto& d : reach) {
        const Cell* cell = level.cellAt(column + d[0], row + d[1]);
        if (!cell) continue;
        if (!cell->passable || cell->deadly || cell->liquid || (cell->item && cell->item != bomb)) return true;
    }
    return false;
}

} // namespace

int64_t litPenalty(const Level& level, int column, int row, const Item* bomb) {
    return blastChangesAnything(level, column, row, bomb) ? kLitPenalty : kIdlePenalty;
}

namespace {

// A varint: seven bits a byte, the high bit set on all but the last.
void putCount(uint8_t*& out, size_t n) {
    for (; n >= 0x80; n >>= 7) *out++ = static_cast<uint8_t>(n | 0x80);
    *out++ = static_cast<uint8_t>(n);
}

size_t getCount(const uint8_t*& at) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const uint8_t b = *at++;
        n |= static_cast<size_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return n;
    }
}

} // namespace

SolveWorld::SolveWorld(Level& level) : level(level), rewinder(level) {
    rewinder.capture(root);
    // The world's own references, whichever level was loaded last.
    root.screen = level.screen;
    root.level = &level;
    root.player = level.player;
    // The log began when the rewinder was made, or before: a square it does
    // not name holds the cell it holds now.
    const size_t columns = static_cast<size_t>(level.columnCount);
    startWords.assign(static_cast<size_t>(level.rowCount) * columns, 0);
    logged.assign(startWords.size(), nullptr);
    for (size_t r = 0; r < level.grid.size(); ++r)
        for (size_t c = 0; c < level.grid[r].size(); ++c) {
            const size_t key = r * columns + c;
            if (c < columns && key < startWords.size()) {
                const Cell* cell = level.grid[r][c];
                startWords[key] = reinterpret_cast<uintptr_t>(cell) ^ (cell && cell->ladder);
                logged[key] = &level.grid[r][c];
            } else {
                unlogged.push_back(&level.grid[r][c]);
            }
        }
    for (Item* item : level.items) {
        if (!item) continue;
        if (item->isBox())
            boxes.push_back(item);
        else if (item->isGoal())
            door = item;
        else if (!item->inert || item->isDropping())  // a decoration never changes
            droppers.push_back(item);
    }
}

bool SolveWorld::nothingFalling() const {
    // A box counts from the moment nothing holds it up, a gem or a bomb
    // once it drops: the campaign's measured searches rest on this.
    for (Item* item : boxes)
        if (item->isFalling()) return false;
    for (const Item* item : droppers)
        if (item->isDropping()) return false;
    return true;
}

bool SolveWorld::settled() const {
    const Player& p = *level.player;
    return p.idle() && !p.dead && wholeCells(p.x) && wholeCells(p.y) && nothingFalling();
}

void SolveWorld::rewind(const Snapshot& to) {
    // The squares a capture of the world as it stands lists are the only
    // ones that differ from the start.
    if (scratchIsLive)
        rewinder.restoreRules(to, scratch);
    else
        rewinder.restoreRules(to);
    scratchIsLive = false;
}

bool SolveWorld::act(SolveAction action, uint32_t& passes, bool& won) {
    scratchIsLive = false;
    Player& p = *level.player;
    won = false;
    passes = 0;
    size_t burst = 0;  // bombs gone off so far
    bool burning = false;
    for (const Bomb* bomb : p.bombs) {
        burst += bomb->exploded;
        burning = burning || bomb->burning();
    }
    if (action == ActWait && !burning) return false;
    if (action == ActBomb && p.bombsLeft() == 0) return false;
    const double x0 = p.x, y0 = p.y;
    const uint32_t used0 = p.bombsUsed;

    applyKeyMask(kActionKeys[action], play->keyboard.state);
    if (action == ActWait) {
        // Most of a wait is the fuses burning down in a world at rest.
        passes = std::min(idlePasses(), kMostPasses - 1);
        skipIdlePasses(passes);
    }
    for (;;) {
        PlayOutcome outcome;
        // Each pass begins with the end check of the world the last one
        // left; that pass is not the action's but the tape's closing one.
        if (play->pass(kPassTime, outcome)) {
            won = outcome == Completed;
            return won;
        }
        if (++passes == 1) play->keyboard.releaseAll();
        bool blasted = true;
        if (action == ActWait) {
            size_t now = 0;
            for (const Bomb* bomb : p.bombs) now += bomb->exploded;
            blasted = now != burst;
        }
        if (passes >= kMostPasses || (blasted && settled())) {
            // A settled world is kept: ask the next pass's end check now.
            if (checkPlayEnd(level, kNoKeys, outcome)) {
                won = outcome == Completed;
                return won;
            }
            if (passes >= kMostPasses) return false;
            break;
        }
    }
    // A key that did nothing only let time pass: that is the wait's business.
    return action == ActWait || p.x != x0 || p.y != y0 || p.bombsUsed != used0;
}

bool SolveWorld::fuseBurning() const {
    const std::vector<Bomb*>& bombs = level.player->bombs;
    return std::any_of(bombs.begin(), bombs.end(), [](const Bomb* bomb) { return bomb->burning(); });
}

bool SolveWorld::blastsLeft() const {
    const Player& p = *level.player;
    return p.bombsUsed < p.bombs.size() || fuseBurning();
}

bool SolveWorld::mayStillWin(bool byTour) const {
    const Player& p = *level.player;
    if (blastsLeft()) {
        // The default search asks only while a fuse burns: with bombs only
        // in the pocket every cell the player reaches is a choice, dearer
        // than the worlds it would drop.
        if (!byTour || (!twoBlasts && !fuseBurning())) return true;
        // A gem or the door out of the tour's reach on every map the blasts
        // to come could leave (the tour's maps hold every cell the player
        // could reach) is out of the player's reach.
        // (A player or door off the grid's open cells is left to the search.)
        if (!door) return true;
        const int pc = cellOf(p.x), pr = cellOf(p.y);
        const int dc = cellOf(door->x), dr = cellOf(door->y);
        const Cell* stands = level.cellAt(pc, pr);
        if (!stands || !stands->passable || !level.cellAt(dc, dr)) return true;
        const unsigned tour = tourBound();
        return tour == kFarAway || tour < kNoWayLeft;
    }

    // No blast will change the grid again. Every cell the player could ever
    // stand in or pass through, by moves that only ever gain height by a
    // step up or a ladder; items ignored (they only block).
    const int rows = static_cast<int>(level.grid.size());
    const int columns = rows ? static_cast<int>(level.grid[0].size()) : 0;
    const int pc = cellOf(p.x), pr = cellOf(p.y);
    const Cell* here = level.cellAt(pc, pr);
    if (!here || !here->passable || here->deadly) return true;
    const size_t size = static_cast<size_t>(rows) * columns;
    // The reach follows from the grid's cells and the player's cell only.
    const uint64_t grid = gridKey();
    uint64_t key = grid ^ (static_cast<uint64_t>(pr) << 32 | static_cast<uint32_t>(pc)) * 0x9E3779B97F4A7C15ull;
    key |= 1;  // never the empty slot's 0
    if (reachSize != size || reachKeys.empty()) {
        // About a megabyte of marks, whatever the level's size; a slot's
        // marks are written before its key, so they need no clearing.
        reachSize = size;
        reachKeys.assign(std::clamp<size_t>(kReachBytes / size, 64, 4096), 0);
        reaches.reset(new uint8_t[reachKeys.size() * size]);
    }
    const size_t slot = (key >> 7) % reachKeys.size();
    uint8_t* kept = &reaches[slot * size];
    if (reachKeys[slot] == key) return reachesEverything(kept, columns, rows);
    // The cells as flags, in rows with a border of none around them (two
    // columns a side for the jumps, a row above and under), made once per
    // grid: the flood reads nothing else.
    const int width = columns + 4;
    const size_t padded = static_cast<size_t>(width) * (rows + 2);
    if (flagsGrid != grid || cellFlags.size() != padded) {
        cellFlags.assign(padded, 0);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                if (const Cell* cell = level.cellAt(c, r))
                    cellFlags[static_cast<size_t>(r + 1) * width + c + 2] =
                        static_cast<uint8_t>((cell->passable ? kOpenCell : 0) |
                                             (cell->passable && !cell->deadly ? kStandCell : 0) |
                                             (cell->ladder ? kLadderCell : 0));
        flagsGrid = grid;
    }
    const uint8_t* const flags = cellFlags.data();
    touched.assign(padded, 0);  // 1 passed, 2 stood
    std::vector<int>& queue = reachQueue;
    queue.clear();
    auto reach = [&](int at) {
        if (touched[static_cast<size_t>(at)] == 2) return;
        touched[static_cast<size_t>(at)] = 2;
        queue.push_back(at);
    };
    reach((pr + 1) * width + pc + 2);
    while (!queue.empty()) {
        const int at = queue.back();
        queue.pop_back();
        for (int d : {-1, 1}) {
            if (flags[at + d] & kStandCell) reach(at + d);
            if (flags[at + d - width] & kStandCell) reach(at + d - width);
            // A jump passes over its middle cell, deadly or not.
            if ((flags[at + d] & kOpenCell) && (flags[at + 2 * d] & kStandCell)) {
                reach(at + 2 * d);
                uint8_t& gap = touched[static_cast<size_t>(at + d)];
                if (!gap) gap = 1;
            }
        }
        if (flags[at + width] & kStandCell) reach(at + width);
        if ((flags[at - width] & kStandCell) && (flags[at] & kLadderCell)) reach(at - width);
    }
    reachKeys[slot] = key;
    for (int r = 0; r < rows; ++r)
        std::copy_n(&touched[static_cast<size_t>(r + 1) * width + 2], columns, kept + static_cast<size_t>(r) * columns);
    return reachesEverything(kept, columns, rows);
}

uint64_t SolveWorld::gridKey() const {
    // A sum of one mixed word per square that differs from its first cell,
    // so the order the log names them in does not count.
    auto square = [](uint64_t at, uint64_t word) {
        uint64_t z = word + (at + 1) * 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    uint64_t key = 0xCBF29CE484222325ull;
    // A blast swaps a cell's ladder into its rubble: the ladder counts too.
    auto word = [](const Cell* cell) { return reinterpret_cast<uintptr_t>(cell) ^ (cell && cell->ladder); };
    for (const uint32_t at : level.gridLog()) {
        const Cell* cell = logged[at] ? *logged[at] : nullptr;
        if (word(cell) != startWords[at]) key += square(at, word(cell));
    }
    for (size_t i = 0; i < unlogged.size(); ++i) key += square(startWords.size() + i, word(*unlogged[i]));
    return key;
}

bool SolveWorld::reachesEverything(const uint8_t* marks, int columns, int rows) const {
    auto open = [&](int c, int r) {
        const Cell* cell = level.cellAt(c, r);
        return cell && cell->passable;
    };
    auto wasTouched = [&](int c, int r) {
        return c >= 0 && r >= 0 && c < columns && r < rows && marks[static_cast<size_t>(r) * columns + c];
    };
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        // A gem falls straight down its column until something holds it.
        const int c = static_cast<int>((treasure->x + 16) / 32);
        int r = cellOf(treasure->y);
        bool reachable = false;
        for (; r < rows && !reachable; ++r) {
            reachable = wasTouched(c, r);
            if (!open(c, r + 1)) break;
        }
        if (!reachable) return false;
    }
    bool door = false;
    for (const Item* item : level.items)
        if (item && item->isGoal())
            door = door || wasTouched(static_cast<int>(item->x / 32), static_cast<int>(item->y / 32));
    return door;
}

int SolveWorld::estimate() const {
    const Player& p = *level.player;
    const int pc = static_cast<int>(p.x / 32), pr = static_cast<int>(p.y / 32);
    int left = 0, nearest = 1 << 20;
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        ++left;
        const int d = std::abs(static_cast<int>(treasure->x / 32) - pc) + std::abs(static_cast<int>(treasure->y / 32) - pr);
        if (d < nearest) nearest = d;
    }
    if (left == 0) {
        for (const Item* item : level.items)
            if (item && item->isGoal()) {
                const int d = std::abs(static_cast<int>(item->x / 32) - pc) + std::abs(static_cast<int>(item->y / 32) - pr);
                if (d < nearest) nearest = d;
            }
        if (nearest == 1 << 20) nearest = 0;
    }
    return 16 * left + nearest;
}

unsigned SolveWorld::actionsLeftBound() const {
    const Player& p = *level.player;
    if (!door) return 0;
    // Across: no action moves the player more than two cells (a jump) left
    // or right. A gem is taken within 8 pixels of it and only ever falls
    // straight down; the play ends on the door. So the player must sweep
    // from where it stands over [lo, hi] and end at the door, the shorter
    // of the two orders.
    const double x = p.x, d = door->x;
    double lo = std::min(x, d), hi = std::max(x, d);
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        lo = std::min(lo, treasure->x + 8);
        hi = std::max(hi, treasure->x - 8);
    }
    const double sweep = std::min((x - lo) + (hi - lo) + (hi - d), (hi - x) + (hi - lo) + (d - lo));
    // The door counts within a pixel.
    const double across = std::max(0.0, sweep - 1);
    // Up: no action lifts the player more than a cell (a step up, a rung);
    // jumps land level or lower, and nothing else lifts.
    const double up = std::max(0.0, p.y - door->y - 1);
    const unsigned sweepBound = static_cast<unsigned>(std::max(std::ceil(across / 64), std::ceil(up / 32)));
    const unsigned tour = tourBound();
    return tour == kFarAway ? sweepBound : std::max(sweepBound, tour);
}

// A finer bound from the grid itself: the actions on the relaxed map
// (RelaxedMap.h) to take each gem on the way to the door. A bomb placed is
// an action that moves the player nowhere, so a win that places m bombs
// from the pocket takes at least m actions more than the tour on a map
// with its blasts; and while one blast at most is to come, the grid stays
// within the grid's map with that blast's reach opened, wherever it
// happens (docs/solver.md, The bound).
unsigned SolveWorld::tourBound() const {
    const Player& p = *level.player;
    // The answer follows from the grid's cells, the bombs, the crates, the
    // player's cell and the gems (all the maps follow from; should a map
    // come to follow from more, the key must too): most states ask again
    // what another asked.
    uint64_t key = 0x9E3779B97F4A7C15ull;
    auto mix = [&](uint64_t word) { key = mixWord(key, word); };
    // The grid's cells and ladders, read only where the level's log says
    // they may differ from the start.
    mix(gridKey());
    for (const Bomb* bomb : p.bombs)
        mix(bomb->burning() ? uint64_t{1} << 63 | static_cast<uint64_t>(static_cast<uint32_t>(bomb->column)) << 32 |
                                  static_cast<uint32_t>(bomb->row)
                            : bomb->exploded);
    mix(p.bombsUsed);
    // The crates make floors.
    for (Item* item : level.items)
        if (item && !item->isPassable()) {
            uint64_t x, y;
            std::memcpy(&x, &item->x, sizeof x);
            std::memcpy(&y, &item->y, sizeof y);
            mix(x ^ y << 1);
        }
    mix(static_cast<uint64_t>(static_cast<int64_t>(cellOf(p.x))) << 32 ^ static_cast<uint64_t>(static_cast<int64_t>(cellOf(p.y))));
    for (const Treasure* treasure : level.treasures) {
        uint64_t x, y;
        std::memcpy(&x, &treasure->x, sizeof x);
        std::memcpy(&y, &treasure->y, sizeof y);
        mix(treasure->collected ? 1 : x ^ y << 1);
    }
    key |= 1;  // never the empty slot's 0
    if (keptTours.empty()) keptTours.resize(kKeptTours);
    KeptTour& slot = keptTours[key & (kKeptTours - 1)];
    if (slot.key == key) return slot.tour;
    slot.key = key;
    slot.tour = freshTourBound();
    return slot.tour;
}

unsigned SolveWorld::freshTourBound() const {
    const Player& p = *level.player;
    const unsigned all = tourOn(relaxed, true);
    const unsigned pocket = p.bombsLeft();
    std::vector<int>& cells = blastCells;
    cells.clear();
    bool lost = false;
    unsigned burning = 0;
    gridMap.build(level, false, false);
    const int columns = gridMap.columns(), rows = gridMap.rows();
    for (const Bomb* bomb : p.bombs)
        if (bomb->burning()) {
            ++burning;
            lost = lost || bomb->column < 0 || bomb->row < 0 || bomb->column >= columns || bomb->row >= rows;
            if (!lost) cells.push_back(bomb->row * columns + bomb->column);
        }
    if (all >= kNoWayLeft || lost) return all;
    // m bombs placed from the pocket, m from none up: the cheapest win of each.
    unsigned best = kFarAway;
    auto consider = [&](unsigned tour, unsigned placed) {
        if (tour != kFarAway) best = std::min(best, tour + placed);
    };
    // The player's cell, where a bomb from the pocket is placed from.
    const int pc = cellOf(p.x), pr = cellOf(p.y);
    const int player = gridMap.open(pc, pr) ? pr * columns + pc : -1;
    // Every fuse is as long and burns as fast: bombs go off in the order
    // they were placed.
    if (burning == 0) {
        consider(tourOnMap(gridMap), 0);
        if (pocket > 0 && player < 0) return std::min(best, all + 1);
        if (pocket > 0) {
            // The first bomb is placed where the player stands, before any
            // blast: a cell it reaches on the grid's map.
            // (The distances the grid's tour above kept.)
            const std::vector<uint32_t>& reach = gridMap.kept(player, false);
            for (size_t at = 0; at < reach.size(); ++at)
                if (reach[at] != kFarAway) cells.push_back(static_cast<int>(at));
            firstCells = cells;
            consider(blastsTour(cells, all, -1, -1), 1);
        }
        if (pocket > 1) consider(twoBlasts ? blastsTour(firstCells, all, -1, player) : all, 2);
        if (pocket > 2) consider(all, 3);
    } else if (burning == 1) {
        firstCells = cells;
        consider(blastsTour(cells, all, -1, -1), 0);
        if (pocket > 0) consider(twoBlasts && player >= 0 ? blastsTour(firstCells, all, -1, player) : all, 1);
        if (pocket > 1) consider(all, 2);
    } else {
        const unsigned burningOnly = tourOn(unplaced, false);
        const Bomb* older = nullptr;
        const Bomb* younger = nullptr;
        for (const Bomb* bomb : p.bombs)
            if (bomb->burning()) (older ? younger : older) = bomb;
        if (burning == 2 && older->timer < younger->timer) std::swap(older, younger);
        if (twoBlasts && burning == 2 && older->timer != younger->timer) {
            cells.assign(1, older->row * columns + older->column);
            consider(blastsTour(cells, burningOnly, younger->row * columns + younger->column, -1), 0);
        } else {
            consider(burningOnly, 0);
        }
        if (pocket > 0) consider(all, 1);
    }
    return best;
}

unsigned SolveWorld::blastsTour(std::vector<int>& bombCells, unsigned floor, int secondBomb, int player) const {
    const int columns = gridMap.columns(), rows = gridMap.rows();
    // The cells a blast opens, for a bomb resting in a cell: its reach (its
    // own cell, left, above, right) in the cells' order, so that one set of
    // cells is one list, and choices that open the same cells are one map.
    auto openedBy = [&](int at) {
        const int c = at % columns, r = at / columns;
        std::array<int, 4> opened{-1, -1, -1, -1};
        size_t n = 0;
        const int reachOf[4][2] = {{c, r - 1}, {c - 1, r}, {c, r}, {c + 1, r}};
        for (const auto& cell : reachOf)
            if (cell[0] >= 0 && cell[1] >= 0 && cell[0] < columns && cell[1] < rows && !gridMap.open(cell[0], cell[1]))
                opened[n++] = cell[1] * columns + cell[0];
        return opened;
    };
    // The choices follow from the grid's map and the bombs' cells: kept,
    // since the search asks them again from every cell of the same reach.
    const uint64_t grid = gridMap.builtNumber();
    uint64_t hash = grid * 0x9E3779B97F4A7C15ull;
    for (int at : bombCells) hash = mixWord(hash, static_cast<uint32_t>(at));
    if (keptChoices.empty()) keptChoices.resize(kKeptChoices);
    KeptChoices& kept = keptChoices[hash & (kKeptChoices - 1)];
    if (grid == 0 || kept.grid != grid || kept.cells != bombCells) {
        kept.grid = grid;
        kept.cells = bombCells;
        gridMap.restCells(bombCells);
        kept.openings.clear();
        for (int at : bombCells) kept.openings.push_back(openedBy(at));
        std::sort(kept.openings.begin(), kept.openings.end());
        kept.openings.erase(std::unique(kept.openings.begin(), kept.openings.end()), kept.openings.end());
    }
    const std::vector<std::array<int, 4>>& openings = kept.openings;
    // A blast that could leave a wall or water could make a floor anywhere.
    bool solid = false;
    for (const Bomb* bomb : level.player->bombs)
        solid = solid || (!bomb->exploded && rubbleMakesFloors(*bomb));
    unsigned fewest = kFarAway;
    for (const std::array<int, 4>& choice : openings) {
        opened.clear();
        for (int at : choice)
            if (at >= 0) opened.push_back(at);
        // The second blast comes after the first, from a bomb burning now
        // or placed where the player could stand on the first's map.
        secondCells.clear();
        if (secondBomb >= 0) secondCells.push_back(secondBomb);
        chosen.openChoice(gridMap, opened, solid, secondCells, player);
        fewest = std::min(fewest, tourOnMap(chosen));
        // No choice's map holds more than the map with every blast.
        if (fewest <= floor) break;
    }
    return fewest;
}

unsigned SolveWorld::tourOn(RelaxedMap& map, bool pocketBlasts) const {
    map.build(level, pocketBlasts);
    return tourOnMap(map);
}

unsigned SolveWorld::tourOnMap(RelaxedMap& map) const {
    const Player& p = *level.player;
    const int rows = map.rows(), columns = map.columns();
    auto index = [&](double x, double y) -> int {
        const int c = cellOf(x), r = cellOf(y);
        return c >= 0 && r >= 0 && c < columns && r < rows ? r * columns + c : -1;
    };
    const int start = index(p.x, p.y), goal = index(door->x, door->y);
    if (start < 0 || goal < 0 || !map.open(start % columns, start / columns)) return kFarAway;
    const std::vector<uint32_t>& fromPlayer = map.kept(start, false);
    const std::vector<uint32_t>& toDoor = map.kept(goal, true);
    uint32_t most = fromPlayer[goal];
    if (most == kFarAway) return kNoWayLeft;
    auto sum = [&](int c, int r) -> uint32_t {
        if (c < 0 || c >= columns || r < 0 || r >= rows) return kFarAway;
        const size_t at = static_cast<size_t>(r) * columns + c;
        return fromPlayer[at] == kFarAway || toDoor[at] == kFarAway ? kFarAway : fromPlayer[at] + toDoor[at];
    };
    // A jump's landing lies anywhere down the open cells under the cell two
    // across (it passes ladders, which stop a fall on the map).
    auto landed = [&](int column, int row) {
        uint32_t fewest = toDoor[static_cast<size_t>(row) * columns + column];
        for (int r = row + 1; map.open(column, r); ++r) fewest = std::min(fewest, toDoor[static_cast<size_t>(r) * columns + column]);
        return fewest;
    };
    size_t gems = 0;
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        // Taken in its cell or anywhere it may fall to; or flown over by a
        // jump from the cell before it to the cell after it.
        const int c = static_cast<int>(treasure->x / 32);
        if (gems == takes.size()) takes.emplace_back();
        std::vector<int>& take = takes[gems++];
        take.clear();
        uint32_t cheapest = kFarAway;
        const int top = cellOf(treasure->y);
        // A jump that drops far rises high over its start and middle
        // columns and passes low over the middle one: it may take a gem a
        // row or two above or under where it starts, from its start.
        // Only from rows near the gem's: a jump d rows deep (d below the
        // map's rows) passes at most 5 d + 4.25 pixels under its start's row
        // and 3 d + 12.5 over it (jumpTakes).
        const double y = treasure->y;
        const int firstRow = std::max(0, static_cast<int>(std::floor((y - 5.0 * rows - 5) / 32)));
        const int lastRow = std::min(rows - 1, static_cast<int>(std::ceil((y + 3.0 * rows + 13) / 32)));
        for (int r = firstRow; r <= lastRow; ++r)
            for (int s : {-1, 1}) {
                if (map.jumpTakes(c - s, s, r, c, treasure->y)) {
                    take.push_back(r * columns + c - s);
                    const uint32_t before = fromPlayer[static_cast<size_t>(r) * columns + c - s];
                    const uint32_t after = landed(c + s, r);
                    if (before != kFarAway && after != kFarAway) cheapest = std::min(cheapest, before + 1 + after);
                }
                if (map.jumpTakes(c, s, r, c, treasure->y)) {
                    take.push_back(r * columns + c);
                    cheapest = std::min(cheapest, sum(c, r));
                }
            }
        for (int r = top; r >= 0 && r < rows; ++r) {
            for (int s = -1; s <= 1; ++s)
                if (c + s >= 0 && c + s < columns) take.push_back(r * columns + c + s);
            cheapest = std::min(cheapest, sum(c, r));
            for (int s : {-1, 1}) {
                const int a = c - s, b = c + s;
                if (a < 0 || b < 0 || a >= columns || b >= columns) continue;
                const uint32_t before = fromPlayer[static_cast<size_t>(r) * columns + a];
                const uint32_t after = landed(b, r);
                if (before != kFarAway && after != kFarAway) cheapest = std::min(cheapest, before + 1 + after);
            }
            if (!map.open(c, r + 1)) break;
        }
        if (cheapest == kFarAway) return kNoWayLeft;
        most = std::max(most, cheapest);
    }
    return std::max(most, orderBound(map, gems, fromPlayer, toDoor));
}

// The gems are taken one after another: the cheapest order of all of them
// on the map, each leg from any cell a gem is taken in (its column's, or
// beside it for a jump over it) to any of the next one's, the first from
// the player and the last to the door. Every leg is at most the actions
// between the two takes, so the sum never exceeds the win's actions.
unsigned SolveWorld::orderBound(RelaxedMap& map, size_t gems, const std::vector<uint32_t>& fromPlayer,
                            const std::vector<uint32_t>& toDoor) const {
    if (gems < 2 || gems > kMostOrderedGems) return 0;
    auto nearest = [](const std::vector<uint32_t>& d, const std::vector<int>& cells) {
        uint32_t best = kFarAway;
        for (int at : cells) best = std::min(best, d[static_cast<size_t>(at)]);
        return best;
    };
    // The legs between gems follow from the map and where the gems are;
    // the last few are kept, since the search comes back to them.
    orderKey.assign({&map == &relaxed ? 0u : 1u, map.number()});
    for (size_t i = 0; i < gems; ++i) orderKey.push_back(takes[i].empty() ? 0 : takes[i].front() + 1);
    bool known;
    Legs& cached = legCache[findOrMake(legCache, kKeptLegs, legUses, [&](const Legs& l) { return l.key == orderKey; },
                                       known)];
    std::vector<uint32_t>& between = cached.between;
    if (!known) {
        cached.key = orderKey;
        between.assign(gems * gems, kFarAway);
        for (size_t i = 0; i < gems; ++i) {
            map.distances(takes[i], false, legs);
            for (size_t j = 0; j < gems; ++j)
                if (j != i) between[i * gems + j] = nearest(legs, takes[j]);
        }
    }
    // Fewest actions to have taken the gems of a set, ending at one of them.
    const size_t sets = size_t{1} << gems;
    ordered.assign(sets * gems, kFarAway);
    for (size_t i = 0; i < gems; ++i) ordered[(size_t{1} << i) * gems + i] = nearest(fromPlayer, takes[i]);
    for (size_t set = 1; set < sets; ++set)
        for (size_t last = 0; last < gems; ++last) {
            const uint32_t here = ordered[set * gems + last];
            if (here == kFarAway || !(set >> last & 1)) continue;
            for (size_t next = 0; next < gems; ++next) {
                const uint32_t leg = between[last * gems + next];
                if (set >> next & 1 || leg == kFarAway) continue;
                uint32_t& there = ordered[(set | size_t{1} << next) * gems + next];
                there = std::min(there, here + leg);
            }
        }
    uint32_t fewest = kFarAway;
    for (size_t last = 0; last < gems; ++last) {
        const uint32_t here = ordered[(sets - 1) * gems + last], toGoal = nearest(toDoor, takes[last]);
        if (here != kFarAway && toGoal != kFarAway) fewest = std::min(fewest, here + toGoal);
    }
    return fewest == kFarAway ? 0 : fewest;
}

void SolveWorld::pack(Node& node, const Snapshot& snapshot) {
    // The looks are left out when they are laid out as the start's: nothing
    // the rules do reads them (the hash leaves them out too), so a state
    // restored with the start's looks plays on exactly as with its own.
    const bool looks = snapshot.looks.size() != root.looks.size();
    // Most of a state's rules are the start's bytes (the grid's cells, the
    // items that have not moved): kept as the runs that differ from them,
    // each as its distance from the last run's end, its length and its
    // bytes; past the start's end the start counts as zeros.
    const std::vector<uint8_t>& rules = snapshot.rules;
    const std::vector<uint8_t>& base = root.rules;
    // At most two counts of ten bytes and the run's bytes per run, and the
    // looks: written through a pointer into scratch sized once.
    const size_t most = 20 + rules.size() * 21 + snapshot.looks.size();
    if (packScratch.size() < most) packScratch.resize(most);
    uint8_t* const start = packScratch.data();
    uint8_t* out = start;
    putCount(out, rules.size());
    putCount(out, looks ? snapshot.looks.size() : 0);
    const uint8_t* const now = rules.data();
    const uint8_t* const was = base.data();
    const size_t length = rules.size(), common = std::min(length, base.size());
    auto same = [&](size_t i) { return now[i] == (i < common ? was[i] : 0); };
    size_t i = 0, last = 0;
    while (i < length) {
        // Equal stretches are skipped eight bytes at a time: most of the rules are.
        while (i + 8 <= common) {
            uint64_t a, b;
            std::memcpy(&a, now + i, 8);
            std::memcpy(&b, was + i, 8);
            if (a != b) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
                // The first byte that differs: the lowest one set in the difference.
                i += static_cast<size_t>(__builtin_ctzll(a ^ b)) / 8;
#endif
                break;
            }
            i += 8;
        }
        if (i >= length) break;
        if (same(i)) {
            ++i;
            continue;
        }
        // A run ends at two equal bytes in a row (one costs less inside it).
        size_t end = i + 1;
        while (end < length && !(same(end) && (end + 1 >= length || same(end + 1)))) ++end;
        putCount(out, i - last);
        putCount(out, end - i);
        // Runs are a few bytes: copied here rather than by a call.
        for (size_t k = i; k < end; ++k) *out++ = now[k];
        i = last = end;
    }
    node.rulesSize = static_cast<uint32_t>(out - start);
    if (looks && !snapshot.looks.empty()) {  // an empty vector's data() may be null
        std::memcpy(out, snapshot.looks.data(), snapshot.looks.size());
        out += snapshot.looks.size();
    }
    const size_t size = static_cast<size_t>(out - start);
    node.packed.reset(new uint8_t[size]);
    std::memcpy(node.packed.get(), start, size);
    packedBytes += size;
}

void SolveWorld::release(Node& node) {
    packedBytes -= packedSize(node);
    node.packed.reset();
}

size_t SolveWorld::packedSize(const Node& node) {
    if (!node.packed) return 0;
    const uint8_t* at = node.packed.get();
    getCount(at);
    return node.rulesSize + getCount(at);
}

void SolveWorld::unpack(Node& node, Snapshot& snapshot) {
    const uint8_t* at = node.packed.get();
    const uint8_t* const end = at + node.rulesSize;
    const std::vector<uint8_t>& base = root.rules;
    std::vector<uint8_t>& rules = snapshot.rules;
    const size_t size = getCount(at);
    const size_t looks = getCount(at);
    rules.resize(size);
    const size_t common = std::min(size, base.size());
    std::memcpy(rules.data(), base.data(), common);
    std::fill(rules.begin() + static_cast<std::ptrdiff_t>(common), rules.end(), 0);
    size_t i = 0;
    while (at < end) {
        i += getCount(at);
        const size_t length = getCount(at);
        std::memcpy(rules.data() + i, at, length);
        at += length;
        i += length;
    }
    if (looks)
        snapshot.looks.assign(end, end + looks);
    else
        snapshot.looks = root.looks;
    snapshot.screen = root.screen;
    snapshot.level = root.level;
    snapshot.player = root.player;
    release(node);
}

uint64_t SolveWorld::idleKey() {
    // The youngest burning fuse's age is taken from every burning one.
    uint32_t age = UINT32_MAX;
    const std::vector<Bomb*>& bombs = level.player->bombs;
    for (const Bomb* bomb : bombs)
        if (bomb->burning() && bomb->timer < age) age = bomb->timer;
    if (age == UINT32_MAX) return 0;
    for (Bomb* bomb : bombs)
        if (bomb->burning()) bomb->timer -= age;
    rewinder.captureRules(scratch);
    scratchIsLive = false;
    for (Bomb* bomb : bombs)
        if (bomb->burning()) bomb->timer += age;
    return stateHash(scratch);
}

uint32_t SolveWorld::idlePasses() const {
    uint32_t passes = UINT32_MAX;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->burning()) passes = std::min(passes, bomb->idleUpdates(kPassTime));
    return passes == UINT32_MAX ? 0 : passes;
}

void SolveWorld::skipIdlePasses(uint32_t passes) {
    for (Bomb* bomb : level.player->bombs)
        if (bomb->burning())
            for (uint32_t i = 0; i < passes; ++i) bomb->burn(kPassTime);
}

int64_t SolveWorld::rank(const SolveLimits& limits) const {
    if (limits.shortest) return limits.bound ? actionsLeftBound() : 0;
    // A burning bomb makes every later state new (its timer is part of it).
    // One whose blast would only turn air into rubble is lit last: the
    // search spends the states without it first. Then fewer gems left and
    // nearer the next target.
    int64_t penalty = 0;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->burning()) penalty += litPenalty(level, bomb->column, bomb->row, bomb);
    return penalty + static_cast<int64_t>(estimate()) * 4;
}
