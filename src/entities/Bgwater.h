#pragma once
// Drawn water: a decoration that tints instead of covering.
#include "entities/Bgitem.h"

// Tints a 32x32 square of what is already drawn into the colour of water.
class Bgwater : public Bgitem {
public:
    using Bgitem::Bgitem;
    void draw(int scale) override;
};
