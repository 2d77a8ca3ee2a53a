#include "play/Headless.h"

HeadlessPlay::HeadlessPlay(Level& level) : level(level), previous(platform::installedKeyboard()) {
    platform::setKeyboard(&keyboard);
}

HeadlessPlay::~HeadlessPlay() { platform::setKeyboard(previous); }
