#pragma once
// The editor's files beside the level: the level itself, written atomically
// with the previous version kept as LEVEL.bak, the recovery file
// LEVEL.recover, and the kept tape LEVEL.tape (or tapes/LEVEL.tape).
#include <string>

#include "platform/FileWrite.h"

// Saves the level: the file that was there becomes path + ".bak", then the
// new bytes replace it atomically.
bool saveLevelFile(const std::string& path, const std::string& bytes, std::string& error);

std::string recoveryPath(const std::string& levelPath);
// LEVEL with ".tape" for ".lev" (".tape" added when it does not end in ".lev"),
// in the "tapes" folder beside the level when there is one.
std::string tapePathFor(const std::string& levelPath);
