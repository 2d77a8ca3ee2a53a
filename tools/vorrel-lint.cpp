// Lists every problem of level files and the tileset descriptions they name,
// one "FILE:LINE: error|warning: message" per line; with --print, writes a
// level that the game can use in the canonical layout instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/SoundBank.h"
#include "common/Lint.h"
#include "common/Solver.h"
#include "common/Tape.h"
#include "level/LevelText.h"
#include "platform/FileRead.h"

int main(int argc, char** argv) {
    // --print LEVEL writes the level's canonical text; --solve adds the
    // solver's verdict on every level that loads.
    const bool print = argc >= 2 && std::strcmp(argv[1], "--print") == 0;
    const bool solve = argc >= 2 && std::strcmp(argv[1], "--solve") == 0;
    if (argc < 2 + (print || solve) || (print && argc != 3)) {
        std::fprintf(stderr, "usage: vorrel-lint [--solve] LEVEL...\n       vorrel-lint --print LEVEL\n");
        return 2;
    }
    // The check shows nothing: no window even when there is a display.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SoundBank sounds;
    SDL_Surface* screen = openGameScreen("Vorrel lint");
    bool errors = false;
    for (int i = print || solve ? 2 : 1; i < argc; ++i) {
        std::vector<LintMessage> messages = lintLevel(argv[i], screen, &sounds);
        if (solve && !hasErrors(messages)) {
            LintMessage verdict = solveVerdict(argv[i], screen);
            if (!verdict.text.empty()) messages.push_back(verdict);
        }
        errors = errors || hasErrors(messages);
        // Printing, the canonical text alone goes to standard output, so
        // warnings go to standard error; problems that stop it take its place.
        FILE* out = print && !errors ? stderr : stdout;
        for (const LintMessage& message : messages) std::fprintf(out, "%s\n", formatLintMessage(message).c_str());
    }
    if (print && !errors) {
        std::string bytes;
        fileread::readFile(argv[2], fileread::kTextCap, bytes);
        const std::string text = writeLevelText(parseLevelText(bytes));
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    std::fflush(stdout);
    SDL_Quit();
    return errors ? 1 : 0;
}
