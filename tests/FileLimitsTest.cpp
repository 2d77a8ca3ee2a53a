#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "LevelTestData.h"
#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "frontend/Frontend.h"
#include "gfx/Surface.h"
#include "common/Lint.h"
#include "level/PictureCache.h"
#include "platform/FileRead.h"
#include "common/Tape.h"

using namespace leveldata;
using testsupport::ScratchDir;

// Files a shared level may name instead of real data: a FIFO (opening it
// would wait for a writer), a device without end, a folder, and files just
// over the caps. Every one must be refused at once, as a missing file is; a
// test that hangs here is a failure.

namespace {

struct FileLimits : ::testing::Test {
    FileLimits() {
        testsupport::screen();
        writeWorldPictures(dir);
        writeDescription(dir, kEntries);
        EXPECT_EQ(mkfifo("pipe", 0600), 0);
        EXPECT_EQ(mkdir("folder", 0700), 0);
    }
    // A file of the given size without writing its bytes (they read as zero).
    static void makeSized(const std::string& path, off_t size) {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
        ASSERT_EQ(truncate(path.c_str(), size), 0);
    }
    ScratchDir dir;
};

const char* const kLevelBody = "2\n#..#\n####\nplr 1 0";

TEST_F(FileLimits, ReadHelperTakesOnlyRegularFilesWithinTheCap) {
    std::string bytes = "left over";
    dir.writeFile("exact.txt", std::string(100, 'a'));
    EXPECT_TRUE(fileread::readFile("exact.txt", 100, bytes));
    EXPECT_EQ(bytes, std::string(100, 'a'));
    EXPECT_TRUE(fileread::isReadable("exact.txt", 100));
    dir.writeFile("empty.txt", "");
    EXPECT_TRUE(fileread::readFile("empty.txt", 100, bytes));
    EXPECT_EQ(bytes, "");

    dir.writeFile("over.txt", std::string(101, 'a'));
    for (const char* path : {"over.txt", "pipe", "folder", "/dev/zero", "missing.txt"}) {
        bytes = "left over";
        EXPECT_FALSE(fileread::readFile(path, 100, bytes)) << path;
        EXPECT_EQ(bytes, "") << path;
        EXPECT_FALSE(fileread::isReadable(path, 100)) << path;
    }
    // A link is followed to what it names.
    ASSERT_EQ(symlink("exact.txt", "link.txt"), 0);
    EXPECT_TRUE(fileread::readFile("link.txt", 100, bytes));
    ASSERT_EQ(symlink("pipe", "link-to-pipe"), 0);
    EXPECT_FALSE(fileread::readFile("link-to-pipe", 100, bytes));
}

TEST_F(FileLimits, LevelFilesThatAreNoFilesGiveTheMissingFileError) {
    const std::string missing = levelErrorOf("nothing.lev");
    EXPECT_EQ(missing, "Player sprite  not found.");
    EXPECT_EQ(levelErrorOf("pipe"), missing);
    EXPECT_EQ(levelErrorOf("/dev/zero"), missing);
    EXPECT_EQ(levelErrorOf("folder"), missing);

    // Exactly at the text cap the level loads; one byte more and it is refused.
    // The last record is padded with blanks, which it ignores.
    std::string text = std::string("desc.txt\nback.png\n") + kLevelBody;
    text += std::string(fileread::kTextCap - text.size(), ' ');
    dir.writeFile("full.lev", text);
    EXPECT_EQ(levelErrorOf("full.lev"), "");
    dir.writeFile("over.lev", text + " ");
    EXPECT_EQ(levelErrorOf("over.lev"), missing);
}

TEST_F(FileLimits, NamedFilesThatAreNoFilesKeepTheirSitesErrors) {
    // The tileset description.
    dir.writeFile("pipe-desc.lev", std::string("pipe\nback.png\n") + kLevelBody);
    EXPECT_EQ(levelErrorOf("pipe-desc.lev"), "Player sprite  not found.");
    dir.writeFile("zero-desc.lev", std::string("/dev/zero\nback.png\n") + kLevelBody);
    EXPECT_EQ(levelErrorOf("zero-desc.lev"), "Player sprite  not found.");

    // The background picture: a FIFO, a device, a folder, a file over the cap.
    makeSized("huge.png", static_cast<off_t>(fileread::kPictureCap) + 1);
    for (const std::string picture : {"pipe", "/dev/zero", "folder", "huge.png"}) {
        dir.writeFile("back.lev", "desc.txt\n" + picture + "\n" + kLevelBody);
        EXPECT_EQ(levelErrorOf("back.lev"), "Background " + picture + " not found.");
        EXPECT_EQ(cachedPicture(picture), nullptr) << picture;
    }

    // The player sheet and the tileset image named by the description.
    dir.writeFile("pipe-sheet.txt", std::string("tiles.png\n32 32\npipe\n") + kEntries);
    dir.writeFile("sheet.lev", std::string("pipe-sheet.txt\nback.png\n") + kLevelBody);
    EXPECT_EQ(levelErrorOf("sheet.lev"), "Player sprite pipe not found.");
    dir.writeFile("pipe-tiles.txt", std::string("pipe\n32 32\nplayer.png\n") + kEntries);
    dir.writeFile("tiles.lev", std::string("pipe-tiles.txt\nback.png\n") + kLevelBody);
    EXPECT_EQ(levelErrorOf("tiles.lev"), "");  // a tileset image that fails leaves its cells blank

    // A picture loaded by path says so once, as for a missing one.
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadImage("pipe"), nullptr);
    EXPECT_EQ(loadImage("/dev/zero"), nullptr);
    EXPECT_EQ(loadImage("huge.png"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Picture pipe not found.\nPicture /dev/zero not found.\nPicture huge.png not found.\n");
    SDL_Surface* normal = loadImage("back.png");
    EXPECT_NE(normal, nullptr);
    SDL_FreeSurface(normal);

    // The lint reads the same way and does not wait either.
    EXPECT_TRUE(hasErrors(lintLevel("pipe")));
    dir.writeFile("lint.lev", std::string("desc.txt\npipe\n") + kLevelBody);
    bool named = false;
    for (const LintMessage& message : lintLevel("lint.lev"))
        named = named || message.text == "Background pipe not found. (\"pipe\" is not a regular file)";
    EXPECT_TRUE(named);
}

TEST_F(FileLimits, SoundsNumbersAndTapesThatAreNoFilesReadAsMissing) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
    {
        SoundBank bank;
        bank.load("pipe");
        bank.load("/dev/zero");
        EXPECT_TRUE(bank.music.empty());
        EXPECT_TRUE(bank.chunks.empty());
        makeSized("huge.ogg", static_cast<off_t>(fileread::kSoundCap) + 1);
        dir.writeFile("data.txt", "M pipe\nM /dev/zero\nM huge.ogg\nF pipe\nF /dev/zero\nF folder\nF huge.ogg\n");
        bank.load("data.txt");
        ASSERT_EQ(bank.music.size(), 3u);  // places kept, nothing loaded
        ASSERT_EQ(bank.chunks.size(), 4u);
        for (Mix_Music* music : bank.music) EXPECT_EQ(music, nullptr);
        for (Mix_Chunk* chunk : bank.chunks) EXPECT_EQ(chunk, nullptr);
    }

    int values[2] = {7, 7};
    EXPECT_EQ(readIntegers("pipe", values, 2), 0);
    EXPECT_EQ(readIntegers("/dev/zero", values, 2), 0);
    EXPECT_EQ(readIntegers("folder", values, 2), 0);
    dir.writeFile("numbers.txt", "12 34");
    EXPECT_EQ(readIntegers("numbers.txt", values, 2), 2);
    EXPECT_EQ(values[1], 34);
    dir.writeFile("long-numbers.txt", "12 34" + std::string(fileread::kTextCap, ' '));
    EXPECT_EQ(readIntegers("long-numbers.txt", values, 2), 0);

    for (const char* path : {"pipe", "/dev/zero", "folder"}) {
        try {
            loadTape(path);
            ADD_FAILURE() << path << " read as a tape";
        } catch (const TapeError& error) {
            EXPECT_EQ(error.line, 0);
            EXPECT_EQ(std::string(error.what()), std::string("cannot read ") + path);
        }
    }
    dir.writeFile("short.tape", "3 20 right\n");
    EXPECT_EQ(loadTape("short.tape").frameCount(), 3u);
}

TEST_F(FileLimits, PositionsTooFarFromAnyGridAreRefused) {
    const std::string start = std::string("desc.txt\nback.png\n") + kLevelBody + "\n";
    const int farthest = static_cast<int>(fileread::kTextCap);
    // Far outside the grid but within reach: accepted as before.
    dir.writeFile("near.lev", start + "plr " + std::to_string(farthest) + " -" + std::to_string(farthest) +
                                  "\nbgitem -" + std::to_string(farthest) + " 3 #\nbgitem 40 2 a b\n");
    EXPECT_EQ(levelErrorOf("near.lev"), "");

    dir.writeFile("far.lev", start + "plr " + std::to_string(farthest + 1) + " 0\n");
    EXPECT_EQ(levelErrorOf("far.lev"),
              "Error while parsing item plr at column 1048577, row 0. The position is too far outside the level.");
    dir.writeFile("far.lev", start + "bgitem 0 -2147483648 #\n");
    EXPECT_EQ(levelErrorOf("far.lev"), "Error while parsing item bgitem at column 0, row -2147483648. "
                                       "The position is too far outside the level.");
    dir.writeFile("far.lev", start + "bgitem 2147483647 1 a b\n");
    EXPECT_EQ(levelErrorOf("far.lev"), "Error while parsing item bgitem at column 2147483647, row 1. "
                                       "The position is too far outside the level.");
    // Items standing in the grid keep their own message.
    dir.writeFile("far.lev", start + "treasure 2147483647 0\n");
    EXPECT_EQ(levelErrorOf("far.lev"),
              "Error while parsing item treasure at column 2147483647, row 0. There is no such cell.");
}

TEST_F(FileLimits, TilePlacesBeyondTheIntRangeStayBlank) {
    // 65536 * 65536 is 2^32: cut down to an int it would name the picture's
    // first column and copy that tile.
    dir.writeFile("wide.txt", "tiles.png\n65536 32\nplayer.png\n# 0 65536 0\n. 1 0 0\n");
    dir.writeFile("wide.lev", std::string("wide.txt\nback.png\n") + kLevelBody);
    Level level("wide.lev", testsupport::screen(), nullptr, 1, false);
    const Cell* wall = level.spriteTable.findPrototype('#');
    const Cell* open = level.spriteTable.findPrototype('.');
    ASSERT_TRUE(wall && wall->sprite && open && open->sprite);
    Uint8 r, g, b, r0, g0, b0;
    testsupport::pixelRGB(open->sprite, 5, 5, r0, g0, b0);
    tileColour(0, 0, r, g, b);
    EXPECT_EQ(r0, r);  // the first tile really is the one it would have copied
    EXPECT_EQ(b0, b);
    testsupport::pixelRGB(wall->sprite, 5, 5, r, g, b);
    EXPECT_FALSE(r == r0 && g == g0 && b == b0);
}

} // namespace
