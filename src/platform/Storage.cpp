// On a desktop a written file is already where it is kept.
#include "platform/Storage.h"

namespace platform {

void fileWritten(const char*) {}

} // namespace platform
