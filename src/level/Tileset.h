#pragma once
#include <SDL/SDL.h>
#include <string>

#include "level/Cell.h"

class Player;

// Reads a tileset description: fills the sprite table and gives the player
// its eleven strips. Throws LoadError.
void identifySprites(SpriteTable& table, const std::string& path, Player& player, int scale);
void buildPlayerStrips(SDL_Surface* sheet, Player& player, int scale);
