#pragma once
// The player's own folders for the game, found the freedesktop way.
#include <string>

// "$VARIABLE/vorrel", or "$HOME/UNDER_HOME/vorrel" when VARIABLE is unset or
// empty (XDG_CONFIG_HOME and ".config", XDG_DATA_HOME and ".local/share");
// empty when neither is set.
std::string userFolder(const char* variable, const char* underHome);
