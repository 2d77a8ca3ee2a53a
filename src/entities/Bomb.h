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
    // Placed and not gone off yet: its fuse is burning.
    bool burning() const { return placed && !exploded; }
    // Can the next update with this frame time set the bomb off (and so
    // change cells of the grid)?
    bool mayGoOffWithin(uint32_t dt) const { return !exploded && static_cast<uint64_t>(timer) + dt >= fuse; }
    // The timer's value from which the blast's animation runs and the bomb
    // lets go of its cell.
    int64_t lettingGo() const { return static_cast<int64_t>(fuse) - 5 * static_cast<int64_t>(blastStrip.frameDuration); }
    // A burning fuse aged by one update of dt: all that update does to a
    // resting bomb while its timer stays below lettingGo().
    void burn(uint32_t dt);
    // How many more updates of dt a resting, burning bomb stays as it is but
    // for its fuse's age (burn); 0 when it is not burning.
    uint32_t idleUpdates(uint32_t dt) const {
        if (!burning() || dt == 0) return 0;
        const int64_t left = lettingGo() - static_cast<int64_t>(timer) - 1;
        return left < 0 ? 0 : static_cast<uint32_t>(left / dt);
    }

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
    Level* fallsIn() const final { return burning() ? currentLevel : nullptr; }
};
