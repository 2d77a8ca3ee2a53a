// The player's ladder, jump, step up, bomb placing and pushing on grids built
// by hand, driven by the scripted keyboard and direct calls of update.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"

#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Heavybox.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "platform/Platform.h"
#include "solve/RelaxedMap.h"

namespace {

// '#' wall, '.' open, 'H' ladder, '~' deadly water.
struct World {
    explicit World(std::initializer_list<const char*> rows) : World(std::vector<std::string>(rows.begin(), rows.end())) {}
    explicit World(const std::vector<std::string>& rows) : level(nullptr, nullptr, 1), player(*level.player) {
        for (const std::string& text : rows) {
            std::vector<Cell*> row;
            for (const char* p = text.c_str(); *p; ++p) {
                Cell* cell = new Cell;
                cell->passable = *p != '#';
                cell->ladder = *p == 'H';
                cell->liquid = cell->deadly = *p == '~';
                row.push_back(cell);
            }
            level.grid.push_back(row);
        }
        level.rowCount = static_cast<int>(level.grid.size());
        level.columnCount = level.grid.empty() ? 0 : static_cast<int>(level.grid[0].size());
        const int frames[PlayerStripCount] = {10, 10, 9, 9, 9, 9, 9, 9, 6, 6, 6};
        const int durations[PlayerStripCount] = {1, 1, 6, 6, 100, 100, 3, 3, 3, 3, 11};
        for (int i = 0; i < PlayerStripCount; ++i) {
            AnimStrip strip;
            strip.frameCount = frames[i];
            strip.frameDuration = durations[i];
            player.setStrip(i, strip);
        }
        Item::currentLevel = &level;
        Item::currentPlayer = &player;
    }
    ~World() {
        // The items in these tests belong to the tests, not to the level.
        for (auto& row : level.grid)
            for (Cell* cell : row) cell->item = nullptr;
        Item::currentLevel = nullptr;
        Item::currentPlayer = nullptr;
    }
    void frames(int count, uint32_t dt = 20) {
        for (int i = 0; i < count; ++i) player.update(dt);
    }
    void press(std::initializer_list<int> keys) {
        input.keyboard.releaseAll();
        for (int key : keys) input.keyboard.press(key);
    }
    Cell* cell(int column, int row) { return level.grid[row][column]; }
    platform::VirtualInput input;
    Level level;
    Player& player;
};

// A pushable block that records what the player asks of it. It moves and
// registers itself by its rounded column as the boxes do.
struct Crate : Item {
    Crate(Level& level, int column, int row) : Item(nullptr), level(level) {
        x = column * 32;
        y = row * 32;
        level.grid[row][column]->item = this;
    }
    void draw(int) override {}
    void update(uint32_t&, bool) override {}
    bool moveBy(double dx, double, bool&) override {
        ++moves;
        moved += dx;
        int old = static_cast<int>(std::round(x / 32));
        x += dx;
        int now = static_cast<int>(std::round(x / 32));
        if (now != old) {
            level.grid[static_cast<int>(y / 32)][old]->item = nullptr;
            level.grid[static_cast<int>(y / 32)][now]->item = this;
        }
        return true;
    }
    bool isPassable() override { return false; }
    bool canMoveTo(int column, int row, bool byPlayer) override {
        askedByPlayer = byPlayer;
        return level.isFree(column, row, this);
    }
    void placeAtX(double newX) override {
        placedAt.push_back(newX);
        level.grid[static_cast<int>(y / 32)][static_cast<int>(std::round(x / 32))]->item = nullptr;
        x = newX;
        level.grid[static_cast<int>(y / 32)][static_cast<int>(std::round(x / 32))]->item = this;
    }
    bool isFalling() override { return falling; }
    bool isBox() override { return box; }

    Level& level;
    int moves = 0;
    double moved = 0;
    std::vector<double> placedAt;
    bool askedByPlayer = false;
    bool falling = false;
    bool box = true;
};

// ---- ladder ---------------------------------------------------------------

TEST(PlayerLadder, ClimbsCellByCellAndStandsOnTopOfTheLadder) {
    World w({"...", ".H.", ".H.", ".H.", "###"});
    w.player.setPosition(32, 96);
    // Up and down together climb up; the climb moves on its first frame.
    w.press({SDLK_UP, SDLK_DOWN});
    w.frames(1);
    EXPECT_TRUE(w.player.onLadder);
    EXPECT_EQ(w.player.facing, -1);
    // 0.075 pixels a millisecond, with the factor 0.1 * 3 as it is in doubles.
    EXPECT_EQ(w.player.progress, 20 * (0.1 * 3) * 0.25);
    EXPECT_NE(w.player.progress, 1.5);

    // 21 frames make 31.5 pixels; the 22nd completes the cell, snaps y to
    // row 2 and starts the next cell's climb in the same frame.
    w.frames(20);
    EXPECT_TRUE(w.player.onLadder);
    w.frames(1);
    EXPECT_TRUE(w.player.onLadder);
    EXPECT_EQ(w.player.y, 64 - 20 * (0.1 * 3) * 0.25);

    // Out of the top ladder cell into the free cell above: he stands on the
    // top of the ladder and does not fall.
    w.frames(60);
    EXPECT_FALSE(w.player.onLadder);
    EXPECT_EQ(w.player.y, 0);
    w.press({});
    w.frames(30);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_FALSE(w.player.falling);

    // Down from the top goes back into the ladder.
    w.press({SDLK_DOWN});
    w.frames(1);
    EXPECT_TRUE(w.player.onLadder);
    EXPECT_EQ(w.player.facing, 1);
    EXPECT_GT(w.player.y, 0);
}

TEST(PlayerLadder, ASidewaysArrowPreventsClimbingAndOnlyLaddersCanBeClimbed) {
    World w({"...", ".H.", ".H.", "###"});
    w.player.setPosition(32, 64);
    w.press({SDLK_UP, SDLK_LEFT});
    w.frames(1);
    EXPECT_FALSE(w.player.onLadder);
    EXPECT_EQ(w.player.y, 64);

    World plain({"...", "...", "###"});
    plain.player.setPosition(32, 32);
    plain.press({SDLK_UP});
    plain.frames(5);
    EXPECT_FALSE(plain.player.onLadder);
    EXPECT_EQ(plain.player.y, 32);
    plain.press({SDLK_DOWN});  // solid ground below, not a ladder
    plain.frames(5);
    EXPECT_FALSE(plain.player.onLadder);
    EXPECT_EQ(plain.player.y, 32);
}

TEST(PlayerLadder, AHugeFrameTimeClimbsTheWholeLadderInOneUpdate) {
    World w({"...", ".H.", ".H.", ".H.", ".H.", "###"});
    w.player.setPosition(32, 128);
    w.press({SDLK_UP});
    uint32_t dt = 500;  // 37.5 pixels a pass: every pass finishes a cell
    w.player.update(dt);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_FALSE(w.player.onLadder);
}

// ---- jump -----------------------------------------------------------------

TEST(PlayerJump, HopsOverAGapAlongTheParabola) {
    World w({".....", "#.#.#", "#####"});
    w.player.setPosition(0, 0);
    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(1);
    EXPECT_TRUE(w.player.jumping);
    EXPECT_EQ(w.player.x, 0);

    double highest = 0;
    for (int i = 0; i < 16; ++i) {
        w.frames(1);
        highest = std::min(highest, w.player.y);
    }
    EXPECT_EQ(w.player.x, 32);
    EXPECT_DOUBLE_EQ(w.player.y, -4);  // halfway: 4 pixels above the take-off
    EXPECT_DOUBLE_EQ(highest, -4);
    w.frames(15);
    EXPECT_TRUE(w.player.jumping);
    EXPECT_EQ(w.player.x, 62);

    // Landing with X held: the update runs again and the next hop starts in
    // the same frame.
    w.frames(1);
    EXPECT_EQ(w.player.x, 64);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_EQ(w.player.progress, 0);
    EXPECT_TRUE(w.player.jumping);

    // Without X at the landing the player simply stands there.
    w.frames(31);
    w.press({SDLK_RIGHT});
    w.frames(1);
    EXPECT_EQ(w.player.x, 128);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_FALSE(w.player.jumping);
    EXPECT_FALSE(w.player.walking);  // the update did not run again
}

// A walk that ends runs the update again; a jump started there must not
// have a walk started over it by the rest of the first run (which turned the
// player round and carried the jump off the level).
TEST(PlayerJump, AJumpStartedAsAWalkEndsKeepsItsDirection) {
    World w({"......", "##.###", "######"});
    w.player.setPosition(0, 0);
    w.press({SDLK_RIGHT});
    w.frames(10);
    ASSERT_TRUE(w.player.walking);
    w.press({SDLK_x, SDLK_LEFT, SDLK_RIGHT});  // left is blocked for a jump, right is not
    for (int i = 0; i < 20 && !w.player.jumping; ++i) w.frames(1);
    ASSERT_TRUE(w.player.jumping);
    EXPECT_EQ(w.player.facing, 1);
    EXPECT_FALSE(w.player.walking);
    w.press({});
    w.frames(40);
    EXPECT_FALSE(w.player.jumping);
    EXPECT_EQ(w.player.x, 96);
    EXPECT_EQ(w.player.y, 0);
}

// A jump that drops far rises high over its start and middle columns and
// passes low over the middle one: the solver's map must count every gem
// there the jump takes (within 8 pixels), however far the drop, to either
// side.
TEST(PlayerJump, TheSolverCountsEveryGemAFarDropTakesOnItsWay) {
    int taken = 0;
    for (int drop = 0; drop <= 12; ++drop)
        for (int s : {-1, 1}) {
            // Two open rows over the start (row 2), the gap and the landing.
            std::vector<std::string> rows(3, "...");
            for (int r = 1; r <= drop; ++r) rows.push_back(s > 0 ? "#.." : "..#");
            rows.push_back(s > 0 ? "#.#" : "#.#");
            rows.push_back("###");
            World w(rows);
            const int from = s > 0 ? 0 : 2;
            w.player.setPosition(from * 32, 64);
            RelaxedMap map;
            map.build(w.level);
            w.press({SDLK_x, s > 0 ? SDLK_RIGHT : SDLK_LEFT});
            w.frames(1);
            ASSERT_TRUE(w.player.jumping);
            w.press({});
            // Gems in the start's and the middle column, rows 0 to 5.
            double nearest[2][6];
            for (auto& column : nearest)
                for (double& d : column) d = 1e9;
            for (int i = 0; i < 60; ++i) {
                w.frames(1);
                for (int k = 0; k < 2; ++k)
                    for (int row = 0; row < 6; ++row)
                        nearest[k][row] = std::min(nearest[k][row],
                                                   std::hypot(w.player.x - 32 * (from + k * s), w.player.y - 32 * row));
            }
            ASSERT_EQ(w.player.x, (from + 2 * s) * 32);
            ASSERT_EQ(w.player.y, (drop + 2) * 32);
            for (int k = 0; k < 2; ++k)
                for (int row = 0; row < 6; ++row)
                    if (nearest[k][row] < 8 && row != 2) {
                        ++taken;
                        EXPECT_TRUE(map.jumpTakes(from, s, 2, from + k * s, 32 * row))
                            << "drop " << drop << ", column " << k << ", row " << row;
                    }
        }
    EXPECT_GT(taken, 8);
}

TEST(PlayerJump, SinksIntoLiquidUnlessABoxFloatsThere) {
    World w({".....", "#~~##", "#####"});
    w.player.setPosition(0, 0);
    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(33);
    EXPECT_FALSE(w.player.jumping);
    EXPECT_EQ(w.player.x, 64);
    EXPECT_EQ(w.player.y, 32);  // inside the water of the landing column
    w.press({});
    w.frames(1);
    EXPECT_TRUE(w.player.dead);

    World boat({".....", "#~~##", "#####"});
    Crate crate(boat.level, 2, 1);
    boat.player.setPosition(0, 0);
    boat.press({SDLK_x, SDLK_RIGHT});
    boat.frames(33);
    EXPECT_EQ(boat.player.x, 64);
    EXPECT_EQ(boat.player.y, 0);  // on the floating box
    boat.press({});
    boat.frames(3);
    EXPECT_FALSE(boat.player.dead);
    EXPECT_EQ(boat.player.y, 0);

    // Something that is not a box does not hold him up.
    World raft({".....", "#~~##", "#####"});
    Crate thing(raft.level, 2, 1);
    thing.box = false;
    raft.player.setPosition(0, 0);
    raft.press({SDLK_x, SDLK_RIGHT});
    raft.frames(33);
    EXPECT_EQ(raft.player.y, 32);
}

TEST(PlayerJump, TheLandingColumnMustLieInTheFirstTwentyColumns) {
    World w({"........................", "###################.####", "########################"});
    w.player.setPosition(18 * 32, 0);
    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(1);  // landing column 20: refused although the level is wider
    EXPECT_FALSE(w.player.jumping);
    EXPECT_EQ(w.player.x, 18 * 32);
    EXPECT_EQ(w.player.facing, 1);
    EXPECT_TRUE(w.player.walking);  // X with an arrow falls back on a walk

    World inside({"........................", "##################.#####", "########################"});
    inside.player.setPosition(17 * 32, 0);
    inside.press({SDLK_x, SDLK_RIGHT});
    inside.frames(1);
    EXPECT_TRUE(inside.player.jumping);

    // Also refused: no room at the player's height, or a gap without bottom.
    World low({"..#..", "#.###", "#####"});
    low.player.setPosition(0, 0);
    low.press({SDLK_x, SDLK_RIGHT});
    low.frames(1);
    EXPECT_FALSE(low.player.jumping);
    World bottomless({".....", "#.#.#"});
    bottomless.player.setPosition(0, 0);
    bottomless.press({SDLK_x, SDLK_RIGHT});
    bottomless.frames(1);
    EXPECT_FALSE(bottomless.player.jumping);
}

TEST(PlayerJump, AJumpDuringBombPlacingLeavesTheBombUnplacedButUsed) {
    World w({".....", "#.###", "#####"});
    Cell rubble;
    rubble.passable = true;
    Bomb bomb(0, 0, AnimStrip{}, AnimStrip{}, &rubble, nullptr);
    w.player.addBomb(&bomb);
    w.player.setPosition(0, 0);
    w.press({SDLK_z});
    w.frames(1);
    EXPECT_TRUE(w.player.placingBomb);
    EXPECT_EQ(w.player.bombsUsed, 1u);
    EXPECT_EQ(w.player.bombsLeft(), 0u);

    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(1);
    EXPECT_TRUE(w.player.jumping);
    EXPECT_TRUE(w.player.placingBomb);
    w.press({});
    w.frames(32);
    EXPECT_FALSE(w.player.jumping);
    EXPECT_FALSE(w.player.placingBomb);
    EXPECT_EQ(w.player.x, 64);
    w.frames(60);
    EXPECT_FALSE(bomb.placed);
    EXPECT_EQ(w.player.bombsUsed, 1u);
}

// ---- bombs ----------------------------------------------------------------

TEST(PlayerBomb, PlacesAfterTheAnimationAndNeverMoreThanItHas) {
    World w({"...", "###"});
    Cell rubble;
    rubble.passable = true;
    Bomb bomb(0, 0, AnimStrip{}, AnimStrip{}, &rubble, nullptr);
    w.player.setPosition(32, 0);
    w.press({SDLK_z});
    w.frames(3);  // no bombs: Z does nothing
    EXPECT_FALSE(w.player.placingBomb);
    EXPECT_EQ(w.player.bombsUsed, 0u);

    w.player.addBomb(&bomb);
    w.frames(1);
    EXPECT_TRUE(w.player.placingBomb);
    // 9 frames of 100 ms: at 20 ms a frame the 45th frame after the start
    // ends the animation. Arrows do nothing meanwhile.
    w.press({SDLK_RIGHT});
    w.frames(44);
    EXPECT_TRUE(w.player.placingBomb);
    EXPECT_FALSE(bomb.placed);
    EXPECT_EQ(w.player.x, 32);
    w.frames(1);
    EXPECT_FALSE(w.player.placingBomb);
    EXPECT_EQ(w.player.progress, 0);
    EXPECT_TRUE(bomb.placed);
    EXPECT_EQ(bomb.x, 32);
    EXPECT_EQ(bomb.y, 0);
    EXPECT_EQ(w.cell(1, 0)->item, &bomb);

    w.press({SDLK_z});
    w.frames(5);
    EXPECT_FALSE(w.player.placingBomb);
    EXPECT_EQ(w.player.bombsUsed, 1u);
    EXPECT_EQ(w.player.bombsLeft(), 0u);
}

// ---- step up --------------------------------------------------------------

TEST(PlayerStepUp, RightNeedsNoHeadRoomLeftDoes) {
    // A ledge on each side and a wall above the player.
    World w({"..#..", "#...#", "#####"});
    // Fill the floor so that the ledges are one cell high.
    w.cell(1, 1)->passable = false;
    w.cell(3, 1)->passable = false;
    w.player.setPosition(64, 32);
    w.cell(2, 0)->passable = false;

    w.press({SDLK_x, SDLK_LEFT});
    w.frames(3);
    EXPECT_FALSE(w.player.steppingUp);
    EXPECT_EQ(w.player.x, 64);
    EXPECT_EQ(w.player.y, 32);

    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(1);
    EXPECT_TRUE(w.player.steppingUp);
    EXPECT_EQ(w.player.facing, 1);
    // Frame-counted: 9 frames of duration 3 advanced by one a frame reach the
    // last frame after 32 updates; the next one finishes the step.
    w.press({});
    w.frames(32);
    EXPECT_TRUE(w.player.steppingUp);
    EXPECT_EQ(w.player.strips[StepUpRight].currentFrame, 8);
    w.frames(1);
    EXPECT_FALSE(w.player.steppingUp);
    EXPECT_EQ(w.player.x, 96);
    EXPECT_EQ(w.player.y, 0);
    EXPECT_EQ(w.player.strips[StepUpRight].currentFrame, 0);

    World left({"...", "#..", "###"});
    left.player.setPosition(32, 32);
    left.press({SDLK_x, SDLK_LEFT});
    left.frames(1);
    EXPECT_TRUE(left.player.steppingUp);
    EXPECT_EQ(left.player.facing, -1);
    left.frames(33);
    EXPECT_FALSE(left.player.steppingUp);
    EXPECT_EQ(left.player.x, 0);
    EXPECT_EQ(left.player.y, 0);
}

TEST(PlayerStepUp, NeedsFreeSpaceOnTheLedgeAndGroundUnderfoot) {
    World w({"..#", ".##", "###"});  // two cells high: nothing to step onto
    w.player.setPosition(32, 32);
    w.cell(1, 1)->passable = true;
    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(2);
    EXPECT_FALSE(w.player.steppingUp);
    EXPECT_EQ(w.player.x, 32);
}

// ---- push -----------------------------------------------------------------

TEST(PlayerPush, PushesAtHalfSpeedAndPlacesTheItemOneCellBeyond) {
    World w({".....", "#####"});
    Crate crate(w.level, 1, 0);
    w.player.setPosition(0, 0);
    w.press({SDLK_RIGHT});
    w.frames(1);
    EXPECT_TRUE(w.player.pushing);
    EXPECT_TRUE(crate.askedByPlayer);
    EXPECT_EQ(w.player.pushedItem, &crate);
    EXPECT_EQ(w.player.x, 0);

    w.frames(32);  // one pixel a frame: 32 is not yet more than 32
    EXPECT_EQ(w.player.x, 32);
    EXPECT_EQ(crate.moves, 32);
    EXPECT_TRUE(w.player.pushing);
    AnimStrip expected = w.player.strips[PushRight];
    w.frames(1);
    // Done: the player back on the grid, the crate exactly one cell beyond,
    // and with the key held the next push already under way.
    EXPECT_EQ(w.player.x, 32);
    EXPECT_EQ(crate.moves, 33);
    ASSERT_EQ(crate.placedAt.size(), 1u);
    EXPECT_EQ(crate.placedAt[0], 64);
    EXPECT_TRUE(w.player.pushing);
    EXPECT_EQ(w.player.pushedItem, &crate);
    // The completing frame advances the strip twice.
    advanceStrip(expected, 1);
    advanceStrip(expected, 1);
    EXPECT_EQ(w.player.strips[PushRight].currentFrame, expected.currentFrame);
    EXPECT_EQ(w.player.strips[PushRight].elapsed, expected.elapsed);

    // Until the crate reaches the last column; then nothing moves.
    w.frames(33 * 3);
    EXPECT_EQ(crate.x, 128);
    EXPECT_EQ(w.player.x, 96);
    EXPECT_FALSE(w.player.pushing);
    EXPECT_FALSE(w.player.walking);
    EXPECT_EQ(crate.placedAt.size(), 3u);
}

TEST(PlayerPush, NeverWithXNorAFallingItem) {
    World w({"....", "####"});
    Crate crate(w.level, 1, 0);
    w.player.setPosition(0, 0);
    w.press({SDLK_x, SDLK_RIGHT});
    w.frames(3);
    EXPECT_FALSE(w.player.pushing);
    EXPECT_EQ(crate.moves, 0);

    crate.falling = true;
    w.press({SDLK_RIGHT});
    w.frames(3);
    EXPECT_FALSE(w.player.pushing);
    EXPECT_EQ(w.player.pushedItem, nullptr);
    EXPECT_EQ(w.player.x, 0);
}

TEST(PlayerPush, RealBoxesAndHeavyBoxes) {
    World w({"......", "######"});
    Box box(32, 0, AnimStrip{}, &w.level, nullptr);
    w.cell(1, 0)->item = &box;
    w.player.setPosition(0, 0);
    w.press({SDLK_RIGHT});
    w.frames(1);
    EXPECT_TRUE(w.player.pushing);
    w.press({});  // the push goes on by itself; no next push starts
    w.frames(33);
    EXPECT_FALSE(w.player.pushing);
    EXPECT_EQ(w.player.x, 32);
    EXPECT_EQ(box.x, 64);
    EXPECT_EQ(w.cell(2, 0)->item, &box);
    EXPECT_EQ(w.cell(1, 0)->item, nullptr);

    // A heavy box with a wooden box on it does not move.
    World pinned({"......", "......", "######"});
    Heavybox heavy(32, 32, AnimStrip{}, &pinned.level, nullptr);
    Box top(32, 0, AnimStrip{}, &pinned.level, nullptr);
    pinned.cell(1, 1)->item = &heavy;
    pinned.cell(1, 0)->item = &top;
    pinned.player.setPosition(0, 32);
    pinned.press({SDLK_RIGHT});
    pinned.frames(40);
    EXPECT_FALSE(pinned.player.pushing);
    EXPECT_EQ(heavy.x, 32);
    EXPECT_EQ(pinned.player.x, 0);
}

// ---- drawing ---------------------------------------------------------------

TEST(PlayerDraw, StepUpFrameIsClippedAtTheSurfaceEdge) {
    testsupport::screen();
    SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 64, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    World w({"..", "##"});
    AnimStrip step;
    step.surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 9 * 64, 64, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    SDL_FillRect(step.surface, nullptr, 0xFF0000);
    SDL_Rect last = {8 * 64, 0, 64, 64};
    SDL_FillRect(step.surface, &last, 0x00FF00);
    step.frameCount = 9;
    step.frameDuration = 3;
    step.currentFrame = 8;
    w.player.setStrip(StepUpLeft, step);
    w.player.steppingUp = true;
    w.player.facing = -1;
    auto green = [&](int x, int y) {
        Uint8 r, g, b;
        testsupport::pixelRGB(target, x, y, r, g, b);
        return r == 0 && g == 255 && b == 0;
    };

    // The 64x64 frame starts a cell up and to the left: a quarter shows.
    SDL_FillRect(target, nullptr, 0);
    w.player.setPosition(0, 0);
    w.player.draw(target, 1);
    EXPECT_TRUE(green(0, 0));
    EXPECT_TRUE(green(31, 31));
    EXPECT_FALSE(green(32, 32));

    // At scale 2 the frame lies past the strip's end: nothing is drawn.
    SDL_FillRect(target, nullptr, 0);
    w.player.draw(target, 2);
    EXPECT_FALSE(green(0, 0));

    // A strip without a picture draws nothing.
    w.player.steppingUp = false;
    w.player.draw(target, 1);
    EXPECT_FALSE(green(0, 0));
    SDL_FreeSurface(step.surface);
    SDL_FreeSurface(target);
}

} // namespace
