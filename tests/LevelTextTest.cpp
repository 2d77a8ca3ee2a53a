// The level grammar and its writer: shipped levels are already canonical, and
// whatever parses comes back the same through the writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "level/LevelText.h"

namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

fs::path sourceRoot() { return fs::path(VORREL_SOURCE_DATA).parent_path(); }

} // namespace

TEST(LevelTextTest, ShippedLevelsAreCanonicalAndEverythingRoundTrips) {
    int shipped = 0, corpus = 0;
    for (const char* folder : {"data/level/main", "data/level/example", "data/level/test"})
        for (const auto& entry : fs::directory_iterator(sourceRoot() / folder))
            if (entry.path().extension() == ".lev") {
                const std::string bytes = bytesOf(entry.path());
                EXPECT_EQ(writeLevelText(parseLevelText(bytes)), bytes) << entry.path();
                ++shipped;
            }
    EXPECT_GE(shipped, 32);

    // Untidy layouts the parser takes: each must come back as the same level.
    std::vector<std::string> inputs = {
        "t.txt\r\nb.png\r\n2 rows here\r\n..#\r\n#..\r\nplr \t 1   2  \r\ngoal 3 4",
        "t.txt \nb.png\n\n  \n 1\n.\n\nbomb\t3\n",
        "t\r\r\nb\n9\n.#\n\xA7\xC3\xA9\n",
        "t\nb\n-1\n.\n.\n",
        "t\nb\nx3\n.\n",
        "t\nb\n99999999999\n.\n",
        "",
        "only\n\r",
    };
    for (const auto& entry : fs::directory_iterator(sourceRoot() / "fuzz" / "corpus" / "level")) {
        const std::string bytes = bytesOf(entry.path());
        inputs.push_back(bytes.substr(0, bytes.find("--8<--")));
        ++corpus;
    }
    EXPECT_GE(corpus, 4);
    for (const std::string& input : inputs) {
        const LevelText first = parseLevelText(input);
        const std::string written = writeLevelText(first);
        EXPECT_EQ(parseLevelText(written), first) << input;
        EXPECT_EQ(writeLevelText(parseLevelText(written)), written) << input;
    }

    // What the untidy spacing hides is kept and nothing more.
    const LevelText crlf = parseLevelText(inputs[0]);
    EXPECT_EQ(writeLevelText(crlf), "t.txt\nb.png\n2\n..#\n#..\nplr 1 2\ngoal 3 4\n");
    EXPECT_EQ(crlf.records[1].line, 7u);
    EXPECT_EQ(writeLevelText(parseLevelText(inputs[1])), "t.txt \nb.png\n1\n.\n\nbomb 3\n");
    EXPECT_EQ(parseLevelText(inputs[2]).tilesetPath, "t\r");
    EXPECT_TRUE(parseLevelText(inputs[2]).gridShort);
    EXPECT_EQ(parseLevelText(inputs[3]).grid.size(), 2u);
    EXPECT_TRUE(parseLevelText(inputs[4]).grid.empty() && parseLevelText(inputs[4]).records.empty());
}
