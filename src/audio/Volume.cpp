#include "audio/SoundBank.h"

#include "platform/Platform.h"

// Shared by the title screen and every play: an action on one delays the next
// on another.
uint32_t lastVolumeAction = 0;

void SoundBank::changeVolume(int step) {
    int volume = Mix_VolumeMusic(-1) + step;
    if (volume < 0) volume = 0;
    if (volume > 128) volume = 128;
    Mix_VolumeMusic(volume);
    savedVolume = volume;
}

void SoundBank::toggleMute() {
    if (Mix_VolumeMusic(-1) != 0)
        Mix_VolumeMusic(0);
    else
        Mix_VolumeMusic(savedVolume);
}

void checkVolumeKeys(SoundBank& bank) {
    const uint32_t now = platform::ticks();
    const uint32_t since = now - lastVolumeAction;
    const uint8_t* keys = platform::keyState();
    if (!keys) return;
    const int step = keys[SDLK_m] ? 5 : keys[SDLK_l] ? -5 : 0;
    if (step != 0 && since > 100) {
        bank.changeVolume(step);
        lastVolumeAction = now;
        return;
    }
    if (keys[SDLK_PERIOD] && since > 1000) {
        bank.toggleMute();
        lastVolumeAction = now;
    }
}
