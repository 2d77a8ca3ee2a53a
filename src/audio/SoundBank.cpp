#include "audio/SoundBank.h"

#include <iostream>
#include <sstream>

#include "platform/FileRead.h"

SoundBank::SoundBank() : savedVolume(Mix_VolumeMusic(-1)) {
    // Signed 16-bit little-endian stereo; whether the device opens is not
    // checked: without it the loads give null handles and nothing plays.
    Mix_OpenAudio(44100, 0x8010, 2, 1024);
}

SoundBank::~SoundBank() {
    for (Mix_Music* m : music)
        if (m) Mix_FreeMusic(m);
    for (Mix_Chunk* c : chunks)
        if (c) Mix_FreeChunk(c);
    music.clear();
    chunks.clear();
}

namespace {

// Only a regular file within the cap reaches the mixer: a FIFO would block
// its open, a device would be read forever, and a folder leaks the mixer's
// file handle. Anything else is taken as a missing file.
bool isSoundFile(const std::string& path) { return fileread::isReadable(path, fileread::kSoundCap); }

} // namespace

void SoundBank::load(const std::string& path) {
    std::string text;
    if (!fileread::readFile(path, fileread::kTextCap, text)) return;
    std::istringstream file(text);
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        std::istringstream words(line);
        std::string kind, name;
        if (!(words >> kind)) continue;  // blank line
        words >> name;
        // An entry without a path keeps its index like one whose file is missing.
        if (kind == "M") {
            music.push_back(name.empty() || !isSoundFile(name) ? nullptr : Mix_LoadMUS(name.c_str()));
        } else if (kind == "F") {
            chunks.push_back(name.empty() || !isSoundFile(name) ? nullptr
                                                               : Mix_LoadWAV_RW(SDL_RWFromFile(name.c_str(), "rb"), 1));
        } else {
            std::cout << "Unknown sound kind in " << path << " line " << number << ": " << line << std::endl;
            return;
        }
    }
}

void SoundBank::playEffect(int index, int loops) {
    if (index < 0 || static_cast<size_t>(index) >= chunks.size() || !chunks[index]) return;
    Mix_PlayChannelTimed(-1, chunks[index], loops, -1);
}

void SoundBank::playMusic(int index) {
    if (index < 0 || static_cast<size_t>(index) >= music.size() || !music[index]) return;
    Mix_PlayMusic(music[index], -1);
}

void SoundBank::fadeInMusic(int index, int loops, int ms) {
    if (index < 0 || static_cast<size_t>(index) >= music.size() || !music[index]) return;
    Mix_FadeInMusic(music[index], loops, ms);
}
