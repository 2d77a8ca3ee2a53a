#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "TestSupport.h"
#include "entities/Goal.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "entities/Treasure.h"
#include "level/Level.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/View.h"

namespace {

// A player that stands wherever the test puts it and counts its updates.
class StillPlayer : public Player {
public:
    explicit StillPlayer(Level* level) : Player(32, 0, nullptr, level) {}
    void update(uint32_t& dt) override {
        ++updates;
        lastDt = dt;
    }
    void draw(SDL_Surface*, int) override {}
    int updates = 0;
    uint32_t lastDt = 0;
};

// An item that records how the loop calls it.
class ProbeItem : public Item {
public:
    ProbeItem() : Item(nullptr) {}
    void draw(int) override { ++draws; }
    void update(uint32_t& dt, bool won) override {
        dts.push_back(dt);
        wonSeen.push_back(won);
        if (onUpdate) onUpdate();
    }
    bool moveBy(double, double, bool& result) override { return result = false; }
    std::vector<uint32_t> dts;
    std::vector<bool> wonSeen;
    int draws = 0;
    std::function<void()> onUpdate;
};

// Runs a script at the start of every pass of the frame loop.
struct ScriptHooks : PlayHooks {
    std::function<bool(unsigned)> script;
    std::vector<uint32_t> dts;
    bool passStart(unsigned pass) override { return script ? script(pass) : true; }
    void afterUpdates(unsigned, uint32_t dt) override { dts.push_back(dt); }
};

struct PlayLoop : ::testing::Test {
    PlayLoop() : level(testsupport::screen(), nullptr, 1) {
        resetViewImages();
        delete level.player;
        player = new StillPlayer(&level);
        level.player = player;
        std::memset(keys, 0, sizeof keys);
    }
    ~PlayLoop() override {
        level.treasures.clear();
        resetViewImages();
    }

    bool end(PlayOutcome& outcome) { return checkPlayEnd(level, keys, outcome); }
    bool select(int& page, int* chosen, int available, PlayOutcome& outcome) {
        return checkSelectionInput(level, keys, page, chosen, available, outcome);
    }
    void standAt(double x, double y) { player->setPosition(x, y); }

    testsupport::ScratchDir dir;  // no picture files: nothing is drawn from them
    Level level;
    StillPlayer* player;
    uint8_t keys[SDLK_LAST];
};

TEST_F(PlayLoop, EndCheckTakesEscapeThenWinThenRestartThenDeath) {
    PlayOutcome outcome = Completed;
    EXPECT_FALSE(end(outcome));
    EXPECT_EQ(outcome, Completed);  // untouched while the play goes on

    keys[SDLK_ESCAPE] = keys[SDLK_r] = 1;
    player->setReachedGoal(true);
    player->kill();
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Quit);

    keys[SDLK_ESCAPE] = 0;
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Completed);  // goal and death in one frame: the win counts

    player->setReachedGoal(false);
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Restart);

    keys[SDLK_r] = 0;
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Died);
}

TEST_F(PlayLoop, DeathIsCheckedEvenWhenEscapeEndsThePlay) {
    Cell water;
    water.passable = water.deadly = water.liquid = true;
    level.grid.push_back({new Cell(water), new Cell(water)});
    level.rowCount = 1;
    level.columnCount = 2;
    standAt(32, 0);
    keys[SDLK_ESCAPE] = 1;
    PlayOutcome outcome = Completed;
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Quit);
    EXPECT_TRUE(player->dead);
}

TEST_F(PlayLoop, WinNeedsEveryTreasureCollected) {
    PlayOutcome outcome = Died;
    player->setReachedGoal(true);
    ASSERT_TRUE(end(outcome));  // no treasures at all: the goal alone wins
    EXPECT_EQ(outcome, Completed);

    Treasure first(64, 0, AnimStrip{}, AnimStrip{}, nullptr);
    Treasure second(96, 0, AnimStrip{}, AnimStrip{}, nullptr);
    level.treasures = {&first, &second};
    first.collected = true;
    outcome = Died;
    EXPECT_FALSE(end(outcome));
    EXPECT_EQ(outcome, Died);

    second.collected = true;
    ASSERT_TRUE(end(outcome));
    EXPECT_EQ(outcome, Completed);

    player->setReachedGoal(false);
    EXPECT_FALSE(end(outcome));
}

TEST_F(PlayLoop, PageTurnsNeedTheEdgeTheArrowAndAPageToGoTo) {
    PlayOutcome outcome = Quit;
    int chosen = -1;
    int page = 0;

    standAt(0, 224);
    keys[SDLK_LEFT] = 1;
    EXPECT_FALSE(select(page, &chosen, 30, outcome));  // first page: nothing before it
    EXPECT_EQ(page, 0);
    EXPECT_EQ(level.pageShift, 0);

    page = 10;
    ASSERT_TRUE(select(page, &chosen, 30, outcome));
    EXPECT_EQ(page, 0);
    EXPECT_EQ(level.pageShift, -10);
    EXPECT_EQ(outcome, Completed);
    EXPECT_EQ(chosen, -1);

    standAt(2.0, 224);  // not quite at the edge
    page = 10;
    EXPECT_FALSE(select(page, &chosen, 30, outcome));

    keys[SDLK_LEFT] = 0;
    keys[SDLK_RIGHT] = 1;
    standAt(606.0, 224);
    EXPECT_FALSE(select(page, &chosen, 19, outcome));
    standAt(608, 224);
    outcome = Quit;
    ASSERT_TRUE(select(page, &chosen, 19, outcome));  // 10 + 8 < 19, though page 20 holds nothing
    EXPECT_EQ(page, 20);
    EXPECT_EQ(level.pageShift, 10);
    EXPECT_EQ(outcome, Completed);
    EXPECT_EQ(chosen, -1);

    page = 10;
    EXPECT_FALSE(select(page, &chosen, 18, outcome));
    EXPECT_EQ(page, 10);
}

TEST_F(PlayLoop, DoorsAreEnteredByNumberUpToTheAvailableLevel) {
    PlayOutcome outcome = Quit;
    int chosen = -1;
    int page = 0;

    standAt(128, 64);  // column 4, row 2: door 1
    EXPECT_FALSE(select(page, &chosen, 7, outcome));  // no key held
    keys[SDLK_SPACE] = 1;
    ASSERT_TRUE(select(page, &chosen, 7, outcome));
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(outcome, Completed);

    keys[SDLK_SPACE] = 0;
    keys[SDLK_RETURN] = 1;
    standAt(224 + 31.9, 224 + 31.9);  // column 7, row 7: door 7, anywhere in the square
    ASSERT_TRUE(select(page, &chosen, 7, outcome));
    EXPECT_EQ(chosen, 7);

    chosen = -1;
    standAt(320, 224);  // door 8 is above the available levels
    EXPECT_FALSE(select(page, &chosen, 7, outcome));
    standAt(160, 64);  // between doors
    EXPECT_FALSE(select(page, &chosen, 7, outcome));
    standAt(128, 96);  // under a door
    EXPECT_FALSE(select(page, &chosen, 7, outcome));
    EXPECT_EQ(chosen, -1);

    page = 10;
    standAt(512, 224);  // column 16, row 7: page + 10
    ASSERT_TRUE(select(page, &chosen, 20, outcome));
    EXPECT_EQ(chosen, 20);

    // Column -3 passes the signed remainder test and names the level just
    // before the page.
    standAt(32, 64);
    ASSERT_TRUE(select(page, &chosen, 20, outcome));
    EXPECT_EQ(chosen, 10);
    // On page 0 the same spot would name level 0: no door.
    page = 0;
    chosen = -1;
    EXPECT_FALSE(select(page, &chosen, 20, outcome));
    EXPECT_EQ(chosen, -1);
    page = 10;

    // Space with the left arrow at the left edge of page 0 is a door test.
    keys[SDLK_LEFT] = 1;
    page = 0;
    chosen = -1;
    standAt(0, 64);
    EXPECT_FALSE(select(page, &chosen, 20, outcome));
    EXPECT_EQ(chosen, -1);
}

TEST_F(PlayLoop, FramesRunOnTheMeasuredTimeAndEndOnTheHeldKey) {
    platform::VirtualInput input(5000);
    auto* item = new ProbeItem;
    level.items.push_back(item);
    ProbeItem* late = nullptr;
    item->onUpdate = [&] {
        if (!late) {
            late = new ProbeItem;
            level.items.push_back(late);
        }
    };
    ScriptHooks hooks;
    hooks.script = [&](unsigned pass) {
        if (pass == 3) input.keyboard.press(SDLK_ESCAPE);
        return true;
    };
    int page = 0;
    EXPECT_EQ(runPlayLoop(level, page, false, nullptr, 0, &hooks), Quit);
    EXPECT_FALSE(hooks.abandoned);
    EXPECT_EQ(hooks.dts, (std::vector<uint32_t>{20, 20, 20}));
    EXPECT_EQ(item->dts, (std::vector<uint32_t>{20, 20, 20}));
    EXPECT_EQ(item->wonSeen, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(item->draws, 3 + 1);  // and once in the still picture of the start
    EXPECT_EQ(player->updates, 3);
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(late->dts.empty());  // appended during the play: never visited
}

TEST_F(PlayLoop, AnAbandonedPlayReturnsAtOnce) {
    platform::VirtualInput input;
    uint32_t abandonedAt = 0;
    ScriptHooks hooks;
    hooks.script = [&](unsigned pass) {
        abandonedAt = input.clock.now;
        return pass < 2;
    };
    int page = 0;
    EXPECT_EQ(runPlayLoop(level, page, false, nullptr, 0, &hooks), Quit);
    EXPECT_TRUE(hooks.abandoned);
    EXPECT_EQ(hooks.dts.size(), 2u);
    EXPECT_EQ(input.clock.now, abandonedAt);  // no closing sequence
}

TEST_F(PlayLoop, GoalWithoutTreasuresEndsBeforeTheFirstFrame) {
    platform::VirtualInput input;
    auto* item = new ProbeItem;
    level.items.push_back(item);
    player->setReachedGoal(true);
    ScriptHooks hooks;
    int page = 0;
    EXPECT_EQ(runPlayLoop(level, page, false, nullptr, 0, &hooks), Completed);
    EXPECT_TRUE(hooks.dts.empty());
    // The exit sequence: items run 32 ms ahead with won set, the player stands.
    ASSERT_FALSE(item->dts.empty());
    EXPECT_EQ(item->dts.front(), 52u);
    EXPECT_EQ(item->wonSeen.front(), true);
    EXPECT_EQ(player->updates, 0);
}

TEST_F(PlayLoop, APageTurnOnTheMapEndsWithoutChoosingALevel) {
    platform::VirtualInput input;
    standAt(608, 224);
    input.keyboard.press(SDLK_RIGHT);
    int page = 10;
    int chosen = -1;
    EXPECT_EQ(runPlayLoop(level, page, true, &chosen, 19, nullptr), Completed);
    EXPECT_EQ(page, 20);
    EXPECT_EQ(chosen, -1);
    EXPECT_EQ(level.pageShift, 10);
}

TEST_F(PlayLoop, DeathAndRestartBothGoOnForSixSeconds) {
    for (PlayOutcome wanted : {Died, Restart}) {
        platform::VirtualInput input;
        player->dead = false;
        player->updates = 0;
        auto* item = new ProbeItem;
        level.items.push_back(item);
        uint32_t endedAt = 0;
        ScriptHooks hooks;
        hooks.script = [&](unsigned pass) {
            if (pass == 2) {
                if (wanted == Died)
                    player->kill();
                else
                    input.keyboard.press(SDLK_r);
                endedAt = input.clock.now;
            }
            return true;
        };
        int page = 0;
        EXPECT_EQ(runPlayLoop(level, page, false, nullptr, 0, &hooks), wanted);
        EXPECT_GE(input.clock.now - endedAt, 6000u);
        EXPECT_LE(input.clock.now - endedAt, 6020u);
        // The world and the player go on moving through the aftermath.
        EXPECT_EQ(player->updates, 2 + 300);
        EXPECT_EQ(item->dts.size(), 2u + 300u);
        EXPECT_EQ(item->dts.back(), 20u);
        EXPECT_FALSE(item->wonSeen.back());
    }
}

} // namespace
