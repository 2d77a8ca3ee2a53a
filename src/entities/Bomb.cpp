#include "entities/Bomb.h"

#include <cmath>
#include <cstdlib>

#include "audio/SoundBank.h"
#include "entities/GridSlots.h"
#include "entities/ItemState.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"

namespace {

// Blast reach, in the order the cells are replaced: own, left, above, right.
const int blastOffsets[4][2] = {{0, 0}, {-1, 0}, {0, -1}, {1, 0}};

// A strip without a frame duration never animates; nor, in a search's
// passes, do the bomb's strips, which only the pictures show.
void advance(AnimStrip& strip, int amount) {
    if (strip.frameDuration > 0 && !Item::searching) advanceStrip(strip, amount);
}

} // namespace

Bomb::Bomb(double px, double py, const AnimStrip& s, const AnimStrip& b, const Cell* rubblePrototype,
           SoundBank* snd, bool owns)
    : Faller(snd, FallHold::EnteringRow), strip(s), blastStrip(b), ownsStrips(owns) {
    x = px;
    y = py;
    if (rubblePrototype) {
        for (Cell*& cell : rubble) {
            cell = new Cell(*rubblePrototype);
            cell->item = nullptr;
        }
    }
}

// The rubble slots hold either unused rubble or, after the blast, the cells
// it took out of the grid; both belong to the bomb.
Bomb::~Bomb() {
    for (Cell*& cell : rubble) {
        delete cell;
        cell = nullptr;
    }
    if (ownsStrips) {
        freeStrip(strip);
        freeStrip(blastStrip);
    }
}

void Bomb::placeAt(double px, double py) {
    x = px;
    y = py;
    placed = true;
    column = static_cast<int32_t>(x / kCellSize);
    row = static_cast<int32_t>(y / kCellSize);
    if (currentLevel) holdIn(*currentLevel, column, row, this);
}

void Bomb::update(uint32_t& dt, bool) {
    Level* level = currentLevel;
    if (!level) return;

    if (fall(fallsIn(), dt)) row = static_cast<int32_t>(std::round(y / kCellSize));

    if (burning()) burn(dt);

    if (static_cast<int64_t>(timer) >= lettingGo()) {
        if (!soundPlayed && timer >= fuse) {
            if (sounds) sounds->playEffect(EffectExplosion, 0);
            soundPlayed = true;
        }
        if (blastStrip.currentFrame >= blastStrip.frameCount - 1) finished = true;
        advance(blastStrip, static_cast<int>(dt));
        // The flame has reached the powder: nothing rests on the bomb any more.
        if (!exploded) holdIn(*level, column, row, nullptr);
    }

    if (exploded || timer < fuse) return;

    exploded = true;
    for (int i = 0; i < 4; ++i) {
        int c = column + blastOffsets[i][0];
        int r = row + blastOffsets[i][1];
        Cell* old = level->cellAt(c, r);
        if (!old) continue;  // the blast reaches past the edge of the grid
        Cell* fresh = rubble[i];
        if (old->item) old->item->destroy();
        if (!fresh) continue;  // no rubble to leave: the cell stays as it was
        fresh->ladder = old->ladder;
        fresh->item = old->item;  // survivors (heavy boxes, goals) stay put
        level->setCell(c, r, fresh);
        rubble[i] = old;
    }

    if (Player* player = currentPlayer) {
        double px = player->x;
        double py = player->y;
        double a = px - x - 16;
        double b = py - y - 16;
        double limit = px < x ? 50 : 48;
        bool level_with = std::fabs(a) < limit && b >= -16 && b <= 0;
        bool partly_above = std::fabs(a) < 16 && std::fabs(b) < 47 && py < y;
        if (level_with || partly_above) player->kill();
    }
}

void Bomb::burn(uint32_t dt) {
    timer += dt;
    advance(strip, static_cast<int>(dt));
}

void Bomb::draw(int scale) {
    if (!placed || finished || !screen) return;
    int px = static_cast<int>(x * scale);
    int py = static_cast<int>(y * scale);
    if (!exploded) {
        if (!strip.surface) return;
        int size = kCellSize * scale;
        blitRect(strip.surface, screen, strip.currentFrame * size, 0, size, size, px, py);
        return;
    }
    int64_t t = timer;
    int64_t duration = static_cast<int64_t>(blastStrip.frameCount) * blastStrip.frameDuration;
    if (blastStrip.surface && t < duration + fuse && t >= lettingGo()) {
        blitRect(blastStrip.surface, screen, blastStrip.currentFrame * sheet::kBombBlast.width * scale, 0,
                 sheet::kBombBlast.width * scale, sheet::kBombBlast.height * scale, px - kCellSize * scale,
                 py - kCellSize * scale);
    }
}

bool Bomb::canMoveTo(int toColumn, int toRow, bool) {
    return currentLevel && canCarry(*currentLevel, *this, toColumn, toRow);
}

bool Bomb::moveBy(double dx, double, bool& result) {
    Level* level = currentLevel;
    if (!level) return false;
    int dir = dx >= 0 ? 1 : -1;
    int r = static_cast<int>(y / kCellSize);
    if (!level->isFree(static_cast<int>(x / kCellSize + dir), r, this)) return false;
    const bool carried = slideBy(*level, *this, dx, r, result);
    column = static_cast<int32_t>(x / kCellSize);
    return carried;
}

void Bomb::transferState(StateIo& io) {
    Faller::transferState(io);
    io.rule(column);
    io.rule(row);
    io.rule(placed);
    io.rule(exploded);
    io.rule(timer);
    io.rule(fuse);
    io.rule(soundPlayed);
    for (Cell*& cell : rubble) io.cell(cell);
    io.strip(strip);
    io.strip(blastStrip);
    io.look(finished);
}
