#pragma once
// The one seam between the game and the passage of time and the keyboard
// (with a gamepad folded into it, see Gamepad.h; stop requests, Signals.h).
// The game runs on SDL's clock and key state; tests and replays install a
// virtual clock and a scripted keyboard so that every run is reproducible and
// a six-second sequence takes milliseconds.
#include <SDL/SDL.h>
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t ticks() = 0;
    virtual void delay(uint32_t ms) = 0;
};

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // One SDL_PollEvent in the real game; its event is never examined.
    virtual void pump() = 0;
    // One byte per SDL key symbol, non-zero while held (SDLK_LAST entries).
    virtual uint8_t* keys() = 0;
};

uint32_t ticks();
// delay and pumpEvents throw StopRequested once a stop has been requested.
void delay(uint32_t ms);
void pumpEvents();
uint8_t* keyState();

// Install a clock or keyboard; null puts SDL's back. Not owned.
void setClock(Clock* clock);
void setKeyboard(Keyboard* keyboard);
// The keyboard and clock installed now (SDL's when none is), to put them
// back later or to reach past one installed over them.
Keyboard* installedKeyboard();
Clock* installedClock();

// Time that moves only when someone waits: delay(ms) adds ms to the clock.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(uint32_t start = 0) : now(start) {}
    uint32_t ticks() override { return now; }
    void delay(uint32_t ms) override { now += ms; }
    void advance(uint32_t ms) { now += ms; }
    uint32_t now;
};

// Held keys set by the test or the replay; pump() calls an optional hook so
// a script can change the keys at each pass.
class ScriptedKeyboard : public Keyboard {
public:
    ScriptedKeyboard();
    void pump() override;
    uint8_t* keys() override { return state; }
    void press(int sym) { state[sym] = 1; }
    void release(int sym) { state[sym] = 0; }
    void releaseAll();
    void (*onPump)(void* context) = nullptr;
    void* context = nullptr;
    unsigned pumps = 0;
    uint8_t state[SDLK_LAST];
};

// Installs a virtual clock and a scripted keyboard for the lifetime of the
// object and puts SDL's back afterwards.
class VirtualInput {
public:
    explicit VirtualInput(uint32_t start = 0) : clock(start) {
        setClock(&clock);
        setKeyboard(&keyboard);
    }
    ~VirtualInput() {
        setClock(nullptr);
        setKeyboard(nullptr);
    }
    VirtualInput(const VirtualInput&) = delete;
    VirtualInput& operator=(const VirtualInput&) = delete;
    VirtualClock clock;
    ScriptedKeyboard keyboard;
};

} // namespace platform
