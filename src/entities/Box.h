#pragma once
#include "entities/Faller.h"

// A wooden box: pushed by the player, carried by what it stands on, falls,
// and burns in a blast. Registered in the cell of its rounded column.
class Box : public Faller {
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
    bool isBox() override { return true; }
    void transferState(StateIo& io) override;

    AnimStrip strip;
    Level* level;
    bool destroyed = false;

protected:
    Level* fallsIn() const final { return destroyed ? nullptr : level; }
};
