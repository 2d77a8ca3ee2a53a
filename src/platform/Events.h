#pragma once
// The seam for programs that read input as events (presses, clicks, motion,
// the wheel) rather than as held keys: SDL's queue in a real window, a
// scripted queue in tests.
#include <SDL/SDL.h>

#include <deque>

namespace platform {

class EventSource {
public:
    virtual ~EventSource() = default;
    // The next waiting event, false when there is none.
    virtual bool poll(SDL_Event& event) = 0;
};

bool pollEvent(SDL_Event& event);
// Null puts SDL's queue back. Not owned.
void setEventSource(EventSource* source);

// Events queued by a test; also keeps the held-key array up to date so code
// that asks for modifiers or held keys sees the same as under SDL.
class ScriptedEvents : public EventSource {
public:
    bool poll(SDL_Event& event) override;
    void push(const SDL_Event& event) { queue.push_back(event); }
    void key(SDLKey sym, SDLMod mod = KMOD_NONE, Uint16 unicode = 0);
    void button(int x, int y, Uint8 which, bool down);
    void click(int x, int y, Uint8 which = SDL_BUTTON_LEFT);
    void motion(int x, int y, Uint8 held);
    void drag(int x0, int y0, int x1, int y1, Uint8 which = SDL_BUTTON_LEFT);
    void quit();
    bool empty() const { return queue.empty(); }

private:
    std::deque<SDL_Event> queue;
};

} // namespace platform
