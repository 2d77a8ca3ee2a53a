#include <algorithm>
#include <cmath>

#include "audio/SoundBank.h"
#include "entities/Box.h"
#include "entities/Goal.h"
#include "entities/ItemState.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"

Treasure::Treasure(double px, double py, const AnimStrip& b, const AnimStrip& t, SoundBank* snd)
    : Item(snd), baseStrip(b), treasureStrip(t) {
    x = px;
    y = py;
}

Treasure::~Treasure() {
    freeStrip(baseStrip);
    freeStrip(treasureStrip);
}

void Treasure::update(uint32_t& dt, bool) {
    int tc = static_cast<int>((x + 16) / 32);
    int tr = static_cast<int>(y / 32);
    if (treasureStrip.frameDuration > 0) advanceStrip(treasureStrip, static_cast<int>(dt));

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

    // Picked up or not, the chest stays in the world and falls like a box.
    Level* level = currentLevel;
    if (!level || !level->isFree(tc, tr + 1, this)) return;
    fallSpeed = std::min(fallSpeed + dt * 0.01, maxFallStep);
    y += fallSpeed;
    int entering = static_cast<int>(std::round(y / 32));
    if (!level->isFree(tc, static_cast<int>(std::floor(y / 32)) + 1, this)) {
        fallSpeed = 0;
        y = std::round(y / 32) * 32;
    }
    if (tr != entering) {
        int c = static_cast<int>(x / 32);
        Cell* cell = level->cellAt(c, tr);
        if (cell && cell->item == this) cell->item = nullptr;
        if (Cell* next = level->cellAt(c, entering)) next->item = this;
    }
}

void Treasure::draw(int scale) {
    if (!screen) return;
    int size = 32 * scale;
    int px = static_cast<int>(x * scale);
    int py = static_cast<int>(y * scale);
    if (baseStrip.surface) blitRect(baseStrip.surface, screen, baseStrip.currentFrame * size, 0, size, size, px, py);
    if (!collected && treasureStrip.surface)
        blitRect(treasureStrip.surface, screen, treasureStrip.currentFrame * size, 0, size, size, px, py);
}

bool Treasure::moveBy(double, double, bool& result) {
    result = true;
    return false;
}

void Treasure::saveState(StateWriter& out) const {
    Item::saveState(out);
    out.put(fallSpeed);
    out.strip(baseStrip);
    out.strip(treasureStrip);
}

void Treasure::loadState(StateReader& in) {
    Item::loadState(in);
    in.get(fallSpeed);
    in.strip(baseStrip);
    in.strip(treasureStrip);
}
