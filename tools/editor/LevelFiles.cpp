#include "editor/LevelFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FileRead.h"

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool writeAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (!ok) error = std::strerror(errno ? errno : EIO);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = std::strerror(errno);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = std::strerror(errno);
    }
    if (!ok) {
        std::remove(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the bytes are safe already if this fails.
    const int dir = open(folderOf(path).c_str(), O_RDONLY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

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
