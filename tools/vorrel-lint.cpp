// Lists every problem of level files and the tileset descriptions they name,
// one "FILE:LINE: error|warning: message" per line; with --print, writes a
// level that the game can use in the canonical layout instead.
#include <cstdio>
#include <cstdlib>

#include "audio/SoundBank.h"
#include "common/Lint.h"
#include "common/SolveVerdict.h"
#include "common/DataFolder.h"
#include "common/GameScreen.h"
#include "platform/VideoDriver.h"
#include "level/LevelText.h"
#include "common/CommandLine.h"
#include "common/ToolMain.h"
#include "platform/FileRead.h"
#include "platform/Signals.h"

namespace {

const cmdline::Program kProgram{"vorrel-lint",
                                "vorrel-lint [--solve] LEVEL...\nvorrel-lint --print LEVEL",
                                "Lists every problem of the level files and the tileset descriptions they name.",
                                {{"--solve", nullptr, "add the solver's verdict on every level that loads"},
                                 {"--print", nullptr, "write the level in the canonical layout on standard output"}},
                                1,
                                -1,
                                "LEVEL is needed"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    // --print LEVEL writes the level's canonical text; --solve adds the
    // solver's verdict on every level that loads.
    const bool print = line.has("--print");
    const bool solve = line.has("--solve");
    std::vector<std::string> levels(line.positionals().begin(), line.positionals().end());
    if (print && (solve || levels.size() != 1)) return line.usageError("--print takes one LEVEL alone");
    std::vector<std::string*> paths;
    for (std::string& level : levels) paths.push_back(&level);
    enterDataFolder(paths);
    useDummyDrivers();  // the check shows nothing: no window even when there is a display
    SoundBank sounds;
    SDL_Surface* screen = openToolScreen("vorrel-lint", "Vorrel lint");
    if (!screen) return platform::kNoDisplayExit;
    bool errors = false;
    for (const std::string& level : levels) {
        platform::throwIfStopRequested();
        std::vector<LintMessage> messages = lintLevel(level, screen, &sounds);
        if (solve && !hasErrors(messages)) {
            LintMessage verdict = solveVerdict(level, screen);
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
        fileread::readFile(levels[0], fileread::kTextCap, bytes);
        const std::string text = writeLevelText(parseLevelText(bytes));
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    std::fflush(stdout);
    SDL_Quit();
    return errors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
