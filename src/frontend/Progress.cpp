#include "frontend/Frontend.h"

#include <cstdio>
#include <sstream>

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/Storage.h"

const char* const kSelectionMapPath = "level/main/select.lev";
const char* const kLastLevelPath = "level/main/absolute.max";
const char* const kProgressPath = "level/main/progress.wp";

namespace {

template <typename Number>
int readNumbers(const char* path, Number* values, int count) {
    // A file refused as too large or not regular reads as a missing one.
    std::string text;
    fileread::readFile(path, fileread::kTextCap, text);
    std::istringstream in(text);
    int read = 0;
    while (read < count) {
        Number value;
        if (!(in >> value)) break;
        values[read++] = value;
    }
    return read;
}

bool reportUnwritable() {
    std::printf("Progress file %s could not be written.\n", kProgressPath);
    std::fflush(stdout);
    return false;
}

} // namespace

int readIntegers(const char* path, int* values, int count) { return readNumbers(path, values, count); }
int readIntegers(const char* path, unsigned* values, int count) { return readNumbers(path, values, count); }

int readProgress() {
    int value = 0;
    return readIntegers(kProgressPath, &value, 1) == 1 ? value : 0;
}

void readLastLevel() {
    int value = 0;
    if (readIntegers(kLastLevelPath, &value, 1) == 1) lastLevel = value;
}

std::string levelPath(int number) {
    return std::string("level") + "/" + "main" + "/" + "level" + std::to_string(number) + ".lev";
}

// The old file is replaced only by a complete, synced new one, so a crash or
// a power cut at any moment leaves either the old number or the new one.
bool writeProgress(int value) {
    if (!filewrite::writeFile(kProgressPath, std::to_string(value))) return reportUnwritable();
    platform::fileWritten(kProgressPath);
    return true;
}
