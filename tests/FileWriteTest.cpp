// The one atomic writer: what it refuses, and that a failed write keeps the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/FileRead.h"
#include "platform/FileWrite.h"

namespace fs = std::filesystem;

TEST(FileWrite, ReplacesWholeOrNotAtAllAndNeverANonRegularFile) {
    testsupport::ScratchDir dir;
    std::string text, error;
    dir.writeFile("a.txt", "old");
    EXPECT_TRUE(filewrite::writeFile("a.txt", "new bytes"));
    EXPECT_TRUE(fileread::readFile("a.txt", fileread::kTextCap, text));
    EXPECT_EQ(text, "new bytes");

    // A folder, a FIFO and a device are never renamed over.
    fs::create_directories("folder");
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    for (const char* path : {"folder", "fifo", "/dev/null"}) {
        EXPECT_FALSE(filewrite::writeFile(path, "x", &error)) << path;
        EXPECT_EQ(error, "not a regular file") << path;
    }
    EXPECT_TRUE(fs::is_directory("folder"));
    EXPECT_TRUE(fs::is_fifo("fifo"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A missing folder, and a write dropped before its commit: the target is
    // as it was and no temporary file stays.
    EXPECT_FALSE(filewrite::writeFile("nowhere/a.txt", "x", &error));
    EXPECT_FALSE(error.empty());
    {
        filewrite::Atomic dropped("a.txt");
        ASSERT_NE(dropped.file(), nullptr);
        std::fputs("half", dropped.file());
    }
    EXPECT_TRUE(fileread::readFile("a.txt", fileread::kTextCap, text));
    EXPECT_EQ(text, "new bytes");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);
}

TEST(FileWrite, KeepsModeWritesThroughLinksRefusesReadOnly) {
    testsupport::ScratchDir dir;
    std::string text, error;
    struct stat info;
    dir.writeFile("a.txt", "old");
    chmod("a.txt", 0640);
    // Another owner can only be given (and kept) by root.
    const bool root = getuid() == 0;
    if (root) {
        ASSERT_EQ(chown("a.txt", 1, 1), 0);
    }
    ASSERT_TRUE(filewrite::writeFile("a.txt", "new"));
    ASSERT_EQ(stat("a.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 1u);
    }

    // Through a link, relative to the link's folder: the link stays a link.
    fs::create_directories("sub");
    fs::create_symlink("../a.txt", "sub/link.txt");
    ASSERT_TRUE(filewrite::writeFile("sub/link.txt", "through", &error)) << error;
    EXPECT_TRUE(fs::is_symlink("sub/link.txt"));
    EXPECT_TRUE(fileread::readFile("a.txt", fileread::kTextCap, text));
    EXPECT_EQ(text, "through");

    // Read-only, even to root: refused, the file as it was.
    chmod("a.txt", 0444);
    EXPECT_FALSE(filewrite::writeFile("a.txt", "x", &error));
    EXPECT_EQ(error, "the file is read-only");
    EXPECT_TRUE(fileread::readFile("a.txt", fileread::kTextCap, text));
    EXPECT_EQ(text, "through");
    chmod("sub", 0555);
    EXPECT_FALSE(filewrite::writeFile("sub/new.txt", "x", &error));
    EXPECT_EQ(error, "the folder sub is read-only");
    chmod("sub", 0755);
}
