// The one atomic file writer: temporary file, fsync, rename, fsync of the folder.
#include "platform/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Storage.h"

namespace filewrite {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

namespace {

std::string targetOf(const std::string& path) {
    // A link is written through: the file it names gets the bytes and the
    // link stays a link. A dangling link names a file yet to be made.
    std::string target = path;
    for (int hops = 0; hops < 16; ++hops) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char buffer[4096];
        const ssize_t length = readlink(target.c_str(), buffer, sizeof buffer - 1);
        if (length <= 0) break;
        const std::string link(buffer, static_cast<size_t>(length));
        target = link[0] == '/' || folderOf(target) == "." ? link : folderOf(target) + "/" + link;
    }
    return target;
}

}  // namespace

std::string temporaryPathFor(const std::string& path) { return path + ".tmp" + std::to_string(getpid()); }

Atomic::Atomic(const std::string& named) : path(targetOf(named)), temporary(temporaryPathFor(path)) {
    struct stat info;
    const bool exists = !path.empty() && stat(path.c_str(), &info) == 0;
    if (path.empty() || (exists && !S_ISREG(info.st_mode))) {
        fail(path.empty() ? "no file name" : "not a regular file");
        return;
    }
    // Renaming over a read-only file would succeed (the folder allows it), and
    // so would writing as root: a file or folder without write bits is refused.
    struct stat folder;
    const std::string where = folderOf(path);
    if (exists && ((info.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0)) {
        fail("the file is read-only");
        return;
    }
    if (stat(where.c_str(), &folder) == 0 && ((folder.st_mode & 0222) == 0 || access(where.c_str(), W_OK) != 0)) {
        fail("the folder " + where + " is read-only");
        return;
    }
    // O_EXCL after the unlink: a link or FIFO someone left under the
    // temporary name is never written through.
    unlink(temporary.c_str());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        fail(std::strerror(errno));
        return;
    }
    // The new file keeps the old one's mode and, where we may, its owner.
    if (exists) {
        if (fchown(fd, info.st_uid, info.st_gid) != 0) {}
        fchmod(fd, info.st_mode & 07777);
    }
    out = fdopen(fd, "wb");
    if (!out) {
        fail(std::strerror(errno));
        close(fd);
        unlink(temporary.c_str());
    }
}

Atomic::~Atomic() {
    if (!out) return;
    std::fclose(out);
    unlink(temporary.c_str());
}

void Atomic::fail(const std::string& reason) {
    if (why.empty()) why = reason;
}

bool Atomic::commit() {
    if (!out) return false;
    errno = 0;
    bool ok = !std::ferror(out) && std::fflush(out) == 0;
    if (ok && fsync(fileno(out)) != 0) ok = false;
    if (!ok) fail(std::strerror(errno ? errno : EIO));
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        fail(std::strerror(errno));
    }
    out = nullptr;
    // Looked at again just before the rename: the target may have changed
    // kind while the bytes were written.
    struct stat info;
    if (ok && stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        ok = false;
        fail("not a regular file");
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        fail(std::strerror(errno));
    }
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable; the bytes are safe already if this fails.
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    platform::fileWritten(path.c_str());
    return true;
}

bool writeFile(const std::string& path, const std::string& bytes, std::string* error) {
    Atomic file(path);
    bool ok = file.file() && std::fwrite(bytes.data(), 1, bytes.size(), file.file()) == bytes.size();
    ok = ok && file.commit();
    if (!ok && error) *error = file.error().empty() ? std::strerror(errno ? errno : EIO) : file.error();
    return ok;
}

bool removeFile(const std::string& path) {
    const bool removed = std::remove(path.c_str()) == 0;
    if (removed) platform::fileRemoved(path.c_str());
    return removed;
}

}  // namespace filewrite
