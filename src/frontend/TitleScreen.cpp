#include "frontend/Frontend.h"

#include <SDL/SDL_mixer.h>

#include "audio/SoundBank.h"
#include "gfx/Surface.h"
#include "platform/Display.h"
#include "platform/Platform.h"

namespace {

const uint32_t kStillTime = 3000;    // a picture stands alone this long
const uint32_t kFadeEnd = 6060;      // then the next one has faded in by here
const uint32_t kAlphaStep = 12;      // ms per alpha step: 3060 / 12 = 255

void blitWhole(SDL_Surface* picture, SDL_Surface* screen) {
    if (picture) blitRect(picture, screen, 0, 0, picture->w, picture->h, 0, 0);
}

void setAlpha(SDL_Surface* picture, uint32_t alpha) {
    if (picture) SDL_SetAlpha(picture, SDL_SRCALPHA, static_cast<Uint8>(alpha));
}

} // namespace

bool runTitleScreen(SDL_Surface* screen, SoundBank& sounds, bool returning) {
    SurfaceHolder held[3] = {SurfaceHolder(loadImage("./gfx/logo1.png")), SurfaceHolder(loadImage("./gfx/logo2.png")),
                             SurfaceHolder(loadImage("./gfx/quillmoor.png"))};
    SDL_Surface* pictures[3] = {held[0].get(), held[1].get(), held[2].get()};

    if (!returning) {
        runIntro(screen, sounds);
    } else {
        SurfaceHolder mask(loadImage("./gfx/maski_b.png"));
        sounds.fadeInMusic(MusicTitle, -1, 3000);
        if (mask && pictures[0]) crossFade(screen, mask.get(), pictures[0], 3000);
    }

    platform::pumpEvents();
    uint32_t t0 = platform::ticks();

    // Both buffers of the double-buffered screen get the first picture.
    for (int i = 0; i < 2; ++i) {
        blitWhole(pictures[0], screen);
        platform::present(screen);
    }

    SDL_Surface* current = pictures[0];
    SDL_Surface* next = pictures[1];
    SDL_Surface* waiting = pictures[2];
    bool leaving = false;
    for (;;) {
        const uint32_t now = platform::ticks();
        platform::pumpEvents();
        const uint8_t* keys = platform::keyState();
        checkVolumeKeys(sounds);

        bool playing;
        if (keys[SDLK_ESCAPE]) {
            leaving = true;
            playing = false;
        } else {
            leaving = false;
            playing = keys[SDLK_SPACE] != 0;
        }

        const uint32_t d = now - t0;
        if (d <= kStillTime) {
            setAlpha(next, 0);
            if (d == kStillTime) {
                blitWhole(current, screen);
                blitWhole(next, screen);
            }
        } else if (d <= kFadeEnd) {
            setAlpha(next, (d - kStillTime) / kAlphaStep);
            blitWhole(current, screen);
            blitWhole(next, screen);
        } else {
            SDL_Surface* oldCurrent = current;
            current = next;
            next = waiting;
            waiting = oldCurrent;
            t0 = now;
        }

        platform::present(screen);
        platform::delay(20);
        if (leaving || playing) break;
    }

    for (SurfaceHolder& picture : held) picture.reset();

    Mix_FadeOutMusic(3000);
    SurfaceHolder mask(loadImage("./gfx/maski_b.png"));
    if (mask) fadeTo(screen, mask.get(), 3000);

    return !leaving;
}
