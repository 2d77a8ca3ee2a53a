// The campaign's own data: the selection map and every numbered level in
// data/level/main, loaded by the game's loader from the data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "entities/Goal.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "common/Lint.h"
#include "level/LevelText.h"
#include "level/LoadError.h"
#include "play/PlayLoop.h"
#include "common/Tape.h"

namespace fs = std::filesystem;

namespace {

using testsupport::dataFolder;

// The game reads every path relative to its data folder.
class InData {
public:
    InData() : previous(fs::current_path()) { fs::current_path(dataFolder()); }
    ~InData() { fs::current_path(previous); }

private:
    fs::path previous;
};

SoundBank& campaignSounds() {
    testsupport::screen();
    static SoundBank bank;
    return bank;
}

std::unique_ptr<Level> loadCampaignLevel(const std::string& path) {
    return std::make_unique<Level>(path, testsupport::screen(), &campaignSounds(), 1, false);
}

std::string levelPath(int n) { return "level/main/level" + std::to_string(n) + ".lev"; }

// Every numbered level present, from 1 up to the first missing number; the
// levels of the whole campaign are picked up as they are added.
std::vector<int> campaignLevels() {
    std::vector<int> numbers;
    for (int n = 1; fs::exists(dataFolder() / levelPath(n)); ++n) numbers.push_back(n);
    return numbers;
}

uint16_t keysOf(std::initializer_list<SDLKey> keys) {
    uint8_t state[SDLK_LAST] = {};
    for (SDLKey key : keys) state[key] = 1;
    return keyMaskOf(state);
}

// A replay driver that gives up once the play has settled: the player stands
// still with no action under way and nothing has moved for a while. Holding
// one direction can change nothing after that, so the rest of a long tape
// need not be played.
class SettlingDriver : public ReplayDriver {
public:
    SettlingDriver(const Tape& tape, Level& level) : ReplayDriver(tape, level), level(level) {}
    bool passStart(unsigned pass) override {
        const Player& p = *level.player;
        const bool busy = !p.idle();
        double itemSum = 0;
        for (Item* item : level.items) itemSum += item->x + 1000.0 * item->y;
        if (!busy && p.x == lastX && p.y == lastY && itemSum == lastItems) {
            if (++quiet >= 80) {
                settled = true;
                return false;
            }
        } else {
            quiet = 0;
        }
        lastX = p.x;
        lastY = p.y;
        lastItems = itemSum;
        return ReplayDriver::passStart(pass);
    }
    bool settled = false;

private:
    Level& level;
    double lastX = -1, lastY = -1, lastItems = -1;
    int quiet = 0;
};

// The outcome of holding the given keys for up to 3000 passes at 20 ms.
int holdOutcome(const std::string& path, uint16_t keys) {
    auto level = loadCampaignLevel(path);
    Tape tape;
    tape.runs.push_back(TapeRun{3000, 20, keys});
    int page = 0;
    SettlingDriver driver(tape, *level);
    PlayOutcome played = runPlayLoop(*level, page, false, nullptr, 0, &driver);
    if (driver.settled || driver.ranOut()) return kUnfinished;
    return played;
}

// Cells the player reaches from its start by walking, falling and ladders
// alone (no hop, no step up, no push), as (column, row) pairs.
std::set<std::pair<int, int>> walkableReach(Level& level) {
    auto supported = [&](int c, int r) {
        const Cell* below = level.cellAt(c, r + 1);
        return !level.isFree(c, r + 1, nullptr) || (below && below->ladder);
    };
    auto settle = [&](int c, int r) {
        while (!supported(c, r)) ++r;
        return std::make_pair(c, r);
    };
    std::set<std::pair<int, int>> seen;
    std::vector<std::pair<int, int>> open;
    auto visit = [&](std::pair<int, int> at) {
        const Cell* cell = level.cellAt(at.first, at.second);
        if (!cell || cell->deadly || !seen.insert(at).second) return;
        open.push_back(at);
    };
    visit(settle(static_cast<int>(level.player->x / 32), static_cast<int>(level.player->y / 32)));
    while (!open.empty()) {
        auto [c, r] = open.back();
        open.pop_back();
        for (int d : {-1, 1})
            if (level.isFree(c + d, r, nullptr)) visit(settle(c + d, r));
        const Cell* here = level.cellAt(c, r);
        if (here && here->ladder && level.isFree(c, r - 1, nullptr)) visit({c, r - 1});
        const Cell* below = level.cellAt(c, r + 1);
        if (below && below->ladder) visit(settle(c, r + 1));
    }
    return seen;
}

} // namespace

TEST(CampaignTest, EveryLevelLoadsFitsTheScreenAndLintsClean) {
    InData folder;
    const std::vector<int> levels = campaignLevels();
    ASSERT_GE(levels.size(), 15u);

    std::ifstream maxFile(dataFolder() / "level/main/absolute.max");
    int last = 0;
    ASSERT_TRUE(maxFile >> last);
    // Every door of the map leads to a level.
    EXPECT_EQ(last, static_cast<int>(levels.size()));
    // No numbered level lies past the campaign's end, where no door leads.
    EXPECT_FALSE(fs::exists(dataFolder() / levelPath(last + 1)));

    std::vector<std::string> paths = {"level/main/select.lev"};
    for (int n : levels) paths.push_back(levelPath(n));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        for (const LintMessage& message : lintLevel(path, testsupport::screen(), &campaignSounds()))
            ADD_FAILURE() << formatLintMessage(message);
        try {
            auto level = loadCampaignLevel(path);
            EXPECT_EQ(level->rowCount, 13);
            EXPECT_EQ(level->columnCount, 20);
            for (const auto& row : level->grid) EXPECT_EQ(row.size(), 20u);
            int goals = 0;
            for (Item* item : level->items)
                if (dynamic_cast<Goal*>(item)) ++goals;
            EXPECT_EQ(goals, 1);
            const Cell* start =
                level->cellAt(static_cast<int>(level->player->x / 32), static_cast<int>(level->player->y / 32));
            ASSERT_NE(start, nullptr);
            EXPECT_TRUE(start->passable && !start->deadly);
            if (path != paths.front()) {
                EXPECT_FALSE(level->treasures.empty());
            }
        } catch (const LoadError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

// From the sixth level on, no level gives way to simply holding one
// direction, with or without X. One test per level, so they can run side by
// side.
class CampaignHoldTest : public ::testing::TestWithParam<int> {};

TEST_P(CampaignHoldTest, HoldingOneDirectionDoesNotSolveIt) {
    InData folder;
    const std::pair<const char*, uint16_t> strategies[] = {
        {"right", keysOf({SDLK_RIGHT})},
        {"left", keysOf({SDLK_LEFT})},
        {"right+x", keysOf({SDLK_RIGHT, SDLK_x})},
        {"left+x", keysOf({SDLK_LEFT, SDLK_x})},
    };
    for (const auto& [name, keys] : strategies) {
        SCOPED_TRACE(levelPath(GetParam()) + " holding " + name);
        EXPECT_NE(holdOutcome(levelPath(GetParam()), keys), Completed);
    }
}

std::vector<int> laterLevels() {
    std::vector<int> out;
    for (int n : campaignLevels())
        if (n >= 6) out.push_back(n);
    return out;
}

INSTANTIATE_TEST_SUITE_P(Later, CampaignHoldTest, ::testing::ValuesIn(laterLevels()),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "level" + std::to_string(info.param);
                         });

TEST(CampaignTest, SettlingDriverStillSeesAWin) {
    // The first level is a walk down a hill to the right: holding right wins
    // it once the gem behind the start is taken, and the early stop must not
    // hide that.
    InData folder;
    auto level = loadCampaignLevel(levelPath(1));
    Tape tape = parseTape("1 20 left\n17 20\n1 20 left\n17 20\n3000 20 right\n");
    int page = 0;
    SettlingDriver driver(tape, *level);
    EXPECT_EQ(runPlayLoop(*level, page, false, nullptr, 0, &driver), Completed);
    EXPECT_FALSE(driver.settled);
    EXPECT_EQ(holdOutcome(levelPath(1), keysOf({SDLK_RIGHT})), kUnfinished);  // the gem behind is missed
}

TEST(CampaignTest, SelectionMapReachesEveryDoorAndBothEdges) {
    InData folder;
    auto map = loadCampaignLevel("level/main/select.lev");
    const std::set<std::pair<int, int>> reach = walkableReach(*map);
    bool left = false, right = false;
    for (const auto& [c, r] : reach) {
        left = left || c == 0;
        right = right || c == 19;
    }
    EXPECT_TRUE(left) << "the left page edge (column 0)";
    EXPECT_TRUE(right) << "the right page edge (column 19)";
    for (int column : {4, 7, 10, 13, 16}) {
        for (int row : {2, 7}) {
            SCOPED_TRACE("door at column " + std::to_string(column) + ", row " + std::to_string(row));
            EXPECT_EQ(reach.count({column, row}), 1u);
            // The door is drawn over these two cells: they must be open air.
            for (int r : {row - 1, row}) {
                const Cell* cell = map->cellAt(column, r);
                ASSERT_NE(cell, nullptr);
                EXPECT_TRUE(cell->passable && !cell->deadly && !cell->ladder && !cell->item);
            }
        }
    }
}

// The first door on the first page, and the last door on the map's last
// page, each entered by walking there.
TEST(CampaignTest, DoorTapesEnterTheFirstAndLastLevel) {
    InData folder;
    const std::pair<const char*, int> doors[] = {{"select-door1.tape", 1}, {"select-door40.tape", 40}};
    for (const auto& [name, number] : doors) {
        SCOPED_TRACE(name);
        Tape tape = loadTape((dataFolder() / "level/main/tapes" / name).string());
        ASSERT_EQ(tape.level, "level/main/select.lev");
        ASSERT_GE(tape.select, number);
        auto map = loadCampaignLevel(tape.level);
        ReplayOptions options;
        options.selectMode = true;
        options.available = tape.select;
        options.page = tape.page;
        ReplayResult result = replayTape(*map, tape, options);
        EXPECT_EQ(result.outcome, Completed);
        EXPECT_EQ(result.chosen, number);
        EXPECT_EQ(result.page, (number - 1) / 10 * 10);
    }
}

// No two levels share a layout, not even mirrored, and from level 16 on the
// play reaches into the top half of the screen: something to take, push or
// start from stands there.
TEST(CampaignTest, LayoutsAreTheirOwnAndUseTheWholeScreen) {
    std::vector<std::pair<int, std::vector<std::string>>> layouts;
    for (int n : campaignLevels()) {
        SCOPED_TRACE(levelPath(n));
        const LevelText text = readLevelText((dataFolder() / levelPath(n)).string());
        std::vector<std::string> grid, mirrored;
        for (const GridLine& line : text.grid) {
            grid.push_back(line.bytes);
            mirrored.emplace_back(line.bytes.rbegin(), line.bytes.rend());
        }
        for (const auto& [other, layout] : layouts) {
            EXPECT_NE(layout, grid) << "same layout as level " << other;
            EXPECT_NE(layout, mirrored) << "mirrored layout of level " << other;
        }
        layouts.emplace_back(n, grid);
        if (n < 16) continue;
        bool topHalf = false;
        for (const RecordLine& record : text.records) {
            const bool thing = record.name == "plr" || record.name == "treasure" || record.name == "goal" ||
                               record.name == "wooden_box" || record.name == "heavy_box";
            if (thing && record.attributes.size() >= 2 && std::atoi(record.attributes[1].c_str()) <= 5) topHalf = true;
        }
        EXPECT_TRUE(topHalf) << "nothing to play in rows 0 to 5";
    }
}

TEST(CampaignTest, EveryLevelHasItsSolutionTape) {
    for (int n : campaignLevels()) {
        SCOPED_TRACE(levelPath(n));
        const fs::path path = dataFolder() / ("level/main/tapes/level" + std::to_string(n) + ".tape");
        ASSERT_TRUE(fs::exists(path));
        Tape tape = loadTape(path.string());
        EXPECT_EQ(tape.level, levelPath(n));
        EXPECT_EQ(tape.expect, "Completed");
    }
}
