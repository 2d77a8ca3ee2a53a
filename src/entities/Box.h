#pragma once
#include "entities/Item.h"

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

    double fallSpeed = 0;
    AnimStrip strip;
    Level* level;
    bool destroyed = false;
};

class Heavybox : public Box {
public:
    using Box::Box;
    bool canMoveTo(int column, int row, bool byPlayer) override;
    void destroy() override {}  // heavy boxes survive explosions
};
