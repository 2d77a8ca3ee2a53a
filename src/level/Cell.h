#pragma once
#include <SDL/SDL.h>

#include <vector>

class Item;

// One 32x32 square of a level: a copy of a prototype from the sprite table.
struct Cell {
    SDL_Surface* sprite = nullptr;  // shared with the prototype, never owned by a grid cell
    bool passable = false;
    Item* item = nullptr;           // not owned
    bool deadly = false;
    bool liquid = false;
    bool ladder = false;
};

// Key byte -> prototype cell. Keys are unique; each prototype owns its sprite.
struct SpriteTable {
    SpriteTable() = default;
    SpriteTable(const SpriteTable&) = delete;
    SpriteTable& operator=(const SpriteTable&) = delete;
    // Frees the prototypes and the player's strips cut from this description.
    ~SpriteTable() {
        clear();
        for (SDL_Surface* surface : playerStrips) SDL_FreeSurface(surface);
    }

    Cell* prototypes[256] = {};
    // The surfaces of the player's strips: the player only borrows them, so
    // they live as long as the table of the description they were cut for.
    std::vector<SDL_Surface*> playerStrips;
    Cell* findPrototype(unsigned char key) const { return prototypes[key]; }
    bool empty() const;
    // Frees every prototype's sprite and the prototypes, leaving the table empty.
    void clear();
};
