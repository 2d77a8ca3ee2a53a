#pragma once
// What every item that falls shares: the fall, and whether it is falling.
#include <cmath>
#include <cstdint>

#include "entities/Item.h"
#include "level/Level.h"
#include "level/Vocabulary.h"

// The most a falling item moves in one frame: less than half a cell, so the
// landing snap (rounding to the nearest row) can never put it a row too low.
// Ordinary frame times never reach it.
constexpr double maxFallStep = 15.9;

// Is x exactly on a column (not half-way through a push)? Positions stay far
// inside a 64-bit integer, so the cast is exact and cheaper than std::trunc.
inline bool onColumnEdge(double x) {
    const double column = x / kCellSize;
    return column == static_cast<double>(static_cast<int64_t>(column));
}

// std::fmod(v, kCellSize) == 0 (a whole number of cells) without its call,
// for any v: the solver asks it of the player every pass.
inline bool wholeCells(double v) {
    if (!(std::fabs(v) < 0x1p52)) return std::fmod(v, kCellSize) == 0.0;
    const double cells = v / kCellSize;
    return cells == static_cast<double>(static_cast<int64_t>(cells)) && cells * kCellSize == v;
}

// The row a y lies in, rounded down (above the grid too): std::floor without
// its slow path, which the falls ask every pass.
inline int rowAt(double y) {
    const double row = y / kCellSize;
    const int whole = static_cast<int>(row);
    return whole - (row < whole);
}

// std::round (halves away from zero, the sign of a zero kept) without its
// call, which the player's fall check asks every pass.
inline double roundHalfAway(double v) {
    if (!(std::fabs(v) < 0x1p52)) return std::round(v);
    double whole = static_cast<double>(static_cast<int64_t>(v));
    if (std::fabs(v - whole) >= 0.5) whole += v < 0 ? -1.0 : 1.0;
    return std::copysign(whole, v);
}

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
    // On a column, with nothing under it. On a column edge x / kCellSize is whole,
    // so truncating it gives the column without a call to round. The answer
    // follows from where the item is and the grid's squares: held where it
    // was last found held, while the grid has not changed since (counted
    // only as a search moves the world).
    bool unheld(const Level& level) {
        if (searching && heldAt == level.gridChanges() && heldX == x && heldY == y) return false;
        const bool free = onColumnEdge(x) && level.isFree(static_cast<int>(x / kCellSize), rowAt(y) + 1, this);
        if (!free && searching) {
            heldAt = level.gridChanges();
            heldX = x;
            heldY = y;
        }
        return free;
    }
    // Where it was last found held, and the grid's count of changes then.
    uint64_t heldAt = UINT64_MAX;
    double heldX = 0, heldY = 0;
    // Only ever called when unheld: x is on a column edge.
    bool drop(Level& level, uint32_t dt);
    const FallHold hold;
};
