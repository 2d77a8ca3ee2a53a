// The solver: settled states, macro actions, the search and its verification.
#include "solve/Solver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "entities/Bomb.h"
#include "entities/Treasure.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"
#include "solve/LeastUsed.h"

namespace {

// The bound tries every order of taking the gems up to this many (2^n n^2
// steps a state); past it, the dearest single gem only.
constexpr size_t kMostOrderedGems = 8;
// Tables of legs between gems kept, for as many maps and places of gems.
constexpr size_t kKeptLegs = 32;

// Every pass of a solution lasts one ordinary frame.
constexpr uint32_t kPassTime = 20;
// An action that has not settled after this many passes (a minute of play)
// is dropped: something keeps moving for ever.
constexpr uint32_t kMostPasses = 3000;

// Tape key bits: left, right, up, down, x, z (see kTapeKeyNames).
constexpr uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8, kX = 16, kZ = 32;
constexpr uint16_t kActionKeys[ActionCount] = {kLeft, kRight, kX | kLeft, kX | kRight, kUp, kDown, kZ, 0};

const uint8_t kNoKeys[SDLK_LAST] = {};

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

int64_t litPenalty(const Level& level, int column, int row, const Item* bomb) {
    return blastChangesAnything(level, column, row, bomb) ? kLitPenalty : kIdlePenalty;
}

bool onGrid(double v) { return std::fmod(v, 32.0) == 0.0; }

using Clock = std::chrono::steady_clock;

} // namespace

uint64_t stateHash(const Snapshot& snapshot) {
    const std::vector<uint8_t>& bytes = snapshot.rules;
    uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 31;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}

Solver::Solver(Level& level, const SolveLimits& limits) : level(level), limits(limits), rewinder(level) {
    rewinder.capture(root);
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

Solver::~Solver() = default;

bool Solver::nothingFalling() const {
    // A box counts from the moment nothing holds it up, a gem or a bomb
    // once it drops: the campaign's measured searches rest on this.
    for (Item* item : boxes)
        if (item->isFalling()) return false;
    for (const Item* item : droppers)
        if (item->isDropping()) return false;
    return true;
}

bool Solver::settled() const {
    const Player& p = *level.player;
    if (p.walking || p.jumping || p.pushing || p.falling || p.steppingUp || p.placingBomb || p.onLadder || p.dead)
        return false;
    return onGrid(p.x) && onGrid(p.y) && nothingFalling();
}

void Solver::rewind(const Snapshot& to) {
    // The squares a capture of the world as it stands lists are the only
    // ones that differ from the start.
    if (scratchIsLive)
        rewinder.restoreRules(to, scratch);
    else
        rewinder.restoreRules(to);
    scratchIsLive = false;
}

bool Solver::act(SolveAction action, uint32_t& passes, bool& won) {
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

bool Solver::blastsLeft() const {
    const Player& p = *level.player;
    if (p.bombsUsed < p.bombs.size()) return true;
    for (const Bomb* bomb : p.bombs)
        if (bomb->placed && !bomb->exploded) return true;
    return false;
}

bool Solver::mayStillWin() const {
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

int Solver::estimate() const {
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

unsigned Solver::actionsLeftBound() const {
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
// an action that moves the player nowhere, so a win that places one takes
// at least one action more than the tour on the map with every blast to
// come, and one that places none at least the tour on the map without the
// pocket's blasts.
unsigned Solver::tourBound() const {
    const unsigned all = tourOn(relaxed, true);
    if (all == kFarAway || level.player->bombsLeft() == 0) return all;
    return std::min(tourOn(unplaced, false), all + 1);
}

unsigned Solver::tourOn(RelaxedMap& map, bool pocketBlasts) const {
    const Player& p = *level.player;
    map.build(level, pocketBlasts);
    const int rows = map.rows(), columns = map.columns();
    auto index = [&](double x, double y) -> int {
        const int c = static_cast<int>(std::floor(x / 32)), r = static_cast<int>(std::floor(y / 32));
        return c >= 0 && r >= 0 && c < columns && r < rows ? r * columns + c : -1;
    };
    const int start = index(p.x, p.y), goal = index(door->x, door->y);
    if (start < 0 || goal < 0 || !map.open(start % columns, start / columns)) return kFarAway;
    const std::vector<uint32_t>& fromPlayer = map.kept(start, false);
    const std::vector<uint32_t>& toDoor = map.kept(goal, true);
    uint32_t most = fromPlayer[goal];
    if (most == kFarAway) return kFarAway;
    auto sum = [&](int c, int r) -> uint32_t {
        if (c < 0 || c >= columns || r < 0 || r >= rows) return kFarAway;
        const size_t at = static_cast<size_t>(r) * columns + c;
        return fromPlayer[at] == kFarAway || toDoor[at] == kFarAway ? kFarAway : fromPlayer[at] + toDoor[at];
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
        for (int r = static_cast<int>(std::floor(treasure->y / 32)); r >= 0 && r < rows; ++r) {
            for (int s = -1; s <= 1; ++s)
                if (c + s >= 0 && c + s < columns) take.push_back(r * columns + c + s);
            cheapest = std::min(cheapest, sum(c, r));
            for (int s : {-1, 1}) {
                const int a = c - s, b = c + s;
                if (a < 0 || b < 0 || a >= columns || b >= columns) continue;
                const uint32_t before = fromPlayer[static_cast<size_t>(r) * columns + a];
                const uint32_t after = toDoor[static_cast<size_t>(r) * columns + b];
                if (before != kFarAway && after != kFarAway) cheapest = std::min(cheapest, before + 1 + after);
            }
            if (!map.open(c, r + 1)) break;
        }
        if (cheapest == kFarAway) return kFarAway;
        most = std::max(most, cheapest);
    }
    return std::max(most, orderBound(map, gems, fromPlayer, toDoor));
}

// The gems are taken one after another: the cheapest order of all of them
// on the map, each leg from any cell a gem is taken in (its column's, or
// beside it for a jump over it) to any of the next one's, the first from
// the player and the last to the door. Every leg is at most the actions
// between the two takes, so the sum never exceeds the win's actions.
unsigned Solver::orderBound(RelaxedMap& map, size_t gems, const std::vector<uint32_t>& fromPlayer,
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

void Solver::push(uint32_t node) {
    ++pushed;
    if (limits.shortest && !limits.bound) {
        fifo.push_back(node);
        return;
    }
    if (limits.shortest) {
        // Fewest actions plus the bound first, then the most actions taken
        // (the nearest a win).
        const int64_t g = nodes[node].moves;
        const int64_t f = g + actionsLeftBound();
        best.push({-(f << 24 | (0xFFFFFF - g)), node});
        return;
    }
    // A burning bomb makes every later state new (its timer is part of it).
    // One whose blast would only turn air into rubble is lit last: the
    // search spends the states without it first. Then fewer gems left and
    // nearer the next target; among equals, the fewer actions, then the older.
    int64_t penalty = 0;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded) penalty += litPenalty(level, bomb->column, bomb->row, bomb);
    pushBestFirst(node, penalty);
}

void Solver::pushBestFirst(uint32_t node, int64_t penalty) {
    const int64_t priority = penalty + static_cast<int64_t>(estimate()) * 4 + nodes[node].moves;
    best.push({-(priority << 32 | static_cast<int64_t>(node)), node});
}

void Solver::deferBomb(uint32_t parent, const Snapshot& world) {
    // The world is the parent's: the bomb would lie in the player's cell,
    // and the player stands still while it places it. The bombs already
    // burning are left out, so the node comes up no later than its world
    // would have; it is played then and queued again at its own place.
    ++pushed;
    const Player& p = *level.player;
    nodes.push_back({parent, 0, nodes[parent].moves + 1, ActBomb, true, {}, 0, 0});
    pack(nodes.back(), world);
    const uint32_t node = static_cast<uint32_t>(nodes.size() - 1);
    pushBestFirst(node, litPenalty(level, static_cast<int>(p.x / 32), static_cast<int>(p.y / 32), nullptr));
}

void Solver::playDeferred(uint32_t node) {
    Node& n = nodes[node];
    n.unplayed = false;
    unpack(n, from);
    rewind(from);
    uint32_t passes;
    bool won;
    if (!act(static_cast<SolveAction>(n.action), passes, won)) return;
    if (won) {
        finish(n.parent, passes, static_cast<SolveAction>(n.action));
        return;
    }
    rewinder.captureRules(scratch);
    scratchIsLive = true;
    const uint64_t hash = stateHash(scratch);
    if (!seen.insert(hash) || !mayStillWin()) return;
    n.passes = passes;
    n.hash = hash;
    pack(n, scratch);
    push(node);
}

bool Solver::pop(uint32_t& node) {
    if (limits.shortest && !limits.bound) {
        if (fifo.empty()) return false;
        node = fifo.front();
        fifo.pop_front();
        return true;
    }
    if (best.empty()) return false;
    node = best.top().second;
    best.pop();
    return true;
}

Tape Solver::tapeTo(uint32_t node, uint32_t lastPasses, SolveAction lastAction) const {
    std::vector<std::pair<uint8_t, uint32_t>> actions;
    if (lastAction != ActionCount) actions.push_back({lastAction, lastPasses});
    for (uint32_t n = node; n != 0; n = nodes[n].parent) actions.push_back({nodes[n].action, nodes[n].passes});
    // The root's passes settle the world before the first action.
    Tape tape;
    for (uint32_t i = 0; i < nodes[0].passes; ++i) tape.append(kPassTime, 0);
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
        tape.append(kPassTime, kActionKeys[it->first]);
        for (uint32_t i = 1; i < it->second; ++i) tape.append(kPassTime, 0);
    }
    // The pass whose end check ends the play.
    tape.append(kPassTime, 0);
    tape.expect = "Completed";
    return tape;
}

bool Solver::verify(const Tape& tape) {
    scratchIsLive = false;
    rewinder.restore(root);
    const uint64_t frames = tape.frameCount();
    uint64_t frame = 0;
    for (const TapeRun& run : tape.runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            applyKeyMask(run.keys, play->keyboard.state);
            PlayOutcome outcome;
            ++frame;
            if (play->pass(run.dt, outcome)) return frame == frames && outcome == Completed;
        }
    return false;
}

void Solver::finish(uint32_t node, uint32_t lastPasses, SolveAction lastAction) {
    Tape tape = tapeTo(node, lastPasses, lastAction);
    if (!verify(tape)) return;  // the search's bookkeeping is wrong: go on
    solution = tape;
    solutionMoves = nodes[node].moves + (lastAction == ActionCount ? 0 : 1);
    state = SolveStatus::Solved;
}

SolveStatus Solver::step(uint64_t stateBudget) {
    if (state != SolveStatus::Running) return state;
    const Clock::time_point start = Clock::now();
    SDL_Surface* screen = Item::screen;
    Level* current = Item::currentLevel;
    Player* player = Item::currentPlayer;
    HeadlessPlay headless(level);
    play = &headless;
    auto spent = [&] { return elapsed + std::chrono::duration<double>(Clock::now() - start).count(); };

    if (nodes.empty()) {
        // Let the world settle before the first action (the player may start
        // in the air).
        rewinder.restore(root);
        uint32_t passes = 0;
        PlayOutcome outcome;
        bool ended = false;
        while (!settled() && passes < kMostPasses) {
            ++passes;
            if ((ended = play->pass(kPassTime, outcome))) {
                --passes;  // that pass is the tape's last, added with it
                break;
            }
        }
        nodes.push_back({0, passes, 0, ActionCount, false, {}, 0, 0});
        if (!ended && checkPlayEnd(level, kNoKeys, outcome)) ended = true;
        if (ended && outcome == Completed) {
            finish(0, 0, ActionCount);
        } else if (ended || !settled()) {
            state = SolveStatus::Unsolvable;
        } else {
            rewinder.captureRules(scratch);
            nodes[0].hash = stateHash(scratch);
            seen.insert(nodes[0].hash);
            pack(nodes[0], scratch);
            if (mayStillWin()) push(0);
        }
    }

    uint64_t budget = stateBudget;
    while (state == SolveStatus::Running && budget > 0) {
        const bool empty = limits.shortest && !limits.bound ? fifo.empty() : best.empty();
        // A win found is the shortest once no state left could do better.
        if (winPending && (empty || ((-best.top().first) >> 24) >= pending.moves)) {
            winPending = false;
            finish(pending.node, pending.passes, pending.action);
            continue;
        }
        if (empty) {
            state = SolveStatus::Unsolvable;
            break;
        }
        const bool outOfStates = examined >= limits.maxStates;
        if (outOfStates || spent() >= limits.maxSeconds || overMemory()) {
            if (outOfStates)
                stoppedBy = "states";
            else if (!*stoppedBy)
                stoppedBy = "time";
            state = SolveStatus::Unknown;
            break;
        }
        uint32_t n;
        pop(n);
        if (limits.shortest && limits.bound && nodes[n].moves > seen.value(nodes[n].hash)) {
            // Reached again in fewer actions after it was queued.
            release(nodes[n]);
            continue;
        }
        if (nodes[n].unplayed) {
            playDeferred(n);
            continue;
        }
        --budget;
        ++examined;
        unpack(nodes[n], from);
        rewind(from);
        // Actions the world rules out before any pass are skipped; a wait
        // already tried from this world at another age of its fuses ends
        // where that one ended.
        const Player& p = *level.player;
        bool burning = false;
        for (const Bomb* bomb : p.bombs) burning = burning || (bomb->placed && !bomb->exploded);
        const bool pocket = p.bombsLeft() > 0;
        const bool waitTried = burning && !waited.insert(idleKey());
        bool moved = false;  // the world is no longer the node's
        for (int a = 0; a < ActionCount && state == SolveStatus::Running; ++a) {
            if ((a == ActWait && (!burning || waitTried)) || (a == ActBomb && !pocket)) continue;
            if (moved) rewind(from);
            if (a == ActBomb && !limits.shortest) {
                // Lighting a bomb is the longest action, and the best-first
                // order puts most of its worlds last: played when it comes up.
                deferBomb(n, from);
                moved = false;
                continue;
            }
            moved = true;
            uint32_t passes;
            bool won;
            if (!act(static_cast<SolveAction>(a), passes, won)) continue;
            const uint32_t moves = nodes[n].moves + 1;
            if (won && limits.shortest && limits.bound) {
                if (!winPending || moves < pending.moves) pending = {n, passes, moves, static_cast<SolveAction>(a)};
                winPending = true;
                continue;
            }
            if (won) {
                finish(n, passes, static_cast<SolveAction>(a));
                continue;
            }
            rewinder.captureRules(scratch);
            scratchIsLive = true;
            const uint64_t hash = stateHash(scratch);
            if (!(limits.shortest && limits.bound ? seen.improve(hash, moves) : seen.insert(hash))) continue;
            if (!mayStillWin()) continue;
            nodes.push_back({n, passes, moves, static_cast<uint8_t>(a), false, {}, 0, hash});
            pack(nodes.back(), scratch);
            push(static_cast<uint32_t>(nodes.size() - 1));
        }
    }

    rewinder.restore(root);
    scratchIsLive = false;
    play = nullptr;
    Item::screen = screen;
    Item::currentLevel = current;
    Item::currentPlayer = player;
    elapsed = spent();
    return state;
}

namespace {

// A varint: seven bits a byte, the high bit set on all but the last.
void putCount(std::vector<uint8_t>& out, size_t n) {
    for (; n >= 0x80; n >>= 7) out.push_back(static_cast<uint8_t>(n | 0x80));
    out.push_back(static_cast<uint8_t>(n));
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

void Solver::pack(Node& node, const Snapshot& snapshot) {
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
    std::vector<uint8_t>& out = packScratch;
    out.clear();
    putCount(out, rules.size());
    putCount(out, looks ? snapshot.looks.size() : 0);
    auto same = [&](size_t i) { return rules[i] == (i < base.size() ? base[i] : 0); };
    size_t i = 0, last = 0;
    while (i < rules.size()) {
        if (same(i)) {
            ++i;
            continue;
        }
        // A run ends at two equal bytes in a row (one costs less inside it).
        size_t end = i + 1;
        while (end < rules.size() && !(same(end) && (end + 1 >= rules.size() || same(end + 1)))) ++end;
        putCount(out, i - last);
        putCount(out, end - i);
        out.insert(out.end(), rules.begin() + static_cast<std::ptrdiff_t>(i), rules.begin() + static_cast<std::ptrdiff_t>(end));
        i = last = end;
    }
    node.rulesSize = static_cast<uint32_t>(out.size());
    if (looks) out.insert(out.end(), snapshot.looks.begin(), snapshot.looks.end());
    node.packed.reset(new uint8_t[out.size()]);
    std::memcpy(node.packed.get(), out.data(), out.size());
    packedBytes += out.size();
}

void Solver::release(Node& node) {
    if (!node.packed) return;
    const uint8_t* at = node.packed.get();
    getCount(at);
    packedBytes -= node.rulesSize + getCount(at);
    node.packed.reset();
}

void Solver::unpack(Node& node, Snapshot& snapshot) {
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

size_t Solver::memory() const {
    return nodes.capacity() * sizeof(Node) + packedBytes + seen.bytes() + waited.bytes() +
           fifo.size() * sizeof(uint32_t) + best.size() * sizeof(std::pair<int64_t, uint32_t>);
}

bool Solver::overMemory() {
    const size_t bytes = memory();
    if (bytes > peakBytes) peakBytes = bytes;
    if (static_cast<double>(bytes) <= limits.maxMemory * 1024 * 1024) return false;
    stoppedBy = "memory";
    return true;
}

uint64_t Solver::idleKey() {
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

uint32_t Solver::idlePasses() const {
    uint32_t passes = UINT32_MAX;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded) passes = std::min(passes, bomb->idleUpdates(kPassTime));
    return passes == UINT32_MAX ? 0 : passes;
}

void Solver::skipIdlePasses(uint32_t passes) {
    for (Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded)
            for (uint32_t i = 0; i < passes; ++i) bomb->burn(kPassTime);
}

void Solver::extend(const SolveLimits& more) {
    limits.maxSeconds = more.maxSeconds;
    limits.maxStates = more.maxStates;
    limits.maxMemory = more.maxMemory;
    stoppedBy = "";
    if (state == SolveStatus::Unknown) state = SolveStatus::Running;
}

uint64_t playTapeHeadless(Level& level, const Tape& tape, PlayOutcome& outcome) {
    HeadlessPlay play(level);
    // The undo key steps back here as in the play loop.
    UndoHistory undo;
    undo.attach(level);
    uint64_t pass = 0;
    for (const TapeRun& run : tape.runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            ++pass;
            applyKeyMask(run.keys, play.keyboard.state);
            if (advancePass(level, play.keyboard.state, run.dt, level.items.size(), outcome, &undo)) {
                undo.detach();
                return pass;
            }
        }
    undo.detach();
    return 0;
}

Tape joinTapes(const Tape& before, const Tape& after) {
    Tape joined = before;
    for (const TapeRun& run : after.runs)
        for (uint32_t i = 0; i < run.frames; ++i) joined.append(run.dt, run.keys);
    joined.expect = after.expect;
    return joined;
}

std::string formatSolveReport(const Solver& solver) {
    static const char* const names[] = {"unknown", "solved", "unsolvable", "unknown"};
    std::string out = std::string("result ") + names[static_cast<int>(solver.status())] + "\n";
    char line[64];
    if (solver.status() == SolveStatus::Solved) {
        std::snprintf(line, sizeof line, "moves %u\npasses %llu\n", solver.moves(),
                      static_cast<unsigned long long>(solver.tape().frameCount()));
        out += line;
    }
    std::snprintf(line, sizeof line, "states %llu\nseconds %.2f\n", static_cast<unsigned long long>(solver.states()),
                  solver.seconds());
    return out + line;
}
