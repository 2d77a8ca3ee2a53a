#pragma once
#include <SDL/SDL.h>
#include <cstdint>
#include <string>
#include <vector>

#include "level/Cell.h"
#include "level/Vocabulary.h"

struct LevelText;
class Item;
class Player;
class Treasure;
class SoundBank;

// Sine wave shared by the level construction (which fills it) and the water:
// one entry for each pixel column of the screen and one past its edge.
constexpr int kWaveColumns = kScreenWidth + 1;
extern int waveTable[kWaveColumns];
void fillWaveTable();

// One loaded level and, at the same time, the state of its play.
class Level {
public:
    // An empty level with its player at (32, 0); nothing is loaded.
    Level(SDL_Surface* screen, SoundBank* sounds, int scale);
    // Builds the level from a level file. Throws LoadError on a broken file.
    Level(const std::string& path, SDL_Surface* screen, SoundBank* sounds, int scale, bool startMusic);
    // Builds the level from a parsed level file (an unsaved one, say), as
    // the file construction does. Throws LoadError.
    Level(const LevelText& text, SDL_Surface* screen, SoundBank* sounds, int scale, bool startMusic);
    ~Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    // None outside the grid, and past the end of a row shorter than the first.
    // Both are asked several times an item a pass, so they are inline.
    Cell* cellAt(int column, int row) const {
        if (row < 0 || column < 0 || column >= columnCount || row >= rowCount) return nullptr;
        const auto& cells = grid[row];
        if (column >= static_cast<int>(cells.size())) return nullptr;
        return cells[column];
    }
    bool isFree(int column, int row, const Item* asker) const {
        const Cell* cell = cellAt(column, row);
        if (!cell || !cell->passable) return false;
        return !cell->item || cell->item == asker || passableItem(cell->item);
    }
    // Stores the cell; the one that was there now belongs to the caller.
    void setCell(int column, int row, Cell* cell);
    // Notes that the square's cell, or its cell's item, changed (holdIn,
    // releaseFrom, setCell and a snapshot's restore do): once the log is
    // kept, snapshots look only at the squares it names, not at every one.
    void touch(int column, int row) const {
        if (column >= 0 && column < columnCount) touchKey(static_cast<size_t>(row) * columnCount + column);
    }
    void touchKey(size_t key) const {
        ++changes;
        if (key < touchedMark.size() && !touchedMark[key]) {
            touchedMark[key] = 1;
            touched.push_back(static_cast<uint32_t>(key));
        }
    }
    // From now on the squares changed are logged, each once (row * columns
    // + column); a square never logged holds what it held when this began.
    void keepGridLog() const;
    const std::vector<uint32_t>& gridLog() const { return touched; }
    // How many times a square's cell or its cell's item changed by these
    // notes (and by noteChanges, for what changes squares without them).
    uint64_t gridChanges() const { return changes; }
    void noteChanges() const { ++changes; }
    unsigned countRows() const { return static_cast<unsigned>(grid.size()); }
    // Can the player step up onto (column, row): solid there, free above it,
    // and solid under the player.
    bool canStepUp(int column, int row) const;

    SDL_Surface* screen = nullptr;
    SDL_Surface* backdrop = nullptr;
    std::vector<std::vector<Cell*>> grid;
    SpriteTable spriteTable;
    Player* player = nullptr;
    int scale = 1;
    std::vector<Item*> items;
    std::vector<Treasure*> treasures;
    SoundBank* sounds = nullptr;
    int rowCount = 0;
    int columnCount = 0;
    int pageShift = 0;
    SDL_Surface* hudBar = nullptr;

private:
    static bool passableItem(Item* item);
    // The grid's log: written by whatever moves an item, even through a
    // const level, and sized once, so that logging allocates nothing.
    mutable std::vector<uint8_t> touchedMark;
    mutable std::vector<uint32_t> touched;
    mutable uint64_t changes = 0;

public:
    // Cells taken out of the grid by blasts are owned by their bombs.
};

// The loader proper (level file format); run once by the file construction.
void loadLevelFile(Level& level, const std::string& path);
// The same from a parsed level file: sprites, grid, records in file order,
// backdrop, each raising its message as it comes.
void loadLevelText(Level& level, const LevelText& text);
// Tiles the background over the screen and shades it through "./gfx/maski.png".
void buildBackdrop(Level& level, SDL_Surface* background);
