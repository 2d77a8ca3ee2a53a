#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "TestSupport.h"
#include "level/Level.h"
#include "platform/Platform.h"
#include "play/View.h"

namespace {

using Rgb = std::tuple<int, int, int>;

const Rgb White{255, 255, 255};
const Rgb Surface{157, 157, 227};
const Rgb BelowSurface{167, 167, 235};
const Rgb Body{63, 217, 255};

void fillWave() {
    for (int k = 0; k < 641; ++k)
        waveTable[k] = static_cast<int>(3 * std::sin(3.1415926535 * 2 * k * 0.015625));
}

Rgb rgbAt(SDL_Surface* s, int x, int y) {
    Uint8 r, g, b;
    SDL_LockSurface(s);
    const Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    for (int i = 0; i < s->format->BytesPerPixel; ++i) v |= static_cast<Uint32>(p[i]) << (8 * i);
    SDL_UnlockSurface(s);
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return Rgb{r, g, b};
}

void fill(SDL_Surface* s, Rgb c) {
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, std::get<0>(c), std::get<1>(c), std::get<2>(c)));
}

// A level whose grid is given cell by cell: '~' water, '#' a red wall, '.' open.
struct Water : ::testing::Test {
    Water() { fillWave(); }
    ~Water() override {
        if (red) SDL_FreeSurface(red);
    }

    void build(Level& level, std::initializer_list<const char*> rows) {
        if (!red) {
            red = SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
            fill(red, Rgb{255, 0, 0});
        }
        for (const char* line : rows) {
            std::vector<Cell*> row;
            for (const char* c = line; *c; ++c) {
                Cell* cell = new Cell;
                cell->sprite = red;  // a water cell's sprite must never show
                cell->passable = *c != '#';
                cell->liquid = cell->deadly = *c == '~';
                if (*c == '.') cell->sprite = nullptr;
                row.push_back(cell);
            }
            level.grid.push_back(row);
        }
        level.rowCount = static_cast<int>(level.grid.size());
        level.columnCount = static_cast<int>(level.grid.empty() ? 0 : level.grid[0].size());
    }

    SDL_Surface* red = nullptr;
};

TEST_F(Water, WhitePixelsTurnIntoSurfaceLineAndBody) {
    platform::VirtualInput input;
    SDL_Surface* screen = testsupport::screen();
    Level level(screen, nullptr, 1);
    build(level, {"#.", "~~"});
    ASSERT_EQ(waveTable[32], 0);
    ASSERT_EQ(waveTable[33], 0);
    for (uint32_t now : {0u, 500u, 1024u, 7777u, 20000u}) {
        input.clock.now = now;
        fill(screen, White);
        drawCells(level, 0);
        // Where the table holds 0 the line stays 8 pixels below the cell's top.
        for (int px : {32, 33}) {
            EXPECT_EQ(rgbAt(screen, px, 39), White) << now;
            EXPECT_EQ(rgbAt(screen, px, 40), Surface) << now;
            EXPECT_EQ(rgbAt(screen, px, 41), BelowSurface) << now;
            EXPECT_EQ(rgbAt(screen, px, 42), Body) << now;
            EXPECT_EQ(rgbAt(screen, px, 63), Body) << now;
            EXPECT_EQ(rgbAt(screen, px, 64), White) << now;
        }
        EXPECT_EQ(rgbAt(screen, 0, 0), (Rgb{255, 0, 0}));   // the wall's sprite
        EXPECT_EQ(rgbAt(screen, 31, 31), (Rgb{255, 0, 0}));
        EXPECT_EQ(rgbAt(screen, 32, 0), White);              // an open cell without sprite
        EXPECT_EQ(rgbAt(screen, 5, 50), Body);               // not the water cell's red sprite
    }
}

TEST_F(Water, TheWaveCanLiftTheLineIntoTheCellAbove) {
    platform::VirtualInput input;
    SDL_Surface* screen = testsupport::screen();
    Level level(screen, nullptr, 1);
    build(level, {"..", "~."});
    ASSERT_EQ(waveTable[16], 3);
    ASSERT_EQ(waveTable[48], -3);
    // Phase 32 puts table entry 48 under pixel column 16 of the cell.
    input.clock.now = 32 * 32;
    fill(screen, White);
    drawCells(level, 0);
    EXPECT_EQ(rgbAt(screen, 16, 30), White);
    EXPECT_EQ(rgbAt(screen, 16, 31), Surface);
    EXPECT_EQ(rgbAt(screen, 16, 32), BelowSurface);
    EXPECT_EQ(rgbAt(screen, 16, 33), Body);

    // The offset moves the phase like the clock does: 3000 ms later than
    // the start sequence's still picture, the water looks the same.
    input.clock.now = 32 * 32 - 3000 + 641 * 32 * 10;
    fill(screen, White);
    drawWater(level, 0, 1, 3000);
    EXPECT_EQ(rgbAt(screen, 16, 31), Surface);
    EXPECT_EQ(rgbAt(screen, 15, 31), White);  // a neighbouring column has its own line
}

TEST_F(Water, SquaresOffTheScreenAreSkipped) {
    platform::VirtualInput input(32 * 32);
    SDL_Surface* screen = testsupport::screen();
    Level level(screen, nullptr, 1);
    // Row 0 lifts a line to y = -1; column 20 and rows 15 and on lie outside.
    build(level, {"~...................~~",
                  "......................", "......................", "......................",
                  "......................", "......................", "......................",
                  "......................", "......................", "......................",
                  "......................", "......................", "......................",
                  "......................", "~~~~~~~~~~~~~~~~~~~~~~", "~~~~~~~~~~~~~~~~~~~~~~"});
    fill(screen, White);
    drawCells(level, 0);
    EXPECT_EQ(rgbAt(screen, 16, 0), BelowSurface);  // its line lies at -1
    EXPECT_EQ(rgbAt(screen, 639, 0), White);
    EXPECT_EQ(rgbAt(screen, 32, 456), Surface);
    EXPECT_EQ(rgbAt(screen, 32, 458), Body);
    EXPECT_EQ(rgbAt(screen, 639, 479), Body);
}

// The direct 32-bit path must give exactly what the general per-pixel path
// gives; a 24-bit screen always takes the general one.
TEST_F(Water, DirectAndGeneralPathsAgree) {
    platform::VirtualInput input;
    SDL_Surface* wide = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 32, 0x000000FF, 0x0000FF00, 0x00FF0000,
                                             0xFF000000);
    SDL_Surface* narrow = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    std::srand(7);
    for (int y = 0; y < 480; y += 4)
        for (int x = 0; x < 640; x += 4) {
            Uint8 r = static_cast<Uint8>(std::rand()), g = static_cast<Uint8>(std::rand()),
                  b = static_cast<Uint8>(std::rand());
            SDL_Rect cell{static_cast<Sint16>(x), static_cast<Sint16>(y), 4, 4};
            SDL_FillRect(wide, &cell, SDL_MapRGB(wide->format, r, g, b));
            SDL_FillRect(narrow, &cell, SDL_MapRGB(narrow->format, r, g, b));
        }
    Level a(wide, nullptr, 1), b(narrow, nullptr, 1);
    std::initializer_list<const char*> grid = {"~~~~~~~~~~~~~~~~~~~~", "~..~..~..~~~~~~~~~~~", "~~~~~~~~~~~~~~~~~~~~"};
    build(a, grid);
    build(b, grid);
    for (uint32_t now : {0u, 3333u, 9000u}) {
        input.clock.now = now;
        drawCells(a, 0);
        drawCells(b, 0);
    }
    int differences = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 640; ++x)
            if (rgbAt(wide, x, y) != rgbAt(narrow, x, y)) ++differences;
    EXPECT_EQ(differences, 0);
    Uint8 alpha;
    Uint8 r, g, bl;
    SDL_LockSurface(wide);
    Uint32 v = static_cast<Uint32*>(wide->pixels)[10 * 640 + 10];
    SDL_UnlockSurface(wide);
    SDL_GetRGBA(v, wide->format, &r, &g, &bl, &alpha);
    EXPECT_EQ(alpha, 255);  // the alpha channel is set as SDL_MapRGB sets it
    SDL_FreeSurface(wide);
    SDL_FreeSurface(narrow);
}

} // namespace
