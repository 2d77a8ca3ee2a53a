#include <gtest/gtest.h>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <vector>

namespace {

// A silent 44.1 kHz 16-bit stereo WAV file of the given number of frames.
std::string wav(uint32_t frames) {
    auto u32 = [](uint32_t v) {
        return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    };
    auto u16 = [](uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    const uint32_t bytes = frames * 4;
    return "RIFF" + u32(36 + bytes) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(2) + u32(44100) + u32(44100 * 4) +
           u16(4) + u16(16) + "data" + u32(bytes) + std::string(bytes, '\0');
}

void initAudio() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
}

TEST(AudioBank, EntriesKeepTheirIndicesAndLoadingStopsAtAnUnknownKind) {
    initAudio();
    testsupport::ScratchDir dir;
    dir.writeFile("zik/one.wav", wav(100));
    dir.writeFile("zik/three.wav", wav(100));
    dir.writeFile("zik/two.wav", wav(100));
    dir.writeFile("zik/four.wav", wav(200));
    dir.writeFile("zik/five.wav", wav(44100));
    dir.writeFile("zik/seven.wav", wav(100));
    dir.writeFile("zik/data.txt",
                  "M zik/one.wav\n"
                  "   F zik/two.wav extra words\n"
                  "\n"
                  "M zik/gone.wav\n"
                  "F\tzik/four.wav\r\n"
                  "M zik/three.wav\n"
                  "F zik/missing.wav\n"
                  "F zik/five.wav\n"
                  "m zik/seven.wav\n"
                  "F zik/seven.wav");
    SoundBank bank;
    EXPECT_EQ(bank.savedVolume, Mix_VolumeMusic(-1));
    testing::internal::CaptureStdout();
    bank.load("./zik/data.txt");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Unknown sound kind in ./zik/data.txt line 9: m zik/seven.wav\n");

    ASSERT_EQ(bank.music.size(), 3u);
    EXPECT_NE(bank.music[0], nullptr);
    EXPECT_EQ(bank.music[1], nullptr);  // missing file, place kept
    EXPECT_NE(bank.music[2], nullptr);
    ASSERT_EQ(bank.chunks.size(), 4u);
    ASSERT_NE(bank.chunks[0], nullptr);
    ASSERT_NE(bank.chunks[1], nullptr);
    EXPECT_EQ(bank.chunks[2], nullptr);
    ASSERT_NE(bank.chunks[3], nullptr);
    // Lengths tell the files apart: two.wav, four.wav, -, five.wav.
    EXPECT_EQ(bank.chunks[1]->alen, 2 * bank.chunks[0]->alen);
    EXPECT_GT(bank.chunks[3]->alen, bank.chunks[1]->alen);

    // Indices outside the arrays and null handles play nothing.
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    bank.playEffect(-1, 0);
    bank.playEffect(2, 0);
    bank.playEffect(4, 0);
    EXPECT_EQ(Mix_Playing(-1), 0);
    bank.playMusic(1);
    bank.playMusic(3);
    bank.fadeInMusic(-1, -1, 3000);
    bank.fadeInMusic(7, -1, 3000);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    bank.playEffect(3, 0);  // one second long
    EXPECT_GE(Mix_Playing(-1), 1);
    bank.playMusic(0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
}

TEST(AudioBank, MissingDataFileLeavesTheBankEmpty) {
    initAudio();
    testsupport::ScratchDir dir;
    SoundBank bank;
    testing::internal::CaptureStdout();
    bank.load("./zik/data.txt");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(bank.music.empty());
    EXPECT_TRUE(bank.chunks.empty());
    bank.playEffect(0, 0);
    bank.playMusic(0);
}

// Runs 20 ms frames with the volume keys checked each frame, like the play
// loop, and records every change of the music volume with its time.
struct VolumeKeys : ::testing::Test {
    void SetUp() override {
        initAudio();
        lastVolumeAction = 0;
        Mix_VolumeMusic(128);
        bank.savedVolume = 128;
    }
    void TearDown() override {
        lastVolumeAction = 0;
        Mix_VolumeMusic(128);
    }
    std::vector<int> run(int frames, std::vector<uint32_t>* times = nullptr) {
        std::vector<int> changes;
        for (int i = 0; i < frames; ++i) {
            input.clock.advance(20);
            const int before = Mix_VolumeMusic(-1);
            checkVolumeKeys(bank);
            if (Mix_VolumeMusic(-1) != before) {
                changes.push_back(Mix_VolumeMusic(-1));
                if (times) times->push_back(input.clock.now);
            }
        }
        return changes;
    }
    platform::VirtualInput input;
    SoundBank bank;
};

TEST_F(VolumeKeys, HoldingLAndMStepsByFiveToTheLimits) {
    input.keyboard.press(SDLK_l);
    std::vector<uint32_t> times;
    std::vector<int> down = run(200, &times);
    std::vector<int> expected;
    for (int v = 123; v >= 3; v -= 5) expected.push_back(v);
    expected.push_back(0);
    EXPECT_EQ(down, expected);
    ASSERT_GE(times.size(), 2u);
    EXPECT_EQ(times[0], 120u);  // more than 100 ms, frames of 20 ms
    EXPECT_EQ(times[1], 240u);
    EXPECT_EQ(bank.savedVolume, 0);

    // M wins when both are held.
    input.keyboard.press(SDLK_m);
    std::vector<int> up = run(200);
    expected.clear();
    for (int v = 5; v <= 125; v += 5) expected.push_back(v);
    expected.push_back(128);
    EXPECT_EQ(up, expected);
    EXPECT_EQ(bank.savedVolume, 128);
}

TEST_F(VolumeKeys, MuteTogglesOncePerSecondAndRestores) {
    Mix_VolumeMusic(60);
    bank.savedVolume = 60;
    input.keyboard.press(SDLK_PERIOD);
    std::vector<uint32_t> times;
    EXPECT_EQ(run(110, &times), (std::vector<int>{0, 60}));
    EXPECT_EQ(times, (std::vector<uint32_t>{1020, 2040}));
    EXPECT_EQ(bank.savedVolume, 60);

    // A step delays the next mute by the shared time stamp.
    input.keyboard.release(SDLK_PERIOD);
    input.keyboard.press(SDLK_m);
    EXPECT_EQ(run(6), (std::vector<int>{65}));
    const uint32_t stepped = lastVolumeAction;
    input.keyboard.release(SDLK_m);
    input.keyboard.press(SDLK_PERIOD);
    times.clear();
    const int frames = static_cast<int>(stepped + 1020 - input.clock.now) / 20;
    EXPECT_EQ(run(frames, &times), (std::vector<int>{0}));
    EXPECT_EQ(times, (std::vector<uint32_t>{stepped + 1020}));

    // With M and the full stop held, nothing happens within 100 ms of an
    // action; then the step comes first.
    input.keyboard.press(SDLK_m);
    EXPECT_TRUE(run(5).empty());
    EXPECT_EQ(run(1), (std::vector<int>{5}));
}

TEST_F(VolumeKeys, StepsWhileMutedReplaceTheSavedVolume) {
    // Raising while muted.
    Mix_VolumeMusic(60);
    bank.savedVolume = 60;
    bank.toggleMute();
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    input.keyboard.press(SDLK_m);
    EXPECT_EQ(run(6), (std::vector<int>{5}));
    EXPECT_EQ(bank.savedVolume, 5);
    input.keyboard.release(SDLK_m);

    // Lowering while muted keeps silence, and unmuting stays silent.
    bank.toggleMute();
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    input.keyboard.press(SDLK_l);
    run(6);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    EXPECT_EQ(bank.savedVolume, 0);
    input.keyboard.release(SDLK_l);
    bank.toggleMute();
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    input.keyboard.press(SDLK_m);
    EXPECT_EQ(run(6), (std::vector<int>{5}));
}

} // namespace
