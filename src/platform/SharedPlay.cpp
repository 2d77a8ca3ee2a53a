// The desktop's end of a shared level: the game ends, as after a level file.
#include "platform/SharedPlay.h"

namespace platform {

SharedChoice afterSharedPlay(bool, bool) { return SharedChoice::Quit; }

void watchSolution(Level&, const std::string&) {}

} // namespace platform
