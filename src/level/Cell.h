#pragma once
#include <SDL/SDL.h>

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
    Cell* prototypes[256] = {};
    Cell* findPrototype(unsigned char key) const { return prototypes[key]; }
    bool empty() const;
    // Frees every prototype's sprite and the prototypes, leaving the table empty.
    void clear();
};
