#include "level/Level.h"

#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Vocabulary.h"

bool SpriteTable::empty() const {
    for (const Cell* prototype : prototypes)
        if (prototype) return false;
    return true;
}

void SpriteTable::clear() {
    for (Cell*& prototype : prototypes) {
        if (!prototype) continue;
        SDL_FreeSurface(prototype->sprite);
        delete prototype;
        prototype = nullptr;
    }
}

Level::Level(SDL_Surface* screen, SoundBank* sounds, int scale)
    : screen(screen), player(new Player(kPlayerStartColumn * kCellSize, kPlayerStartRow * kCellSize, sounds, this)), scale(scale), sounds(sounds) {}

Level::~Level() {
    delete player;
    player = nullptr;
    for (Item*& item : items) {
        delete item;
        item = nullptr;
    }
    SDL_FreeSurface(backdrop);
    SDL_FreeSurface(hudBar);
    backdrop = hudBar = nullptr;
    treasures.clear();
    items.clear();
    spriteTable.clear();
    for (auto& row : grid)
        for (Cell* cell : row) delete cell;
    grid.clear();
}

bool Level::passableItem(Item* item) { return item->isPassable(); }

void Level::setCell(int column, int row, Cell* cell) {
    grid[row][column] = cell;
    touch(column, row);
}

void Level::keepGridLog() const {
    const size_t size = static_cast<size_t>(rowCount) * static_cast<size_t>(columnCount);
    if (touchedMark.size() == size) return;
    touchedMark.assign(size, 0);
    touched.clear();
    touched.reserve(size);
}

bool Level::canStepUp(int column, int row) const {
    return !isFree(column, row, nullptr) && isFree(column, row - 1, nullptr) &&
           !isFree(static_cast<int>(player->x / kCellSize), static_cast<int>(player->y / kCellSize) + 1, nullptr);
}
