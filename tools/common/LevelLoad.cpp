// The tools' one way to load the level they were given.
#include "common/LevelLoad.h"

#include "level/Level.h"

std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds, bool startMusic) {
    try {
        return std::make_unique<Level>(path, screen, sounds, 1, startMusic);
    } catch (const LoadError& error) {
        reportLoadError(error);
        return nullptr;
    }
}
