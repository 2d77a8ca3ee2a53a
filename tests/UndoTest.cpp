// The undo key on tapes: a play with steps taken back ends exactly as the
// same play without those steps, across a bomb, a crate, a gem and a blast.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Tape.h"
#include "entities/Bomb.h"
#include "entities/Treasure.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/HudLayout.h"
#include "play/Snapshot.h"
#include "play/UndoHistory.h"

namespace fs = std::filesystem;

namespace {

struct Played {
    std::unique_ptr<Level> level;
    ReplayResult result;
    Snapshot world;
};

Played play(const Tape& tape) {
    Played p;
    p.level = std::make_unique<Level>(tape.level, testsupport::screen(), &testsupport::sounds(), 1, false);
    p.result = replayTape(*p.level, tape, ReplayOptions{});
    Rewinder(*p.level).capture(p.world);
    return p;
}

Tape runs(const Tape& tape, size_t from, size_t to) {
    Tape part = tape;
    part.runs.assign(tape.runs.begin() + from, tape.runs.begin() + to);
    return part;
}
Tape without(const Tape& tape, size_t from, size_t to) {
    Tape part = tape;
    part.runs.erase(part.runs.begin() + from, part.runs.begin() + to);
    return part;
}
Tape plus(Tape tape, const std::string& lines) {
    for (const TapeRun& run : parseTape(lines).runs) tape.runs.push_back(run);
    return tape;
}

const Bomb* firstBomb(const Level& level) { return level.player->bombs.empty() ? nullptr : level.player->bombs[0]; }

} // namespace

TEST(UndoTapes, StepsTakenBackLeaveTheWorldAsIfNeverTaken) {
    const fs::path tapes = fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes";
    struct Case {
        const char* name;
        size_t firstUndone;                        // the run that starts the steps the key takes back
        std::function<bool(const Level&)> before;  // holds just before the key
    };
    const Case cases[] = {
        {"undo-box-falling.tape", 2,
         [](const Level& l) {
             for (Item* item : l.items)
                 if (item->isBox() && item->isFalling()) return true;
             return false;
         }},
        {"undo-gem.tape", 2, [](const Level& l) { return l.treasures[0]->collected; }},
        {"undo-bomb-burning.tape", 4,
         [](const Level& l) { return firstBomb(l) && firstBomb(l)->burning(); }},
        // The blast opened the wall beside the bomb; the step back closes it.
        {"undo-blast.tape", 4, [](const Level& l) { return l.cellAt(8, 11)->passable; }},
    };
    testsupport::InFolder in(tapes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Tape tape = loadTape(c.name);
        size_t key = 0;
        while (key < tape.runs.size() && !(tape.runs[key].keys & kUndoKeyBit)) ++key;
        ASSERT_LT(key, tape.runs.size());
        EXPECT_TRUE(c.before(*play(runs(tape, 0, key)).level));

        const Played undone = play(tape);
        const Played never = play(without(tape, c.firstUndone, key + 1));
        EXPECT_EQ(outcomeName(undone.result.outcome), tape.expect);
        EXPECT_EQ(undone.result.outcome, never.result.outcome);
        EXPECT_TRUE(undone.world.rules == never.world.rules && undone.world.looks == never.world.looks);
        // Without the key the steps stay taken.
        EXPECT_NE(play(without(tape, key, key + 1)).world.rules, undone.world.rules);
    }
}

// The lead's example on the first level, and the key held: its first repeat
// comes after 300 ms.
TEST(UndoTapes, LevelOneStepsBackWalkByWalkAndHeldRepeats) {
    testsupport::InFolder in(VORREL_SOURCE_DATA);
    const Tape tape = loadTape("level/main/tapes/undo-level1.tape");
    const double start = play(runs(tape, 0, 0)).result.x;
    const Played firstWalk = play(runs(tape, 0, 2));
    const Played secondWalk = play(runs(tape, 0, 4));
    ASSERT_EQ(secondWalk.result.collected, 1u);

    const Played once = play(tape);
    EXPECT_EQ(outcomeName(once.result.outcome), std::string("Unfinished"));
    EXPECT_EQ(once.result.x, firstWalk.result.x);
    EXPECT_EQ(once.result.y, firstWalk.result.y);
    EXPECT_EQ(once.result.collected, 0u);
    const Played twice = play(plus(tape, "1 20 u\n10 20\n"));
    EXPECT_EQ(twice.result.x, start);
    // A third press finds the first state: nothing changes.
    EXPECT_EQ(play(plus(tape, "1 20 u\n10 20\n1 20 u\n10 20\n")).world.rules, twice.world.rules);

    const Tape walks = runs(tape, 0, 4);
    EXPECT_EQ(play(plus(walks, "15 20 u\n")).result.x, firstWalk.result.x);
    EXPECT_EQ(play(plus(walks, "16 20 u\n")).result.x, start);
}

// U at the first state blinks the key's cap in the band: lit, off, lit
// again, then off for good, as the real play loop draws it.
TEST(UndoTapes, NothingLeftToUndoBlinksTheCap) {
    testsupport::InFolder in(VORREL_SOURCE_DATA);
    Tape pressed = loadTape("level/main/tapes/undo-level1.tape");
    pressed.runs.clear();
    auto capAfter = [&](const std::string& frames) {
        const Played p = play(plus(pressed, "1 20 u\n" + frames));
        std::vector<Uint32> pixels;
        for (int y = hud::kUndoCapY - 2; y < hud::kUndoCapY + hud::kCapHeight + 2; ++y)
            for (int x = hud::kUndoCapX - 2; x < hud::kUndoCapX + hud::kCapWidth + 2; ++x)
                pixels.push_back(getPixel(p.level->screen, x, y));
        return pixels;
    };
    const std::vector<Uint32> lit = capAfter(""), off = capAfter("8 20\n");
    EXPECT_NE(lit, off);
    EXPECT_EQ(capAfter("16 20\n"), lit);
    EXPECT_EQ(capAfter("21 20\n"), off);
}

// Past its budget the history thins its oldest steps: it stays within it,
// the latest steps stay whole and the first state stays the last.
TEST(UndoHistoryTest, PastItsBudgetTheOldestStepsThinOut) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes");
    Level level("level/walk.lev", testsupport::screen(), &testsupport::sounds(), 1, false);
    const double start = level.player->x;
    UndoHistory probe;
    probe.attach(level);
    Snapshot first;
    Rewinder(level).capture(first);
    const std::size_t budget = probe.bytes() + 40 * (sizeof first + first.rules.size() + first.looks.size());
    UndoHistory history(budget);
    history.attach(level);
    HeadlessPlay play(level);
    PlayOutcome outcome;
    auto walk = [&](int key) {
        play.keyboard.releaseAll();
        play.keyboard.press(key);
        play.pass(20, outcome, &history);
        play.keyboard.releaseAll();
        for (int i = 0; i < 30; ++i) play.pass(20, outcome, &history);
    };
    double before = 0;
    for (int i = 0; i < 300; ++i) {
        before = level.player->x;
        walk(i % 4 < 2 ? SDLK_RIGHT : SDLK_LEFT);
    }
    EXPECT_LE(history.bytes(), budget);
    EXPECT_GT(history.steps(), 20u);
    EXPECT_LT(history.steps(), 300u);
    ASSERT_TRUE(history.stepBack());
    EXPECT_EQ(level.player->x, before);
    while (history.stepBack()) {
    }
    EXPECT_EQ(level.player->x, start);
    history.detach();
}
