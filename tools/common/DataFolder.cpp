// Finding the data folder for tools started elsewhere.
#include "common/DataFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

bool isDataFolder(const std::string& folder) {
    struct stat info;
    return stat((folder + "/gfx").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

void enterDataFolder(const std::vector<std::string*>& paths) {
    if (isDataFolder(".")) return;
    const char* named = std::getenv("VORREL_DATA");
    std::string data = named && *named ? named : std::string();
    if (data.empty()) {
        // Beside an installed program lies the installed data; a program in
        // a build folder finds nothing there and stays where it was started.
        char program[4096];
        const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
        if (length <= 0) return;
        const std::string folder(program, static_cast<size_t>(length));
        data = folder.substr(0, folder.rfind('/')) + "/" + VORREL_DATA_FROM_BIN;
    }
    if (!isDataFolder(data)) return;
    char here[4096];
    if (!getcwd(here, sizeof here)) return;
    for (std::string* path : paths)
        if (path && !path->empty() && (*path)[0] != '/') *path = std::string(here) + "/" + *path;
    if (chdir(data.c_str()) != 0) return;
}
