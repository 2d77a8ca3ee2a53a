#include "frontend/Frontend.h"

#include <cstdio>

#include "audio/SoundBank.h"
#include "entities/Item.h"
#include "gfx/AnimStrip.h"
#include "gfx/Surface.h"
#include "platform/Display.h"
#include "platform/Platform.h"

namespace {

const int kDefaultStarPlaces[5][2] = {{461, 188}, {301, 209}, {319, 182}, {388, 182}, {234, 199}};
const int kStarSize = 32;
const int kStarCycle = 2500;          // all frames of a star, in ms
const uint32_t kIntroLimit = 14999;   // the intro never runs past 15 seconds
const uint32_t kCrossFadeTime = 500;

} // namespace

int starPlaces[5][2] = {{461, 188}, {301, 209}, {319, 182}, {388, 182}, {234, 199}};
unsigned introTiming[5] = {0, 0, 0, 0, 0};

void resetIntroData() {
    for (int i = 0; i < 5; ++i) {
        starPlaces[i][0] = kDefaultStarPlaces[i][0];
        starPlaces[i][1] = kDefaultStarPlaces[i][1];
        introTiming[i] = 0;
    }
}

void runIntro(SDL_Surface* screen, SoundBank& sounds) {
    SurfaceHolder starSheet(loadImage("./gfx/tahteet.png"));
    SurfaceHolder makerPicture(loadImage("./gfx/quillmoor.png"));
    SurfaceHolder titlePicture(loadImage("./gfx/logo1.png"));
    SDL_Surface* stars = starSheet.get();
    SDL_Surface* maker = makerPicture.get();
    SDL_Surface* title = titlePicture.get();
    const uint32_t t0 = platform::ticks();

    const int frameCount = stars ? stars->w / kStarSize : 0;

    readIntegers("gfx/starloc.txt", &starPlaces[0][0], 10);
    readIntegers("zik/space.bar", introTiming, 5);
    const uint32_t introLength = introTiming[0];

    // A picture too narrow for one frame has no star to show.
    AnimStrip strips[5];
    const bool haveStars = frameCount > 0;
    // The strips are freed however the intro ends, a stop request included.
    struct StripsFree {
        AnimStrip* strips;
        bool cut;
        ~StripsFree() {
            if (cut)
                for (int i = 0; i < 5; ++i) freeStrip(strips[i]);
        }
    } stripsFree{strips, haveStars};
    if (haveStars)
        for (int i = 0; i < 5; ++i)
            strips[i] = cutStrip(stars, 0, 0, frameCount, 1, kStarCycle / frameCount, kStarSize, kStarSize,
                                 (i * frameCount) / 5);

    sounds.fadeInMusic(MusicTitle, -1, 3000);

    uint32_t previous = platform::ticks() - t0;
    for (;;) {
        if (platform::ticks() - t0 > kIntroLimit) break;
        const uint32_t elapsed = platform::ticks() - t0;
        const uint8_t* keys = platform::keyState();
        platform::pumpEvents();
        const bool space = keys[SDLK_SPACE] != 0;
        if (space) {
            std::printf("%u\n", static_cast<unsigned>(elapsed));
            std::fflush(stdout);
        }

        if (maker) blitRect(maker, screen, 0, 0, screen->w, screen->h, 0, 0);

        const uint32_t dt = elapsed - previous;
        if (haveStars)
            for (int i = 0; i < 5; ++i) {
                advanceStrip(strips[i], static_cast<int>(dt));
                if (strips[i].surface)
                    blitRect(strips[i].surface, screen, strips[i].currentFrame * kStarSize, 0, kStarSize, kStarSize,
                             starPlaces[i][0], starPlaces[i][1]);
            }

        if (elapsed > introLength || space) {
            if (maker && title) {
                crossFade(screen, maker, title, kCrossFadeTime);
            } else if (title) {
                blitRect(title, screen, 0, 0, title->w, title->h, 0, 0);
                platform::present(screen);
            }
            break;
        }

        platform::present(screen);
        previous = elapsed;
        platform::delay(20);
    }

}
