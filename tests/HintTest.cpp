// The hint: on every campaign level's start it finds a win and names its
// first action; after a wasted bomb it says how far back the undo key must go;
// on a busy machine it gives up in time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Tape.h"
#include "entities/Bomb.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/Vocabulary.h"
#include "platform/Platform.h"
#include "play/Headless.h"
#include "play/HudLayout.h"
#include "play/UndoHistory.h"
#include "solve/Hint.h"
#include "solve/HintPlay.h"

namespace fs = std::filesystem;

namespace {

// The keys that start a move, as a tape writes them.
uint16_t keysOf(HintMove move, int facing) {
    const std::string side = facing > 0 ? " right" : facing < 0 ? " left" : "";
    std::string keys;
    switch (move) {
    case HintMove::Walk:
    case HintMove::Push: keys = side; break;
    case HintMove::Jump:
    case HintMove::StepUp: keys = " x" + side; break;
    case HintMove::ClimbUp: keys = " up"; break;
    case HintMove::ClimbDown: keys = " down"; break;
    case HintMove::Bomb: keys = " z"; break;
    case HintMove::Wait: break;
    }
    return parseTape("1 20" + keys + "\n").runs[0].keys;
}

HintAnswer ask(Hint& hint) {
    // Limits, not the clock, decide in tests: the answer is the same on a busy machine.
    return hint.think(1e9);
}

} // namespace

TEST(HintTest, EveryCampaignLevelCanBeWonFromItsStartAndItsFirstActionBeginsTheWin) {
    const fs::path data = fs::absolute(VORREL_SOURCE_DATA);
    testsupport::InFolder in(data);
    HintLimits limits;
    limits.seconds = 600;
    limits.states = 200000;  // the campaign's hardest start needs about 70,000
    const auto start = std::chrono::steady_clock::now();
    for (int n = 1; fs::exists(data / ("level/main/level" + std::to_string(n) + ".lev")); ++n) {
        const std::string path = "level/main/level" + std::to_string(n) + ".lev";
        SCOPED_TRACE(path);
        Level level(path, testsupport::screen(), nullptr, 1, false);
        Hint hint(level, nullptr, limits);
        ASSERT_EQ(ask(hint), HintAnswer::CanWin);
        ASSERT_NE(hint.move, HintMove::Wait);

        // Followed pass by pass, the win's first keys are the move's, pressed
        // where the hint shows the player, and the win completes the level.
        const Tape& win = hint.win();
        HeadlessPlay play(level);
        PlayOutcome outcome = Quit;
        uint64_t pass = 0;
        bool first = true;
        for (const TapeRun& run : win.runs)
            for (uint32_t i = 0; i < run.frames; ++i) {
                if (run.keys && first) {
                    first = false;
                    EXPECT_EQ(run.keys, keysOf(hint.move, hint.facing));
                    EXPECT_EQ(level.player->x, hint.column * 32.0);
                    EXPECT_EQ(level.player->y, hint.row * 32.0);
                }
                applyKeyMask(run.keys, play.keyboard.state);
                ++pass;
                if (play.pass(run.dt, outcome)) break;
            }
        EXPECT_EQ(outcome, Completed);
        EXPECT_EQ(pass, win.frameCount());
    }
    std::printf("hint over the campaign: %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

TEST(HintTest, AfterAWastedBombItSaysHowFarBackTheLevelCanBeWonAgain) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes");
    Level level("level/wasted-bomb.lev", testsupport::screen(), nullptr, 1, false);
    UndoHistory history;
    history.attach(level);
    HeadlessPlay play(level);
    PlayOutcome outcome;
    auto take = [&](const std::vector<const char*>& steps, int rest) {
        for (const char* keys : steps) {
            applyKeyMask(parseTape(std::string("1 20 ") + keys + "\n").runs[0].keys, play.keyboard.state);
            ASSERT_FALSE(advancePass(level, play.keyboard.state, 20, level.items.size(), outcome, &history));
            applyKeyMask(0, play.keyboard.state);
            for (int i = 0; i < rest; ++i)
                ASSERT_FALSE(advancePass(level, play.keyboard.state, 20, level.items.size(), outcome, &history));
        }
    };
    // A step right, the bomb far from the wall, two steps left, the blast,
    // then three steps more. Until the blast the burning bomb could still be
    // pushed to the wall in time.
    take({"right", "z", "left", "left"}, 60);
    take({""}, 200);
    ASSERT_TRUE(level.player->bombs[0]->exploded);
    take({"right", "right", "left"}, 60);
    Snapshot before;
    Rewinder(level).capture(before);

    Hint hint(level, &history);
    ASSERT_EQ(ask(hint), HintAnswer::CannotWin);
    // Back past the three steps after the blast and the last step left.
    EXPECT_EQ(hint.stepsBack, 4u);
    Snapshot after;
    Rewinder(level).capture(after);
    EXPECT_EQ(after.rules, before.rules);  // the world as it was asked about

    // One press short it is still lost; that many presses make it winnable.
    for (std::size_t i = 1; i < hint.stepsBack; ++i) history.stepBack();
    Hint shorter(level, nullptr);
    EXPECT_EQ(ask(shorter), HintAnswer::CannotWin);
    history.stepBack();
    Hint enough(level, nullptr);
    EXPECT_EQ(ask(enough), HintAnswer::CanWin);
    history.detach();
}

namespace {

// Walks right; on the 20th pass asks for the hint, and once it is up
// dismisses it with the walk's own key.
struct Asker : PlayHooks {
    bool passStart(unsigned pass) override {
        passes = pass;
        return recorder->passStart(pass);
    }
    void afterUpdates(unsigned pass, uint32_t dt) override { recorder->afterUpdates(pass, dt); }
    void worldHeld(bool on) override {
        recorder->worldHeld(on);
        held = on;
        if (on) ++asked;
    }
    static void pump(void* context) {
        auto* self = static_cast<Asker*>(context);
        platform::ScriptedKeyboard& keys = self->keyboard;
        keys.releaseAll();
        if (self->held) {
            if (++self->heldPumps > 30) keys.press(SDLK_RIGHT);
        } else if (self->passes == 20 && !self->asked) {
            keys.press(kHintKey);
        } else if (self->passes < 15 || self->passes > 20) {
            keys.press(SDLK_RIGHT);
        }
    }
    TapeRecorder* recorder = nullptr;
    platform::ScriptedKeyboard keyboard;
    unsigned passes = 0, asked = 0, heldPumps = 0;
    bool held = false;
};

} // namespace

TEST(HintTest, APlayWithAHintReplaysExactly) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes");
    Asker asker;
    asker.keyboard.onPump = Asker::pump;
    asker.keyboard.context = &asker;
    TapeRecorder recorder(&asker.keyboard);
    asker.recorder = &recorder;
    platform::VirtualClock clock(1000);
    platform::setClock(&clock);
    platform::setKeyboard(&recorder);
    Level recorded("level/collect.lev", testsupport::screen(), nullptr, 1, false);
    int page = 0;
    const PlayOutcome outcome = runPlayLoop(recorded, page, false, nullptr, 0, &asker);
    recorder.finish();
    platform::setClock(nullptr);
    platform::setKeyboard(nullptr);
    ASSERT_EQ(outcome, Completed);
    EXPECT_EQ(asker.asked, 1u);
    EXPECT_GT(asker.heldPumps, 30u);
    Snapshot end;
    Rewinder(recorded).capture(end);

    // The tape holds only the passes: the held world is none of them.
    const Tape tape = parseTape(formatTape(recorder.tape));
    EXPECT_EQ(tape.frameCount(), asker.passes + 1);
    Level replayed("level/collect.lev", testsupport::screen(), nullptr, 1, false);
    const ReplayResult result = replayTape(replayed, tape, ReplayOptions());
    EXPECT_EQ(result.outcome, Completed);
    EXPECT_EQ(result.frames, tape.frameCount());
    Snapshot again;
    Rewinder(replayed).capture(again);
    EXPECT_EQ(again.rules, end.rules);
}

namespace {

// A machine so busy that each frame of the hint takes a second: the hint
// thinks one slice a frame, so on a level it cannot decide in two slices it
// gives up when the two seconds are over.
struct SlowFrames {
    static void pump(void* context) {
        auto* self = static_cast<SlowFrames*>(context);
        self->input.clock.advance(1000);
        ++self->pumps;
        SDL_Surface* screen = testsupport::screen();
        if (self->pumps == 2) self->thinking = band(screen);
        if (self->pumps == 3) self->given = band(screen);
        if (self->pumps == 3) self->levelShown = levelArea(screen);
        self->input.keyboard.releaseAll();
        if (self->pumps >= 5) self->input.keyboard.press(SDLK_RIGHT);
    }
    // Per row of the status bar's band: the rightmost yellow pixel (-1 for
    // none) and whether anything but black is there.
    struct Row {
        int yellowEnd = -1;
        bool lit = false;
    };
    static std::vector<Row> band(SDL_Surface* screen) {
        std::vector<Row> rows;
        for (int y = screen->h - hud::kBandHeight; y < screen->h; ++y) {
            Row row;
            for (int x = 0; x < screen->w; ++x) {
                Uint8 r, g, b;
                testsupport::pixelRGB(screen, x, y, r, g, b);
                if (r == 255 && g == 214 && b == 64) row.yellowEnd = x;
                if (r || g || b) row.lit = true;
            }
            rows.push_back(row);
        }
        return rows;
    }
    static std::vector<Uint32> levelArea(SDL_Surface* screen) {
        std::vector<Uint32> pixels;
        for (int y = 0; y < screen->h - hud::kBandHeight; ++y)
            for (int x = 0; x < screen->w; ++x) {
                Uint8 r, g, b;
                testsupport::pixelRGB(screen, x, y, r, g, b);
                pixels.push_back(Uint32(r) << 16 | Uint32(g) << 8 | b);
            }
        return pixels;
    }
    platform::VirtualInput input{1000};
    unsigned pumps = 0;
    std::vector<Row> thinking, given;
    std::vector<Uint32> levelShown;
};

} // namespace

TEST(HintTest, OnABusyMachineItGivesUpWhenItsTwoSecondsAreOver) {
    testsupport::InFolder in(VORREL_SOURCE_DATA);
    // The campaign's last level: its search takes about a second.
    Level level("level/main/level40.lev", testsupport::screen(), nullptr, 1, false);
    SDL_FillRect(level.screen, nullptr, SDL_MapRGB(level.screen->format, 30, 60, 90));
    const std::vector<Uint32> still = SlowFrames::levelArea(level.screen);
    Snapshot before;
    Rewinder(level).capture(before);
    SlowFrames slow;
    slow.input.keyboard.onPump = SlowFrames::pump;
    slow.input.keyboard.context = &slow;
    runHint(level, nullptr, nullptr);
    ASSERT_GE(slow.pumps, 5u);

    // After a second of two: thinking, its bar half full.
    const int barEnd = 8 + (level.screen->w - 16) / 2;
    int thinkingEnd = -1;
    for (const SlowFrames::Row& row : slow.thinking) thinkingEnd = std::max(thinkingEnd, row.yellowEnd);
    EXPECT_NEAR(thinkingEnd, barEnd, 8);
    // Past two: "No answer in time", one line and no bar, nothing over the level.
    for (size_t y = 0; y < slow.given.size(); ++y) {
        EXPECT_EQ(slow.given[y].yellowEnd, -1) << y;
        if (y >= 6 + kLetterHeight) {
            EXPECT_FALSE(slow.given[y].lit) << y;
        }
    }
    EXPECT_TRUE(slow.given[6].lit || slow.given[10].lit);
    EXPECT_TRUE(slow.levelShown == still);
    // The world and the picture are as they were.
    Snapshot after;
    Rewinder(level).capture(after);
    EXPECT_EQ(after.rules, before.rules);
    EXPECT_TRUE(SlowFrames::levelArea(level.screen) == still);
}
