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

Cell* Level::cellAt(int column, int row) const {
    if (row < 0 || column < 0 || column >= columnCount || row >= rowCount) return nullptr;
    const auto& cells = grid[row];
    // A row shorter than the first ends where its cells end.
    if (column >= static_cast<int>(cells.size())) return nullptr;
    return cells[column];
}

bool Level::isFree(int column, int row, const Item* asker) const {
    if (row < 0 || row >= static_cast<int>(grid.size()) || column < 0 ||
        column >= static_cast<int>(grid[0].size()))
        return false;
    const auto& cells = grid[row];
    if (column >= static_cast<int>(cells.size())) return false;
    const Cell* cell = cells[column];
    if (!cell->passable) return false;
    if (!cell->item) return true;
    if (cell->item->isPassable()) return true;
    return cell->item == asker;
}

void Level::setCell(int column, int row, Cell* cell) { grid[row][column] = cell; }

bool Level::canStepUp(int column, int row) const {
    return !isFree(column, row, nullptr) && isFree(column, row - 1, nullptr) &&
           !isFree(static_cast<int>(player->x / kCellSize), static_cast<int>(player->y / kCellSize) + 1, nullptr);
}
