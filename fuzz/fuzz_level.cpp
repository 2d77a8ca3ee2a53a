// A level file with its tileset description and item records: the input is
// the level text, a "--8<--" line, and the tileset description the level may
// name as "tiles.txt". A load error is a normal outcome; a level that loads
// is then played for a few passes of the frame loop with changing keys.
// Every level text also goes through the writer and back: the same level.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "audio/SoundBank.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "level/LoadError.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/View.h"

namespace {

SDL_Surface* screen = nullptr;
SoundBank* sounds = nullptr;

// Held keys and frame times of the passes played after a successful load.
const int kPassKeys[][3] = {
    {SDLK_RIGHT, 0, 0}, {SDLK_x, SDLK_RIGHT, 0}, {SDLK_z, 0, 0}, {SDLK_LEFT, 0, 0}, {SDLK_UP, 0, 0},
    {SDLK_DOWN, 0, 0},  {SDLK_x, SDLK_LEFT, 0},  {SDLK_SPACE, 0, 0}, {0, 0, 0},       {SDLK_RIGHT, SDLK_UP, 0},
};
const uint32_t kPassTimes[] = {20, 1, 400, 37, 20, 250, 3, 20, 120, 60};

void play(Level& level, bool selectMode, unsigned variant) {
    platform::VirtualInput input(1000);
    int page = 0, chosen = -1;
    const int available = static_cast<int>(variant % 23);
    for (unsigned pass = 0; pass < 24; ++pass) {
        const unsigned k = (pass + variant) % 10;
        input.keyboard.releaseAll();
        for (int sym : kPassKeys[k])
            if (sym) input.keyboard.press(sym);
        PlayOutcome outcome;
        if (checkPlayEnd(level, input.keyboard.state, outcome)) break;
        if (selectMode && checkSelectionInput(level, input.keyboard.state, page, &chosen, available, outcome)) break;
        input.clock.advance(kPassTimes[k]);
        uint32_t dt = kPassTimes[k];
        if (level.backdrop) SDL_BlitSurface(level.backdrop, nullptr, screen, nullptr);
        level.player->update(dt);
        if (selectMode) drawSelectionOverlay(level, available, page);
        for (Item* item : level.items) {
            item->update(dt, pass > 20);
            item->draw(level.scale);
        }
        level.player->draw(screen, 1);
        drawCells(level, 0);
        drawHud(level);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    screen = fuzzsupport::openScreen();
    fuzzsupport::enterDataFolder({"gfx/tileset.png", "gfx/player.png", "gfx/maski.png", "gfx/bg_cave.png",
                                  "gfx/fontti.png", "gfx/staticalapalkki.png", "gfx/arrow_left.png",
                                  "gfx/arrow_right.png", "gfx/cave.txt"});
    sounds = new SoundBank;  // no data file: every effect index is out of range
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts = fuzzsupport::split(data, size, 2);
    const std::string& levelText = parts[0];
    const std::string& tilesText = parts[1];
    const LevelText parsed = parseLevelText(levelText);
    const std::string written = writeLevelText(parsed);
    if (parseLevelText(written) != parsed || writeLevelText(parseLevelText(written)) != written) std::abort();
    // The four lines that name files.
    for (const std::string& path : {fuzzsupport::lineOf(levelText, 0), fuzzsupport::lineOf(levelText, 1),
                                    fuzzsupport::lineOf(tilesText, 0), fuzzsupport::lineOf(tilesText, 2)})
        if (!fuzzsupport::safePath(path)) return 0;
    fuzzsupport::writeFile("level.lev", levelText);
    fuzzsupport::writeFile("tiles.txt", tilesText);
    try {
        Level level("level.lev", screen, sounds, 1, false);
        play(level, size % 3 == 0, static_cast<unsigned>(size));
    } catch (const LoadError&) {
        // A refused file is what the loader is for.
    }
    return 0;
}
