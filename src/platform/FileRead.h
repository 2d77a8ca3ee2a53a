#pragma once
// Every data file the game reads may come from another player: a level can
// name /dev/zero, a FIFO, a folder or a file of gigabytes as its picture or
// tileset. Reads therefore go through here: only a regular file no larger
// than a cap for its kind is read, and anything else is taken as a file that
// cannot be opened, which every caller already handles.
#include <cstddef>
#include <string>

namespace fileread {

// Far beyond any real file of the kind, yet small enough to hold in memory.
constexpr size_t kTextCap = size_t(1) << 20;      // level files, descriptions, number files
constexpr size_t kTapeCap = size_t(16) << 20;     // recorded plays: one line per frame at worst
constexpr size_t kPictureCap = size_t(16) << 20;  // pictures
constexpr size_t kSoundCap = size_t(32) << 20;    // music and sound effects

// True when the path names a regular file (links followed) of at most cap
// bytes. Looks without opening, so a FIFO never blocks; for loaders that take
// a path themselves.
bool isReadable(const std::string& path, size_t cap);

// Why a path cannot be read, for messages that name the cause.
enum class FileCheck { Fine, Missing, NotRegular, TooLarge, Unreadable };
FileCheck checkFile(const std::string& path, size_t cap);

// The cause, in words that follow the file's name ("does not exist", "is not
// a regular file", "is larger than N bytes, the most the game reads", "cannot
// be read"); empty for Fine.
std::string describe(FileCheck check, size_t cap);
// Why the path cannot be used as a text file of at most cap bytes (the causes
// above, or "is not text (it holds a NUL byte)"), or empty when it can;
// then bytes, when given, holds the file as read.
std::string textRefusal(const std::string& path, size_t cap, std::string* bytes = nullptr);

// The whole file into bytes. False, with bytes empty, when the path is not a
// regular file, cannot be opened or holds more than cap bytes.
bool readFile(const std::string& path, size_t cap, std::string& bytes);

} // namespace fileread
