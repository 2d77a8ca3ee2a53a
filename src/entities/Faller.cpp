// The one fall of every item that falls.
#include "entities/Faller.h"

#include <algorithm>
#include <cmath>

#include "entities/GridSlots.h"
#include "entities/ItemState.h"
#include "level/Vocabulary.h"

bool Faller::isFalling() {
    Level* level = fallsIn();
    return level && (fallSpeed >= 0.01 || unheld(*level));
}

bool Faller::drop(Level& level, uint32_t dt) {
    const int column = static_cast<int>(x / kCellSize);
    const int before = rowAt(y);
    fallSpeed = std::min(fallSpeed + dt * 0.01, maxFallStep);
    y += fallSpeed;
    const int row = rowAt(y);
    const int nearest = static_cast<int>(std::round(y / kCellSize));
    const bool lands = !level.isFree(column, row + 1, this);
    if (lands) {
        fallSpeed = 0;
        y = static_cast<double>(nearest) * kCellSize;
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
