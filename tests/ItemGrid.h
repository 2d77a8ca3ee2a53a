#pragma once
// A level built by hand for the item tests: one character per cell,
// '#' wall, '.' open, 'H' ladder, '~' deadly water. Every item added with
// add() belongs to the level; the class-wide item references point at it
// while the grid lives.
#include <initializer_list>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "TestSupport.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"

namespace itemgrid {

struct Grid {
    explicit Grid(std::initializer_list<const char*> rows) : level(testsupport::screen(), nullptr, 1) {
        wall.passable = false;
        open.passable = true;
        ladder.passable = ladder.ladder = true;
        water.passable = water.deadly = water.liquid = true;
        rubble.passable = true;
        for (const char* text : rows) {
            std::vector<Cell*> row;
            for (const char* p = text; *p; ++p) {
                const Cell& prototype = *p == '#' ? wall : *p == 'H' ? ladder : *p == '~' ? water : open;
                row.push_back(new Cell(prototype));
            }
            level.grid.push_back(row);
        }
        level.rowCount = static_cast<int>(level.grid.size());
        level.columnCount = level.grid.empty() ? 0 : static_cast<int>(level.grid[0].size());
        Item::screen = testsupport::screen();
        Item::currentLevel = &level;
        Item::currentPlayer = level.player;
        // Far from everything unless a test moves it.
        level.player->setPosition(-1000, -1000);
    }
    ~Grid() {
        Item::currentLevel = nullptr;
        Item::currentPlayer = nullptr;
    }

    template <class T> T* add(T* item) {
        level.items.push_back(item);
        return item;
    }
    // Registers the item the way the level file's records do.
    template <class T> T* put(T* item, int column, int row) {
        add(item);
        level.cellAt(column, row)->item = item;
        return item;
    }
    Cell* at(int column, int row) const { return level.cellAt(column, row); }
    Item* itemAt(int column, int row) const {
        Cell* cell = level.cellAt(column, row);
        return cell ? cell->item : nullptr;
    }
    Player& player() { return *level.player; }

    // Runs the item's update for the given number of frames of dt each.
    static void run(Item& item, int frames, uint32_t dt = 20) {
        for (int i = 0; i < frames; ++i) {
            uint32_t step = dt;
            item.update(step, false);
        }
    }

    Cell wall, open, ladder, water, rubble;
    Level level;
};

// A 32-bit colour-keyed strip whose frame k is filled with (r, g, 10 * k).
inline AnimStrip colourStrip(int frameWidth, int frameHeight, int frames, int duration, Uint8 r, Uint8 g) {
    AnimStrip strip;
    SDL_Surface* display = testsupport::screen();
    strip.surface = SDL_CreateRGBSurface(SDL_SWSURFACE, frameWidth * frames, frameHeight, 32,
                                         display->format->Rmask, display->format->Gmask,
                                         display->format->Bmask, 0);
    for (int k = 0; k < frames; ++k) {
        SDL_Rect rect{static_cast<Sint16>(k * frameWidth), 0, static_cast<Uint16>(frameWidth),
                      static_cast<Uint16>(frameHeight)};
        SDL_FillRect(strip.surface, &rect, SDL_MapRGB(strip.surface->format, r, g, static_cast<Uint8>(10 * k)));
    }
    strip.width = frameWidth * frames;
    strip.height = frameHeight;
    strip.frameDuration = duration;
    strip.frameCount = frames;
    return strip;
}

inline void clearScreen(Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* s = testsupport::screen();
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
}

struct RGB {
    Uint8 r, g, b;
    bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline RGB pixel(int x, int y) {
    RGB c{};
    testsupport::pixelRGB(testsupport::screen(), x, y, c.r, c.g, c.b);
    return c;
}
inline std::ostream& operator<<(std::ostream& out, const RGB& c) {
    return out << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

} // namespace itemgrid
