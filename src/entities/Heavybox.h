#pragma once
// A rock: a box only the player moves, and that no blast breaks.
#include "entities/Box.h"

// Pushed only by the player directly, never while a box stands on it.
class Heavybox : public Box {
public:
    using Box::Box;
    bool canMoveTo(int column, int row, bool byPlayer) override;
    void destroy() override {}  // heavy boxes survive explosions
};
