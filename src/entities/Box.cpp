#include "entities/Box.h"

#include <cmath>

#include "entities/GridSlots.h"
#include "entities/ItemState.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"

Box::Box(double px, double py, const AnimStrip& s, Level* l, SoundBank* snd)
    : Faller(snd, FallHold::EnteringRow), strip(s), level(l) {
    x = px;
    y = py;
}

// Each box was cut its own strip by the item-record parser.
Box::~Box() { freeStrip(strip); }

void Box::draw(int scale) {
    if (destroyed || !screen || !strip.surface) return;
    int size = kCellSize * scale;
    blitRect(strip.surface, screen, strip.currentFrame * size, 0, size, size, static_cast<int>(x * scale),
             static_cast<int>(y * scale));
}

void Box::update(uint32_t& dt, bool) { fall(fallsIn(), dt); }

bool Box::canMoveTo(int column, int row, bool) { return !destroyed && level && canCarry(*level, *this, column, row); }

bool Box::moveBy(double dx, double, bool& result) {
    if (destroyed || !level) return false;
    int dir = dx >= 0 ? 1 : -1;
    int row = static_cast<int>(y / kCellSize);
    bool ok = level->isFree(static_cast<int>(std::floor(x / kCellSize) + dir), row, this);
    // Moving left out of a partial column, the column it still overlaps is
    // the one that matters.
    if (dir == -1 && !onColumnEdge(x)) ok = level->isFree(static_cast<int>(std::floor(x / kCellSize)), row, this);
    if (!ok) return false;
    return slideBy(*level, *this, dx, row, result);
}

void Box::placeAtX(double newX) {
    if (destroyed || !level) return;
    int old = static_cast<int>(std::round(x / kCellSize));
    int now = static_cast<int>(std::round(newX / kCellSize));
    int row = static_cast<int>(y / kCellSize);
    releaseFrom(*level, old, row, this);
    holdIn(*level, now, row, this);
    x = newX;
    if (row > 0)
        if (Item* above = itemAt(*level, now, row - 1)) above->placeAtX(newX);
}

void Box::destroy() {
    destroyed = true;
    if (!level) return;
    // At rest the box is registered in its own cell, but a falling box holds
    // the row below and a box in mid-push its rounded column; a destroyed box
    // must not go on blocking any of them.
    int c = static_cast<int>(x / kCellSize);
    int r = static_cast<int>(y / kCellSize);
    int rounded = static_cast<int>(std::round(x / kCellSize));
    releaseFrom(*level, c, r, this);
    releaseFrom(*level, rounded, r, this);
    releaseFrom(*level, c, r + 1, this);
}

void Box::transferState(StateIo& io) {
    Faller::transferState(io);
    io.rule(destroyed);
    io.strip(strip);
}
