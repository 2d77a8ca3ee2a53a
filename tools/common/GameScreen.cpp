// Opening the tools' window the way the game opens its own.
#include "common/GameScreen.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "level/Vocabulary.h"
#include "platform/VideoDriver.h"

void useDummyDrivers() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

void useDummyDriversWithoutDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) useDummyDrivers();
}

SDL_Surface* openGameScreen(const char* caption) {
    std::string why;
    if (!platform::chooseVideoDriver(why)) {
        SDL_SetError("%s", why.c_str());
        return nullptr;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_WM_SetCaption(caption, caption);
    return SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
}

SDL_Surface* openToolScreen(const char* tool, const char* caption) {
    SDL_Surface* screen = openGameScreen(caption);
    if (!screen) {
        std::fprintf(stderr, "%s: cannot open the display: %s\n", tool, SDL_GetError());
        SDL_Quit();
    }
    return screen;
}
