#include <gtest/gtest.h>

#include "ItemGrid.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Goal.h"
#include "entities/Heavybox.h"

using itemgrid::Grid;

namespace {

// Pushes the item one cell the way the player does: small steps, then the
// placement on the next column.
void pushOneCell(Item& item, int dir, double step = 1.0) {
    bool flag = false;
    double start = item.x;
    for (double moved = 0; moved < 32; moved += step) item.moveBy(dir * step, 0, flag);
    item.placeAtX(start + 32 * dir);
}

TEST(Box, PushedOffALedgeFallsOnlyOnceThePushEnds) {
    Grid g({"....",
            "....",
            "##..",
            "####"});
    Box* box = g.put(new Box(32, 32, AnimStrip{}, &g.level, nullptr), 1, 1);
    EXPECT_FALSE(box->isFalling());
    EXPECT_TRUE(box->canMoveTo(2, 1, true));

    bool flag = false;
    for (int i = 0; i < 15; ++i) ASSERT_TRUE(box->moveBy(1, 0, flag));
    EXPECT_EQ(g.itemAt(1, 1), box);  // x = 47: still in its column
    ASSERT_TRUE(box->moveBy(1, 0, flag));
    EXPECT_EQ(g.itemAt(1, 1), nullptr);  // x = 48 rounds to the next column
    EXPECT_EQ(g.itemAt(2, 1), box);

    // Hanging over the edge, half-way through the push: no fall.
    EXPECT_FALSE(box->isFalling());
    Grid::run(*box, 10);
    EXPECT_EQ(box->y, 32);
    EXPECT_EQ(box->fallSpeed, 0);

    box->placeAtX(64);
    EXPECT_EQ(box->x, 64);
    EXPECT_EQ(g.itemAt(2, 1), box);
    EXPECT_TRUE(box->isFalling());

    Grid::run(*box, 1);
    EXPECT_GT(box->y, 32);
    EXPECT_EQ(g.itemAt(2, 1), nullptr);  // the box holds the row it enters
    EXPECT_EQ(g.itemAt(2, 2), box);
    Grid::run(*box, 100);
    EXPECT_EQ(box->y, 64);
    EXPECT_EQ(box->fallSpeed, 0);
    EXPECT_FALSE(box->isFalling());
    EXPECT_EQ(g.itemAt(2, 2), box);
}

TEST(Box, LandsRoundedAndNeverARowTooLow) {
    Grid g({"..",
            "..",
            "..",
            "..",
            "##"});
    Box* box = g.put(new Box(0, 0, AnimStrip{}, &g.level, nullptr), 0, 0);
    Grid::run(*box, 200, 20);
    EXPECT_EQ(box->y, 96);
    EXPECT_EQ(g.itemAt(0, 3), box);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(g.itemAt(0, r), nullptr);

    // Huge frame times: the step is held under half a cell, so the landing
    // snap cannot push the box into the floor row.
    Box* slow = g.put(new Box(32, 0, AnimStrip{}, &g.level, nullptr), 1, 0);
    Grid::run(*slow, 20, 5000);
    EXPECT_EQ(slow->y, 96);
    EXPECT_EQ(slow->fallSpeed, 0);
    EXPECT_EQ(g.itemAt(1, 3), slow);
    EXPECT_EQ(g.itemAt(1, 4), nullptr);
}

TEST(Box, BoxOnAFallingBoxFallsOnceItsSupportHasGone) {
    Grid g({".",
            ".",
            ".",
            ".",
            "#"});
    Box* upper = g.put(new Box(0, 0, AnimStrip{}, &g.level, nullptr), 0, 0);
    Box* lower = g.put(new Box(0, 32, AnimStrip{}, &g.level, nullptr), 0, 1);
    EXPECT_TRUE(lower->isFalling());
    EXPECT_FALSE(upper->isFalling());  // still standing on the lower box
    Grid::run(*upper, 1);
    EXPECT_EQ(upper->y, 0);

    Grid::run(*lower, 1);  // the lower box moves its registration down
    EXPECT_EQ(g.itemAt(0, 1), nullptr);
    EXPECT_TRUE(upper->isFalling());

    for (int i = 0; i < 100; ++i) {
        Grid::run(*lower, 1);
        Grid::run(*upper, 1);
    }
    EXPECT_EQ(lower->y, 96);
    EXPECT_EQ(upper->y, 64);
    EXPECT_EQ(g.itemAt(0, 3), lower);
    EXPECT_EQ(g.itemAt(0, 2), upper);
    EXPECT_FALSE(upper->isFalling());
}

TEST(Box, PushCarriesTheStackAndStopsAtWalls) {
    Grid g({"....",
            "....",
            "####"});
    Box* bottom = g.put(new Box(32, 32, AnimStrip{}, &g.level, nullptr), 1, 1);
    Box* stacked = g.put(new Box(32, 0, AnimStrip{}, &g.level, nullptr), 1, 0);
    ASSERT_TRUE(bottom->canMoveTo(2, 1, true));
    pushOneCell(*bottom, +1);
    EXPECT_EQ(bottom->x, 64);
    EXPECT_EQ(stacked->x, 64);
    EXPECT_EQ(g.itemAt(2, 1), bottom);
    EXPECT_EQ(g.itemAt(2, 0), stacked);
    EXPECT_EQ(g.itemAt(1, 1), nullptr);
    EXPECT_EQ(g.itemAt(1, 0), nullptr);

    pushOneCell(*bottom, -1);
    EXPECT_EQ(bottom->x, 32);
    EXPECT_EQ(stacked->x, 32);

    // Against the right wall of the grid: refused, nothing moves.
    Box* edge = g.put(new Box(96, 32, AnimStrip{}, &g.level, nullptr), 3, 1);
    bool flag = false;
    EXPECT_FALSE(edge->canMoveTo(4, 1, true));
    EXPECT_FALSE(edge->moveBy(1, 0, flag));
    EXPECT_EQ(edge->x, 96);
    // A box is not free for another box.
    EXPECT_FALSE(g.level.isFree(3, 1, bottom));
}

TEST(Box, HeavyBoxRules) {
    Grid g({"......",
            "......",
            "######"});
    // A wooden box with a heavy box on it cannot be pushed.
    Box* wooden = g.put(new Box(0, 32, AnimStrip{}, &g.level, nullptr), 0, 1);
    g.put(new Heavybox(0, 0, AnimStrip{}, &g.level, nullptr), 0, 0);
    EXPECT_FALSE(wooden->canMoveTo(1, 1, true));

    // A heavy box alone moves only when the player pushes it.
    Heavybox* heavy = g.put(new Heavybox(64, 32, AnimStrip{}, &g.level, nullptr), 2, 1);
    EXPECT_TRUE(heavy->canMoveTo(3, 1, true));
    EXPECT_FALSE(heavy->canMoveTo(3, 1, false));

    // With a wooden box on top it is pinned.
    Box* rider = g.put(new Box(64, 0, AnimStrip{}, &g.level, nullptr), 2, 0);
    EXPECT_FALSE(heavy->canMoveTo(3, 1, true));
    rider->destroy();

    // With a bomb on top it moves, and takes the bomb along.
    Bomb* bomb = g.add(new Bomb(0, 0, AnimStrip{}, AnimStrip{}, &g.rubble, nullptr));
    bomb->placeAt(64, 0);
    EXPECT_TRUE(heavy->canMoveTo(3, 1, true));
    pushOneCell(*heavy, +1);
    EXPECT_EQ(heavy->x, 96);
    EXPECT_EQ(bomb->x, 96);
    EXPECT_EQ(bomb->column, 3);
    EXPECT_EQ(g.itemAt(3, 0), bomb);
    EXPECT_EQ(g.itemAt(3, 1), heavy);

    // A goal above the box cannot come along, so the box stays.
    Box* underGoal = g.put(new Box(160, 32, AnimStrip{}, &g.level, nullptr), 5, 1);
    g.put(new Goal(160, 0, AnimStrip{}, nullptr), 5, 0);
    EXPECT_FALSE(underGoal->canMoveTo(4, 1, true));
}

TEST(Box, DestroyedBoxesLeaveTheGridAndHeavyBoxesStay) {
    Grid g({"...",
            "...",
            "###"});
    Box* box = g.put(new Box(0, 32, AnimStrip{}, &g.level, nullptr), 0, 1);
    box->destroy();
    EXPECT_TRUE(box->isDestroyed());
    EXPECT_EQ(g.itemAt(0, 1), nullptr);
    EXPECT_FALSE(box->isFalling());

    Heavybox* heavy = g.put(new Heavybox(32, 32, AnimStrip{}, &g.level, nullptr), 1, 1);
    heavy->destroy();
    EXPECT_FALSE(heavy->isDestroyed());
    EXPECT_EQ(g.itemAt(1, 1), heavy);

    // A box blasted while falling releases the row it was entering.
    Box* falling = g.put(new Box(64, 0, AnimStrip{}, &g.level, nullptr), 2, 0);
    Grid::run(*falling, 3);
    ASSERT_EQ(g.itemAt(2, 1), falling);
    falling->destroy();
    EXPECT_EQ(g.itemAt(2, 0), nullptr);
    EXPECT_EQ(g.itemAt(2, 1), nullptr);
    double y = falling->y;
    Grid::run(*falling, 5);
    EXPECT_EQ(falling->y, y);  // no longer updated
}

TEST(Box, DrawsItsFrameUnlessDestroyed) {
    Grid g({"...",
            "###"});
    Box* box = g.put(new Box(32, 0, itemgrid::colourStrip(32, 32, 1, 1000, 200, 100), &g.level, nullptr), 1, 0);
    itemgrid::clearScreen(0, 0, 0);
    box->draw(1);
    EXPECT_EQ(itemgrid::pixel(32, 0), (itemgrid::RGB{200, 100, 0}));
    EXPECT_EQ(itemgrid::pixel(63, 31), (itemgrid::RGB{200, 100, 0}));
    EXPECT_EQ(itemgrid::pixel(64, 0), (itemgrid::RGB{0, 0, 0}));
    itemgrid::clearScreen(0, 0, 0);
    box->destroy();
    box->draw(1);
    EXPECT_EQ(itemgrid::pixel(32, 0), (itemgrid::RGB{0, 0, 0}));
}

} // namespace
