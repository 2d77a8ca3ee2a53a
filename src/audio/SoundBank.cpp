// STUB: replaced by the audio work.
#include "audio/SoundBank.h"
uint32_t lastVolumeAction = 0;
SoundBank::SoundBank() : savedVolume(128) {}
SoundBank::~SoundBank() {}
void SoundBank::load(const std::string&) {}
void SoundBank::playEffect(int, int) {}
void SoundBank::playMusic(int, int) {}
void SoundBank::fadeInMusic(int, int, int) {}
void SoundBank::toggleMute() {}
void SoundBank::changeVolume(int) {}
void checkVolumeKeys(SoundBank&) {}
