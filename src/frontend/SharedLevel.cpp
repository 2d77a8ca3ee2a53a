// A level from a level code, played on its own: no map, no progress.
#include "frontend/Frontend.h"

#include <cstdio>
#include <memory>

#include "level/Level.h"
#include "level/LevelCode.h"
#include "level/LevelText.h"
#include "platform/SharedPlay.h"

bool playSharedLevel(const levelcode::Contents& contents, SDL_Surface* screen, SoundBank& sounds, bool& won) {
    const LevelText text = parseLevelText(contents.level);
    platform::SharedChoice choice = platform::SharedChoice::Again;
    won = false;
    for (;;) {
        if (choice == platform::SharedChoice::Again) {
            won = playLevelText(text, screen, sounds);
            // The page and its test learn the outcome from this line.
            std::printf(won ? "Shared level won.\n" : "Shared level left.\n");
            std::fflush(stdout);
        } else if (choice == platform::SharedChoice::Watch) {
            std::unique_ptr<Level> level(new Level(text, screen, &sounds, 1, false));
            platform::watchSolution(*level, contents.tape);
        }
        choice = platform::afterSharedPlay(won, !contents.tape.empty());
        if (choice == platform::SharedChoice::Campaign) return true;
        if (choice == platform::SharedChoice::Quit) return false;
    }
}
