// The one atomic file writer: temporary file, fsync, rename, fsync of the folder.
#include "platform/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace filewrite {
namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string temporaryPathFor(const std::string& path) { return path + ".tmp" + std::to_string(getpid()); }

Atomic::Atomic(const std::string& path) : path(path), temporary(temporaryPathFor(path)) {
    struct stat info;
    if (path.empty() || (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))) {
        fail(path.empty() ? "no file name" : "not a regular file");
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
    return true;
}

bool writeFile(const std::string& path, const std::string& bytes, std::string* error) {
    Atomic file(path);
    bool ok = file.file() && std::fwrite(bytes.data(), 1, bytes.size(), file.file()) == bytes.size();
    ok = ok && file.commit();
    if (!ok && error) *error = file.error().empty() ? std::strerror(errno ? errno : EIO) : file.error();
    return ok;
}

}  // namespace filewrite
