// The tools' one way to load the level they were given.
#include "common/LevelLoad.h"

#include <cstdio>

#include "common/Lint.h"
#include "level/Level.h"
#include "level/LevelText.h"

namespace {

// make builds the level; lint lists the level's problems when it fails.
template <typename Make, typename Lint>
std::unique_ptr<Level> loadOrReport(Make make, Lint lint) {
    try {
        return make();
    } catch (const LoadError& error) {
        // The loader's line says what it met, not always why ("Player sprite
        // not found." for a level file that does not exist): the lint's first
        // error names the cause. A fault the loader itself defines keeps the
        // loader's own line, and a silent one is said all the same.
        std::string line = error.what();
        for (const LintMessage& message : lint()) {
            if (!message.error) continue;
            if (message.text != line) line = formatLintMessage(message);
            break;
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds, bool startMusic) {
    return loadOrReport([&] { return std::make_unique<Level>(path, screen, sounds, 1, startMusic); },
                        [&] { return lintLevel(path, screen, sounds); });
}

std::unique_ptr<Level> loadLevelOrReport(const LevelText& text, const std::string& name, SDL_Surface* screen,
                                         SoundBank* sounds) {
    return loadOrReport([&] { return std::make_unique<Level>(text, screen, sounds, 1, false); },
                        [&] { return lintLevelText(text, name, screen, sounds); });
}
