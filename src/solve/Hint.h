#pragma once
// The hint: asks the solver, a slice at a time, whether the play as it stands
// can still be won, and how (the next action), or how far back the undo key
// must go before it can be won again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "play/Snapshot.h"
#include "solve/Solver.h"

class Level;
class SoundBank;
class UndoHistory;

struct HintLimits {
    // The thinking of one question, all searches together.
    double seconds = 2;
    uint64_t states = 5000000;
    double memory = 256;  // megabytes, each search
};

enum class HintAnswer { Thinking, CanWin, CannotWin, NoAnswer };

// The next action, in the player's terms.
enum class HintMove { Walk, Push, Jump, StepUp, ClimbUp, ClimbDown, Bomb, Wait };

class Hint {
public:
    // level: the play as it stands (the world may be between cells); history:
    // its undo steps, or null. Both borrowed while the hint lives.
    Hint(Level& level, const UndoHistory* history, const HintLimits& limits = {});
    ~Hint();
    Hint(const Hint&) = delete;
    Hint& operator=(const Hint&) = delete;

    // Thinks for up to `seconds` more. The world is as it was asked about
    // whenever this returns; nothing of the play (keys, tape) is touched.
    HintAnswer think(double seconds);
    // The time is up before the answer: what is known stands (lost, with
    // the steps back unknown), or there is no answer.
    void stop();
    HintAnswer answer() const { return result; }
    // Seconds thought so far.
    double seconds() const { return spent; }

    // CanWin: the next action, which way (-1 left, +1 right, 0 neither) and
    // the cell the player stands in when it begins.
    HintMove move = HintMove::Wait;
    int facing = 0;
    int column = 0, row = 0;
    // CanWin: the solver's win from the state asked about.
    const Tape& win() const { return current->tape(); }
    // CannotWin: presses of the undo key after which the level can be won
    // again; 0 when the time ran out before that was known.
    std::size_t stepsBack = 0;

private:
    // Steps one search for up to `seconds`; the world is put back after.
    SolveStatus run(Solver& solver, double seconds);
    // Starts the search from the state `back` presses of the undo key put back.
    void searchBack(std::size_t back);
    void readNextMove();
    SolveLimits limitsLeft() const;

    Level& level;
    const UndoHistory* history;
    std::vector<SoundBank*> silenced;  // the sounds a search has turned off
    HintLimits limits;
    Rewinder rewinder;
    Snapshot asked;  // the world when the question was asked
    std::unique_ptr<Solver> current;
    // Looking back: the search of state `back`, the most presses known to
    // leave it lost, the fewest known to make it winnable (0: none yet).
    std::unique_ptr<Solver> earlier;
    std::size_t back = 0, lost = 0, winnable = 0;
    HintAnswer result = HintAnswer::Thinking;
    double spent = 0;
};
