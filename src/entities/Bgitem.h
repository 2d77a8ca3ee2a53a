#pragma once
#include "entities/Item.h"

// A decoration: one tile picture drawn over the level. Its strip borrows a
// prototype's sprite and is never freed here.
class Bgitem : public Item {
public:
    Bgitem(double x, double y, const AnimStrip& strip, SoundBank* sounds);
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool moveBy(double dx, double dy, bool& result) override;
    // A decoration never changes: nothing to keep.
    void saveState(StateWriter&) const override {}
    void loadState(StateReader&) override {}

    AnimStrip strip;
};

// Tints a 32x32 square of what is already drawn into the colour of water.
class Bgwater : public Bgitem {
public:
    using Bgitem::Bgitem;
    void draw(int scale) override;
};
