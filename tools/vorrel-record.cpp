// Records a play of one level in a real window: the measured frame time and
// the held keys of every pass, as a tape that vorrel-replay plays back.
#include <cstdio>
#include <string>

#include "audio/SoundBank.h"
#include "common/DataFolder.h"
#include "common/GameScreen.h"
#include "platform/VideoDriver.h"
#include "common/LevelLoad.h"
#include "common/MapOptions.h"
#include "common/Output.h"
#include "common/Tape.h"
#include "common/ToolMain.h"
#include "level/Level.h"
#include "common/CommandLine.h"
#include "platform/FileWrite.h"
#include "play/PlayLoop.h"

namespace {

const cmdline::Program kProgram{"vorrel-record",
                                "vorrel-record [--select AVAILABLE] [--page P] LEVEL OUT.tape",
                                "Plays LEVEL in a window and writes the play, when it ends, as a tape to OUT.tape.",
                                {kSelectOption, kPageOption},
                                2,
                                2,
                                "LEVEL and OUT.tape are needed"};

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    ReplayOptions map;
    if (!readMapOptions(line, map)) return line.status();
    std::string levelArg = line.positionals()[0], tapeArg = line.positionals()[1];
    enterDataFolder({&levelArg, &tapeArg});
    const char* levelPath = levelArg.c_str();
    const char* tapePath = tapeArg.c_str();
    // Before the play, so a tape that could not be kept is not played for nothing.
    if (const std::string why = outputRefusal(tapePath, {levelPath}); !why.empty())
        return reportWriteFailure("vorrel-record", tapePath, why);

    SoundBank sounds;
    sounds.load("./zik/data.txt");
    SDL_Surface* screen = openToolScreen("vorrel-record", "Vorrel - recording");
    if (!screen) return platform::kNoDisplayExit;
    std::unique_ptr<Level> level = loadLevelOrReport(levelPath, screen, &sounds, true);
    if (!level) {
        SDL_Quit();
        return kLoadFailureExit;
    }
    TapeRecorder recorder;
    platform::setKeyboard(&recorder);
    int chosen = -1;
    const int startPage = map.page;
    PlayOutcome outcome =
        runPlayLoop(*level, map.page, map.selectMode, map.selectMode ? &chosen : nullptr, map.available, &recorder);
    recorder.finish();
    platform::setKeyboard(nullptr);
    recorder.tape.level = levelPath;
    recorder.tape.expect = outcomeName(outcome);
    if (map.selectMode) {
        recorder.tape.select = map.available;
        recorder.tape.page = startPage;
    }
    // Written only now, whole: until the play ends the old tape stays as it was.
    std::string error;
    const bool written = filewrite::writeFile(tapePath, "# recorded with vorrel-record\n" + formatTape(recorder.tape),
                                              &error);
    ReplayResult result = summarizePlay(*level, outcome, recorder.tape.frameCount());
    result.selectMode = map.selectMode;
    result.chosen = chosen;
    result.page = map.page;
    std::fputs(formatReport(result).c_str(), stdout);
    std::fflush(stdout);
    level.reset();
    SDL_Quit();
    return written ? 0 : reportWriteFailure("vorrel-record", tapePath, error);
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
