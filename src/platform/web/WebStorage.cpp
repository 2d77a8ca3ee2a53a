// The browser keeps written files in IndexedDB: the page mounts it at /save
// and loads it before the game starts; every file the atomic writer writes
// (or removes) is copied there by its name (or removed) and pushed to the
// browser at once.
#include "platform/Storage.h"

#include <dirent.h>
#include <emscripten.h>

#include <string>

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/web/WebStorage.h"

namespace {

const std::string kKept = "/save/";

std::string savedPath(const char* path) {
    std::string name(path);
    const size_t slash = name.rfind('/');
    return kKept + (slash == std::string::npos ? name : name.substr(slash + 1));
}

// The copies out of /save at start are no news for the browser.
bool quiet = false;

bool copyFile(const std::string& from, const std::string& to) {
    std::string bytes;
    quiet = true;
    const bool ok = fileread::readFile(from, fileread::kTextCap, bytes) && filewrite::writeFile(to, bytes);
    quiet = false;
    return ok;
}

bool isKept(const char* path) { return quiet || std::string(path).rfind(kKept, 0) == 0; }

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
    if (isKept(path)) return;
    keepInBrowser(path, savedPath(path).c_str(), highestPath == path, 0);
}

void fileRemoved(const char* path) {
    if (isKept(path)) return;
    keepInBrowser(path, savedPath(path).c_str(), 0, 1);
}

void restoreSaved(const char* path, const char* fresh) {
    if (copyFile(savedPath(path), path)) return;
    quiet = true;
    filewrite::writeFile(path, fresh);
    quiet = false;
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
