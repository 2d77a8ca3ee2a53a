// Writes a level's picture as the start sequence shows it, or as it stands
// after replaying a tape, as a PNG: for previews, the README and the docs.
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/SoundBank.h"
#include "common/PngWrite.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "common/Picture.h"
#include "common/Tape.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "vorrel-render: %s\n", message);
    std::fprintf(stderr, "usage: vorrel-render LEVEL OUT.png [--tape TAPE] [--select AVAILABLE] [--page P]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const char* tapePath = nullptr;
    ReplayOptions options;
    const char* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--tape") || !std::strcmp(arg, "--select") || !std::strcmp(arg, "--page")) {
            if (i + 1 >= argc) return usage((std::string(arg) + " needs a value").c_str());
            const char* value = argv[++i];
            if (!std::strcmp(arg, "--tape")) {
                tapePath = value;
            } else if (!std::strcmp(arg, "--select")) {
                options.selectMode = true;
                if (!parseOptionInteger(value, options.available)) return usage("bad --select value");
            } else if (!parseOptionInteger(value, options.page)) {
                return usage("bad --page value");
            }
        } else if (arg[0] == '-' && arg[1] == '-') {
            return usage((std::string("unknown option ") + arg).c_str());
        } else {
            if (positionals == 2) return usage("too many arguments");
            positional[positionals++] = arg;
        }
    }
    if (positionals != 2) return usage("LEVEL and OUT.png are needed");
    const std::string refusal = pageRefusal(options.page, options.selectMode ? options.available : 0);
    if (!refusal.empty()) return usage(("bad --page value: " + refusal).c_str());

    Tape tape;
    if (tapePath && !loadTapeOrReport("vorrel-render", tapePath, tape)) return 2;

    useDummyDriversWithoutDisplay();
    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openGameScreen("Vorrel render");

    Level* level = nullptr;
    try {
        level = new Level(positional[0], screen, &sounds, 1, false);
    } catch (const LoadError& error) {
        int status = reportLoadError(error);
        SDL_Quit();
        return status;
    }

    // A virtual clock makes the water's phase, and so the picture, the same on every run.
    platform::VirtualClock clock;
    int page = options.page;
    int timeOffset = 3000;  // the start sequence draws the water this far ahead
    if (tapePath) {
        ReplayResult result = replayTape(*level, tape, options);
        page = result.page;
        clock.now = result.endTicks;
        timeOffset = 0;
    } else {
        clock.now = 20;  // the start sequence sleeps 20 ms before it draws
    }
    platform::setClock(&clock);
    drawPicture(*level, timeOffset, options, page);
    platform::setClock(nullptr);

    bool ok = writePng(screen, positional[1]);
    delete level;
    SDL_Quit();
    if (!ok) {
        std::fprintf(stderr, "vorrel-render: cannot write %s\n", positional[1]);
        return 2;
    }
    return 0;
}
