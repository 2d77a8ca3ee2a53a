// The dearest level file the size caps let through, made at run time: the
// most cells, the most items (door pictures are the largest), and the most
// records, their words filling the rest of the text cap. Measures its load, its lint and the
// parse plus write of its text, with the process's peak memory.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchStart.h"
#include "audio/SoundBank.h"
#include "common/Lint.h"
#include "common/GameScreen.h"
#include "common/Tape.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "level/Vocabulary.h"
#include "platform/FileRead.h"

namespace {

SDL_Surface* screen = nullptr;
SoundBank* sounds = nullptr;
// Outside the data folder, so that a run cut short leaves nothing there.
const std::string kPath = (std::filesystem::temp_directory_path() / "vorrel-worst-case.lev").string();

std::string worstLevel() {
    const size_t width = kMaxCells / 13;
    std::string text = "gfx/forest.txt\ngfx/bg_forest.png\n13\n";
    for (int row = 0; row < 13; ++row) text += std::string(width, row == 12 ? '#' : '.') + "\n";
    text += "plr 1 1\ntreasure 2 11\n";
    for (size_t i = 1; i < kMaxItems; ++i) text += "goal 1 11\n";
    // The records left, with words long enough to fill the text cap.
    const size_t records = kMaxRecordLines - kMaxItems - 1;
    const size_t each = (fileread::kTextCap - text.size()) / records;
    const std::string filler = "water " + std::string(each - 9, 'w') + " 1\n";
    for (size_t i = 0; i < records; ++i) text += filler;
    return text;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void loadWorst(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<Level> level(new Level(kPath, screen, sounds, 1, false));
        benchmark::DoNotOptimize(level->items.data());
    }
    state.counters["peak_MB"] = peakMegabytes();
}

void lintWorst(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(lintLevel(kPath, screen, sounds).size());
    state.counters["peak_MB"] = peakMegabytes();
}

void textWorst(benchmark::State& state) {
    std::string bytes;
    fileread::readFile(kPath, fileread::kTextCap, bytes);
    for (auto _ : state) benchmark::DoNotOptimize(writeLevelText(parseLevelText(bytes)).size());
    state.counters["peak_MB"] = peakMegabytes();
}

} // namespace

int main(int argc, char** argv) {
    if (!startBench(argc, argv, "vorrel_worst_bench")) return 2;
    sounds = new SoundBank;
    screen = openGameScreen("Vorrel worst case");
    if (!screen) return 4;
    std::ofstream(kPath, std::ios::binary) << worstLevel();

    benchmark::RegisterBenchmark("worst_level/load", loadWorst)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("worst_level/lint", lintWorst)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("worst_level/parse_write", textWorst)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    std::remove(kPath.c_str());
    SDL_Quit();
    return 0;
}
