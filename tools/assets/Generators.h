#pragma once
// The generators, each writing its files below the data folder `out`.
#include "ArtFile.h"

#include <string>

// Sprites: tileset, player sheet, font strip, status bar, arrows, stars.
void makeTileset(const ArtBook& art, const std::string& out);
void makePlayerSheet(const ArtBook& art, const std::string& out);
Canvas buildTileset(const ArtBook& art);
Canvas buildPlayerSheet(const ArtBook& art);
void makeFontStrip(const ArtBook& art, const std::string& out);
void makeLetters(const ArtBook& art, const std::string& out);
void makeHud(const ArtBook& art, const std::string& out);
void makeArrows(const ArtBook& art, const std::string& out);
void makeStars(const ArtBook& art, const std::string& out);

// Full-screen pictures and level backgrounds.
void makeBackgrounds(const ArtBook& art, const std::string& out);
void makeMasks(const ArtBook& art, const std::string& out);
void makeTitlePictures(const ArtBook& art, const std::string& out);
void makeMakerPicture(const ArtBook& art, const std::string& out);

// Effects and music from the note files in `musicDir`.
void makeSounds(const std::string& musicDir, const std::string& out);

// Writes a picture or throws.
void save(const Canvas& c, const std::string& path);

// Compares every file below `made` with its namesake below `kept` by
// content; prints the differences and returns 0 when there are none.
int compareFolders(const std::string& made, const std::string& kept);
