#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "play/PlayLoop.h"
#include "common/Tape.h"

namespace fs = std::filesystem;

namespace {

using testsupport::InFolder;
using testsupport::sounds;

// From the build's absolute data path: __FILE__ may be relative (compiler caches).
fs::path sourceRoot() { return fs::path(VORREL_SOURCE_DATA).parent_path(); }
fs::path tapeFolder() { return sourceRoot() / "tests" / "tapes"; }

std::unique_ptr<Level> loadLevel(const std::string& path) {
    return std::make_unique<Level>(path, testsupport::screen(), &sounds(), 1, false);
}

// Everything written to a FILE*, read back as lines.
class Capture {
public:
    Capture() : file(std::tmpfile()) {}
    ~Capture() { std::fclose(file); }
    std::vector<std::string> lines() {
        std::fflush(file);
        std::rewind(file);
        std::vector<std::string> out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, file)) {
            std::string line = buffer;
            if (!line.empty() && line.back() == '\n') line.pop_back();
            out.push_back(line);
        }
        return out;
    }
    std::FILE* file;
};

int errorLine(const std::string& text) {
    try {
        parseTape(text);
    } catch (const TapeError& error) {
        return error.line;
    }
    return -1;
}

} // namespace

TEST(TapeParser, ReadsRunsKeysAndHeaders) {
    Tape tape = parseTape(
        "# level level/main/level3.lev\n"
        "# expect Completed\r\n"
        "#select 5\n"
        "\n"
        "   \t\n"
        "  # indented comment\n"
        "3 20 right x\r\n"
        "1\t17\n"
        "2 0 left right up down x z space return escape r m l period u\n");
    EXPECT_EQ(tape.level, "level/main/level3.lev");
    EXPECT_EQ(tape.expect, "Completed");
    EXPECT_EQ(tape.select, -1);  // "#select" without a blank is a plain comment
    ASSERT_EQ(tape.runs.size(), 3u);
    EXPECT_EQ(tape.runs[0].frames, 3u);
    EXPECT_EQ(tape.runs[0].dt, 20u);
    EXPECT_EQ(tape.frameCount(), 6u);

    uint8_t state[SDLK_LAST] = {};
    applyKeyMask(tape.runs[0].keys, state);
    EXPECT_TRUE(state[SDLK_RIGHT] && state[SDLK_x]);
    EXPECT_FALSE(state[SDLK_LEFT] || state[SDLK_z] || state[SDLK_ESCAPE]);
    EXPECT_EQ(tape.runs[1].keys, 0);
    applyKeyMask(tape.runs[2].keys, state);
    for (int i = 0; i < kTapeKeyCount; ++i) EXPECT_TRUE(state[kTapeKeySyms[i]]) << kTapeKeyNames[i];
    EXPECT_EQ(keyMaskOf(state), tape.runs[2].keys);
    // Backspace is the undo key too, and goes on a tape as `u`.
    uint8_t backspace[SDLK_LAST] = {};
    backspace[SDLK_BACKSPACE] = 1;
    EXPECT_EQ(keyMaskOf(backspace), parseTape("1 20 u\n").runs[0].keys);
    EXPECT_EQ(parseTape("").frameCount(), 0u);
}

TEST(TapeParser, ErrorsCarryTheLineNumber) {
    EXPECT_EQ(errorLine("1 20\n2 20 jump\n"), 2);       // unknown key
    EXPECT_EQ(errorLine("# c\n\n1 20 Right\n"), 3);     // key names are lower case
    EXPECT_EQ(errorLine("1\n"), 1);                     // no frame time
    EXPECT_EQ(errorLine("1 20\n0 20\n"), 2);            // no passes
    EXPECT_EQ(errorLine("-1 20\n"), 1);
    EXPECT_EQ(errorLine("1 -20\n"), 1);
    EXPECT_EQ(errorLine("1 2x\n"), 1);
    EXPECT_EQ(errorLine("1 20\n1 4294967296\n"), 2);    // frame time beyond 32 bits
    EXPECT_EQ(errorLine("1 4294967295\n"), -1);
    // The passes are capped, and the run that goes over names its line.
    const std::string most = std::to_string(kTapeMostPasses - 1);
    EXPECT_EQ(errorLine("1 20\n" + most + " 20 right\n"), -1);
    EXPECT_EQ(errorLine("1 20\n" + most + " 20 right\n# end\n1 20\n"), 4);
    EXPECT_EQ(errorLine("2000000000 20 right\n"), 1);
    EXPECT_EQ(errorLine("right 20\n"), 1);
    try {
        parseTape("1 20\n\n1 20 left jump\n");
        FAIL();
    } catch (const TapeError& error) {
        EXPECT_EQ(error.line, 3);
        EXPECT_NE(std::string(error.what()).find("jump"), std::string::npos);
    }
    try {
        loadTape("/nonexistent/walk.tape");
        FAIL();
    } catch (const TapeError& error) {
        EXPECT_EQ(error.line, 0);
    }
}

TEST(TapeParser, FormatMergesEqualFramesAndReadsBack) {
    Tape tape;
    tape.level = "level/walk.lev";
    tape.expect = "Died";
    tape.select = 17;
    tape.page = 10;
    uint8_t state[SDLK_LAST] = {};
    state[SDLK_LEFT] = state[SDLK_z] = 1;
    const uint16_t keys = keyMaskOf(state);
    tape.append(20, 0);
    tape.append(20, 0);
    tape.append(21, 0);
    tape.append(21, keys);
    tape.append(21, keys);
    EXPECT_EQ(formatTape(tape),
              "# level level/walk.lev\n# expect Died\n# select 17\n# page 10\n2 20\n1 21\n2 21 left z\n");
    Tape back = parseTape(formatTape(tape));
    EXPECT_EQ(back.level, tape.level);
    EXPECT_EQ(back.expect, tape.expect);
    EXPECT_EQ(back.select, 17);
    EXPECT_EQ(back.page, 10);
    ASSERT_EQ(back.runs.size(), 3u);
    EXPECT_EQ(back.runs[2].keys, keys);
    EXPECT_EQ(back.frameCount(), 5u);
    EXPECT_EQ(parseOutcome("Unfinished"), kUnfinished);
    EXPECT_EQ(parseOutcome("Restart"), Restart);
    EXPECT_EQ(parseOutcome("quit"), -1);
}

// The driver's part of a pass, without a play loop: keys held from the start
// of the pass, the sleep stretched to the frame time, other waits untouched.
TEST(ReplayDriverTest, HoldsKeysAndStretchesTheSleepOfEachPass) {
    Level level(testsupport::screen(), nullptr, 1);
    Tape tape = parseTape("2 35 right\n1 7 escape\n");
    ReplayDriver driver(tape, level);
    platform::delay(20);  // the start sequence sleeps as asked
    EXPECT_EQ(platform::ticks(), 20u);

    uint32_t last = platform::ticks();
    const uint32_t expected[] = {35, 35, 7};
    for (unsigned pass = 1; pass <= 3; ++pass) {
        ASSERT_TRUE(driver.passStart(pass));
        platform::pumpEvents();
        EXPECT_EQ(platform::keyState()[SDLK_RIGHT] != 0, pass < 3);
        EXPECT_EQ(platform::keyState()[SDLK_ESCAPE] != 0, pass == 3);
        platform::delay(20);
        uint32_t now = platform::ticks();
        EXPECT_EQ(now - last, expected[pass - 1]);
        last = now;
    }
    EXPECT_EQ(driver.framesUsed(), 3u);
    EXPECT_FALSE(driver.ranOut());
    EXPECT_FALSE(driver.passStart(4));
    EXPECT_TRUE(driver.ranOut());
    EXPECT_EQ(driver.framesUsed(), 3u);

    // A pass cut short by its end check: the closing sequence reads the clock
    // before it sleeps, and its sleeps last what they ask.
    ReplayClock clock;
    clock.arm(99);
    uint32_t start = clock.ticks();
    clock.delay(20);
    EXPECT_EQ(clock.ticks() - start, 20u);
}

TEST(ReplayDriverTest, PlayerFlagsInTraceOrder) {
    Level level(testsupport::screen(), nullptr, 1);
    char flags[10];
    playerFlags(level, flags);
    EXPECT_STREQ(flags, "-");
    Player& p = *level.player;
    p.walking = p.jumping = p.pushing = p.falling = p.steppingUp = true;
    p.placingBomb = p.onLadder = p.dead = p.reachedGoal = true;
    playerFlags(level, flags);
    EXPECT_STREQ(flags, "WJPFSBLDG");
    p.walking = p.pushing = p.steppingUp = p.onLadder = p.reachedGoal = false;
    playerFlags(level, flags);
    EXPECT_STREQ(flags, "JFBD");
}

// A walk of one cell at 20 ms a frame (0.1 pixel a millisecond).
TEST(ReplayTest, TraceOfAWalk) {
    InFolder folder(tapeFolder());
    auto level = loadLevel("level/walk.lev");
    ASSERT_DOUBLE_EQ(level->player->x, 64.0);
    Tape tape = parseTape("1 20 right\n25 20\n");
    Capture trace;
    ReplayResult result = replayTape(*level, tape, ReplayOptions(), trace.file);
    std::vector<std::string> lines = trace.lines();
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[0], "1 20 64.000 352.000 W");
    EXPECT_EQ(lines[1], "2 20 66.000 352.000 W");
    EXPECT_EQ(lines[9], "10 20 82.000 352.000 W");
    EXPECT_EQ(lines[16], "17 20 96.000 352.000 W");  // exactly one cell: not yet over
    EXPECT_EQ(lines[17], "18 20 96.000 352.000 -");  // past it, rounded back
    EXPECT_EQ(lines[25], "26 20 96.000 352.000 -");
    EXPECT_EQ(result.outcome, kUnfinished);
    EXPECT_EQ(result.frames, 26u);
    EXPECT_EQ(formatReport(result), "outcome Unfinished\nframes 26\nplayer 96.000 352.000\ntreasures 0 0\nbombs 0\n");
}

TEST(ReplayTest, EndCheckFrameCountsAndClosingSequencesUseNoFrames) {
    InFolder folder(tapeFolder());
    {
        auto level = loadLevel("level/walk.lev");
        ReplayResult result = replayTape(*level, parseTape("3 20\n1 20 escape r\n5 20\n"), ReplayOptions());
        EXPECT_EQ(result.outcome, Quit);  // Escape wins over R
        EXPECT_EQ(result.frames, 4u);
    }
    {
        // The frame time of the pass that ends the play is never slept: the
        // closing fade runs on its own 2000 ms.
        auto level = loadLevel("level/walk.lev");
        ReplayResult result = replayTape(*level, parseTape("3 20\n1 500000 escape\n"), ReplayOptions());
        EXPECT_EQ(result.outcome, Quit);
        EXPECT_LT(result.endTicks, 10000u);
        EXPECT_GE(result.endTicks, 3000u + 60u + 2000u);
    }
    {
        auto level = loadLevel("level/walk.lev");
        ReplayResult result = replayTape(*level, parseTape("2 20 r\n"), ReplayOptions());
        EXPECT_EQ(result.outcome, Restart);
        EXPECT_EQ(result.frames, 1u);
        EXPECT_GE(result.endTicks, 6000u);  // the aftermath ran on its own clock
    }
    {
        auto level = loadLevel("level/walk.lev");
        ReplayResult result = replayTape(*level, Tape(), ReplayOptions());
        EXPECT_EQ(result.outcome, kUnfinished);
        EXPECT_EQ(result.frames, 0u);
    }
}

TEST(ReplayTest, SelectionModeReportsDoorAndPage) {
    InFolder folder(tapeFolder());
    ReplayOptions options;
    options.selectMode = true;
    options.available = 5;
    {
        auto level = loadLevel("level/select.lev");
        ReplayResult result = replayTape(*level, parseTape("2 20\n1 20 space\n"), options);
        EXPECT_EQ(result.outcome, Completed);
        EXPECT_EQ(result.chosen, 1);
        EXPECT_EQ(result.frames, 3u);
        EXPECT_NE(formatReport(result).find("\nchosen 1\npage 0\n"), std::string::npos);
    }
    {
        options.available = 19;
        auto level = loadLevel("level/select.lev");
        ReplayResult result = replayTape(*level, parseTape("400 20 right\n"), options);
        EXPECT_EQ(result.outcome, Completed);
        EXPECT_EQ(result.chosen, -1);
        EXPECT_EQ(result.page, 10);
    }
}

TEST(ReplayTest, IdenticalWhenRunTwice) {
    InFolder folder(tapeFolder());
    Tape tape = loadTape("collect.tape");
    std::vector<std::string> traces[2];
    std::string reports[2];
    for (int run = 0; run < 2; ++run) {
        auto level = loadLevel("level/collect.lev");
        Capture trace;
        reports[run] = formatReport(replayTape(*level, tape, ReplayOptions(), trace.file));
        traces[run] = trace.lines();
    }
    EXPECT_GT(traces[0].size(), 100u);
    EXPECT_EQ(traces[0][0].rfind("1 21 ", 0), 0u);  // the frame time is the tape's, not the 20 ms sleep
    EXPECT_EQ(traces[0][40].rfind("41 19 ", 0), 0u);
    EXPECT_EQ(traces[0], traces[1]);
    EXPECT_EQ(reports[0], reports[1]);
    EXPECT_NE(reports[0].find("outcome Completed"), std::string::npos);
}

namespace {

// A real-time clock stand-in whose sleeps overrun unevenly, as SDL_Delay does.
class JitterClock : public platform::Clock {
public:
    uint32_t ticks() override { return now; }
    void delay(uint32_t ms) override { now += ms + (step++ * 7) % 5; }
    uint32_t now = 1000;
    uint32_t step = 0;
};

// Right for a while, a rest, then right until the play ends. The start
// sequence's fade pumps as well, so the script counts from its first pass.
struct ScriptedPerson {
    platform::ScriptedKeyboard keyboard;
    unsigned firstPump = 0;
};

void scriptedPlayer(void* context) {
    auto* person = static_cast<ScriptedPerson*>(context);
    platform::ScriptedKeyboard& keyboard = person->keyboard;
    keyboard.releaseAll();
    const unsigned pass = keyboard.pumps - person->firstPump;
    if (pass <= 30 || pass > 45) keyboard.press(SDLK_RIGHT);
}

class FirstPassMark : public PlayHooks {
public:
    FirstPassMark(TapeRecorder& recorder, ScriptedPerson& person) : recorder(recorder), person(person) {}
    bool passStart(unsigned pass) override {
        if (pass == 0) person.firstPump = person.keyboard.pumps;
        return recorder.passStart(pass);
    }
    void afterUpdates(unsigned pass, uint32_t dt) override { recorder.afterUpdates(pass, dt); }
    TapeRecorder& recorder;
    ScriptedPerson& person;
};

} // namespace

TEST(RecordTest, RecordedPlayReplaysToTheSameEnd) {
    InFolder folder(tapeFolder());
    JitterClock clock;
    ScriptedPerson person;
    person.keyboard.onPump = scriptedPlayer;
    person.keyboard.context = &person;
    TapeRecorder recorder(&person.keyboard);
    FirstPassMark hooks(recorder, person);
    platform::setClock(&clock);
    platform::setKeyboard(&recorder);
    auto recorded = loadLevel("level/collect.lev");
    int page = 0;
    PlayOutcome outcome = runPlayLoop(*recorded, page, false, nullptr, 0, &hooks);
    recorder.finish();
    platform::setClock(nullptr);
    platform::setKeyboard(nullptr);
    ASSERT_EQ(outcome, Completed);
    ASSERT_GT(recorder.tape.runs.size(), 3u);  // uneven frame times make many runs
    EXPECT_EQ(recorder.tape.runs[40].keys, 0);  // the rest was recorded

    // Through the text, as the tool writes and reads it.
    Tape tape = parseTape(formatTape(recorder.tape));
    auto replayed = loadLevel("level/collect.lev");
    ReplayResult result = replayTape(*replayed, tape, ReplayOptions());
    EXPECT_EQ(result.outcome, Completed);
    EXPECT_EQ(result.frames, tape.frameCount());
    EXPECT_EQ(result.x, recorded->player->x);
    EXPECT_EQ(result.y, recorded->player->y);
    EXPECT_EQ(result.collected, 1u);
}

TEST(RecordTest, FinalPassAndClosingKeys) {
    platform::ScriptedKeyboard person;
    TapeRecorder recorder(&person);
    // Two ordinary passes, then a pass whose end check ends the play.
    for (unsigned pass = 1; pass <= 3; ++pass) {
        person.releaseAll();
        person.press(pass < 3 ? SDLK_LEFT : SDLK_r);
        recorder.passStart(pass);
        recorder.pump();
        if (pass < 3) recorder.afterUpdates(pass, 20 + pass);
    }
    // The aftermath pumps again: the final pass's keys stay held.
    person.releaseAll();
    recorder.pump();
    EXPECT_TRUE(recorder.keys()[SDLK_r]);
    recorder.finish();
    recorder.finish();
    EXPECT_EQ(formatTape(recorder.tape), "1 21 left\n1 22 left\n1 20 r\n");
}

// Every tape of the project ending as its header says: see RewindTest.cpp,
// which plays each one drawn and headless.
