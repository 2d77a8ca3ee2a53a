// Lists every problem of level files and the tileset descriptions they name,
// one "FILE:LINE: error|warning: message" per line.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/SoundBank.h"
#include "common/Lint.h"
#include "common/Solver.h"
#include "common/Tape.h"

int main(int argc, char** argv) {
    // --solve adds the solver's verdict on every level that loads.
    const bool solve = argc > 1 && !std::strcmp(argv[1], "--solve");
    if (argc < 2 + solve) {
        std::fprintf(stderr, "usage: vorrel-lint [--solve] LEVEL...\n");
        return 2;
    }
    // The check shows nothing: no window even when there is a display.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SoundBank sounds;
    SDL_Surface* screen = openGameScreen("Vorrel lint");
    bool errors = false;
    for (int i = 1 + solve; i < argc; ++i) {
        std::vector<LintMessage> messages = lintLevel(argv[i], screen, &sounds);
        if (solve && !hasErrors(messages)) {
            LintMessage verdict = solveVerdict(argv[i], screen);
            if (!verdict.text.empty()) messages.push_back(verdict);
        }
        for (const LintMessage& message : messages) std::printf("%s\n", formatLintMessage(message).c_str());
        errors = errors || hasErrors(messages);
    }
    std::fflush(stdout);
    SDL_Quit();
    return errors ? 1 : 0;
}
