// One level file played on its own, outside the campaign (no map, no progress).
#include "frontend/Frontend.h"

#include <memory>

#include "level/Level.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"

namespace {

// Plays levels made by make (true: start the music) until one is won or left.
template <typename Make>
bool playUntilWonOrLeft(Make make) {
    bool startMusic = true;
    // Survives the retries and deaths, as in a campaign run.
    UndoHistory history;
    for (;;) {
        std::unique_ptr<Level> level(make(startMusic));
        // The music goes on through restarts, as in a campaign run.
        startMusic = false;
        int page = 0;
        switch (runPlayLoop(*level, page, false, nullptr, 4, nullptr, &history)) {
        case Completed:
            return true;
        case Quit:
            return false;
        case Died:
        case Restart:
            break;
        }
    }
}

} // namespace

bool playLevelFile(const std::string& path, SDL_Surface* screen, SoundBank& sounds) {
    return playUntilWonOrLeft([&](bool music) { return new Level(path, screen, &sounds, 1, music); });
}

bool playLevelText(const LevelText& text, SDL_Surface* screen, SoundBank& sounds) {
    return playUntilWonOrLeft([&](bool music) { return new Level(text, screen, &sounds, 1, music); });
}
