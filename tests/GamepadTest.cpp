// A gamepad seen as held keys at the platform seam, and its mapping file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/FileRead.h"
#include "platform/Gamepad.h"
#include "platform/Platform.h"

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
    const uint8_t* keys = pumped();
    EXPECT_TRUE(keys[SDLK_UP]);
    EXPECT_TRUE(keys[SDLK_LEFT]);
    EXPECT_FALSE(keys[SDLK_RIGHT]);
    EXPECT_FALSE(keys[SDLK_DOWN]);
    EXPECT_TRUE(keys[SDLK_x]);
    EXPECT_FALSE(keys[SDLK_z]);
    EXPECT_TRUE(keys[SDLK_SPACE] && keys[SDLK_RETURN] && keys[SDLK_ESCAPE]);
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
        "restart =\n",
        complaints);
    EXPECT_EQ(mapping.buttons[platform::PadJump], 1u << 3);
    EXPECT_EQ(mapping.buttons[platform::PadBomb], (1u << 4) | (1u << 5));
    EXPECT_EQ(mapping.buttons[platform::PadRestart], 0u);
    const platform::GamepadMapping defaults;
    EXPECT_EQ(mapping.buttons[platform::PadStart], defaults.buttons[platform::PadStart]);
    EXPECT_EQ(mapping.buttons[platform::PadBack], defaults.buttons[platform::PadBack]);
    ASSERT_EQ(complaints.size(), 4u);
    EXPECT_EQ(complaints[0].rfind("gamepad.conf line 5 ignored: \"fly = 2\"", 0), 0u) << complaints[0];
    EXPECT_NE(complaints[3].find("line 8"), std::string::npos) << complaints[3];

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

} // namespace
