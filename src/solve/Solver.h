#pragma once
// The solver: searches a level with the game's own rules (the real world
// advanced pass by pass without drawing, rewound through snapshots) for a
// play that completes it, or shows that no play within its model of actions
// does. It works in slices (step), so a frame loop can run it between frames.
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <queue>
#include <string>
#include <vector>

#include "play/PlayLoop.h"
#include "play/Snapshot.h"
#include "play/TapeRuns.h"
#include "solve/SolveWorld.h"
#include "solve/StateSet.h"
#include "solve/Workers.h"

class Level;

struct SolveLimits {
    double maxSeconds = 60;
    uint64_t maxStates = 5000000;
    // The search's own tables (states kept, hashes, queues), in megabytes.
    double maxMemory = 1024;
    bool shortest = false;
    // The shortest search puts first the states whose actions so far plus
    // a lower bound of the actions still needed are fewest (A*); without
    // the bound it is plain breadth-first. Both find the fewest actions.
    bool bound = true;
};

enum class SolveStatus { Running, Solved, Unsolvable, Unknown };

// A 64-bit hash of the rules' part of a snapshot (animation frames left out).
uint64_t stateHash(const Snapshot& snapshot);

class Solver {
public:
    // level: freshly loaded, not yet played; borrowed for the solver's life,
    // and left in its starting state whenever step returns. Load it without
    // a sound bank, or the search plays its sounds.
    explicit Solver(Level& level, const SolveLimits& limits = {});
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // Examines up to stateBudget more settled states; Running until decided.
    // Item's class-wide references and the platform's keyboard are as they
    // were when it returns.
    SolveStatus step(uint64_t stateBudget);
    // A search that reached its limits goes on, up to the new time and
    // state limits (the kind of search stays as it began).
    void extend(const SolveLimits& more);
    SolveStatus status() const { return state; }
    uint64_t states() const { return examined; }
    // Bytes the search holds now, and the most it has held.
    size_t memory() const;
    size_t peakMemory() const { return peakBytes; }
    // Why an Unknown search stopped: "time", "states" or "memory".
    const char* limitReached() const { return stoppedBy; }
    double seconds() const { return elapsed; }
    // The verified winning tape when Solved (frame time 20 ms throughout).
    const Tape& tape() const { return solution; }
    // The winning play's number of actions.
    unsigned moves() const { return solutionMoves; }

    // A second copy of the level, loaded as the first was and brought to the
    // same state, for a second thread; before the first step. False (and
    // the copy dropped) when its state is not the first's. The search
    // expands the same states in the same order with one thread or more.
    bool addWorld(std::unique_ptr<Level> copy);
    unsigned threads() const { return static_cast<unsigned>(worlds.size()); }

    // Can a settled world still be won? False only when the grid proves it
    // cannot: no bomb left to change the grid, and a gem or the door lies
    // outside every cell the player could ever reach.
    bool mayStillWin() const { return world().mayStillWin(); }
    // At least how many more actions any win from the world as it stands
    // needs; never more than the fewest there are (see docs/solver.md).
    unsigned actionsLeftBound() const { return world().actionsLeftBound(); }
    // Is the world settled: the player still on whole cells, nothing falling?
    bool settled() const { return world().settled(); }
    // For a settled world with a burning fuse: a hash of its rules with the
    // fuses' common age left out (their differences kept), zero when none
    // burns. Two worlds with the same key differ only in how long ago they
    // would both have been the same world at rest, so waiting for the blast
    // from either ends in one and the same world.
    uint64_t idleKey() { return world().idleKey(); }
    // For a settled world with a fuse burning and no key held: how many
    // passes only age the fuses (those before a bomb lets go of its cell),
    // and the fuses aged by that many passes at once, as the passes would.
    uint32_t idlePasses() const { return world().idlePasses(); }
    void skipIdlePasses(uint32_t passes) { world().skipIdlePasses(passes); }

private:
    using Node = SolveNode;
    // One action's result from a batch's state, worked out on any world.
    struct Child {
        enum Kind : uint8_t { None, Won, Hopeless, Kept, Deferred } kind = None;
        uint32_t passes = 0;
        uint64_t hash = 0;
        int64_t rank = 0;
        Node node{};  // packed world when Kept or Deferred
    };
    // A state of the batch: a settled one with a child per action, or a
    // deferred bomb played (its one child first).
    struct Expansion {
        bool burning = false;
        uint64_t idle = 0;
        Child children[ActionCount];
    };
    SolveWorld& world() const { return *worlds.front(); }
    void expand(SolveWorld& w, size_t slot);
    void merge(size_t slot, uint64_t& budget);
    void drop(Child& child);
    bool overMemory();
    void push(uint32_t node, int64_t rank);
    void pushBestFirst(uint32_t node, int64_t rank);
    bool pop(uint32_t& node);
    void finish(uint32_t node, uint32_t lastPasses, SolveAction lastAction);
    Tape tapeTo(uint32_t node, uint32_t lastPasses, SolveAction lastAction) const;
    bool verify(const Tape& tape);

    SolveLimits limits;
    // The worlds the search moves, one a thread; the first is the caller's
    // level, the others copies it owns.
    std::vector<std::unique_ptr<Level>> copies;
    std::vector<std::unique_ptr<SolveWorld>> worlds;
    std::unique_ptr<Workers> workers;
    std::vector<Node> nodes;
    StateSet seen;
    // Worlds whose wait for the blast has been tried (idleKey).
    StateSet waited;
    // The states popped for the next expansion, and their results.
    std::vector<uint32_t> batch;
    std::vector<Expansion> expansions;
    size_t peakBytes = 0;
    const char* stoppedBy = "";
    std::deque<uint32_t> fifo;
    std::priority_queue<std::pair<int64_t, uint32_t>> best;  // (-priority, node)
    uint64_t pushed = 0;
    // A win the shortest search found and keeps until no state left could
    // lead to a shorter one.
    struct Win {
        uint32_t node, passes, moves;
        SolveAction action;
    };
    bool winPending = false;
    Win pending{};
    SolveStatus state = SolveStatus::Running;
    uint64_t examined = 0;
    double elapsed = 0;
    Tape solution;
    unsigned solutionMoves = 0;
};

// Plays a tape's passes on a level without drawing, as the play loop would
// (the question "can it still be won from here?"). Returns the number of
// the pass whose end check ended the play (outcome says how), or 0 when the
// play is still going after the tape's last pass.
uint64_t playTapeHeadless(Level& level, const Tape& tape, PlayOutcome& outcome);
// A tape that plays `before` and then `after` (the solver's tape from where
// `before` left off).
Tape joinTapes(const Tape& before, const Tape& after);

// The solver's report: "result", then moves and passes when solved, states
// and seconds; one line each.
std::string formatSolveReport(const Solver& solver);
