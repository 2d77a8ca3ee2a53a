// The sound data file: "M path" and "F path" lines naming music and effects.
// The input is the file's text; the named files may be the game's own sounds
// (copied into the scratch folder) or anything else. After reading, every
// operation of the bank is used with indices in and out of range.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "audio/SoundBank.h"
#include <sstream>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::openScreen();
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    fuzzsupport::enterDataFolder({"zik/push.wav", "zik/exit.wav", "zik/level.ogg"});
    static SoundBank device;  // keeps the audio device open between inputs
    return 0;
}

namespace {

int runOne(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The second word of every line names a file; only the scratch folder's.
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, name;
        words >> kind >> name;
        if (!fuzzsupport::safePath(name)) return 0;
    }
    fuzzsupport::writeFile("zik/data.txt", text);
    {
        SoundBank bank;
        bank.load("zik/data.txt");
        for (int index = -2; index < 9; ++index) {
            bank.playEffect(index, 0);
            bank.playMusic(index);
            bank.fadeInMusic(index, 1, 10);
        }
        bank.changeVolume(size % 2 ? 200 : -200);
        bank.toggleMute();
        bank.toggleMute();
        Mix_HaltMusic();
        Mix_HaltChannel(-1);
    }
    // Every bank opens the device once more; the one made at start keeps it open.
    Mix_CloseAudio();
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return runOne(data, size);
}
