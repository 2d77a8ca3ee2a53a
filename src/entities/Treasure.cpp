// STUB: replaced by the items work.
#include "entities/Goal.h"
Treasure::Treasure(double, double, const AnimStrip& b, const AnimStrip& t, SoundBank* snd) : Item(snd), baseStrip(b), treasureStrip(t) {}
Treasure::~Treasure() {}
void Treasure::draw(int) {}
void Treasure::update(uint32_t&, bool) {}
bool Treasure::moveBy(double, double, bool& r) { r = true; return false; }
