#pragma once
// The exit: opens once every gem is taken, and tells the player it is there.
#include "entities/Item.h"

class Goal : public Item {
public:
    Goal(double x, double y, const AnimStrip& strip, SoundBank* sounds);
    ~Goal() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool isGoal() const override { return true; }
    void transferState(StateIo& io) override;

    AnimStrip strip;
    bool opened = false;
};
