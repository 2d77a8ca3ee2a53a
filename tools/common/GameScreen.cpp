// Opening the tools' window the way the game opens its own.
#include "common/GameScreen.h"

#include <cstdlib>

void useDummyDriversWithoutDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

SDL_Surface* openGameScreen(const char* caption) {
    SDL_Init(SDL_INIT_VIDEO);
    SDL_WM_SetCaption(caption, caption);
    return SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
}
