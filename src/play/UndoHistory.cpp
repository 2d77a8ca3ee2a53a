// The undo key's history: a snapshot at the start of every step, put back on demand.
#include "play/UndoHistory.h"

#include <algorithm>
#include <utility>

#include "entities/Player.h"
#include "level/Level.h"

namespace {

// How long the key's hint in the band stays lit: a blink when there is
// nothing left to undo, a longer pulse to show the key on the first level.
constexpr uint32_t kStopHint = 400;
constexpr uint32_t kTeachHint = 3000;

bool actionKeyHeld(const uint8_t* keys) {
    return keys[Player::keyLeft] || keys[Player::keyRight] || keys[Player::keyUp] || keys[Player::keyDown] ||
           keys[Player::keyX] || keys[Player::keyZ];
}

} // namespace

UndoHistory::UndoHistory(std::size_t budget) : budget(budget) {}
UndoHistory::~UndoHistory() = default;

bool UndoHistory::attach(Level& played) {
    level = &played;
    rewinder.reset(new Rewinder(played));
    Snapshot first;
    rewinder->capture(first);
    if (used == 0 || kept[0].rules != first.rules) {
        kept.clear();
        used = 1;
        taught = false;
        resumePending = false;
    } else {
        // The same level loaded anew: the snapshots are its, but the items'
        // class-wide references now point at this copy.
        for (Snapshot& s : kept) {
            s.screen = first.screen;
            s.level = first.level;
            s.player = first.player;
        }
    }
    // Room for every square a blast may change, so that the captures of the
    // passes allocate nothing.
    std::size_t squares = 0;
    for (const auto& row : played.grid) squares += row.size();
    for (Snapshot* s : {&pending, &beforeRetry}) {
        s->rules.reserve(2 * first.rules.size() + 16 * squares);
        s->looks.reserve(first.looks.size());
    }
    if (kept.empty()) {
        kept.push_back(std::move(first));
        total = sizeOf(kept[0]);
    }
    pendingTaken = retryTaken = false;
    wasHeld = false;
    if (!resumePending) return false;
    resumePending = false;
    stepBack();
    // The key that cut the closing sequence short may still be held: that
    // press has had its step, the next comes as a repeat.
    wasHeld = true;
    heldFor = 0;
    nextRepeat = interval = kFirstRepeat;
    return true;
}

void UndoHistory::detach() {
    rewinder.reset();
    level = nullptr;
}

bool UndoHistory::holdForUndo(const uint8_t* keys, uint32_t dt) {
    hint = hint > dt ? hint - dt : 0;
    if (!rewinder || !undoHeld(keys)) {
        wasHeld = false;
        return false;
    }
    if (!wasHeld) {
        wasHeld = true;
        heldFor = 0;
        nextRepeat = interval = kFirstRepeat;
        stepBack();
        return true;
    }
    heldFor += std::min(dt, kFirstRepeat);
    if (heldFor >= nextRepeat) {
        interval = std::max(kShortestRepeat, interval * 2 / 3);
        nextRepeat += interval;
        // After a stall the repeats do not come in a burst.
        if (nextRepeat <= heldFor) nextRepeat = heldFor + interval;
        stepBack();
    }
    return true;
}

void UndoHistory::beforeUpdate(const uint8_t* keys) {
    pendingTaken = rewinder && !level->player->dead && level->player->idle() && actionKeyHeld(keys);
    if (!pendingTaken) return;
    rewinder->capture(pending);
    stillX = level->player->x;
    stillY = level->player->y;
}

void UndoHistory::afterUpdate() {
    if (!pendingTaken) return;
    pendingTaken = false;
    if (level->player->idle() && level->player->x == stillX && level->player->y == stillY) return;
    push(pending);
    if (teach && !taught) {
        taught = true;
        hint = kTeachHint;
    }
}

void UndoHistory::noteRetryKey() {
    retryTaken = rewinder != nullptr;
    if (retryTaken) rewinder->capture(beforeRetry);
}

void UndoHistory::keepRetry() {
    if (!retryTaken) return;
    retryTaken = false;
    // A player dead by then has his fatal step on top already.
    if (level->player->dead || beforeRetry.rules == kept[used - 1].rules) return;
    push(beforeRetry);
}

bool UndoHistory::stepBack() {
    if (!rewinder) return false;
    pendingTaken = false;
    if (used > 1) {
        --used;
        rewinder->restore(kept[used]);
        ++undone;
        return true;
    }
    rewinder->capture(pending);
    if (pending.rules == kept[0].rules) {
        hint = kStopHint;
        return false;
    }
    rewinder->restore(kept[0]);
    ++undone;
    return true;
}

std::size_t UndoHistory::sizeOf(const Snapshot& s) { return sizeof s + s.rules.capacity() + s.looks.capacity(); }

void UndoHistory::push(const Snapshot& state) {
    // A copy the size of the state (or into the buffers of a step undone):
    // the scratch snapshots keep their room for the largest state.
    if (used < kept.size()) {
        total -= sizeOf(kept[used]);
        kept[used] = state;
    } else {
        kept.push_back(state);
    }
    total += sizeOf(kept[used]);
    ++used;
    if (total > budget) thin();
}

void UndoHistory::thin() {
    // The buffers of undone steps go first, then every other step of the
    // older half, until the history fits: far back, a step back then skips
    // a step.
    kept.resize(used);
    total = 0;
    for (const Snapshot& s : kept) total += sizeOf(s);
    while (total > budget && used > 3) {
        const std::size_t half = used / 2;
        std::size_t to = 1;
        for (std::size_t from = 1; from < used; ++from) {
            if (from < half && from % 2 == 1) continue;
            if (to != from) kept[to] = std::move(kept[from]);
            ++to;
        }
        kept.resize(to);
        used = to;
        total = 0;
        for (const Snapshot& s : kept) total += sizeOf(s);
    }
}
