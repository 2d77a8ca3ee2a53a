// Replays a tape over a level with the game's own loader and play loop, and
// prints how the play ended.
#include <cstdio>
#include <string>

#include "audio/SoundBank.h"
#include "common/DataFolder.h"
#include "common/GameScreen.h"
#include "platform/VideoDriver.h"
#include "common/LevelLoad.h"
#include "common/MapOptions.h"
#include "common/Tape.h"
#include "common/ToolMain.h"
#include "level/Level.h"
#include "common/CommandLine.h"

namespace {

const cmdline::Program kProgram{
    "vorrel-replay",
    "vorrel-replay [--trace] [--select AVAILABLE] [--page P] [--expect OUTCOME] LEVEL TAPE",
    "Replays TAPE over LEVEL with the game's own rules and prints how the play ended.",
    {{"--trace", nullptr, "print PASS DT X Y FLAGS after every pass"},
     kSelectOption,
     kPageOption,
     {"--expect", "OUTCOME", "exit 1 unless the play ends Completed, Died, Quit, Restart or Unfinished"}},
    2,
    2,
    "LEVEL and TAPE are needed"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    ReplayOptions options;
    int expect = -1;
    if (const char* value = line.value("--expect")) {
        expect = parseOutcome(value);
        if (expect < 0) return line.usageError(std::string("unknown outcome '") + value + "'");
    }
    if (!readMapOptions(line, options)) return line.status();
    std::string levelArg = line.positionals()[0], tapeArg = line.positionals()[1];
    enterDataFolder({&levelArg, &tapeArg});
    const char* levelPath = levelArg.c_str();
    const char* tapePath = tapeArg.c_str();

    Tape tape;
    if (!loadTapeOrReport("vorrel-replay", tapePath, tape)) return 2;
    useDummyDriversWithoutDisplay();
    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openToolScreen("vorrel-replay", "Vorrel replay");
    if (!screen) return platform::kNoDisplayExit;
    std::unique_ptr<Level> level = loadLevelOrReport(levelPath, screen, &sounds);
    if (!level) {
        SDL_Quit();
        return kLoadFailureExit;
    }
    ReplayResult result = replayTape(*level, tape, options, line.has("--trace") ? stdout : nullptr);
    std::fputs(formatReport(result).c_str(), stdout);
    std::fflush(stdout);
    level.reset();
    SDL_Quit();
    if (expect >= 0 && result.outcome != expect) {
        std::fprintf(stderr, "vorrel-replay: expected %s, got %s\n", outcomeName(expect), outcomeName(result.outcome));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
