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

void fileWritten(const char* path) {
    if (!copyFile(path, savedPath(path))) return;
    EM_ASM({
        FS.syncfs(false, function(error) {
            if (error) console.log('The progress could not be saved in the browser: ' + error);
            if (Module.onSaved) Module.onSaved();
        });
    });
}

void restoreSaved(const char* path, const char* fresh) {
    if (copyFile(savedPath(path), path)) return;
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return;
    std::fputs(fresh, out);
    std::fclose(out);
}

} // namespace platform
