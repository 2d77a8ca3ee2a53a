#include "editor/LevelFiles.h"

#include <sys/stat.h>

#include "platform/FileRead.h"

bool saveLevelFile(const std::string& path, const std::string& bytes, std::string& error) {
    std::string previous;
    if (fileread::readFile(path, fileread::kTextCap, previous) &&
        !writeAtomically(path + ".bak", previous, error)) {
        error = "cannot keep the previous version as " + path + ".bak: " + error;
        return false;
    }
    return writeAtomically(path, bytes, error);
}

std::string recoveryPath(const std::string& levelPath) { return levelPath + ".recover"; }

std::string tapePathFor(const std::string& levelPath) {
    const std::string ext = ".lev";
    std::string tape = levelPath + ".tape";
    if (levelPath.size() > ext.size() && levelPath.compare(levelPath.size() - ext.size(), ext.size(), ext) == 0)
        tape = levelPath.substr(0, levelPath.size() - ext.size()) + ".tape";
    // A folder of levels with a tapes folder (the campaign's) keeps its tapes there.
    const size_t slash = tape.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : tape.substr(0, slash + 1);
    struct stat info;
    if (stat((folder + "tapes").c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return folder + "tapes/" + tape.substr(folder.size());
    return tape;
}
