#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "LevelTestData.h"
#include "TestSupport.h"
#include "entities/Bgitem.h"
#include "entities/Bgwater.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Goal.h"
#include "entities/Heavybox.h"
#include "entities/Player.h"
#include "entities/Treasure.h"
#include "level/ItemRecords.h"
#include "level/WholeNumber.h"
#include "common/Lint.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "level/Vocabulary.h"

using namespace leveldata;
using testsupport::ScratchDir;

namespace {

TEST(ParseInt, ReadsALeadingNumber) {
    EXPECT_EQ(parseInt("12"), 12);
    EXPECT_EQ(parseInt("12abc"), 12);
    EXPECT_EQ(parseInt("-7"), -7);
    EXPECT_EQ(parseInt("+3"), 3);
    EXPECT_EQ(parseInt("abc"), 0);
    EXPECT_EQ(parseInt("x12"), 0);
    EXPECT_EQ(parseInt(""), 0);
    EXPECT_EQ(parseInt("-"), 0);
    EXPECT_EQ(parseInt("2147483647"), INT_MAX);
    EXPECT_EQ(parseInt("-2147483648"), INT_MIN);
    EXPECT_EQ(parseInt("2147483648"), 0);
    EXPECT_EQ(parseInt("99999999999999999999"), 0);
}

// A 6 x 6 level of open squares inside walls, its last row one cell short
// (the byte 'x' has no prototype), and the items' sheet in place.
struct ItemRecords : ::testing::Test {
    ItemRecords() {
        testsupport::screen();
        writeWorldPictures(dir);
        writeDescription(dir, kEntries);
        writeLevel(dir, "test.lev", "6", "######\n#....#\n#....#\n#....#\n#....#\n#x####\n");
        level = std::make_unique<Level>("test.lev", testsupport::screen(), nullptr, 1, false);
    }
    std::string place(const std::string& name, const std::vector<std::string>& attributes, bool* silent = nullptr) {
        return loadErrorOf([&] { placeItem(*level, name, attributes, &sheet); }, silent);
    }
    bool gridHoldsItems() const {
        for (const auto& row : level->grid)
            for (const Cell* cell : row)
                if (cell->item) return true;
        return false;
    }
    void expectSheetTile(const AnimStrip& strip, int x, int y, int column, int row) {
        ASSERT_NE(strip.surface, nullptr);
        Uint8 r, g, b, er, eg, eb;
        testsupport::pixelRGB(strip.surface, x, y, r, g, b);
        tileColour(column, row, er, eg, eb);
        EXPECT_EQ(r, er);
        EXPECT_EQ(g, eg);
        EXPECT_EQ(b, eb);
    }
    ScratchDir dir;
    std::unique_ptr<Level> level;
    ItemSheet sheet;
};

TEST_F(ItemRecords, TreasureIsListedTwiceAndRegistered) {
    ASSERT_EQ(place("treasure", {"3", "4"}), "");
    ASSERT_EQ(level->items.size(), 1u);
    ASSERT_EQ(level->treasures.size(), 1u);
    Treasure* treasure = level->treasures[0];
    EXPECT_EQ(level->items[0], treasure);
    EXPECT_EQ(treasure->x, 96);
    EXPECT_EQ(treasure->y, 128);
    EXPECT_EQ(level->cellAt(3, 4)->item, treasure);
    EXPECT_EQ(Item::currentLevel, level.get());
    EXPECT_EQ(Item::currentPlayer, level->player);
    EXPECT_EQ(Item::screen, level->screen);

    EXPECT_EQ(treasure->baseStrip.width, 32);
    EXPECT_EQ(treasure->baseStrip.frameCount, 1);
    EXPECT_EQ(treasure->baseStrip.frameDuration, 1024);
    EXPECT_EQ(treasure->treasureStrip.width, 192);
    EXPECT_EQ(treasure->treasureStrip.frameCount, 6);
    EXPECT_EQ(treasure->treasureStrip.frameDuration, 166);
    expectSheetTile(treasure->baseStrip, 0, 0, 8, 6);
    expectSheetTile(treasure->treasureStrip, 191, 31, 6, 6);
}

TEST_F(ItemRecords, UnknownNamesAndCountsAreErrors) {
    EXPECT_EQ(place("treasure", {"3", "4", "5"}), "Error while parsing item treasure with 3 attributes. Unknown item.");
    EXPECT_EQ(place("box", {"1"}), "Error while parsing item box with 1 attributes. Unknown item.");
    EXPECT_EQ(place("Plr", {"1", "1"}), "Error while parsing item Plr with 2 attributes. Unknown item.");
    EXPECT_EQ(place("bgitem", {"1", "1"}), "Error while parsing item bgitem with 2 attributes. Unknown item.");
    EXPECT_TRUE(level->items.empty());
}

TEST_F(ItemRecords, PlayerMovesWithEveryRecord) {
    level->player->setPosition(200, 300);
    ASSERT_EQ(place("plr", {"5", "2"}), "");
    EXPECT_EQ(level->player->x, 160);
    EXPECT_EQ(level->player->y, 64);
    ASSERT_EQ(place("plr", {"1", "3"}), "");
    EXPECT_EQ(level->player->x, 32);
    EXPECT_EQ(level->player->y, 96);
}

TEST_F(ItemRecords, BombsGoToThePlayerNotTheGrid) {
    ASSERT_EQ(place("bomb", {"3"}), "");
    ASSERT_EQ(level->items.size(), 3u);
    ASSERT_EQ(level->player->bombs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        Bomb* bomb = dynamic_cast<Bomb*>(level->items[i]);
        ASSERT_NE(bomb, nullptr);
        EXPECT_EQ(level->player->bombs[i], bomb);
        EXPECT_EQ(bomb->x, 0);
        EXPECT_EQ(bomb->y, 0);
        // One set of strips for the record, freed by its first bomb.
        EXPECT_EQ(bomb->ownsStrips, i == 0);
        EXPECT_EQ(bomb->strip.surface, level->player->bombs[0]->strip.surface);
        EXPECT_EQ(bomb->blastStrip.surface, level->player->bombs[0]->blastStrip.surface);
    }
    const Bomb* first = level->player->bombs[0];
    EXPECT_EQ(first->strip.width, 160);
    EXPECT_EQ(first->strip.frameCount, 5);
    EXPECT_EQ(first->strip.frameDuration, 1000);
    EXPECT_EQ(first->blastStrip.width, 864);
    EXPECT_EQ(first->blastStrip.height, 64);
    EXPECT_EQ(first->blastStrip.frameCount, 9);
    EXPECT_EQ(first->blastStrip.frameDuration, 100);
    expectSheetTile(first->strip, 0, 0, 2, 3);
    expectSheetTile(first->blastStrip, 863, 63, 26, 11);  // the sheet is 27 tiles wide
    EXPECT_FALSE(gridHoldsItems());

    ASSERT_EQ(place("bomb", {"0"}), "");
    EXPECT_EQ(level->items.size(), 3u);
    bool silent = false;
    place("bomb", {"-1"}, &silent);
    EXPECT_TRUE(silent);
    EXPECT_EQ(level->items.size(), 3u);
}

TEST_F(ItemRecords, BombsNeedARubbleCell) {
    Cell*& rubble = level->spriteTable.prototypes[0xA7];
    SDL_FreeSurface(rubble->sprite);
    delete rubble;
    rubble = nullptr;
    EXPECT_EQ(place("bomb", {"0"}), "");
    EXPECT_EQ(place("bomb", {"1"}), "Error while parsing item bomb. The tileset defines no rubble cell (key 167).");
    EXPECT_TRUE(level->items.empty());
}

TEST_F(ItemRecords, BackgroundItemsStayOutOfTheGrid) {
    ASSERT_EQ(place("bgitem", {"2", "2", "#wall"}), "");
    ASSERT_EQ(level->items.size(), 1u);
    Bgitem* decoration = dynamic_cast<Bgitem*>(level->items[0]);
    ASSERT_NE(decoration, nullptr);
    EXPECT_EQ(decoration->x, 64);
    EXPECT_EQ(decoration->y, 64);
    EXPECT_EQ(decoration->strip.surface, level->spriteTable.findPrototype('#')->sprite);
    EXPECT_EQ(decoration->strip.width, 32);
    EXPECT_EQ(decoration->strip.height, 32);
    EXPECT_EQ(decoration->strip.currentFrame, 0);
    EXPECT_EQ(level->cellAt(2, 2)->item, nullptr);

    ASSERT_EQ(place("bgitem", {"1", "3", "a", "b"}), "");
    Bgwater* water = dynamic_cast<Bgwater*>(level->items[1]);
    ASSERT_NE(water, nullptr);
    EXPECT_EQ(water->x, 32);
    EXPECT_EQ(water->y, 96);
    EXPECT_EQ(water->strip.surface, nullptr);
    EXPECT_EQ(water->strip.width, 0);
    EXPECT_EQ(water->strip.frameCount, 0);
    EXPECT_FALSE(gridHoldsItems());

    EXPECT_EQ(place("bgitem", {"1", "1", "k"}),
              "Error while parsing item bgitem with key k. The tileset does not define it.");
}

TEST_F(ItemRecords, BoxesAndPlacement) {
    ASSERT_EQ(place("box", {"1", "2"}), "");
    ASSERT_EQ(place("water", {"1", "2"}), "");
    EXPECT_TRUE(level->items.empty());
    EXPECT_FALSE(gridHoldsItems());

    // A word that is no whole number is refused, never read as another number.
    EXPECT_EQ(place("wooden_box", {"left", "2"}), badNumberMessage("wooden_box", "left"));
    EXPECT_EQ(place("wooden_box", {"0", "2x"}), badNumberMessage("wooden_box", "2x"));
    ASSERT_EQ(place("wooden_box", {"0", "2"}), "");
    Box* box = dynamic_cast<Box*>(level->items[0]);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->x, 0);
    EXPECT_EQ(box->y, 64);
    EXPECT_EQ(box->level, level.get());
    EXPECT_EQ(level->cellAt(0, 2)->item, box);
    expectSheetTile(box->strip, 0, 0, 0, 6);

    ASSERT_EQ(place("heavy_box", {"2", "3"}), "");
    Heavybox* heavy = dynamic_cast<Heavybox*>(level->items[1]);
    ASSERT_NE(heavy, nullptr);
    expectSheetTile(heavy->strip, 0, 0, 1, 7);

    // Two items on one square: the later one is registered, both are kept.
    ASSERT_EQ(place("goal", {"4", "1"}), "");
    ASSERT_EQ(place("wooden_box", {"4", "1"}), "");
    ASSERT_EQ(level->items.size(), 4u);
    Goal* goal = dynamic_cast<Goal*>(level->items[2]);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->strip.width, 160);
    EXPECT_EQ(goal->strip.height, 64);
    EXPECT_EQ(goal->strip.frameDuration, 400);
    expectSheetTile(goal->strip, 159, 63, 7, 8);
    EXPECT_EQ(level->cellAt(4, 1)->item, level->items[3]);
    EXPECT_TRUE(level->treasures.empty());
}

TEST_F(ItemRecords, PlacedItemsNeedACell) {
    EXPECT_EQ(place("treasure", {"6", "1"}),
              "Error while parsing item treasure at column 6, row 1. There is no such cell.");
    EXPECT_EQ(place("goal", {"-1", "0"}), "Error while parsing item goal at column -1, row 0. There is no such cell.");
    EXPECT_EQ(place("wooden_box", {"1", "6"}),
              "Error while parsing item wooden_box at column 1, row 6. There is no such cell.");
    // The last row is one cell short.
    EXPECT_EQ(place("heavy_box", {"5", "5"}),
              "Error while parsing item heavy_box at column 5, row 5. There is no such cell.");
    EXPECT_EQ(place("heavy_box", {"4", "5"}), "");
    EXPECT_EQ(level->items.size(), 1u);
}

TEST_F(ItemRecords, OneSheetServesEveryRecordAlike) {
    ASSERT_EQ(place("goal", {"1", "1"}), "");
    SDL_Surface* decoded = sheet.tileset;
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(place("goal", {"2", "1"}), "");
    EXPECT_EQ(sheet.tileset, decoded);
    // Without a shared sheet each record decodes its own, with the same result.
    placeItem(*level, "goal", {"3", "1"});
    ASSERT_EQ(level->items.size(), 3u);
    SDL_Surface* shared = static_cast<Goal*>(level->items[0])->strip.surface;
    SDL_Surface* own = static_cast<Goal*>(level->items[2])->strip.surface;
    ASSERT_EQ(shared->w, own->w);
    ASSERT_EQ(shared->h, own->h);
    for (int y = 0; y < own->h; ++y)
        for (int x = 0; x < own->w; x += 7) {
            Uint8 r1, g1, b1, r2, g2, b2;
            testsupport::pixelRGB(shared, x, y, r1, g1, b1);
            testsupport::pixelRGB(own, x, y, r2, g2, b2);
            ASSERT_TRUE(r1 == r2 && g1 == g2 && b1 == b2) << x << "," << y;
        }
}

} // namespace

// A level's items and cells are capped, so that no file within the size
// cap costs seconds or hundreds of megabytes; the lint says the same.
TEST_F(ItemRecords, ItemsAndCellsAreCapped) {
    for (size_t i = 1; i < kMaxItems; ++i) EXPECT_EQ(place("bgitem", {"1", "1", "#"}), "");
    EXPECT_EQ(place("bomb", {"2"}), "Error while parsing item bomb. A level holds at most 512 items.");
    EXPECT_EQ(place("treasure", {"1", "1"}), "");
    EXPECT_EQ(place("treasure", {"1", "1"}), "Error while parsing item treasure. A level holds at most 512 items.");
    EXPECT_EQ(place("plr", {"1", "1"}), "");

    LevelText text = parseLevelText("desc.txt\nback.png\n2\n" + std::string(kMaxCells / 2, '#') + "\n" +
                                    std::string(kMaxCells / 2 + 1, '#') + "\n");
    EXPECT_EQ(loadErrorOf([&] { Level big(text, testsupport::screen(), nullptr, 1, false); }),
              "ERROR: Level is too large! It has more than 65536 cells.");
    const LevelText lines = parseLevelText("desc.txt\nback.png\n0\n" + std::string(kMaxRecordLines + 1, '\n'));
    EXPECT_EQ(lines.records.size(), kMaxRecordLines);
    EXPECT_EQ(lines.overflowLine, kMaxRecordLines + 4);
    text.grid[1].bytes.pop_back();
    text.records.assign(kMaxItems + 1, RecordLine{"goal", {"0", "0"}, 9});
    std::string errors;
    for (const LintMessage& message : lintLevelText(text, "big.lev"))
        if (message.error) errors += formatLintMessage(message) + "\n";
    EXPECT_EQ(errors, "big.lev:9: error: Error while parsing item goal. A level holds at most 512 items.\n");
}
