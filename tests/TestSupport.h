#pragma once
// Shared helpers for the tests: a real SDL video surface on the dummy driver,
// and a scratch working directory holding small data files made on the spot.
#include <SDL/SDL.h>

#include <filesystem>
#include <string>

class SoundBank;

namespace testsupport {

// SDL video on the dummy driver, 640x480 at 32 bits; made once per process.
SDL_Surface* screen();

// The game's data folder, absolute: VORREL_DATA when set (an installed
// copy), else the source tree's.
std::filesystem::path dataFolder();

// A fresh temporary folder that becomes the working directory while the
// object lives (the game reads every file relative to it).
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // Creates folders on the way as needed.
    void writeFile(const std::string& path, const std::string& content) const;
    // A picture file filled with one colour (BMP data: IMG_Load reads it
    // whatever the file name says). Returns false on failure.
    bool writeImage(const std::string& path, int width, int height, Uint8 r, Uint8 g, Uint8 b) const;
    bool writeSurface(const std::string& path, SDL_Surface* surface) const;
    const std::string& path() const { return dir; }

private:
    std::string dir;
    std::string previous;
};

// Makes a folder the working directory while the object lives, as the game
// runs in its data folder.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder) : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path previous;
};

// One empty sound bank for the whole process (the screen is opened first).
SoundBank& sounds();

// Reads a pixel of a 32-bit surface as r, g, b.
void pixelRGB(SDL_Surface* surface, int x, int y, Uint8& r, Uint8& g, Uint8& b);

} // namespace testsupport
