// Checking the numbers of item records.
#include "level/WholeNumber.h"

#include <climits>

size_t numberAttributes(Record kind, size_t count) {
    const bool decoration = kind == Record::Bgitem || kind == Record::Bgwater;
    return decoration && count > 2 ? 2 : count;
}

bool isWholeNumber(const std::string& word) {
    size_t pos = word.size() > 1 && (word[0] == '+' || word[0] == '-') ? 1 : 0;
    if (pos == word.size()) return false;
    long long value = 0;
    for (; pos < word.size(); ++pos) {
        if (word[pos] < '0' || word[pos] > '9') return false;
        value = value * 10 + (word[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return false;
    }
    return word[0] == '-' ? -value >= INT_MIN : value <= INT_MAX;
}

std::string badNumberMessage(const std::string& record, const std::string& word) {
    return "Error while parsing item " + record + ". \"" + word + "\" is not a whole number from " +
           std::to_string(INT_MIN) + " to " + std::to_string(INT_MAX) + ".";
}
