// The intro's two number files: "gfx/starloc.txt" (the five star places)
// and "zik/space.bar" (the timing values). The input is the first file, a
// "--8<--" line and the second; its length also picks how far the clock
// moves at each of the intro's waits, so that long and short intros both end
// in a few hundred frames. The intro then runs whole under that clock.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "audio/SoundBank.h"
#include "frontend/Frontend.h"
#include "platform/Platform.h"

namespace {

SDL_Surface* screen = nullptr;
SoundBank* sounds = nullptr;

// Every wait lasts `step` milliseconds, whatever was asked.
class SteppingClock : public platform::Clock {
public:
    explicit SteppingClock(uint32_t step) : step(step) {}
    uint32_t ticks() override { return now; }
    void delay(uint32_t) override { now += step; }
    uint32_t now = 5000;
    uint32_t step;
};

// Small pictures stand in for the full-screen ones: the intro's logic is the
// same, and each input runs many times faster.
void writePicture(const char* path, int width, int height, Uint8 r, Uint8 g, Uint8 b) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, r, g, b));
    fuzzsupport::makeFolders(path);
    SDL_SaveBMP(s, path);
    SDL_FreeSurface(s);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    screen = fuzzsupport::openScreen();
    // A cut-short intro prints its time; thousands of inputs would flood the log.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    fuzzsupport::enterDataFolder({});
    writePicture("gfx/tahteet.png", 160, 32, 255, 255, 0);
    writePicture("gfx/quillmoor.png", 64, 48, 0, 0, 128);
    writePicture("gfx/logo1.png", 64, 48, 128, 0, 0);
    sounds = new SoundBank;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = fuzzsupport::split(data, size, 2);
    fuzzsupport::writeFile("gfx/starloc.txt", parts[0]);
    fuzzsupport::writeFile("zik/space.bar", parts[1]);
    resetIntroData();
    SteppingClock clock(20 + static_cast<uint32_t>(size * 37 % 381));
    platform::ScriptedKeyboard keyboard;
    // A space held from the start cuts the intro short on its first frame.
    if (size % 5 == 0) keyboard.press(SDLK_SPACE);
    platform::setClock(&clock);
    platform::setKeyboard(&keyboard);
    runIntro(screen, *sounds);
    platform::setClock(nullptr);
    platform::setKeyboard(nullptr);
    return 0;
}
