#pragma once
// The browser's clock: stands still while the page's tab is hidden.
#include "platform/Platform.h"

namespace platform {

Clock& pausingClock();

} // namespace platform
