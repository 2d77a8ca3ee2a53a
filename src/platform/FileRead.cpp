#include "platform/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace fileread {

namespace {

bool regularWithin(const struct stat& info, size_t cap) {
    return S_ISREG(info.st_mode) && info.st_size >= 0 && static_cast<unsigned long long>(info.st_size) <= cap;
}

} // namespace

bool isReadable(const std::string& path, size_t cap) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && regularWithin(info, cap);
}

FileCheck checkFile(const std::string& path, size_t cap) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? FileCheck::Missing : FileCheck::Unreadable;
    if (!S_ISREG(info.st_mode)) return FileCheck::NotRegular;
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > cap) return FileCheck::TooLarge;
    return access(path.c_str(), R_OK) == 0 ? FileCheck::Fine : FileCheck::Unreadable;
}

std::string describe(FileCheck check, size_t cap) {
    switch (check) {
    case FileCheck::Fine: return std::string();
    case FileCheck::Missing: return "does not exist";
    case FileCheck::NotRegular: return "is not a regular file";
    case FileCheck::TooLarge: return "is larger than " + std::to_string(cap) + " bytes, the most the game reads";
    default: return "cannot be read";
    }
}

std::string textRefusal(const std::string& path, size_t cap, std::string* bytes) {
    std::string own;
    std::string& read = bytes ? *bytes : own;
    if (!readFile(path, cap, read)) {
        const std::string why = describe(checkFile(path, cap), cap);
        return why.empty() ? describe(FileCheck::Unreadable, cap) : why;
    }
    if (read.find('\0') == std::string::npos) return std::string();
    read.clear();
    return "is not text (it holds a NUL byte)";
}

bool readFile(const std::string& path, size_t cap, std::string& bytes) {
    bytes.clear();
    // Looked at before opening: opening a FIFO waits for a writer, and
    // opening a device may have effects of its own.
    if (!isReadable(path, cap)) return false;
    // Non-blocking in case the path was swapped for a FIFO in between; the
    // opened file itself is checked again.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !regularWithin(info, cap)) {
        close(fd);
        return false;
    }
    // Read up to one byte past the cap: a file that grew since, or one whose
    // size the system does not tell, is still refused when too long.
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (got == 0) break;
        if (bytes.size() + static_cast<size_t>(got) > cap) {
            ok = false;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    if (!ok) {
        bytes.clear();
        bytes.shrink_to_fit();
    }
    return ok;
}

} // namespace fileread
