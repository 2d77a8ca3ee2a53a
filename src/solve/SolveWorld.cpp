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
#include "solve/Solver.h"

namespace {

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

bool onGrid(double v) { return std::fmod(v, 32.0) == 0.0; }

} // namespace

SolveWorld::SolveWorld(Level& level) : level(level), rewinder(level) {
    rewinder.capture(root);
    // The world's own references, whichever level was loaded last.
    root.screen = level.screen;
    root.level = &level;
    root.player = level.player;
    for (Item* item : level.items) {
        if (!item) continue;
        if (item->isBox())
            boxes.push_back(item);
        else if (item->isGoal())
            door = item;
        else
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
    if (p.walking || p.jumping || p.pushing || p.falling || p.steppingUp || p.placingBomb || p.onLadder || p.dead)
        return false;
    return onGrid(p.x) && onGrid(p.y) && nothingFalling();
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
        burning = burning || (bomb->placed && !bomb->exploded);
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

bool SolveWorld::blastsLeft() const {
    const Player& p = *level.player;
    if (p.bombsUsed < p.bombs.size()) return true;
    for (const Bomb* bomb : p.bombs)
        if (bomb->placed && !bomb->exploded) return true;
    return false;
}

bool SolveWorld::mayStillWin() const {
    if (blastsLeft()) return true;
    const Player& p = *level.player;

    // No blast will change the grid again. Every cell the player could ever
    // stand in or pass through, by moves that only ever gain height by a
    // step up or a ladder; items ignored (they only block).
    const int rows = static_cast<int>(level.grid.size());
    const int columns = rows ? static_cast<int>(level.grid[0].size()) : 0;
    auto open = [&](int c, int r) {
        const Cell* cell = level.cellAt(c, r);
        return cell && cell->passable;
    };
    auto stand = [&](int c, int r) { return open(c, r) && !level.cellAt(c, r)->deadly; };
    const int pc = static_cast<int>(std::floor(p.x / 32)), pr = static_cast<int>(std::floor(p.y / 32));
    if (!stand(pc, pr)) return true;
    touched.assign(static_cast<size_t>(rows) * columns, 0);  // 1 passed, 2 stood
    std::vector<int>& queue = reachQueue;
    queue.clear();
    auto reach = [&](int c, int r) {
        uint8_t& t = touched[static_cast<size_t>(r) * columns + c];
        if (t == 2) return;
        t = 2;
        queue.push_back(r * columns + c);
    };
    reach(pc, pr);
    while (!queue.empty()) {
        const int at = queue.back();
        queue.pop_back();
        const int c = at % columns, r = at / columns;
        for (int d : {-1, 1}) {
            if (stand(c + d, r)) reach(c + d, r);
            if (stand(c + d, r - 1)) reach(c + d, r - 1);
            // A jump passes over its middle cell, deadly or not.
            if (open(c + d, r) && stand(c + 2 * d, r)) {
                reach(c + 2 * d, r);
                uint8_t& gap = touched[static_cast<size_t>(r) * columns + c + d];
                if (!gap) gap = 1;
            }
        }
        if (stand(c, r + 1)) reach(c, r + 1);
        if (stand(c, r - 1) && level.cellAt(c, r)->ladder) reach(c, r - 1);
    }
    auto wasTouched = [&](int c, int r) {
        return c >= 0 && r >= 0 && c < columns && r < rows && touched[static_cast<size_t>(r) * columns + c];
    };
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        // A gem falls straight down its column until something holds it.
        const int c = static_cast<int>((treasure->x + 16) / 32);
        int r = static_cast<int>(std::floor(treasure->y / 32));
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
// (RelaxedMap.h) to take each gem on the way to the door.
unsigned SolveWorld::tourBound() const {
    const Player& p = *level.player;
    relaxed.build(level);
    const int rows = relaxed.rows(), columns = relaxed.columns();
    auto index = [&](double x, double y) -> int {
        const int c = static_cast<int>(std::floor(x / 32)), r = static_cast<int>(std::floor(y / 32));
        return c >= 0 && r >= 0 && c < columns && r < rows ? r * columns + c : -1;
    };
    const int start = index(p.x, p.y), goal = index(door->x, door->y);
    if (start < 0 || goal < 0 || !relaxed.open(start % columns, start / columns)) return kFarAway;
    const std::vector<uint32_t>& fromPlayer = relaxed.kept(start, false);
    const std::vector<uint32_t>& toDoor = relaxed.kept(goal, true);
    uint32_t most = fromPlayer[goal];
    if (most == kFarAway) return kFarAway;
    auto sum = [&](int c, int r) -> uint32_t {
        if (c < 0 || c >= columns || r < 0 || r >= rows) return kFarAway;
        const size_t at = static_cast<size_t>(r) * columns + c;
        return fromPlayer[at] == kFarAway || toDoor[at] == kFarAway ? kFarAway : fromPlayer[at] + toDoor[at];
    };
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        // Taken in its cell or anywhere it may fall to; or flown over by a
        // jump from the cell before it to the cell after it.
        const int c = static_cast<int>(treasure->x / 32);
        uint32_t cheapest = kFarAway;
        for (int r = static_cast<int>(std::floor(treasure->y / 32)); r >= 0 && r < rows; ++r) {
            cheapest = std::min(cheapest, sum(c, r));
            for (int s : {-1, 1}) {
                const int a = c - s, b = c + s;
                if (a < 0 || b < 0 || a >= columns || b >= columns) continue;
                const uint32_t before = fromPlayer[static_cast<size_t>(r) * columns + a];
                const uint32_t after = toDoor[static_cast<size_t>(r) * columns + b];
                if (before != kFarAway && after != kFarAway) cheapest = std::min(cheapest, before + 1 + after);
            }
            if (!relaxed.open(c, r + 1)) break;
        }
        if (cheapest == kFarAway) return kFarAway;
        most = std::max(most, cheapest);
    }
    return most;
}

void SolveWorld::pack(Node& node, const Snapshot& snapshot) {
    // The looks are left out when they are laid out as the start's: nothing
    // the rules do reads them (the hash leaves them out too), so a state
    // restored with the start's looks plays on exactly as with its own.
    const bool looks = snapshot.looks.size() != root.looks.size();
    node.rulesSize = static_cast<uint32_t>(snapshot.rules.size());
    node.packed.reserve(snapshot.rules.size() + (looks ? snapshot.looks.size() : 0));
    node.packed.assign(snapshot.rules.begin(), snapshot.rules.end());
    if (looks) node.packed.insert(node.packed.end(), snapshot.looks.begin(), snapshot.looks.end());
    packedBytes += node.packed.capacity();
}

void SolveWorld::unpack(Node& node, Snapshot& snapshot) {
    const auto middle = node.packed.begin() + node.rulesSize;
    snapshot.rules.assign(node.packed.begin(), middle);
    if (middle != node.packed.end())
        snapshot.looks.assign(middle, node.packed.end());
    else
        snapshot.looks = root.looks;
    snapshot.screen = root.screen;
    snapshot.level = root.level;
    snapshot.player = root.player;
    packedBytes -= node.packed.capacity();
    std::vector<uint8_t>().swap(node.packed);
}

uint64_t SolveWorld::idleKey() {
    // The youngest burning fuse's age is taken from every burning one.
    uint32_t age = UINT32_MAX;
    const std::vector<Bomb*>& bombs = level.player->bombs;
    for (const Bomb* bomb : bombs)
        if (bomb->placed && !bomb->exploded && bomb->timer < age) age = bomb->timer;
    if (age == UINT32_MAX) return 0;
    for (Bomb* bomb : bombs)
        if (bomb->placed && !bomb->exploded) bomb->timer -= age;
    rewinder.captureRules(scratch);
    scratchIsLive = false;
    for (Bomb* bomb : bombs)
        if (bomb->placed && !bomb->exploded) bomb->timer += age;
    return stateHash(scratch);
}

uint32_t SolveWorld::idlePasses() const {
    uint32_t passes = UINT32_MAX;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded) passes = std::min(passes, bomb->idleUpdates(kPassTime));
    return passes == UINT32_MAX ? 0 : passes;
}

void SolveWorld::skipIdlePasses(uint32_t passes) {
    for (Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded)
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
        if (bomb->placed && !bomb->exploded) penalty += litPenalty(level, bomb->column, bomb->row, bomb);
    return penalty + static_cast<int64_t>(estimate()) * 4;
}
