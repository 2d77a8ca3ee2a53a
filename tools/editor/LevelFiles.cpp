// The editor's files beside the level, and the folders levels are found in.
#include "editor/LevelFiles.h"
#include "level/LevelText.h"
#include "platform/UserFolder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

bool saveLevelFile(const std::string& path, const std::string& bytes, const std::string* backup, std::string& error) {
    if (backup && !writeAtomically(path + ".bak", *backup, error)) {
        error = "cannot keep the opened version as " + path + ".bak: " + error;
        return false;
    }
    return writeAtomically(path, bytes, error);
}

std::string recoveryPath(const std::string& levelPath) { return levelPath + ".recover"; }

std::string tapePathFor(const std::string& levelPath) {
    const std::string tape = levelStem(levelPath) + ".tape";
    // A folder of levels with a tapes folder (the campaign's) keeps its tapes there.
    const size_t slash = tape.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : tape.substr(0, slash + 1);
    struct stat info;
    if (stat((folder + "tapes").c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return folder + "tapes/" + tape.substr(folder.size());
    return tape;
}

std::string folderRefusal(const std::string& path) {
    const std::string folder = filewrite::folderOf(path);
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return "the folder " + folder + " does not exist";
    if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
    return "";
}

std::string playerLevelsFolder() {
    const std::string folder = userFolder("XDG_DATA_HOME", ".local/share");
    return folder.empty() ? folder : folder + "/levels";
}

std::vector<LevelFileEntry> listLevelFiles(const std::string& folder) {
    std::vector<LevelFileEntry> files;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (levelStem(name) == name) continue;
        LevelFileEntry file;
        file.path = folder == "." ? name : folder + "/" + name;
        file.name = name;
        struct stat info;
        if (stat(file.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        file.size = static_cast<unsigned long long>(info.st_size);
        file.time = info.st_mtime;
        files.push_back(file);
    }
    closedir(dir);
    std::sort(files.begin(), files.end(),
              [](const LevelFileEntry& a, const LevelFileEntry& b) { return a.name < b.name; });
    return files;
}
