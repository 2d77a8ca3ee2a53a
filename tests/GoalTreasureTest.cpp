#include <gtest/gtest.h>

#include "ItemGrid.h"
#include "entities/Goal.h"
#include "entities/Treasure.h"

using itemgrid::Grid;
using itemgrid::RGB;

namespace {

void step(Item& item, uint32_t dt, bool won) { item.update(dt, won); }

TEST(Goal, ReachedOnlyWithinLessThanOnePixel) {
    Grid g({"....",
            "####"});
    Goal* goal = g.put(new Goal(64, 0, AnimStrip{}, nullptr), 2, 0);
    Player& player = g.player();
    const double offsets[][2] = {{0, 0}, {0.5, 0}, {0.7, -0.7}, {1, 0}, {0, -1}, {0.8, 0.8}, {-31, 0}};
    const bool reached[] = {true, true, true, false, false, false, false};
    for (int i = 0; i < 7; ++i) {
        player.setPosition(64 + offsets[i][0], offsets[i][1]);
        step(*goal, 20, false);
        EXPECT_EQ(player.hasReachedGoal(), reached[i]) << "case " << i;
    }
    // Walking across the goal's cell touches it on the frame it passes.
    bool touched = false;
    for (double x = 32; x <= 96; x += 2) {
        player.setPosition(x, 0);
        step(*goal, 20, false);
        touched = touched || player.hasReachedGoal();
    }
    EXPECT_TRUE(touched);
    EXPECT_FALSE(player.hasReachedGoal());  // rewritten every frame
}

TEST(Goal, WithSeveralGoalsTheLastOneUpdatedDecides) {
    Grid g({"....",
            "####"});
    Goal* first = g.put(new Goal(0, 0, AnimStrip{}, nullptr), 0, 0);
    Goal* last = g.put(new Goal(96, 0, AnimStrip{}, nullptr), 3, 0);
    g.player().setPosition(0, 0);
    step(*first, 20, false);
    EXPECT_TRUE(g.player().hasReachedGoal());
    step(*last, 20, false);
    EXPECT_FALSE(g.player().hasReachedGoal());
    g.player().setPosition(96, 0);
    step(*first, 20, false);
    step(*last, 20, false);
    EXPECT_TRUE(g.player().hasReachedGoal());
}

TEST(Goal, OpensOnceWhenWonAndStaysOnItsLastFrame) {
    Grid g({"..", "##"});
    Goal* goal = g.put(new Goal(0, 32, itemgrid::colourStrip(32, 64, 5, 400, 30, 60), nullptr), 0, 1);
    for (int i = 0; i < 100; ++i) step(*goal, 20, false);
    EXPECT_EQ(goal->strip.currentFrame, 0);  // nothing moves before the win

    int frames = 0;
    while (!goal->opened && frames < 1000) {
        step(*goal, 20, true);
        ++frames;
    }
    ASSERT_TRUE(goal->opened);
    EXPECT_EQ(goal->strip.currentFrame, 4);
    EXPECT_EQ(frames, 5 * 21);  // each 400 ms frame lasts until elapsed passes 400
    for (int i = 0; i < 500; ++i) step(*goal, 20, true);
    EXPECT_EQ(goal->strip.currentFrame, 4);

    // Drawn 32 x 64, reaching one cell above its own.
    itemgrid::clearScreen(0, 0, 0);
    goal->draw(1);
    EXPECT_EQ(itemgrid::pixel(0, 0), (RGB{30, 60, 40}));
    EXPECT_EQ(itemgrid::pixel(31, 63), (RGB{30, 60, 40}));
    EXPECT_EQ(itemgrid::pixel(32, 0), (RGB{0, 0, 0}));
    EXPECT_EQ(itemgrid::pixel(0, 64), (RGB{0, 0, 0}));
}

TEST(Treasure, CollectedByAPlayerCloserThanEightPixels) {
    Grid g({"....",
            "####"});
    Treasure* treasure = g.put(new Treasure(64, 0, AnimStrip{}, AnimStrip{}, nullptr), 2, 0);
    g.player().setPosition(72, 0);
    step(*treasure, 20, false);
    EXPECT_FALSE(treasure->collected);
    g.player().setPosition(64 - 5, 5);
    step(*treasure, 20, false);
    EXPECT_TRUE(treasure->collected);
    g.player().setPosition(-1000, 0);
    step(*treasure, 20, false);
    EXPECT_TRUE(treasure->collected);  // never reverts

    // A player dropping past in big steps still picks it up when one of his
    // frames comes close enough.
    Treasure* other = g.put(new Treasure(0, 0, AnimStrip{}, AnimStrip{}, nullptr), 0, 0);
    for (double y = -60; y < 60 && !other->collected; y += 7) {
        g.player().setPosition(3, y);
        step(*other, 20, false);
    }
    EXPECT_TRUE(other->collected);
}

TEST(Treasure, FallsAndLandsLikeABoxEvenWhenCollected) {
    Grid g({"..",
            "..",
            "..",
            "##"});
    Treasure* treasure = g.put(new Treasure(32, 0, AnimStrip{}, AnimStrip{}, nullptr), 1, 0);
    g.player().setPosition(32, 0);
    step(*treasure, 20, false);
    EXPECT_TRUE(treasure->collected);
    g.player().setPosition(-1000, 0);
    bool leftFirstRow = false;
    for (int i = 0; i < 200; ++i) {
        step(*treasure, 20, false);
        if (treasure->y > 16 && treasure->y < 32) {
            // Past half a cell it is registered in the row it is entering.
            EXPECT_EQ(g.itemAt(1, 1), treasure);
            EXPECT_EQ(g.itemAt(1, 0), nullptr);
            EXPECT_TRUE(treasure->isFalling());
            leftFirstRow = true;
        }
    }
    EXPECT_TRUE(leftFirstRow);
    EXPECT_EQ(treasure->y, 64);
    EXPECT_EQ(treasure->fallSpeed, 0);
    EXPECT_FALSE(treasure->isFalling());
    EXPECT_EQ(g.itemAt(1, 2), treasure);
    EXPECT_EQ(g.itemAt(1, 1), nullptr);
    EXPECT_EQ(g.itemAt(1, 0), nullptr);

    // Huge frame times do not sink it into the floor.
    Treasure* slow = g.put(new Treasure(0, 0, AnimStrip{}, AnimStrip{}, nullptr), 0, 0);
    for (int i = 0; i < 20; ++i) step(*slow, 5000, false);
    EXPECT_EQ(slow->y, 64);
    EXPECT_EQ(g.itemAt(0, 2), slow);
}

TEST(Treasure, DrawsItsBaseAlwaysAndTheTreasureUntilCollected) {
    Grid g({"..", "##"});
    Treasure* treasure = g.put(new Treasure(32, 0, itemgrid::colourStrip(32, 32, 1, 1024, 0, 90),
                                            itemgrid::colourStrip(32, 32, 6, 166, 220, 200), nullptr),
                               1, 0);
    itemgrid::clearScreen(0, 0, 0);
    treasure->draw(1);
    EXPECT_EQ(itemgrid::pixel(32, 0), (RGB{220, 200, 0}));
    for (int i = 0; i < 9; ++i) step(*treasure, 20, false);  // 180 ms: the second frame
    treasure->draw(1);
    EXPECT_EQ(itemgrid::pixel(63, 31), (RGB{220, 200, 10}));
    g.player().setPosition(32, 0);
    step(*treasure, 20, false);
    itemgrid::clearScreen(0, 0, 0);
    treasure->draw(1);
    EXPECT_EQ(itemgrid::pixel(32, 0), (RGB{0, 90, 0}));
}

} // namespace
