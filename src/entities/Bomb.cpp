// STUB: replaced by the items work.
#include "entities/Bomb.h"
Bomb::Bomb(double, double, const AnimStrip& s, const AnimStrip& b, const Cell*, SoundBank* snd, bool owns) : Item(snd), strip(s), blastStrip(b), ownsStrips(owns) {}
Bomb::~Bomb() {}
void Bomb::draw(int) {}
void Bomb::update(uint32_t&, bool) {}
bool Bomb::moveBy(double, double, bool&) { return false; }
bool Bomb::canMoveTo(int, int, bool) { return false; }
void Bomb::placeAt(double, double) {}
