// Searches a level for a winning play with the game's own rules and writes
// it as a tape, or reports that there is none (or that a limit came first).
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/DataFolder.h"
#include "common/SolveVerdict.h"
#include "common/GameScreen.h"
#include "platform/VideoDriver.h"
#include "common/LevelLoad.h"
#include "common/Output.h"
#include "solve/Solver.h"
#include "common/Tape.h"
#include "common/ToolMain.h"
#include "level/Level.h"
#include "common/CommandLine.h"
#include "platform/FileWrite.h"
#include "platform/Signals.h"

namespace {

const cmdline::Program kProgram{
    "vorrel-solve",
    "vorrel-solve [--max-seconds S] [--max-states N] [--max-memory MB] [--threads N] [--shortest] [--after TAPE] LEVEL "
    "OUT.tape",
    "Searches LEVEL for a winning play with the game's own rules and writes it to OUT.tape.",
    {{"--max-seconds", "S", "give up after S seconds of search"},
     {"--max-states", "N", "give up after N states"},
     {"--max-memory", "MB", "give up when the search holds MB megabytes"},
     {"--threads", "N", "search on N threads (1 or 2; 2 where the machine has two cores)"},
     {"--after", "TAPE", "search from where TAPE leaves the play; OUT.tape begins with TAPE"},
     {"--shortest", nullptr, "search for a play of the fewest moves"}},
    2,
    2,
    "LEVEL and OUT.tape are needed"};

bool parsePositive(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *text && !*end && value > 0 && value <= 1e9;
}

int run(int argc, char** argv) {
    cmdline::CommandLine line(kProgram, argc, argv);
    if (line.done()) return line.status();
    SolveLimits limits;
    limits.shortest = line.has("--shortest");
    for (const char* option : {"--max-seconds", "--max-states", "--max-memory"}) {
        const char* text = line.value(option);
        if (!text) continue;
        const bool states = std::string(option) == "--max-states";
        double value;
        if (!parsePositive(text, value) || (states && value != std::floor(value)))
            return line.usageError(std::string("bad ") + option + " value '" + text + "'");
        if (states)
            limits.maxStates = static_cast<uint64_t>(value);
        else if (std::string(option) == "--max-memory")
            limits.maxMemory = value;
        else
            limits.maxSeconds = value;
    }
    unsigned threads = defaultSolveThreads();
    if (const char* text = line.value("--threads")) {
        if (std::strcmp(text, "1") && std::strcmp(text, "2"))
            return line.usageError(std::string("bad --threads value '") + text + "' (1 or 2)");
        threads = static_cast<unsigned>(*text - '0');
    }
    std::string afterArg = line.value("--after") ? line.value("--after") : "";
    std::string levelArg = line.positionals()[0], outArg = line.positionals()[1];
    enterDataFolder({&levelArg, &outArg, &afterArg});
    const char* levelPath = levelArg.c_str();
    const char* outPath = outArg.c_str();
    // Before the search: an hour's work is not done for a tape that cannot be kept.
    if (const std::string why = outputRefusal(outPath, {levelPath}); !why.empty())
        return reportWriteFailure("vorrel-solve", outPath, why);
    const char* after = afterArg.empty() ? nullptr : afterArg.c_str();
    Tape before;
    if (after && !loadTapeOrReport("vorrel-solve", after, before)) return 2;
    useDummyDrivers();  // the search shows nothing and plays no sound
    SDL_Surface* screen = openToolScreen("vorrel-solve", "Vorrel solve");
    if (!screen) return platform::kNoDisplayExit;
    std::unique_ptr<Level> level = loadLevelOrReport(levelPath, screen, nullptr);
    if (!level) {
        SDL_Quit();
        return kLoadFailureExit;
    }

    if (after) {
        // The search starts where the tape leaves the play, which must still
        // be going.
        PlayOutcome outcome = Quit;
        if (const uint64_t pass = playTapeHeadless(*level, before, outcome)) {
            std::fprintf(stderr, "vorrel-solve: %s ends the play (%s) at pass %llu: nothing is left to search\n", after,
                         outcomeName(outcome), static_cast<unsigned long long>(pass));
            level.reset();
            SDL_Quit();
            return 2;
        }
    }
    Solver solver(*level, limits);
    addSolveThreads(solver, levelPath, screen, threads, after ? &before : nullptr);
    const bool progress = isatty(2);
    auto lastReport = std::chrono::steady_clock::now();
    while (solver.step(2000) == SolveStatus::Running) {
        platform::throwIfStopRequested();
        const auto now = std::chrono::steady_clock::now();
        if (progress && now - lastReport >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "\rvorrel-solve: %llu states, %.0f s, %.0f MB",
                         static_cast<unsigned long long>(solver.states()), solver.seconds(),
                         static_cast<double>(solver.memory()) / (1024 * 1024));
            lastReport = now;
        }
    }
    if (progress) std::fprintf(stderr, "\r\033[K");
    if (solver.status() == SolveStatus::Unknown && !std::strcmp(solver.limitReached(), "memory"))
        std::fprintf(stderr, "vorrel-solve: the search stopped at its memory limit of %g MB\n", limits.maxMemory);

    int status = solver.status() == SolveStatus::Solved ? 0 : solver.status() == SolveStatus::Unsolvable ? 1 : 4;
    if (status == 0) {
        // The tape once more through the real play loop, drawn, on a fresh load.
        Tape tape = after ? joinTapes(before, solver.tape()) : solver.tape();
        tape.level = levelPath;
        level.reset();
        level = std::make_unique<Level>(levelPath, screen, nullptr, 1, false);
        const ReplayResult replayed = replayTape(*level, tape, ReplayOptions{});
        if (replayed.outcome != Completed) {
            std::fprintf(stderr, "vorrel-solve: the solution did not replay to Completed (%s)\n",
                         outcomeName(replayed.outcome));
            status = 4;
        } else if (std::string why; !filewrite::writeFile(outPath, formatTape(tape), &why)) {
            status = reportWriteFailure("vorrel-solve", outPath, why);
        }
    }
    std::string report = formatSolveReport(solver);
    if (status == 4 && solver.status() == SolveStatus::Solved) report = "result unknown\n" + report.substr(report.find("states"));
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    level.reset();
    SDL_Quit();
    return status;
}

}  // namespace

int main(int argc, char** argv) { return runTool(run, argc, argv); }
