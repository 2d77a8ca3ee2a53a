#pragma once
// Where the game's fixed-size picture lands on the screen: whole factors only,
// so every pixel stays square and sharp. Pure arithmetic, shared by the
// desktop and the browser.

#include <string>

namespace platform {

// The largest factor "--scale N" may ask for.
constexpr int kMaxScale = 8;
// The factor a "--scale" word asks for, 1 to kMaxScale; 0 when it is none.
int readScale(const char* word);
// What a word that is none is told.
std::string scaleRefusal();

struct Placement {
    int factor = 1;
    int x = 0, y = 0;  // the picture's top-left corner on the screen
};

// The largest whole factor at which a w x h picture fits inside limitW x
// limitH; 0 when even 1 does not.
int fittingFactor(int limitW, int limitH, int w, int h);

// A window's default: the largest factor whose window fits nine tenths of
// the desktop, 1 when the desktop's size is unknown or small.
int windowFactor(int desktopW, int desktopH, int w, int h);

// A full screen of screenW x screenH: the largest factor that fits, centred.
Placement centred(int screenW, int screenH, int w, int h);

// A point on the screen back to the picture's pixel; false when it lies on
// the black border around the picture (it is then moved to the nearest edge
// pixel).
bool toPicture(const Placement& at, int w, int h, int& x, int& y);

} // namespace platform
