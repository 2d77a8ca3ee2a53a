#pragma once
// Shared set-up of the fuzz harnesses: a headless screen, a scratch data
// folder holding the game's real pictures, and the splitting of one input
// into the several small files a harness feeds the game.
#include <SDL/SDL.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#ifndef VORREL_SOURCE_DATA
#error "VORREL_SOURCE_DATA must name the data folder"
#endif

namespace fuzzsupport {

inline SDL_Surface* openScreen() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO);
    return SDL_SetVideoMode(640, 480, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
}

inline void makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
}

inline void writeFile(const std::string& path, const std::string& text) {
    makeFolders(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh temporary folder, made the working directory, with the named data
// files copied from the repository's data folder (same relative paths).
inline std::string enterDataFolder(const std::vector<std::string>& files) {
    char name[] = "/tmp/vorrel-fuzz-XXXXXX";
    std::string dir = mkdtemp(name);
    if (chdir(dir.c_str()) != 0) std::abort();
    for (const std::string& file : files) writeFile(file, readFile(std::string(VORREL_SOURCE_DATA) + "/" + file));
    return dir;
}

// Only paths inside the scratch folder: a level naming /dev/zero or a file
// elsewhere on the machine says nothing about the game's loaders.
inline bool safePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return false;
    return path.find("..") == std::string::npos;
}

// The line with the given 0-based number ("" when the text is shorter).
inline std::string lineOf(const std::string& text, int number) {
    size_t start = 0;
    for (int i = 0; i < number; ++i) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) return "";
        start = end + 1;
    }
    size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Splits the input at lines "--8<--" into at most `parts` pieces.
inline std::vector<std::string> split(const uint8_t* data, size_t size, size_t parts) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string mark = "\n--8<--\n";
    std::vector<std::string> out;
    size_t start = 0;
    while (out.size() + 1 < parts) {
        size_t at = input.find(mark, start);
        if (at == std::string::npos) break;
        out.push_back(input.substr(start, at - start + 1));
        start = at + mark.size();
    }
    out.push_back(input.substr(start));
    while (out.size() < parts) out.emplace_back();
    return out;
}

} // namespace fuzzsupport
