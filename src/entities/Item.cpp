#include "entities/Item.h"

#include "entities/ItemState.h"

bool Item::canMoveTo(int, int, bool) { return false; }

bool Item::moveBy(double, double, bool& result) {
    result = true;
    return false;
}

void advanceStrip(AnimStrip& strip, int amount) {
    strip.elapsed += amount;
    if (strip.elapsed > strip.frameDuration) {
        int q = strip.elapsed / strip.frameDuration;
        strip.currentFrame += q;
        strip.elapsed = strip.elapsed * (1 - q);
        if (strip.currentFrame >= strip.frameCount) strip.currentFrame = 0;
    }
}

void Item::transferState(StateIo& io) {
    io.rule(collected);
    io.rule(x);
    io.rule(y);
}
