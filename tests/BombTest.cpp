#include <gtest/gtest.h>

#include "ItemGrid.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Goal.h"
#include "entities/Heavybox.h"
#include "entities/Treasure.h"

using itemgrid::Grid;
using itemgrid::RGB;

namespace {

// The parser's strips: 5 burning frames of a second, 9 blast frames of 100 ms.
AnimStrip burning() { return itemgrid::colourStrip(32, 32, 5, 1000, 10, 200); }
AnimStrip blast() { return itemgrid::colourStrip(96, 64, 9, 100, 250, 50); }

// A bomb with the parser's timings but no pictures.
Bomb* newBomb(Grid& g) {
    AnimStrip fuse;
    fuse.frameDuration = 1000;
    fuse.frameCount = 5;
    AnimStrip flames;
    flames.frameDuration = 100;
    flames.frameCount = 9;
    return g.add(new Bomb(0, 0, fuse, flames, &g.rubble, nullptr));
}

// Runs 20 ms frames until the bomb has blown up.
void explode(Bomb& bomb) {
    for (int i = 0; i < 1000 && !bomb.exploded; ++i) Grid::run(bomb, 1);
    ASSERT_TRUE(bomb.exploded);
}

TEST(Bomb, FuseTimeline) {
    Grid g({".....",
            ".....",
            "#####"});
    Bomb* bomb = newBomb(g);
    bomb->placeAt(64, 32);
    EXPECT_TRUE(bomb->placed);
    EXPECT_EQ(bomb->column, 2);
    EXPECT_EQ(bomb->row, 1);
    EXPECT_EQ(g.itemAt(2, 1), bomb);

    Grid::run(*bomb, 224);  // 4480 ms
    EXPECT_EQ(bomb->timer, 4480u);
    EXPECT_EQ(g.itemAt(2, 1), bomb);
    EXPECT_EQ(bomb->blastStrip.currentFrame, 0);
    Grid::run(*bomb, 1);  // 4500 ms: the blast animation starts, the cell is let go
    EXPECT_EQ(g.itemAt(2, 1), nullptr);
    EXPECT_FALSE(bomb->exploded);
    Grid::run(*bomb, 24);
    EXPECT_FALSE(bomb->exploded);
    EXPECT_FALSE(bomb->soundPlayed);
    Grid::run(*bomb, 1);  // 5000 ms
    EXPECT_TRUE(bomb->exploded);
    EXPECT_TRUE(bomb->soundPlayed);  // no sound bank: nothing played, still counted
    EXPECT_FALSE(bomb->finished);
    Grid::run(*bomb, 10);
    EXPECT_EQ(bomb->timer, 5000u);  // stops at the blast
    Grid::run(*bomb, 40);
    EXPECT_TRUE(bomb->finished);
}

TEST(Bomb, UnplacedBombsStayOutOfTheWorld) {
    Grid g({"..",
            "..",
            "##"});
    Bomb* bomb = newBomb(g);
    Grid::run(*bomb, 400);
    EXPECT_EQ(bomb->y, 0);
    EXPECT_EQ(bomb->timer, 0u);
    EXPECT_FALSE(bomb->exploded);
    EXPECT_EQ(g.itemAt(0, 0), nullptr);
    EXPECT_EQ(g.itemAt(0, 1), nullptr);
}

TEST(Bomb, BlastReplacesFourCellsAndSparesHeavyBoxes) {
    Grid g({"#####",
            "#...#",
            "#####"});
    Heavybox* heavy = g.put(new Heavybox(32, 32, AnimStrip{}, &g.level, nullptr), 1, 1);
    Box* wooden = g.put(new Box(96, 32, AnimStrip{}, &g.level, nullptr), 3, 1);
    Cell* above = g.at(2, 0);
    Cell* own = g.at(2, 1);
    Cell* below = g.at(2, 2);
    Bomb* bomb = newBomb(g);
    bomb->placeAt(64, 32);
    explode(*bomb);

    EXPECT_NE(g.at(2, 1), own);
    EXPECT_NE(g.at(2, 0), above);
    EXPECT_TRUE(g.at(2, 0)->passable);  // the wall above is opened
    EXPECT_TRUE(g.at(1, 1)->passable);
    EXPECT_TRUE(g.at(3, 1)->passable);
    EXPECT_EQ(g.at(2, 2), below);  // never below
    EXPECT_FALSE(g.at(0, 1)->passable);
    EXPECT_EQ(g.at(1, 1)->item, heavy);
    EXPECT_FALSE(heavy->isDestroyed());
    EXPECT_TRUE(wooden->isDestroyed());
    EXPECT_EQ(g.at(3, 1)->item, nullptr);
    EXPECT_EQ(g.at(2, 1)->item, nullptr);
    // The bomb keeps the cells it took out.
    EXPECT_EQ(bomb->rubble[0], own);
    EXPECT_EQ(bomb->rubble[2], above);
    EXPECT_FALSE(bomb->rubble[2]->passable);
    // The heavy box is free to be pushed into the opened space.
    EXPECT_TRUE(heavy->canMoveTo(2, 1, true));
}

TEST(Bomb, GoalsAndTreasuresStayRegisteredInTheRubble) {
    Grid g({".....",
            ".....",
            "#####"});
    Goal* goal = g.put(new Goal(32, 32, AnimStrip{}, nullptr), 1, 1);
    Treasure* treasure = g.put(new Treasure(64, 0, AnimStrip{}, AnimStrip{}, nullptr), 2, 0);
    Bomb* bomb = newBomb(g);
    bomb->placeAt(64, 32);
    Cell* oldGoalCell = g.at(1, 1);
    explode(*bomb);
    EXPECT_NE(g.at(1, 1), oldGoalCell);
    EXPECT_EQ(g.at(1, 1)->item, goal);
    EXPECT_EQ(g.at(2, 0)->item, treasure);
}

TEST(Bomb, BlastAtTheLeftEdgeAndOnALadder) {
    Grid g({"H~.",
            "H~.",
            "###"});
    Cell* right = g.at(1, 1);
    Bomb* bomb = newBomb(g);
    bomb->placeAt(0, 32);
    explode(*bomb);
    EXPECT_NE(g.at(0, 1), nullptr);
    EXPECT_TRUE(g.at(0, 1)->ladder);  // the ladder survives
    EXPECT_TRUE(g.at(0, 0)->ladder);
    EXPECT_NE(g.at(1, 1), right);
    EXPECT_FALSE(g.at(1, 1)->deadly);  // other flags come from the rubble
    EXPECT_FALSE(g.at(1, 1)->liquid);
    EXPECT_FALSE(g.at(1, 1)->ladder);
    EXPECT_TRUE(g.at(1, 0)->deadly);  // not reached
    EXPECT_EQ(bomb->rubble[3], right);
    // The left slot was never used: it still holds fresh rubble.
    ASSERT_NE(bomb->rubble[1], nullptr);
    EXPECT_TRUE(bomb->rubble[1]->passable);
}

bool blastKills(double dx, double dy) {
    Grid g({".....",
            ".....",
            "#####"});
    Bomb* bomb = newBomb(g);
    bomb->placeAt(64, 32);
    g.player().setPosition(64 + dx, 32 + dy);
    explode(*bomb);
    return g.player().dead;
}

TEST(Bomb, KillsThePlayerLevelWithItOrBesideItButNotAboveIt) {
    EXPECT_TRUE(blastKills(0, 0));
    EXPECT_TRUE(blastKills(-32, 0));
    EXPECT_TRUE(blastKills(32, 0));
    EXPECT_TRUE(blastKills(-33, 0));
    EXPECT_FALSE(blastKills(-34, 0));
    EXPECT_TRUE(blastKills(63, 0));
    EXPECT_FALSE(blastKills(64, 0));
    EXPECT_TRUE(blastKills(0, 16));
    EXPECT_FALSE(blastKills(0, 17));
    EXPECT_FALSE(blastKills(0, -32));  // one cell above
    EXPECT_TRUE(blastKills(10, -20));  // partly in the bomb's cell from above
    EXPECT_FALSE(blastKills(0, -20));  // ... but only right of its left edge
}

TEST(Bomb, FallsWhenPlacedInMidAirAndTakesOverTheGoalCell) {
    Grid g({"H.",
            "H.",
            "..",
            "##"});
    Goal* goal = g.put(new Goal(32, 64, AnimStrip{}, nullptr), 1, 2);
    Bomb* bomb = newBomb(g);
    EXPECT_FALSE(bomb->isFalling());  // still in the pocket, though nothing is under (0, 0)
    bomb->placeAt(0, 0);
    EXPECT_TRUE(bomb->isFalling());
    Grid::run(*bomb, 100);
    EXPECT_EQ(bomb->y, 64);
    EXPECT_EQ(bomb->row, 2);
    EXPECT_EQ(bomb->fallSpeed, 0);
    EXPECT_FALSE(bomb->isFalling());
    EXPECT_EQ(g.itemAt(0, 0), nullptr);
    EXPECT_EQ(g.itemAt(0, 1), nullptr);
    EXPECT_EQ(g.itemAt(0, 2), bomb);

    Bomb* second = newBomb(g);
    second->placeAt(32, 64);
    EXPECT_EQ(g.itemAt(1, 2), second);
    EXPECT_NE(g.itemAt(1, 2), goal);

    // Gone off in mid-fall: spent, it falls no more.
    Bomb* late = newBomb(g);
    late->placeAt(32, 0);
    late->timer = 4980;
    Grid::run(*late, 1);
    ASSERT_TRUE(late->exploded);
    EXPECT_GT(late->fallSpeed, 0);
    EXPECT_FALSE(late->isDropping());
    EXPECT_FALSE(late->isFalling());
}

TEST(Bomb, IsPushedLikeABoxButBlocksNothing) {
    Grid g({"...#",
            "...#",
            "####"});
    Bomb* bomb = newBomb(g);
    bomb->placeAt(32, 32);
    EXPECT_TRUE(g.level.isFree(1, 1, nullptr));
    EXPECT_TRUE(bomb->canMoveTo(2, 1, true));
    bool flag = false;
    for (int i = 0; i < 32; ++i) ASSERT_TRUE(bomb->moveBy(1, 0, flag));
    bomb->placeAtX(64);
    EXPECT_EQ(bomb->x, 64);
    EXPECT_EQ(bomb->column, 2);
    EXPECT_EQ(g.itemAt(2, 1), bomb);
    EXPECT_EQ(g.itemAt(1, 1), nullptr);
    EXPECT_FALSE(bomb->canMoveTo(3, 1, true));
    EXPECT_FALSE(bomb->moveBy(1, 0, flag));
    EXPECT_EQ(bomb->x, 64);
}

// A push to the left overshoots its cell by a fraction of a pixel before the
// player snaps it back; the bomb must burn where it ends, and once spent it
// must not drop into the hole it blew and stand there as an invisible item.
TEST(Bomb, PushedLeftItBurnsWhereItStandsAndSpentItStaysOutOfTheGrid) {
    Grid g({"######",
            "#....#",
            "######"});
    Bomb* bomb = newBomb(g);
    bomb->placeAt(96, 32);
    bool flag = false;
    for (int i = 0; i < 13; ++i) ASSERT_TRUE(bomb->moveBy(-2.5, 0, flag));  // 32.5 pixels
    bomb->placeAtX(64);
    EXPECT_EQ(bomb->column, 2);
    EXPECT_EQ(g.itemAt(2, 1), bomb);
    Cell* below = g.at(2, 2);
    explode(*bomb);
    EXPECT_TRUE(g.at(2, 0)->passable);  // the wall above the bomb, not the one left of it
    EXPECT_FALSE(g.at(1, 0)->passable);
    EXPECT_FALSE(g.at(0, 1)->passable);
    EXPECT_EQ(g.at(2, 2), below);

    // Open the floor under the spent bomb: it stays where it burnt.
    Cell air(*g.at(1, 1));
    air.item = nullptr;
    g.level.setCell(2, 2, &air);
    Grid::run(*bomb, 50);
    EXPECT_EQ(bomb->y, 32);
    EXPECT_EQ(g.itemAt(2, 2), nullptr);
    g.level.setCell(2, 2, below);
}

TEST(Bomb, SharedStripsAreFreedOnlyByTheirOwner) {
    AnimStrip a = burning();
    AnimStrip b = blast();
    {
        Grid g({"..", "##"});
        g.add(new Bomb(0, 0, a, b, &g.rubble, nullptr, true));
        g.add(new Bomb(0, 0, a, b, &g.rubble, nullptr, false));
        a.surface->refcount++;
        b.surface->refcount++;
    }
    EXPECT_EQ(a.surface->refcount, 1);
    EXPECT_EQ(b.surface->refcount, 1);
    SDL_FreeSurface(a.surface);
    SDL_FreeSurface(b.surface);
}

TEST(Bomb, DrawsTheBurningBombThenTheBlast) {
    Grid g({".....",
            ".....",
            "#####"});
    Bomb* bomb = g.add(new Bomb(0, 0, burning(), blast(), &g.rubble, nullptr, true));
    itemgrid::clearScreen(0, 0, 0);
    bomb->draw(1);
    EXPECT_EQ(itemgrid::pixel(0, 0), (RGB{0, 0, 0}));  // unplaced: not drawn

    bomb->placeAt(64, 32);
    Grid::run(*bomb, 60);  // 1200 ms: second frame
    itemgrid::clearScreen(0, 0, 0);
    bomb->draw(1);
    EXPECT_EQ(itemgrid::pixel(64, 32), (RGB{10, 200, 10}));
    EXPECT_EQ(itemgrid::pixel(95, 63), (RGB{10, 200, 10}));
    EXPECT_EQ(itemgrid::pixel(63, 32), (RGB{0, 0, 0}));

    explode(*bomb);
    itemgrid::clearScreen(0, 0, 0);
    bomb->draw(1);
    RGB corner = itemgrid::pixel(32, 0);
    EXPECT_EQ(corner.r, 250);
    EXPECT_EQ(corner.g, 50);
    EXPECT_EQ(itemgrid::pixel(127, 63).r, 250);
    EXPECT_EQ(itemgrid::pixel(128, 32).r, 0);
    EXPECT_EQ(itemgrid::pixel(64, 64).r, 0);  // nothing below the bomb's row

    Grid::run(*bomb, 100);
    ASSERT_TRUE(bomb->finished);
    itemgrid::clearScreen(0, 0, 0);
    bomb->draw(1);
    EXPECT_EQ(itemgrid::pixel(64, 32), (RGB{0, 0, 0}));
}

} // namespace
