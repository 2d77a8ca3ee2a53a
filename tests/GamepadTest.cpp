// A gamepad seen as held keys at the platform seam, and its mapping file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Tape.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "platform/FileRead.h"
#include "platform/Gamepad.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/Snapshot.h"

namespace {

struct PadFixture : ::testing::Test {
    PadFixture() { platform::setGamepad(&pad); }
    ~PadFixture() override { platform::setGamepad(nullptr); }
    // The keys every loop sees after the next pump.
    const uint8_t* pumped() {
        platform::pumpEvents();
        return platform::keyState();
    }
    platform::VirtualInput input;
    platform::ScriptedGamepad pad;
};

TEST_F(PadFixture, AStickInsideItsDeadZoneHoldsNothing) {
    pad.state.x = platform::kStickDeadZone;
    pad.state.y = -platform::kStickDeadZone;
    const uint8_t* keys = pumped();
    for (int sym : {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}) EXPECT_FALSE(keys[sym]) << sym;
    pad.state.x = platform::kStickDeadZone + 1;
    EXPECT_TRUE(pumped()[SDLK_RIGHT]);
}

TEST_F(PadFixture, HatAndStickHeldTogetherBothHoldArrowsBesideTheKeyboard) {
    input.keyboard.press(SDLK_m);
    pad.state.hat = SDL_HAT_UP;
    pad.state.x = -32768;
    pad.press(0);
    pad.press(7);
    pad.press(6);
    pad.press(5);
    const uint8_t* keys = pumped();
    EXPECT_TRUE(keys[SDLK_UP]);
    EXPECT_TRUE(keys[SDLK_LEFT]);
    EXPECT_FALSE(keys[SDLK_RIGHT]);
    EXPECT_FALSE(keys[SDLK_DOWN]);
    EXPECT_TRUE(keys[SDLK_x]);
    EXPECT_FALSE(keys[SDLK_z]);
    EXPECT_TRUE(keys[SDLK_SPACE] && keys[SDLK_RETURN] && keys[SDLK_ESCAPE]);
    EXPECT_TRUE(keys[SDLK_h]);
    EXPECT_FALSE(keys[SDLK_u]);
    EXPECT_TRUE(keys[SDLK_m]);
    // The keyboard's own state is left as it is, and the pad is read at pumps.
    EXPECT_FALSE(input.keyboard.state[SDLK_UP] || input.keyboard.state[SDLK_x]);
    pad.state = platform::GamepadState();
    EXPECT_TRUE(platform::keyState()[SDLK_UP]);
    EXPECT_FALSE(pumped()[SDLK_UP]);
    platform::setGamepad(nullptr);
    EXPECT_EQ(platform::keyState(), input.keyboard.state);
}

TEST(GamepadMapping, LinesReplaceTheirActionsAndBrokenOnesAreReportedAndIgnored) {
    std::vector<std::string> complaints;
    const platform::GamepadMapping mapping = platform::parseGamepadMapping(
        "# comment\n\njump = 3   # A on this pad\n bomb=4 5\nfly = 2\nstart = seven\nback 6\nrestart = 32\n"
        "restart =\nundo = x\nhint = 10 11\n",
        complaints);
    EXPECT_EQ(mapping.buttons[platform::PadJump], 1u << 3);
    EXPECT_EQ(mapping.buttons[platform::PadBomb], (1u << 4) | (1u << 5));
    EXPECT_EQ(mapping.buttons[platform::PadRestart], 0u);
    const platform::GamepadMapping defaults;
    EXPECT_EQ(mapping.buttons[platform::PadStart], defaults.buttons[platform::PadStart]);
    EXPECT_EQ(mapping.buttons[platform::PadBack], defaults.buttons[platform::PadBack]);
    EXPECT_EQ(mapping.buttons[platform::PadUndo], defaults.buttons[platform::PadUndo]);
    EXPECT_EQ(mapping.buttons[platform::PadHint], (1u << 10) | (1u << 11));
    ASSERT_EQ(complaints.size(), 5u);
    EXPECT_EQ(complaints[0], "gamepad.conf line 5 ignored: \"fly = 2\" (expected jump, bomb, restart, start, back, "
                             "undo or hint = button numbers 0 to 31)");
    EXPECT_NE(complaints[3].find("line 8"), std::string::npos) << complaints[3];
    EXPECT_EQ(complaints[4].rfind("gamepad.conf line 10 ignored: \"undo = x\"", 0), 0u) << complaints[4];

    // At start, with no pad plugged in, a broken line is still reported.
    testsupport::ScratchDir dir;
    dir.writeFile("config/vorrel/gamepad.conf", "fly = 2\n");
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", (dir.path() + "/config").c_str(), 1);
    testing::internal::CaptureStdout();
    platform::openGamepad();
    const std::string out = testing::internal::GetCapturedStdout();
    saved ? setenv("XDG_CONFIG_HOME", kept.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(out.rfind("gamepad.conf line 1 ignored: \"fly = 2\"", 0), 0u) << out;
}

TEST(GamepadMapping, TheShippedFileIsTheDefaults) {
    std::string text;
    ASSERT_TRUE(fileread::readFile(VORREL_SOURCE_DATA "/../packaging/gamepad.conf", fileread::kTextCap, text));
    std::vector<std::string> complaints;
    const platform::GamepadMapping mapping = platform::parseGamepadMapping(text, complaints);
    EXPECT_TRUE(complaints.empty()) << complaints.front();
    const platform::GamepadMapping defaults;
    for (int i = 0; i < platform::PadActionCount; ++i) EXPECT_EQ(mapping.buttons[i], defaults.buttons[i]) << i;
}

// Level 1 played with the pad alone: two walks left (the second onto a gem),
// the undo button held for 400 ms (a press and its first repeat: two steps
// back), the hint button, then back. The world is as the keyboard's U leaves it.
struct PadPlay : PlayHooks {
    bool passStart(unsigned at) override {
        pass = at;
        return true;
    }
    void afterUpdates(unsigned at, uint32_t) override {
        if (at == 17) afterFirstWalk = level->player->x;
        if (at == 35) afterSecondWalk = level->player->x;
        if (at == kUndone) Rewinder(*level).capture(undone);
    }
    void worldHeld(bool on) override {
        held = on;
        if (on) ++asked;
    }
    static void pump(void* context) {
        auto* self = static_cast<PadPlay*>(context);
        platform::GamepadState& pad = self->pad.state;
        pad = platform::GamepadState();
        if (self->held) {
            // The button let go, then pressed again, puts the hint away.
            if (++self->heldPumps > 20) pad.buttons = 1u << 5;
            return;
        }
        const unsigned p = self->pass;
        if (p < 36 && p % 18 == 0) pad.hat = SDL_HAT_LEFT;
        if (p >= 36 && p < 56) pad.buttons = 1u << 4;
        if (p == 70 && !self->asked) pad.buttons = 1u << 5;
        if (p >= 80) pad.buttons = 1u << 6;
    }
    static constexpr unsigned kUndone = 65;
    Level* level = nullptr;
    platform::ScriptedGamepad pad;
    unsigned pass = 0, asked = 0, heldPumps = 0;
    bool held = false;
    double afterFirstWalk = 0, afterSecondWalk = 0;
    Snapshot undone;
};

TEST(PadPlay, TheUndoButtonHeldStepsBackAsTheKeyDoesAndTheHintButtonAsks) {
    testsupport::InFolder in(VORREL_SOURCE_DATA);
    Level level("level/main/level1.lev", testsupport::screen(), nullptr, 1, false);
    const double start = level.player->x;
    PadPlay play;
    play.level = &level;
    platform::VirtualInput input(1000);
    input.keyboard.onPump = PadPlay::pump;
    input.keyboard.context = &play;
    platform::setGamepad(&play.pad);
    int page = 0;
    const PlayOutcome outcome = runPlayLoop(level, page, false, nullptr, 0, &play);
    platform::setGamepad(nullptr);
    EXPECT_EQ(outcome, Quit);
    EXPECT_EQ(play.asked, 1u);
    EXPECT_GT(play.heldPumps, 20u);
    EXPECT_TRUE(play.afterFirstWalk != start && play.afterSecondWalk != play.afterFirstWalk);
    EXPECT_EQ(level.player->x, start);

    // The same passes on the keyboard, as a tape holds them.
    Tape tape;
    tape.level = "level/main/level1.lev";
    tape.runs = parseTape("1 20 left\n17 20\n1 20 left\n17 20\n20 20 u\n10 20\n").runs;
    ASSERT_EQ(tape.frameCount(), PadPlay::kUndone + 1);
    Level keyed(tape.level, testsupport::screen(), nullptr, 1, false);
    replayTape(keyed, tape, ReplayOptions());
    Snapshot world;
    Rewinder(keyed).capture(world);
    EXPECT_TRUE(world.rules == play.undone.rules);
}

} // namespace
