// The solver: settled states, macro actions, the search and its verification.
#include "solve/Solver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "entities/Bomb.h"
#include "entities/Treasure.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"

namespace {

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

Solver::Solver(Level& level, const SolveLimits& limits) : limits(limits) {
    worlds.push_back(std::make_unique<SolveWorld>(level));
    worlds.back()->twoBlasts = limits.shortest;
}

Solver::~Solver() = default;

bool Solver::addWorld(std::unique_ptr<Level> copy) {
    if (!copy || !nodes.empty()) return false;
    auto added = std::make_unique<SolveWorld>(*copy);
    // Snapshots pass between the worlds only when both number the items
    // and cells alike and stand in the same state.
    const Snapshot& first = world().root;
    if (added->root.rules != first.rules || added->root.looks != first.looks) return false;
    added->twoBlasts = limits.shortest;
    copies.push_back(std::move(copy));
    worlds.push_back(std::move(added));
    return true;
}

void Solver::push(uint32_t node, int64_t rank) {
    ++pushed;
    if (limits.shortest && !limits.bound) {
        fifo.push_back(node);
        return;
    }
    if (limits.shortest) {
        // Fewest actions plus the bound first, then the most actions taken
        // (the nearest a win).
        const int64_t g = nodes[node].moves;
        const int64_t f = g + rank;
        best.push({-(f << 24 | (0xFFFFFF - g)), node});
        return;
    }
    pushBestFirst(node, rank);
}

void Solver::pushBestFirst(uint32_t node, int64_t rank) {
    // Among equals, the fewer actions, then the older.
    const int64_t priority = rank + nodes[node].moves;
    best.push({-(priority << 32 | static_cast<int64_t>(node)), node});
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
    SolveWorld& w = world();
    w.scratchIsLive = false;
    w.rewinder.restore(w.root);
    const uint64_t frames = tape.frameCount();
    uint64_t frame = 0;
    for (const TapeRun& run : tape.runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            applyKeyMask(run.keys, w.play->keyboard.state);
            PlayOutcome outcome;
            ++frame;
            if (w.play->pass(run.dt, outcome)) return frame == frames && outcome == Completed;
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

namespace {

// States expanded together. Breadth-first takes them in the queue's order
// whatever the batch. The shortest search sees a batch's new states only
// after it: it stays exact, and examines a few more states than one state
// at a time would, so its batch grows with the search (a small search
// examines what the one-state search would). The best-first search takes one
// state at a time: its order depends on every state merged before, and a
// second thread that played the queue's next states ahead (to send them back
// when a better one came up) made levels 35 and 40 twice as slow.
size_t batchSize(const SolveLimits& limits, uint64_t examined) {
    if (!limits.shortest) return 1;
    if (!limits.bound) return 256;
    return static_cast<size_t>(std::clamp<uint64_t>(examined / 512, 1, 64));
}

} // namespace

void Solver::expand(SolveWorld& w, size_t slot) {
    // Runs on any thread: reads the tables, writes only its node and slot.
    Node& node = nodes[batch[slot]];
    Expansion& e = expansions[slot];
    w.unpack(node, w.from);
    w.rewind(w.from);
    auto settle = [&](Child& c, uint32_t moves) {
        w.rewinder.captureRules(w.scratch);
        w.scratchIsLive = true;
        c.hash = stateHash(w.scratch);
        // Known before the batch began: the merge would drop it.
        const uint32_t known = seen.value(c.hash);
        if (limits.shortest && limits.bound ? known <= moves : known != UINT32_MAX) return;
        if (!w.mayStillWin(!limits.shortest || limits.bound)) {
            c.kind = Child::Hopeless;
            return;
        }
        c.kind = Child::Kept;
        w.pack(c.node, w.scratch);
        c.rank = w.rank(limits);
    };
    uint32_t passes;
    bool won;
    if (node.unplayed) {
        // A deferred bomb, played from its parent's world.
        Child& c = e.children[0];
        if (!w.act(static_cast<SolveAction>(node.action), passes, won)) return;
        c.passes = passes;
        if (won)
            c.kind = Child::Won;
        else
            settle(c, node.moves);
        return;
    }
    // Actions the world rules out before any pass are skipped; a wait
    // already tried from this world at another age of its fuses ends where
    // that one ended (one tried earlier in the batch is dropped at the merge).
    const Player& p = *w.level.player;
    const bool burning = w.fuseBurning();
    const bool pocket = p.bombsLeft() > 0;
    e.burning = burning;
    e.idle = burning ? w.idleKey() : 0;
    const bool waitTried = burning && waited.value(e.idle) != UINT32_MAX;
    bool moved = false;  // the world is no longer the node's
    for (int a = 0; a < ActionCount; ++a) {
        if ((a == ActWait && (!burning || waitTried)) || (a == ActBomb && !pocket)) continue;
        if (moved) w.rewind(w.from);
        Child& c = e.children[a];
        if (a == ActBomb && !limits.shortest) {
            // Lighting a bomb is the longest action, and the best-first
            // order puts most of its worlds last: played when it comes up.
            // The bomb would lie in the player's cell; the bombs already
            // burning are left out, so the node comes up no later than its
            // world would have; it is queued again at its own place.
            c.kind = Child::Deferred;
            w.pack(c.node, w.from);
            c.rank = litPenalty(w.level, static_cast<int>(p.x / 32), static_cast<int>(p.y / 32), nullptr) +
                     static_cast<int64_t>(w.estimate()) * 4;
            moved = false;
            continue;
        }
        moved = true;
        if (!w.act(static_cast<SolveAction>(a), passes, won)) continue;
        c.passes = passes;
        if (won)
            c.kind = Child::Won;
        else
            settle(c, node.moves + 1);
    }
}

void Solver::drop(Child& child) {
    world().release(child.node);
    child.kind = Child::None;
}

void Solver::merge(size_t slot, uint64_t& budget) {
    // As the one-state search would have done after expanding it.
    const uint32_t n = batch[slot];
    Expansion& e = expansions[slot];
    Child* children = e.children;
    if (state != SolveStatus::Running) {
        for (int a = 0; a < ActionCount; ++a) drop(children[a]);
        return;
    }
    world().release(nodes[n]);
    if (nodes[n].unplayed) {
        nodes[n].unplayed = false;
        Child& c = children[0];
        if (c.kind == Child::Won) {
            finish(nodes[n].parent, c.passes, static_cast<SolveAction>(nodes[n].action));
        } else if (c.kind != Child::None && seen.insert(c.hash) && c.kind == Child::Kept) {
            nodes[n].passes = c.passes;
            nodes[n].hash = c.hash;
            nodes[n].rulesSize = c.node.rulesSize;
            nodes[n].packed.swap(c.node.packed);
            push(n, c.rank);
        }
        for (int a = 0; a < ActionCount; ++a) drop(children[a]);
        return;
    }
    // Reached again in fewer actions by a state of the batch before it.
    const bool stale = limits.shortest && limits.bound && nodes[n].moves > seen.value(nodes[n].hash);
    if (!stale) {
        --budget;
        ++examined;
    }
    const bool waitTried = e.burning && !stale && !waited.insert(e.idle);
    const uint32_t moves = nodes[n].moves + 1;
    for (int a = 0; a < ActionCount; ++a) {
        Child& c = children[a];
        if (state != SolveStatus::Running || stale || (a == ActWait && waitTried)) c.kind = Child::None;
        switch (c.kind) {
        case Child::None:
            break;
        case Child::Deferred:
            ++pushed;
            c.node.parent = n;
            c.node.passes = 0;
            c.node.moves = moves;
            c.node.action = ActBomb;
            c.node.unplayed = true;
            c.node.hash = 0;
            nodes.push_back(std::move(c.node));
            pushBestFirst(static_cast<uint32_t>(nodes.size() - 1), c.rank);
            break;
        case Child::Won:
            if (limits.shortest && limits.bound) {
                if (!winPending || moves < pending.moves) pending = {n, c.passes, moves, static_cast<SolveAction>(a)};
                winPending = true;
            } else {
                finish(n, c.passes, static_cast<SolveAction>(a));
            }
            break;
        case Child::Hopeless:
        case Child::Kept:
            if (!(limits.shortest && limits.bound ? seen.improve(c.hash, moves) : seen.insert(c.hash))) break;
            if (c.kind == Child::Hopeless) break;
            c.node.parent = n;
            c.node.passes = c.passes;
            c.node.moves = moves;
            c.node.action = static_cast<uint8_t>(a);
            c.node.unplayed = false;
            c.node.hash = c.hash;
            nodes.push_back(std::move(c.node));
            push(static_cast<uint32_t>(nodes.size() - 1), c.rank);
            break;
        }
        drop(c);
    }
}

SolveStatus Solver::step(uint64_t stateBudget) {
    if (state != SolveStatus::Running) return state;
    const Clock::time_point start = Clock::now();
    SDL_Surface* screen = Item::screen;
    Level* current = Item::currentLevel;
    Player* player = Item::currentPlayer;
    const bool searching = Item::searching;
    Item::searching = true;
    SolveWorld& w = world();
    HeadlessPlay headless(w.level);
    w.play = &headless;
    auto spent = [&] { return elapsed + std::chrono::duration<double>(Clock::now() - start).count(); };

    if (nodes.empty()) {
        // Let the world settle before the first action (the player may start
        // in the air).
        w.rewinder.restore(w.root);
        uint32_t passes = 0;
        PlayOutcome outcome;
        bool ended = false;
        while (!w.settled() && passes < kMostPasses) {
            ++passes;
            if ((ended = w.play->pass(kPassTime, outcome))) {
                --passes;  // that pass is the tape's last, added with it
                break;
            }
        }
        nodes.push_back({0, passes, 0, ActionCount, false, {}, 0, 0});
        if (!ended && checkPlayEnd(w.level, kNoKeys, outcome)) ended = true;
        if (ended && outcome == Completed) {
            finish(0, 0, ActionCount);
        } else if (ended || !w.settled()) {
            state = SolveStatus::Unsolvable;
        } else {
            w.rewinder.captureRules(w.scratch);
            nodes[0].hash = stateHash(w.scratch);
            seen.insert(nodes[0].hash);
            w.pack(nodes[0], w.scratch);
            if (w.mayStillWin(!limits.shortest || limits.bound)) push(0, w.rank(limits));
        }
    }
    if (!workers) workers = std::make_unique<Workers>(static_cast<unsigned>(worlds.size()));

    uint64_t budget = stateBudget;
    while (state == SolveStatus::Running && budget > 0) {
        const bool fifoOrder = limits.shortest && !limits.bound;
        const bool empty = fifoOrder ? fifo.empty() : best.empty();
        // A win found is the shortest once no state left could do better.
        auto winKept = [&] { return winPending && ((-best.top().first) >> 24) >= pending.moves; };
        if (winPending && (empty || winKept())) {
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
        // The next states as the queue gives them.
        const size_t room =
            static_cast<size_t>(std::min<uint64_t>({batchSize(limits, examined), budget, limits.maxStates - examined}));
        batch.clear();
        while (batch.size() < room && !(fifoOrder ? fifo.empty() : best.empty()) && !winKept()) {
            uint32_t n;
            pop(n);
            if (limits.shortest && limits.bound && nodes[n].moves > seen.value(nodes[n].hash)) {
                // Reached again in fewer actions after it was queued.
                w.release(nodes[n]);
                continue;
            }
            batch.push_back(n);
        }
        if (expansions.size() < batch.size()) expansions.resize(batch.size());
        std::atomic<size_t> next{0};
        if (batch.size() == 1) {
            expand(w, 0);  // one state wakes no thread
        } else workers->run([&](unsigned i) {
            SolveWorld& mine = *worlds[i];
            std::unique_ptr<HeadlessPlay> own;
            if (i > 0) {
                own = std::make_unique<HeadlessPlay>(mine.level);
                mine.play = own.get();
                Item::searching = true;
            }
            for (size_t slot; (slot = next++) < batch.size();) expand(mine, slot);
            if (i > 0) {
                mine.play = nullptr;
                Item::searching = false;
            }
        });
        for (size_t slot = 0; slot < batch.size(); ++slot) merge(slot, budget);
    }

    w.rewinder.restore(w.root);
    w.scratchIsLive = false;
    w.play = nullptr;
    Item::screen = screen;
    Item::currentLevel = current;
    Item::currentPlayer = player;
    Item::searching = searching;
    elapsed = spent();
    return state;
}

size_t Solver::memory() const {
    size_t packed = 0;  // each world's count wraps; their sum does not
    for (const auto& w : worlds) packed += w->packedBytes;
    return nodes.capacity() * sizeof(Node) + packed + seen.bytes() + waited.bytes() +
           fifo.size() * sizeof(uint32_t) + best.size() * sizeof(std::pair<int64_t, uint32_t>);
}

bool Solver::overMemory() {
    const size_t bytes = memory();
    if (bytes > peakBytes) peakBytes = bytes;
    if (static_cast<double>(bytes) <= limits.maxMemory * 1024 * 1024) return false;
    stoppedBy = "memory";
    return true;
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
