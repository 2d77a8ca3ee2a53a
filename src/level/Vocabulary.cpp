// The record table's look-ups and the one reading of a number attribute.
#include "level/Vocabulary.h"

#include <climits>

const RecordRule* findRecord(const std::string& name, size_t attributes) {
    for (const RecordRule& rule : kRecordRules)
        if (name == rule.name && attributes == rule.attributes) return &rule;
    return nullptr;
}

const RecordRule& ruleOf(Record kind) {
    for (const RecordRule& rule : kRecordRules)
        if (rule.kind == kind) return rule;
    return kRecordRules[0];
}

bool isPlacedRecord(const std::string& name) {
    for (const RecordRule& rule : kRecordRules)
        if (rule.placed && name == rule.name) return true;
    return false;
}

bool readNumberWord(const std::string& word, int& value, bool* whole) {
    value = 0;
    if (whole) *whole = false;
    size_t pos = 0;
    bool negative = false;
    if (pos < word.size() && (word[pos] == '+' || word[pos] == '-')) negative = word[pos++] == '-';
    long long magnitude = 0;
    bool digits = false, tooLarge = false;
    for (; pos < word.size() && word[pos] >= '0' && word[pos] <= '9'; ++pos) {
        digits = true;
        if (!tooLarge) magnitude = magnitude * 10 + (word[pos] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) tooLarge = true;
    }
    if (!digits) return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (!tooLarge && signedValue <= INT_MAX && signedValue >= INT_MIN) {
        value = static_cast<int>(signedValue);
        if (whole) *whole = pos == word.size();
    }
    return true;
}

int parseInt(const std::string& word) {
    int value = 0;
    readNumberWord(word, value);
    return value;
}
