// Writes a level's picture as the start sequence shows it, or as it stands
// after replaying a tape, as a PNG: for previews, the README and the docs.
#include <cstdio>
#include <string>

#include "audio/SoundBank.h"
#include "common/DataFolder.h"
#include "common/GameScreen.h"
#include "platform/VideoDriver.h"
#include "common/LevelLoad.h"
#include "common/MapOptions.h"
#include "common/Output.h"
#include "common/Picture.h"
#include "common/PngWrite.h"
#include "common/Tape.h"
#include "common/ToolMain.h"
#include "level/Level.h"
#include "common/CommandLine.h"

namespace {

const cmdline::Program kProgram{
    "vorrel-render",
    "vorrel-render LEVEL OUT.png [--tape TAPE] [--select AVAILABLE] [--page P]",
    "Writes LEVEL's picture as the start of a play shows it, or after replaying TAPE, as a PNG.",
    {{"--tape", "TAPE", "replay TAPE first and draw the level as the play left it"},
     kSelectOption,
     kPageOption},
    2,
    2,
    "LEVEL and OUT.png are needed"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    const char* tapePath = line.value("--tape");
    ReplayOptions options;
    if (!readMapOptions(line, options)) return line.status();
    std::string levelArg = line.positionals()[0], outArg = line.positionals()[1], tapeArg = tapePath ? tapePath : "";
    enterDataFolder({&levelArg, &outArg, &tapeArg});
    const char* levelPath = levelArg.c_str();
    const char* outPath = outArg.c_str();
    if (tapePath) tapePath = tapeArg.c_str();
    if (const std::string why = outputRefusal(outPath, {levelPath, tapePath}); !why.empty())
        return reportWriteFailure("vorrel-render", outPath, why);

    Tape tape;
    if (tapePath && !loadTapeOrReport("vorrel-render", tapePath, tape)) return 2;
    useDummyDriversWithoutDisplay();
    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openToolScreen("vorrel-render", "Vorrel render");
    if (!screen) return platform::kNoDisplayExit;
    std::unique_ptr<Level> level = loadLevelOrReport(levelPath, screen, &sounds);
    if (!level) {
        SDL_Quit();
        return kLoadFailureExit;
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
    std::string why;
    const bool ok = writePng(screen, outPath, &why);
    level.reset();
    SDL_Quit();
    return ok ? 0 : reportWriteFailure("vorrel-render", outPath, why);
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
