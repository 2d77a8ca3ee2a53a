#include <gtest/gtest.h>

#include <SDL/SDL_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "common/Lint.h"
#include "common/ShareCode.h"
#include "platform/FileRead.h"

namespace fs = std::filesystem;

namespace {

fs::path tapeFolder() { return fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes"; }

// The tools are built next to the test program.
fs::path tool(const char* name) { return fs::read_symlink("/proc/self/exe").parent_path() / name; }

struct ToolRun {
    std::string output;
    int status = -1;
};

// Runs a tool in a folder with the dummy drivers; standard error is dropped
// unless asked for.
ToolRun run(const fs::path& folder, const std::string& arguments, bool withErrors = false) {
    // The tools run where they are started: the suite's own data folder
    // setting is not theirs.
    std::string command = "cd '" + folder.string() +
                          "' && unset VORREL_DATA && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + arguments +
                          (withErrors ? " 2>&1" : " 2>/dev/null");
    ToolRun result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#define REQUIRE_TOOL(name)                                                               \
    if (!fs::exists(tool(name))) GTEST_SKIP() << name << " is not built next to the tests"

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// A data folder with a small valid level: walls around, the player on the
// floor, a goal; tileset image, player sheet, background and mask present.
struct LintFolder {
    LintFolder() {
        testsupport::screen();
        dir.writeImage("gfx/maski.png", 640, 480, 255, 255, 255);
        dir.writeImage("gfx/tileset.png", 864, 384, 90, 90, 90);
        dir.writeImage("gfx/tiles.png", 96, 32, 100, 100, 100);
        dir.writeImage("gfx/player.png", 576, 544, 200, 150, 50);
        dir.writeImage("gfx/back.png", 64, 64, 20, 20, 40);
        dir.writeFile("tiles.txt", "gfx/tiles.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n\xa7 1 2 0\n");
    }
    static std::string grid(int rows, int columns) {
        std::string text;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                text += (r == 0 || c == 0 || r == rows - 1 || c == columns - 1) ? '#' : '.';
            text += '\n';
        }
        return text;
    }
    std::vector<LintMessage> lint(const std::string& level) {
        dir.writeFile("test.lev", level);
        return lintLevel("test.lev", testsupport::screen(), nullptr);
    }
    testsupport::ScratchDir dir;
};

// Whether a message of that kind, line and text (a part of it) is listed.
bool has(const std::vector<LintMessage>& messages, const std::string& file, int line, bool error,
         const std::string& part) {
    for (const LintMessage& m : messages)
        if (m.file == file && m.line == line && m.error == error && m.text.find(part) != std::string::npos)
            return true;
    return false;
}

std::string dump(const std::vector<LintMessage>& messages) {
    std::string out;
    for (const LintMessage& m : messages) out += formatLintMessage(m) + "\n";
    return out;
}

} // namespace

TEST(LintTest, CleanLevelHasNothingToSay) {
    LintFolder folder;
    auto messages = folder.lint("tiles.txt\ngfx/back.png\n13 rows\n" + LintFolder::grid(13, 20) +
                                "plr 2 11\ngoal 15 11\ntreasure 8 11\nbomb 2\nbgitem 3 3 #\nbox 1 1\nwater 1 1\n");
    EXPECT_TRUE(messages.empty()) << dump(messages);
}

// A door is two cells tall: under a wall its top is drawn into the wall, on
// row 0 above the screen. Of two goals only the last is the exit.
TEST(LintTest, DoorsNeedHeadroomAndALevelOneGoal) {
    LintFolder folder;
    std::string grid = LintFolder::grid(13, 20);
    grid[21 * 10 + 15] = '#';  // over the goal at column 15, row 11
    auto messages = folder.lint("tiles.txt\ngfx/back.png\n13\n" + grid +
                                "plr 2 11\ngoal 15 11\ntreasure 8 11\ngoal 5 11\n");
    EXPECT_TRUE(has(messages, "test.lev", 18, false, "goal at column 15, row 11: the cell above it is not open"))
        << dump(messages);
    EXPECT_FALSE(has(messages, "test.lev", 20, false, "the cell above")) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 20, false,
                    "a second goal record: only the last goal record opens the level (the first is on line 18)"));
    EXPECT_EQ(messages.size(), 2u) << dump(messages);
    messages = folder.lint("tiles.txt\ngfx/back.png\n1\n#.#\nplr 1 0\ngoal 1 0\ntreasure 1 0\n");
    EXPECT_TRUE(has(messages, "test.lev", 6, false, "goal at column 1, row 0: the cell above it is not open"))
        << dump(messages);
}

TEST(LintTest, FindsEveryWarning) {
    LintFolder folder;
    // 14 rows of 21 cells; a byte without a prototype on grid line 2 (file
    // line 5); the player inside the wall; a treasure beyond column 19; an
    // item record whose word is no number; no goal; a missing tileset image,
    // the one error, since every cell would be drawn black.
    std::string grid = LintFolder::grid(14, 21);
    grid[22 + 5] = 'X';
    folder.dir.writeFile("tiles.txt", "gfx/none.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n");
    auto messages = folder.lint("tiles.txt\ngfx/back.png\n14\n" + grid + "treasure 20 5\nwooden_box 0 3\nplr 0 0\n");
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(), [](const LintMessage& m) { return m.error; }), 1)
        << dump(messages);
    EXPECT_TRUE(has(messages, "tiles.txt", 1, true, "\"gfx/none.png\" does not exist")) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 5, false, "grid byte 'X'"));
    EXPECT_TRUE(has(messages, "test.lev", 4, false, "has 21 cells; only the first 20 are visible"));
    EXPECT_FALSE(has(messages, "test.lev", 5, false, "visible"));  // that row has one cell fewer
    EXPECT_TRUE(has(messages, "test.lev", 17, false, "grid line 14 lies below the visible 13 rows"));
    EXPECT_TRUE(has(messages, "test.lev", 18, false, "treasure at column 20, row 5 lies outside the visible"));
    EXPECT_TRUE(has(messages, "test.lev", 19, false, "wooden_box at column 0, row 3 is inside a wall"));
    EXPECT_TRUE(has(messages, "test.lev", 20, false, "inside a wall"));
    EXPECT_TRUE(has(messages, "test.lev", 1, false, "no goal"));
    folder.dir.writeFile("tiles.txt", "gfx/tiles.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n\xa7 1 2 0\n");

    // Without a plr record the player starts at column 1, row 0: the top wall.
    messages = folder.lint("tiles.txt\ngfx/back.png\n13\n" + LintFolder::grid(13, 20) + "goal 3 11\n");
    EXPECT_TRUE(has(messages, "test.lev", 1, false, "column 1, row 0 (no plr record), inside a wall"))
        << dump(messages);
    // The file ends before the announced grid lines.
    messages = folder.lint("tiles.txt\ngfx/back.png\n15\n" + LintFolder::grid(13, 20));
    EXPECT_TRUE(has(messages, "test.lev", 16, false, "ends after 13 of 15 grid lines")) << dump(messages);
    // A blank line 3: the count is taken from the next line, as the loader takes it.
    messages = folder.lint("tiles.txt\ngfx/back.png\n \n1\n#.#\nplr 1 0\ngoal 1 0\n");
    EXPECT_TRUE(has(messages, "test.lev", 4, false, "line 3 is blank")) << dump(messages);
    EXPECT_FALSE(hasErrors(messages));
    messages = folder.lint("tiles.txt\ngfx/back.png\nmany\n#.#\n");
    EXPECT_TRUE(has(messages, "test.lev", 3, false, "does not begin with the number of grid lines"));
}

TEST(LintTest, ReportsEveryErrorWithTheLoadersMessage) {
    LintFolder folder;
    folder.dir.writeFile("tiles.txt", "gfx/tiles.png\n32 32\ngfx/player.png\n# 0 0 0\n. 1 1 0\n# 0 2 0\n");
    std::string grid = LintFolder::grid(4, 10);
    grid.insert(grid.size() - 1, "#");  // the fourth grid line is one byte longer
    auto messages = folder.lint("tiles.txt\ngfx/gone.png\n4\n" + grid +
                                "treasure 3 4 5\n\ngoal 30 2\nbomb -1\nbomb 2\nbgitem 1 1 Q\nplr 2 2\n");
    EXPECT_TRUE(has(messages, "tiles.txt", 6, true, "Identified -#- is not unique!.")) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 2, true, "Background gfx/gone.png not found."));
    EXPECT_TRUE(has(messages, "test.lev", 7, true,
                    "ERROR: Level must be rectanguar! The width of line 4doesn't match. (10 vs 11)"));
    EXPECT_TRUE(has(messages, "test.lev", 8, true, "Error while parsing item treasure with 3 attributes. Unknown item."));
    EXPECT_TRUE(has(messages, "test.lev", 9, true, "Error while parsing item  with 0 attributes. Unknown item."));
    EXPECT_TRUE(has(messages, "test.lev", 10, true, "goal at column 30, row 2. There is no such cell."));
    EXPECT_TRUE(has(messages, "test.lev", 11, true, "Negative bomb count -1."));
    EXPECT_TRUE(has(messages, "test.lev", 12, true, "defines no rubble cell"));
    EXPECT_TRUE(has(messages, "test.lev", 13, true, "bgitem with key Q. The tileset does not define it."));
    // Every error of the file is listed, not only the first the game meets.
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(), [](const LintMessage& m) { return m.error; }), 9)
        << dump(messages);

    folder.dir.writeFile("tiles.txt", "gfx/tiles.png\n32 32\ngfx/nobody.png\n# 0 0 0\n");
    messages = folder.lint("tiles.txt\ngfx/back.png\n1\n#\ngoal 0 0\n");
    EXPECT_TRUE(has(messages, "tiles.txt", 3, true, "Player sprite gfx/nobody.png not found.")) << dump(messages);
    // Without the two steps the game reads nothing further: not the player sheet either.
    folder.dir.writeFile("tiles.txt", "gfx/tiles.png\nbig steps\ngfx/player.png\n# 0 0 0\n");
    messages = folder.lint("tiles.txt\ngfx/back.png\n1\n#\ngoal 0 0\n");
    EXPECT_TRUE(has(messages, "tiles.txt", 3, true, "Player sprite  not found.")) << dump(messages);
    messages = folder.lint("missing.txt\ngfx/back.png\n0\n");
    EXPECT_TRUE(has(messages, "test.lev", 1, true, "Player sprite  not found.")) << dump(messages);
    // A number that is not whole, within int, with nothing after it: refused by
    // the loader with its one line, never read as another number.
    const std::string range = " is not a whole number from -2147483648 to 2147483647.";
    messages = folder.lint(
        "tiles.txt\ngfx/back.png\n1\n#\ntreasure 99999999999 -99999999999\ntreasure 5x 5\n"
        "bgitem 1e3 0 #\nbomb +\ngoal 0 -2147483648\n");
    EXPECT_TRUE(has(messages, "test.lev", 5, true, "item treasure. \"99999999999\"" + range)) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 6, true, "item treasure. \"5x\"" + range));
    EXPECT_TRUE(has(messages, "test.lev", 7, true, "item bgitem. \"1e3\"" + range));
    EXPECT_TRUE(has(messages, "test.lev", 8, true, "item bomb. \"+\"" + range));
    EXPECT_FALSE(has(messages, "test.lev", 9, true, "whole number"));
    std::remove("gfx/maski.png");
    messages = folder.lint("tiles.txt\ngfx/back.png\n0\n");
    EXPECT_TRUE(has(messages, "test.lev", 2, true, "Background mask ./gfx/maski.png not found.")) << dump(messages);
}

TEST(LintTest, OneDiagnosticPerFaultAndTheFirstCauseNamed) {
    LintFolder folder;
    // Grid line 3 one byte short: one error, not a second for the line after.
    // A UTF-8 character in the grid, control bytes shown escaped, two plr
    // records, no gem.
    std::string grid = LintFolder::grid(6, 20);
    grid.erase(2 * 21 + 3, 1);
    grid.replace(4 * 21 + 2, 2, "\xC2\xA7");
    auto messages = folder.lint("tiles.txt\ngfx/back.png\n6\n" + grid +
                                "plr 1 4\ngoal 2 4\nplr 3 4\nfr\x01g\n");
    EXPECT_TRUE(has(messages, "test.lev", 6, true, "The width of line 3doesn't match. (20 vs 19)")) << dump(messages);
    EXPECT_FALSE(has(messages, "test.lev", 7, true, "")) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 8, false, "save the file as Latin-1"));
    EXPECT_TRUE(has(messages, "test.lev", 12, false, "second plr record"));
    EXPECT_TRUE(has(messages, "test.lev", 1, false, "no gem"));
    EXPECT_NE(dump(messages).find("item fr\\x01g with 0"), std::string::npos) << dump(messages);

    // A tileset description that is missing says so once: no word about every grid byte.
    messages = folder.lint("gone.txt\ngfx/back.png\n6\n" + LintFolder::grid(6, 20) + "plr 1 4\ngoal 2 4\ntreasure 3 4\n");
    ASSERT_EQ(messages.size(), 1u) << dump(messages);
    EXPECT_TRUE(has(messages, "test.lev", 1, true, "\"gone.txt\" does not exist, so the game stops with: Player sprite  not found."));
    // No plr record, the start being fine otherwise.
    messages = folder.lint("tiles.txt\ngfx/back.png\n3\n#..\n#..\n###\ngoal 2 1\ntreasure 1 1\n");
    EXPECT_TRUE(has(messages, "test.lev", 1, false, "no plr record: the player starts at column 1, row 0"))
        << dump(messages);
    // A level file that cannot be used is named as such, with its cause.
    EXPECT_EQ(dump(lintLevel("nowhere.lev")), "nowhere.lev:1: error: the level file does not exist\n");
    EXPECT_EQ(dump(lintLevel(".")), ".:1: error: the level file is not a regular file\n");
    folder.dir.writeFile("nul.lev", std::string("tiles.txt\0\n", 11));
    EXPECT_EQ(dump(lintLevel("nul.lev")), "nul.lev:1: error: the level file is not text (it holds a NUL byte)\n");
}

TEST(LintTest, ToolPrintsFileLineKindAndExitsOneOnError) {
    REQUIRE_TOOL("vorrel-lint");
    LintFolder folder;
    folder.dir.writeFile("good.lev", "tiles.txt\ngfx/back.png\n13\n" + LintFolder::grid(13, 20) +
                                         "plr 2 11\ngoal 4 11\ntreasure 3 11\n");
    folder.dir.writeFile("bad.lev", "tiles.txt\ngfx/back.png\n2\n###\n##\nfrog 1\n");
    ToolRun good = run(folder.dir.path(), tool("vorrel-lint").string() + " good.lev");
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.output, "");
    ToolRun bad = run(folder.dir.path(), tool("vorrel-lint").string() + " good.lev bad.lev");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("bad.lev:5: error: ERROR: Level must be rectanguar! The width of line 2doesn't "
                              "match. (3 vs 2)\n"),
              std::string::npos)
        << bad.output;
    EXPECT_NE(bad.output.find("bad.lev:6: error: Error while parsing item frog with 1 attributes. Unknown item.\n"),
              std::string::npos);
    EXPECT_NE(bad.output.find("bad.lev:1: warning: the level has no goal\n"), std::string::npos);
    EXPECT_EQ(bad.output.find("Picture"), std::string::npos);  // the loader's own output is kept quiet

    // --print: the canonical text alone on standard output, or the problems.
    folder.dir.writeFile("untidy.lev", "tiles.txt\r\ngfx/back.png\n 13 rows\n" + LintFolder::grid(13, 20) +
                                           "plr\t2  11 \ngoal 4 11\ntreasure 3 11");
    ToolRun printed = run(folder.dir.path(), tool("vorrel-lint").string() + " --print untidy.lev");
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.output, "tiles.txt\ngfx/back.png\n13\n" + LintFolder::grid(13, 20) +
                                  "plr 2 11\ngoal 4 11\ntreasure 3 11\n");
    ToolRun refused = run(folder.dir.path(), tool("vorrel-lint").string() + " --print bad.lev");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("bad.lev:5: error:"), std::string::npos) << refused.output;
}

TEST(ReplayToolTest, ReportTraceAndExitStatuses) {
    REQUIRE_TOOL("vorrel-replay");
    const std::string replay = tool("vorrel-replay").string();
    ToolRun quit = run(tapeFolder(), replay + " --trace level/walk.lev walk-quit.tape");
    EXPECT_EQ(quit.status, 0);
    std::vector<std::string> out = lines(quit.output);
    ASSERT_EQ(out.size(), 26u + 5u) << quit.output;  // the Escape pass ends at its end check: no trace line
    EXPECT_EQ(out[0], "1 20 64.000 352.000 W");
    EXPECT_EQ(out[17], "18 20 96.000 352.000 -");
    EXPECT_EQ(std::vector<std::string>(out.end() - 5, out.end()),
              (std::vector<std::string>{"outcome Quit", "frames 27", "player 96.000 352.000", "treasures 0 0",
                                        "bombs 0"}));

    ToolRun expected = run(tapeFolder(), replay + " --expect Quit level/walk.lev walk-quit.tape");
    EXPECT_EQ(expected.status, 0);
    ToolRun other = run(tapeFolder(), replay + " --expect Completed level/walk.lev walk-quit.tape");
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.output, expected.output);

    ToolRun select = run(tapeFolder(), replay + " --select 5 --page 0 level/select.lev select-door.tape");
    EXPECT_EQ(select.status, 0);
    EXPECT_EQ(select.output, "outcome Completed\nframes 6\nplayer 128.000 64.000\ntreasures 0 0\nbombs 0\n"
                             "chosen 1\npage 0\n");

    testsupport::ScratchDir scratch;
    scratch.writeFile("bad.tape", "# fine\n3 20 right\n2 20 jump\n");
    scratch.writeFile("good.tape", "1 20\n");
    scratch.writeFile("broken.lev", "nothing.txt\ngfx/back.png\n0\n");
    ToolRun badTape = run(scratch.path(), replay + " " + (tapeFolder() / "level/walk.lev").string() + " bad.tape", true);
    EXPECT_EQ(badTape.status, 2);
    EXPECT_NE(badTape.output.find("bad.tape:3:"), std::string::npos) << badTape.output;
    EXPECT_NE(badTape.output.find("jump"), std::string::npos);
    EXPECT_EQ(run(scratch.path(), replay + " broken.lev").status, 2);
    EXPECT_EQ(run(scratch.path(), replay + " --speed 2 broken.lev good.tape").status, 2);
    EXPECT_EQ(run(scratch.path(), replay + " --expect Won broken.lev good.tape").status, 2);
    EXPECT_EQ(run(scratch.path(), replay + " --select many broken.lev good.tape").status, 2);
    EXPECT_EQ(run(scratch.path(), replay + " broken.lev missing.tape").status, 2);

    // Only a page the map can show: with 5 levels open that is page 0 alone,
    // and the refusal names it; the tape header is held to the same.
    ToolRun page = run(tapeFolder(), replay + " --select 5 --page 10 level/select.lev select-door.tape", true);
    EXPECT_EQ(page.status, 2);
    EXPECT_NE(page.output.find("page 10 is not one the map shows: with 5 levels open the page (the first door's "
                               "offset) is 0\n"),
              std::string::npos)
        << page.output;
    scratch.writeFile("page.tape", "# select 40\n# page 15\n1 20\n");
    ToolRun header = run(scratch.path(), replay + " --select 40 broken.lev page.tape", true);
    EXPECT_EQ(header.status, 2);
    EXPECT_NE(header.output.find("page.tape:2: page 15 is not one the map shows: with 40 levels open the page "
                                 "(the first door's offset) is 0, 10, 20, 30 or 40"),
              std::string::npos)
        << header.output;

    // A level that does not load: its first cause in one line, and the
    // game's failure status; the loader's own line where it names the fault.
    ToolRun broken = run(scratch.path(), replay + " broken.lev good.tape");
    EXPECT_EQ(broken.status, 3);
    EXPECT_EQ(broken.output, "broken.lev:1: error: the tileset description \"nothing.txt\" does not exist, so the game "
                             "stops with: Player sprite  not found.\n");
    ToolRun folder = run(scratch.path(), replay + " . good.tape");
    EXPECT_EQ(folder.status, 3);
    EXPECT_EQ(folder.output, ".:1: error: the level file is not a regular file\n");
}

TEST(RenderToolTest, StartPictureAndPictureAfterATape) {
    REQUIRE_TOOL("vorrel-render");
    testsupport::screen();
    testsupport::ScratchDir scratch;
    const std::string render = tool("vorrel-render").string();
    const fs::path start = fs::path(scratch.path()) / "start.png";
    const fs::path after = fs::path(scratch.path()) / "after.png";
    ASSERT_EQ(run(tapeFolder(), render + " level/walk.lev " + start.string()).status, 0);
    ASSERT_EQ(run(tapeFolder(), render + " level/walk.lev " + after.string() + " --tape walk-quit.tape").status, 0);

    // The player (orange in the test pictures) stands at x 64 at the start and
    // at x 96 after the tape; the heads-up display's white line is at y 417.
    auto orange = [](SDL_Surface* picture, int x, int y) {
        Uint8 r, g, b;
        testsupport::pixelRGB(picture, x, y, r, g, b);
        return r == 230 && g == 160 && b == 40;
    };
    SDL_Surface* loaded = IMG_Load(start.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* first = SDL_ConvertSurface(loaded, testsupport::screen()->format, 0);
    SDL_FreeSurface(loaded);
    loaded = IMG_Load(after.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* second = SDL_ConvertSurface(loaded, testsupport::screen()->format, 0);
    SDL_FreeSurface(loaded);
    EXPECT_EQ(first->w, 640);
    EXPECT_EQ(first->h, 480);
    EXPECT_TRUE(orange(first, 64 + 16, 352 + 16));
    EXPECT_FALSE(orange(first, 96 + 16, 352 + 16));
    EXPECT_TRUE(orange(second, 96 + 16, 352 + 16));
    EXPECT_FALSE(orange(second, 64 + 8, 352 + 16));
    Uint8 r, g, b;
    testsupport::pixelRGB(first, 10, 417, r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
    SDL_FreeSurface(first);
    SDL_FreeSurface(second);

    EXPECT_EQ(run(tapeFolder(), render + " level/walk.lev").status, 2);
    ToolRun page = run(tapeFolder(), render + " level/walk.lev " + start.string() + " --select 40 --page 1", true);
    EXPECT_EQ(page.status, 2);
    EXPECT_NE(page.output.find("page 1 is not one the map shows"), std::string::npos) << page.output;
    EXPECT_EQ(run(tapeFolder(), render + " level/walk.lev /nonexistent/dir/out.png").status, 5);
}

// The solver's report, exit statuses and tape: solved levels replay to
// Completed, a sealed gem is unsolvable, bad arguments and broken levels fail.
TEST(ToolsTest, SolveReportsAndWritesAReplayableTape) {
    REQUIRE_TOOL("vorrel-solve");
    REQUIRE_TOOL("vorrel-replay");
    testsupport::ScratchDir scratch;
    const std::string solve = tool("vorrel-solve").string();
    const std::string out = scratch.path() + "/out.tape";
    ToolRun solved = run(tapeFolder(), solve + " level/collect.lev " + out);
    ASSERT_EQ(solved.status, 0) << solved.output;
    std::vector<std::string> report = lines(solved.output);
    ASSERT_EQ(report.size(), 5u);
    EXPECT_EQ(report[0], "result solved");
    EXPECT_EQ(report[1].rfind("moves ", 0), 0u);
    EXPECT_EQ(report[2].rfind("passes ", 0), 0u);
    EXPECT_EQ(report[3].rfind("states ", 0), 0u);
    EXPECT_EQ(report[4].rfind("seconds ", 0), 0u);
    EXPECT_EQ(run(tapeFolder(), tool("vorrel-replay").string() + " --expect Completed level/collect.lev " + out).status, 0);

    ToolRun sealed = run(tapeFolder(), solve + " level/sealed.lev " + scratch.path() + "/none.tape");
    EXPECT_EQ(sealed.status, 1);
    EXPECT_EQ(sealed.output.rfind("result unsolvable\nstates ", 0), 0u) << sealed.output;
    EXPECT_FALSE(fs::exists(scratch.path() + "/none.tape"));
    EXPECT_EQ(run(tapeFolder(), solve + " --max-states 2 level/wasted-bomb.lev " + out).status, 4);
    EXPECT_EQ(run(tapeFolder(), solve + " --max-seconds x level/collect.lev " + out).status, 2);
    EXPECT_EQ(run(tapeFolder(), solve + " --threads 3 level/collect.lev " + out).status, 2);
    const std::string one = scratch.path() + "/one.tape";
    ASSERT_EQ(run(tapeFolder(), solve + " --threads 1 level/collect.lev " + one).status, 0);
    std::string twoText, oneText;
    ASSERT_TRUE(fileread::readFile(out, fileread::kTapeCap, twoText));
    ASSERT_TRUE(fileread::readFile(one, fileread::kTapeCap, oneText));
    EXPECT_EQ(oneText, twoText);
    EXPECT_EQ(run(tapeFolder(), solve + " level/collect.lev").status, 2);
    EXPECT_EQ(run(tapeFolder(), solve + " level/missing.lev " + out).status, 3);

    REQUIRE_TOOL("vorrel-lint");
    const std::string lint = tool("vorrel-lint").string() + " --solve ";
    ToolRun verdict = run(tapeFolder(), lint + "level/sealed.lev");
    EXPECT_EQ(verdict.status, 1);
    EXPECT_NE(verdict.output.find("level/sealed.lev:0: error: the solver finds no way"), std::string::npos)
        << verdict.output;
    EXPECT_EQ(run(tapeFolder(), lint + "level/collect.lev").output, "");
}

TEST(ShareToolTest, LinkDecodesToTheSameLevelAndAWinningTape) {
    REQUIRE_TOOL("vorrel-share");
    const fs::path data = VORREL_SOURCE_DATA;
    testsupport::ScratchDir out;
    const std::string share = tool("vorrel-share").string();
    ToolRun link = run(data, share + " link --base https://example.org/v.html level/main/level7.lev "
                                     "level/main/tapes/level7.tape");
    ASSERT_EQ(link.status, 0);
    ASSERT_EQ(link.output.rfind("https://example.org/v.html#play=1.", 0), 0u) << link.output;
    ASSERT_EQ(lines(link.output).size(), 1u);

    ToolRun decoded = run(data, share + " decode '" + link.output.substr(0, link.output.size() - 1) + "' " + out.path());
    ASSERT_EQ(decoded.status, 0);
    const std::vector<std::string> paths = lines(decoded.output);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(run(data, tool("vorrel-lint").string() + " --print " + paths[0]).output,
              run(data, tool("vorrel-lint").string() + " --print level/main/level7.lev").output);
    ToolRun replay = run(data, tool("vorrel-replay").string() + " --expect Completed " + paths[0] + " " + paths[1]);
    EXPECT_EQ(replay.status, 0) << replay.output;

    // A tape that does not win, and a level naming a file of its own, are not shared.
    EXPECT_EQ(run(data, share + " encode level/main/level7.lev level/main/tapes/level8.tape").status, 3);
    EXPECT_EQ(run(data, share + " encode level/main/level1.lev no.tape").status, 2);
    EXPECT_EQ(run(data, share + " link --base").status, 2);
    EXPECT_EQ(run(data, share + " decode 1.AAAA").status, 2);
}

TEST(ShareToolTest, BrokenCodesSayWhyAndWriteNothing) {
    REQUIRE_TOOL("vorrel-share");
    const fs::path data = VORREL_SOURCE_DATA;
    testsupport::ScratchDir out;
    const std::string decode = tool("vorrel-share").string() + " decode ";
    const std::string good = run(data, tool("vorrel-share").string() + " encode level/main/level3.lev").output;
    const std::string unloadable = "gfx/cave.txt\ngfx/bg_cave.png\n2\n...\n..\n";
    const std::string cases[][2] = {
        {"hello", "Not a level code"},
        {good.substr(0, good.size() - 6), "checksum"},
        {"7" + good.substr(1, good.size() - 2), "version 7"},
        {levelcode::frameLevelCode(std::string(), fileread::kTapeCap * 2, 0), "more than a level"},
        {encodeLevelCode(parseLevelText(unloadable), nullptr),
         "ERROR: Level must be rectanguar! The width of line 2doesn't match. (3 vs 2)"},
    };
    for (const auto& bad : cases) {
        ToolRun refused = run(data, decode + "'vorrel.html#play=" + bad[0] + "' " + out.path());
        EXPECT_EQ(refused.status, 3) << bad[1];
        EXPECT_EQ(lines(refused.output).size(), 1u) << refused.output;
        EXPECT_NE(refused.output.find(bad[1]), std::string::npos) << bad[1] << ": " << refused.output;
    }
    EXPECT_TRUE(fs::is_empty(out.path()));
    // A decoded file that cannot be written is refused before anything is made.
    const std::string code = good.substr(0, good.size() - 1);
    fs::create_directories(out.path() + "/" + levelcode::sharedName(code) + ".lev");
    EXPECT_EQ(run(data, decode + code + " " + out.path()).status, 5);
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);

    // The game refuses a damaged link in the same line, with the load failure status.
    ToolRun game = run(data, tool("vorrel").string() + " player --play 'vorrel.html#play=" + cases[1][0] + "'");
    EXPECT_EQ(game.status, 3);
    EXPECT_NE(game.output.find("checksum"), std::string::npos) << game.output;
}

// Every program takes --help and --version from the one parser; an unknown
// option is a usage error; nothing is written over a folder, and a recording
// that never started leaves the old tape as it was.
TEST(ToolsTest, CommandLinesAndWhatTheToolsWrite) {
    testsupport::ScratchDir scratch;
    for (const char* name :
         {"vorrel-replay", "vorrel-record", "vorrel-lint", "vorrel-render", "vorrel-solve", "vorrel-share", "vorrel-edit"}) {
        if (!fs::exists(tool(name))) continue;
        const std::string program = tool(name).string();
        ToolRun help = run(scratch.path(), program + " --help");
        EXPECT_EQ(help.status, 0) << name;
        EXPECT_EQ(help.output.rfind(std::string("usage: ") + name + " ", 0), 0u) << help.output;
        EXPECT_NE(help.output.find("--version"), std::string::npos) << help.output;
        ToolRun version = run(scratch.path(), program + " --version");
        EXPECT_EQ(version.status, 0) << name;
        EXPECT_EQ(version.output.rfind(std::string(name) + " 1.", 0), 0u) << version.output;
        EXPECT_EQ(run(scratch.path(), program + " --frobnicate a b").status, 2) << name;
    }

    REQUIRE_TOOL("vorrel-render");
    REQUIRE_TOOL("vorrel-record");
    // A write refused or failed has a status of its own, 5; the input and
    // what is not a regular file stay as they were.
    const std::string render = tool("vorrel-render").string() + " level/walk.lev ";
    EXPECT_EQ(run(tapeFolder(), render + "/dev/null").status, 5);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_directories(scratch.path() + "/folder.png");
    EXPECT_EQ(run(tapeFolder(), render + scratch.path() + "/folder.png").status, 5);
    EXPECT_TRUE(fs::is_empty(scratch.path() + "/folder.png"));
    const uintmax_t levelSize = fs::file_size(tapeFolder() / "level/walk.lev");
    EXPECT_EQ(run(tapeFolder(), render + "level/walk.lev").status, 5);
    EXPECT_EQ(fs::file_size(tapeFolder() / "level/walk.lev"), levelSize);
    if (fs::exists(tool("vorrel-solve"))) {
        ToolRun solve = run(tapeFolder(), tool("vorrel-solve").string() + " level/collect.lev /dev/null", true);
        EXPECT_EQ(solve.status, 5);
        EXPECT_EQ(solve.output, "vorrel-solve: cannot write /dev/null: it is not a regular file\n");
    }

    scratch.writeFile("old.tape", "5 20 right\n");
    EXPECT_EQ(run(scratch.path(), tool("vorrel-record").string() + " missing.lev old.tape").status, 3);
    std::string kept;
    EXPECT_TRUE(fileread::readFile(scratch.path() + "/old.tape", fileread::kTextCap, kept));
    EXPECT_EQ(kept, "5 20 right\n");
    // Nothing but the folder and the tape: no temporary file was left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 2);
}

// A display that cannot be opened, or a driver that would draw text in the
// terminal, ends the game, the editor and the recorder at once: one line, status 4.
TEST(ToolsTest, NoDisplayIsOneLineAndStatusFour) {
    testsupport::ScratchDir scratch;
    for (const char* setting : {"env -u SDL_VIDEODRIVER DISPLAY=:99 ", "SDL_VIDEODRIVER=aalib "}) {
        for (const char* name : {"vorrel", "vorrel-edit", "vorrel-record"}) {
            if (!fs::exists(tool(name))) continue;
            const std::string arguments = std::string(name) == "vorrel"        ? " tester"
                                          : std::string(name) == "vorrel-edit" ? " a.lev"
                                                                               : " a.lev b.tape";
            ToolRun ended = run(scratch.path(), setting + tool(name).string() + arguments, true);
            EXPECT_EQ(ended.status, 4) << name << " " << setting << ended.output;
            EXPECT_NE(ended.output.find(std::string(name) == "vorrel" ? "Unable to start the display: "
                                                                      : ": cannot open the display: "),
                      std::string::npos)
                << ended.output;
        }
    }
}

// Every manual page's SYNOPSIS names exactly the options the program's --help
// names (the launcher's page against the launcher).
TEST(ToolsTest, ManualSynopsesMatchHelp) {
    const fs::path source = fs::path(VORREL_SOURCE_DATA).parent_path();
    auto options = [](std::string text) {
        for (size_t at; (at = text.find("\\-")) != std::string::npos;) text.replace(at, 2, "-");
        std::vector<std::string> found;
        for (size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
            size_t end = at + 2;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-'))
                ++end;
            found.push_back(text.substr(at, end - at));
            at = end;
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    };
    const std::pair<const char*, fs::path> pages[] = {{"vorrel.6", fs::read_symlink("/proc/self/exe").parent_path() /
                                                                       "packaging/vorrel"},
                                                      {"vorrel-edit.6", tool("vorrel-edit")},
                                                      {"vorrel-lint.6", tool("vorrel-lint")},
                                                      {"vorrel-record.6", tool("vorrel-record")},
                                                      {"vorrel-render.6", tool("vorrel-render")},
                                                      {"vorrel-replay.6", tool("vorrel-replay")},
                                                      {"vorrel-solve.6", tool("vorrel-solve")},
                                                      {"vorrel-share.6", tool("vorrel-share")}};
    for (const auto& [page, program] : pages) {
        std::string man;
        ASSERT_TRUE(fileread::readFile((source / "packaging/man" / page).string(), fileread::kTextCap, man)) << page;
        const size_t from = man.find(".SH SYNOPSIS"), to = man.find(".SH", from + 1);
        ASSERT_NE(from, std::string::npos) << page;
        if (!fs::exists(program)) continue;
        ToolRun help = run(".", "sh -c '" + program.string() + " --help'");
        EXPECT_EQ(help.status, 0) << page;
        EXPECT_EQ(options(man.substr(from, to - from)), options(help.output)) << page << "\n" << help.output;
    }
}

// Started outside a data folder, a tool uses the one VORREL_DATA names (or
// the installed data), and the files given still mean the files given.
TEST(ToolsTest, ToolsOutsideTheDataFolderFindIt) {
    REQUIRE_TOOL("vorrel-lint");
    testsupport::ScratchDir scratch;
    std::string level;
    ASSERT_TRUE(fileread::readFile(VORREL_SOURCE_DATA "/level/main/level1.lev", fileread::kTextCap, level));
    scratch.writeFile("mine.lev", level);
    const std::string lint = tool("vorrel-lint").string() + " mine.lev";
    EXPECT_EQ(run(scratch.path(), "VORREL_DATA=" VORREL_SOURCE_DATA " " + lint).status, 0);
    EXPECT_EQ(run(scratch.path(), "VORREL_DATA=/nonexistent " + lint).status, 1);
}
