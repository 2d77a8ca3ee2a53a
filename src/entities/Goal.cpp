#include "entities/Goal.h"

#include "entities/ItemState.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Vocabulary.h"

Goal::Goal(double px, double py, const AnimStrip& s, SoundBank* snd) : Item(snd), strip(s) {
    x = px;
    y = py;
}

Goal::~Goal() { freeStrip(strip); }

void Goal::update(uint32_t& dt, bool won) {
    if (!opened && won && strip.frameDuration > 0) {
        int before = strip.currentFrame;
        advanceStrip(strip, static_cast<int>(dt));
        // The strip wrapped round: the door is open, keep showing it open.
        if (strip.currentFrame < before) {
            opened = true;
            strip.currentFrame = before;
        }
    }
    // Written every frame, so with several goals the last one has the say.
    if (Player* player = currentPlayer) {
        double dx = x - player->x;
        double dy = y - player->y;
        player->setReachedGoal(dx * dx + dy * dy < 1);
    }
}

// The exit is two cells tall and reaches one cell above its own.
void Goal::draw(int scale) {
    if (!screen || !strip.surface) return;
    blitRect(strip.surface, screen, strip.currentFrame * kCellSize * scale, 0, kCellSize * scale, 2 * kCellSize * scale,
             static_cast<int>(x * scale), static_cast<int>(y * scale - kCellSize));
}

// The door opens only in the closing sequence; it is kept with the frames.
void Goal::transferState(StateIo& io) {
    Item::transferState(io);
    io.strip(strip);
    io.look(opened);
}
