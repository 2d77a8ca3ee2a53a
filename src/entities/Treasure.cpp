#include "entities/Treasure.h"

#include "audio/SoundBank.h"
#include "entities/ItemState.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "level/Vocabulary.h"

Treasure::Treasure(double px, double py, const AnimStrip& b, const AnimStrip& t, SoundBank* snd)
    : Faller(snd, FallHold::NearestRow), baseStrip(b), treasureStrip(t) {
    x = px;
    y = py;
}

Treasure::~Treasure() {
    freeStrip(baseStrip);
    freeStrip(treasureStrip);
}

void Treasure::update(uint32_t& dt, bool) {
    if (!searching && treasureStrip.frameDuration > 0) advanceStrip(treasureStrip, static_cast<int>(dt));

    if (!collected) {
        if (Player* player = currentPlayer) {
            double dx = x - player->x;
            double dy = y - player->y;
            if (dx * dx + dy * dy < 64) {
                if (sounds) sounds->playEffect(EffectTreasure, 0);
                collected = true;
            }
        }
    }

    fall(fallsIn(), dt);
}

void Treasure::draw(int scale) {
    if (!screen) return;
    int size = kCellSize * scale;
    int px = static_cast<int>(x * scale);
    int py = static_cast<int>(y * scale);
    if (baseStrip.surface) blitRect(baseStrip.surface, screen, baseStrip.currentFrame * size, 0, size, size, px, py);
    if (!collected && treasureStrip.surface)
        blitRect(treasureStrip.surface, screen, treasureStrip.currentFrame * size, 0, size, size, px, py);
}

void Treasure::transferState(StateIo& io) {
    Faller::transferState(io);
    io.strip(baseStrip);
    io.strip(treasureStrip);
}
