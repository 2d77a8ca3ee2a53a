// One level file played on its own, outside the campaign (no map, no progress).
#include "frontend/Frontend.h"

#include <memory>

#include "level/Level.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"

bool playLevelFile(const std::string& path, SDL_Surface* screen, SoundBank& sounds) {
    bool startMusic = true;
    // Survives the retries and deaths, as in a campaign run.
    UndoHistory history;
    for (;;) {
        std::unique_ptr<Level> level(new Level(path, screen, &sounds, 1, startMusic));
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
