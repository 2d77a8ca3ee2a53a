// Frame cost of the play loop against the floor (one full-screen blit of a
// display-format surface plus the flip), level load times and allocations
// per frame, for the selection map and every campaign level. Runs in a data
// folder (the first argument that is not a benchmark option, else the
// repository's data folder) and ends with one table of the results.
#include <benchmark/benchmark.h>

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchStart.h"
#include "audio/SoundBank.h"
#include "frontend/Frontend.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "platform/Display.h"
#include "platform/Platform.h"
#include "play/Headless.h"
#include "play/PlayLoop.h"
#include "play/Snapshot.h"
#include "play/UndoHistory.h"
#include "solve/HintPlay.h"
#include "solve/Solver.h"
#include "common/GameScreen.h"
#include "common/SolveVerdict.h"
#include "common/Tape.h"

// ---------------------------------------------------------------------------
// Allocation counting: malloc, calloc, realloc and operator new of the main
// thread (SDL's audio thread mixes on its own and is not the game's frame).

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<unsigned long long> allocations{0};
pthread_t mainThread;
bool counting = false;

inline void noteAllocation() {
    if (counting && pthread_equal(pthread_self(), mainThread)) allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" void* malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}

// operator new of the C++ library allocates through malloc, so it is counted too.

// ---------------------------------------------------------------------------

namespace {

SDL_Surface* screen = nullptr;
SoundBank* sounds = nullptr;
const int kAvailable = 12;  // the map shows open doors with numbers and both arrows

struct LevelEntry {
    std::string name;  // "select" or "level7"
    std::string path;
    bool selectMode;
};

std::vector<LevelEntry> findLevels() {
    std::vector<LevelEntry> levels;
    levels.push_back({"select", kSelectionMapPath, true});
    std::map<int, std::string> numbered;
    if (DIR* dir = opendir("level/main")) {
        while (dirent* entry = readdir(dir)) {
            int number = 0;
            char tail[8] = {};
            if (std::sscanf(entry->d_name, "level%d.%4s", &number, tail) == 2 && !std::strcmp(tail, "lev") &&
                std::string(entry->d_name) == "level" + std::to_string(number) + ".lev")
                numbered[number] = entry->d_name;
        }
        closedir(dir);
    }
    for (const auto& [number, file] : numbered) levels.push_back({"level" + std::to_string(number), "level/main/" + file, false});
    return levels;
}

// One iteration of the benchmark is one pass of the real play loop, with no
// key held and a 20 ms frame; the allocations between the starts of two
// passes are counted.
class FramePasses : public PlayHooks {
public:
    explicit FramePasses(benchmark::State& state) : state(state) {}
    bool passStart(unsigned pass) override {
        counting = false;
        if (pass > 0) total += allocations.load() - mark;
        const bool more = state.KeepRunning();
        if (more) ++frames;
        mark = allocations.load();
        counting = more;
        return more;
    }
    benchmark::State& state;
    unsigned long long mark = 0;
    unsigned long long total = 0;
    unsigned long long frames = 0;
};

void frameBench(benchmark::State& state, const LevelEntry* entry) {
    platform::VirtualInput input(1000);
    Level level(entry->path, screen, sounds, 1, false);
    int page = 0, chosen = -1;
    FramePasses passes(state);
    runPlayLoop(level, page, entry->selectMode, &chosen, kAvailable, &passes);
    counting = false;
    // Every pass but the last one counted (which ends the play at its start).
    const unsigned long long counted = passes.frames > 1 ? passes.frames - 1 : 1;
    state.counters["allocs_per_frame"] = static_cast<double>(passes.total) / static_cast<double>(counted);
}

// One pass advanced without drawing, no key held, 20 ms; allocations
// counted after the first.
void passBench(benchmark::State& state, const LevelEntry* entry) {
    Level level(entry->path, screen, sounds, 1, false);
    HeadlessPlay play(level);
    PlayOutcome outcome;
    play.pass(20, outcome);
    const unsigned long long mark = allocations.load();
    counting = true;
    for (auto _ : state) play.pass(20, outcome);
    counting = false;
    state.counters["allocs"] = static_cast<double>(allocations.load() - mark);
}

// One snapshot taken and put back; the first capture sizes the snapshot.
void snapshotBench(benchmark::State& state, const LevelEntry* entry) {
    Level level(entry->path, screen, sounds, 1, false);
    Rewinder rewinder(level);
    Snapshot snapshot;
    rewinder.capture(snapshot);
    const unsigned long long mark = allocations.load();
    counting = true;
    for (auto _ : state) {
        rewinder.capture(snapshot);
        rewinder.restore(snapshot);
    }
    counting = false;
    state.counters["allocs"] = static_cast<double>(allocations.load() - mark);
}

// The undo key on the busiest level (the largest snapshot): its campaign
// tape played headless with a history, then one step back at a time; the
// bytes the history holds per step, and the allocations of the steps back.
struct UndoFigures {
    std::string level;
    double steps = 0, bytesPerStep = 0, allocs = 0;
} undoFigures;

std::string busiestLevel(const std::vector<LevelEntry>& levels) {
    std::string best;
    size_t most = 0;
    for (const LevelEntry& entry : levels) {
        if (entry.selectMode) continue;
        Level level(entry.path, screen, nullptr, 1, false);
        Snapshot first;
        Rewinder(level).capture(first);
        if (first.rules.size() + first.looks.size() > most) {
            most = first.rules.size() + first.looks.size();
            best = entry.name;
        }
    }
    return best;
}

void playWithHistory(Level& level, UndoHistory& history, const Tape& tape) {
    history.attach(level);
    HeadlessPlay play(level);
    PlayOutcome outcome;
    for (const TapeRun& run : tape.runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            applyKeyMask(run.keys, play.keyboard.state);
            if (play.pass(run.dt, outcome, &history)) return;
        }
}

void undoBench(benchmark::State& state, const std::string* name) {
    const std::string path = "level/main/" + *name + ".lev";
    const Tape tape = loadTape("level/main/tapes/" + *name + ".tape");
    std::unique_ptr<Level> level;
    UndoHistory history;
    auto replay = [&]() {
        history.detach();
        level.reset();
        level.reset(new Level(path, screen, nullptr, 1, false));
        playWithHistory(*level, history, tape);
    };
    replay();
    undoFigures.level = *name;
    undoFigures.steps = static_cast<double>(history.steps());
    undoFigures.bytesPerStep = static_cast<double>(history.bytes()) / static_cast<double>(history.steps() + 1);
    unsigned long long counted = 0;
    for (auto _ : state) {
        if (history.steps() == 0) {
            state.PauseTiming();
            replay();
            state.ResumeTiming();
        }
        const unsigned long long mark = allocations.load();
        counting = true;
        history.stepBack();
        counting = false;
        counted += allocations.load() - mark;
    }
    undoFigures.allocs = static_cast<double>(counted);
    history.detach();
}

// The frames of the hint while it holds the world: the held picture, the
// panel (the bar while it thinks; the answer and the next action's marker
// once it is known) and the present. One iteration is one frame, from one
// pump to the next; the first `settle` frames are not counted, then
// Escape puts the hint away.
struct HintFrames {
    static void pump(void* context) {
        auto* self = static_cast<HintFrames*>(context);
        counting = false;
        platform::ScriptedKeyboard& keys = self->input.keyboard;
        if (self->done) {
            keys.releaseAll();
            return;
        }
        if (++self->pumps <= self->settle) return;
        if (self->timing) self->total += allocations.load() - self->mark;
        self->timing = self->state.KeepRunning();
        if (!self->timing) {
            self->done = true;
            keys.press(SDLK_ESCAPE);
            return;
        }
        ++self->frames;
        self->mark = allocations.load();
        counting = true;
    }
    HintFrames(benchmark::State& state, unsigned settle) : state(state), settle(settle) {
        input.keyboard.onPump = pump;
        input.keyboard.context = this;
    }
    benchmark::State& state;
    unsigned settle;
    platform::VirtualInput input{1000};
    unsigned pumps = 0;
    unsigned long long frames = 0, total = 0, mark = 0;
    bool timing = false, done = false;
};

// settle 3: level 1 is answered in the first frame's slice, so these are the
// frames of the answer over the level. settle 0 on the campaign's hardest
// start: the frames of the thinking, each a slice of the search.
void hintBench(benchmark::State& state, const char* path, unsigned settle) {
    Level level(path, screen, sounds, 1, false);
    HintFrames frames(state, settle);
    runHint(level, nullptr, nullptr);
    counting = false;
    state.counters["allocs_per_frame"] = static_cast<double>(frames.total) /
                                         static_cast<double>(frames.frames > 0 ? frames.frames : 1);
}

// The solver's speed: settled states examined per second of a breadth-first
// search (which examines the most states), at most 2000 states a run, on one
// thread or two. Only the search is timed: the solver and the second
// thread's copy of the level are made outside the timing. A search that
// wins (level 12 in 52 states, level 2 in 292) includes the headless replay
// that verifies its tape, a few hundred passes.
void solveBench(benchmark::State& state, const char* path) {
    Level level(path, screen, nullptr, 1, false);
    uint64_t states = 0;
    double bytesPerState = 0;  // the search's tables at their largest
    for (auto _ : state) {
        state.PauseTiming();
        SolveLimits limits;
        limits.shortest = true;
        limits.bound = false;
        Solver solver(level, limits);
        if (state.range(0) > 1) addSolveThreads(solver, path, screen, static_cast<unsigned>(state.range(0)));
        state.ResumeTiming();
        solver.step(2000);
        states += solver.states();
        bytesPerState = static_cast<double>(solver.peakMemory()) / static_cast<double>(solver.states());
    }
    state.counters["states"] = benchmark::Counter(static_cast<double>(states), benchmark::Counter::kIsRate);
    state.counters["bytes"] = bytesPerState;
}

// A display-format picture the size of the screen, for the floors.
SDL_Surface* floorPicture() {
    SDL_Surface* plain = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 32, 0x00FF0000, 0x0000FF00,
                                              0x000000FF, 0);
    SDL_FillRect(plain, nullptr, SDL_MapRGB(plain->format, 40, 80, 120));
    SDL_Surface* shown = SDL_DisplayFormat(plain);
    SDL_FreeSurface(plain);
    return shown;
}

void floorBench(benchmark::State& state) {
    SDL_Surface* shown = floorPicture();
    for (auto _ : state) {
        blitRect(shown, screen, 0, 0, screen->w, screen->h, 0, 0);
        platform::present(screen);
    }
    SDL_FreeSurface(shown);
}

// The same full-screen copy as the floor with the C library's row copy, as
// the play loop puts its kept picture on the screen: SDL's own copy is
// several times slower, so this is the floor of the way the game draws.
void rowCopyFloorBench(benchmark::State& state) {
    SDL_Surface* shown = floorPicture();
    for (auto _ : state) {
        copyRows(shown, 0, screen, 0, screen->h);
        platform::present(screen);
    }
    SDL_FreeSurface(shown);
}

// The present step at a whole factor: the picture scaled into the window and
// flipped, against a plain copy of as many bytes as the window holds.
void presentBench(benchmark::State& state) {
    platform::DisplayOptions options;
    options.scale = static_cast<int>(state.range(0));
    SDL_Surface* picture = platform::openDisplay(640, 480, options);
    if (!picture) {
        state.SkipWithError("no display at this factor");
        return;
    }
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 40, 80, 120));
    allocations = 0;
    counting = true;
    for (auto _ : state) platform::present(picture);
    counting = false;
    state.counters["allocs_per_frame"] = benchmark::Counter(static_cast<double>(allocations) /
                                                            static_cast<double>(state.iterations()));
    platform::closeDisplay();
    screen = openGameScreen("Vorrel benchmarks");
}

void outputCopyBench(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(640 * 480 * 4) * state.range(0) * state.range(0);
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void loadBench(benchmark::State& state, const LevelEntry* entry) {
    for (auto _ : state) {
        std::unique_ptr<Level> level(new Level(entry->path, screen, sounds, 1, false));
        benchmark::DoNotOptimize(level->items.data());
        state.PauseTiming();
        level.reset();
        state.ResumeTiming();
    }
}

struct Row {
    double frame = 0, floor = 0, load = 0, allocs = -1, pass = 0, snapshot = 0, headlessAllocs = 0;
};

// Keeps every run for the table and prints the usual console lines.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            const size_t slash = name.find('/');
            if (slash == std::string::npos || run.run_type != Run::RT_Iteration) continue;
            // "frame/level7/real_time": the middle part names the level.
            const size_t end = name.find('/', slash + 1);
            Row& row = rows[name.substr(slash + 1, end == std::string::npos ? std::string::npos : end - slash - 1)];
            const double ms = run.GetAdjustedRealTime();  // every benchmark reports milliseconds
            const std::string kind = name.substr(0, slash);
            if (kind == "frame") {
                row.frame = ms;
                auto it = run.counters.find("allocs_per_frame");
                if (it != run.counters.end()) row.allocs = it->second.value;
            } else if (kind == "floor") {
                row.floor = ms;
            } else if (kind == "load") {
                row.load = ms;
            } else if (kind == "pass" || kind == "snapshot") {
                // Processor time: microseconds of work that a busy machine's
                // waits would swamp.
                (kind == "pass" ? row.pass : row.snapshot) = run.GetAdjustedCPUTime();
                auto it = run.counters.find("allocs");
                if (it != run.counters.end()) row.headlessAllocs += it->second.value;
            } else if (kind == "solve") {
                // "solve/level12/2/real_time": the level, then the threads.
                const std::string level = name.substr(slash + 1, end - slash - 1);
                const int threads = std::atoi(name.c_str() + end + 1);
                auto it = run.counters.find("states");
                if (it != run.counters.end()) solveRates[level][threads] = it->second.value;
                it = run.counters.find("bytes");
                if (it != run.counters.end()) solveBytes[level] = it->second.value;
            } else if (kind == "floor_rows") {
                rowCopyFloor = ms;
            } else if (kind == "undo") {
                undoTime = run.GetAdjustedCPUTime();
            } else if (kind == "hint") {
                // "hint/answer/level1/real_time": what the frames show, and where.
                Hinted& h = hints[name.substr(slash + 1, name.rfind("/real_time") - slash - 1)];
                h.frame = ms;
                auto it = run.counters.find("allocs_per_frame");
                if (it != run.counters.end()) h.allocs = it->second.value;
            } else if (kind == "present" || kind == "output_copy") {
                const int factor = std::atoi(name.c_str() + slash + 1);
                Present& p = presents[factor];
                (kind == "present" ? p.present : p.copy) = ms;
                auto it = run.counters.find("allocs_per_frame");
                if (it != run.counters.end()) p.allocs = it->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Row> rows;
    std::map<std::string, std::map<int, double>> solveRates;
    std::map<std::string, double> solveBytes;
    double rowCopyFloor = 0;
    double undoTime = 0;
    struct Present {
        double present = 0, copy = 0, allocs = -1;
    };
    std::map<int, Present> presents;
    struct Hinted {
        double frame = 0, allocs = -1;
    };
    std::map<std::string, Hinted> hints;
};

} // namespace

int main(int argc, char** argv) {
    mainThread = pthread_self();
    if (!startBench(argc, argv, "vorrel_bench")) return 2;
    sounds = new SoundBank;
    sounds->load("./zik/data.txt");
    screen = openGameScreen("Vorrel benchmarks");
    if (!screen) return 4;

    const std::vector<LevelEntry> levels = findLevels();
    for (const LevelEntry& entry : levels) {
        // The floor right beside each level's frame, so that both see the same machine state.
        benchmark::RegisterBenchmark(("floor/" + entry.name).c_str(), floorBench)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("frame/" + entry.name).c_str(), frameBench, &entry)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("load/" + entry.name).c_str(), loadBench, &entry)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark(("pass/" + entry.name).c_str(), passBench, &entry)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("snapshot/" + entry.name).c_str(), snapshotBench, &entry)
            ->Unit(benchmark::kMillisecond);
    }
    static const std::string busiest = busiestLevel(levels);
    if (!busiest.empty())
        benchmark::RegisterBenchmark("undo/busiest", undoBench, &busiest)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("floor_rows/screen", rowCopyFloorBench)->Unit(benchmark::kMillisecond)->UseRealTime();
    // Each factor's present beside the copy it is held against.
    for (int factor = 1; factor <= 4; ++factor) {
        benchmark::RegisterBenchmark("output_copy", outputCopyBench)
            ->Arg(factor)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("present", presentBench)
            ->Arg(factor)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("hint/answer/level1", hintBench, "level/main/level1.lev", 3u)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("hint/thinking/level40", hintBench, "level/main/level40.lev", 0u)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // Three kinds of level for the solver: boxes, bombs, ladders.
    static const char* const solveLevels[][3] = {{"level12", "level/main/level12.lev", "boxes"},
                                                 {"level17", "level/main/level17.lev", "bombs"},
                                                 {"level2", "level/main/level2.lev", "ladders"}};
    for (const auto& s : solveLevels)
        benchmark::RegisterBenchmark((std::string("solve/") + s[0]).c_str(), solveBench, s[1])
            ->Arg(1)
            ->Arg(2)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n| level | frame (ms) | floor (ms) | ratio | load (ms) | allocations per frame "
                "| headless pass (us) | pass / frame | snapshot + restore (us) | headless allocations |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const LevelEntry& entry : levels) {
        auto it = reporter.rows.find(entry.name);
        if (it == reporter.rows.end()) continue;
        const Row& r = it->second;
        std::printf("| %s | %.3f | %.3f | %.2f | %.2f | %.0f | %.3f | %.4f | %.3f | %.0f |\n", entry.name.c_str(),
                    r.frame, r.floor, r.floor > 0 ? r.frame / r.floor : 0.0, r.load, r.allocs, r.pass * 1000,
                    r.frame > 0 ? r.pass / r.frame : 0.0, r.snapshot * 1000, r.headlessAllocs);
    }
    if (!reporter.solveRates.empty()) {
        std::printf("\n| level | kind | solver states per second, one thread | two threads | bytes per state |\n"
                    "|---|---|---:|---:|---:|\n");
        for (const auto& s : solveLevels) {
            auto it = reporter.solveRates.find(s[0]);
            if (it != reporter.solveRates.end())
                std::printf("| %s | %s | %.0f | %.0f | %.0f |\n", s[0], s[2], it->second[1], it->second[2],
                            reporter.solveBytes[s[0]]);
        }
    }
    if (reporter.undoTime > 0)
        std::printf(
            "\n| busiest level | steps of its tape | bytes per step | one step back (us) | allocations |\n"
            "|---|---:|---:|---:|---:|\n| %s | %.0f | %.0f | %.3f | %.0f |\n",
            undoFigures.level.c_str(), undoFigures.steps, undoFigures.bytesPerStep, reporter.undoTime * 1000,
            undoFigures.allocs);
    if (reporter.rowCopyFloor > 0)
        std::printf("\nThe floor's copy done with the C library's row copy, as the play loop copies: %.3f ms\n",
                    reporter.rowCopyFloor);
    if (!reporter.presents.empty()) {
        std::printf(
            "\n| present | window | present (ms) | copy of the window (ms) | ratio | allocations per frame |\n");
        std::printf("|---|---|---:|---:|---:|---:|\n");
        for (const auto& [factor, p] : reporter.presents)
            std::printf("| x%d | %d x %d | %.3f | %.3f | %.2f | %.0f |\n", factor, 640 * factor, 480 * factor,
                        p.present, p.copy, p.copy > 0 ? p.present / p.copy : 0.0, p.allocs);
    }
    if (!reporter.hints.empty()) {
        std::printf("\n| hint held | frame (ms) | allocations per frame |\n|---|---:|---:|\n");
        for (const auto& [what, h] : reporter.hints)
            std::printf("| %s | %.3f | %.0f |\n", what.c_str(), h.frame, h.allocs);
    }
    benchmark::Shutdown();
    delete sounds;
    SDL_Quit();
    return 0;
}
