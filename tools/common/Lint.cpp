#include "common/Lint.h"

#include <SDL/SDL_image.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "level/ItemRecords.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "level/PictureCache.h"
#include "level/TextReader.h"
#include "platform/FileRead.h"

namespace {

constexpr int kVisibleColumns = 20;
constexpr int kVisibleRows = 13;

struct TextFile {
    bool opened = false;
    std::vector<std::string> lines;
};

// Lines end at a line feed; a carriage return before it is not part of the
// line; a final line feed makes no extra empty line.
TextFile readLines(const std::string& path) {
    TextFile file;
    std::string all;
    if (!fileread::readFile(path, fileread::kTextCap, all)) return file;
    file.opened = true;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        file.lines.push_back(line);
        start = end + 1;
    }
    return file;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Leading decimal digits after optional blanks; false when there are none.
bool leadingUnsigned(const std::string& text, size_t& pos, unsigned long& value) {
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (value < 100000000ul) value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

// The item-record number rule: optional sign and digits at the start.
bool numberWord(const std::string& word, long& value) {
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    size_t digits = i;
    long v = 0;
    while (i < word.size() && word[i] >= '0' && word[i] <= '9') {
        if (v < 100000000L) v = v * 10 + (word[i] - '0');
        ++i;
    }
    if (i == digits) {
        value = 0;
        return false;
    }
    value = negative ? -v : v;
    return true;
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

    void level(const std::string& path);

private:
    void report(const std::string& file, int line, bool error, const std::string& text) {
        LintMessage message;
        message.file = file;
        message.line = line;
        message.error = error;
        message.text = text;
        out.push_back(message);
    }
    void tileset(const std::string& levelPath, const std::string& path);
    void checkNumbers(const std::string& file, int line, const std::vector<std::string>& words, size_t count);
    bool cellExists(long column, long row) const {
        return row >= 0 && row < static_cast<long>(cells.size()) && column >= 0 &&
               column < static_cast<long>(cells[row].size());
    }

    std::vector<LintMessage>& out;
    Prototype prototypes[256];
    std::vector<std::vector<Prototype>> cells;
    bool tilesetPictureChecked = false;
};

void Linter::tileset(const std::string& levelPath, const std::string& path) {
    TextFile file = readLines(path);
    if (!file.opened) {
        report(levelPath, 1, true,
               "Player sprite  not found. (the tileset description \"" + path + "\" cannot be opened)");
        return;
    }
    const std::vector<std::string>& lines = file.lines;
    auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::string(); };

    const std::string image = line(0);
    PictureInfo sheet = probePicture(image);
    if (!sheet.exists)
        report(path, 1, false, "tileset image \"" + image + "\" does not exist");
    else if (!sheet.readable)
        report(path, 1, false, "tileset image \"" + image + "\" cannot be read as a picture");

    unsigned long stepX = 0, stepY = 0;
    size_t pos = 0;
    const std::string steps = line(1);
    if (!leadingUnsigned(steps, pos, stepX) || !leadingUnsigned(steps, pos, stepY))
        report(path, 2, false, "line 2 should hold the two tile steps (pixels across and down)");

    const std::string playerPath = line(2);
    PictureInfo player = probePicture(playerPath);
    if (!player.readable) {
        report(path, 3, true, "Player sprite " + playerPath + " not found.");
    } else if (player.width < 576 || player.height < 544) {
        report(path, 3, false,
               "player sheet \"" + playerPath + "\" is " + std::to_string(player.width) + " x " +
                   std::to_string(player.height) + "; the player's animations need 576 x 544");
    }

    // Entries, read with the loader's own field rules: a field that a line
    // does not supply keeps the previous value.
    unsigned char key = ' ';
    bool passable = false;
    int column = 0, row = 0;
    for (size_t i = 3; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const std::string& text = lines[i];
        FieldReader fields(text);
        const bool gotKey = fields.readByte(key);
        fields.readFlag(passable);
        fields.readInt(column);
        fields.readInt(row);
        std::vector<std::string> words = splitWords(text);
        if (gotKey && key >= 0xC2 && key <= 0xDF && !words.empty() && words[0].size() > 1 &&
            (static_cast<unsigned char>(words[0][1]) & 0xC0) == 0x80)
            report(path, number, false,
                   "key " + keyText(key) + " is the first byte of a UTF-8 character; a key is one byte (the "
                   "rubble key is the Latin-1 byte 0xA7)");
        if (words.size() < 4 || (gotKey && words[0].size() > 1))
            report(path, number, false,
                   "an entry is a key, passable (0 or 1), column and row; fields missing here keep the "
                   "previous entry's values");
        else if (words[1] != "0" && words[1] != "1")
            report(path, number, false, "passable should be 0 or 1, not \"" + words[1] + "\"");
        if (prototypes[key].defined) {
            report(path, number, true, std::string("Identified -") + static_cast<char>(key) + "- is not unique!.");
            continue;
        }
        prototypes[key].defined = true;
        prototypes[key].passable = passable;
        if (sheet.readable && (column < 0 || row < 0 || column * static_cast<long>(stepX) + 32 > sheet.width ||
                               row * static_cast<long>(stepY) + 32 > sheet.height))
            report(path, number, false,
                   "the tile of key " + keyText(key) + " (column " + std::to_string(column) + ", row " +
                       std::to_string(row) + ") lies outside the tileset image");
    }
}

void Linter::checkNumbers(const std::string& file, int line, const std::vector<std::string>& words, size_t count) {
    long value;
    for (size_t i = 1; i <= count && i < words.size(); ++i)
        if (!numberWord(words[i], value))
            report(file, line, false, "attribute \"" + words[i] + "\" is not a number; it reads as 0");
}

void Linter::level(const std::string& path) {
    TextFile file = readLines(path);
    if (!file.opened) {
        report(path, 1, true, "Player sprite  not found. (the level file cannot be opened)");
        return;
    }
    const std::vector<std::string>& lines = file.lines;
    auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::string(); };

    tileset(path, line(0));

    const std::string background = line(1);
    PictureInfo backgroundInfo = probePicture(background);
    if (!backgroundInfo.readable || backgroundInfo.width <= 0 || backgroundInfo.height <= 0)
        report(path, 2, true, "Background " + background + " not found.");
    PictureInfo mask = probePicture("./gfx/maski.png");
    if (!mask.readable)
        report(path, 2, true, "Background mask ./gfx/maski.png not found.");
    else if (mask.width < 640 || mask.height < 480)
        report(path, 2, true, "Background mask ./gfx/maski.png is smaller than the screen.");

    // The count is read as the loader reads it: white space first, line ends
    // included, then a sign (taken modulo 2^32, as a stream takes it) and
    // digits; the rest of that line is dropped.
    size_t countLine = 2;
    size_t pos = 0;
    while (countLine < lines.size()) {
        const std::string& text = lines[countLine];
        while (pos < text.size() && isSpace(text[pos])) ++pos;
        if (pos < text.size()) break;
        ++countLine;
        pos = 0;
    }
    const std::string countText = line(countLine);
    bool negative = false;
    if (pos < countText.size() && (countText[pos] == '+' || countText[pos] == '-')) negative = countText[pos++] == '-';
    unsigned long rowsAnnounced = 0;
    const bool haveRows = pos < countText.size() && countText[pos] >= '0' && countText[pos] <= '9' &&
                          leadingUnsigned(countText, pos, rowsAnnounced);
    if (!haveRows) {
        report(path, 3, false, "line 3 does not begin with the number of grid lines: the level has no rows "
                               "and no item records are read");
        return;
    }
    if (countLine != 2)
        report(path, static_cast<int>(countLine) + 1, false, "line 3 is blank: the number of grid lines is read here");
    if (negative) {
        rowsAnnounced = rowsAnnounced == 0 ? 0 : 0x100000000ul - (rowsAnnounced & 0xFFFFFFFFul);
        report(path, static_cast<int>(countLine) + 1, false,
               "a negative number of grid lines reads as " + std::to_string(rowsAnnounced));
    }

    // Grid.
    size_t next = countLine + 1;
    size_t previousLength = 0;
    bool gridComplete = true;
    for (unsigned long i = 1; i <= rowsAnnounced; ++i) {
        if (next >= lines.size()) {
            report(path, static_cast<int>(lines.size()), false,
                   "the file ends after " + std::to_string(i - 1) + " of " + std::to_string(rowsAnnounced) +
                       " grid lines; there are no item records");
            gridComplete = false;
            break;
        }
        const std::string& text = lines[next];
        const int number = static_cast<int>(next) + 1;
        ++next;
        std::vector<Prototype> row;
        bool warned[256] = {};
        for (unsigned char byte : text) {
            if (prototypes[byte].defined) {
                row.push_back(prototypes[byte]);
            } else if (!warned[byte]) {
                warned[byte] = true;
                report(path, number, false,
                       "grid byte " + keyText(byte) + " is no key of the tileset description: it makes no cell");
            }
        }
        if (row.size() > static_cast<size_t>(kVisibleColumns))
            report(path, number, false,
                   "grid line " + std::to_string(i) + " has " + std::to_string(row.size()) +
                       " cells; only the first 20 are visible");
        if (i > static_cast<unsigned long>(kVisibleRows) && !row.empty())
            report(path, number, false, "grid line " + std::to_string(i) + " lies below the visible 13 rows");
        cells.push_back(row);
        if (previousLength != 0 && previousLength != text.size())
            report(path, number, true,
                   "ERROR: Level must be rectanguar! The width of line " + std::to_string(i) + "doesn't match. (" +
                       std::to_string(previousLength) + " vs " + std::to_string(text.size()) + ")");
        previousLength = text.size();
    }
    if (!gridComplete) return;

    // Item records.
    bool goal = false;
    bool tilesetWarned = false;
    long playerColumn = 1, playerRow = 0;
    int playerLine = 0;
    for (size_t i = next; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        std::vector<std::string> words = splitWords(lines[i]);
        const std::string name = words.empty() ? std::string() : words[0];
        const size_t count = words.empty() ? 0 : words.size() - 1;
        const bool placed = name == "treasure" || name == "goal" || name == "wooden_box" || name == "heavy_box";
        const bool known = (count == 2 && (placed || name == "plr" || name == "box" || name == "water")) ||
                           (count == 1 && name == "bomb") || (name == "bgitem" && (count == 3 || count == 4));
        if (!known) {
            report(path, number, true,
                   "Error while parsing item " + name + " with " + std::to_string(count) +
                       " attributes. Unknown item.");
            continue;
        }
        if (name == "water") continue;
        checkNumbers(path, number, words, name == "bgitem" ? 2 : count);
        const long n = count >= 1 ? parseInt(words[1]) : 0;
        const long m = count >= 2 ? parseInt(words[2]) : 0;
        if ((placed || name == "bomb") && !tilesetWarned && !fileExists("./gfx/tileset.png")) {
            tilesetWarned = true;
            report(path, number, false, "picture \"./gfx/tileset.png\" does not exist (the items are cut from it)");
        }
        const std::string where = "column " + std::to_string(n) + ", row " + std::to_string(m);
        if (name == "plr") {
            playerColumn = n;
            playerRow = m;
            playerLine = number;
        } else if (name == "bomb") {
            if (n < 0)
                report(path, number, true,
                       "Negative bomb count " + std::to_string(n) + ". (the game ends without a message)");
            else if (n > 0 && !prototypes[0xA7].defined)
                report(path, number, true,
                       "Error while parsing item bomb. The tileset defines no rubble cell (key 167).");
        } else if (placed) {
            if (name == "goal") goal = true;
            if (!cellExists(n, m))
                report(path, number, true,
                       "Error while parsing item " + name + " at " + where + ". There is no such cell.");
            else if (n >= kVisibleColumns || m >= kVisibleRows)
                report(path, number, false, name + " at " + where + " lies outside the visible 20 x 13 cells");
        } else if (name == "bgitem") {
            if (count == 3 && !prototypes[static_cast<unsigned char>(words[3][0])].defined)
                report(path, number, true,
                       "Error while parsing item bgitem with key " + words[3] + ". The tileset does not define it.");
            if (n < 0 || m < 0 || n >= kVisibleColumns || m >= kVisibleRows)
                report(path, number, false, "bgitem at " + where + " lies outside the visible 20 x 13 cells");
        }
    }
    if (!goal) report(path, 1, false, "the level has no goal");

    const std::string start = "the player starts at column " + std::to_string(playerColumn) + ", row " +
                              std::to_string(playerRow);
    const int startLine = playerLine ? playerLine : 1;
    const std::string unplaced = playerLine ? "" : " (no plr record)";
    if (playerColumn < 0 || playerRow < 0 || playerColumn >= kVisibleColumns || playerRow >= kVisibleRows)
        report(path, startLine, false, start + unplaced + ", outside the visible 20 x 13 cells");
    else if (!cellExists(playerColumn, playerRow))
        report(path, startLine, false, start + unplaced + ", outside the grid");
    else if (!cells[playerRow][playerColumn].passable)
        report(path, startLine, false, start + unplaced + ", inside a wall");
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
    return message.file + ":" + std::to_string(message.line) + ": " + (message.error ? "error" : "warning") + ": " +
           message.text;
}

bool hasErrors(const std::vector<LintMessage>& messages) {
    for (const LintMessage& message : messages)
        if (message.error) return true;
    return false;
}

std::vector<LintMessage> lintLevel(const std::string& path, SDL_Surface* screen, SoundBank* sounds) {
    std::vector<LintMessage> messages;
    Linter(messages).level(path);
    if (!screen) return messages;

    std::string loaderError;
    bool failed = false;
    {
        SilenceStdout quiet;
        try {
            Level level(path, screen, sounds, 1, false);
        } catch (const LoadError& error) {
            failed = true;
            loaderError = error.silent ? std::string() : error.what();
        }
    }
    if (!failed) return messages;
    for (const LintMessage& message : messages)
        if (message.error && (loaderError.empty() || message.text.compare(0, loaderError.size(), loaderError) == 0))
            return messages;
    LintMessage message;
    message.file = path;
    message.line = 1;
    message.error = true;
    message.text = (loaderError.empty() ? std::string("the game refuses the level without a message")
                                        : loaderError) + " (the game's loader)";
    messages.push_back(message);
    return messages;
}
