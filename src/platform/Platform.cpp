#include "platform/Platform.h"

#include <cstring>

namespace platform {
namespace {

class SdlClock : public Clock {
public:
    uint32_t ticks() override { return SDL_GetTicks(); }
    void delay(uint32_t ms) override { SDL_Delay(ms); }
};

class SdlKeyboard : public Keyboard {
public:
    void pump() override {
        SDL_Event event;
        SDL_PollEvent(&event);
    }
    uint8_t* keys() override { return SDL_GetKeyState(nullptr); }
};

SdlClock sdlClock;
SdlKeyboard sdlKeyboard;
Clock* currentClock = &sdlClock;
Keyboard* currentKeyboard = &sdlKeyboard;

} // namespace

uint32_t ticks() { return currentClock->ticks(); }
void delay(uint32_t ms) { currentClock->delay(ms); }
void pumpEvents() { currentKeyboard->pump(); }
uint8_t* keyState() { return currentKeyboard->keys(); }

void setClock(Clock* clock) { currentClock = clock ? clock : &sdlClock; }
void setKeyboard(Keyboard* keyboard) { currentKeyboard = keyboard ? keyboard : &sdlKeyboard; }
Keyboard* installedKeyboard() { return currentKeyboard; }

ScriptedKeyboard::ScriptedKeyboard() { releaseAll(); }

void ScriptedKeyboard::releaseAll() { std::memset(state, 0, sizeof state); }

void ScriptedKeyboard::pump() {
    ++pumps;
    if (onPump) onPump(context);
}

} // namespace platform
