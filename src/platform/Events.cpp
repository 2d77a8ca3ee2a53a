#include "platform/Events.h"

#include "platform/Display.h"
#include "platform/Signals.h"

namespace platform {
namespace {

// The mouse as the picture sees it, whatever its scale on the screen. A
// press on the black border around a full-screen picture is nowhere; a move
// or a release there is at the nearest edge, so a drag always ends.
bool toPictureEvent(SDL_Event& event) {
    int x, y;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        x = event.motion.x, y = event.motion.y;
        screenToPicture(x, y);
        event.motion.xrel = Sint16(event.motion.xrel / placement().factor);
        event.motion.yrel = Sint16(event.motion.yrel / placement().factor);
        event.motion.x = Uint16(x), event.motion.y = Uint16(y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        x = event.button.x, y = event.button.y;
        if (!screenToPicture(x, y) && event.type == SDL_MOUSEBUTTONDOWN) return false;
        event.button.x = Uint16(x), event.button.y = Uint16(y);
        return true;
    default:
        return true;
    }
}

class SdlEvents : public EventSource {
public:
    bool poll(SDL_Event& event) override {
        while (SDL_PollEvent(&event)) {
            if (isFullscreenToggle(event)) {
                toggleFullscreen();
                continue;
            }
            if (toPictureEvent(event)) return true;
        }
        return false;
    }
};

SdlEvents sdlEvents;
EventSource* current = &sdlEvents;

} // namespace

// The editor's loops poll here: that is where they see a stop request.
bool pollEvent(SDL_Event& event) {
    throwIfStopRequested();
    return current->poll(event);
}
void setEventSource(EventSource* source) { current = source ? source : &sdlEvents; }

bool ScriptedEvents::poll(SDL_Event& event) {
    if (queue.empty()) return false;
    event = queue.front();
    queue.pop_front();
    return true;
}

void ScriptedEvents::key(SDLKey sym, SDLMod mod, Uint16 unicode) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    event.key.keysym.unicode = unicode;
    queue.push_back(event);
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    queue.push_back(event);
}

void ScriptedEvents::button(int x, int y, Uint8 which, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = which;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    queue.push_back(event);
}

void ScriptedEvents::click(int x, int y, Uint8 which) {
    button(x, y, which, true);
    button(x, y, which, false);
}

void ScriptedEvents::motion(int x, int y, Uint8 held) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.state = held;
    event.motion.x = static_cast<Uint16>(x);
    event.motion.y = static_cast<Uint16>(y);
    queue.push_back(event);
}

void ScriptedEvents::drag(int x0, int y0, int x1, int y1, Uint8 which) {
    button(x0, y0, which, true);
    motion(x1, y1, SDL_BUTTON(which));
    button(x1, y1, which, false);
}

void ScriptedEvents::quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    queue.push_back(event);
}

} // namespace platform
