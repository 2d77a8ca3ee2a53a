// The browser keeps written files in IndexedDB: the page mounts it at /save
// and loads it before the game starts; every file the atomic writer writes
// (or removes) is copied there by its name (or removed) and pushed to the
// browser at once.
#include "platform/Storage.h"

#include <dirent.h>
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/FileRead.h"
#include "platform/web/WebStorage.h"

namespace {

const std::string kKept = "/save/";

std::string savedPath(const char* path) {
    std::string name(path);
    const size_t slash = name.rfind('/');
    return kKept + (slash == std::string::npos ? name : name.substr(slash + 1));
}

// The copies out of the storage at start: plain writes, which the browser
// need not hear of.
bool copyFile(const std::string& from, const std::string& to) {
    std::string bytes;
    if (!fileread::readFile(from, fileread::kTextCap, bytes)) return false;
    const std::string temp = to + ".new";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fclose(out) == 0 && ok;
    return ok && std::rename(temp.c_str(), to.c_str()) == 0;
}

} // namespace

namespace platform {
namespace {

std::string highestPath;

// Other tabs write the same storage: what it holds now is read in first
// (one sync at a time), merged, and written back. The copy is made here and
// not by the atomic writer: its fsync would push the storage out first.
EM_JS(void, keepInBrowser, (const char* gamePath, const char* savedPath, int highest, int removed), {
    var game = UTF8ToString(gamePath), saved = UTF8ToString(savedPath);
    var write = function(file, bytes) {
        FS.writeFile(file + '.new', bytes);
        FS.rename(file + '.new', file);
    };
    var number = function(bytes) { return parseInt(new TextDecoder().decode(bytes), 10); };
    var mine = removed ? null : FS.readFile(game);
    Module.saving = (Module.saving || Promise.resolve()).then(function() {
        return new Promise(function(done) {
            FS.syncfs(true, function(error) {
                var there = !error && FS.analyzePath(saved).exists;
                if (mine === null) {
                    if (there) FS.unlink(saved);
                } else {
                    var value = mine;
                    if (highest && there && number(FS.readFile(saved)) > number(mine)) {
                        value = FS.readFile(saved);
                        write(game, value);
                    }
                    write(saved, value);
                }
                FS.syncfs(false, function(error) {
                    if (error) console.log('A file could not be kept in the browser: ' + error);
                    if (Module.onSaved) Module.onSaved();
                    done();
                });
            });
        });
    });
});

} // namespace

void keepHighest(const char* path) { highestPath = path; }

void fileWritten(const char* path) {
    keepInBrowser(path, savedPath(path).c_str(), highestPath == path, 0);
}

void fileRemoved(const char* path) {
    keepInBrowser(path, savedPath(path).c_str(), 0, 1);
}

void restoreSaved(const char* path, const char* fresh) {
    if (copyFile(savedPath(path), path)) return;
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return;
    std::fputs(fresh, out);
    std::fclose(out);
}

void restoreKept(const char* folder, const char* except) {
    DIR* kept = opendir(kKept.c_str());
    if (!kept) return;
    while (const dirent* entry = readdir(kept)) {
        const std::string name = entry->d_name;
        // A ".new" is a copy the browser stopped writing halfway.
        const bool unfinished = name.size() > 4 && name.compare(name.size() - 4, 4, ".new") == 0;
        if (name == "." || name == ".." || name == except || unfinished) continue;
        copyFile(kKept + name, std::string(folder) + "/" + name);
    }
    closedir(kept);
}

} // namespace platform
