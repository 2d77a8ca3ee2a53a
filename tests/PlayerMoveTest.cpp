// Walking, falling and dying on grids built by hand, driven by the scripted
// keyboard and direct calls of the player's update.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "platform/Platform.h"

namespace {

// '#' wall, '.' open, 'H' ladder, '~' deadly water, '^' deadly open square.
struct World {
    explicit World(std::initializer_list<const char*> rows) : level(nullptr, nullptr, 1), player(*level.player) {
        for (const char* text : rows) {
            std::vector<Cell*> row;
            for (const char* p = text; *p; ++p) {
                Cell* cell = new Cell;
                cell->passable = *p != '#';
                cell->ladder = *p == 'H';
                cell->liquid = *p == '~';
                cell->deadly = *p == '~' || *p == '^';
                row.push_back(cell);
            }
            level.grid.push_back(row);
        }
        level.rowCount = static_cast<int>(level.grid.size());
        level.columnCount = level.grid.empty() ? 0 : static_cast<int>(level.grid[0].size());
        // The durations of the real player sheet, without pictures.
        const int frames[PlayerStripCount] = {10, 10, 9, 9, 9, 9, 9, 9, 6, 6, 6};
        const int durations[PlayerStripCount] = {1, 1, 6, 6, 100, 100, 3, 3, 3, 3, 11};
        for (int i = 0; i < PlayerStripCount; ++i) {
            AnimStrip strip;
            strip.frameCount = frames[i];
            strip.frameDuration = durations[i];
            player.setStrip(i, strip);
        }
    }
    void frames(int count, uint32_t dt = 20) {
        for (int i = 0; i < count; ++i) player.update(dt);
    }
    platform::VirtualInput input;
    Level level;
    Player& player;
};

// Stands in a cell like a box would, at a height the test chooses.
struct Block : Item {
    Block() : Item(nullptr) {}
    void draw(int) override {}
    void update(uint32_t&, bool) override {}
    bool moveBy(double, double, bool&) override { return false; }
    bool isPassable() override { return false; }
    bool isFalling() override { return falling; }
    bool falling = false;
};

TEST(PlayerWalk, OneCellTakesSeventeenStepsAtTwentyMilliseconds) {
    World w({"......", "######"});
    w.player.setPosition(32, 0);
    w.input.keyboard.press(SDLK_RIGHT);

    w.frames(1);  // the walk starts but does not move yet
    EXPECT_TRUE(w.player.walking);
    EXPECT_EQ(w.player.x, 32);

    for (int step = 1; step <= 16; ++step) {
        w.frames(1);
        ASSERT_EQ(w.player.x, 32 + 2 * step) << "step " << step;
        ASSERT_TRUE(w.player.walking);
    }
    // 32 pixels covered is not yet the end; the 17th step overshoots to 66,
    // is rounded back onto the cell, and the held key starts the next walk
    // in the same frame.
    w.frames(1);
    EXPECT_EQ(w.player.x, 64);
    EXPECT_EQ(w.player.progress, 0);
    EXPECT_TRUE(w.player.walking);
    EXPECT_EQ(w.player.y, 0);

    w.input.keyboard.release(SDLK_RIGHT);
    w.frames(16);
    EXPECT_EQ(w.player.x, 96);
    w.frames(1);
    EXPECT_EQ(w.player.x, 96);
    EXPECT_FALSE(w.player.walking);
    w.frames(5);
    EXPECT_EQ(w.player.x, 96);
    EXPECT_EQ(w.player.facing, 1);
}

TEST(PlayerWalk, HugeFrameTimesMoveACellPerUpdateUntilBlocked) {
    World w({"......#", "#######"});
    w.player.setPosition(32, 0);
    w.input.keyboard.press(SDLK_RIGHT);
    w.frames(1, 330);  // starts the walk
    // Each update finishes a whole cell in one step and starts the next one.
    for (int column = 2; column <= 5; ++column) {
        w.frames(1, 330);
        ASSERT_EQ(w.player.x, column * 32);
    }
    EXPECT_FALSE(w.player.walking);  // the wall at column 6 stops it
    w.frames(3, 330);
    EXPECT_EQ(w.player.x, 160);
    EXPECT_EQ(w.player.y, 0);
}

// A step so long that it overshoots by half a cell or more would round the
// player into a cell nobody checked, here past the grid's open left edge.
TEST(PlayerWalk, AVeryLongFrameEndsTheWalkInTheCellItEntered) {
    World w({"...#", "####"});
    w.player.setPosition(32, 0);
    w.input.keyboard.press(SDLK_LEFT);
    w.frames(1, 20);   // starts the walk
    w.frames(1, 700);  // 70 pixels in one step
    EXPECT_EQ(w.player.x, 0);
    w.frames(3, 700);
    EXPECT_EQ(w.player.x, 0);
}

TEST(PlayerWalk, EdgesWallsAndItemsRefuseTheWalk) {
    World w({"..#.", "####"});
    w.player.setPosition(0, 0);
    w.input.keyboard.press(SDLK_LEFT);
    w.frames(3);  // column -1 lies outside the grid
    EXPECT_FALSE(w.player.walking);
    EXPECT_EQ(w.player.x, 0);
    EXPECT_EQ(w.player.facing, 1);

    // Left is tried first; when it is blocked the right arrow still counts.
    w.input.keyboard.press(SDLK_RIGHT);
    w.frames(1);
    EXPECT_TRUE(w.player.walking);
    EXPECT_EQ(w.player.facing, 1);
    w.input.keyboard.release(SDLK_LEFT);
    w.frames(17);
    EXPECT_EQ(w.player.x, 32);
    EXPECT_FALSE(w.player.walking);  // the wall at column 2
}

TEST(PlayerWalk, AnItemLevelWithThePlayerUnderTheTargetRefusesTheWalk) {
    World w({"...", "#.#", "###"});
    w.player.setPosition(0, 0);
    Block block;
    w.level.grid[1][1]->item = &block;
    block.y = 20;  // a box falling past, still within 30 pixels of the player's row
    w.input.keyboard.press(SDLK_RIGHT);
    w.frames(2);
    EXPECT_FALSE(w.player.walking);
    EXPECT_EQ(w.player.x, 0);

    block.y = 32;  // at rest in the row below: something to walk over
    w.frames(2);
    EXPECT_TRUE(w.player.walking);
    EXPECT_EQ(w.player.x, 2);
    w.level.grid[1][1]->item = nullptr;
}

TEST(PlayerFall, FallsAcceleratingAndLandsOnTheGround) {
    World w({"..", "..", "..", "..", "##"});
    w.player.setPosition(32, 0);
    int framesFallen = 0;
    double lastY = 0;
    do {
        w.frames(1);
        ++framesFallen;
        if (w.player.falling) {
            ASSERT_GT(w.player.y, lastY);
            lastY = w.player.y;
        }
    } while (w.player.falling && framesFallen < 100);
    // y after n frames is 0.1 n (n + 1): 93 after 30, past the top of the
    // ground row's neighbour after 31.
    EXPECT_EQ(framesFallen, 31);
    EXPECT_EQ(w.player.y, 96);
    EXPECT_EQ(w.player.fallSpeed, 0);
    w.frames(10);
    EXPECT_EQ(w.player.y, 96);
    EXPECT_FALSE(w.player.falling);
}

TEST(PlayerFall, AFastFallIsSnappedOntoGroundTwoRowsDown) {
    World w({".", ".", ".", "#"});
    w.player.setPosition(0, 0);
    w.player.fallSpeed = 40;
    w.frames(1);
    EXPECT_EQ(w.player.y, 64);
    EXPECT_EQ(w.player.fallSpeed, 0);
    EXPECT_FALSE(w.player.falling);

    // Slower, the same fall goes on normally.
    World slow({".", ".", ".", "#"});
    slow.player.setPosition(0, 0);
    slow.player.fallSpeed = 10;
    slow.frames(1);
    EXPECT_DOUBLE_EQ(slow.player.y, 10.2);
    EXPECT_TRUE(slow.player.falling);

    // With a free cell two rows down it is not snapped either.
    World deep({".", ".", ".", ".", "#"});
    deep.player.setPosition(0, 0);
    deep.player.fallSpeed = 40;
    deep.frames(1);
    EXPECT_DOUBLE_EQ(deep.player.y, 40.2);
    EXPECT_TRUE(deep.player.falling);
}

TEST(PlayerFall, TheTopOfALadderAndAFallingItemUnderfoot) {
    World w({"...", ".H.", ".H.", "###"});
    w.player.setPosition(32, 0);
    w.frames(20);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_FALSE(w.player.falling);
    // Inside the ladder, with more ladder below, the player stays put too.
    w.player.setPosition(32, 32);
    w.frames(20);
    EXPECT_EQ(w.player.y, 32);

    // Going down off the bottom of a ladder with nothing below is a fall.
    World open({".", "H", ".", ".", "#"});
    open.player.setPosition(0, 32);
    open.frames(1);
    EXPECT_TRUE(open.player.falling);
}

TEST(PlayerDeath, ADeadlyCellKillsAndNothingHappensAfterwards) {
    World w({".^..", "####"});
    w.player.setPosition(0, 0);
    w.input.keyboard.press(SDLK_RIGHT);
    w.frames(18);
    // The completed walk runs the update again, which finds the deadly cell.
    EXPECT_EQ(w.player.x, 32);
    EXPECT_TRUE(w.player.dead);
    w.input.keyboard.press(SDLK_x);
    w.frames(40);
    EXPECT_EQ(w.player.x, 32);
    EXPECT_TRUE(w.player.checkDeath());

    // Water kills as well; walking away from it afterwards is impossible.
    World water({"~.", "##"});
    water.player.setPosition(0, 0);
    water.frames(1);
    EXPECT_TRUE(water.player.dead);
}

TEST(PlayerDeath, OutsideTheGridThereIsNothingToDieOf) {
    World w({"..", "##"});
    for (auto [px, py] : {std::pair{-64.0, 0.0}, {0.0, -64.0}, {96.0, 0.0}, {0.0, 200.0}}) {
        w.player.setPosition(px, py);
        EXPECT_FALSE(w.player.checkDeath());
    }
    w.player.setPosition(-64, 300);
    w.frames(3);
    EXPECT_FALSE(w.player.dead);

    World empty(std::initializer_list<const char*>{});
    empty.input.keyboard.press(SDLK_RIGHT);
    empty.input.keyboard.press(SDLK_UP);
    empty.frames(5);
    EXPECT_FALSE(empty.player.dead);
    EXPECT_FALSE(empty.player.walking);
}

} // namespace
