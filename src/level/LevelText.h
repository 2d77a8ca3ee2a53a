#pragma once
// A level file as plain text data: the one grammar of level files (parser),
// and the one writer that puts a description back into the canonical layout.
// No SDL here; the loader builds a Level from a LevelText.
#include <string>
#include <vector>

// One grid line: its bytes as read (a byte that is no key still counts).
struct GridLine {
    std::string bytes;
    unsigned line = 0;  // 1-based line of the file
};

// One item record: the line split at white space into a name and attributes.
struct RecordLine {
    std::string name;
    std::vector<std::string> attributes;
    unsigned line = 0;  // 1-based line of the file
};

// The most grid lines and item records a level may have. Far beyond any
// real level, they keep what a file within the size cap costs small; the
// parser keeps no more and notes where it stopped.
constexpr size_t kMaxGridLines = 65536;
constexpr size_t kMaxRecordLines = 65536;

// Why a level file could not be read; every cause reads as an empty file.
enum class LevelFileState { Read, Missing, NotRegular, TooLarge, Unreadable };

struct LevelText {
    std::string tilesetPath;
    std::string backgroundPath;
    std::vector<GridLine> grid;
    std::vector<RecordLine> records;

    // What the parser saw on the way, for the lint; not part of the level.
    LevelFileState fileState = LevelFileState::Read;
    unsigned lineCount = 0;      // lines in the file
    bool countRead = false;      // a number of grid lines could be read
    unsigned countLine = 0;      // the line it was read from (3 unless line 3 is blank)
    unsigned countValue = 0;     // the number as read (a negative one wraps around)
    bool countNegative = false;  // it was written with a minus sign
    std::string countRest;       // what follows the number on its line (ignored)
    bool gridShort = false;      // the file ended before the announced grid lines
    unsigned overflowLine = 0;   // the first line past the limits above, 0 if none
    bool overflowInGrid = false; // that line was a grid line
};

// Same level: paths, grid bytes and records. Line numbers and the parser's
// observations are not compared, since they do not change how a level plays.
bool operator==(const LevelText& a, const LevelText& b);
inline bool operator!=(const LevelText& a, const LevelText& b) { return !(a == b); }

// Parses the bytes of a level file. Every input parses: the loader and the
// lint decide what is wrong with it.
LevelText parseLevelText(const std::string& fileBytes);
// Reads a level file through the capped file reading. A file that cannot be
// read parses as an empty one, with fileState telling why.
LevelText readLevelText(const std::string& path);
// The level in the canonical layout (docs/levels-format.md).
std::string writeLevelText(const LevelText& level);
// Level files end in ".lev"; levelStem is path without that ending, or path
// itself when it has none (or is nothing but the ending).
constexpr const char* kLevelExtension = ".lev";
std::string levelStem(const std::string& path);
// Splits a record line at white space into its name and attributes.
void splitRecord(const std::string& line, std::string& name, std::vector<std::string>& attributes);
