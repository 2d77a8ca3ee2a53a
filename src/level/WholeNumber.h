#pragma once
// The numbers of item records: whole, within int, nothing after them. A word
// like "5x", "1e3" or "99999999999" is refused with one line rather than read
// as some other number (a wrapped coordinate would put a gem in the sky).
#include <cstddef>
#include <string>

#include "level/Vocabulary.h"

// True for an optional sign and decimal digits alone, within int.
bool isWholeNumber(const std::string& word);
// The loader's line for a word that is not.
std::string badNumberMessage(const std::string& record, const std::string& word);
