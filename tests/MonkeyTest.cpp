// The monkey: random held-key sequences with frame times from 1 to 400 ms,
// seeded and so reproducible, through the real play loop on the selection
// map and every campaign level, with the world's invariants checked after
// every pass. The normal suite plays a short run; VORREL_MONKEY_PASSES sets
// the passes per level (the hardening stage plays 20000 under the
// sanitizers), VORREL_MONKEY_SEED the seed, and VORREL_MONKEY_SHARD=I/N
// plays only every Nth level from the Ith on, so that N processes share the
// levels (each level's run is the same whatever the sharding).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "audio/SoundBank.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Player.h"
#include "frontend/Frontend.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/Platform.h"
#include "play/PlayLoop.h"
#include "play/Snapshot.h"
#include "play/UndoHistory.h"
#include "common/Tape.h"

namespace fs = std::filesystem;

namespace {

using testsupport::InFolder;
using testsupport::sounds;

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoul(text, nullptr, 10);
}

// What must hold after every pass; empty when it does.
std::string brokenInvariant(const Level& level, const std::vector<size_t>& rowSizes) {
    std::ostringstream out;
    if (level.grid.size() != rowSizes.size()) return "the grid lost or gained rows";
    for (size_t r = 0; r < rowSizes.size(); ++r) {
        if (level.grid[r].size() != rowSizes[r]) {
            out << "row " << r << " changed its width";
            return out.str();
        }
        for (const Cell* cell : level.grid[r])
            if (!cell) return "a cell of the grid is missing";
    }
    // Exact area, with room for rounding.
    const double slack = 1e-6, margin = slack;
    const double right = 32.0 * (level.columnCount - 1), bottom = 32.0 * (level.rowCount - 1);
    auto inside = [&](double x, double y) {
        return x >= -margin && y >= -slack && x <= right + margin && y <= bottom + slack;
    };
    const Player& player = *level.player;
    if (!inside(player.x, player.y)) {
        out << "the player left the level at " << player.x << ", " << player.y;
        return out.str();
    }
    if (player.bombsUsed > player.bombs.size()) return "more bombs used than the level has";
    for (Item* item : level.items) {
        if (item->isDestroyed()) continue;
        if (!inside(item->x, item->y)) {
            out << "an item left the level at " << item->x << ", " << item->y;
            return out.str();
        }
        if (!item->isBox()) continue;
        const Box* box = static_cast<const Box*>(item);
        // A box rests in its own cell; falling, it holds the row it is
        // entering; in mid-push, its rounded column.
        int found = 0;
        bool own = false;
        for (int r = 0; r < level.rowCount; ++r)
            for (int c = 0; c < static_cast<int>(level.grid[r].size()); ++c)
                if (level.grid[r][c]->item == item) {
                    ++found;
                    const bool column = std::fabs(box->x / 32 - c) <= 0.5;
                    const bool row = box->y / 32 <= r && box->y / 32 >= r - 1 && (box->fallSpeed > 0 || box->y == 32.0 * r);
                    own = column && row;
                }
        if (found != 1 || !own) {
            out << "a box at " << box->x << ", " << box->y << " is registered in " << found
                << (found == 1 ? " cell, not its own" : " cells");
            return out.str();
        }
    }
    return "";
}

// Picks the keys and frame times: a key set held for 1 to 40 passes, Escape
// and R rarely, the undo key now and then, each pass its own frame time
// (mostly short, sometimes long). Every step back must put back exactly the
// snapshot the history took.
class Monkey : public PlayHooks {
public:
    Monkey(std::mt19937& random, unsigned long& pass, unsigned long limit, ReplayClock& clock,
           platform::ScriptedKeyboard& keyboard)
        : random(random), pass(pass), limit(limit), clock(clock), keyboard(keyboard) {}

    bool passStart(unsigned) override {
        if (pass >= limit || !failure.empty()) return false;
        if (held == 0) {
            held = 1 + random() % 40;
            keys = 0;
            const unsigned bits = random();
            for (int i = 0; i < 8; ++i)
                if ((bits >> i) & 1u && (random() % 3 == 0)) keys |= 1u << i;  // arrows, x, z, space, return
            if (random() % 400 == 0) keys |= 1u << 8;  // escape
            if (random() % 400 == 0) keys |= 1u << 9;  // r
            if (random() % 8 == 0) keys = kUndoKeyBit;
        }
        --held;
        applyKeyMask(static_cast<uint16_t>(keys), keyboard.state);
        // A pass whose end check ends the play is left out with its closing
        // sequence (seconds of frames that replay the same state): the play
        // starts again at once, which gives the passes to fresh plays.
        PlayOutcome outcome;
        if (checkPlayEnd(*level, keyboard.state, outcome)) return false;
        const unsigned roll = random() % 100;
        clock.arm(roll < 80 ? 1 + random() % 40 : 1 + random() % 400);
        ++pass;
        undone = history ? history->stepsBack() : 0;
        if (history && undoHeld(keyboard.state)) expected = history->stateBack(1);
        return true;
    }
    void afterUpdates(unsigned, uint32_t) override {
        if (failure.empty()) failure = brokenInvariant(*level, rowSizes);
        if (!failure.empty() || !history || history->stepsBack() == undone) return;
        rewinder->capture(now);
        if (now.rules != expected.rules || now.looks != expected.looks) failure = "a step back put back another world";
    }

    std::mt19937& random;
    unsigned long& pass;
    unsigned long limit;
    ReplayClock& clock;
    platform::ScriptedKeyboard& keyboard;
    Level* level = nullptr;
    UndoHistory* history = nullptr;  // none on the map
    std::unique_ptr<Rewinder> rewinder;
    Snapshot expected, now;
    unsigned long undone = 0;
    std::vector<size_t> rowSizes;
    unsigned held = 0;
    unsigned keys = 0;
    std::string failure;
};

using testsupport::dataFolder;

// The selection map and every numbered level present now.
std::vector<std::string> campaignLevels() {
    std::vector<std::string> levels = {kSelectionMapPath};
    std::map<int, std::string> numbered;
    for (const auto& entry : fs::directory_iterator(dataFolder() / "level" / "main")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("level", 0) != 0 || entry.path().extension() != ".lev") continue;
        const std::string digits = name.substr(5, name.size() - 9);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        numbered[std::stoi(digits)] = "level/main/" + name;
    }
    for (const auto& [number, path] : numbered) levels.push_back(path);
    return levels;
}

} // namespace

TEST(MonkeyTest, RandomPlaysKeepTheWorldWhole) {
    const unsigned long passes = envNumber("VORREL_MONKEY_PASSES", 60);
    const unsigned long seed = envNumber("VORREL_MONKEY_SEED", 20261208);
    unsigned long shard = 0, shards = 1;
    if (const char* text = std::getenv("VORREL_MONKEY_SHARD")) {
        ASSERT_EQ(std::sscanf(text, "%lu/%lu", &shard, &shards), 2) << "VORREL_MONKEY_SHARD is I/N";
        ASSERT_TRUE(shards > 0 && shard < shards) << "VORREL_MONKEY_SHARD is I/N with I below N";
    }
    InFolder folder(dataFolder());
    const std::vector<std::string> levels = campaignLevels();
    unsigned long stepsBack = 0;
    ASSERT_GE(levels.size(), 2u);
    for (size_t index = shard; index < levels.size(); index += shards) {
        const std::string& path = levels[index];
        const bool selectMode = index == 0;
        // One stream per level, so a level's run does not depend on the others.
        std::mt19937 random(static_cast<std::mt19937::result_type>(seed + 7919 * index));
        unsigned long pass = 0;
        ReplayClock clock;
        platform::ScriptedKeyboard keyboard;
        platform::setClock(&clock);
        platform::setKeyboard(&keyboard);
        std::string failure;
        int page = 0;
        // One history for the level's plays, as a campaign run keeps it.
        UndoHistory history;
        while (pass < passes && failure.empty()) {
            std::unique_ptr<Level> level;
            try {
                level = std::make_unique<Level>(path, testsupport::screen(), &sounds(), 1, false);
            } catch (const LoadError& error) {
                failure = std::string("load error: ") + error.what();
                break;
            }
            Monkey monkey(random, pass, passes, clock, keyboard);
            monkey.level = level.get();
            if (!selectMode) {
                monkey.history = &history;
                monkey.rewinder = std::make_unique<Rewinder>(*level);
            }
            for (const auto& row : level->grid) monkey.rowSizes.push_back(row.size());
            int chosen = -1;
            // The map's doors lead nowhere here: entering one just starts the map again.
            if (page < 0 || page > 1000) page = 0;
            runPlayLoop(*level, page, selectMode, selectMode ? &chosen : nullptr, 12, &monkey, &history);
            failure = monkey.failure;
        }
        platform::setClock(nullptr);
        platform::setKeyboard(nullptr);
        stepsBack += history.stepsBack();
        EXPECT_EQ(failure, "") << path << ": seed " << seed << ", pass " << pass
                               << " (rerun with VORREL_MONKEY_SEED=" << seed << " VORREL_MONKEY_PASSES=" << passes
                               << ")";
    }
    EXPECT_GT(stepsBack, 0u) << "the monkey never stepped back";
}
