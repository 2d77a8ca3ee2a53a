#pragma once
// Reading of the game's small text files (level files, tileset descriptions).
// The formats were defined by a formatted text stream: a number is read after
// skipping any white space, line ends included, and once a read fails every
// later read fails too. These readers keep those rules but work on a buffer
// read in one go, which is both faster and easier to reason about.
#include <string>

class TextReader {
public:
    // A file that cannot be opened reads as empty: every read fails.
    static TextReader fromFile(const std::string& path);
    explicit TextReader(std::string text) : text(std::move(text)) {}

    // The next line without its line feed and without a carriage return in
    // front of it (or at the very end of the file). False, with the line
    // cleared, when no further line can be read; a final line feed does not
    // make an extra empty line.
    bool getLine(std::string& line);
    // An unsigned decimal number after any white space. Fails (and stops the
    // reader) when none follows; a sign is taken as the stream takes it.
    bool readUnsigned(unsigned& value);
    // Drops the rest of the current line, line feed included; hands it
    // over (without the line end) when asked.
    void skipLine(std::string* dropped = nullptr);
    bool failed() const { return fail; }
    // Where the next read starts, as a byte offset into the text.
    size_t offset() const { return pos; }
    const std::string& bytes() const { return text; }

private:
    std::string text;
    size_t pos = 0;
    bool fail = false;
};

// The fields of one line, read one after the other. A field that cannot be
// read leaves its variable as the stream would and fails all later fields.
class FieldReader {
public:
    explicit FieldReader(const std::string& line) : line(line) {}
    // One byte that is not white space.
    bool readByte(unsigned char& value);
    // 0 or 1; another number reads as true and fails; no number reads false.
    bool readFlag(bool& value);
    bool readInt(int& value);

private:
    // Skips white space; false (and failed) when the line has ended.
    bool skipSpace();
    // Sign and digits as a long long clamped to the range given. Sets
    // value and returns false on a malformed field.
    bool readNumber(long long low, long long high, long long& value);

    const std::string& line;
    size_t pos = 0;
    bool fail = false;
};

// White space as the C locale knows it (blank, tab, line feed, vertical tab,
// form feed, carriage return).
inline bool isBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
