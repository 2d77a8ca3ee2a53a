// STUB: replaced by the items work.
#include "entities/Box.h"
Box::Box(double px, double py, const AnimStrip& s, Level* l, SoundBank* snd) : Item(snd), strip(s), level(l) { x = px; y = py; }
Box::~Box() {}
void Box::draw(int) {}
void Box::update(uint32_t&, bool) {}
bool Box::moveBy(double, double, bool&) { return false; }
bool Box::canMoveTo(int, int, bool) { return false; }
void Box::placeAtX(double) {}
void Box::destroy() {}
bool Box::isFalling() { return false; }
bool Heavybox::canMoveTo(int, int, bool) { return false; }
