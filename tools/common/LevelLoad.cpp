// The tools' one way to load the level they were given.
#include "common/LevelLoad.h"

#include <cstdio>

#include "common/Lint.h"
#include "level/Level.h"
#include "level/LevelText.h"

namespace {

// The loader's line says what it met, not always why ("Player sprite not
// found." for a level file that does not exist): the lint's first error names
// the cause. A fault the loader itself defines keeps the loader's own line,
// and a silent one is said all the same.
std::string causeFromLint(const LoadError& error, const std::vector<LintMessage>& messages) {
    std::string line = error.what();
    for (const LintMessage& message : messages) {
        if (!message.error) continue;
        if (message.text != line) line = formatLintMessage(message);
        break;
    }
    return line;
}

// make builds the level; cause gives the line for a load error.
template <typename Make, typename Cause>
std::unique_ptr<Level> loadOrReport(Make make, Cause cause) {
    try {
        return make();
    } catch (const LoadError& error) {
        std::printf("%s\n", cause(error).c_str());
        std::fflush(stdout);
        return nullptr;
    }
}

}  // namespace

std::string loadFailureCause(const std::string& path, const LoadError& error, SDL_Surface* screen, SoundBank* sounds) {
    return causeFromLint(error, lintLevel(path, screen, sounds));
}

std::unique_ptr<Level> loadLevelOrReport(const char* path, SDL_Surface* screen, SoundBank* sounds, bool startMusic) {
    return loadOrReport([&] { return std::make_unique<Level>(path, screen, sounds, 1, startMusic); },
                        [&](const LoadError& error) { return loadFailureCause(path, error, screen, sounds); });
}

std::unique_ptr<Level> loadLevelOrReport(const LevelText& text, const std::string& name, SDL_Surface* screen,
                                         SoundBank* sounds) {
    return loadOrReport([&] { return std::make_unique<Level>(text, screen, sounds, 1, false); },
                        [&](const LoadError& error) {
                            return causeFromLint(error, lintLevelText(text, name, screen, sounds));
                        });
}
