// The hint's searches: the play as it stands, then the undo key's earlier states.
#include "solve/Hint.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/UndoHistory.h"

namespace {

// States the solver examines between two readings of the clock.
constexpr uint64_t kSlice = 32;

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The searches play no sound: every sound of the level is off while one runs.
// kept is the hint's own list, so a question's later slices allocate nothing.
class Silence {
public:
    Silence(Level& level, std::vector<SoundBank*>& kept) : level(level), kept(kept) {
        kept.clear();
        if (level.player) kept.push_back(std::exchange(level.player->sounds, nullptr));
        for (Item* item : level.items)
            if (item) kept.push_back(std::exchange(item->sounds, nullptr));
    }
    ~Silence() {
        std::size_t i = 0;
        if (level.player) level.player->sounds = kept[i++];
        for (Item* item : level.items)
            if (item) item->sounds = kept[i++];
    }

private:
    Level& level;
    std::vector<SoundBank*>& kept;
};

// The keys the tape holds in its pass `pass` (counted from 0).
uint16_t keysAt(const Tape& tape, uint64_t pass) {
    for (const TapeRun& run : tape.runs) {
        if (pass < run.frames) return run.keys;
        pass -= run.frames;
    }
    return 0;
}

} // namespace

Hint::Hint(Level& level, const UndoHistory* history, const HintLimits& limits)
    : level(level), history(history), limits(limits), rewinder(level) {
    rewinder.capture(asked);
    current = std::make_unique<Solver>(level, limitsLeft());
}

Hint::~Hint() = default;

SolveLimits Hint::limitsLeft() const {
    SolveLimits l;
    l.maxSeconds = std::max(0.001, limits.seconds - spent);
    l.maxStates = limits.states;
    l.maxMemory = limits.memory;
    return l;
}

SolveStatus Hint::run(Solver& solver, double seconds) {
    Silence quiet(level, silenced);
    const double until = solver.seconds() + seconds;
    SolveStatus status;
    while ((status = solver.step(kSlice)) == SolveStatus::Running && solver.seconds() < until) {
    }
    rewinder.restore(asked);
    return status;
}

void Hint::searchBack(std::size_t presses) {
    back = presses;
    rewinder.restore(history->stateBack(presses));
    earlier = std::make_unique<Solver>(level, limitsLeft());
    rewinder.restore(asked);
}

HintAnswer Hint::think(double seconds) {
    const Clock::time_point start = Clock::now();
    auto left = [&] { return std::min(seconds - since(start), limits.seconds - spent - since(start)); };
    while (result == HintAnswer::Thinking && left() > 0) {
        if (current->status() == SolveStatus::Running) {
            const SolveStatus status = run(*current, left());
            if (status == SolveStatus::Solved) {
                readNextMove();
                result = HintAnswer::CanWin;
            } else if (status == SolveStatus::Unknown) {
                result = HintAnswer::NoAnswer;
            }
            continue;
        }
        // Lost from here. The steps back are searched from the nearest out,
        // doubling, then halving the gap between lost and winnable: each
        // state an undo step began from can reach the next, so once one is
        // winnable so is every earlier one.
        const std::size_t reach = history ? history->reach() : 0;
        if (!earlier) {
            std::size_t next = 0;
            if (winnable == 0)
                next = lost < reach ? std::min(reach, std::max<std::size_t>(1, 2 * lost)) : 0;
            else if (winnable - lost > 1)
                next = (lost + winnable) / 2;
            if (next == 0) {
                stepsBack = winnable;
                result = HintAnswer::CannotWin;
                break;
            }
            searchBack(next);
        }
        const SolveStatus status = run(*earlier, left());
        if (status == SolveStatus::Running) continue;
        earlier.reset();
        if (status == SolveStatus::Solved)
            winnable = back;
        else if (status == SolveStatus::Unsolvable)
            lost = back;
        else
            result = HintAnswer::CannotWin;  // how far back is not known in time
    }
    spent += since(start);
    if (spent >= limits.seconds) stop();
    return result;
}

void Hint::stop() {
    if (result != HintAnswer::Thinking) return;
    result = current->status() == SolveStatus::Unsolvable ? HintAnswer::CannotWin : HintAnswer::NoAnswer;
    if (result == HintAnswer::CannotWin) stepsBack = 0;
}

void Hint::readNextMove() {
    // The world settles first, as the solver let it before its first action.
    const Tape& tape = current->tape();
    const uint64_t passes = tape.frameCount();
    Silence quiet(level, silenced);
    HeadlessPlay play(level);
    PlayOutcome outcome;
    uint64_t pass = 0;
    bool ended = false;
    while (!current->settled() && pass + 1 < passes && !ended) {
        ended = play.pass(kPassTime, outcome);
        ++pass;
    }
    const Player& p = *level.player;
    column = cellOf(p.x);
    row = cellOf(p.y);
    const uint16_t keys = pass + 1 < passes ? keysAt(tape, pass) : 0;
    move = HintMove::Wait;
    facing = 0;
    if (keys && !ended) {
        applyKeyMask(keys, play.keyboard.state);
        const uint8_t* held = play.keyboard.state;
        facing = held[SDLK_RIGHT] ? 1 : held[SDLK_LEFT] ? -1 : 0;
        const bool up = held[SDLK_UP];
        play.pass(kPassTime, outcome);
        if (p.pushing)
            move = HintMove::Push;
        else if (p.jumping)
            move = HintMove::Jump;
        else if (p.steppingUp)
            move = HintMove::StepUp;
        else if (p.onLadder)
            move = up ? HintMove::ClimbUp : HintMove::ClimbDown;
        else if (p.placingBomb)
            move = HintMove::Bomb;
        else
            move = HintMove::Walk;
    }
    rewinder.restore(asked);
}
