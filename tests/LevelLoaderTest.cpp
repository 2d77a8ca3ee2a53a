#include <gtest/gtest.h>

#include <SDL/SDL_image.h>

#include <cstring>
#include <vector>

#include "LevelTestData.h"
#include "TestSupport.h"
#include "entities/Goal.h"
#include "entities/Player.h"
#include "level/Backdrop.h"
#include "level/Level.h"
#include "level/PictureCache.h"
#include "level/LoadError.h"

using namespace leveldata;
using testsupport::ScratchDir;

namespace {

struct LevelLoader : ::testing::Test {
    LevelLoader() {
        testsupport::screen();
        writeWorldPictures(dir);
        writeDescription(dir, kEntries);
    }
    Level load(const std::string& path = "test.lev") { return Level(path, testsupport::screen(), nullptr, 1, false); }
    ScratchDir dir;
};

std::string repeat(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line + "\n";
    return text;
}

TEST(WaveTable, FollowsTheShortPiSine) {
    fillWaveTable();
    const int first[17] = {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3};
    for (int k = 0; k <= 16; ++k) EXPECT_EQ(waveTable[k], first[k]) << "entry " << k;
    EXPECT_EQ(waveTable[32], 0);
    EXPECT_EQ(waveTable[48], -3);
    EXPECT_EQ(waveTable[80], 3);
    for (int k = 0; k <= 640; ++k) {
        EXPECT_GE(waveTable[k], -3);
        EXPECT_LE(waveTable[k], 3);
    }
    EXPECT_EQ(waveTable[100], waveTable[36]);  // period 64 away from the extremes
}

TEST_F(LevelLoader, GridTakesItsSizeAndCellsFromTheFile) {
    writeLevel(dir, "test.lev", "3", repeat("####################", 1) + "#..$$..?...........#\n" +
                                         repeat("####################", 1));
    Level level = load();
    EXPECT_EQ(level.rowCount, 3);
    EXPECT_EQ(level.columnCount, 20);
    ASSERT_EQ(level.grid.size(), 3u);
    for (const auto& row : level.grid) EXPECT_EQ(row.size(), 20u);

    const Cell* wall = level.cellAt(0, 0);
    EXPECT_FALSE(wall->passable);
    EXPECT_EQ(wall->sprite, level.spriteTable.findPrototype('#')->sprite);
    EXPECT_NE(wall, level.spriteTable.findPrototype('#'));
    EXPECT_NE(level.cellAt(1, 0), wall);  // every square is a cell of its own
    const Cell* water = level.cellAt(3, 1);
    EXPECT_TRUE(water->passable && water->deadly && water->liquid && !water->ladder);
    const Cell* ladder = level.cellAt(7, 1);
    EXPECT_TRUE(ladder->ladder && !ladder->deadly);
    EXPECT_EQ(level.player->x, 32);
    EXPECT_EQ(level.player->y, 0);
    EXPECT_TRUE(level.items.empty());
    ASSERT_NE(level.backdrop, nullptr);
    EXPECT_EQ(level.backdrop->w, 640);
    EXPECT_EQ(level.backdrop->h, 480);
}

TEST_F(LevelLoader, RectangularityRuleAndItsMessage) {
    writeLevel(dir, "test.lev", "3", "##########\n##########\n#########\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "ERROR: Level must be rectanguar! The width of line 3doesn't match. (10 vs 9)");

    // A line after an empty one is compared with nothing; an empty one after a full one is.
    writeLevel(dir, "test.lev", "2", "\n############\n");
    Level passes = load();
    EXPECT_EQ(passes.rowCount, 2);
    EXPECT_EQ(passes.columnCount, 0);  // taken from the (empty) first row
    EXPECT_EQ(passes.grid[1].size(), 12u);
    writeLevel(dir, "test.lev", "2", "############\n\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "ERROR: Level must be rectanguar! The width of line 2doesn't match. (12 vs 0)");

    // Bytes without a prototype make no cell but still count for the rule.
    writeLevel(dir, "test.lev", "3", "#.x#\n####\n");
    Level shortRow = load();
    EXPECT_EQ(shortRow.grid[0].size(), 3u);
    EXPECT_EQ(shortRow.grid[1].size(), 4u);
    EXPECT_EQ(shortRow.columnCount, 3);
    writeLevel(dir, "test.lev", "3", "#.x#\n####\n#x#\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "ERROR: Level must be rectanguar! The width of line 3doesn't match. (4 vs 3)");
}

TEST_F(LevelLoader, LineCountAndRecordLines) {
    // The count may be followed by anything, and preceded by blanks.
    writeLevel(dir, "test.lev", "  12 word", repeat("####", 12) + "plr 2 1\n");
    Level twelve = load();
    EXPECT_EQ(twelve.rowCount, 12);
    EXPECT_EQ(twelve.player->x, 64);

    // N = 0: everything after line 3 is a record.
    writeLevel(dir, "test.lev", "0", "plr 2 1\nplr 3 1\n");
    Level none = load();
    EXPECT_EQ(none.rowCount, 0);
    EXPECT_EQ(none.columnCount, 0);
    EXPECT_EQ(none.player->x, 96);
    EXPECT_EQ(none.player->y, 32);

    // A blank record line is a record with an empty name.
    writeLevel(dir, "test.lev", "1", "####\nplr 1 1\n\nplr 2 2\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "Error while parsing item  with 0 attributes. Unknown item.");

    // More grid-like lines than N are records; fewer end the grid and leave no records.
    writeLevel(dir, "test.lev", "1", "####\n####\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "Error while parsing item #### with 0 attributes. Unknown item.");
    writeLevel(dir, "test.lev", "5", "####\n####\n");
    EXPECT_EQ(load().rowCount, 2);

    // A count that is no number: no grid and no records are read.
    writeLevel(dir, "test.lev", "many", "####\nnonsense record\n");
    EXPECT_EQ(load().rowCount, 0);
}

TEST_F(LevelLoader, LineEnds) {
    // The last line needs no line feed; a final line feed makes no extra record.
    writeLevel(dir, "test.lev", "1", "####\nplr 3 1");
    EXPECT_EQ(load().player->x, 96);
    writeLevel(dir, "test.lev", "1", "####\nplr 3 1\n");
    EXPECT_EQ(load().player->x, 96);

    // Carriage returns before the line feeds belong to no line, paths included.
    writeDescription(dir, "# 0 3 1\r\n. 1 0 0\r\n", "crlf.txt");
    dir.writeFile("crlf.lev", "crlf.txt\r\nback.png\r\n2\r\n#..#\r\n####\r\nplr 1 1\r\n");
    Level level = load("crlf.lev");
    EXPECT_EQ(level.rowCount, 2);
    EXPECT_EQ(level.columnCount, 4);
    EXPECT_EQ(level.player->y, 32);
}

TEST_F(LevelLoader, MissingFilesAreLoadErrors) {
    EXPECT_EQ(levelErrorOf("nothere.lev"), "Player sprite  not found.");

    dir.writeFile("test.lev", "desc.txt\nnothere.png\n1\n####\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "Background nothere.png not found.");

    writeLevel(dir, "test.lev", "1", "####\n");
    std::remove("gfx/maski.png");
    EXPECT_EQ(levelErrorOf("test.lev"), "Background mask ./gfx/maski.png not found.");
    dir.writeImage("gfx/maski.png", 640, 479, 255, 255, 255);
    EXPECT_EQ(levelErrorOf("test.lev"), "Background mask ./gfx/maski.png is smaller than the screen.");
}

TEST_F(LevelLoader, ErrorAfterItemsLeavesNothingBehind) {
    // The level built so far (cells, items, strips) is torn down by the
    // error; run under a leak checker this shows no loss.
    writeLevel(dir, "test.lev", "2", "#..#\n####\ntreasure 1 0\ngoal 2 0\nbomb 2\nbgitem 1 0 #\nwho 1 2\n");
    EXPECT_EQ(levelErrorOf("test.lev"), "Error while parsing item who with 2 attributes. Unknown item.");
    writeLevel(dir, "test.lev", "2", "#..#\n####\ntreasure 1 0\ngoal 2 0\nbomb 2\nbgitem 1 0 #\n");
    Level level = load();
    EXPECT_EQ(level.items.size(), 5u);
    EXPECT_EQ(level.treasures.size(), 1u);
    EXPECT_EQ(level.cellAt(2, 0)->item, level.items[1]);
}

TEST(PictureCache, FindsPicturesByTheirBytes) {
    testsupport::screen();
    ScratchDir dir;
    dir.writeImage("a.png", 40, 30, 10, 20, 30);
    dir.writeImage("sub/copy.png", 40, 30, 10, 20, 30);
    SDL_Surface* first = cachedPicture("a.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->w, 40);
    EXPECT_EQ(cachedPicture("./a.png"), first);
    EXPECT_EQ(cachedPicture("sub/copy.png"), first);  // same bytes, decoded once

    // Rewritten with other pixels of the same size: decoded afresh.
    dir.writeImage("a.png", 40, 30, 200, 20, 30);
    SDL_Surface* changed = cachedPicture("a.png");
    ASSERT_NE(changed, nullptr);
    Uint8 r, g, b;
    SDL_GetRGB(*static_cast<Uint32*>(changed->pixels) & 0xFFFFFF, changed->format, &r, &g, &b);
    EXPECT_EQ(r, 200);

    EXPECT_EQ(cachedPicture("none.png"), nullptr);
    dir.writeFile("text.png", "not a picture");
    EXPECT_EQ(cachedPicture("text.png"), nullptr);
}

// The backdrop: the background repeated with both bounds included, then
// multiplied by the mask pixel by pixel.
struct Backdrop : LevelLoader {
    Backdrop() {
        // 100 x 100: six whole tiles across and four down, then clipped ones.
        writePicture(dir, "back.png", makePicture(100, 100, [](int x, int, Uint8& r, Uint8& g, Uint8& b) {
            if (x < 50) r = 200, g = 100, b = 50;
            else r = 40, g = 80, b = 160;
        }));
        writeLevel(dir, "test.lev", "1", "####\n");
    }
    static void maskColour(int, int y, Uint8& r, Uint8& g, Uint8& b) {
        if (y < 240) r = g = b = 255;
        else r = 255, g = 128, b = 64;
    }
    std::vector<Uint32> pixels(const Level& level) {
        SDL_Surface* s = level.backdrop;
        std::vector<Uint32> all;
        SDL_LockSurface(s);
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x)
                all.push_back(reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch)[x]);
        SDL_UnlockSurface(s);
        return all;
    }
};

void expectRGB(SDL_Surface* s, int x, int y, int r, int g, int b) {
    Uint8 pr, pg, pb;
    testsupport::pixelRGB(s, x, y, pr, pg, pb);
    EXPECT_EQ(pr, r) << "at " << x << "," << y;
    EXPECT_EQ(pg, g) << "at " << x << "," << y;
    EXPECT_EQ(pb, b) << "at " << x << "," << y;
}

TEST_F(Backdrop, TilesPastTheEdgesAndShadesThroughTheMask) {
    writePicture(dir, "gfx/maski.png", makePicture(640, 480, maskColour));
    Level level = load();
    SDL_Surface* s = level.backdrop;
    ASSERT_NE(s, nullptr);
    expectRGB(s, 10, 10, 200, 100, 50);
    expectRGB(s, 60, 10, 40, 80, 160);
    expectRGB(s, 620, 10, 200, 100, 50);   // the seventh, clipped column of tiles
    expectRGB(s, 639, 239, 200, 100, 50);
    // Below, the mask (255, 128, 64) scales each channel with truncation.
    expectRGB(s, 639, 479, 200, 100 * 128 / 255, 50 * 64 / 255);  // the fifth, clipped row
    expectRGB(s, 70, 450, 40, 80 * 128 / 255, 160 * 64 / 255);
}

TEST_F(Backdrop, EveryMaskFormatGivesTheSameBackdrop) {
    writePngRGBA("gfx/maski.png", 640, 480, maskColour);  // 32 bits with alpha
    std::vector<Uint32> fromRGBA = pixels(load());

    writePicture(dir, "gfx/maski.png", makePicture(640, 480, maskColour));  // 24 bits
    EXPECT_EQ(pixels(load()), fromRGBA);

    // A paletted mask goes the general way.
    SDL_Surface* paletted = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0);
    SDL_Color colours[2] = {{255, 255, 255, 0}, {255, 128, 64, 0}};
    SDL_SetColors(paletted, colours, 0, 2);
    SDL_Rect bottom = {0, 240, 640, 240};
    SDL_FillRect(paletted, nullptr, 0);
    SDL_FillRect(paletted, &bottom, 1);
    writePicture(dir, "gfx/maski.png", paletted);
    EXPECT_EQ(pixels(load()), fromRGBA);
}

// The direct pass must give exactly what the SDL route gives, whatever the
// formats of the pictures.
TEST_F(Backdrop, DirectPassMatchesTheSdlRoute) {
    auto pattern = [](int x, int y, Uint8& r, Uint8& g, Uint8& b) {
        r = static_cast<Uint8>(x * 3 + y), g = static_cast<Uint8>(x ^ y), b = static_cast<Uint8>(255 - y);
    };
    writePngRGBA("rgba.png", 90, 70, pattern);
    writePicture(dir, "rgb.bmp", makePicture(90, 70, pattern));
    writePngRGBA("maskrgba.png", 640, 480, pattern);
    writePicture(dir, "maskrgb.bmp", makePicture(640, 480, pattern));
    SDL_Surface* paletted = SDL_CreateRGBSurface(SDL_SWSURFACE, 640, 480, 8, 0, 0, 0, 0);
    SDL_Color grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = {Uint8(i), Uint8(255 - i), Uint8(i / 2), 0};
    SDL_SetColors(paletted, grey, 0, 256);
    for (int y = 0; y < 480; ++y)
        std::memset(static_cast<Uint8*>(paletted->pixels) + y * paletted->pitch, y % 256, 640);
    writePicture(dir, "maskpal.bmp", paletted);

    for (const char* backgroundPath : {"rgba.png", "rgb.bmp"})
        for (const char* maskPath : {"maskrgba.png", "maskrgb.bmp", "maskpal.bmp"}) {
            SCOPED_TRACE(std::string(backgroundPath) + " " + maskPath);
            SDL_Surface* background = IMG_Load(backgroundPath);
            SDL_Surface* mask = IMG_Load(maskPath);
            ASSERT_TRUE(background && mask);
            SDL_Surface* direct = composeBackdrop(640, 480, background, mask);
            SDL_Surface* reference = composeBackdrop(640, 480, background, mask, false);
            ASSERT_TRUE(direct && reference);
            EXPECT_EQ(direct->flags, reference->flags);
            EXPECT_EQ(direct->format->alpha, reference->format->alpha);
            EXPECT_EQ(direct->format->colorkey, reference->format->colorkey);
            EXPECT_EQ(direct->format->BitsPerPixel, reference->format->BitsPerPixel);
            EXPECT_EQ(direct->format->Rmask, reference->format->Rmask);
            EXPECT_EQ(direct->format->Amask, reference->format->Amask);
            ASSERT_EQ(direct->pitch, reference->pitch);
            EXPECT_EQ(std::memcmp(direct->pixels, reference->pixels, direct->pitch * 480), 0);
            for (SDL_Surface* s : {direct, reference, background, mask}) SDL_FreeSurface(s);
        }
}

} // namespace
