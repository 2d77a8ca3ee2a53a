// Level codes: every shipped level round-trips, and every kind of bad code is
// refused for its own reason, never decoded into another level.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/Deflate.h"
#include "common/ShareCode.h"
#include "level/LevelCode.h"
#include "level/LevelText.h"
#include "platform/FileRead.h"

namespace fs = std::filesystem;
using levelcode::Fault;

namespace {

Fault faultOf(const std::string& code) {
    try {
        levelcode::decodeLevelCode(code);
    } catch (const levelcode::CodeError& error) {
        return error.fault;
    }
    ADD_FAILURE() << "decoded: " << code;
    return Fault::NotACode;
}

const char* const kSmallLevel = "gfx/cave.txt\ngfx/bg_cave.png\n1\n...\nplr 1 0\n";

} // namespace

TEST(LevelCodeTest, EveryShippedLevelRoundTripsWithinItsLimit) {
    int levels = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(VORREL_SOURCE_DATA) / "level")) {
        if (entry.path().extension() != ".lev") continue;
        ++levels;
        std::string bytes;
        ASSERT_TRUE(fileread::readFile(entry.path().string(), fileread::kTextCap, bytes));
        const std::string code = encodeLevelCode(parseLevelText(bytes), nullptr);
        EXPECT_LE(code.size(), 500u) << entry.path();
        EXPECT_EQ(code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_."),
                  std::string::npos);
        const levelcode::Contents contents = levelcode::decodeLevelCode(linkOf(kDefaultLinkBase, code));
        EXPECT_EQ(contents.level, bytes) << entry.path();
        EXPECT_TRUE(contents.tape.empty());
    }
    EXPECT_GE(levels, 41);
}

TEST(LevelCodeTest, ATapeTravelsWithItsLevel) {
    Tape tape;
    tape.level = "ignored.lev";
    tape.runs = {{17, 20, 0}, {3, 25, 0x5}};
    const std::string code = encodeLevelCode(parseLevelText(kSmallLevel), &tape);
    const levelcode::Contents contents = levelcode::decodeLevelCode("  " + code + "\n");
    EXPECT_EQ(contents.level, kSmallLevel);
    EXPECT_EQ(contents.tape, tapeRuns(tape));
    EXPECT_EQ(contents.tape.find("ignored"), std::string::npos);
    EXPECT_EQ(levelcode::sharedName(code).size(), std::string("shared-12345678").size());
}

TEST(LevelCodeTest, BadCodesAreRefusedForTheirOwnReason) {
    const std::string code = encodeLevelCode(parseLevelText(kSmallLevel), nullptr);
    for (const char* text : {"", "level.lev", ".abc", "x1.abcd", "1.ab$cd", "0.AAAA"})
        EXPECT_EQ(faultOf(text), Fault::NotACode) << text;

    // Every single mistyped character and every cut fails the checksum.
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    for (size_t i = 2; i < code.size(); ++i) {
        std::string typo = code;
        typo[i] = digits[(digits.find(code[i]) + 1 + i % 63) % 64];
        const Fault fault = faultOf(typo);
        EXPECT_TRUE(fault == Fault::Checksum || fault == Fault::NotACode) << i << " " << code;
    }
    for (size_t cut = 1; cut < code.size() - 2; cut += 3) {
        const Fault fault = faultOf(code.substr(0, code.size() - cut));
        EXPECT_TRUE(fault == Fault::Checksum || fault == Fault::NotACode) << cut;
    }
    // A checksum over a body the writer never made.
    EXPECT_EQ(faultOf(levelcode::frameLevelCode("not deflate at all", 5, 0)), Fault::Checksum);
    EXPECT_EQ(faultOf(levelcode::frameLevelCode(deflateRaw("abc"), 5, 0)), Fault::Checksum);

    try {
        levelcode::decodeLevelCode("2" + code.substr(1));
        ADD_FAILURE();
    } catch (const levelcode::CodeError& error) {
        EXPECT_EQ(error.fault, Fault::Version);
        EXPECT_NE(std::string(error.what()).find("version 2"), std::string::npos);
    }

    // Declared too large, and a small body that would inflate past the cap.
    EXPECT_EQ(faultOf(levelcode::frameLevelCode(deflateRaw("abc"), fileread::kTextCap + 1, 0)), Fault::TooLarge);
    const std::string bomb = deflateRaw(std::string(fileread::kTextCap * 4, '.'));
    EXPECT_LT(bomb.size(), 8000u);
    EXPECT_EQ(faultOf(levelcode::frameLevelCode(bomb, fileread::kTextCap, 0)), Fault::TooLarge);

    const std::string foreign = "gfx/cave.txt\n/home/me/secret.png\n0\n";
    try {
        levelcode::decodeLevelCode(levelcode::frameLevelCode(deflateRaw(foreign), foreign.size(), 0));
        ADD_FAILURE();
    } catch (const levelcode::CodeError& error) {
        EXPECT_EQ(error.fault, Fault::ForeignFile);
        EXPECT_NE(std::string(error.what()).find("\"/home/me/secret.png\""), std::string::npos);
    }
    EXPECT_THROW(encodeLevelCode(parseLevelText("mine.txt\ngfx/bg_cave.png\n0\n"), nullptr), levelcode::CodeError);
}
