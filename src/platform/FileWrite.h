#pragma once
// Every file the game and its tools write goes through here: the bytes go to
// a temporary file beside the target, are synced, and only then renamed over
// it, so a crash, a full disk or a stop at any moment leaves either the old
// file or the complete new one, never a mix. Both the game and the tools link
// this (the tools' own library is not linked by the game).
#include <cstdio>
#include <string>

namespace filewrite {

// The folder a path's file lies in ("." for a bare name).
std::string folderOf(const std::string& path);

// The temporary file a write of path goes through, in path's own folder.
std::string temporaryPathFor(const std::string& path);

// A file being written: fill file(), then commit(). Until it is committed the
// target is untouched; a write that is dropped removes its temporary file.
// Refuses a target that exists and is not a regular file (a folder, a device
// such as /dev/null, a FIFO): renaming over it would replace it. Refuses a
// read-only file or folder too, even to root. A symbolic link is written
// through to the file it names; the new file keeps the old one's mode and owner.
class Atomic {
public:
    explicit Atomic(const std::string& path);
    ~Atomic();
    Atomic(const Atomic&) = delete;
    Atomic& operator=(const Atomic&) = delete;

    // Null when the temporary file could not be made (see error()).
    std::FILE* file() const { return out; }
    // Flushes, syncs and renames; then syncs the folder so the rename lasts.
    bool commit();
    // Why the write failed, as strerror gives it (or "not a regular file").
    const std::string& error() const { return why; }

private:
    void fail(const std::string& reason);
    std::string path;
    std::string temporary;
    std::FILE* out = nullptr;
    std::string why;
};

// Writes the whole of bytes to path atomically. False with the reason in
// error (when given).
bool writeFile(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Removes path, and the browser's kept copy of it with it.
bool removeFile(const std::string& path);

}  // namespace filewrite

// The editor's and the tools' spelling of the same writer.
inline bool writeAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    return filewrite::writeFile(path, bytes, &error);
}
