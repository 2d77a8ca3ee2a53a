#pragma once
// What follows the play of a shared level (one from a level code). On the
// desktop the game ends, as after a level file; the browser's page offers to
// play it again, watch its solution or go to the campaign.
#include <string>

class Level;

namespace platform {

enum class SharedChoice { Again, Watch, Campaign, Quit };

// Asks once the play of a shared level has ended (won: it was won; solution:
// the code carries a tape to watch).
SharedChoice afterSharedPlay(bool won, bool solution);
// Plays the tape's runs over the level on screen at their own pace.
void watchSolution(Level& level, const std::string& tapeRuns);

} // namespace platform
