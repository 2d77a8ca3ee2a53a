// The browser keeps written files in IndexedDB: the page mounts it at /save
// and loads it before the game starts; every written file is copied there
// and pushed to the browser at once.
#include "platform/Storage.h"

#include <emscripten.h>

#include <string>

#include "platform/FileRead.h"
#include "platform/FileWrite.h"
#include "platform/web/WebStorage.h"

namespace {

std::string savedPath(const char* path) {
    std::string name(path);
    const size_t slash = name.rfind('/');
    return "/save/" + (slash == std::string::npos ? name : name.substr(slash + 1));
}

bool copyFile(const std::string& from, const std::string& to) {
    std::string bytes;
    return fileread::readFile(from, fileread::kTextCap, bytes) && filewrite::writeFile(to, bytes);
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
    if (!copyFile(savedPath(path), path)) filewrite::writeFile(path, fresh);
}

} // namespace platform
