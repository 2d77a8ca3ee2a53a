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
#include "solve/RelaxedMap.h"
#include "solve/StateSet.h"

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

// The macro actions tried from every settled state (the player still on the
// grid, nothing falling): a key combination held for one pass, then no key
// until the world settles again; waiting lets the next bomb go off.
enum SolveAction : uint8_t { ActLeft, ActRight, ActJumpLeft, ActJumpRight, ActUp, ActDown, ActBomb, ActWait,
                             ActionCount };

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

    // Can a settled world still be won? False only when the grid proves it
    // cannot: no bomb left to change the grid, and a gem or the door lies
    // outside every cell the player could ever reach.
    bool mayStillWin() const;
    // At least how many more actions any win from the world as it stands
    // needs; never more than the fewest there are (see docs/solver.md).
    unsigned actionsLeftBound() const;
    // Is the world settled: the player still on whole cells, nothing falling?
    bool settled() const;
    // For a settled world with a burning fuse: a hash of its rules with the
    // fuses' common age left out (their differences kept), zero when none
    // burns. Two worlds with the same key differ only in how long ago they
    // would both have been the same world at rest, so waiting for the blast
    // from either ends in one and the same world.
    uint64_t idleKey();
    // For a settled world with a fuse burning and no key held: how many
    // passes only age the fuses (those before a bomb lets go of its cell),
    // and the fuses aged by that many passes at once, as the passes would.
    uint32_t idlePasses() const;
    void skipIdlePasses(uint32_t passes);

private:
    struct Node {
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
    // Runs one action from the world as it stands; returns false when it
    // does nothing, kills the player or never settles; won tells a win.
    bool act(SolveAction action, uint32_t& passes, bool& won);
    // Puts the world back as `to` holds it (the rules' part).
    void rewind(const Snapshot& to);
    bool nothingFalling() const;
    void pack(Node& node, const Snapshot& snapshot);
    // Restores the node's world into the snapshot and frees its copy.
    void unpack(Node& node, Snapshot& snapshot);
    void release(Node& node);
    bool overMemory();
    // Can a blast still change the grid (a bomb in the pocket or burning)?
    bool blastsLeft() const;
    unsigned tourBound() const;
    unsigned tourOn(RelaxedMap& map, bool pocketBlasts) const;
    unsigned orderBound(RelaxedMap& map, size_t gems, const std::vector<uint32_t>& fromPlayer,
                        const std::vector<uint32_t>& toDoor) const;
    int estimate() const;
    void push(uint32_t node);
    void pushBestFirst(uint32_t node, int64_t penalty);
    // Queues the bomb action from the parent's world (as it stands) unplayed.
    void deferBomb(uint32_t parent, const Snapshot& world);
    void playDeferred(uint32_t node);
    bool pop(uint32_t& node);
    void finish(uint32_t node, uint32_t lastPasses, SolveAction lastAction);
    Tape tapeTo(uint32_t node, uint32_t lastPasses, SolveAction lastAction) const;
    bool verify(const Tape& tape);

    Level& level;
    SolveLimits limits;
    Rewinder rewinder;
    Snapshot root;
    Snapshot scratch;
    // Is scratch a capture of the world as it stands (nothing played since)?
    bool scratchIsLive = false;
    Snapshot from;
    std::vector<Node> nodes;
    StateSet seen;
    // Worlds whose wait for the blast has been tried (idleKey).
    StateSet waited;
    // What falls, found once: the crates and rocks, and the rest (gems,
    // bombs) that count only once they drop.
    std::vector<Item*> boxes;
    std::vector<const Item*> droppers;
    mutable std::vector<uint8_t> touched;  // mayStillWin's reach, kept
    mutable std::vector<int> reachQueue;
    mutable RelaxedMap relaxed;  // tourBound's map and distances, kept
    mutable RelaxedMap unplaced;  // the same without the pocket's blasts
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
    size_t packedBytes = 0;
    std::vector<uint8_t> packScratch;
    size_t peakBytes = 0;
    const char* stoppedBy = "";
    std::deque<uint32_t> fifo;
    std::priority_queue<std::pair<int64_t, uint32_t>> best;  // (-priority, node)
    uint64_t pushed = 0;
    const Item* door = nullptr;  // the last goal, the one that counts
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
    class HeadlessPlay* play = nullptr;  // while a step runs
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
