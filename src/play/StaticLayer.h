#pragma once
// The part of a play frame that stays the same from frame to frame: the
// backdrop, the map's doors and numbers, and every cell picture but water,
// kept as one screen-sized picture; and the heads-up display, kept as
// another. A frame then costs one plain blit for all of it; the cells are
// put back only over the places the sprites covered, since the grid is
// drawn over the items and the player.
//
// Both pictures are copied from the screen right after it was drawn there
// the ordinary way, so every sprite only ever goes onto the screen: SDL
// keeps one blit mapping per surface, and aiming a sprite at another
// surface would make it rebuild (and re-encode) that mapping.
#include <SDL/SDL.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "gfx/Surface.h"

class Level;
struct Cell;

class StaticLayer {
public:
    explicit StaticLayer(Level& level);
    ~StaticLayer();
    StaticLayer(const StaticLayer&) = delete;
    StaticLayer& operator=(const StaticLayer&) = delete;

    // Makes room for the pictures (the frames then allocate nothing). False
    // when this level cannot be drawn this way.
    bool prepare();
    // Puts the backdrop, the map overlay and the cells on the screen (from
    // the picture, or drawn anew and kept when something changed), and
    // starts noting what is drawn over them. False when it cannot: the
    // caller draws this frame layer by layer.
    bool drawUnder(bool selectMode, int availableLevels, int page);
    // Stops noting; the cells go back over every place drawn since
    // drawUnder, then the water is drawn, as drawCells would have it.
    void drawOver(int timeOffset);
    // The heads-up display, as drawHud draws it, kept until the bombs left
    // change.
    void drawHud();

private:
    bool upToDate(bool selectMode, int availableLevels, int page) const;
    void compose(bool selectMode, int availableLevels, int page);
    bool drawsSomething(const SDL_Surface* sprite) const;
    void noteSprite(SDL_Surface* sprite);
    void redrawCellsIn(const SDL_Rect& area);

    Level& level;
    SDL_Surface* madeFor = nullptr;  // the screen the pictures belong to
    SDL_Surface* picture = nullptr;
    bool pictureValid = false;
    bool select = false;
    int available = 0;
    int shownPage = 0;
    // The visible cells as they were composed; a blast changes them.
    std::vector<const Cell*> composed;
    // Cells with something to put back (a sprite that is not all see-through).
    std::vector<bool> visible;
    int columns = 0;
    int rows = 0;
    // Sprites of the level and whether they have a pixel that is not see-through.
    std::vector<std::pair<const SDL_Surface*, bool>> sprites;
    // Marks the cells already put back in this frame.
    std::vector<uint32_t> marks;
    uint32_t frame = 0;
    DrawnAreas drawn;

    SDL_Surface* hud = nullptr;
    bool hudValid = false;
    SDL_Surface* hudBarUsed = nullptr;
    unsigned hudBombs = 0;
};
