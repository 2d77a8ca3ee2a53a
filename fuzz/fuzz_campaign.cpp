// The campaign's number files: "level/main/absolute.max" (the last level)
// and "level/main/progress.wp" (the highest level reached). The input is the
// first file, a "--8<--" line and the second. The numbers are read as the
// level selection reads them and then drive the real selection map (loaded
// once): doors, page turns and the overlay with its level numbers, and the
// progress written back and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "audio/SoundBank.h"
#include "entities/Player.h"
#include "frontend/Frontend.h"
#include "level/Level.h"
#include "play/PlayLoop.h"
#include "play/View.h"

namespace {

SDL_Surface* screen = nullptr;
Level* map = nullptr;

struct Visit {
    int column, row, key;
};
// Every door, the first and last columns with the page keys, one wall.
const Visit kVisits[] = {
    {4, 2, SDLK_SPACE}, {7, 2, SDLK_RETURN}, {10, 2, SDLK_SPACE}, {13, 2, SDLK_SPACE}, {16, 2, SDLK_SPACE},
    {19, 2, SDLK_RIGHT}, {19, 2, SDLK_RIGHT}, {4, 7, SDLK_SPACE}, {7, 7, SDLK_SPACE}, {10, 7, SDLK_SPACE},
    {13, 7, SDLK_SPACE}, {16, 7, SDLK_RETURN}, {1, 2, SDLK_SPACE}, {0, 2, SDLK_LEFT}, {0, 7, SDLK_LEFT},
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    screen = fuzzsupport::openScreen();
    // The progress writer reports a file it cannot write on standard output.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    fuzzsupport::enterDataFolder({"level/main/select.lev", "gfx/forest.txt", "gfx/bg_forest.png",
                                  "gfx/tileset.png", "gfx/player.png", "gfx/maski.png", "gfx/fontti.png",
                                  "gfx/staticalapalkki.png", "gfx/arrow_left.png", "gfx/arrow_right.png"});
    map = new Level(kSelectionMapPath, screen, nullptr, 1, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = fuzzsupport::split(data, size, 2);
    fuzzsupport::writeFile(kLastLevelPath, parts[0]);
    fuzzsupport::writeFile(kProgressPath, parts[1]);

    lastLevel = 0;
    const int available = readProgress();
    readLastLevel();
    const std::string last = levelPath(lastLevel);
    if (last.compare(0, 16, "level/main/level") != 0) std::abort();

    uint8_t keys[SDLK_LAST] = {};
    int page = 0;
    for (const Visit& visit : kVisits) {
        map->pageShift = 0;
        map->player->setPosition(32.0 * visit.column, 32.0 * visit.row);
        keys[visit.key] = 1;
        int chosen = -1;
        PlayOutcome outcome = Quit;
        checkSelectionInput(*map, keys, page, &chosen, available, outcome);
        keys[visit.key] = 0;
        drawSelectionOverlay(*map, available, page);
        if (chosen >= 0) {
            // What the level run would store when it got as far as the last level.
            const int reached = chosen > lastLevel ? chosen : lastLevel;
            if (reached > readProgress()) {
                if (!writeProgress(reached)) std::abort();
                if (readProgress() != reached) std::abort();
            }
        }
    }
    return 0;
}
