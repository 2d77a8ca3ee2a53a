#pragma once
// Where a tool runs: the game's data folder, as the game itself does.
#include <string>
#include <vector>

// When the working folder is no data folder (it has no "gfx" folder), moves
// into the one VORREL_DATA names, or else into the data installed beside the
// program (nothing for a program in a build folder), and makes
// each given path absolute first so it still names the file it named. A
// folder that holds "gfx" is never left.
void enterDataFolder(const std::vector<std::string*>& paths);
