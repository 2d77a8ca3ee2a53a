// A hidden tab pauses the game: its clock stops until the tab shows again, so
// nothing moves, no fade runs on and the frame after the return is a frame.
#include "platform/web/WebClock.h"

#include <emscripten.h>

namespace platform {
namespace {

EM_JS(int, tabHidden, (), { return document.hidden ? 1 : 0; });

class PausingClock : public Clock {
public:
    uint32_t ticks() override { return SDL_GetTicks() - paused; }
    void delay(uint32_t ms) override {
        SDL_Delay(ms);
        while (tabHidden()) {
            const uint32_t from = SDL_GetTicks();
            SDL_Delay(100);
            paused += SDL_GetTicks() - from;
        }
    }

private:
    uint32_t paused = 0;
};

PausingClock clock;

} // namespace

Clock& pausingClock() { return clock; }

} // namespace platform
