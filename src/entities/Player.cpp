// STUB: replaced by the player work.
#include "entities/Player.h"
Player::Player(int sx, int sy, SoundBank* snd, Level* l) : x(sx), y(sy), level(l), sounds(snd) {}
void Player::update(uint32_t&) {}
void Player::draw(SDL_Surface*, int) {}
bool Player::checkDeath() { return dead; }
AnimStrip& Player::currentStrip() { return strips[0]; }
bool Player::ladderAction(const uint8_t*, uint32_t&) { return false; }
bool Player::jumpAction(const uint8_t*, uint32_t&, bool&) { return false; }
void Player::fallCheck(uint32_t&) {}
bool Player::stepUpAction(const uint8_t*) { return false; }
bool Player::placeBombAction(const uint8_t*, uint32_t&) { return false; }
bool Player::pushAction(const uint8_t*, uint32_t&) { return false; }
void Player::startWalk(const uint8_t*) {}
bool Player::walkStep(uint32_t&) { return false; }
