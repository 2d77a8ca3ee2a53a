// The tools' one way to load the level they were given.
#include "common/LevelLoad.h"

#include <cstdio>

#include "common/Lint.h"
#include "level/Level.h"

std::string loadFailureCause(const std::string& path, const LoadError& error, SDL_Surface* screen, SoundBank* sounds) {
    // The loader's line says what it met, not always why ("Player sprite
    // not found." for a level file that does not exist): the lint's first
    // error names the cause. A fault the loader itself defines keeps the
    // loader's own line, and a silent one is said all the same.
    std::string line = error.what();
    for (const LintMessage& message : lintLevel(path, screen, sounds)) {
        if (!message.error) continue;
        if (message.text != line) line = formatLintMessage(message);
        break;
    }
    return line;
}

std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds, bool startMusic) {
    try {
        return std::make_unique<Level>(path, screen, sounds, 1, startMusic);
    } catch (const LoadError& error) {
        std::printf("%s\n", loadFailureCause(path, error, screen, sounds).c_str());
        std::fflush(stdout);
        return nullptr;
    }
}
