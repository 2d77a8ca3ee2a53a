#pragma once
// Every message of the level loader, worded once for the loader and the
// level check.
#include <cstddef>
#include <string>

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
std::string tooManyCellsMessage();
std::string tooManyLinesMessage(bool gridLines);
std::string tooManyItemsMessage(const std::string& name);
std::string maskTooSmallMessage();
