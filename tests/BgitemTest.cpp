#include <gtest/gtest.h>

#include "ItemGrid.h"
#include "entities/Bgitem.h"
#include "entities/Bgwater.h"

using itemgrid::RGB;

namespace {

struct Decorations : ::testing::Test {
    Decorations() { Item::screen = testsupport::screen(); }
};

TEST_F(Decorations, BgitemDrawsItsBorrowedSpriteAndLeavesItAlone) {
    AnimStrip sprite = itemgrid::colourStrip(32, 32, 1, 1, 40, 80);
    {
        Bgitem item(64, 96, sprite, nullptr);
        itemgrid::clearScreen(0, 0, 0);
        uint32_t dt = 20;
        item.update(dt, false);
        item.draw(1);
        EXPECT_EQ(itemgrid::pixel(64, 96), (RGB{40, 80, 0}));
        EXPECT_EQ(itemgrid::pixel(95, 127), (RGB{40, 80, 0}));
        EXPECT_EQ(itemgrid::pixel(96, 96), (RGB{0, 0, 0}));
        bool flag = false;
        EXPECT_FALSE(item.moveBy(4, 0, flag));
        EXPECT_TRUE(flag);
        EXPECT_EQ(item.x, 64);
        EXPECT_TRUE(item.isPassable());
        EXPECT_FALSE(item.canMoveTo(3, 3, true));
    }
    EXPECT_EQ(sprite.surface->refcount, 1);  // the sprite belongs to the tileset
    SDL_FreeSurface(sprite.surface);
}

TEST_F(Decorations, WaterTintsTheSquareUnderIt) {
    itemgrid::clearScreen(255, 255, 255);
    Bgwater water(64, 64, AnimStrip{}, nullptr);
    water.draw(1);
    EXPECT_EQ(itemgrid::pixel(64, 64), (RGB{63, 217, 255}));
    EXPECT_EQ(itemgrid::pixel(95, 95), (RGB{63, 217, 255}));
    EXPECT_EQ(itemgrid::pixel(96, 64), (RGB{255, 255, 255}));
    EXPECT_EQ(itemgrid::pixel(64, 96), (RGB{255, 255, 255}));
    EXPECT_EQ(itemgrid::pixel(63, 64), (RGB{255, 255, 255}));

    // Overlapping squares tint the overlap twice.
    Bgwater overlap(80, 64, AnimStrip{}, nullptr);
    overlap.draw(1);
    EXPECT_EQ(itemgrid::pixel(85, 70), (RGB{15, 189, 255}));
    EXPECT_EQ(itemgrid::pixel(100, 70), (RGB{63, 217, 255}));

    // The square stays 32 pixels at a larger scale, at the scaled position.
    itemgrid::clearScreen(100, 100, 100);
    Bgwater scaled(32, 32, AnimStrip{}, nullptr);
    scaled.draw(2);
    EXPECT_EQ(itemgrid::pixel(64, 64), (RGB{25, 84, 100}));
    EXPECT_EQ(itemgrid::pixel(95, 95), (RGB{25, 84, 100}));
    EXPECT_EQ(itemgrid::pixel(96, 96), (RGB{100, 100, 100}));
}

TEST_F(Decorations, WaterOffTheScreenEdgesSkipsTheMissingPixels) {
    itemgrid::clearScreen(255, 255, 255);
    Bgwater corner(624, 464, AnimStrip{}, nullptr);
    corner.draw(1);
    EXPECT_EQ(itemgrid::pixel(639, 479), (RGB{63, 217, 255}));
    EXPECT_EQ(itemgrid::pixel(623, 479), (RGB{255, 255, 255}));
    Bgwater topLeft(-16, -16, AnimStrip{}, nullptr);
    topLeft.draw(1);
    EXPECT_EQ(itemgrid::pixel(0, 0), (RGB{63, 217, 255}));
    EXPECT_EQ(itemgrid::pixel(15, 15), (RGB{63, 217, 255}));
    EXPECT_EQ(itemgrid::pixel(16, 0), (RGB{255, 255, 255}));
    Bgwater away(2000, -500, AnimStrip{}, nullptr);
    away.draw(1);
}

// On a surface that is not 32-bit the tint goes through the pixel
// primitives and must give what the same arithmetic gives.
TEST_F(Decorations, WaterOnASixteenBitSurface) {
    SDL_Surface* small = SDL_CreateRGBSurface(SDL_SWSURFACE, 40, 40, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_NE(small, nullptr);
    SDL_FillRect(small, nullptr, SDL_MapRGB(small->format, 200, 120, 80));
    Item::screen = small;
    Bgwater water(16, 16, AnimStrip{}, nullptr);
    water.draw(1);
    Item::screen = testsupport::screen();

    Uint8 r, g, b;
    SDL_GetRGB(*static_cast<Uint16*>(small->pixels), small->format, &r, &g, &b);
    Uint32 expected = SDL_MapRGB(small->format, r >> 2, (g >> 3) * 7, b);
    auto at = [&](int x, int y) {
        return reinterpret_cast<Uint16*>(static_cast<Uint8*>(small->pixels) + y * small->pitch)[x];
    };
    EXPECT_EQ(at(20, 20), expected);
    EXPECT_EQ(at(39, 39), expected);
    EXPECT_NE(at(15, 20), expected);
    SDL_FreeSurface(small);
}

} // namespace
