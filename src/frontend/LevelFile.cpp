// One level file played on its own, outside the campaign (no map, no progress).
#include "frontend/Frontend.h"

#include <memory>

#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/FileRead.h"
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
        std::unique_ptr<Level> level;
        try {
            level.reset(make(startMusic));
        } catch (const LoadError& error) {
            // The campaign keeps a negative bomb count silent; one level played
            // on its own says why it stopped.
            if (error.silent) throw LoadError(error.what());
            throw;
        }
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
    // A file given by hand is named by what is wrong with it, not by what the
    // loader would go on to miss in the empty level it reads instead.
    const std::string why = fileread::textRefusal(path, fileread::kTextCap);
    if (!why.empty()) throw LoadError("The level file " + path + " " + why + ".");
    return playUntilWonOrLeft([&](bool music) { return new Level(path, screen, &sounds, 1, music); });
}

bool playLevelText(const LevelText& text, SDL_Surface* screen, SoundBank& sounds) {
    return playUntilWonOrLeft([&](bool music) { return new Level(text, screen, &sounds, 1, music); });
}
