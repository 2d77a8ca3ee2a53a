#pragma once
#include "entities/Item.h"

// The most a falling item moves in one frame: less than half a cell, so the
// landing snap (rounding to the nearest row) can never put it a row too low.
// Ordinary frame times never reach it.
constexpr double maxFallStep = 15.9;

// A wooden box: pushed by the player, carried by what it stands on, falls,
// and burns in a blast. Registered in the cell of its rounded column.
class Box : public Item {
public:
    Box(double x, double y, const AnimStrip& strip, Level* level, SoundBank* sounds);
    ~Box() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool moveBy(double dx, double dy, bool& result) override;
    bool isPassable() override { return false; }
    bool canMoveTo(int column, int row, bool byPlayer) override;
    void placeAtX(double newX) override;
    void destroy() override;
    bool isDestroyed() override { return destroyed; }
    bool isFalling() override;
    bool isBox() override { return true; }
    void saveState(StateWriter& out) const override;
    void loadState(StateReader& in) override;

    double fallSpeed = 0;
    AnimStrip strip;
    Level* level;
    bool destroyed = false;
};

// Pushed only by the player directly, never while a box stands on it.
class Heavybox : public Box {
public:
    using Box::Box;
    bool canMoveTo(int column, int row, bool byPlayer) override;
    void destroy() override {}  // heavy boxes survive explosions
};
