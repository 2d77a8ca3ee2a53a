#include "entities/Player.h"

#include <cmath>
#include <initializer_list>

#include "entities/Bomb.h"
#include "entities/Faller.h"
#include "entities/Item.h"
#include "entities/ItemState.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Platform.h"

Player::Player(int startX, int startY, SoundBank* sounds, Level* level)
    : x(startX), y(startY), level(level), sounds(sounds) {}

bool Player::checkDeath() {
    if (dead) return true;
    // Outside the grid there is no cell, and nothing there can kill.
    const Cell* cell = level->cellAt(static_cast<int>(x / kCellSize), static_cast<int>(y / kCellSize));
    if (cell && cell->deadly) {
        dead = true;
        return true;
    }
    return false;
}

AnimStrip& Player::currentStrip() {
    if (onLadder) return strips[LadderStrip];
    if (placingBomb) return strips[facing == 1 ? PlaceBombRight : PlaceBombLeft];
    if (pushing) return strips[facing == 1 ? PushRight : PushLeft];
    if (steppingUp) return strips[facing == 1 ? StepUpRight : StepUpLeft];
    if (jumping) return strips[facing == 1 ? JumpRight : JumpLeft];
    return strips[facing == 1 ? WalkRight : WalkLeft];
}

void Player::advance(AnimStrip& strip, int amount, bool read) {
    if (strip.frameDuration > 0 && (read || !Item::searching)) advanceStrip(strip, amount);
}

void Player::rerunUpdate(uint32_t& dt) {
    if (rerunDepth >= maxRerunDepth) return;
    ++rerunDepth;
    update(dt);
    --rerunDepth;
}

void Player::update(uint32_t& dt) {
    const uint8_t* keys = platform::keyState();
    bool landed = false;

    const bool asked = deathAsked;
    deathAsked = false;
    if (!asked && checkDeath()) return;
    if (ladderAction(keys, dt)) return;
    if (jumpAction(keys, dt, landed)) {
        // Holding X through a landing lets the next action start this frame.
        if (landed && keys[keyX]) rerunUpdate(dt);
        return;
    }
    fallCheck(dt);
    if (stepUpAction(keys)) return;
    if (placeBombAction(keys, dt)) return;
    pushAction(keys, dt);
    if (!pushing && walking) walkStep(dt);
    // A finished walk runs the update again at once, and that run may have
    // started a jump, a step up or a climb: a walk must not start on top of
    // it (it would turn the player round in mid-air).
    if (placingBomb || pushing || walking || falling || jumping || steppingUp || onLadder) return;
    startWalk(keys);
}

void Player::fallCheck(uint32_t& dt) {
    if (jumping) return;  // the jump's curve does its own vertical motion

    // The column being entered counts once the player is about a tenth of a
    // cell into it.
    const int c = static_cast<int>(roundHalfAway(x / kCellSize + 0.4 * facing));
    const int row = static_cast<int>(y / kCellSize);
    const Cell* below = level->cellAt(c, row + 1);
    const bool freeBelow = level->isFree(c, row + 1, nullptr);
    // Only a box is stood on, so only a falling box takes the player down.
    if (freeBelow || (below && below->item && below->item->isBox() && below->item->isFalling())) {
        fallSpeed += dt * 0.01;
        y += fallSpeed;
    }

    // Still in the same row, the cell under is the one just looked at (the
    // grid does not change within the update); the rest is asked only when
    // it decides something.
    const int r = static_cast<int>(y / kCellSize);
    const Cell* under = r == row ? below : level->cellAt(c, r + 1);
    if (!(under && under->ladder)) {
        const bool free1 = r == row ? freeBelow : level->isFree(c, r + 1, nullptr);
        falling = free1;
        if (free1) {
            if (fallSpeed < kCellSize || !level->isFree(c, r, nullptr) || level->isFree(c, r + 2, nullptr)) return;
            // A fall of a cell or more per frame would pass the ground two
            // rows down; put the player onto it now.
            fallSpeed = 0;
            y = (r + 1) * kCellSize;
            falling = false;
            return;
        }
    }
    fallSpeed = 0;
    y = r * kCellSize;
    falling = false;
}

void Player::startWalk(const uint8_t* keys) {
    int target;
    const int row = static_cast<int>(y / kCellSize);
    if (keys[keyLeft] && level->isFree(static_cast<int>(x / kCellSize - 1), row, nullptr)) {
        facing = -1;
        target = static_cast<int>(x / kCellSize - 1);
    } else if (keys[keyRight] && level->isFree(static_cast<int>(x / kCellSize + 1), row, nullptr)) {
        facing = 1;
        target = static_cast<int>(x / kCellSize + 1);
    } else {
        return;
    }

    // An item still level with the player under the target (a box falling
    // past) would be walked into.
    const Cell* under = level->cellAt(target, static_cast<int>(y / kCellSize + 1));
    if (under && under->item && std::fabs(under->item->top() - y) <= 30) return;

    const Cell* cell = level->cellAt(static_cast<int>(x / kCellSize + facing), row);
    if (!cell || !cell->item || cell->item->isPassable()) walking = true;
}

bool Player::walkStep(uint32_t& dt) {
    AnimStrip& strip = currentStrip();
    const double v = dt * 0.1;
    x += v * facing;
    progress += v;
    bool completed = false;
    if (progress > kCellSize || progress < -kCellSize) {
        walking = false;
        // The snap takes back the overshoot; a frame so long that the step
        // overshoots by half a cell or more would round into a cell nobody
        // checked, so the walk never ends past the cell it entered.
        const double entered = std::round((x - progress * facing) / kCellSize) * kCellSize + kCellSize * facing;
        progress = 0;
        x = std::round(x / kCellSize) * kCellSize;
        if (x * facing > entered * facing) x = entered;
        // A held key starts the next cell without a pause.
        rerunUpdate(dt);
        completed = true;
    }
    advance(strip, static_cast<int>(v));
    return completed;
}

void Player::draw(SDL_Surface* target, int scale) {
    const AnimStrip& strip = currentStrip();
    int px = static_cast<int>(x * scale);
    int py = static_cast<int>(y * scale);
    int factor = 1;
    if (steppingUp) {
        // The step-up frames are 64x64: they cover the cell above and, going
        // left, the cells to the left as well.
        factor = 2;
        py -= kCellSize * scale;
        if (facing == -1) px -= kCellSize * scale;
    }
    const int s = kCellSize * scale * factor;
    if (strip.surface) blitRect(strip.surface, target, strip.currentFrame * s, 0, s, s, px, py);

    // Placed bombs are drawn again in front of the player.
    for (Bomb* bomb : bombs)
        if (bomb) bomb->draw(scale);
}

namespace {

// The step up counts its strip's frames; every other strip is only shown.
bool stripIsRead(int index) { return index == StepUpLeft || index == StepUpRight; }

// Standing still on a column, the player's facing is only shown: every
// action sets it before reading it, and the fall check's rounding cannot
// tip over from a whole column.
bool standsStill(const Player& p) { return p.idle() && wholeCells(p.x); }

} // namespace

void Player::transferState(StateIo& io) {
    io.rule(x);
    io.rule(y);
    io.rule(fallSpeed);
    io.rule(walking);
    io.rule(jumping);
    io.rule(pushing);
    io.rule(falling);
    io.rule(steppingUp);
    io.rule(reachedGoal);
    io.rule(placingBomb);
    io.rule(onLadder);
    io.ruleIf(!standsStill(*this), facing);
    io.rule(progress);
    io.item(pushedItem);
    io.rule(bombsUsed);
    io.rule(dead);
    // The curve of a jump that is over is read by nothing.
    for (double* v : {&jumpX0, &jumpX1, &jumpA, &jumpB, &jumpC}) io.ruleIf(jumping, *v);
    io.rule(rerunDepth);
    for (int i = 0; i < PlayerStripCount; ++i) {
        if (stripIsRead(i))
            io.ruleStrip(strips[i]);
        else
            io.strip(strips[i]);
    }
}
