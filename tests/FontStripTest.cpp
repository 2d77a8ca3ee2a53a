#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gfx/AnimStrip.h"
#include "gfx/BitmapFont.h"
#include "gfx/Surface.h"

namespace {

// A font picture whose cell k has a marker column at its left edge in the
// colour (255, 255, k), three columns of (k, 80, 160) and magenta elsewhere:
// the marker tells where each glyph landed and which cell it came from.
void writeFont(const testsupport::ScratchDir& dir) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 35 * 16, 16, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 255));
    for (int k = 0; k < 35; ++k) {
        fillRect(s, k * 16, 0, 1, 16, SDL_MapRGB(s->format, 255, 255, static_cast<Uint8>(k)));
        fillRect(s, k * 16 + 1, 0, 3, 16, SDL_MapRGB(s->format, static_cast<Uint8>(k), 80, 160));
    }
    ASSERT_TRUE(dir.writeSurface("gfx/fontti.png", s));
    SDL_FreeSurface(s);
}

struct Rgb {
    Uint8 r, g, b;
};

Rgb at(SDL_Surface* s, int x, int y) {
    Rgb c;
    SDL_GetRGB(getPixel(s, x, y), s->format, &c.r, &c.g, &c.b);
    return c;
}

// Cell of a marker at x, or -1 when no glyph starts there.
int markerCell(SDL_Surface* s, int x, int y) {
    Rgb c = at(s, x, y);
    return c.r == 255 && c.g == 255 ? c.b : -1;
}

struct FontText : ::testing::Test {
    void SetUp() override {
        screen = testsupport::screen();
        ASSERT_NE(screen, nullptr);
        writeFont(dir);
        font = loadFont();
        ASSERT_NE(font.surface, nullptr);
        target = SDL_CreateRGBSurface(SDL_SWSURFACE, 200, 40, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
        SDL_FillRect(target, nullptr, 0);
    }
    void TearDown() override {
        SDL_FreeSurface(target);
        SDL_FreeSurface(font.surface);
    }
    // x positions in [from, to) where a glyph's marker column lies.
    std::vector<std::pair<int, int>> markers(int from, int to, int y) {
        std::vector<std::pair<int, int>> found;
        for (int x = from; x < to; ++x)
            if (markerCell(target, x, y) >= 0) found.emplace_back(x, markerCell(target, x, y));
        return found;
    }
    testsupport::ScratchDir dir;
    SDL_Surface* screen = nullptr;
    BitmapFont font;
    SDL_Surface* target = nullptr;
};

using Markers = std::vector<std::pair<int, int>>;

TEST_F(FontText, GlyphsCloseUpAfterEachOne) {
    EXPECT_TRUE(font.surface->flags & SDL_SRCCOLORKEY);

    drawText(target, font, 20, 5, "10");
    EXPECT_EQ(markers(0, 200, 10), (Markers{{20, 26}, {28, 25}}));
    // The '1' shows where the '0' does not cover it; magenta stays transparent.
    EXPECT_EQ(at(target, 21, 10).r, 26);
    EXPECT_EQ(at(target, 24, 10).r, 0);
    EXPECT_EQ(at(target, 20, 4).r, 0);  // nothing above the top edge
    EXPECT_EQ(at(target, 20, 21).r, 0);  // nor below 16 rows

    SDL_FillRect(target, nullptr, 0);
    drawText(target, font, 20, 5, "111");
    EXPECT_EQ(markers(0, 200, 10), (Markers{{20, 26}, {28, 26}, {36, 26}}));

    SDL_FillRect(target, nullptr, 0);
    drawText(target, font, 0, 0, "2z1 b9");
    // '2' at 0, 'z' at 16 (same cell as '0'), '1' at 32, then blank (cell 0)
    // at 48 - 8, 'b' at 56, '9' at 72.
    EXPECT_EQ(markers(0, 200, 3), (Markers{{0, 27}, {16, 25}, {32, 26}, {40, 0}, {56, 1}, {72, 34}}));

    SDL_FillRect(target, nullptr, 0);
    drawText(target, font, 20, 5, "");
    EXPECT_TRUE(markers(0, 200, 10).empty());
    drawText(target, BitmapFont{}, 20, 5, "12");  // a font that did not load draws nothing
    EXPECT_TRUE(markers(0, 200, 10).empty());
}

TEST(FontNumbers, NumberToTextLikeAStream) {
    std::string out = "leftover";
    numberToText(0, out);
    EXPECT_EQ(out, "0");
    numberToText(-5, out);
    EXPECT_EQ(out, "-5");
    numberToText(1234567, out);
    EXPECT_EQ(out, "1234567");
    numberToText(-2147483647 - 1, out);
    EXPECT_EQ(out, "-2147483648");
}

TEST(StripCut, FramesAreCutFromScaledTilesAndKeyed) {
    SDL_Surface* screen = testsupport::screen();
    ASSERT_NE(screen, nullptr);
    SDL_Surface* sheet = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 256, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 640; ++x)
            putPixel(sheet, x, y, SDL_MapRGB(sheet->format, static_cast<Uint8>(x % 251), static_cast<Uint8>(y), 7));
    putPixel(sheet, 130, 70, SDL_MapRGB(sheet->format, 255, 0, 255));

    // Column 2, row 1 at scale 2: the strip starts at (128, 64) of the sheet.
    AnimStrip strip = cutStrip(sheet, 2, 1, 5, 2, 90, 32, 32, 3);
    ASSERT_NE(strip.surface, nullptr);
    EXPECT_EQ(strip.width, 320);
    EXPECT_EQ(strip.height, 64);
    EXPECT_EQ(strip.surface->w, 320);
    EXPECT_EQ(strip.surface->h, 64);
    EXPECT_EQ(strip.frameCount, 5);
    EXPECT_EQ(strip.frameDuration, 90);
    EXPECT_EQ(strip.currentFrame, 3);
    EXPECT_EQ(strip.elapsed, 0);
    EXPECT_EQ(strip.surface->format->BitsPerPixel, screen->format->BitsPerPixel);  // display format
    EXPECT_TRUE(strip.surface->flags & SDL_SRCCOLORKEY);
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 320; x += 13) {
            if (x == 2 && y == 6) continue;
            Rgb c = at(strip.surface, x, y);
            ASSERT_EQ(c.r, (128 + x) % 251) << x << "," << y;
            ASSERT_EQ(c.g, 64 + y) << x << "," << y;
        }
    EXPECT_EQ(getPixel(strip.surface, 2, 6), strip.surface->format->colorkey);

    // One frame of 32 by 64 at scale 1, like a door: tile (3, 1) is at (96, 32).
    AnimStrip door = cutStrip(sheet, 3, 1, 1, 1, 1000, 32, 64, 0);
    EXPECT_EQ(door.width, 32);
    EXPECT_EQ(door.height, 64);
    EXPECT_EQ(at(door.surface, 0, 0).r, 96);
    EXPECT_EQ(at(door.surface, 0, 63).g, 32 + 63);

    // A sheet that could not be loaded gives a strip that draws nothing.
    AnimStrip blank = cutStrip(nullptr, 0, 0, 2, 1, 100, 32, 32, 0);
    ASSERT_NE(blank.surface, nullptr);
    EXPECT_EQ(blank.surface->w, 64);
    EXPECT_EQ(getPixel(blank.surface, 40, 20), blank.surface->format->colorkey);

    freeStrip(strip);
    freeStrip(door);
    freeStrip(blank);
    EXPECT_EQ(strip.surface, nullptr);
    SDL_FreeSurface(sheet);
}

} // namespace
