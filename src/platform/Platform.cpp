#include "platform/Platform.h"

#include <cstring>

#include "platform/Display.h"
#include "platform/Gamepad.h"
#include "platform/Signals.h"

namespace platform {
namespace {

class SdlClock : public Clock {
public:
    uint32_t ticks() override { return SDL_GetTicks(); }
    // Long waits are cut into frames so that a stop request ends them soon.
    void delay(uint32_t ms) override {
        while (ms > 0 && !stopSignal()) {
            const uint32_t step = ms < 20 ? ms : 20;
            SDL_Delay(step);
            ms -= step;
        }
    }
};

class SdlKeyboard : public Keyboard {
public:
    void pump() override {
        SDL_Event event;
        if (SDL_PollEvent(&event) && isFullscreenToggle(event)) toggleFullscreen();
        // The Return of Alt+Return switches the screen; it must not also
        // enter a door, whichever pass its event is read in.
        uint8_t* keys = SDL_GetKeyState(nullptr);
        if (keys[SDLK_LALT] || keys[SDLK_RALT]) keys[SDLK_RETURN] = 0;
    }
    uint8_t* keys() override { return SDL_GetKeyState(nullptr); }
};

SdlClock sdlClock;
SdlKeyboard sdlKeyboard;
Clock* currentClock = &sdlClock;
// One a thread: each of the solver's threads plays with keys of its own.
thread_local Keyboard* currentKeyboard = &sdlKeyboard;

} // namespace

uint32_t ticks() { return currentClock->ticks(); }
// Every loop waits and pumps: that is where a stop request is seen.
void delay(uint32_t ms) {
    currentClock->delay(ms);
    throwIfStopRequested();
}
void pumpEvents() {
    throwIfStopRequested();
    currentKeyboard->pump();
    pollGamepad();
}
uint8_t* keyState() { return foldedKeys(currentKeyboard->keys()); }

void setClock(Clock* clock) { currentClock = clock ? clock : &sdlClock; }
void setKeyboard(Keyboard* keyboard) { currentKeyboard = keyboard ? keyboard : &sdlKeyboard; }
Keyboard* installedKeyboard() { return currentKeyboard; }
Clock* installedClock() { return currentClock; }

ScriptedKeyboard::ScriptedKeyboard() { releaseAll(); }

void ScriptedKeyboard::releaseAll() { std::memset(state, 0, sizeof state); }

void ScriptedKeyboard::pump() {
    ++pumps;
    if (onPump) onPump(context);
}

} // namespace platform
