// Searches a level for a winning play with the game's own rules and writes
// it as a tape, or reports that there is none (or that a limit came first).
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/Solver.h"
#include "common/Tape.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/FileRead.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "vorrel-solve: %s\n", message);
    std::fprintf(stderr,
                 "usage: vorrel-solve [--max-seconds S] [--max-states N] [--max-memory MB] [--shortest] [--after TAPE] "
                 "LEVEL OUT.tape\n");
    return 2;
}

bool parsePositive(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return *text && !*end && value > 0 && value <= 1e9;
}

// Written beside its final place and renamed over it.
bool writeAtomically(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    if (std::fclose(file) != 0 || !written || !flushed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    SolveLimits limits;
    const char* after = nullptr;
    const char* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--shortest")) {
            limits.shortest = true;
        } else if (!std::strcmp(arg, "--after")) {
            if (i + 1 >= argc) return usage("--after needs a tape");
            after = argv[++i];
        } else if (!std::strcmp(arg, "--max-seconds") || !std::strcmp(arg, "--max-states") ||
                   !std::strcmp(arg, "--max-memory")) {
            if (i + 1 >= argc) return usage((std::string(arg) + " needs a value").c_str());
            const char* text = argv[++i];
            const bool states = !std::strcmp(arg, "--max-states");
            double value;
            if (!parsePositive(text, value) || (states && value != std::floor(value)))
                return usage((std::string("bad ") + arg + " value '" + text + "'").c_str());
            if (states)
                limits.maxStates = static_cast<uint64_t>(value);
            else if (!std::strcmp(arg, "--max-memory"))
                limits.maxMemory = value;
            else
                limits.maxSeconds = value;
        } else if (arg[0] == '-' && arg[1] == '-') {
            return usage((std::string("unknown option ") + arg).c_str());
        } else {
            if (positionals == 2) return usage("too many arguments");
            positional[positionals++] = arg;
        }
    }
    if (positionals != 2) return usage("LEVEL and OUT.tape are needed");
    Tape before;
    if (after && !loadTapeOrReport("vorrel-solve", after, before)) return 2;

    // The search shows nothing and plays no sound.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_Surface* screen = openGameScreen("Vorrel solve");
    Level* level = nullptr;
    try {
        level = new Level(positional[0], screen, nullptr, 1, false);
    } catch (const LoadError& error) {
        int status = reportLoadError(error);
        SDL_Quit();
        return status;
    }

    if (after) {
        // The search starts where the tape leaves the play, which must still
        // be going.
        PlayOutcome outcome = Quit;
        if (const uint64_t pass = playTapeHeadless(*level, before, outcome)) {
            std::fprintf(stderr, "vorrel-solve: %s ends the play (%s) at pass %llu: nothing is left to search\n", after,
                         outcomeName(outcome), static_cast<unsigned long long>(pass));
            delete level;
            SDL_Quit();
            return 2;
        }
    }
    Solver solver(*level, limits);
    const bool progress = isatty(2);
    auto lastReport = std::chrono::steady_clock::now();
    while (solver.step(2000) == SolveStatus::Running) {
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
        tape.level = positional[0];
        delete level;
        level = new Level(positional[0], screen, nullptr, 1, false);
        const ReplayResult replayed = replayTape(*level, tape, ReplayOptions{});
        if (replayed.outcome != Completed) {
            std::fprintf(stderr, "vorrel-solve: the solution did not replay to Completed (%s)\n",
                         outcomeName(replayed.outcome));
            status = 4;
        } else if (!writeAtomically(positional[1], formatTape(tape))) {
            std::fprintf(stderr, "vorrel-solve: cannot write %s\n", positional[1]);
            status = 4;
        }
    }
    std::string report = formatSolveReport(solver);
    if (status == 4 && solver.status() == SolveStatus::Solved) report = "result unknown\n" + report.substr(report.find("states"));
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    delete level;
    SDL_Quit();
    return status;
}
