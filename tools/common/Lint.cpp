#include "common/Lint.h"

#include <SDL/SDL_image.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <filesystem>

#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/LevelText.h"
#include "level/WholeNumber.h"
#include "level/LoadError.h"
#include "level/LoadMessages.h"
#include "level/PictureCache.h"
#include "level/TextReader.h"
#include "level/TilesetText.h"
#include "level/Vocabulary.h"
#include "platform/FileRead.h"

static_assert(fileread::kTextCap == 1048576, "the messages name the cap");

namespace {

// The words of a line, split at blanks exactly as the level grammar splits
// an item record.
std::vector<std::string> splitWords(const std::string& line) {
    std::string name;
    std::vector<std::string> words;
    splitRecord(line, name, words);
    if (!name.empty()) words.insert(words.begin(), name);
    return words;
}

std::string keyText(unsigned char key) {
    char buffer[32];
    if (key > 32 && key < 127)
        std::snprintf(buffer, sizeof buffer, "'%c'", key);
    else
        std::snprintf(buffer, sizeof buffer, "0x%02X", key);
    return buffer;
}

// Looked up without opening: opening a FIFO would wait for a writer.
bool fileExists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// Why a file the game reads as text cannot be used.
std::string causeOf(LevelFileState state) {
    switch (state) {
    case LevelFileState::Read: return fileread::describe(fileread::FileCheck::Fine, fileread::kTextCap);
    case LevelFileState::Missing: return fileread::describe(fileread::FileCheck::Missing, fileread::kTextCap);
    case LevelFileState::NotRegular: return fileread::describe(fileread::FileCheck::NotRegular, fileread::kTextCap);
    case LevelFileState::TooLarge: return fileread::describe(fileread::FileCheck::TooLarge, fileread::kTextCap);
    default: return fileread::describe(fileread::FileCheck::Unreadable, fileread::kTextCap);
    }
}

// A lead byte of a UTF-8 character of several bytes, with its continuation.
bool utf8Sequence(const std::string& bytes, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (!length || at + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[at + k]) & 0xC0) != 0x80) return false;
    return true;
}

struct PictureInfo {
    bool exists = false;
    bool readable = false;
    int width = 0;
    int height = 0;
};

PictureInfo probePicture(const std::string& path) {
    PictureInfo info;
    if (path.empty() || !fileExists(path)) return info;
    info.exists = true;
    // The game refuses what is not a regular file or is above the picture cap.
    if (!fileread::isReadable(path, fileread::kPictureCap)) return info;
    // Through the loader's cache: the editor checks after every change, and
    // decoding the same pictures each time would cost more than the rest.
    if (SDL_Surface* surface = cachedPicture(path)) {
        info.readable = true;
        info.width = surface->w;
        info.height = surface->h;
    }
    return info;
}

struct Prototype {
    bool defined = false;
    bool passable = false;
};

class Linter {
public:
    explicit Linter(std::vector<LintMessage>& out) : out(out) {}

    void level(const LevelText& text, const std::string& path);

private:
    void report(const std::string& file, int line, bool error, const std::string& text) {
        LintMessage message;
        message.file = file;
        message.line = line;
        message.error = error;
        message.text = text;
        out.push_back(message);
    }
    // False when the description cannot be used at all.
    bool tileset(const std::string& levelPath, const std::string& path);
    void grid(const LevelText& text, const std::string& path, bool usable);
    void records(const LevelText& text, const std::string& path, bool usable);
    void goals(const LevelText& text, const std::string& path, bool usable);
    void checkNumbers(const std::string& file, int line, const RecordRule& rule, const std::string& name,
                      const std::vector<std::string>& words);
    bool cellExists(long column, long row) const {
        return row >= 0 && row < static_cast<long>(cells.size()) && column >= 0 &&
               column < static_cast<long>(cells[row].size());
    }

    std::vector<LintMessage>& out;
    Prototype prototypes[256];
    std::vector<std::vector<Prototype>> cells;
};

bool Linter::tileset(const std::string& levelPath, const std::string& path) {
    TilesetText description;
    if (!readTilesetFile(path, description)) {
        const std::string why = fileread::textRefusal(path, fileread::kTextCap);
        report(levelPath, 1, true,
               "the tileset description \"" + path + "\" " + (why.empty() ? "cannot be read" : why) +
                   ", so the game stops with: " + playerSheetMissingMessage(""));
        return false;
    }

    const std::string& image = description.imagePath;
    PictureInfo sheet = probePicture(image);
    // The game loads the level all the same, with every cell drawn black.
    if (!sheet.exists)
        report(path, 1, true, "tileset image \"" + image + "\" does not exist: every cell would be drawn black");
    else if (!sheet.readable)
        report(path, 1, true,
               "tileset image \"" + image + "\" cannot be read as a picture: every cell would be drawn black");

    // Steps read from elsewhere than line 2 move the player sheet's path off line 3.
    if (!description.stepsRead || description.sheetLine != 3)
        report(path, 2, false, "line 2 should hold the two tile steps (pixels across and down)");

    const std::string& playerPath = description.sheetPath;
    PictureInfo player = probePicture(playerPath);
    if (!player.readable) {
        report(path, description.sheetLine ? static_cast<int>(description.sheetLine) : 3, true,
               playerSheetMissingMessage(playerPath));
        return false;
    }
    if (player.width < kPlayerSheetWidth || player.height < kPlayerSheetHeight)
        report(path, 3, false,
               "player sheet \"" + playerPath + "\" is " + std::to_string(player.width) + " x " +
                   std::to_string(player.height) + "; the player's animations need " +
                   std::to_string(kPlayerSheetWidth) + " x " + std::to_string(kPlayerSheetHeight));

    for (const TileEntry& entry : description.entries) {
        const int number = static_cast<int>(entry.line);
        const unsigned char key = entry.key;
        const bool gotKey = entry.keyRead;
        const std::string& text = entry.text;
        std::vector<std::string> words = splitWords(text);
        if (gotKey && !words.empty() && utf8Sequence(words[0], 0))
            report(path, number, false,
                   "key " + keyText(key) +
                       " is the first byte of a UTF-8 character; a key is one byte: save the "
                       "file as Latin-1 (the rubble key is the Latin-1 byte " +
                       keyText(kRubbleKey) + ")");
        else if (words.size() < 4 || (gotKey && words[0].size() > 1))
            report(path, number, false,
                   "an entry is a key, passable (0 or 1), column and row; fields missing here keep the "
                   "previous entry's values");
        else if (words[1] != "0" && words[1] != "1")
            report(path, number, false, "passable should be 0 or 1, not \"" + words[1] + "\"");
        if (prototypes[key].defined) {
            report(path, number, true, keyNotUniqueMessage(key));
            continue;
        }
        prototypes[key].defined = true;
        prototypes[key].passable = entry.passable;
        const long column = entry.column, row = entry.row;
        if (sheet.readable && (column < 0 || row < 0 || column * description.stepX + kCellSize > sheet.width ||
                               row * description.stepY + kCellSize > sheet.height))
            report(path, number, false,
                   "the tile of key " + keyText(key) + " (column " + std::to_string(column) + ", row " +
                       std::to_string(row) + ") lies outside the tileset image");
    }
    return true;
}

// The loader refuses the first number of a record that is not whole, within int.
void Linter::checkNumbers(const std::string& file, int line, const RecordRule& rule, const std::string& name,
                          const std::vector<std::string>& words) {
    for (size_t i = 0; i < rule.numbers; ++i)
        if (!isWholeNumber(words[i])) {
            report(file, line, true, badNumberMessage(name, words[i]));
            return;
        }
}

void Linter::level(const LevelText& text, const std::string& path) {
    const bool usable = tileset(path, text.tilesetPath);

    const std::string& background = text.backgroundPath;
    PictureInfo backgroundInfo = probePicture(background);
    if (!backgroundInfo.readable || backgroundInfo.width <= 0 || backgroundInfo.height <= 0) {
        // The game says "not found" of a file that is there but unusable: name why.
        std::string text = backgroundMissingMessage(background);
        if (backgroundInfo.exists) {
            const std::string why =
                fileread::describe(fileread::checkFile(background, fileread::kPictureCap), fileread::kPictureCap);
            text += " (\"" + background + "\" " + (why.empty() ? "is not a picture" : why) + ")";
        }
        report(path, 2, true, text);
    }
    PictureInfo mask = probePicture(kBackdropMaskPath);
    if (!mask.readable)
        report(path, 2, true, maskMissingMessage());
    else if (mask.width < kScreenWidth || mask.height < kScreenHeight)
        report(path, 2, true, maskTooSmallMessage());

    if (!text.countRead) {
        report(path, 3, false, "line 3 does not begin with the number of grid lines: the level has no rows "
                               "and no item records are read");
        return;
    }
    const int countLine = static_cast<int>(text.countLine);
    if (countLine != 3) report(path, countLine, false, "line 3 is blank: the number of grid lines is read here");
    if (text.countNegative)
        report(path, countLine, false,
               "a negative number of grid lines reads as " + std::to_string(text.countValue));

    grid(text, path, usable);
    if (text.overflowInGrid) {
        report(path, static_cast<int>(text.overflowLine), true, tooManyLinesMessage(true));
        return;
    }
    if (text.gridShort) {
        report(path, static_cast<int>(text.lineCount), false,
               "the file ends after " + std::to_string(text.grid.size()) + " of " +
                   std::to_string(text.countValue) + " grid lines; there are no item records");
        return;
    }
    records(text, path, usable);
    goals(text, path, usable);
    if (text.overflowLine) report(path, static_cast<int>(text.overflowLine), true, tooManyLinesMessage(false));
}

void Linter::grid(const LevelText& text, const std::string& path, bool usable) {
    // The width most lines share: a line that differs from it is the fault,
    // reported once, not again for the line after it.
    std::vector<std::pair<size_t, size_t>> widths;
    for (const GridLine& row : text.grid) {
        auto it = std::find_if(widths.begin(), widths.end(), [&](const auto& w) { return w.first == row.bytes.size(); });
        if (it == widths.end())
            widths.emplace_back(row.bytes.size(), 1);
        else
            ++it->second;
    }
    size_t common = 0, most = 0;
    for (const auto& w : widths)
        if (w.second > most) {
            most = w.second;
            common = w.first;
        }

    size_t previousLength = 0;
    size_t loaderFault = 0;  // the grid line the loader stops at, 1-based
    bool warned[256] = {};
    bool utf8Told = false, wideTold = false, lowTold = false, largeTold = false;
    size_t cellCount = 0;
    for (size_t i = 1; i <= text.grid.size(); ++i) {
        const std::string& bytes = text.grid[i - 1].bytes;
        const int number = static_cast<int>(text.grid[i - 1].line);
        std::vector<Prototype> row;
        for (size_t b = 0; b < bytes.size(); ++b) {
            const unsigned char byte = static_cast<unsigned char>(bytes[b]);
            if (!utf8Told && utf8Sequence(bytes, b)) {
                utf8Told = true;
                report(path, number, false,
                       "grid line " + std::to_string(i) + " holds a UTF-8 character of several bytes; a key is "
                       "one byte: save the file as Latin-1");
            }
            if (!usable) continue;  // the description's own fault says it all
            if (prototypes[byte].defined) {
                row.push_back(prototypes[byte]);
            } else if (!warned[byte]) {
                warned[byte] = true;
                report(path, number, false,
                       "grid byte " + keyText(byte) + " is no key of the tileset description: it makes no cell");
            }
        }
        if (usable && !wideTold && row.size() > static_cast<size_t>(kVisibleColumns)) {
            wideTold = true;
            report(path, number, false,
                   "grid line " + std::to_string(i) + " has " + std::to_string(row.size()) + " cells; only the first " +
                       std::to_string(kVisibleColumns) + " are visible");
        }
        if (!lowTold && i > static_cast<size_t>(kVisibleRows) && !bytes.empty()) {
            lowTold = true;
            report(path, number, false,
                   "grid line " + std::to_string(i) + " lies below the visible " + std::to_string(kVisibleRows) +
                       " rows");
        }
        cellCount += row.size();
        if (!largeTold && cellCount > kMaxCells) {
            largeTold = true;
            report(path, number, true, tooManyCellsMessage());
        }
        if (!largeTold) cells.push_back(std::move(row));  // past the cap the loader has stopped
        if (!loaderFault && previousLength != 0 && previousLength != bytes.size()) {
            loaderFault = i;
            report(path, number, true,
                   rectangularityMessage(static_cast<unsigned>(i), previousLength, bytes.size()));
        } else if (loaderFault && bytes.size() != common && i != loaderFault) {
            report(path, number, true,
                   "grid line " + std::to_string(i) + " is " + std::to_string(bytes.size()) +
                       " bytes wide; the other lines are " + std::to_string(common));
        }
        previousLength = bytes.size();
    }
}

void Linter::records(const LevelText& text, const std::string& path, bool usable) {
    bool goal = false, gem = false, itemSheetLooked = false, crowdTold = false;
    // The map is played to choose a door: nothing is collected there, and its
    // goal is parked out of reach.
    const bool map = std::filesystem::path(path).filename() == "select.lev";
    long playerColumn = kPlayerStartColumn, playerRow = kPlayerStartRow;
    int playerLine = 0;
    long long items = 0;
    const std::string visible = std::to_string(kVisibleColumns) + " x " + std::to_string(kVisibleRows) + " cells";
    for (const RecordLine& record : text.records) {
        const int number = static_cast<int>(record.line);
        const std::string& name = record.name;
        const std::vector<std::string>& words = record.attributes;
        const size_t count = words.size();
        const RecordRule* rule = findRecord(name, count);
        if (!rule) {
            report(path, number, true, unknownRecordMessage(name, count));
            continue;
        }
        const Record kind = rule->kind;
        if (kind == Record::OldWater) continue;
        const bool decoration = kind == Record::Bgitem || kind == Record::Bgwater;
        checkNumbers(path, number, *rule, name, words);
        const int n = count >= 1 ? parseInt(words[0]) : 0;
        const int m = count >= 2 ? parseInt(words[1]) : 0;
        if ((rule->placed || (kind == Record::Bombs && n > 0)) && !itemSheetLooked) {
            itemSheetLooked = true;
            if (!probePicture(kItemSheetPath).readable) {
                report(path, number, true,
                       std::string("picture \"") + kItemSheetPath + "\" cannot be read: the items are cut from it");
            }
        }
        if ((rule->placed || decoration || kind == Record::Bombs) && !crowdTold) {
            items += kind == Record::Bombs ? std::max(n, 0) : 1;
            if (items > static_cast<long long>(kMaxItems)) {
                crowdTold = true;
                report(path, number, true, tooManyItemsMessage(name));
            }
        }
        if ((kind == Record::Player || decoration) &&
            (n > kFarthestCell || n < -kFarthestCell || m > kFarthestCell || m < -kFarthestCell)) {
            report(path, number, true, tooFarMessage(name, n, m));
            continue;
        }
        const std::string where = "column " + std::to_string(n) + ", row " + std::to_string(m);
        if (kind == Record::Player) {
            if (playerLine)
                report(path, number, false,
                       std::string("a second ") + name +
                           " record: this later one decides where the player starts "
                           "(the first is on line " +
                           std::to_string(playerLine) + ")");
            playerColumn = n;
            playerRow = m;
            playerLine = number;
        } else if (kind == Record::Bombs) {
            if (n < 0)
                report(path, number, true, negativeBombMessage(n) + " (the game ends without a message)");
            else if (n > 0 && usable && !prototypes[kRubbleKey].defined)
                report(path, number, true, noRubbleMessage());
        } else if (rule->placed) {
            if (kind == Record::Goal) goal = true;
            if (kind == Record::Treasure) gem = true;
            if (!usable) continue;
            if (!cellExists(n, m))
                report(path, number, true, noSuchCellMessage(name, n, m));
            else if (n >= kVisibleColumns || m >= kVisibleRows)
                report(path, number, false, name + " at " + where + " lies outside the visible " + visible);
            else if (!cells[m][n].passable && !(kind == Record::Goal && map))
                report(path, number, false, name + " at " + where + " is inside a wall");
        } else if (decoration) {
            if (usable && kind == Record::Bgitem && !prototypes[static_cast<unsigned char>(words[2][0])].defined)
                report(path, number, true, bgitemKeyMessage(words[2]));
            if (n < 0 || m < 0 || n >= kVisibleColumns || m >= kVisibleRows)
                report(path, number, false, name + " at " + where + " lies outside the visible " + visible);
        }
    }
    if (!goal) report(path, 1, false, "the level has no goal");
    if (!gem && !map)
        report(path, 1, false,
               std::string("the level has no gem (") + recordName(Record::Treasure) +
                   " record): the goal counts at once");

    const std::string start = "the player starts at column " + std::to_string(playerColumn) + ", row " +
                              std::to_string(playerRow);
    const int startLine = playerLine ? playerLine : 1;
    const std::string playerRecord = recordName(Record::Player);
    const std::string unplaced = playerLine ? "" : " (no " + playerRecord + " record)";
    if (playerColumn < 0 || playerRow < 0 || playerColumn >= kVisibleColumns || playerRow >= kVisibleRows)
        report(path, startLine, false, start + unplaced + ", outside the visible " + visible);
    else if (usable && !cellExists(playerColumn, playerRow))
        report(path, startLine, false, start + unplaced + ", outside the grid");
    else if (usable && !cells[playerRow][playerColumn].passable)
        report(path, startLine, false, start + unplaced + ", inside a wall");
    else if (!playerLine)
        report(path, 1, false, "the level has no " + playerRecord + " record: the player starts at column " +
                                      std::to_string(kPlayerStartColumn) + ", row " + std::to_string(kPlayerStartRow));
}

// What the goal records look like when played: the door is two cells tall,
// and only one of several goals is the level's exit.
void Linter::goals(const LevelText& text, const std::string& path, bool usable) {
    // The map's doors are its own overlay; its goal is parked in a wall.
    if (std::filesystem::path(path).filename() == "select.lev") return;
    int firstLine = 0;
    for (const RecordLine& record : text.records) {
        const RecordRule* rule = findRecord(record.name, record.attributes.size());
        if (!rule || rule->kind != Record::Goal) continue;
        const std::string& name = record.name;
        const int number = static_cast<int>(record.line);
        if (firstLine)
            report(path, number, false,
                   "a second " + name + " record: only the last " + name + " record opens the level (the first is on line " +
                       std::to_string(firstLine) + ")");
        else
            firstLine = number;
        const long column = parseInt(record.attributes[0]), row = parseInt(record.attributes[1]);
        // A goal in a wall or off the grid is told already.
        if (!usable || !cellExists(column, row) || !cells[row][column].passable) continue;
        if (!cellExists(column, row - 1) || !cells[row - 1][column].passable)
            report(path, number, false,
                   name + " at column " + std::to_string(column) + ", row " + std::to_string(row) +
                       ": the cell above it is not open, so the door is drawn into the wall");
    }
}

// The game's loader writes "Picture ... not found." and the like on standard
// output as it goes; the lint's own report replaces them.
class SilenceStdout {
public:
    SilenceStdout() {
        std::fflush(stdout);
        saved = dup(1);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            close(null);
        }
    }
    ~SilenceStdout() {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, 1);
            close(saved);
        }
    }

private:
    int saved = -1;
};

} // namespace

std::string formatLintMessage(const LintMessage& message) {
    const std::string raw = message.file + ":" + std::to_string(message.line) + ": " +
                            (message.error ? "error" : "warning") + ": " + message.text;
    // Printable ASCII and whole UTF-8 characters pass; any other byte is shown
    // as \xNN.
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(raw[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += raw[i];
        } else if (utf8Sequence(raw, i)) {
            const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            out.append(raw, i, length);
            i += length - 1;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

bool hasErrors(const std::vector<LintMessage>& messages) {
    for (const LintMessage& message : messages)
        if (message.error) return true;
    return false;
}

std::vector<LintMessage> lintLevelText(const LevelText& text, const std::string& file, SDL_Surface* screen,
                                       SoundBank* sounds) {
    std::vector<LintMessage> messages;
    if (text.fileState != LevelFileState::Read) {
        LintMessage message;
        message.file = file;
        message.line = 1;
        message.error = true;
        message.text = "the level file " + causeOf(text.fileState);
        return {message};
    }
    Linter(messages).level(text, file);
    if (!screen) return messages;

    std::string loaderError;
    bool failed = false;
    {
        SilenceStdout quiet;
        try {
            Level level(text, screen, sounds, 1, false);
        } catch (const LoadError& error) {
            failed = true;
            loaderError = error.silent ? std::string() : error.what();
        }
    }
    if (!failed) return messages;
    for (const LintMessage& message : messages)
        if (message.error && (loaderError.empty() || message.text.find(loaderError) != std::string::npos))
            return messages;
    LintMessage message;
    message.file = file;
    message.line = 1;
    message.error = true;
    message.text = (loaderError.empty() ? std::string("the game refuses the level without a message")
                                        : loaderError) + " (the game's loader)";
    messages.push_back(message);
    return messages;
}

std::vector<LintMessage> lintLevel(const std::string& path, SDL_Surface* screen, SoundBank* sounds) {
    // A file that cannot be used is named as such, before anything the
    // game would go on to say about the empty level it reads instead.
    std::string bytes;
    const std::string why = fileread::textRefusal(path, fileread::kTextCap, &bytes);
    if (!why.empty()) {
        LintMessage message;
        message.file = path;
        message.line = 1;
        message.error = true;
        message.text = "the level file " + why;
        return {message};
    }
    return lintLevelText(parseLevelText(bytes), path, screen, sounds);
}
