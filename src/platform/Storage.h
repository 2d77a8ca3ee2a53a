#pragma once
// Where written files are kept. On a desktop the file in the data folder is
// the record; in the browser it must also reach the browser's storage.
namespace platform {

// Called by the atomic writer after each file it has written, and after a
// written file was removed.
void fileWritten(const char* path);
void fileRemoved(const char* path);

} // namespace platform
