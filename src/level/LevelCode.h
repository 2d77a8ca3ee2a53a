#pragma once
// Level codes: a level's canonical text and, optionally, a tape that wins it,
// as one line of URL-safe text that fits in a link (docs/sharing.md). The
// game reads them; the tools write them (tools/common/ShareCode).
#include <cstddef>
#include <stdexcept>
#include <string>

struct LevelText;

namespace levelcode {

// The layout this game writes and the latest it reads.
constexpr unsigned kVersion = 1;
// What follows the page's address in a link: "vorrel.html#play=CODE".
extern const char* const kLinkMark;

// The themes every copy of the game ships: tileset description
// "gfx/NAME.txt" and backdrop "gfx/bg_NAME.png".
constexpr int kThemeCount = 3;
extern const char* const kShippedThemes[kThemeCount];

enum class Fault { NotACode, Checksum, Version, TooLarge, ForeignFile };

// Why a code was refused, as one line for the player.
class CodeError : public std::runtime_error {
public:
    CodeError(Fault fault, const std::string& message) : std::runtime_error(message), fault(fault) {}
    Fault fault;
};

struct Contents {
    std::string level;  // the level file, in the canonical layout
    std::string tape;   // the runs of a winning tape; empty when the code has none
};

// The code in a code or a link (blanks around it dropped).
std::string codeOf(const std::string& codeOrLink);
// True when the text has the shape of a code or a link, so a command line
// can tell it from a file name.
bool looksLikeCode(const std::string& codeOrLink);
// The code's contents; throws CodeError. Nothing of a refused code is used:
// a mistyped or cut code fails its checksum, one of a later layout is
// refused by version, and nothing inflates past the level and tape caps.
Contents decodeLevelCode(const std::string& codeOrLink);
// The code of a body the writer has deflated (raw deflate of the level's
// text followed by the tape's): version, sizes, stream, checksum.
std::string frameLevelCode(const std::string& deflated, size_t levelSize, size_t tapeSize);
// The first file the level names that not every copy of the game has;
// empty when it names only shipped ones.
std::string foreignFile(const LevelText& level);
// The one line refusing such a file.
std::string foreignFileMessage(const std::string& path);
// A name for the level of a code, stable for the same code: "shared-" and
// eight hexadecimal digits of its checksum.
std::string sharedName(const std::string& codeOrLink);

} // namespace levelcode
