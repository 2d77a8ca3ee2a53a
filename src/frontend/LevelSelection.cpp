#include "frontend/Frontend.h"

#include <SDL/SDL_mixer.h>

#include <memory>

#include "audio/SoundBank.h"
#include "gfx/Surface.h"
#include "level/Level.h"
#include "play/PlayLoop.h"
#include "play/UndoHistory.h"

int selectionPage = 0;
int lastLevel = 0;

namespace {

// Campaign mode does not look at the available levels; any value will do.
const int kCampaignAvailable = 4;

void fadeToMask(SDL_Surface* screen, uint32_t duration) {
    SurfaceHolder mask(loadImage("./gfx/maski_b.png"));
    if (mask) fadeTo(screen, mask.get(), duration);
}

void fadeToBlack(SDL_Surface* screen) {
    SurfaceHolder black(makeBlackSurface(screen->w, screen->h));
    if (!black) return;
    SurfaceHolder converted(SDL_ConvertSurface(black.get(), screen->format, SDL_HWSURFACE | SDL_SRCALPHA));
    if (converted) fadeTo(screen, converted.get(), 5000);
}

} // namespace

int playLevelRun(int first, int last, SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic) {
    // The steps of the level being played: they outlive a retry and a death
    // (each plays a fresh copy of the level), and go with the next level.
    UndoHistory history;
    for (;;) {
        if (first > last) return last;
        // Reaching a level is progress at once, so a run that is killed or
        // stopped keeps it: the larger of the stored number and this level.
        if (first > readProgress()) writeProgress(first);
        std::unique_ptr<Level> level(new Level(levelPath(first), screen, &sounds, scale, startMusic));
        // The first level shows where the undo key is, after the first step.
        history.teach = first == 1;
        const PlayOutcome outcome = runPlayLoop(*level, selectionPage, false, nullptr, kCampaignAvailable, nullptr,
                                                &history);
        switch (outcome) {
        case Completed:
            fadeToBlack(screen);
            level.reset();
            ++first;
            break;
        case Died:
        case Restart:
            break;
        case Quit:
            return first;
        }
    }
}

void runLevelSelection(SDL_Surface* screen, SoundBank& sounds, int scale, bool startMusic) {
    for (;;) {
        std::unique_ptr<Level> map(new Level(kSelectionMapPath, screen, &sounds, scale, startMusic));
        int chosen = -1;
        const int available = readProgress();
        readLastLevel();
        const PlayOutcome outcome = runPlayLoop(*map, selectionPage, true, &chosen, available);

        if (outcome == Quit) {
            SurfaceHolder mask(loadImage("./gfx/maski_b.png"));
            Mix_FadeOutMusic(2000);
            if (mask) fadeTo(screen, mask.get(), 2000);
            return;
        }
        if (outcome == Completed && chosen >= 0) {
            fadeToMask(screen, 3000);
            const int reached = playLevelRun(chosen, lastLevel, screen, sounds, scale, false);
            if (reached > readProgress()) writeProgress(reached);
        } else if (outcome != Restart) {
            // A page turn or a death on the map.
            fadeToMask(screen, 3000);
        }
        // The music goes on: only the first map of a visit from the title starts it.
        startMusic = false;
    }
}
