// Checking the numbers of item records.
#include "level/WholeNumber.h"

#include <climits>

bool isWholeNumber(const std::string& word) {
    int value = 0;
    bool whole = false;
    readNumberWord(word, value, &whole);
    return whole;
}

std::string badNumberMessage(const std::string& record, const std::string& word) {
    return "Error while parsing item " + record + ". \"" + word + "\" is not a whole number from " +
           std::to_string(INT_MIN) + " to " + std::to_string(INT_MAX) + ".";
}
