#pragma once
// The level designer's check of a level file and the tileset description it
// names: every problem, not only the first, each with its file and line.
// Errors are what the game's loader refuses; warnings are what it accepts
// but is almost surely a mistake.
#include <SDL/SDL.h>

#include <string>
#include <vector>

class SoundBank;
struct LevelText;

struct LintMessage {
    std::string file;
    int line = 0;
    bool error = false;
    std::string text;
};

// "FILE:LINE: error|warning: message", with bytes that are not printable
// text written as \xNN so that nothing binary reaches a terminal.
std::string formatLintMessage(const LintMessage& message);

// Checks the level file at path (relative to the working directory, like
// the game). With a screen, the game's own loader is run as well, silently,
// and an error it reports that the check did not find is added, so the lint
// never passes a level that the game refuses.
std::vector<LintMessage> lintLevel(const std::string& path, SDL_Surface* screen = nullptr,
                                   SoundBank* sounds = nullptr);
// The same for a level held in memory (an unsaved one); file names the level
// in the messages.
std::vector<LintMessage> lintLevelText(const LevelText& text, const std::string& file,
                                       SDL_Surface* screen = nullptr, SoundBank* sounds = nullptr);

bool hasErrors(const std::vector<LintMessage>& messages);
