#pragma once
#include "entities/Item.h"

class Goal : public Item {
public:
    Goal(double x, double y, const AnimStrip& strip, SoundBank* sounds);
    ~Goal() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool moveBy(double dx, double dy, bool& result) override;
    void saveState(StateWriter& out) const override;
    void loadState(StateReader& in) override;

    AnimStrip strip;
    bool opened = false;
};

class Treasure : public Item {
public:
    Treasure(double x, double y, const AnimStrip& baseStrip, const AnimStrip& treasureStrip, SoundBank* sounds);
    ~Treasure() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool moveBy(double dx, double dy, bool& result) override;
    void saveState(StateWriter& out) const override;
    void loadState(StateReader& in) override;

    double fallSpeed = 0;
    AnimStrip baseStrip;
    AnimStrip treasureStrip;
};
