#pragma once
// A gem in its chest: taken when the player touches it, falls like a box.
#include "entities/Faller.h"

class Treasure : public Faller {
public:
    Treasure(double x, double y, const AnimStrip& baseStrip, const AnimStrip& treasureStrip, SoundBank* sounds);
    ~Treasure() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    void transferState(StateIo& io) override;

    AnimStrip baseStrip;
    AnimStrip treasureStrip;

protected:
    // Picked up or not, the chest stays in the world and falls.
    Level* fallsIn() const final { return currentLevel; }
};
