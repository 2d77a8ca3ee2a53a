#include "TestSupport.h"

#include "audio/SoundBank.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

SDL_Surface* screen() {
    static SDL_Surface* surface = [] {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        SDL_Init(SDL_INIT_VIDEO);
        return SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    }();
    return surface;
}

ScratchDir::ScratchDir() {
    char name[] = "/tmp/vorrel-test-XXXXXX";
    dir = mkdtemp(name);
    previous = fs::current_path().string();
    fs::current_path(dir);
}

ScratchDir::~ScratchDir() {
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

void ScratchDir::writeFile(const std::string& path, const std::string& content) const {
    fs::path target = fs::path(dir) / path;
    fs::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << content;
}

bool ScratchDir::writeSurface(const std::string& path, SDL_Surface* surface) const {
    fs::path target = fs::path(dir) / path;
    fs::create_directories(target.parent_path());
    return SDL_SaveBMP(surface, target.c_str()) == 0;
}

bool ScratchDir::writeImage(const std::string& path, int width, int height, Uint8 r, Uint8 g, Uint8 b) const {
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0x00FF0000, 0x0000FF00,
                                                0x000000FF, 0);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, r, g, b));
    bool ok = writeSurface(path, surface);
    SDL_FreeSurface(surface);
    return ok;
}

void pixelRGB(SDL_Surface* surface, int x, int y, Uint8& r, Uint8& g, Uint8& b) {
    SDL_LockSurface(surface);
    Uint32 value = *reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * 4);
    SDL_UnlockSurface(surface);
    SDL_GetRGB(value, surface->format, &r, &g, &b);
}

std::filesystem::path dataFolder() {
    const char* named = std::getenv("VORREL_DATA");
    return std::filesystem::absolute(named ? std::filesystem::path(named) : std::filesystem::path(VORREL_SOURCE_DATA));
}

SoundBank& sounds() {
    screen();
    static SoundBank bank;
    return bank;
}

} // namespace testsupport

namespace {
// Headless by default: the dummy drivers and the repository's data folder,
// unless the environment already says otherwise.
const bool environmentDefaults = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("VORREL_DATA", VORREL_SOURCE_DATA, 0);
    return true;
}();
} // namespace
