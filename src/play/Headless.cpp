// A play without a screen, holding its own keys on the platform seam.
#include "play/Headless.h"

#include "entities/Item.h"
#include "level/Level.h"

HeadlessPlay::HeadlessPlay(Level& level)
    : level(level), previous(platform::installedKeyboard()), items(level.items.size()) {
    platform::setKeyboard(&keyboard);
    for (Item* item : level.items)
        if (item && !item->inert) movers.push_back(item);
}

HeadlessPlay::~HeadlessPlay() { platform::setKeyboard(previous); }
