// Level codes: the layout, its checksum and the decoder.
#include "level/LevelCode.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "level/Inflate.h"
#include "level/LevelText.h"
#include "platform/FileRead.h"

namespace levelcode {

const char* const kLinkMark = "#play=";
const char* const kShippedThemes[kThemeCount] = {"cave", "forest", "castle"};

namespace {

const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int digitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

uint32_t crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putNumber(std::string& out, size_t value) {
    do {
        const unsigned char low = value & 0x7F;
        value >>= 7;
        out += static_cast<char>(value ? low | 0x80 : low);
    } while (value);
}

bool takeNumber(const std::string& in, size_t& pos, size_t& value) {
    value = 0;
    for (int shift = 0; shift < 35 && pos < in.size(); shift += 7) {
        const unsigned char byte = static_cast<unsigned char>(in[pos++]);
        value |= static_cast<size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}

CodeError damaged() {
    return CodeError(Fault::Checksum, "The level code is damaged (its checksum does not match): mistyped or cut short?");
}

CodeError notACode() {
    return CodeError(Fault::NotACode,
                     "Not a level code: a code is a version number, a dot, then letters, digits, '-' and '_'.");
}

// The version and the body's bytes; throws when the text has not a code's shape.
unsigned splitCode(const std::string& code, std::string& body) {
    const size_t dot = code.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 4) throw notACode();
    unsigned version = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (code[i] < '0' || code[i] > '9') throw notACode();
        version = version * 10 + static_cast<unsigned>(code[i] - '0');
    }
    if (version == 0) throw notACode();
    body.clear();
    uint32_t bits = 0;
    int held = 0;
    for (size_t i = dot + 1; i < code.size(); ++i) {
        const int value = digitValue(code[i]);
        if (value < 0) throw notACode();
        bits = (bits << 6) | static_cast<uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            body += static_cast<char>((bits >> held) & 0xFF);
        }
    }
    // The unused low bits of the last digit are zero in a code as written;
    // a digit too many or too few is a cut or mistyped code.
    if (held >= 6 || (bits & ((1u << held) - 1)) != 0) throw damaged();
    return version;
}

std::string digitsOf(const std::string& bytes) {
    std::string out;
    uint32_t bits = 0;
    int held = 0;
    for (unsigned char byte : bytes) {
        bits = (bits << 8) | byte;
        held += 8;
        while (held >= 6) {
            held -= 6;
            out += kDigits[(bits >> held) & 63];
        }
    }
    if (held > 0) out += kDigits[(bits << (6 - held)) & 63];
    return out;
}

// The checksum a body ends with (low byte first).
uint32_t storedChecksum(const std::string& body) {
    uint32_t stored = 0;
    if (body.size() >= 4)
        for (int k = 0; k < 4; ++k)
            stored |= static_cast<uint32_t>(static_cast<unsigned char>(body[body.size() - 4 + k])) << (8 * k);
    return stored;
}

std::string hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

} // namespace

std::string codeOf(const std::string& codeOrLink) {
    std::string text = codeOrLink;
    const size_t mark = text.find(kLinkMark);
    if (mark != std::string::npos) text.erase(0, mark + std::string(kLinkMark).size());
    const char* blanks = " \t\r\n";
    const size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) return std::string();
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

bool looksLikeCode(const std::string& codeOrLink) {
    if (codeOrLink.find(kLinkMark) != std::string::npos) return true;
    const std::string code = codeOf(codeOrLink);
    const size_t dot = code.find('.');
    if (dot == std::string::npos || dot == 0 || code.size() < 16) return false;
    for (size_t i = 0; i < code.size(); ++i)
        if (i < dot ? (code[i] < '0' || code[i] > '9') : (i != dot && digitValue(code[i]) < 0)) return false;
    return true;
}

Contents decodeLevelCode(const std::string& codeOrLink) {
    std::string body;
    const unsigned version = splitCode(codeOf(codeOrLink), body);
    if (version > kVersion)
        throw CodeError(Fault::Version, "The level code is of version " + std::to_string(version) +
                                            "; this game reads codes up to version " + std::to_string(kVersion) +
                                            ". A newer Vorrel plays it.");
    if (body.size() < 4) throw damaged();
    const uint32_t stored = storedChecksum(body);
    body.resize(body.size() - 4);
    if (crc32(std::to_string(version) + body) != stored) throw damaged();

    size_t pos = 0, levelSize = 0, tapeSize = 0;
    if (!takeNumber(body, pos, levelSize) || !takeNumber(body, pos, tapeSize)) throw damaged();
    const CodeError tooLarge(Fault::TooLarge, "The level code holds more than a level and its tape may (" +
                                                  std::to_string(fileread::kTextCap) + " and " +
                                                  std::to_string(fileread::kTapeCap) + " bytes).");
    if (levelSize > fileread::kTextCap || tapeSize > fileread::kTapeCap) throw tooLarge;
    std::string text;
    size_t used = 0;
    const InflateResult result = inflateRaw(reinterpret_cast<const uint8_t*>(body.data()) + pos, body.size() - pos,
                                            levelSize + tapeSize, text, used);
    if (result == InflateResult::TooLarge) throw tooLarge;
    // A checksum that matches a body the writer never made: a forged code.
    if (result == InflateResult::Broken || pos + used != body.size() || text.size() != levelSize + tapeSize)
        throw damaged();

    Contents contents;
    contents.level = text.substr(0, levelSize);
    contents.tape = text.substr(levelSize);
    const std::string foreign = foreignFile(parseLevelText(contents.level));
    if (!foreign.empty()) throw CodeError(Fault::ForeignFile, foreignFileMessage(foreign));
    return contents;
}

std::string frameLevelCode(const std::string& deflated, size_t levelSize, size_t tapeSize) {
    std::string body;
    putNumber(body, levelSize);
    putNumber(body, tapeSize);
    body += deflated;
    const uint32_t crc = crc32(std::to_string(kVersion) + body);
    for (int k = 0; k < 4; ++k) body += static_cast<char>((crc >> (8 * k)) & 0xFF);
    return std::to_string(kVersion) + "." + digitsOf(body);
}

std::string foreignFile(const LevelText& level) {
    bool tileset = false, backdrop = false;
    for (const char* theme : kShippedThemes) {
        tileset = tileset || level.tilesetPath == std::string("gfx/") + theme + ".txt";
        backdrop = backdrop || level.backgroundPath == std::string("gfx/bg_") + theme + ".png";
    }
    if (!tileset) return level.tilesetPath;
    if (!backdrop) return level.backgroundPath;
    return std::string();
}

std::string foreignFileMessage(const std::string& path) {
    return "The level uses \"" + path + "\", which not every copy of the game has; only the shipped tilesets and "
                                        "backdrops travel in a level code.";
}

std::string sharedName(const std::string& codeOrLink) {
    std::string body;
    splitCode(codeOf(codeOrLink), body);
    return "shared-" + hex8(storedChecksum(body));
}

} // namespace levelcode
