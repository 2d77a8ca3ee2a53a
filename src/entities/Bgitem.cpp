#include "entities/Bgitem.h"

#include "gfx/Surface.h"
#include "level/Vocabulary.h"

Bgitem::Bgitem(double px, double py, const AnimStrip& s, SoundBank* snd) : Item(snd), strip(s) {
    x = px;
    y = py;
    inert = true;
}

void Bgitem::draw(int scale) {
    if (!screen || !strip.surface) return;
    int size = kCellSize * scale;
    blitRect(strip.surface, screen, strip.currentFrame * size, 0, size, size, static_cast<int>(x * scale),
             top() * scale);
}

void Bgitem::update(uint32_t&, bool) {}
