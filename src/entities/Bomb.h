#pragma once
#include "entities/Faller.h"
#include "level/Vocabulary.h"

struct Cell;

class Bomb : public Faller {
public:
    // The strips' surfaces may be shared by several bombs; ownsStrips tells
    // which bomb frees them.
    Bomb(double x, double y, const AnimStrip& strip, const AnimStrip& blastStrip, const Cell* rubblePrototype,
         SoundBank* sounds, bool ownsStrips = false);
    ~Bomb() override;
    void draw(int scale) override;
    void update(uint32_t& dt, bool won) override;
    bool moveBy(double dx, double dy, bool& result) override;
    bool isPassable() override { return true; }
    bool canMoveTo(int column, int row, bool byPlayer) override;
    // The push overshoots by a fraction of a pixel: a bomb pushed left must
    // still burn in the cell it ends in.
    void placeAtX(double newX) override {
        x = newX;
        column = static_cast<int32_t>(x / kCellSize);
    }
    void placeAt(double px, double py);
    void transferState(StateIo& io) override;
    // Can the next update with this frame time set the bomb off (and so
    // change cells of the grid)?
    bool mayGoOffWithin(uint32_t dt) const { return !exploded && static_cast<uint64_t>(timer) + dt >= fuse; }

    int32_t column = 0;
    int32_t row = 0;
    bool placed = false;
    bool exploded = false;
    uint32_t timer = 0;
    uint32_t fuse = 5000;
    AnimStrip strip;
    AnimStrip blastStrip;
    Cell* rubble[4] = {};
    bool finished = false;
    bool soundPlayed = false;
    bool ownsStrips;

protected:
    // An unplaced bomb is still in the player's pocket: it must not drop
    // through the level from its parking place at (0, 0). A spent one is
    // gone: falling, it would enter cells as an invisible pushable item.
    Level* fallsIn() const final { return placed && !exploded ? currentLevel : nullptr; }
};
