#pragma once
// What every item that falls shares: the fall, and whether it is falling.
#include <cmath>

#include "entities/Item.h"
#include "level/Level.h"

// The most a falling item moves in one frame: less than half a cell, so the
// landing snap (rounding to the nearest row) can never put it a row too low.
// Ordinary frame times never reach it.
constexpr double maxFallStep = 15.9;

// Is x exactly on a column (not half-way through a push)?
inline bool onColumnEdge(double x) { return x / 32 == std::trunc(x / 32); }

// Which cell holds an item while it falls.
enum class FallHold {
    // The row it is entering, from the first frame of the fall: what blocks
    // the way (a box) claims the row before it gets there.
    EnteringRow,
    // The row nearest to it: a gem, passed through by everything, is found
    // where it shows most.
    NearestRow,
};

// Items fall straight down their column when nothing holds them up, with the
// player's acceleration, and only when they stand exactly on a column (half
// way through a push an item hangs over two).
class Faller : public Item {
public:
    Faller(SoundBank* sounds, FallHold hold) : Item(sounds), hold(hold) {}
    bool isFalling() override;
    // A bomb that goes off in mid-fall keeps its speed but is gone.
    bool isDropping() const override { return fallSpeed != 0 && fallsIn(); }
    void transferState(StateIo& io) override;

    double fallSpeed = 0;

protected:
    // One frame of falling in the level fallsIn gives; false if the item did
    // not move. Resting is the common case, and is decided here.
    bool fall(Level* level, uint32_t dt) { return level && unheld(*level) && drop(*level, dt); }
    // The level the item falls in now, or none while it cannot fall
    // (destroyed, still in the player's pocket, spent).
    virtual Level* fallsIn() const = 0;

private:
    // On a column, with nothing under it.
    bool unheld(const Level& level) {
        return level.isFree(static_cast<int>(std::round(x / 32)), static_cast<int>(std::floor(y / 32)) + 1, this) &&
               onColumnEdge(x);
    }
    bool drop(Level& level, uint32_t dt);
    const FallHold hold;
};
