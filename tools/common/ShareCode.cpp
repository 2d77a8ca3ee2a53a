// Level codes from levels and tapes: zlib's deflate writes the body, which
// the game's own small inflater reads back.
#include "common/ShareCode.h"

#include <zlib.h>

#include <memory>

#include "level/Level.h"
#include "level/LoadError.h"

const char* const kDefaultLinkBase = "vorrel.html";

namespace {

std::string deflateRaw(const std::string& text) {
    z_stream stream{};
    // Raw deflate (negative window bits): the code has its own checksum.
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

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

std::string shareProblem(const LevelText& level, const Tape* tape, SDL_Surface* screen) {
    const std::string foreign = levelcode::foreignFile(level);
    if (!foreign.empty()) return levelcode::foreignFileMessage(foreign);
    std::unique_ptr<Level> loaded;
    try {
        loaded.reset(new Level(level, screen, nullptr, 1, false));
    } catch (const LoadError& error) {
        return std::string("The level does not load: ") + (error.silent ? "a negative bomb count." : error.what());
    }
    return tape ? tapeProblem(*loaded, *tape) : std::string();
}

std::string tapeProblem(Level& level, const Tape& tape) {
    if (replayTape(level, tape, ReplayOptions()).outcome == Completed) return std::string();
    return "The tape does not win the level, so it cannot travel as its solution.";
}
