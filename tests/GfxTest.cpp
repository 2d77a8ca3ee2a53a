#include <gtest/gtest.h>

#include "TestSupport.h"
#include "gfx/Surface.h"
#include "platform/Platform.h"

#include <vector>

namespace {

SDL_Surface* rgbSurface(int w, int h, int bits) {
    switch (bits) {
    case 8: return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
    case 16: return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    case 24: return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    default: return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    }
}

// Every pixel of a 32-bit surface gets a value naming its position.
uint32_t mark(int x, int y) { return static_cast<uint32_t>(y * 1000 + x + 1); }

void fillMarks(SDL_Surface* s) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) putPixel(s, x, y, mark(x, y));
}

TEST(GfxPixels, RoundTripAtEveryDepthAndEdgesAreSkipped) {
    SDL_Surface* s24 = rgbSurface(4, 3, 24);
    ASSERT_EQ(s24->format->BytesPerPixel, 3);
    putPixel(s24, 3, 2, 0xABCDEF12u);
    EXPECT_EQ(getPixel(s24, 3, 2), 0xCDEF12u);  // low 24 bits
    const Uint8* p = static_cast<Uint8*>(s24->pixels) + 2 * s24->pitch + 3 * 3;
    EXPECT_EQ(p[0], 0x12);  // least significant byte first
    EXPECT_EQ(p[1], 0xEF);
    EXPECT_EQ(p[2], 0xCD);
    EXPECT_EQ(getPixel(s24, 2, 2), 0u);  // the neighbour is untouched
    SDL_FreeSurface(s24);

    const int depths[] = {8, 16, 32};
    const uint32_t expected[] = {0x12u, 0xEF12u, 0xABCDEF12u};
    for (int i = 0; i < 3; ++i) {
        SDL_Surface* s = rgbSurface(4, 3, depths[i]);
        putPixel(s, 1, 1, 0xABCDEF12u);
        EXPECT_EQ(getPixel(s, 1, 1), expected[i]) << depths[i] << " bits";
        SDL_FreeSurface(s);
    }

    // Outside the surface nothing is written and reads give 0.
    SDL_Surface* s = rgbSurface(4, 3, 32);
    SDL_FillRect(s, nullptr, 0x111111);
    putPixel(s, -1, 0, 0xFFFFFF);
    putPixel(s, 4, 0, 0xFFFFFF);
    putPixel(s, 0, 3, 0xFFFFFF);
    EXPECT_EQ(getPixel(s, -1, 0), 0u);
    EXPECT_EQ(getPixel(s, 0, 3), 0u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(getPixel(s, x, y), 0x111111u);
    SDL_FreeSurface(s);

    putPixel(nullptr, 0, 0, 1);
    EXPECT_EQ(getPixel(nullptr, 0, 0), 0u);
    EXPECT_EQ(fillRect(nullptr, 0, 0, 1, 1, 0), -1);
    EXPECT_EQ(blitRect(nullptr, nullptr, 0, 0, 1, 1, 0, 0), -1);
}

TEST(GfxBlit, SelfBlitReadsTheSourceBeforeWriting) {
    SDL_Surface* s = rgbSurface(640, 480, 32);
    // Down and right: a plain SDL blit would repeat the first rows.
    fillMarks(s);
    blitRect(s, s, 0, 0, 640, 480, 5, 3);
    for (int y = 3; y < 480; y += 7)
        for (int x = 5; x < 640; x += 3) ASSERT_EQ(getPixel(s, x, y), mark(x - 5, y - 3)) << x << "," << y;
    EXPECT_EQ(getPixel(s, 4, 100), mark(4, 100));  // left of the copy stays
    EXPECT_EQ(getPixel(s, 100, 2), mark(100, 2));

    // Up and left, including a source partly outside the surface.
    fillMarks(s);
    blitRect(s, s, 10, 20, 700, 500, 0, 0);
    for (int y = 0; y < 460; y += 7)
        for (int x = 0; x < 630; x += 3) ASSERT_EQ(getPixel(s, x, y), mark(x + 10, y + 20)) << x << "," << y;
    EXPECT_EQ(getPixel(s, 635, 470), mark(635, 470));

    // With a colour key SDL has no overlap-safe path; the key still applies.
    fillMarks(s);
    putPixel(s, 3, 0, 0x00FF00FF);
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, 0x00FF00FF);
    blitRect(s, s, 0, 0, 4, 2, 1, 0);
    EXPECT_EQ(getPixel(s, 1, 0), mark(0, 0));
    EXPECT_EQ(getPixel(s, 2, 0), mark(1, 0));
    EXPECT_EQ(getPixel(s, 3, 0), mark(2, 0));
    EXPECT_EQ(getPixel(s, 4, 0), mark(4, 0));  // keyed pixel not drawn
    EXPECT_EQ(getPixel(s, 4, 1), mark(3, 1));
    SDL_FreeSurface(s);
}

TEST(GfxBlit, TargetPartlyOffTheSurfaceDrawsTheVisiblePart) {
    SDL_Surface* source = rgbSurface(20, 20, 32);
    SDL_Surface* target = rgbSurface(30, 30, 32);
    fillMarks(source);
    SDL_FillRect(target, nullptr, 0);
    blitRect(source, target, 0, 0, 20, 20, -5, 22);
    EXPECT_EQ(getPixel(target, 0, 22), mark(5, 0));
    EXPECT_EQ(getPixel(target, 14, 29), mark(19, 7));
    EXPECT_EQ(getPixel(target, 15, 22), 0u);
    EXPECT_EQ(getPixel(target, 0, 21), 0u);

    fillRect(target, 25, -3, 10, 5, 0x123456);
    EXPECT_EQ(getPixel(target, 29, 1), 0x123456u);
    EXPECT_EQ(getPixel(target, 24, 1), 0u);
    EXPECT_EQ(getPixel(target, 29, 2), 0u);
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}

TEST(GfxBlit, BlackSurfaceIsOpaqueBlackWithAlphaMask) {
    SDL_Surface* s = makeBlackSurface(640, 480);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, 640);
    EXPECT_EQ(s->format->BitsPerPixel, 32);
    EXPECT_EQ(s->format->Amask, 0xFF000000u);
    EXPECT_EQ(getPixel(s, 639, 479), 0xFF000000u);
    SDL_FreeSurface(s);
}

// Records the alpha of a surface at every pass of a fade; the pump comes after
// the 10 ms delay, so the step began 10 ms before the time seen here.
struct AlphaLog {
    platform::VirtualInput* input;
    SDL_Surface* watched;
    uint32_t start;
    std::vector<std::pair<uint32_t, int>> steps;  // elapsed at the step, alpha
    static void hook(void* self) {
        auto* log = static_cast<AlphaLog*>(self);
        log->steps.emplace_back(log->input->clock.now - 10 - log->start, log->watched->format->alpha);
    }
};

int alphaAt(const AlphaLog& log, uint32_t elapsed) {
    for (const auto& step : log.steps)
        if (step.first == elapsed) return step.second;
    return -1;
}

TEST(GfxFade, CrossFadeAlphasFollowVirtualTime) {
    SDL_Surface* screen = testsupport::screen();
    ASSERT_NE(screen, nullptr);
    SDL_Surface* top = makeBlackSurface(640, 480);
    SDL_Surface* bottom = rgbSurface(640, 480, 32);
    SDL_FillRect(bottom, nullptr, 0xFFFFFF);

    // Starting near the wrap of the 32-bit clock checks the unsigned arithmetic.
    platform::VirtualInput input(0xFFFFF000u);
    AlphaLog log{&input, top, input.clock.now, {}};
    input.keyboard.onPump = &AlphaLog::hook;
    input.keyboard.context = &log;
    crossFade(screen, top, bottom, 3000);
    EXPECT_EQ(input.clock.now - log.start, 3000u);
    ASSERT_EQ(log.steps.size(), 300u);
    EXPECT_EQ(alphaAt(log, 0), 255);
    EXPECT_EQ(alphaAt(log, 1500), 128);
    EXPECT_EQ(alphaAt(log, 2990), 255 - 2990 * 255 / 3000);
    EXPECT_EQ(top->format->alpha, 1);  // the alpha is left as the last step set it
    // The last step shows mostly the white bottom through the almost clear top.
    Uint8 r, g, b;
    testsupport::pixelRGB(screen, 320, 240, r, g, b);
    EXPECT_GT(r, 250);

    // Duration 0 returns at once without drawing.
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 10, 20, 30));
    const uint32_t before = input.clock.now;
    crossFade(screen, top, bottom, 0);
    fadeTo(screen, bottom, 0);
    EXPECT_EQ(input.clock.now, before);
    EXPECT_EQ(log.steps.size(), 300u);
    testsupport::pixelRGB(screen, 0, 0, r, g, b);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(b, 30);

    // Missing pictures draw nothing but the fade keeps its pace.
    input.keyboard.onPump = nullptr;
    crossFade(screen, nullptr, nullptr, 100);
    fadeTo(nullptr, nullptr, 100);
    EXPECT_EQ(input.clock.now - before, 200u);

    SDL_FreeSurface(top);
    SDL_FreeSurface(bottom);
}

TEST(GfxFade, FadeToRaisesAlphaAndBlendsOverTheScreen) {
    SDL_Surface* screen = testsupport::screen();
    ASSERT_NE(screen, nullptr);
    SDL_FillRect(screen, nullptr, 0);
    SDL_Surface* image = rgbSurface(640, 480, 32);
    SDL_FillRect(image, nullptr, 0xFFFFFF);

    platform::VirtualInput input(500);
    AlphaLog log{&input, image, input.clock.now, {}};
    input.keyboard.onPump = &AlphaLog::hook;
    input.keyboard.context = &log;
    fadeTo(screen, image, 2000);
    ASSERT_EQ(log.steps.size(), 200u);
    EXPECT_EQ(alphaAt(log, 0), 0);
    EXPECT_EQ(alphaAt(log, 1000), 127);
    EXPECT_EQ(alphaAt(log, 1990), 1990 * 255 / 2000);
    // Each step blends over the previous one, so the screen ends near white.
    Uint8 r, g, b;
    testsupport::pixelRGB(screen, 10, 10, r, g, b);
    EXPECT_GT(r, 250);
    SDL_FreeSurface(image);
}

TEST(GfxImage, MissingPictureIsReportedOnceAndGivesNull) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(dir.writeImage("gfx/here.png", 3, 2, 1, 2, 3));
    testing::internal::CaptureStdout();
    SDL_Surface* missing = loadImage("gfx/gone.png");
    SDL_Surface* again = loadImage("gfx/gone.png");
    SDL_Surface* here = loadImage("gfx/here.png");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(again, nullptr);
    ASSERT_NE(here, nullptr);
    EXPECT_EQ(here->w, 3);
    EXPECT_EQ(out, "Picture gfx/gone.png not found.\n");
    SDL_FreeSurface(here);
}

} // namespace

// Places beyond the 16-bit range of SDL's rectangles must not wrap round
// onto the surface: a sprite 65536 pixels off is simply not seen.
TEST(GfxBlit, FarPlacesDoNotWrapRoundOntoTheSurface) {
    SDL_Surface* target = rgbSurface(64, 64, 32);
    SDL_Surface* sprite = rgbSurface(8, 8, 32);
    SDL_FillRect(target, nullptr, 0);
    SDL_FillRect(sprite, nullptr, 0xFFFFFF);
    blitRect(sprite, target, 0, 0, 8, 8, 65536 + 10, 10);
    blitRect(sprite, target, 0, 0, 8, 8, 10, -65536 + 10);
    blitRect(sprite, target, 0, 0, 8, 8, 40000, 40000);
    fillRect(target, 5, 5, -1, 4, 0xFFFFFF);  // a negative size fills nothing
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(getPixel(target, x, y), 0u) << x << ", " << y;
    blitRect(sprite, target, 0, 0, 8, 8, 60, 60);  // near places still draw
    EXPECT_EQ(getPixel(target, 63, 63), 0xFFFFFFu);
    SDL_FreeSurface(sprite);
    SDL_FreeSurface(target);
}

TEST(GfxBlit, CopyRowsCopiesWholeRowsInsideBothSurfaces) {
    SDL_Surface* from = rgbSurface(5, 6, 32);
    SDL_Surface* to = rgbSurface(5, 4, 32);
    fillMarks(from);
    SDL_FillRect(to, nullptr, 0);
    ASSERT_TRUE(copyRows(from, 3, to, -1, 10));  // rows 4 and 5 land in rows 0 and 1
    EXPECT_EQ(getPixel(to, 0, 0), mark(0, 4));
    EXPECT_EQ(getPixel(to, 4, 1), mark(4, 5));
    EXPECT_EQ(getPixel(to, 2, 2), 0u);
    SDL_Surface* narrow = rgbSurface(4, 4, 32);
    SDL_Surface* other = rgbSurface(5, 4, 24);
    EXPECT_FALSE(copyRows(from, 0, narrow, 0, 4));
    EXPECT_FALSE(copyRows(from, 0, other, 0, 4));
    SDL_FreeSurface(other);
    SDL_FreeSurface(narrow);
    SDL_FreeSurface(to);
    SDL_FreeSurface(from);
}
