// vorrel-edit: the level editor. Run from the data folder, like the game.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/SoundBank.h"
#include "editor/Editor.h"
#include "app/App.h"
#include "level/LoadError.h"
#include "platform/Display.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "vorrel-edit: %s\n", message);
    std::fprintf(stderr, "usage: vorrel-edit [--theme NAME] [--fullscreen] [--scale N] LEVEL\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string theme;
    const char* path = nullptr;
    platform::DisplayOptions display;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--theme")) {
            if (i + 1 >= argc) return usage("--theme needs a name");
            theme = argv[++i];
        } else if (!std::strcmp(argv[i], "--fullscreen")) {
            display.fullscreen = true;
        } else if (!std::strcmp(argv[i], "--scale")) {
            char* end = nullptr;
            const long n = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
            if (!end || *end || end == argv[i + 1] || n < 1 || n > kMaxScale)
                return usage(("--scale needs a whole factor from 1 to " + std::to_string(kMaxScale)).c_str());
            display.scale = static_cast<int>(n);
            ++i;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return usage((std::string("unknown option ") + argv[i]).c_str());
        } else if (path) {
            return usage("one LEVEL only");
        } else {
            path = argv[i];
        }
    }
    if (!path) return usage("LEVEL is needed");

    SoundBank sounds;
    sounds.load("./zik/data.txt");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vorrel-edit: %s\n", SDL_GetError());
        return 2;
    }
    SDL_WM_SetCaption("Vorrel Level Editor", "Vorrel Level Editor");
    SDL_Surface* screen = platform::openDisplay(640, 480, display);
    if (!screen) {
        std::fprintf(stderr, "vorrel-edit: no video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return 2;
    }
    int status = 0;
    {
        Editor editor(screen, &sounds, path);
        std::string error;
        if (!editor.open(theme, error)) {
            if (error.rfind("vorrel-edit:", 0) == 0) {
                std::fprintf(stderr, "%s\n", error.c_str());
                status = 2;
            } else {
                if (!error.empty()) std::printf("%s\n", error.c_str());
                std::fflush(stdout);
                status = kLoadFailureExit;
            }
        } else {
            editor.run();
        }
    }
    platform::closeDisplay();
    SDL_Quit();
    return status;
}
