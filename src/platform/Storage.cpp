// On a desktop a written file is already where it is kept.
#include "platform/Storage.h"

namespace platform {

void fileWritten(const char*) {}
void fileRemoved(const char*) {}

} // namespace platform
