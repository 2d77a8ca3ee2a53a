// The load messages, worded once for the loader and the level check.
#include "level/LoadMessages.h"

#include "level/LevelText.h"
#include "level/Vocabulary.h"

// The missing blank before "doesn't" is how the message has always read.
std::string rectangularityMessage(unsigned gridLine, size_t previousLength, size_t length) {
    return "ERROR: Level must be rectanguar! The width of line " + std::to_string(gridLine) + "doesn't match. (" +
           std::to_string(previousLength) + " vs " + std::to_string(length) + ")";
}

std::string playerSheetMissingMessage(const std::string& path) { return "Player sprite " + path + " not found."; }

std::string keyNotUniqueMessage(unsigned char key) {
    return "Identified -" + std::string(1, static_cast<char>(key)) + "- is not unique!.";
}

std::string unknownRecordMessage(const std::string& name, size_t attributes) {
    return "Error while parsing item " + name + " with " + std::to_string(attributes) + " attributes. Unknown item.";
}

std::string negativeBombMessage(int count) { return "Negative bomb count " + std::to_string(count) + "."; }

std::string noRubbleMessage() {
    return "Error while parsing item bomb. The tileset defines no rubble cell (key " + std::to_string(kRubbleKey) +
           ").";
}

static std::string at(const std::string& name, int column, int row) {
    return "Error while parsing item " + name + " at column " + std::to_string(column) + ", row " +
           std::to_string(row) + ".";
}

std::string tooFarMessage(const std::string& name, int column, int row) {
    return at(name, column, row) + " The position is too far outside the level.";
}

std::string bgitemKeyMessage(const std::string& word) {
    return "Error while parsing item bgitem with key " + word + ". The tileset does not define it.";
}

std::string noSuchCellMessage(const std::string& name, int column, int row) {
    return at(name, column, row) + " There is no such cell.";
}

std::string backgroundMissingMessage(const std::string& path) { return "Background " + path + " not found."; }

std::string maskMissingMessage() { return std::string("Background mask ") + kBackdropMaskPath + " not found."; }

std::string maskTooSmallMessage() {
    return std::string("Background mask ") + kBackdropMaskPath + " is smaller than the screen.";
}

std::string tooManyCellsMessage() {
    return "ERROR: Level is too large! It has more than " + std::to_string(kMaxCells) + " cells.";
}

std::string tooManyItemsMessage(const std::string& name) {
    return "Error while parsing item " + name + ". A level holds at most " + std::to_string(kMaxItems) + " items.";
}

std::string tooManyLinesMessage(bool gridLines) {
    return gridLines ? "ERROR: Level is too large! It has more than " + std::to_string(kMaxGridLines) + " grid lines."
                     : "ERROR: Level is too large! It has more than " + std::to_string(kMaxRecordLines) +
                           " item records.";
}
