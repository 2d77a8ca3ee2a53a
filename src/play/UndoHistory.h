#pragma once
// The undo key's history: the world as it was at the start of each step the
// player took, kept across the retries of one level.
#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "play/Snapshot.h"

class Level;

// U steps back; Backspace too. A tape holds either as `u`.
constexpr int kUndoKey = SDLK_u;
constexpr int kUndoKeyToo = SDLK_BACKSPACE;
inline bool undoHeld(const uint8_t* keys) { return keys[kUndoKey] || keys[kUndoKeyToo]; }

class UndoHistory {
public:
    // Held, the key repeats after this long, then ever faster down to the
    // shortest interval (about 15 steps a second).
    static constexpr uint32_t kFirstRepeat = 300;
    static constexpr uint32_t kShortestRepeat = 66;
    // Snapshots past this many bytes thin out, the oldest first (an hour of
    // brisk play on the busiest level needs far less).
    static constexpr std::size_t kBudget = 64u << 20;

    explicit UndoHistory(std::size_t budget = kBudget);
    ~UndoHistory();
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // A play of level begins. The steps kept so far stay when its first
    // state is the one they began from (the same level again after a retry
    // or a death); otherwise they are dropped. Returns true when a closing
    // sequence was cut short by the key: the world is then already one step
    // back.
    bool attach(Level& level);
    // The play is over; its level may go.
    void detach();

    // Called every pass before the world moves. With the key held the world
    // holds still (true): the first pass of a press steps back, and so do
    // the repeats while it stays held.
    bool holdForUndo(const uint8_t* keys, uint32_t dt);
    // Around the world's update: a step begins when the player, standing
    // still, starts an action because of the held keys.
    void beforeUpdate(const uint8_t* keys);
    void afterUpdate();
    // R held at the end check: the state before it becomes a step, so that
    // the key brings it back after the retry. keepRetry when R did end the play.
    void noteRetryKey();
    void keepRetry();
    // A death's or a retry's closing sequence was cut short by the key: the
    // next attach steps back at once.
    void stepBackOnNextPlay() { resumePending = true; }

    // Puts back the start of the last step (popping it); at the level's
    // first state it changes nothing, lights the key's hint and returns false.
    bool stepBack();

    // Steps kept beyond the first state; the bytes all snapshots hold.
    std::size_t steps() const { return used > 0 ? used - 1 : 0; }
    std::size_t bytes() const { return total; }
    // How many presses of the key may step back from here (the last puts back
    // the first state), and the world that many presses put back.
    std::size_t reach() const { return used; }
    const Snapshot& stateBack(std::size_t presses) const { return kept[used - presses]; }
    unsigned long stepsBack() const { return undone; }
    // Milliseconds the key's hint in the band stays lit.
    uint32_t hintLeft() const { return hint; }
    // The hint blinks while it lasts, lit first, 150 ms on and off.
    bool hintLit() const { return (hint + 149) / 150 % 2 == 1; }
    // Light the hint after the first step of the next play (the first level).
    bool teach = false;

private:
    void push(const Snapshot& state);
    void thin();
    static std::size_t sizeOf(const Snapshot& s);

    const std::size_t budget;
    Level* level = nullptr;
    std::unique_ptr<Rewinder> rewinder;
    // kept[0] is the first state, kept[1..used) the steps; the slots past
    // used are snapshots undone, kept for their buffers.
    std::vector<Snapshot> kept;
    std::size_t used = 0;
    Snapshot pending;  // the world before this pass's update
    bool pendingTaken = false;
    double stillX = 0, stillY = 0;  // where the player stood before the update
    Snapshot beforeRetry;           // the world before R
    bool retryTaken = false;
    std::size_t total = 0;  // bytes of kept
    bool resumePending = false;
    bool taught = false;
    // The key: held since how long, and when it repeats next.
    bool wasHeld = false;
    uint32_t heldFor = 0;
    uint32_t nextRepeat = 0;
    uint32_t interval = 0;
    uint32_t hint = 0;
    unsigned long undone = 0;
};
