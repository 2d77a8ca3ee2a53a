// The one fall of every item that falls.
#include "entities/Faller.h"

#include <algorithm>
#include <cmath>

#include "entities/GridSlots.h"
#include "entities/ItemState.h"

bool Faller::isFalling() {
    Level* level = fallsIn();
    return level && (fallSpeed >= 0.01 || unheld(*level));
}

bool Faller::drop(Level& level, uint32_t dt) {
    const int column = static_cast<int>(std::round(x / 32));
    const int before = static_cast<int>(std::floor(y / 32));
    fallSpeed = std::min(fallSpeed + dt * 0.01, maxFallStep);
    y += fallSpeed;
    const int row = static_cast<int>(std::floor(y / 32));
    const int nearest = static_cast<int>(std::round(y / 32));
    const bool lands = !level.isFree(column, row + 1, this);
    if (lands) {
        fallSpeed = 0;
        y = nearest * 32.0;
    }
    if (hold == FallHold::EnteringRow) {
        if (!lands) {
            releaseFrom(level, column, row, this);
            holdIn(level, column, row + 1, this);
        }
    } else if (nearest != before) {
        releaseFrom(level, column, before, this);
        holdIn(level, column, nearest, this);
    }
    return true;
}

void Faller::transferState(StateIo& io) {
    Item::transferState(io);
    io.rule(fallSpeed);
}
