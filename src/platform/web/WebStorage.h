#pragma once
// The browser's copy of a written file back into the data folder at start.
namespace platform {

// Copies the kept copy of `path` over it, or, on a first visit, writes
// `fresh` there.
void restoreSaved(const char* path, const char* fresh);

} // namespace platform
