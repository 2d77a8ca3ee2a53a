#include "entities/Box.h"

#include <algorithm>
#include <cmath>

#include "entities/ItemState.h"
#include "gfx/Surface.h"
#include "level/Level.h"

namespace {

bool onColumnEdge(double x) { return x / 32 == std::trunc(x / 32); }

void setItem(Level* level, int column, int row, Item* item) {
    if (Cell* cell = level->cellAt(column, row)) cell->item = item;
}

void clearIfHolds(Level* level, int column, int row, const Item* item) {
    Cell* cell = level->cellAt(column, row);
    if (cell && cell->item == item) cell->item = nullptr;
}

Item* itemAt(Level* level, int column, int row) {
    Cell* cell = level->cellAt(column, row);
    return cell ? cell->item : nullptr;
}

} // namespace

Box::Box(double px, double py, const AnimStrip& s, Level* l, SoundBank* snd) : Item(snd), strip(s), level(l) {
    x = px;
    y = py;
}

// Each box was cut its own strip by the item-record parser.
Box::~Box() { freeStrip(strip); }

void Box::draw(int scale) {
    if (destroyed || !screen || !strip.surface) return;
    int size = 32 * scale;
    blitRect(strip.surface, screen, strip.currentFrame * size, 0, size, size, static_cast<int>(x * scale),
             static_cast<int>(y * scale));
}

void Box::update(uint32_t& dt, bool) {
    if (destroyed || !level) return;
    if (!level->isFree(static_cast<int>(std::round(x / 32)), static_cast<int>(std::floor(y / 32)) + 1, this)) return;
    // Half-way through a push the box hangs over two columns; it drops only
    // once the push has set it onto the grid.
    if (!onColumnEdge(x)) return;

    fallSpeed += dt * 0.01;
    // A step of half a cell or more could carry the box past the row it
    // should land in before the landing snap rounds it.
    fallSpeed = std::min(fallSpeed, maxFallStep);
    y += fallSpeed;
    int c = static_cast<int>(x / 32);
    int r = static_cast<int>(std::floor(y / 32));
    if (!level->isFree(c, r + 1, this)) {
        fallSpeed = 0;
        y = std::round(y / 32) * 32;
    } else {
        clearIfHolds(level, c, r, this);
        setItem(level, c, r + 1, this);
    }
}

bool Box::isFalling() {
    if (destroyed || !level) return false;
    if (fallSpeed >= 0.01) return true;
    return level->isFree(static_cast<int>(std::round(x / 32)), static_cast<int>(y / 32) + 1, this) &&
           onColumnEdge(x);
}

bool Box::canMoveTo(int column, int row, bool) {
    if (destroyed || !level) return false;
    bool ok = level->isFree(column, row, this);
    if (ok) {
        // Whatever stands on the box has to come along.
        if (Item* above = itemAt(level, static_cast<int>(x / 32), static_cast<int>(y / 32) - 1))
            return above->canMoveTo(column, row - 1, false);
    }
    return ok;
}

bool Heavybox::canMoveTo(int column, int row, bool byPlayer) {
    if (!byPlayer) return false;  // too heavy to ride along on anything
    if (destroyed || !level) return false;
    int t = top() / 32;
    Item* above = itemAt(level, static_cast<int>(x / 32), t - 1);
    if (above && above->isBox()) return false;  // pinned by the box on top
    return Box::canMoveTo(column, row, byPlayer);
}

bool Box::moveBy(double dx, double, bool& result) {
    if (destroyed || !level) return false;
    int dir = dx >= 0 ? 1 : -1;
    int row = static_cast<int>(y / 32);
    bool ok = level->isFree(static_cast<int>(std::floor(x / 32) + dir), row, this);
    // Moving left out of a partial column, the column it still overlaps is
    // the one that matters.
    if (dir == -1 && !onColumnEdge(x)) ok = level->isFree(static_cast<int>(std::floor(x / 32)), row, this);
    if (!ok) return false;

    int old = static_cast<int>(std::round(x / 32));
    x += dx;
    int now = static_cast<int>(std::round(x / 32));
    if (now != old) {
        setItem(level, old, row, nullptr);
        setItem(level, now, row, this);
    }
    if (Item* above = itemAt(level, old, row - 1)) return above->moveBy(dx, 0, result);
    return true;
}

void Box::placeAtX(double newX) {
    if (destroyed || !level) return;
    int old = static_cast<int>(std::round(x / 32));
    int now = static_cast<int>(std::round(newX / 32));
    int row = static_cast<int>(y / 32);
    clearIfHolds(level, old, row, this);
    setItem(level, now, row, this);
    x = newX;
    if (row > 0)
        if (Item* above = itemAt(level, now, row - 1)) above->placeAtX(newX);
}

void Box::destroy() {
    destroyed = true;
    if (!level) return;
    // At rest the box is registered in its own cell, but a falling box holds
    // the row below and a box in mid-push its rounded column; a destroyed box
    // must not go on blocking any of them.
    int c = static_cast<int>(x / 32);
    int r = static_cast<int>(y / 32);
    int rounded = static_cast<int>(std::round(x / 32));
    clearIfHolds(level, c, r, this);
    clearIfHolds(level, rounded, r, this);
    clearIfHolds(level, c, r + 1, this);
}

void Box::saveState(StateWriter& out) const {
    Item::saveState(out);
    out.put(fallSpeed);
    out.put(destroyed);
    out.strip(strip);
}

void Box::loadState(StateReader& in) {
    Item::loadState(in);
    in.get(fallSpeed);
    in.get(destroyed);
    in.strip(strip);
}
