#pragma once
// What the level loader knows and says, shared with the level check: the
// record table, the fixed pictures and keys, and every load message.
#include <cstddef>
#include <string>

#include "platform/FileRead.h"

// The rubble cell a blast leaves; a level with bombs needs this key.
constexpr unsigned char kRubbleKey = 0xA7;
// Items are cut from this sheet; the backdrop is shaded through the mask.
constexpr const char* kItemSheetPath = "./gfx/tileset.png";
constexpr const char* kBackdropMaskPath = "./gfx/maski.png";
// The smallest player sheet that holds every animation strip, at scale 1.
constexpr int kPlayerSheetWidth = 576;
constexpr int kPlayerSheetHeight = 544;
// A level file within the text cap cannot hold a row or column this far, and
// 32 times it (at any scale the game uses) stays far inside int.
constexpr int kFarthestCell = static_cast<int>(fileread::kTextCap);

// The records a level file may hold, by name and number of attributes.
struct RecordKind {
    const char* name;
    size_t attributes;
};
constexpr RecordKind kRecordKinds[] = {
    {"plr", 2},        {"box", 2},         {"water", 2}, {"treasure", 2}, {"goal", 2},
    {"wooden_box", 2}, {"heavy_box", 2},   {"bomb", 1},  {"bgitem", 3},   {"bgitem", 4},
};
bool isKnownRecord(const std::string& name, size_t attributes);
// The records whose item stands in a cell of the grid.
bool isPlacedRecord(const std::string& name);

std::string rectangularityMessage(unsigned gridLine, size_t previousLength, size_t length);
std::string playerSheetMissingMessage(const std::string& path);
std::string keyNotUniqueMessage(unsigned char key);
std::string unknownRecordMessage(const std::string& name, size_t attributes);
std::string negativeBombMessage(int count);
std::string noRubbleMessage();
std::string tooFarMessage(const std::string& name, int column, int row);
std::string bgitemKeyMessage(const std::string& word);
std::string noSuchCellMessage(const std::string& name, int column, int row);
std::string backgroundMissingMessage(const std::string& path);
std::string maskMissingMessage();
std::string maskTooSmallMessage();
