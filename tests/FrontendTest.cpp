#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>

#include "TestSupport.h"
#include "app/App.h"
#include "audio/SoundBank.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "frontend/Frontend.h"
#include "gfx/Surface.h"
#include "level/LoadError.h"
#include "platform/FileWrite.h"
#include "platform/Platform.h"
#include "platform/Signals.h"
#include "play/HudLayout.h"

namespace fs = std::filesystem;
using testsupport::ScratchDir;

namespace {

// Runs a step at every pump of the scripted keyboard, so a test can press
// keys and look at the screen at given virtual times.
struct PumpScript {
    PumpScript(platform::VirtualInput& input, std::function<void(platform::VirtualInput&)> step)
        : input(input), step(std::move(step)) {
        input.keyboard.onPump = &PumpScript::call;
        input.keyboard.context = this;
    }
    ~PumpScript() { input.keyboard.onPump = nullptr; }
    static void call(void* self) {
        auto* script = static_cast<PumpScript*>(self);
        script->step(script->input);
    }
    platform::VirtualInput& input;
    std::function<void(platform::VirtualInput&)> step;
};

struct RGB {
    Uint8 r = 0, g = 0, b = 0;
    bool operator==(const RGB& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const RGB& o) const { return !(*this == o); }
};

std::ostream& operator<<(std::ostream& out, const RGB& c) {
    return out << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

RGB screenPixel(int x, int y) {
    RGB c;
    testsupport::pixelRGB(testsupport::screen(), x, y, c.r, c.g, c.b);
    return c;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// ---------------------------------------------------------------- progress

TEST(FrontendProgress, NumberFilesUseFormattedIntegerInput) {
    ScratchDir dir;
    EXPECT_EQ(readProgress(), 0);  // missing
    dir.writeFile("level/main/progress.wp", "  \n 12abc");
    EXPECT_EQ(readProgress(), 12);
    dir.writeFile("level/main/progress.wp", "-3");
    EXPECT_EQ(readProgress(), -3);
    dir.writeFile("level/main/progress.wp", "seven");
    EXPECT_EQ(readProgress(), 0);

    lastLevel = 5;
    readLastLevel();  // missing: unchanged
    EXPECT_EQ(lastLevel, 5);
    dir.writeFile("level/main/absolute.max", "9\n");
    readLastLevel();
    EXPECT_EQ(lastLevel, 9);
    dir.writeFile("level/main/absolute.max", "x9");
    readLastLevel();
    EXPECT_EQ(lastLevel, 9);
    lastLevel = 0;

    EXPECT_EQ(levelPath(12), "level/main/level12.lev");
    EXPECT_EQ(levelPath(1), "level/main/level1.lev");
}

TEST(FrontendProgress, WriteReplacesTheWholeFileWithItsDigits) {
    ScratchDir dir;
    dir.writeFile("level/main/progress.wp", "123456\n");
    EXPECT_TRUE(writeProgress(7));
    EXPECT_EQ(fileText(kProgressPath), "7");
    EXPECT_FALSE(fs::exists(filewrite::temporaryPathFor(kProgressPath)));
    EXPECT_EQ(readProgress(), 7);
    EXPECT_TRUE(writeProgress(42));
    EXPECT_EQ(fileText(kProgressPath), "42");
}

TEST(FrontendProgress, AFailedWriteIsReportedAndKeepsTheOldFile) {
    ScratchDir dir;
    dir.writeFile("level/main/progress.wp", "5");
    // The temporary file cannot be made where a folder already stands.
    fs::create_directories(filewrite::temporaryPathFor(kProgressPath));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeProgress(9));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(fileText(kProgressPath), "5");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("level/main/progress.wp"), std::string::npos) << out;

    // No campaign folder at all.
    fs::remove_all("level");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(writeProgress(9));
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_FALSE(fs::exists(kProgressPath));
}

TEST(FrontendIntroData, IntegerFilesStopAtTheFirstFailure) {
    ScratchDir dir;
    int values[4] = {-1, -1, -1, -1};
    EXPECT_EQ(readIntegers("none.txt", values, 4), 0);
    EXPECT_EQ(values[0], -1);
    dir.writeFile("n.txt", "5\n 7 x 9");
    EXPECT_EQ(readIntegers("n.txt", values, 4), 2);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[1], 7);
    EXPECT_EQ(values[2], -1);
    unsigned timing[2] = {0, 0};
    dir.writeFile("t.txt", "1500 2 3");
    EXPECT_EQ(readIntegers("t.txt", timing, 2), 2);
    EXPECT_EQ(timing[0], 1500u);
}

// ---------------------------------------------------------------- intro

struct IntroFixture : ::testing::Test {
    IntroFixture() {
        testsupport::screen();
        resetIntroData();
        dir.writeImage("gfx/quillmoor.png", 640, 480, 40, 40, 40);
        dir.writeImage("gfx/logo1.png", 640, 480, 200, 0, 0);
    }
    ~IntroFixture() override { resetIntroData(); }

    // A star picture whose frame k is filled with frameColour(k).
    void writeStars(int width) {
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, 32, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        for (int k = 0; k * 32 < width; ++k) {
            RGB c = frameColour(k);
            SDL_Rect r{Sint16(k * 32), 0, 32, 32};
            SDL_FillRect(s, &r, SDL_MapRGB(s->format, c.r, c.g, c.b));
        }
        dir.writeSurface("gfx/tahteet.png", s);
        SDL_FreeSurface(s);
    }
    static RGB frameColour(int k) { return RGB{Uint8(20 * k + 10), Uint8(200 - 10 * k), 60}; }
    static RGB starPixel(int x, int y) { return screenPixel(x + 16, y + 16); }

    ScratchDir dir;
    SoundBank sounds;
};

TEST_F(IntroFixture, StarsRunAFifthOutOfStepAtTheirPlaces) {
    writeStars(320);
    dir.writeFile("gfx/starloc.txt", "100 120");
    dir.writeFile("zik/space.bar", "1000 0 0 0 0");
    platform::VirtualInput input(5000);
    RGB first[6], later[5];
    PumpScript script(input, [&](platform::VirtualInput& in) {
        // At pump k the screen holds pass k - 1.
        if (in.keyboard.pumps == 2) {
            first[0] = starPixel(100, 120);
            for (int i = 1; i < 5; ++i) first[i] = starPixel(starPlaces[i][0], starPlaces[i][1]);
            first[5] = starPixel(461, 188);
        }
        if (in.keyboard.pumps == 15) {  // pass 14: 260 ms, past the 250 ms of a frame
            for (int i = 0; i < 5; ++i) later[i] = starPixel(starPlaces[i][0], starPlaces[i][1]);
        }
    });
    runIntro(testsupport::screen(), sounds);

    EXPECT_EQ(starPlaces[0][0], 100);
    EXPECT_EQ(starPlaces[0][1], 120);
    const int defaults[4][2] = {{301, 209}, {319, 182}, {388, 182}, {234, 199}};
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(starPlaces[i][0], defaults[i - 1][0]);
        EXPECT_EQ(starPlaces[i][1], defaults[i - 1][1]);
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(first[i], frameColour(2 * i)) << "star " << i;
    EXPECT_EQ(first[5], (RGB{40, 40, 40}));  // star 0 moved away from its default place
    for (int i = 0; i < 5; ++i) EXPECT_EQ(later[i], frameColour(2 * i + 1)) << "star " << i;
    EXPECT_EQ(introTiming[0], 1000u);
}

TEST_F(IntroFixture, SpacePrintsTheElapsedTimeOnceAndEndsTheIntro) {
    writeStars(320);
    dir.writeFile("zik/space.bar", "10000");
    platform::VirtualInput input(0);
    PumpScript script(input, [&](platform::VirtualInput& in) {
        if (in.keyboard.pumps == 3) in.keyboard.press(SDLK_SPACE);
    });
    testing::internal::CaptureStdout();
    runIntro(testsupport::screen(), sounds);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "40\n");
    // The 500 ms cross-fade follows the third frame.
    EXPECT_GE(input.clock.now, 40u + 500u);
    EXPECT_LT(input.clock.now, 40u + 600u);
}

TEST_F(IntroFixture, TheIntroStopsAtFifteenSecondsWithoutACrossFade) {
    writeStars(320);
    dir.writeFile("zik/space.bar", "20000");
    platform::VirtualInput input(100);
    input.keyboard.press(SDLK_ESCAPE);  // does nothing here
    runIntro(testsupport::screen(), sounds);
    EXPECT_EQ(input.clock.now - 100, 15000u);
}

TEST_F(IntroFixture, ANarrowStarPictureDrawsNoStarsAndAMissingTimingFileEndsAtOnce) {
    writeStars(16);
    platform::VirtualInput input(0);
    RGB seen;
    PumpScript script(input, [&](platform::VirtualInput& in) {
        if (in.keyboard.pumps == 2) seen = starPixel(starPlaces[1][0], starPlaces[1][1]);
    });
    runIntro(testsupport::screen(), sounds);
    EXPECT_EQ(seen, (RGB{40, 40, 40}));
    // Length 0: the second frame (20 ms) is past it, then the 500 ms fade.
    EXPECT_GE(input.clock.now, 520u);
    EXPECT_LT(input.clock.now, 600u);
}

// ---------------------------------------------------------------- title

struct TitleFixture : ::testing::Test {
    TitleFixture() {
        testsupport::screen();
        dir.writeImage("gfx/logo1.png", 640, 480, 255, 0, 0);
        dir.writeImage("gfx/logo2.png", 640, 480, 0, 0, 255);
        dir.writeImage("gfx/quillmoor.png", 640, 480, 0, 255, 0);
    }
    // What the screen shows when `top` is drawn with this alpha over `bottom`,
    // blended by SDL exactly as the title screen does it.
    RGB blend(const char* bottom, const char* top, int alpha) {
        SDL_Surface* screen = testsupport::screen();
        SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, screen->format->Rmask,
                                                   screen->format->Gmask, screen->format->Bmask, 0);
        SDL_Surface* b = loadImage(bottom);
        SDL_Surface* t = loadImage(top);
        blitRect(b, target, 0, 0, 4, 4, 0, 0);
        SDL_SetAlpha(t, SDL_SRCALPHA, Uint8(alpha));
        blitRect(t, target, 0, 0, 4, 4, 0, 0);
        RGB c;
        testsupport::pixelRGB(target, 1, 1, c.r, c.g, c.b);
        SDL_FreeSurface(b);
        SDL_FreeSurface(t);
        SDL_FreeSurface(target);
        return c;
    }
    ScratchDir dir;
    SoundBank sounds;
};

TEST_F(TitleFixture, PicturesFadeInByTwelveMillisecondStepsAndRotate) {
    platform::VirtualInput input(1000);
    uint32_t cycleStart = 0;
    int cycle = 0;
    RGB at3012, at6060, secondStill, secondEnd, thirdEnd;
    PumpScript script(input, [&](platform::VirtualInput& in) {
        if (in.keyboard.pumps == 1) {  // before the loop: the start time
            cycleStart = in.clock.now;
            return;
        }
        uint32_t d = in.clock.now - cycleStart;  // this pass's d, as the screen computes it
        if (d > 6060) {
            if (cycle == 0) at6060 = screenPixel(320, 240);
            if (cycle == 1) secondEnd = screenPixel(320, 240);
            if (cycle == 2) {
                thirdEnd = screenPixel(320, 240);
                in.keyboard.press(SDLK_ESCAPE);
            }
            cycleStart = in.clock.now;
            ++cycle;
            return;
        }
        if (cycle == 0) {
            if (d == 2980) in.clock.advance(12);       // the next pass draws d = 3012
            if (d == 3032) at3012 = screenPixel(320, 240);
            if (d == 6032) in.clock.advance(8);        // the next pass draws d = 6060
        }
        if (cycle == 1 && d == 3020) secondStill = screenPixel(320, 240);
    });
    EXPECT_FALSE(runTitleScreen(testsupport::screen(), sounds, true));

    RGB alpha1 = blend("./gfx/logo1.png", "./gfx/logo2.png", 1);
    EXPECT_NE(alpha1, blend("./gfx/logo1.png", "./gfx/logo2.png", 0));
    EXPECT_NE(alpha1, blend("./gfx/logo1.png", "./gfx/logo2.png", 2));
    EXPECT_EQ(at3012, alpha1);
    EXPECT_EQ(at6060, (RGB{0, 0, 255}));      // picture 2 at full strength
    EXPECT_EQ(secondStill, (RGB{0, 0, 255}));  // picture 2 now stands still
    EXPECT_EQ(secondEnd, (RGB{0, 255, 0}));    // picture 3 faded in over it
    EXPECT_EQ(thirdEnd, (RGB{255, 0, 0}));     // and picture 1 comes back
}

TEST_F(TitleFixture, EscapeWinsOverSpaceAndKeysActOnTheFirstFrame) {
    {
        platform::VirtualInput input;
        input.keyboard.press(SDLK_ESCAPE);
        input.keyboard.press(SDLK_SPACE);
        EXPECT_FALSE(runTitleScreen(testsupport::screen(), sounds, true));
    }
    {
        platform::VirtualInput input;
        input.keyboard.press(SDLK_SPACE);
        EXPECT_TRUE(runTitleScreen(testsupport::screen(), sounds, true));
        // One frame of the title, then the 3000 ms fade to the mask (missing here).
        EXPECT_EQ(input.clock.now, 20u);
    }
    {
        // Space held through the intro skips the title as well.
        resetIntroData();
        dir.writeFile("zik/space.bar", "5000");
        platform::VirtualInput input;
        input.keyboard.press(SDLK_SPACE);
        testing::internal::CaptureStdout();
        EXPECT_TRUE(runTitleScreen(testsupport::screen(), sounds, false));
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(("\n" + out).find("\n0\n"), std::string::npos) << out;
        resetIntroData();
    }
}

// ---------------------------------------------------------------- selection and campaign

// A small campaign: a four-row map, its tiles, and levels made on demand.
struct CampaignFixture : ::testing::Test {
    CampaignFixture() {
        testsupport::screen();
        dir.writeImage("gfx/tiles.png", 64, 32, 90, 90, 90);
        dir.writeImage("gfx/player.png", 576, 544, 200, 200, 0);
        dir.writeImage("gfx/tileset.png", 320, 416, 0, 120, 0);
        dir.writeImage("gfx/back.png", 640, 480, 30, 30, 60);
        dir.writeImage("gfx/maski.png", 640, 480, 255, 255, 255);
        dir.writeImage("gfx/maski_b.png", 640, 480, 0, 0, 0);
        dir.writeImage("gfx/staticalapalkki.png", 640, 64, 40, 40, 40);
        dir.writeImage("gfx/fontti.png", 560, 16, 250, 250, 250);
        dir.writeImage("gfx/arrow_left.png", 32, 32, 250, 0, 0);
        dir.writeImage("gfx/arrow_right.png", 32, 32, 250, 0, 0);
        dir.writeFile("level/main/tiles.txt", "gfx/tiles.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n");
        selectionPage = 0;
        lastLevel = 0;
        Item::currentLevel = nullptr;
    }
    ~CampaignFixture() override {
        selectionPage = 0;
        lastLevel = 0;
    }
    // Three open rows over a wall; the player stands in row 2.
    void writeLevel(const std::string& path, const std::string& records) {
        std::string open(20, '.');
        dir.writeFile(path, "level/main/tiles.txt\ngfx/back.png\n4\n" + open + "\n" + open + "\n" + open + "\n" +
                                std::string(20, '#') + "\n" + records);
    }
    // The map with the player at a column of row 2 (the lower cells of the upper doors).
    void writeMap(int column) { writeLevel(kSelectionMapPath, "plr " + std::to_string(column) + " 2\n"); }
    // A level that is won on its second frame: the player starts on the goal.
    void writeWonLevel(int n) { writeLevel(levelPath(n), "plr 1 2\ngoal 1 2\n"); }

    ScratchDir dir;
    SoundBank sounds;
};

TEST_F(CampaignFixture, LeavingALevelBelowTheStoredOneKeepsTheStoredNumber) {
    dir.writeFile(kProgressPath, "7");
    dir.writeFile(kLastLevelPath, "9");
    writeMap(16);  // the door of level 5
    writeLevel(levelPath(5), "plr 1 2\ngoal 10 2\n");
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        // The map has no items: a set item reference means level 5 is loaded.
        if (Item::currentLevel) {
            in.keyboard.release(SDLK_SPACE);
            in.keyboard.press(SDLK_ESCAPE);
        } else {
            in.keyboard.press(SDLK_SPACE);
        }
    });
    runLevelSelection(testsupport::screen(), sounds, 1, true);
    EXPECT_NE(Item::currentLevel, nullptr) << "level 5 was never entered";
    EXPECT_EQ(fileText(kProgressPath), "7");
    EXPECT_EQ(lastLevel, 9);
}

TEST_F(CampaignFixture, CompletingTheLastLevelStoresIt) {
    dir.writeFile(kProgressPath, "1");
    dir.writeFile(kLastLevelPath, "2");
    writeMap(4);  // the door of level 1
    writeWonLevel(1);
    writeWonLevel(2);
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        bool stored = readProgress() >= 2;
        in.keyboard.state[SDLK_SPACE] = !stored;
        in.keyboard.state[SDLK_ESCAPE] = stored;
    });
    runLevelSelection(testsupport::screen(), sounds, 1, true);
    EXPECT_EQ(fileText(kProgressPath), "2");
    EXPECT_FALSE(fs::exists(filewrite::temporaryPathFor(kProgressPath)));
}

TEST_F(CampaignFixture, ADoorAboveTheLastLevelPlaysNothing) {
    dir.writeFile(kProgressPath, "7");
    dir.writeFile(kLastLevelPath, "3");
    writeMap(16);  // door 5; there is no level 5 file, so playing it would fail to load
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        // Escape only after the door was entered (the first map frame comes
        // after its 3000 ms fade-in) and before the map is shown again.
        bool leave = in.clock.now > 6000;
        in.keyboard.state[SDLK_SPACE] = !leave;
        in.keyboard.state[SDLK_ESCAPE] = leave;
    });
    EXPECT_NO_THROW(runLevelSelection(testsupport::screen(), sounds, 1, true));
    EXPECT_EQ(fileText(kProgressPath), "7");
    EXPECT_EQ(lastLevel, 3);
    EXPECT_EQ(playLevelRun(5, 3, testsupport::screen(), sounds, 1, false), 3);
}

TEST_F(CampaignFixture, ThePageSurvivesLeavingTheMap) {
    dir.writeFile(kProgressPath, "12");
    dir.writeFile(kLastLevelPath, "12");
    writeMap(19);  // at the right edge
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        bool turned = selectionPage == 10;
        in.keyboard.state[SDLK_RIGHT] = !turned;
        in.keyboard.state[SDLK_ESCAPE] = turned;
    });
    runLevelSelection(testsupport::screen(), sounds, 1, true);
    EXPECT_EQ(selectionPage, 10);
    runLevelSelection(testsupport::screen(), sounds, 1, true);  // Escape at once
    EXPECT_EQ(selectionPage, 10);
}

TEST_F(CampaignFixture, ReachingALevelIsStoredAtOnceSoAStopKeepsIt) {
    dir.writeFile(kProgressPath, "1");
    dir.writeFile(kLastLevelPath, "3");
    writeMap(4);  // the door of level 1
    writeWonLevel(1);
    writeWonLevel(2);
    writeLevel(levelPath(3), "plr 1 2\ngoal 10 2\n");
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        in.keyboard.state[SDLK_SPACE] = 1;
        // Stopped from outside while level 3 plays: the run never ends.
        if (readProgress() == 3) platform::requestStop(SIGTERM);
    });
    try {
        runLevelSelection(testsupport::screen(), sounds, 1, true);
        ADD_FAILURE() << "the stop request was not seen";
    } catch (const platform::StopRequested& stop) {
        EXPECT_EQ(stop.signal, SIGTERM);
    }
    platform::clearStop();
    EXPECT_EQ(fileText(kProgressPath), "3");
    EXPECT_FALSE(fs::exists(filewrite::temporaryPathFor(kProgressPath)));
}

TEST_F(CampaignFixture, ALevelFileOnItsOwnEndsWithAWinOrEscapeAndReplaysAfterR) {
    dir.writeFile(kProgressPath, "1");
    writeWonLevel(7);
    {
        platform::VirtualInput input;
        EXPECT_TRUE(playLevelFile(levelPath(7), testsupport::screen(), sounds));
    }
    writeLevel("mine.lev", "plr 1 2\ngoal 10 2\n");
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        // R in the first play; Escape once the level has started again.
        in.keyboard.state[SDLK_r] = in.clock.now < 4000;
        in.keyboard.state[SDLK_ESCAPE] = in.clock.now > 9500;
    });
    EXPECT_FALSE(playLevelFile("mine.lev", testsupport::screen(), sounds));
    // Start fade, aftermath, a second start fade, the quit fade.
    EXPECT_GT(input.clock.now, 3000u + 6000u + 3000u + 2000u);
    EXPECT_EQ(fileText(kProgressPath), "1");
}

// The undo key in a campaign run: pressed in a death's closing sequence it
// cuts it short and the run goes on from the start of the fatal step (the
// level loaded anew, no fade-in); after a retry it brings back the state
// before R.
TEST_F(CampaignFixture, UndoOutlivesADeathAndARetry) {
    dir.writeFile("level/main/tiles.txt", "gfx/tiles.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n$ 1 1 0\n");
    const std::string open(20, '.');
    dir.writeFile(levelPath(1), "level/main/tiles.txt\ngfx/back.png\n4\n" + open + "\n" + open + "\n" + open +
                                    "\n######$#############\nplr 1 2\ngoal 15 2\n");
    for (const bool death : {true, false}) {
        SCOPED_TRACE(death ? "death" : "retry");
        platform::VirtualInput input;
        int phase = 0;
        bool hinted = false;  // the undo key's cap lit after the first step of level 1
        double shown = -1;
        uint32_t endedAt = 0, backAt = 0;
        PumpScript script(input, [&](platform::VirtualInput& in) {
            const Player* p = Item::currentPlayer;
            uint8_t* keys = in.keyboard.state;
            switch (phase) {
            case 0:  // one cell right, then still at x 64
                keys[SDLK_RIGHT] = !p->walking;
                if (p->walking) phase = 1;
                break;
            case 1: {
                RGB light;
                testsupport::pixelRGB(testsupport::screen(), hud::kUndoCapX - 1, hud::kUndoCapY - 1, light.r, light.g,
                                      light.b);
                hinted = hinted || light == RGB{255, 214, 64};
                if (p->walking) break;
                keys[death ? SDLK_RIGHT : SDLK_r] = 1;  // on into the water, or R
                phase = 2;
                break;
            }
            case 2:  // the closing sequence: U at once after a death, after the new start after R
                if (death ? p->dead : p->x == 32) {
                    keys[SDLK_RIGHT] = keys[SDLK_r] = 0;
                    keys[SDLK_u] = 1;
                    endedAt = in.clock.now;
                    phase = 3;
                }
                break;
            case 3:  // the world after the next pass of the play that goes on
                if (p->dead || p->x == 32) break;
                shown = p->x;
                backAt = in.clock.now;
                keys[SDLK_u] = 0;
                keys[SDLK_ESCAPE] = 1;
                phase = 4;
                break;
            }
        });
        EXPECT_EQ(playLevelRun(1, 1, testsupport::screen(), sounds, 1, false), 1);
        EXPECT_EQ(phase, 4);
        EXPECT_TRUE(hinted);
        EXPECT_EQ(shown, 64.0);
        // After a death no aftermath to its end and no fade-in.
        if (death) {
            EXPECT_LT(backAt - endedAt, 1000u);
        }
    }
}

// ---------------------------------------------------------------- entry point

TEST(FrontendCursor, RowsPackEightPixelsAByteFromTheLeft) {
    const char* picture[37] = {"    32    32        3            1", "X c #000000", ". c #ffffff", "  c None"};
    std::string rows[32];
    for (int y = 0; y < 32; ++y) {
        rows[y] = std::string(32, ' ');
        picture[4 + y] = rows[y].c_str();
    }
    rows[0][0] = 'X';
    rows[0][1] = '.';
    rows[0][15] = 'X';
    rows[31][31] = '.';
    picture[36] = "5,7";
    Uint8 data[128], mask[128];
    int hx = -1, hy = -1;
    packCursor(picture, data, mask, hx, hy);
    EXPECT_EQ(data[0], 0x80);
    EXPECT_EQ(mask[0], 0xC0);
    EXPECT_EQ(data[1], 0x01);
    EXPECT_EQ(mask[1], 0x01);
    EXPECT_EQ(data[127], 0x00);
    EXPECT_EQ(mask[127], 0x01);
    EXPECT_EQ(hx, 5);
    EXPECT_EQ(hy, 7);

    // The game's own picture: 32 blank rows, fully transparent, hotspot at the corner.
    packCursor(kCursorPicture, data, mask, hx, hy);
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(data[i], 0);
        EXPECT_EQ(mask[i], 0);
    }
    EXPECT_EQ(hx, 0);
    EXPECT_EQ(hy, 0);
    for (int y = 0; y < 32; ++y) EXPECT_EQ(std::string(kCursorPicture[4 + y]), std::string(32, ' '));
}

TEST(FrontendMain, NoArgumentExitsOneAndPrintsNothing) {
    ScratchDir dir;
    char name[] = "vorrel";
    char* argv[] = {name, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runGame(1, argv), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(hiddenCursor, nullptr);

    // The built program beside the tests, if there is one.
    fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "vorrel";
    if (!fs::exists(program)) GTEST_SKIP() << "no " << program;
    std::string command = "'" + program.string() + "' > out.txt 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(fileText("out.txt"), "");
}

namespace {

// The intro's and the title's pictures, plain: enough to reach the title.
void writeTitlePictures(const ScratchDir& dir) {
    for (const char* picture : {"gfx/tahteet.png", "gfx/quillmoor.png", "gfx/logo1.png", "gfx/logo2.png",
                                "gfx/maski_b.png"})
        dir.writeImage(picture, 640, 480, 10, 20, 30);
}

} // namespace

TEST(FrontendMain, GreetsThenLeavesFromTheTitleWithEscape) {
    SDL_Surface* screen = testsupport::screen();
    ScratchDir dir;
    writeTitlePictures(dir);
    platform::VirtualInput input;
    input.keyboard.press(SDLK_ESCAPE);
    char name[] = "vorrel", who[] = "Tester";
    char* argv[] = {name, who, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runGame(2, argv), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading Tester.\n\n");
    EXPECT_EQ(hiddenCursor, nullptr);
    EXPECT_EQ(SDL_GetVideoSurface(), screen);
}

TEST(FrontendMain, ScaleIsTakenOutBeforeTheArgumentsAreCounted) {
    testsupport::screen();
    ScratchDir dir;
    writeTitlePictures(dir);
    platform::VirtualInput input;
    input.keyboard.press(SDLK_ESCAPE);
    char name[] = "vorrel", who[] = "Tester", scale[] = "--scale", two[] = "2", zero[] = "0";
    char* scaled[] = {name, who, scale, two, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runGame(4, scaled), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading Tester.\n\n");
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1280);  // a window, at twice the size

    char* wrong[] = {name, who, scale, zero, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(runGame(4, wrong), kUsageExit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "--scale needs a whole factor from 1 to 8\n");
    SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
}

TEST(FrontendMain, ABrokenLevelEndsTheGameWithTheLoadFailureStatus) {
    testsupport::screen();
    ScratchDir dir;  // no map at all
    platform::VirtualInput input;
    PumpScript script(input, [](platform::VirtualInput& in) {
        // Should the map ever load, leave instead of looping for ever.
        bool giveUp = in.keyboard.pumps > 20000;
        in.keyboard.state[SDLK_SPACE] = !giveUp;
        in.keyboard.state[SDLK_ESCAPE] = giveUp;
    });
    char name[] = "vorrel", who[] = "Tester";
    char* argv[] = {name, who, nullptr};
    testing::internal::CaptureStdout();
    int status = runGame(2, argv);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, kLoadFailureExit);
    EXPECT_NE(out.find("Player sprite  not found.\n"), std::string::npos) << out;

    // One file played on its own is named by what is wrong with it.
    fs::create_directories("folder.lev");
    for (const char* file : {"nowhere.lev", "folder.lev"}) {
        char play[] = "--play";
        char* playArgv[] = {name, who, play, const_cast<char*>(file), nullptr};
        testing::internal::CaptureStdout();
        EXPECT_EQ(runGame(4, playArgv), kLoadFailureExit);
        out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(std::string("The level file ") + file + (file[0] == 'n' ? " does not exist.\n" : " is not a regular file.\n")),
                  std::string::npos)
            << out;
    }
}

} // namespace
