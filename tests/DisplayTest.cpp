// The present step: whole-factor scaling, where a desktop's window and full
// screen land, and the mouse read back in the picture's pixels.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gfx/Surface.h"
#include "platform/Display.h"
#include "platform/Events.h"

namespace {

// The dummy display cannot tell the desktop's size: a game started there
// gets today's window unless a factor is asked for.
struct ScaledDisplay {
    explicit ScaledDisplay(int scale) {
        testsupport::screen();
        platform::DisplayOptions options;
        options.scale = scale;
        picture = platform::openDisplay(640, 480, options);
    }
    ~ScaledDisplay() {
        platform::closeDisplay();
        SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    }
    SDL_Surface* picture;
};

} // namespace

TEST(Display, FactorsFitTheDesktopAndFullScreenIsCentred) {
    EXPECT_EQ(platform::windowFactor(1920, 1080, 640, 480), 2);
    EXPECT_EQ(platform::windowFactor(3840, 2160, 640, 480), 4);
    // 1440 rows do not fit nine tenths of 1440 with a title bar.
    EXPECT_EQ(platform::windowFactor(2560, 1440, 640, 480), 2);
    EXPECT_EQ(platform::windowFactor(1280, 1024, 640, 480), 1);
    EXPECT_EQ(platform::windowFactor(0, 0, 640, 480), 1);

    const platform::Placement full = platform::centred(1920, 1080, 640, 480);
    EXPECT_EQ(full.factor, 2);
    EXPECT_EQ(full.x, 320);
    EXPECT_EQ(full.y, 60);
    EXPECT_EQ(platform::centred(2560, 1440, 640, 480).factor, 3);

    int x = 321, y = 61;
    EXPECT_TRUE(platform::toPicture(full, 640, 480, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    x = 319, y = 500;  // the black band on the left: the nearest edge pixel
    EXPECT_FALSE(platform::toPicture(full, 640, 480, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 220);
    x = 320 + 1280, y = 100;  // just right of the picture
    EXPECT_FALSE(platform::toPicture(full, 640, 480, x, y));
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 20);
}

TEST(Display, PresentScalesEveryPixelToASquareOfTheFactor) {
    for (int scale : {1, 2, 3, 4}) {
        ScaledDisplay display(scale);
        ASSERT_NE(display.picture, nullptr);
        SDL_Surface* video = SDL_GetVideoSurface();
        ASSERT_EQ(video->w, 640 * scale);
        ASSERT_EQ(video->h, 480 * scale);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) putPixel(display.picture, x, y, static_cast<uint32_t>(x * 7 + y * 131));
        platform::present(display.picture);
        int wrong = 0;
        for (int y = 0; y < video->h; ++y)
            for (int x = 0; x < video->w; ++x)
                wrong += getPixel(video, x, y) != getPixel(display.picture, x / scale, y / scale);
        EXPECT_EQ(wrong, 0) << "factor " << scale;
    }
}

TEST(Display, TheMouseIsReadInPicturePixels) {
    ScaledDisplay display(2);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 1279;
    click.button.y = 101;
    SDL_Event alt{};
    alt.type = SDL_KEYDOWN;
    alt.key.keysym.sym = SDLK_RETURN;
    alt.key.keysym.mod = KMOD_LALT;
    ASSERT_EQ(SDL_PushEvent(&click), 0);
    SDL_Event got;
    ASSERT_TRUE(platform::pollEvent(got));
    EXPECT_EQ(got.type, SDL_MOUSEBUTTONDOWN);
    EXPECT_EQ(got.button.x, 639);
    EXPECT_EQ(got.button.y, 50);
    // Alt+Enter is the display's own: the editor never sees it. Full screen
    // takes the size the desktop had (here the 640 x 480 of the tests), and
    // the way back gives the factor-2 window again.
    ASSERT_EQ(SDL_PushEvent(&alt), 0);
    EXPECT_FALSE(platform::pollEvent(got));
    EXPECT_TRUE(platform::isFullscreen());
    EXPECT_EQ(SDL_GetVideoSurface()->w, 640);
    platform::toggleFullscreen();
    EXPECT_FALSE(platform::isFullscreen());
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1280);
}
