#include "level/TextReader.h"

#include <climits>

#include "platform/FileRead.h"

TextReader TextReader::fromFile(const std::string& path) {
    // A file refused as too large or not regular reads as one that is missing.
    std::string text;
    fileread::readFile(path, fileread::kTextCap, text);
    return TextReader(std::move(text));
}

bool TextReader::getLine(std::string& line) {
    line.clear();
    if (fail || pos >= text.size()) {
        fail = true;
        return false;
    }
    size_t end = text.find('\n', pos);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    if (end > pos && text[end - 1] == '\r') --end;
    line.assign(text, pos, end - pos);
    pos = next;
    return true;
}

bool TextReader::readUnsigned(unsigned& value) {
    if (fail) return false;
    while (pos < text.size() && isBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos >= text.size()) {
        fail = true;
        return false;
    }
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
    unsigned long long magnitude = 0;
    bool digits = false, overflow = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        digits = true;
        magnitude = magnitude * 10 + static_cast<unsigned>(text[pos++] - '0');
        if (magnitude > UINT_MAX) {
            overflow = true;
            magnitude = UINT_MAX;
        }
    }
    if (!digits) {
        value = 0;
        fail = true;
        return false;
    }
    if (overflow) {
        value = UINT_MAX;
        fail = true;
        return false;
    }
    value = negative ? 0u - static_cast<unsigned>(magnitude) : static_cast<unsigned>(magnitude);
    return true;
}

void TextReader::skipLine(std::string* dropped) {
    if (fail) return;
    size_t end = text.find('\n', pos);
    const size_t next = end == std::string::npos ? text.size() : end + 1;
    if (dropped) {
        if (end == std::string::npos) end = text.size();
        if (end > pos && text[end - 1] == '\r') --end;
        dropped->assign(text, pos, end - pos);
    }
    pos = next;
}

bool FieldReader::skipSpace() {
    if (fail) return false;
    while (pos < line.size() && isBlank(static_cast<unsigned char>(line[pos]))) ++pos;
    if (pos >= line.size()) fail = true;
    return !fail;
}

bool FieldReader::readByte(unsigned char& value) {
    if (!skipSpace()) return false;
    value = static_cast<unsigned char>(line[pos++]);
    return true;
}

bool FieldReader::readNumber(long long low, long long high, long long& value) {
    bool negative = false;
    if (line[pos] == '+' || line[pos] == '-') negative = line[pos++] == '-';
    long long magnitude = 0;
    bool digits = false, overflow = false;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
        digits = true;
        if (!overflow) magnitude = magnitude * 10 + (line[pos] - '0');
        if (magnitude > (1LL << 40)) overflow = true;
        ++pos;
    }
    if (!digits) {
        value = 0;
        fail = true;
        return false;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > high || signedValue < low) {
        value = negative ? low : high;
        fail = true;
        return false;
    }
    value = signedValue;
    return true;
}

bool FieldReader::readFlag(bool& value) {
    if (!skipSpace()) return false;
    long long number = 0;
    bool ok = readNumber(LLONG_MIN / 2, LLONG_MAX / 2, number);
    if (!ok && number == 0) {
        value = false;
        return false;
    }
    if (ok && (number == 0 || number == 1)) {
        value = number == 1;
        return true;
    }
    value = true;
    fail = true;
    return false;
}

bool FieldReader::readInt(int& value) {
    if (!skipSpace()) return false;
    long long number = 0;
    bool ok = readNumber(INT_MIN, INT_MAX, number);
    value = static_cast<int>(number);
    return ok;
}
