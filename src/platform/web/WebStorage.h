#pragma once
// The browser's copy of a written file back into the data folder at start.
namespace platform {

// Copies the kept copy of `path` over it, or, on a first visit, writes
// `fresh` there.
void restoreSaved(const char* path, const char* fresh);

// Copies every kept file but `except` (a file name) into `folder`: the
// editor's levels, their tapes and recovery files.
void restoreKept(const char* folder, const char* except);

// The file holds one number that only ever grows (the highest door reached):
// when it is written, the larger of its value and the one kept in the
// browser (perhaps by another tab) wins, in both places.
void keepHighest(const char* path);

} // namespace platform
