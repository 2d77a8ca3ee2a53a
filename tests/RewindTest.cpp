// Every tape played with drawing and without gives the same world after
// every pass, every grid square it changed is in the level's log, and a
// snapshot restored in the middle of a play replays the rest exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Tape.h"
#include "entities/Bomb.h"
#include "entities/Box.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "play/Snapshot.h"
#include "play/UndoHistory.h"

namespace fs = std::filesystem;

namespace {

struct TapeCase {
    fs::path folder;  // the data folder the tape plays in
    Tape tape;
};

std::vector<TapeCase> everyTape() {
    std::vector<TapeCase> cases;
    const fs::path root = fs::path(VORREL_SOURCE_DATA).parent_path();
    for (const char* top : {"tests/tapes", "data"})
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".tape") continue;
            fs::path dir = entry.path().parent_path();
            while (!fs::is_directory(dir / "gfx") && dir != dir.parent_path()) dir = dir.parent_path();
            cases.push_back({dir, loadTape(entry.path().string())});
        }
    return cases;
}

std::unique_ptr<Level> load(const Tape& tape) {
    return std::make_unique<Level>(tape.level, testsupport::screen(), &testsupport::sounds(), 1, false);
}

std::vector<uint16_t> framesOf(const Tape& tape) {
    std::vector<uint16_t> keys;
    for (const TapeRun& run : tape.runs) keys.insert(keys.end(), run.frames, run.keys);
    return keys;
}
std::vector<uint32_t> timesOf(const Tape& tape) {
    std::vector<uint32_t> times;
    for (const TapeRun& run : tape.runs) times.insert(times.end(), run.frames, run.dt);
    return times;
}

// The replay driver, keeping a snapshot of the world after every pass.
class SnapshotEveryPass : public ReplayDriver {
public:
    SnapshotEveryPass(const Tape& tape, Level& level) : ReplayDriver(tape, level), rewinder(level) {}
    void afterUpdates(unsigned pass, uint32_t dt) override {
        ReplayDriver::afterUpdates(pass, dt);
        states.emplace_back();
        rewinder.capture(states.back());
    }
    Rewinder rewinder;
    std::vector<Snapshot> states;
};

bool sameWorld(const Snapshot& a, const Snapshot& b) { return a.rules == b.rules && a.looks == b.looks; }

// The grid's squares as they stand: the cell and the cell's item of each.
std::vector<std::pair<const Cell*, const Item*>> gridOf(const Level& level) {
    std::vector<std::pair<const Cell*, const Item*>> squares;
    for (int r = 0; r < level.rowCount; ++r)
        for (int c = 0; c < level.columnCount; ++c) {
            const Cell* cell = level.cellAt(c, r);
            squares.push_back({cell, cell ? cell->item : nullptr});
        }
    return squares;
}

// Snapshots look only at the squares the level's log names: every square
// changed since the log began must be there. "" when it is.
std::string unloggedChange(const Level& level, const std::vector<std::pair<const Cell*, const Item*>>& first) {
    const std::vector<std::pair<const Cell*, const Item*>> now = gridOf(level);
    std::vector<bool> logged(now.size());
    for (uint32_t key : level.gridLog())
        if (key < logged.size()) logged[key] = true;
    for (size_t key = 0; key < now.size(); ++key)
        if (now[key] != first[key] && !logged[key])
            return "square " + std::to_string(key % level.columnCount) + "," + std::to_string(key / level.columnCount);
    return "";
}

bool boxFalling(const Level& level) {
    for (Item* item : level.items)
        if (item && item->isBox() && item->isFalling()) return true;
    return false;
}
bool bombBurning(const Level& level) {
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->burning()) return true;
    return false;
}

} // namespace

// Every tape of the project ends as its header says (CI runs this).
TEST(TapeFilesTest, EveryTapeEndsAsExpectedDrawnHeadlessAndFromSnapshots) {
    bool seen[3] = {};  // a snapshot taken mid-jump, with a bomb burning, with a box falling
    const std::vector<TapeCase> cases = everyTape();
    ASSERT_GE(cases.size(), 8u);
    for (const TapeCase& c : cases) {
        SCOPED_TRACE(c.tape.level);
        testsupport::InFolder in(c.folder);
        const bool select = c.tape.select >= 0;
        std::vector<Snapshot> drawn;
        int drawnOutcome;
        {
            auto level = load(c.tape);
            int page = c.tape.page, chosen = -1;
            SnapshotEveryPass driver(c.tape, *level);
            drawnOutcome = runPlayLoop(*level, page, select, &chosen, c.tape.select, &driver);
            if (driver.ranOut()) drawnOutcome = kUnfinished;
            drawn = std::move(driver.states);
        }
        EXPECT_EQ(outcomeName(drawnOutcome), c.tape.expect);
        ASSERT_FALSE(drawn.empty());

        auto level = load(c.tape);
        Rewinder rewinder(*level);
        const auto firstGrid = gridOf(*level);
        HeadlessPlay play(*level);
        // The undo key acts the same without a screen, given a history.
        UndoHistory history;
        history.attach(*level);
        bool undoes = false;
        for (const TapeRun& run : c.tape.runs) undoes = undoes || (run.keys & kUndoKeyBit);
        const std::vector<uint16_t> keys = framesOf(c.tape);
        const std::vector<uint32_t> times = timesOf(c.tape);
        ASSERT_GE(keys.size(), drawn.size());
        std::vector<std::pair<size_t, Snapshot>> marks;  // pass, world before it
        Snapshot now;
        PlayOutcome outcome;
        auto pass = [&](size_t p) {
            applyKeyMask(keys[p], play.keyboard.state);
            return play.pass(times[p], outcome, &history);
        };
        size_t p = 0;
        for (; p < drawn.size(); ++p) {
            const bool marks3[3] = {level->player->jumping, bombBurning(*level), boxFalling(*level)};
            // A snapshot restored behind the history's back would not match its steps.
            for (int k = 0; k < 3 && !undoes; ++k)
                if (marks3[k] && !seen[k] && marks.size() < 3) {
                    seen[k] = true;
                    marks.emplace_back(p, Snapshot{});
                    rewinder.capture(marks.back().second);
                }
            ASSERT_FALSE(pass(p)) << "pass " << p;
            rewinder.capture(now);
            ASSERT_TRUE(sameWorld(now, drawn[p])) << "pass " << p;
            ASSERT_EQ(unloggedChange(*level, firstGrid), "") << "pass " << p;
        }
        // The pass that ended the drawn play ends this one the same way (the
        // map's doors are the selection's, not the world's).
        if (!select && p < keys.size()) {
            EXPECT_TRUE(pass(p));
            EXPECT_EQ(static_cast<int>(outcome), drawnOutcome);
        }

        for (const auto& [from, snapshot] : marks) {
            SCOPED_TRACE("restored before pass " + std::to_string(from));
            rewinder.restore(snapshot);
            EXPECT_EQ(Item::currentLevel, level.get());
            for (size_t p = from; p < drawn.size(); ++p) {
                applyKeyMask(keys[p], play.keyboard.state);
                ASSERT_FALSE(play.pass(times[p], outcome));
                rewinder.capture(now);
                ASSERT_TRUE(sameWorld(now, drawn[p])) << "pass " << p;
                ASSERT_EQ(unloggedChange(*level, firstGrid), "") << "pass " << p;
            }
        }
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]) << "no tape jumps, burns a bomb and drops a box";
}

// As a search moves the world (Item::searching: the shown-only frames left,
// an item at rest keeping its last look at the cell under it; no history,
// so the update leaves the death to the end check), every pass leaves the
// rules as the game's passes do, through restores back and forth.
TEST(TapeFilesTest, SearchPassesLeaveTheRulesAsTheGamesDo) {
    struct Searching {
        Searching() { Item::searching = true; }
        ~Searching() { Item::searching = false; }
    };
    for (const TapeCase& c : everyTape()) {
        bool undoes = c.tape.select >= 0;
        for (const TapeRun& run : c.tape.runs) undoes = undoes || (run.keys & kUndoKeyBit);
        if (undoes) continue;
        SCOPED_TRACE(c.tape.level);
        testsupport::InFolder in(c.folder);
        const std::vector<uint16_t> keys = framesOf(c.tape);
        const std::vector<uint32_t> times = timesOf(c.tape);
        PlayOutcome outcome;
        std::vector<std::vector<uint8_t>> game;  // the rules after each pass
        {
            auto level = load(c.tape);
            Rewinder rewinder(*level);
            HeadlessPlay play(*level);
            UndoHistory history;
            history.attach(*level);
            Snapshot now;
            for (size_t p = 0; p < keys.size(); ++p) {
                applyKeyMask(keys[p], play.keyboard.state);
                if (play.pass(times[p], outcome, &history)) break;
                rewinder.captureRules(now);
                game.push_back(now.rules);
            }
            history.detach();
        }
        auto level = load(c.tape);
        Rewinder rewinder(*level);
        HeadlessPlay play(*level);
        Searching searching;
        Snapshot back, now;
        size_t backAt = 0;
        auto pass = [&](size_t p) {
            applyKeyMask(keys[p], play.keyboard.state);
            ASSERT_FALSE(play.pass(times[p], outcome)) << "pass " << p;
            rewinder.captureRules(now);
            ASSERT_EQ(now.rules, game[p]) << "pass " << p;
        };
        for (size_t p = 0; p < game.size(); ++p) {
            if (p % 40 == 20) {
                rewinder.captureRules(back);
                backAt = p;
            }
            ASSERT_NO_FATAL_FAILURE(pass(p));
            if (p % 40 != 39) continue;
            // Back twenty passes, from a capture of the world as it stands, and on again.
            rewinder.restoreRules(back, now);
            for (size_t q = backAt; q <= p; ++q) ASSERT_NO_FATAL_FAILURE(pass(q));
        }
    }
}
