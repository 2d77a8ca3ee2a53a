// Level codes from levels and tapes: a raw deflate writes the body
// (common/Deflate.h), which the game's own small inflater reads back.
#include "common/ShareCode.h"

#include <memory>

#include "common/Deflate.h"
#include "level/Level.h"
#include "level/LoadError.h"

const char* const kDefaultLinkBase = "vorrel.html";

std::string tapeRuns(const Tape& tape) {
    Tape runs;
    runs.runs = tape.runs;
    return formatTape(runs);
}

std::string encodeLevelCode(const LevelText& level, const Tape* tape) {
    const std::string foreign = levelcode::foreignFile(level);
    if (!foreign.empty())
        throw levelcode::CodeError(levelcode::Fault::ForeignFile, levelcode::foreignFileMessage(foreign));
    const std::string text = writeLevelText(level);
    const std::string runs = tape ? tapeRuns(*tape) : std::string();
    return levelcode::frameLevelCode(deflateRaw(text + runs), text.size(), runs.size());
}

std::string linkOf(const std::string& base, const std::string& code) { return base + levelcode::kLinkMark + code; }

std::string shareProblem(const LevelText& level, const Tape& tape, SDL_Surface* screen) {
    std::unique_ptr<Level> loaded;
    try {
        loaded.reset(new Level(level, screen, nullptr, 1, false));
    } catch (const LoadError& error) {
        return std::string("The level does not load: ") + (error.silent ? "a negative bomb count." : error.what());
    }
    return tapeProblem(*loaded, tape);
}

std::string tapeProblem(Level& level, const Tape& tape) {
    if (replayTape(level, tape, ReplayOptions()).outcome == Completed) return std::string();
    return "The tape does not win the level, so it cannot travel as its solution.";
}
