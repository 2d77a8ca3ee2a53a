// Pinning SDL to a video driver that draws pictures, or to none.
#include "platform/VideoDriver.h"

#include <cstdlib>
#include <cstring>

namespace platform {

const char* const kVideoDrivers[] = {"x11", "fbcon", "directfb", "dummy", nullptr};

bool chooseVideoDriver(std::string& why) {
#ifdef __EMSCRIPTEN__
    (void)why;
    return true;  // the browser's canvas is the one driver there
#endif
    const char* named = std::getenv("SDL_VIDEODRIVER");
    if (named && *named) {
        for (const char* const* driver = kVideoDrivers; *driver; ++driver)
            if (!std::strcmp(named, *driver)) return true;
        why = std::string("the video driver ") + named + " is not one of ";
        for (const char* const* driver = kVideoDrivers; *driver; ++driver)
            why += std::string(driver == kVideoDrivers ? "" : ", ") + *driver;
        return false;
    }
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        setenv("SDL_VIDEODRIVER", "x11", 1);
        return true;
    }
    why = std::getenv("WAYLAND_DISPLAY") ? "no X display (DISPLAY is not set; WAYLAND_DISPLAY alone is not enough)"
                                         : "no display (DISPLAY is not set)";
    return false;
}

}  // namespace platform
