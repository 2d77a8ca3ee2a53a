#pragma once
#include <SDL/SDL_mixer.h>
#include <string>
#include <vector>

// Music and effects named in "./zik/data.txt", addressed by index.
class SoundBank {
public:
    SoundBank();   // opens the audio device
    ~SoundBank();  // frees music then chunks; does not close the device
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    // Reads the data file. A line of an unknown kind is reported on standard
    // output and ends the reading; blank lines are skipped.
    void load(const std::string& path);
    void playEffect(int index, int loops);
    // Always loops for ever.
    void playMusic(int index);
    void fadeInMusic(int index, int loops, int ms);
    void toggleMute();
    void changeVolume(int step);

    std::vector<Mix_Music*> music;
    std::vector<Mix_Chunk*> chunks;
    int savedVolume;
};

enum { MusicLevel = 0, MusicTitle = 1 };
enum { EffectTreasure = 0, EffectExplosion = 1, EffectPush = 2, EffectExit = 3 };

// M raises, L lowers, full stop mutes; acts while held with repeat intervals.
void checkVolumeKeys(SoundBank& bank);
// The shared time stamp of the last volume action (tests reset it).
extern uint32_t lastVolumeAction;
