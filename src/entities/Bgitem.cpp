// STUB: replaced by the items work.
#include "entities/Bgitem.h"
Bgitem::Bgitem(double, double, const AnimStrip& s, SoundBank* snd) : Item(snd), strip(s) {}
void Bgitem::draw(int) {}
void Bgitem::update(uint32_t&, bool) {}
bool Bgitem::moveBy(double, double, bool& r) { r = true; return false; }
void Bgwater::draw(int) {}
