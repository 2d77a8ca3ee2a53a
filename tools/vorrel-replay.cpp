// Replays a tape over a level with the game's own loader and play loop, and
// prints how the play ended.
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/SoundBank.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "common/Tape.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "vorrel-replay: %s\n", message);
    std::fprintf(stderr,
                 "usage: vorrel-replay [--trace] [--select AVAILABLE] [--page P] [--expect OUTCOME] LEVEL TAPE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool trace = false;
    ReplayOptions options;
    int expect = -1;
    const char* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--trace")) {
            trace = true;
        } else if (!std::strcmp(arg, "--select") || !std::strcmp(arg, "--page") || !std::strcmp(arg, "--expect")) {
            if (i + 1 >= argc) return usage((std::string(arg) + " needs a value").c_str());
            const char* value = argv[++i];
            if (!std::strcmp(arg, "--expect")) {
                expect = parseOutcome(value);
                if (expect < 0) return usage((std::string("unknown outcome '") + value + "'").c_str());
            } else if (!std::strcmp(arg, "--select")) {
                options.selectMode = true;
                if (!parseOptionInteger(value, options.available))
                    return usage((std::string("bad --select value '") + value + "'").c_str());
            } else if (!parseOptionInteger(value, options.page)) {
                return usage((std::string("bad --page value '") + value + "'").c_str());
            }
        } else if (arg[0] == '-' && arg[1] == '-') {
            return usage((std::string("unknown option ") + arg).c_str());
        } else {
            if (positionals == 2) return usage("too many arguments");
            positional[positionals++] = arg;
        }
    }
    if (positionals != 2) return usage("LEVEL and TAPE are needed");
    const std::string refusal = pageRefusal(options.page, options.selectMode ? options.available : 0);
    if (!refusal.empty()) return usage(("bad --page value: " + refusal).c_str());

    Tape tape;
    if (!loadTapeOrReport("vorrel-replay", positional[1], tape)) return 2;

    useDummyDriversWithoutDisplay();
    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openGameScreen("Vorrel replay");

    Level* level = nullptr;
    try {
        level = new Level(positional[0], screen, &sounds, 1, false);
    } catch (const LoadError& error) {
        int status = reportLoadError(error);
        SDL_Quit();
        return status;
    }

    ReplayResult result = replayTape(*level, tape, options, trace ? stdout : nullptr);
    std::fputs(formatReport(result).c_str(), stdout);
    std::fflush(stdout);
    delete level;
    SDL_Quit();
    if (expect >= 0 && result.outcome != expect) {
        std::fprintf(stderr, "vorrel-replay: expected %s, got %s\n", outcomeName(expect), outcomeName(result.outcome));
        return 1;
    }
    return 0;
}
