// vorrel-edit: the level editor. Run from the data folder, like the game.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/SoundBank.h"
#include "editor/Editor.h"
#include "level/LevelCode.h"
#include "level/LoadError.h"
#include "platform/Display.h"
#include "platform/Signals.h"
#include "platform/VideoDriver.h"
#include "common/CommandLine.h"
#include "common/DataFolder.h"
#include "common/ToolMain.h"

namespace {

const cmdline::Program kProgram{"vorrel-edit",
                                "vorrel-edit [--theme NAME] [--fullscreen] [--scale N] LEVEL|CODE|LINK",
                                "Opens LEVEL in the level editor (a new level when the file does not exist yet), or\n"
                                "the level a code or link holds, unsaved.",
                                {{"--theme", "NAME", "the theme of a new level"},
                                 {"--fullscreen", nullptr, "edit on the whole screen"},
                                 {"--scale", "N", "draw the window N times larger (default: the largest whole factor that fits)"}},
                                1,
                                1,
                                "LEVEL is needed",
                                "one LEVEL only"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    const std::string theme = line.value("--theme") ? line.value("--theme") : "";
    platform::DisplayOptions display;
    display.fullscreen = line.has("--fullscreen");
    if (const char* scale = line.value("--scale")) {
        display.scale = platform::readScale(scale);
        if (!display.scale) return line.usageError(platform::scaleRefusal());
    }
    std::string path = line.positionals()[0];
    // A level code or link opens the level it holds, still without a file.
    const bool code = access(path.c_str(), F_OK) != 0 && levelcode::looksLikeCode(path);
    enterDataFolder(code ? std::vector<std::string*>{} : std::vector<std::string*>{&path});

    SoundBank sounds;
    sounds.load("./zik/data.txt");
    std::string why;
    if (!platform::chooseVideoDriver(why)) {
        std::fprintf(stderr, "vorrel-edit: cannot open the display: %s\n", why.c_str());
        return platform::kNoDisplayExit;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vorrel-edit: cannot open the display: %s\n", SDL_GetError());
        return platform::kNoDisplayExit;
    }
    SDL_WM_SetCaption("Vorrel Level Editor", "Vorrel Level Editor");
    // Save As reads the typed characters.
    SDL_EnableUNICODE(1);
    SDL_Surface* screen = platform::openDisplay(640, 480, display);
    if (!screen) {
        std::fprintf(stderr, "vorrel-edit: cannot open the display: %s\n", SDL_GetError());
        SDL_Quit();
        return platform::kNoDisplayExit;
    }
    int status = 0;
    {
        Editor editor(screen, &sounds, code ? "" : path);
        std::string error;
        if (!(code ? editor.openCode(path, error) : editor.open(theme, error))) {
            if (error.rfind("vorrel-edit:", 0) == 0) {
                std::fprintf(stderr, "%s\n", error.c_str());
                status = 2;
            } else {
                if (!error.empty()) std::printf("%s\n", error.c_str());
                std::fflush(stdout);
                status = kLoadFailureExit;
            }
        } else {
            try {
                editor.run();
            } catch (const platform::StopRequested&) {
                // A logout or a kill must not wait for an answer; the work is kept.
                editor.keepUnsavedWork();
                throw;
            }
        }
    }
    platform::closeDisplay();
    SDL_Quit();
    return status;
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
