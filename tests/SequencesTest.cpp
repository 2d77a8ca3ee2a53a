#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/Sequences.h"
#include "play/View.h"

namespace {

class StillPlayer : public Player {
public:
    explicit StillPlayer(Level* level) : Player(32, 0, nullptr, level) {}
    void update(uint32_t&) override { ++updates; }
    void draw(SDL_Surface*, int) override {}
    int updates = 0;
};

class ProbeItem : public Item {
public:
    ProbeItem() : Item(nullptr) {}
    void draw(int) override {}
    void update(uint32_t& dt, bool won) override {
        dts.push_back(dt);
        wonSeen.push_back(won);
    }
    bool moveBy(double, double, bool& result) override { return result = false; }
    std::vector<uint32_t> dts;
    std::vector<bool> wonSeen;
};

int greyAt(int x, int y) {
    Uint8 r, g, b;
    testsupport::pixelRGB(testsupport::screen(), x, y, r, g, b);
    EXPECT_EQ(r, g);
    EXPECT_EQ(g, b);
    return r;
}

void fillScreen(Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* s = testsupport::screen();
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
}

struct Sequences : ::testing::Test {
    Sequences() : level(testsupport::screen(), nullptr, 1) {
        resetViewImages();
        delete level.player;
        player = new StillPlayer(&level);
        level.player = player;
    }
    ~Sequences() override { resetViewImages(); }

    // A white backdrop with one black dot at the middle of the screen.
    void dottedBackdrop() {
        SDL_Surface* s = testsupport::screen();
        level.backdrop = SDL_DisplayFormat(s);
        SDL_FillRect(level.backdrop, nullptr, SDL_MapRGB(level.backdrop->format, 255, 255, 255));
        SDL_Rect dot{320, 200, 1, 1};
        SDL_FillRect(level.backdrop, &dot, SDL_MapRGB(level.backdrop->format, 0, 0, 0));
    }

    testsupport::ScratchDir dir;
    Level level;
    StillPlayer* player;
};

TEST_F(Sequences, BlocksDarkenAlongTheDiagonals) {
    fillScreen(255, 255, 255);
    drawBlockTransition(level, 2100);
    EXPECT_EQ(greyAt(60, 50), 100);
    EXPECT_EQ(greyAt(127, 95), 100);
    EXPECT_EQ(greyAt(0, 0), 50);
    EXPECT_EQ(greyAt(128, 0), 50);  // corner pixels sit one past the block
    EXPECT_EQ(greyAt(128, 96), 50);
    EXPECT_EQ(greyAt(0, 96), 50);
    EXPECT_EQ(greyAt(129, 0), 255);
    EXPECT_EQ(greyAt(200, 50), 255);
    EXPECT_EQ(greyAt(60, 150), 255);

    drawBlockTransition(level, 2401);
    EXPECT_EQ(greyAt(60, 50), 24);
    EXPECT_EQ(greyAt(0, 0), 12);
    EXPECT_EQ(greyAt(200, 50), 124);
    EXPECT_EQ(greyAt(60, 150), 124);
    EXPECT_EQ(greyAt(128, 0), 62);
    EXPECT_EQ(greyAt(256, 0), 62);
    EXPECT_EQ(greyAt(256, 96), 62);
    EXPECT_EQ(greyAt(128, 96), 62);
    EXPECT_EQ(greyAt(0, 96), 62);
    EXPECT_EQ(greyAt(0, 192), 62);
    EXPECT_EQ(greyAt(300, 50), 255);
    EXPECT_EQ(greyAt(200, 150), 255);

    drawBlockTransition(level, 2500);
    EXPECT_EQ(greyAt(60, 50), 0);
    EXPECT_EQ(greyAt(200, 50), 100);
    EXPECT_EQ(greyAt(60, 150), 100);
}

TEST_F(Sequences, TheLastColumnAndRowReachTheScreenEdges) {
    fillScreen(255, 255, 255);
    drawBlockTransition(level, 2000 + 3200 + 100);  // the bottom-right block at d = 100
    EXPECT_EQ(greyAt(511, 383), 100);  // one pixel up and left of the block
    EXPECT_EQ(greyAt(510, 383), 0);
    EXPECT_EQ(greyAt(511, 382), 0);
    EXPECT_EQ(greyAt(600, 450), 100);
    EXPECT_EQ(greyAt(512, 384), 50);
    EXPECT_EQ(greyAt(639, 384), 50);
    EXPECT_EQ(greyAt(639, 479), 50);
    EXPECT_EQ(greyAt(512, 479), 50);
    EXPECT_EQ(greyAt(638, 478), 100);

    fillScreen(255, 255, 255);
    drawBlockTransition(level, 2000 + 1600 + 1);  // block (4, 0) just started
    EXPECT_EQ(greyAt(511, 0), 124);
    EXPECT_EQ(greyAt(639, 0), 62);
    EXPECT_EQ(greyAt(639, 95), 62);
    EXPECT_EQ(greyAt(600, 96), 255);
    EXPECT_EQ(greyAt(60, 479), 124);  // block (0, 4) started at the same moment
    EXPECT_EQ(greyAt(0, 479), 62);
    EXPECT_EQ(greyAt(127, 479), 62);

    drawBlockTransition(level, 2000);  // nothing before the third second
    EXPECT_EQ(greyAt(300, 300), 255);
}

// A clock that finds the backdrop's dot each time the exit sequence reads
// the time after shaking the picture.
class ShakeWatch : public platform::VirtualClock {
public:
    uint32_t ticks() override {
        SDL_Surface* s = testsupport::screen();
        std::pair<int, int> found{99, 99};
        for (int dy = -6; dy <= 6; ++dy)
            for (int dx = -6; dx <= 6; ++dx) {
                Uint8 r, g, b;
                testsupport::pixelRGB(s, 320 + dx, 200 + dy, r, g, b);
                if (r == 0 && g == 0 && b == 0) found = {dx, dy};
            }
        offsets.push_back(found);
        return now;
    }
    std::vector<std::pair<int, int>> offsets;
};

TEST_F(Sequences, ExitShakesWithinFivePixelsWhileTheItemsRunAhead) {
    dottedBackdrop();
    auto* item = new ProbeItem;
    level.items.push_back(item);
    ShakeWatch clock;
    platform::setClock(&clock);
    SDL_BlitSurface(level.backdrop, nullptr, testsupport::screen(), nullptr);
    runExitSequence(level, 0, 0, false);
    platform::setClock(nullptr);

    // Readings: start, previous, then per frame one for the frame time and
    // one after the shake.
    ASSERT_GE(clock.offsets.size(), 4u);
    std::vector<std::pair<int, int>> shakes;
    for (size_t i = 3; i < clock.offsets.size(); i += 2) shakes.push_back(clock.offsets[i]);
    ASSERT_EQ(shakes.size(), 150u);
    EXPECT_EQ(shakes.front(), std::make_pair(0, 0));
    int largest = 0;
    for (auto [dx, dy] : shakes) {
        EXPECT_LE(std::abs(dx), 5);
        EXPECT_LE(std::abs(dy), 5);
        largest = std::max({largest, std::abs(dx), std::abs(dy)});
    }
    EXPECT_GE(largest, 4);
    EXPECT_EQ(clock.now, 3000u + 1000u);

    ASSERT_EQ(item->dts.size(), 150u);
    for (size_t i = 0; i < item->dts.size(); ++i) {
        EXPECT_EQ(item->dts[i], 52u);
        EXPECT_TRUE(item->wonSeen[i]);
    }
    EXPECT_EQ(player->updates, 0);
}

TEST_F(Sequences, AftermathClosesTheViewWithBlackBlocks) {
    dottedBackdrop();
    platform::VirtualInput input(100);
    auto* item = new ProbeItem;
    level.items.push_back(item);
    uint32_t last = 60;
    runAftermath(level, last, 0, 0, false);
    EXPECT_EQ(input.clock.now, 100u + 6000u);
    EXPECT_EQ(last, input.clock.now);
    ASSERT_EQ(item->dts.size(), 300u);
    EXPECT_EQ(item->dts.front(), 60u);  // measured from the play's last frame
    EXPECT_EQ(item->dts.back(), 20u);
    EXPECT_FALSE(item->wonSeen.back());
    EXPECT_EQ(player->updates, 300);
    EXPECT_EQ(input.keyboard.pumps, 300u);
    for (int x : {0, 128, 300, 639})
        for (int y : {0, 96, 200, 479}) EXPECT_EQ(greyAt(x, y), 0) << x << "," << y;
}

TEST_F(Sequences, LevelStartFadesTheStillPictureInFromBlack) {
    dottedBackdrop();
    platform::VirtualInput input;
    fillScreen(10, 200, 10);
    runLevelStart(level, 0, 0, false);
    EXPECT_EQ(input.clock.now, 20u + 3000u);
    // The last step of the fade leaves the black at alpha 1 over the picture.
    EXPECT_GE(greyAt(100, 100), 253);
    EXPECT_LE(greyAt(320, 200), 1);
}

TEST_F(Sequences, QuitFadesToTheMaskPicture) {
    ASSERT_TRUE(dir.writeImage("gfx/maski_b.png", 640, 480, 0, 0, 255));
    platform::VirtualInput input;
    fillScreen(255, 255, 255);
    runQuitFade(level);
    EXPECT_EQ(input.clock.now, 2000u);
    Uint8 r, g, b;
    testsupport::pixelRGB(testsupport::screen(), 100, 100, r, g, b);
    EXPECT_LT(r, 20);
    EXPECT_GT(b, 235);

    input.clock.now = 0;
    std::remove("gfx/maski_b.png");
    runQuitFade(level);  // without its picture the fade is skipped
    EXPECT_EQ(input.clock.now, 0u);
}

} // namespace
