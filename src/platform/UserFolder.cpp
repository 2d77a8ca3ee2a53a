// The player's own folders for the game.
#include "platform/UserFolder.h"

#include <cstdlib>

std::string userFolder(const char* variable, const char* underHome) {
    const char* set = std::getenv(variable);
    if (set && *set) return std::string(set) + "/vorrel";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/" + underHome + "/vorrel";
    return "";
}
