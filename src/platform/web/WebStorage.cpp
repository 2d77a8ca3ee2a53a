// The browser keeps written files in IndexedDB: the page mounts it at /save
// and loads it before the game starts; every written file is copied there
// and pushed to the browser at once.
#include "platform/Storage.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/FileRead.h"
#include "platform/web/WebStorage.h"

namespace {

std::string savedPath(const char* path) {
    std::string name(path);
    const size_t slash = name.rfind('/');
    return "/save/" + (slash == std::string::npos ? name : name.substr(slash + 1));
}

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
// (one sync at a time), merged, and written back.
EM_JS(void, keepInBrowser, (const char* gamePath, const char* savedPath, int highest), {
    var game = UTF8ToString(gamePath), saved = UTF8ToString(savedPath);
    var write = function(file, text) {
        FS.writeFile(file + '.new', text);
        FS.rename(file + '.new', file);
    };
    var mine = FS.readFile(saved, {encoding: 'utf8'});
    Module.saving = (Module.saving || Promise.resolve()).then(function() {
        return new Promise(function(done) {
            FS.syncfs(true, function(error) {
                var kept = !error && FS.analyzePath(saved).exists ? FS.readFile(saved, {encoding: 'utf8'}) : '';
                var value = mine;
                if (highest && parseInt(kept, 10) > parseInt(mine, 10)) {
                    value = kept;
                    write(game, kept);
                }
                write(saved, value);
                FS.syncfs(false, function(error) {
                    if (error) console.log('The progress could not be saved in the browser: ' + error);
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
    const std::string saved = savedPath(path);
    if (!copyFile(path, saved)) return;
    keepInBrowser(path, saved.c_str(), highestPath == path);
}

void restoreSaved(const char* path, const char* fresh) {
    if (copyFile(savedPath(path), path)) return;
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return;
    std::fputs(fresh, out);
    std::fclose(out);
}

} // namespace platform
