#pragma once
#include "entities/Item.h"

// A decoration: one tile picture drawn over the level. Its strip borrows a
// prototype's sprite and is never freed here.
class Bgitem : public Item {
public:
    Bgitem(double x, double y, const AnimStrip& strip, SoundBank* sounds);
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    // A decoration never changes: nothing to keep.
    void transferState(StateIo&) override {}

    AnimStrip strip;
};
