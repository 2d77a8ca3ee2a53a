// The player's action states: ladder, jump, step up, place bomb, push. Each
// returns whether it acted, which ends the update for the frame.
#include <cmath>

#include "audio/SoundBank.h"
#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Platform.h"

namespace {

// Recorded solutions were made with this exact climbing speed factor.
constexpr double ladderFactor = 0.1 * 3;  // 0.30000000000000004

} // namespace

bool Player::ladderAction(const uint8_t* keys, uint32_t& dt) {
    // Every pass but the last climbs a whole cell, so a frame never climbs
    // more cells than the grid has rows.
    const int passes = static_cast<int>(level->countRows()) + 2;
    for (int pass = 0; pass < passes; ++pass) {
        if (!onLadder) {
            if (walking || placingBomb || jumping || pushing || falling || steppingUp) return false;
            if (!(keys[keyUp] || keys[keyDown]) || keys[keyLeft] || keys[keyRight]) return false;
            const int dy = keys[keyUp] ? -1 : 1;
            const int c = static_cast<int>(x / kCellSize);
            const int r = static_cast<int>(y / kCellSize);
            const Cell* here = level->cellAt(c, r);
            const Cell* there = level->cellAt(c, r + dy);
            const bool starts =
                there && ((level->isFree(c, r + dy, nullptr) && here && here->ladder) || (dy == 1 && there->ladder));
            if (!starts) return false;
            onLadder = true;
            facing = dy;
        }

        AnimStrip& strip = currentStrip();
        const double v = dt * ladderFactor * 0.25;
        progress += v;
        y += v * facing;
        advance(strip, static_cast<int>(v));
        if (progress < kCellSize) return true;

        // One cell climbed; a held key starts the next one this frame.
        progress = 0;
        onLadder = false;
        y = std::round(y / kCellSize) * kCellSize;
    }
    return false;
}

bool Player::jumpAction(const uint8_t* keys, uint32_t& dt, bool& landed) {
    if (!jumping) {
        if (walking || falling || steppingUp || pushing || !keys[keyX]) return false;
        const int c = static_cast<int>(x / kCellSize);
        const int r = static_cast<int>(y / kCellSize);
        if (keys[keyLeft] && level->isFree(c - 1, r + 1, nullptr)) {
            facing = -1;
        } else if (keys[keyRight] && level->isFree(c + 1, r + 1, nullptr)) {
            facing = 1;
        } else {
            return false;
        }
        jumping = true;

        const int gap = c + facing;
        const int land = c + 2 * facing;
        // One screen is the farthest a jump may reach, whatever the level's width.
        bool ok = land >= 0 && land < kVisibleColumns && level->isFree(gap, r, nullptr) &&
                  level->isFree(land, r, nullptr);

        const int rows = static_cast<int>(level->countRows());
        auto stops = [this](int column, int row) {
            const Cell* cell = level->cellAt(column, row);
            return !level->isFree(column, row, nullptr) || (cell && cell->liquid);
        };
        int landingRow = -1;
        if (ok) {
            int bottom = r + 1;
            while (bottom < rows && !stops(gap, bottom)) ++bottom;
            int k = r + 1;
            while (k < rows && !stops(land, k)) ++k;
            ok = bottom < rows && k < rows;
            if (ok) {
                const Cell* cell = level->cellAt(land, k);
                // Without a floating box to stand on, the player sinks in.
                const bool sinks = cell && cell->liquid && (!cell->item || !cell->item->isBox());
                landingRow = sinks ? k : k - 1;
            }
        }
        if (!ok) {
            jumping = false;
            return false;
        }

        // The parabola through the take-off, a point 4 pixels higher one cell
        // on, and the landing two cells on.
        const double x0 = x, x1 = x + kCellSize * facing, x2 = x + 2 * kCellSize * facing;
        const double y1 = y - 4, y2 = landingRow * kCellSize;
        jumpX0 = x0;
        jumpX1 = x1;
        jumpA = y;
        jumpB = (y1 - y) / (x1 - x0);
        jumpC = ((y2 - y) / (x2 - x0) - jumpB) / (x2 - x1);
        return true;
    }

    AnimStrip& strip = currentStrip();
    const double v = dt * 0.1;
    x += facing * v;
    progress += v;
    if (progress >= 2 * kCellSize) {
        jumping = walking = falling = steppingUp = placingBomb = false;
        strip.currentFrame = 0;
        strip.elapsed = 0;
        x = std::round(x / kCellSize) * kCellSize;
        // Never past the landing column, however long the frame was.
        if (x * facing > (jumpX0 + 2 * kCellSize * facing) * facing) x = jumpX0 + 2 * kCellSize * facing;
        y = std::round(y / kCellSize) * kCellSize;
        progress = 0;
        landed = true;
        return true;
    }
    const double s = jumpX0 + progress * facing;
    y = ((s - jumpX1) * jumpC + jumpB) * (s - jumpX0) + jumpA;
    advance(strip, static_cast<int>(v));
    return true;
}

bool Player::stepUpAction(const uint8_t* keys) {
    if (!steppingUp) {
        if (placingBomb || pushing || falling || walking || !keys[keyX]) return false;
        const int row = static_cast<int>(y / kCellSize);
        if (keys[keyRight] && level->canStepUp(static_cast<int>(x / kCellSize + 1), row)) {
            steppingUp = true;
            facing = 1;
            return true;
        }
        // Only a step to the left needs head room above the player: the
        // left-hand frames are drawn over the cell above.
        if (keys[keyLeft] && level->canStepUp(static_cast<int>(x / kCellSize - 1), row) &&
            level->isFree(static_cast<int>(x / kCellSize), static_cast<int>(y / kCellSize - 1), nullptr)) {
            steppingUp = true;
            facing = -1;
            return true;
        }
        return false;
    }

    // Counted in frames, not time: the strip shows each frame once.
    AnimStrip& strip = currentStrip();
    if (strip.currentFrame < strip.frameCount - 1) {
        advance(strip, 1, true);
        return true;
    }
    x = static_cast<int>((x + kCellSize * facing) / kCellSize) * kCellSize;
    y -= kCellSize;
    strip.currentFrame = 0;
    strip.elapsed = 0;
    steppingUp = false;
    return true;
}

bool Player::placeBombAction(const uint8_t* keys, uint32_t& dt) {
    if (falling || walking || steppingUp || pushing) return false;
    if (placingBomb) {
        AnimStrip& strip = currentStrip();
        advance(strip, static_cast<int>(dt));
        progress += dt;
        if (progress < strip.frameCount * strip.frameDuration) return true;
        if (bombsUsed > 0 && bombsUsed <= bombs.size() && bombs[bombsUsed - 1])
            bombs[bombsUsed - 1]->placeAt(x, y);
        progress = 0;
        placingBomb = false;
        strip.currentFrame = 0;
        strip.elapsed = 0;
        return true;
    }
    if (keys[keyZ] && bombsUsed < bombs.size()) {
        placingBomb = true;
        progress = 0;
        ++bombsUsed;  // counted at once: a jump can cut the placing short
        return true;
    }
    return false;
}

bool Player::pushAction(const uint8_t* keys, uint32_t& dt) {
    if (!pushing) {
        if (falling || walking) return false;
        if (!(keys[keyLeft] || keys[keyRight]) || keys[keyX]) return false;
        const int d = keys[keyRight] ? 1 : -1;
        const int r = static_cast<int>(y / kCellSize);
        const int k = static_cast<int>(std::round(x / kCellSize) + d);
        const Cell* cell = level->cellAt(k, r);
        bool ok = false;
        if (cell && cell->item) {
            ok = cell->item->canMoveTo(k + d, r, true);
            if (ok) pushedItem = cell->item;
        }
        // A falling box cannot be pushed; a bomb in mid-fall always could.
        if (pushedItem && pushedItem->isBox() && pushedItem->isFalling()) {
            pushedItem = nullptr;
            return false;
        }
        if (!(cell && cell->item && ok)) return false;
        if (sounds) sounds->playEffect(EffectPush, 0);
        facing = d;
        pushing = true;
        return true;
    }

    AnimStrip& strip = currentStrip();
    const double v = dt * 0.1 * 0.5;
    if (facing >= 1)
        x += v;
    else
        x -= v;
    progress += v;
    // The player advances even when the item is held back.
    bool unused = false;
    if (pushedItem) pushedItem->moveBy(facing >= 1 ? v : -v, 0, unused);

    if (progress > kCellSize || progress < -kCellSize) {
        pushing = false;
        progress = 0;
        x = std::round(x / kCellSize) * kCellSize;
        if (pushedItem) pushedItem->placeAtX(std::round(x + kCellSize * facing));
        pushedItem = nullptr;
        advance(strip, static_cast<int>(v));
        // A held key starts the next push this frame.
        pushAction(platform::keyState(), dt);
    }
    advance(strip, static_cast<int>(v));
    return true;
}
