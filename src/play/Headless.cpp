// A play without a screen, holding its own keys on the platform seam.
#include "play/Headless.h"

#include "level/Level.h"

HeadlessPlay::HeadlessPlay(Level& level)
    : level(level), previous(platform::installedKeyboard()), items(level.items.size()) {
    platform::setKeyboard(&keyboard);
}

HeadlessPlay::~HeadlessPlay() { platform::setKeyboard(previous); }
