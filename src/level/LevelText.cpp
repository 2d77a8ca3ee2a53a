// The level file grammar: bytes to a LevelText and back.
#include "level/LevelText.h"

#include <algorithm>

#include "level/TextReader.h"
#include "platform/FileRead.h"

namespace {

// Counts the line ends the reader has passed since the last call, so each
// line read gets its 1-based number.
struct LineCounter {
    explicit LineCounter(const TextReader& reader) : reader(reader) {}
    // The number of the line that starts at the reader's current offset.
    unsigned lineAt() {
        const std::string& text = reader.bytes();
        const size_t end = std::min(reader.offset(), text.size());
        passed += static_cast<unsigned>(std::count(text.begin() + static_cast<long>(seen), text.begin() +
                                                   static_cast<long>(end), '\n'));
        seen = end;
        return passed + 1;
    }
    const TextReader& reader;
    size_t seen = 0;
    unsigned passed = 0;
};

unsigned countLines(const std::string& text) {
    if (text.empty()) return 0;
    const unsigned feeds = static_cast<unsigned>(std::count(text.begin(), text.end(), '\n'));
    return text.back() == '\n' ? feeds : feeds + 1;
}

// A line as written: a line that itself ends in a carriage return keeps it
// only if another one follows, since the reader drops one before the feed.
void appendLine(std::string& out, const std::string& line) {
    out += line;
    if (!line.empty() && line.back() == '\r') out += '\r';
    out += '\n';
}

} // namespace

bool operator==(const LevelText& a, const LevelText& b) {
    if (a.tilesetPath != b.tilesetPath || a.backgroundPath != b.backgroundPath || a.grid.size() != b.grid.size() ||
        a.records.size() != b.records.size())
        return false;
    for (size_t i = 0; i < a.grid.size(); ++i)
        if (a.grid[i].bytes != b.grid[i].bytes) return false;
    for (size_t i = 0; i < a.records.size(); ++i)
        if (a.records[i].name != b.records[i].name || a.records[i].attributes != b.records[i].attributes)
            return false;
    return true;
}

std::string levelStem(const std::string& path) {
    const size_t n = std::char_traits<char>::length(kLevelExtension);
    if (path.size() > n && path.compare(path.size() - n, n, kLevelExtension) == 0)
        return path.substr(0, path.size() - n);
    return path;
}

void splitRecord(const std::string& line, std::string& name, std::vector<std::string>& attributes) {
    name.clear();
    attributes.clear();
    size_t pos = 0;
    bool first = true;
    while (true) {
        while (pos < line.size() && isBlank(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= line.size()) break;
        size_t end = pos;
        while (end < line.size() && !isBlank(static_cast<unsigned char>(line[end]))) ++end;
        if (first)
            name.assign(line, pos, end - pos);
        else
            attributes.emplace_back(line, pos, end - pos);
        first = false;
        pos = end;
    }
}

LevelText parseLevelText(const std::string& fileBytes) {
    LevelText level;
    level.lineCount = countLines(fileBytes);
    TextReader reader(fileBytes);
    LineCounter lines(reader);

    reader.getLine(level.tilesetPath);
    reader.getLine(level.backgroundPath);

    // The number may stand after blank lines; the rest of its line is dropped.
    unsigned count = 0;
    level.countRead = reader.readUnsigned(count);
    if (level.countRead) {
        level.countLine = lines.lineAt();
        const std::string& text = reader.bytes();
        size_t start = reader.offset();
        while (start > 0 && text[start - 1] != '\n') --start;
        while (start < text.size() && isBlank(static_cast<unsigned char>(text[start])) && text[start] != '\n')
            ++start;
        level.countNegative = start < text.size() && text[start] == '-';
        level.countValue = count;
    }
    reader.skipLine(&level.countRest);

    std::string line;
    for (unsigned i = 1; level.countRead && i <= count; ++i) {
        const unsigned number = lines.lineAt();
        if (!reader.getLine(line)) {
            level.gridShort = true;
            break;
        }
        if (level.grid.size() == kMaxGridLines) {
            level.overflowLine = number;
            level.overflowInGrid = true;
            return level;
        }
        level.grid.push_back(GridLine{line, number});
        if (i == count) break;  // the count may be the largest unsigned
    }

    while (true) {
        const unsigned number = lines.lineAt();
        if (!reader.getLine(line)) break;
        if (level.records.size() == kMaxRecordLines) {
            level.overflowLine = number;
            break;
        }
        RecordLine record;
        record.line = number;
        splitRecord(line, record.name, record.attributes);
        level.records.push_back(std::move(record));
    }
    return level;
}

LevelText readLevelText(const std::string& path) {
    std::string bytes;
    if (fileread::readFile(path, fileread::kTextCap, bytes)) return parseLevelText(bytes);
    LevelText level = parseLevelText(std::string());
    switch (fileread::checkFile(path, fileread::kTextCap)) {
    case fileread::FileCheck::Missing: level.fileState = LevelFileState::Missing; break;
    case fileread::FileCheck::NotRegular: level.fileState = LevelFileState::NotRegular; break;
    case fileread::FileCheck::TooLarge: level.fileState = LevelFileState::TooLarge; break;
    default: level.fileState = LevelFileState::Unreadable; break;
    }
    return level;
}

std::string writeLevelText(const LevelText& level) {
    std::string out;
    appendLine(out, level.tilesetPath);
    appendLine(out, level.backgroundPath);
    out += std::to_string(level.grid.size());
    out += '\n';
    for (const GridLine& row : level.grid) appendLine(out, row.bytes);
    for (const RecordLine& record : level.records) {
        out += record.name;
        for (const std::string& word : record.attributes) {
            out += ' ';
            out += word;
        }
        out += '\n';
    }
    return out;
}
