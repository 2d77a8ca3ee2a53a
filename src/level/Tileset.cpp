// STUB: replaced by the level loading work.
#include "level/Tileset.h"
void identifySprites(SpriteTable&, const std::string&, Player&, int) {}
void buildPlayerStrips(SDL_Surface*, Player&, int) {}
