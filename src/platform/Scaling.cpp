#include "platform/Scaling.h"

#include <cstdlib>

namespace platform {

int readScale(const char* word) {
    char* end = nullptr;
    const long n = std::strtol(word, &end, 10);
    return *word && !*end && n >= 1 && n <= kMaxScale ? static_cast<int>(n) : 0;
}

std::string scaleRefusal() { return "--scale needs a whole factor from 1 to " + std::to_string(kMaxScale); }

int fittingFactor(int limitW, int limitH, int w, int h) {
    if (w <= 0 || h <= 0 || limitW < w || limitH < h) return 0;
    const int byWidth = limitW / w, byHeight = limitH / h;
    return byWidth < byHeight ? byWidth : byHeight;
}

int windowFactor(int desktopW, int desktopH, int w, int h) {
    // Nine tenths leave room for the title bar and a panel.
    const int factor = fittingFactor(desktopW / 10 * 9, desktopH / 10 * 9, w, h);
    return factor > 0 ? factor : 1;
}

Placement centred(int screenW, int screenH, int w, int h) {
    Placement at;
    const int factor = fittingFactor(screenW, screenH, w, h);
    at.factor = factor > 0 ? factor : 1;
    at.x = (screenW - w * at.factor) / 2;
    at.y = (screenH - h * at.factor) / 2;
    if (at.x < 0) at.x = 0;
    if (at.y < 0) at.y = 0;
    return at;
}

bool toPicture(const Placement& at, int w, int h, int& x, int& y) {
    const int factor = at.factor > 0 ? at.factor : 1;
    const int dx = x - at.x, dy = y - at.y;
    const bool inside = dx >= 0 && dy >= 0 && dx < w * factor && dy < h * factor;
    x = dx < 0 ? 0 : dx >= w * factor ? w - 1 : dx / factor;
    y = dy < 0 ? 0 : dy >= h * factor ? h - 1 : dy / factor;
    return inside;
}

} // namespace platform
