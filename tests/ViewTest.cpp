#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "TestSupport.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/View.h"

namespace {

using Rgb = std::tuple<int, int, int>;

const Rgb Black{0, 0, 0};
const Rgb Magenta{255, 0, 255};
const Rgb BombBody{200, 0, 0};
const Rgb BombEdge{0, 0, 200};
const Rgb ClosedDoor{0, 160, 0};
const Rgb OpenDoor{40, 40, 160};
const Rgb Bar{255, 255, 0};
const Rgb LeftArrow{250, 250, 10};
const Rgb RightArrow{0, 255, 255};

Rgb glyph(int cell) { return Rgb{cell * 7, 100, 50}; }
Rgb digit(int d) { return glyph(25 + d); }

SDL_Surface* picture(int w, int h, Rgb fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, std::get<0>(fill), std::get<1>(fill), std::get<2>(fill)));
    return s;
}

void paint(SDL_Surface* s, int x, int y, int w, int h, Rgb c) {
    SDL_Rect r{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w), static_cast<Uint16>(h)};
    SDL_FillRect(s, &r, SDL_MapRGB(s->format, std::get<0>(c), std::get<1>(c), std::get<2>(c)));
}

Rgb at(int x, int y) {
    Uint8 r, g, b;
    testsupport::pixelRGB(testsupport::screen(), x, y, r, g, b);
    return Rgb{r, g, b};
}

// The pictures the view needs, each part in a colour of its own.
struct View : ::testing::Test {
    View() : level(testsupport::screen(), nullptr, 1) {
        SDL_Surface* tiles = picture(256, 288, Magenta);
        paint(tiles, 0, 256, 32, 32, BombBody);
        paint(tiles, 0, 256, 1, 32, BombEdge);  // the icon's left edge
        paint(tiles, 96, 224, 32, 64, ClosedDoor);
        paint(tiles, 224, 224, 32, 64, OpenDoor);
        dir.writeSurface("gfx/tileset.png", tiles);
        SDL_FreeSurface(tiles);

        SDL_Surface* bar = picture(576, 64, Magenta);
        paint(bar, 0, 0, 2, 64, Bar);  // opaque only in its first two columns
        dir.writeSurface("gfx/staticalapalkki.png", bar);
        SDL_FreeSurface(bar);

        SDL_Surface* font = picture(16 * 35, 16, Magenta);
        for (int k = 0; k < 35; ++k) paint(font, 16 * k, 0, 16, 16, glyph(k));
        dir.writeSurface("gfx/fontti.png", font);
        SDL_FreeSurface(font);

        SDL_Surface* arrow = picture(40, 40, LeftArrow);  // larger than the 32x32 shown
        dir.writeSurface("gfx/arrow_left.png", arrow);
        SDL_FreeSurface(arrow);
        arrow = picture(32, 32, RightArrow);
        dir.writeSurface("gfx/arrow_right.png", arrow);
        SDL_FreeSurface(arrow);

        resetViewImages();
    }
    ~View() override { resetViewImages(); }

    void clear(Rgb c) { paint(testsupport::screen(), 0, 0, 640, 480, c); }
    void giveBombs(int n) { level.player->bombs.assign(static_cast<size_t>(n), nullptr); }

    testsupport::ScratchDir dir;
    Level level;
};

TEST_F(View, HudShowsTwelveBombsUnderTheStatusBar) {
    clear(Rgb{255, 255, 255});
    giveBombs(12);
    drawHud(level);

    EXPECT_EQ(at(100, 415), (Rgb{255, 255, 255}));  // above the band: untouched
    EXPECT_EQ(at(100, 416), Black);
    EXPECT_EQ(at(100, 417), (Rgb{255, 255, 255}));
    EXPECT_EQ(at(100, 418), Black);
    EXPECT_EQ(at(100, 419), (Rgb{64, 64, 64}));
    EXPECT_EQ(at(639, 479), Black);

    for (int i = 0; i <= 10; ++i) EXPECT_EQ(at(6 * i, 430), BombEdge) << "icon " << i;
    EXPECT_EQ(at(64, 430), Bar);
    EXPECT_EQ(at(65, 430), Bar);
    EXPECT_EQ(at(66, 430), BombEdge);  // the twelfth icon, where the bar is transparent
    EXPECT_EQ(at(97, 430), BombBody);
    EXPECT_EQ(at(98, 430), Black);
    EXPECT_EQ(at(0, 417), (Rgb{255, 255, 255}));  // icons start at y 418
    EXPECT_EQ(at(3, 418), BombBody);
    EXPECT_EQ(at(3, 449), BombBody);
    EXPECT_EQ(at(3, 450), Black);
    ASSERT_NE(level.hudBar, nullptr);  // kept by the level from now on
}

TEST_F(View, HudWithoutBombsShowsBandLinesAndBar) {
    clear(Rgb{255, 255, 255});
    giveBombs(3);
    level.player->bombsUsed = 3;
    drawHud(level);
    EXPECT_EQ(at(0, 430), Black);
    EXPECT_EQ(at(30, 419), (Rgb{64, 64, 64}));
    EXPECT_EQ(at(64, 430), Bar);
    EXPECT_EQ(at(66, 430), Black);
}

TEST_F(View, OverlayOpensTheFirstSevenDoors) {
    clear(Black);
    drawSelectionOverlay(level, 7, 0);
    const int columns[5] = {128, 224, 320, 416, 512};
    for (int k = 0; k < 5; ++k) {
        const int x = columns[k];
        // Upper row: doors 1 to 5, numbered at (x + 2, y + 9).
        EXPECT_EQ(at(x + 31, 32 + 63), OpenDoor) << k;
        EXPECT_EQ(at(x + 2, 32 + 9), digit(1 + k)) << k;
        EXPECT_EQ(at(x + 17, 32 + 24), digit(1 + k)) << k;
        EXPECT_EQ(at(x + 1, 32 + 9), OpenDoor) << k;
        // Lower row: 6 and 7 open, the rest closed without a number.
        if (k < 2) {
            EXPECT_EQ(at(x + 2, 192 + 9), digit(6 + k)) << k;
            EXPECT_EQ(at(x, 192), OpenDoor) << k;
        } else {
            EXPECT_EQ(at(x + 2, 192 + 9), ClosedDoor) << k;
            EXPECT_EQ(at(x + 31, 192 + 63), ClosedDoor) << k;
        }
    }
    EXPECT_EQ(at(128, 31), Black);
    EXPECT_EQ(at(128, 96), Black);
    EXPECT_EQ(at(2, 52), Black);  // no arrows
    EXPECT_EQ(at(610, 52), Black);
}

TEST_F(View, ArrowsShowWhereThereIsAPageToTurnTo) {
    clear(Black);
    drawSelectionOverlay(level, 11, 0);
    EXPECT_EQ(at(2, 52), Black);
    EXPECT_EQ(at(608, 50), RightArrow);
    EXPECT_EQ(at(639, 81), RightArrow);

    clear(Black);
    drawSelectionOverlay(level, 11, 10);
    EXPECT_EQ(at(0, 50), LeftArrow);
    EXPECT_EQ(at(31, 81), LeftArrow);
    EXPECT_EQ(at(32, 50), Black);  // only the top-left 32 by 32 of the picture
    EXPECT_EQ(at(0, 82), Black);
    EXPECT_EQ(at(610, 52), Black);
    EXPECT_EQ(at(130, 41), digit(1));  // door 11
    EXPECT_EQ(at(226, 41), ClosedDoor);  // door 12
}

TEST_F(View, OverlayKeepsTheOldPageAfterAPageTurn) {
    level.pageShift = 10;
    clear(Black);
    drawSelectionOverlay(level, 11, 10);
    EXPECT_EQ(at(2, 52), Black);
    EXPECT_EQ(at(610, 52), RightArrow);
    EXPECT_EQ(at(226, 41), digit(2));
    EXPECT_EQ(at(130, 201), digit(6));
    EXPECT_EQ(at(514, 201), digit(1));  // "10" starts with its 1
    EXPECT_EQ(at(522, 201), digit(0));  // and the 0 follows 8 pixels closer
}

TEST_F(View, APictureThatWasMissingIsTriedAgain) {
    ASSERT_EQ(std::rename("gfx/tileset.png", "gfx/tileset.away"), 0);
    clear(Black);
    drawSelectionOverlay(level, 7, 0);
    drawHud(level);
    EXPECT_EQ(at(128 + 31, 95), Black);
    EXPECT_EQ(at(130, 41), digit(1));  // the font came all the same
    EXPECT_EQ(at(30, 430), Black);

    ASSERT_EQ(std::rename("gfx/tileset.away", "gfx/tileset.png"), 0);
    giveBombs(1);
    drawSelectionOverlay(level, 7, 0);
    drawHud(level);
    EXPECT_EQ(at(128 + 31, 95), OpenDoor);
    EXPECT_EQ(at(30, 430), BombBody);
}

} // namespace
