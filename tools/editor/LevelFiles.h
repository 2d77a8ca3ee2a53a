#pragma once
// The editor's files beside the level: the level itself, written atomically
// with the version the session opened kept as LEVEL.bak, the recovery file
// LEVEL.recover, the kept tape LEVEL.tape (or tapes/LEVEL.tape), and the
// folders a designer's levels are found in.
#include <ctime>
#include <string>
#include <vector>

#include "platform/FileWrite.h"

// Saves the level atomically. With backup, those bytes (the file as the
// session found it) are written to path + ".bak" first.
bool saveLevelFile(const std::string& path, const std::string& bytes, const std::string* backup, std::string& error);

std::string recoveryPath(const std::string& levelPath);
// LEVEL with ".tape" for ".lev" (".tape" added when it does not end in ".lev"),
// in the "tapes" folder beside the level when there is one.
std::string tapePathFor(const std::string& levelPath);

// Why nothing can be saved in the folder of path ("the folder X does not
// exist"), or empty when a save may be tried.
std::string folderRefusal(const std::string& path);
// The player's own levels: $XDG_DATA_HOME/vorrel/levels, by default
// ~/.local/share/vorrel/levels; empty when neither variable is set.
std::string playerLevelsFolder();

struct LevelFileEntry {
    std::string path;
    std::string name;
    unsigned long long size = 0;
    std::time_t time = 0;
};
// The regular ".lev" files of a folder, by name; none when it cannot be read.
std::vector<LevelFileEntry> listLevelFiles(const std::string& folder);
