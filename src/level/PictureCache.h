#pragma once
// Pictures that every level load needs again (the item sheet, the player
// sheet, the tileset image, the backdrop mask) are decoded once and kept. A
// picture is found again by the exact bytes of its file, read anew at every
// request, so a file that changed is decoded afresh and one file reached by
// two paths is decoded once. The few most recently used pictures are kept.
#include <SDL/SDL.h>

#include <string>

// The picture in the file, decoded as IMG_Load decodes it; null when the file
// cannot be read or decoded. The surface is borrowed: it stays valid until
// the next call asks for pictures that push it out of the cache, so callers
// use it within one load and never free it.
SDL_Surface* cachedPicture(const std::string& path);
