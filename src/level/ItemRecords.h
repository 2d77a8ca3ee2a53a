#pragma once
#include <string>
#include <vector>

class Level;
struct SDL_Surface;

// Optional "./gfx/tileset.png" decoded once per level load and reused by
// every record; placeItem loads its own when none is given.
struct ItemSheet {
    SDL_Surface* tileset = nullptr;
};

int parseInt(const std::string& word);
// Turns one item record into its effect. Throws LoadError.
void placeItem(Level& level, const std::string& name, const std::vector<std::string>& attributes,
               ItemSheet* sheet = nullptr);
