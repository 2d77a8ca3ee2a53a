#pragma once
// Where written files are kept. On a desktop the file in the data folder is
// the record; in the browser it must also reach the browser's storage.
namespace platform {

// Called after a file the player's progress lives in has been written.
void fileWritten(const char* path);

} // namespace platform
