#include <gtest/gtest.h>

#include "LevelTestData.h"
#include "TestSupport.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/Tileset.h"

using namespace leveldata;
using testsupport::ScratchDir;

namespace {

struct Tileset : ::testing::Test {
    Tileset() : player(32, 0, nullptr, nullptr) {
        testsupport::screen();
        writeWorldPictures(dir);
    }
    // Reads the description with the given entries into `table`; "" or the error.
    std::string identify(const std::string& entries, int scale = 1) {
        writeDescription(dir, entries);
        return identifyFile("desc.txt", scale);
    }
    std::string identifyFile(const std::string& path, int scale = 1) {
        table.clear();
        return loadErrorOf([&] { identifySprites(table, path, player, scale); });
    }
    void expectTile(SDL_Surface* sprite, int x, int y, int column, int row) {
        ASSERT_NE(sprite, nullptr);
        Uint8 r, g, b, er, eg, eb;
        testsupport::pixelRGB(sprite, x, y, r, g, b);
        tileColour(column, row, er, eg, eb);
        EXPECT_EQ(r, er) << "at " << x << "," << y;
        EXPECT_EQ(g, eg) << "at " << x << "," << y;
        EXPECT_EQ(b, eb) << "at " << x << "," << y;
    }
    ScratchDir dir;
    Player player;
    SpriteTable table;
};

TEST_F(Tileset, EntriesMakePrototypesWithTheirTilesAndFlags) {
    ASSERT_EQ(identify("# 0 3 1\n$ 1 1 0\n? 1 2 0\n. 1 0 2\n"), "");
    const Cell* wall = table.findPrototype('#');
    ASSERT_NE(wall, nullptr);
    EXPECT_FALSE(wall->passable || wall->deadly || wall->liquid || wall->ladder);
    EXPECT_EQ(wall->item, nullptr);
    EXPECT_EQ(wall->sprite->w, 32);
    EXPECT_EQ(wall->sprite->h, 32);
    EXPECT_EQ(wall->sprite->format->BitsPerPixel, SDL_GetVideoSurface()->format->BitsPerPixel);
    expectTile(wall->sprite, 0, 0, 3, 1);  // the tile at (96, 32)
    expectTile(wall->sprite, 31, 31, 3, 1);

    const Cell* water = table.findPrototype('$');
    EXPECT_TRUE(water->passable && water->deadly && water->liquid && !water->ladder);
    const Cell* ladder = table.findPrototype('?');
    EXPECT_TRUE(ladder->passable && ladder->ladder && !ladder->deadly && !ladder->liquid);
    const Cell* open = table.findPrototype('.');
    EXPECT_TRUE(open->passable && !open->deadly && !open->liquid && !open->ladder);
    EXPECT_EQ(table.findPrototype('x'), nullptr);
}

TEST_F(Tileset, SpacedTilesAndScale) {
    writeTileSheet(dir, "spaced.png", 6, 6, 33);
    dir.writeFile("spaced.txt", "spaced.png\n33 33 rest ignored\nplayer.png\n# 0 3 1\n");
    ASSERT_EQ(identifyFile("spaced.txt"), "");
    expectTile(table.findPrototype('#')->sprite, 0, 0, 3, 1);
    expectTile(table.findPrototype('#')->sprite, 31, 31, 3, 1);

    // At scale 2 the unscaled tile fills the top-left corner only.
    ASSERT_EQ(identify("# 0 3 1\n", 2), "");
    SDL_Surface* big = table.findPrototype('#')->sprite;
    EXPECT_EQ(big->w, 64);
    EXPECT_EQ(big->h, 64);
    expectTile(big, 31, 31, 3, 1);
}

TEST_F(Tileset, MissingFieldsCarryOver) {
    // A blank first entry is the key ' ': a wall showing tile (0, 0).
    ASSERT_EQ(identify("\n# 1 3 2\n. 0\n?\n"), "");
    const Cell* blank = table.findPrototype(' ');
    ASSERT_NE(blank, nullptr);
    EXPECT_FALSE(blank->passable);
    expectTile(blank->sprite, 0, 0, 0, 0);
    // '.' keeps column 3 and row 2; '?' keeps passable 0 as well.
    expectTile(table.findPrototype('.')->sprite, 0, 0, 3, 2);
    EXPECT_FALSE(table.findPrototype('.')->passable);
    ASSERT_NE(table.findPrototype('?'), nullptr);
    expectTile(table.findPrototype('?')->sprite, 0, 0, 3, 2);
    EXPECT_TRUE(table.findPrototype('?')->ladder);

    // The rubble key is the single byte 0xA7; a two-byte sign defines its first byte.
    ASSERT_EQ(identify("\xA7 1 4 4\n"), "");
    EXPECT_NE(table.findPrototype(0xA7), nullptr);
    ASSERT_EQ(identify("\xC2\xA7 1 4 4\n"), "");
    EXPECT_EQ(table.findPrototype(0xA7), nullptr);
    EXPECT_NE(table.findPrototype(0xC2), nullptr);
}

TEST_F(Tileset, Errors) {
    EXPECT_EQ(identify("# 0 3 1\n. 1 0 0\n# 1 1 1\n"), "Identified -#- is not unique!.");
    // A blank line after an entry repeats its key.
    EXPECT_EQ(identify("# 0 3 1\n. 1 0 0\n\n"), "Identified -.- is not unique!.");
    EXPECT_EQ(identify("# 0 3 1\r\n. 1 0 0\r\n"), "");  // carriage returns are no keys

    dir.writeFile("nosheet.txt", "tiles.png\n32 32\nnobody.png\n# 0 0 0\n");
    EXPECT_EQ(identifyFile("nosheet.txt"), "Player sprite nobody.png not found.");
    EXPECT_EQ(identifyFile("missing.txt"), "Player sprite  not found.");
    // A missing tileset image is not reported.
    dir.writeFile("notiles.txt", "none.png\n32 32\nplayer.png\n# 0 0 0\n");
    EXPECT_EQ(identifyFile("notiles.txt"), "");
    EXPECT_NE(table.findPrototype('#'), nullptr);
}

TEST_F(Tileset, ThreeLineDescriptionDefinesNothing) {
    ASSERT_EQ(identify(""), "");
    EXPECT_TRUE(table.empty());

    // Every grid byte of a level using it makes no cell.
    dir.writeFile("test.lev", "desc.txt\nback.png\n2\n####\n####\n");
    Level level("test.lev", testsupport::screen(), nullptr, 1, false);
    EXPECT_EQ(level.rowCount, 2);
    EXPECT_EQ(level.columnCount, 0);
    EXPECT_TRUE(level.grid[1].empty());
}

TEST_F(Tileset, PlayerStripsComeFromTheirBands) {
    ASSERT_EQ(identify("# 0 0 0\n"), "");
    struct Expected {
        int index, top, width, height, frames, duration;
    } expected[] = {
        {WalkRight, 64, 320, 32, 10, 1},      {WalkLeft, 96, 320, 32, 10, 1},
        {JumpLeft, 416, 288, 32, 9, 6},       {JumpRight, 384, 288, 32, 9, 6},
        {PlaceBombLeft, 352, 288, 32, 9, 100}, {PlaceBombRight, 320, 288, 32, 9, 100},
        {StepUpLeft, 256, 576, 64, 9, 3},     {StepUpRight, 192, 576, 64, 9, 3},
        {PushLeft, 480, 192, 32, 6, 3},       {PushRight, 448, 192, 32, 6, 3},
        {LadderStrip, 512, 192, 32, 6, 11},
    };
    for (const Expected& e : expected) {
        const AnimStrip& strip = player.strips[e.index];
        SCOPED_TRACE(e.index);
        EXPECT_EQ(strip.width, e.width);
        EXPECT_EQ(strip.height, e.height);
        EXPECT_EQ(strip.frameCount, e.frames);
        EXPECT_EQ(strip.frameDuration, e.duration);
        EXPECT_EQ(strip.currentFrame, 0);
        EXPECT_EQ(strip.elapsed, 0);
        ASSERT_NE(strip.surface, nullptr);
        // The player sheet has one colour per 32-pixel band.
        for (int y : {0, strip.height - 1}) {
            Uint8 r, g, b;
            testsupport::pixelRGB(strip.surface, strip.width - 1, y, r, g, b);
            EXPECT_EQ(r, (e.top + y) / 32 * 10);
            EXPECT_EQ(g, 255 - (e.top + y) / 32 * 10);
        }
    }
    // The table keeps the strips' surfaces, which the player only borrows.
    EXPECT_EQ(table.playerStrips.size(), 11u);
}

} // namespace
