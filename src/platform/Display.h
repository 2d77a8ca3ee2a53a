#pragma once
// The window or full screen the finished picture is shown on. The game draws
// into a picture of its own fixed size; present() puts it on the screen,
// scaled by a whole factor (the browser has its own half of present, in
// web/WebDisplay.cpp).
#include <SDL/SDL.h>

#include "platform/Scaling.h"

namespace platform {

struct DisplayOptions {
    int scale = 0;  // 0: the largest that fits the desktop
    bool fullscreen = false;
};

// Opens the screen and returns the picture to draw on (owned by the display
// until closeDisplay), null when no video mode at all could be set. Falls
// back to an unscaled window when the display can do nothing better.
SDL_Surface* openDisplay(int w, int h, const DisplayOptions& options);
void closeDisplay();

// Shows the picture. A surface that is SDL's own screen (the tools open
// theirs directly) is simply flipped.
void present(SDL_Surface* picture);

// Window to full screen and back, keeping the picture.
void toggleFullscreen();
bool isFullscreen();
// Alt+Enter.
bool isFullscreenToggle(const SDL_Event& event);

// Where the picture is on the screen now (factor 1 at 0,0 without a display).
Placement placement();
// A point of the screen to the picture's pixel; false on the border around
// it (then the nearest edge pixel). Unchanged without a display of ours.
bool screenToPicture(int& x, int& y);

} // namespace platform
