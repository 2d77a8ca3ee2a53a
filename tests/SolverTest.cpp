// The solver's pieces that can break quietly: the state hash, the proof that
// a world can no longer be won, and levels that have no solution.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "common/Tape.h"
#include "entities/Bomb.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "play/Headless.h"
#include "solve/RelaxedMap.h"
#include "solve/Solver.h"

namespace fs = std::filesystem;

namespace {

fs::path tapeFolder() { return fs::path(VORREL_SOURCE_DATA).parent_path() / "tests" / "tapes"; }

std::unique_ptr<Level> load(const char* path) {
    return std::make_unique<Level>(path, testsupport::screen(), nullptr, 1, false);
}

SolveStatus solve(Level& level, const SolveLimits& limits = {}) {
    Solver solver(level, limits);
    while (solver.step(1000) == SolveStatus::Running) {
    }
    return solver.status();
}

} // namespace

TEST(SolverTest, HashFollowsTheRulesNotThePictures) {
    testsupport::InFolder in(tapeFolder());
    auto first = load("level/collect.lev");
    auto second = load("level/collect.lev");
    Snapshot a, b;
    Rewinder(*first).capture(a);
    Rewinder rewinder(*second);
    rewinder.capture(b);
    EXPECT_EQ(stateHash(a), stateHash(b));  // two loads, one state

    second->player->strips[WalkRight].currentFrame += 1;  // only shown
    rewinder.capture(b);
    EXPECT_EQ(stateHash(a), stateHash(b));
    EXPECT_NE(a.looks, b.looks);

    {
        HeadlessPlay play(*second);
        play.keyboard.press(SDLK_RIGHT);
        PlayOutcome outcome;
        for (int i = 0; i < 20; ++i) play.pass(20, outcome);
    }
    rewinder.capture(b);
    EXPECT_NE(stateHash(a), stateHash(b));
}

TEST(SolverTest, ProvesLostWorldsOnlyWhenNoBlastCanOpenTheWay) {
    testsupport::InFolder in(tapeFolder());
    auto sealed = load("level/sealed.lev");
    EXPECT_FALSE(Solver(*sealed).mayStillWin());
    auto open = load("level/collect.lev");
    EXPECT_TRUE(Solver(*open).mayStillWin());
    // Walled in, but with a bomb in the pocket that opens the wall.
    auto walled = load("level/wasted-bomb.lev");
    EXPECT_TRUE(Solver(*walled).mayStillWin());
    walled->player->bombsUsed = 1;
    EXPECT_FALSE(Solver(*walled).mayStillWin());
    // A wall three cells thick: the one blast, wherever it happens, opens
    // one of them; lost before the bomb is placed (the shortest search
    // asks; the default one only once a fuse burns).
    auto thick = load("level/thick-wall.lev");
    SolveLimits shortest;
    shortest.shortest = true;
    EXPECT_FALSE(Solver(*thick, shortest).mayStillWin());
}

// A bomb burning beyond the wall, where the player cannot go, and one in
// the pocket: the map opens what the burning one's blast swaps, whatever
// the player reaches (finding the floors once lost the burning bomb's cell).
TEST(SolverTest, TheMapOpensTheBurningBombsBlastBesideThePockets) {
    testsupport::InFolder in(tapeFolder());
    auto level = load("level/thick-wall-two.lev");
    level->player->bombs[0]->placeAt(10 * 32, 11 * 32);
    level->player->bombsUsed = 1;
    RelaxedMap map;
    map.build(*level);
    EXPECT_TRUE(map.open(9, 11));  // the wall's cell beside the bomb
    EXPECT_TRUE(map.open(7, 11));  // the pocket's blast from the player's side
}

TEST(SolverTest, LevelsWithoutASolutionAreUnsolvableAndSolvedOnesAreVerified) {
    testsupport::InFolder in(tapeFolder());
    for (const char* path : {"level/sealed.lev", "level/one-bomb-short.lev", "level/box-into-water.lev"}) {
        SCOPED_TRACE(path);
        auto level = load(path);
        EXPECT_EQ(solve(*level), SolveStatus::Unsolvable);
    }
    auto level = load("level/collect.lev");
    Item* const* items = level->items.data();
    Solver solver(*level);
    while (solver.step(100) == SolveStatus::Running) {
    }
    ASSERT_EQ(solver.status(), SolveStatus::Solved);
    EXPECT_GT(solver.moves(), 0u);
    // The level is left as it was loaded, the class-wide references too.
    EXPECT_EQ(level->items.data(), items);
    EXPECT_EQ(level->player->x, 64);
    EXPECT_EQ(Item::currentLevel, level.get());
    // A state limit reached first is no verdict.
    auto again = load("level/wasted-bomb.lev");
    SolveLimits tight;
    tight.maxStates = 3;
    EXPECT_EQ(solve(*again, tight), SolveStatus::Unknown);
    // Given more, a search stopped at its limit goes on to the verdict
    // (the editor's F6 again after "Not decided").
    auto collect = load("level/collect.lev");
    Solver stopped(*collect, tight);
    while (stopped.step(1) == SolveStatus::Running) {
    }
    ASSERT_EQ(stopped.status(), SolveStatus::Unknown);
    stopped.extend(SolveLimits{});
    while (stopped.step(100) == SolveStatus::Running) {
    }
    EXPECT_EQ(stopped.status(), SolveStatus::Solved);
    EXPECT_GT(stopped.states(), 3u);
}

// After a stall the world moves by at most kLongestFrame: a push caught by a
// second-long frame must not carry the rock over its next cell into the
// crate's. (Lives here beside the other headless plays.)
TEST(SolverTest, AStallInMidPushLeavesTheCrateItsCell) {
    testsupport::InFolder in(tapeFolder());
    auto level = load("level/push-stall.lev");
    Item* rock = level->cellAt(3, 11)->item;
    Item* crate = level->cellAt(5, 11)->item;
    ASSERT_TRUE(rock && crate);
    HeadlessPlay play(*level);
    play.keyboard.press(SDLK_RIGHT);
    PlayOutcome outcome;
    for (int i = 0; i < 200 && rock->x < 96 + 30; ++i) play.pass(20, outcome);
    ASSERT_GE(rock->x, 96 + 30);
    play.pass(1000, outcome);
    play.keyboard.release(SDLK_RIGHT);
    for (int i = 0; i < 50; ++i) play.pass(20, outcome);
    EXPECT_EQ(rock->x, 128);
    EXPECT_EQ(level->cellAt(4, 11)->item, rock);
    EXPECT_EQ(level->cellAt(5, 11)->item, crate);
}

// The wait is tried once per world at rest whatever the age of its fuses:
// that is safe only while an idle pass changes nothing the rules read but
// the fuses' ages (and, just before the blast, the bomb letting go of its
// cell, which changes the key). Checked at every settled pass with a fuse
// burning along a solution of a bomb level.
TEST(SolverTest, AnIdlePassAgesTheFusesAndNothingElse) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    auto level = load("level/main/level17.lev");
    Solver solver(*level);
    while (solver.step(1000) == SolveStatus::Running) {
    }
    ASSERT_EQ(solver.status(), SolveStatus::Solved);
    Rewinder rewinder(*level);
    Snapshot here, later;
    HeadlessPlay play(*level);
    PlayOutcome outcome;
    int checked = 0;
    for (const TapeRun& run : solver.tape().runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            if (solver.settled() && solver.idleKey() != 0) {
                rewinder.capture(here);
                const uint64_t key = solver.idleKey();
                int held = 0;
                for (const Bomb* bomb : level->player->bombs) {
                    const Cell* cell = level->cellAt(bomb->column, bomb->row);
                    held += bomb->burning() && cell && cell->item == bomb;
                }
                play.keyboard.releaseAll();
                play.pass(20, outcome);
                rewinder.capture(later);
                int stillHeld = 0;
                for (const Bomb* bomb : level->player->bombs) {
                    const Cell* cell = level->cellAt(bomb->column, bomb->row);
                    stillHeld += bomb->burning() && cell && cell->item == bomb;
                }
                if (solver.settled() && solver.idleKey() != 0 && stillHeld == held) {
                    EXPECT_EQ(solver.idleKey(), key);
                    EXPECT_NE(stateHash(later), stateHash(here));
                    ++checked;
                }
                rewinder.restore(here);
            }
            applyKeyMask(run.keys, play.keyboard.state);
            play.pass(run.dt, outcome);
        }
    EXPECT_EQ(outcome, Completed);
    EXPECT_GT(checked, 50);
}

// The wait skips the passes in which only the fuses burn: at every settled
// world with a fuse burning along each campaign level's tape, and the worlds
// one action on from there, the skipped passes must leave the rules byte
// for byte as the passes themselves do.
TEST(SolverTest, SkippedIdlePassesEqualThePassesOnEveryCampaignLevel) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    int checked = 0, levels = 0;
    for (int n = 1; fs::exists(fs::path(VORREL_SOURCE_DATA) / ("level/main/level" + std::to_string(n) + ".lev")); ++n) {
        const std::string name = "level" + std::to_string(n);
        auto level = load(("level/main/" + name + ".lev").c_str());
        const Tape tape = loadTape((fs::path(VORREL_SOURCE_DATA) / "level/main/tapes" / (name + ".tape")).string());
        Solver solver(*level);
        Rewinder rewinder(*level);
        Snapshot here, branch, passed, skipped;
        HeadlessPlay play(*level);
        PlayOutcome outcome;
        const int before = checked;
        // Compares the two ways from the settled world as it stands.
        auto check = [&] {
            const uint32_t idle = solver.idlePasses();
            play.keyboard.releaseAll();
            // A world the end check ends is no state of the search.
            if (!solver.settled() || idle == 0 || checkPlayEnd(*level, play.keyboard.state, outcome)) return;
            rewinder.capture(branch);
            bool ended = false;
            for (uint32_t i = 0; i < idle && !ended; ++i) ended = play.pass(20, outcome);
            rewinder.capture(passed);
            rewinder.restore(branch);
            solver.skipIdlePasses(idle);
            rewinder.capture(skipped);
            rewinder.restore(branch);
            EXPECT_FALSE(ended) << name;
            EXPECT_TRUE(passed.rules == skipped.rules) << name << " after " << idle << " idle passes";
            ++checked;
        };
        for (const TapeRun& run : tape.runs)
            for (uint32_t i = 0; i < run.frames; ++i) {
                if (solver.settled() && solver.idlePasses() > 0) {
                    rewinder.capture(here);
                    check();
                    // One action on: a key held for a pass, then none until the world settles.
                    for (int key : {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN}) {
                        play.keyboard.releaseAll();
                        play.keyboard.press(key);
                        bool ended = play.pass(20, outcome);
                        play.keyboard.releaseAll();
                        for (int p = 0; p < 300 && !ended && !solver.settled(); ++p) ended = play.pass(20, outcome);
                        if (!ended) check();
                        rewinder.restore(here);
                    }
                }
                applyKeyMask(run.keys, play.keyboard.state);
                play.pass(run.dt, outcome);
            }
        levels += checked > before;
    }
    EXPECT_GT(levels, 20);
    EXPECT_GT(checked, 1000);
}

TEST(SolverTest, AMemoryLimitEndsTheSearchAsUnknown) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    auto level = load("level/main/level40.lev");
    SolveLimits limits;
    limits.maxMemory = 0.5;
    Solver solver(*level, limits);
    while (solver.step(1000) == SolveStatus::Running) {
    }
    EXPECT_EQ(solver.status(), SolveStatus::Unknown);
    EXPECT_STREQ(solver.limitReached(), "memory");
    EXPECT_GT(solver.peakMemory(), 512u * 1024);
    EXPECT_LT(solver.peakMemory(), 2u * 1024 * 1024);
}

// The shortest search's bound never overestimates: with it the search finds
// as few actions as breadth-first search, which has no bound to be wrong.
// Every campaign level where breadth-first finishes quickly, and the test
// levels with ladders, jumps and gems.
TEST(SolverTest, TheBoundedShortestSearchMatchesBreadthFirst) {
    std::vector<std::pair<fs::path, std::string>> levels;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 20, 21, 23, 24, 30, 33})
        levels.push_back({fs::path(VORREL_SOURCE_DATA), "level/main/level" + std::to_string(n) + ".lev"});
    for (const char* name : {"collect", "jump", "ladder", "walk"})
        levels.push_back({tapeFolder(), std::string("level/") + name + ".lev"});
    for (const auto& [folder, path] : levels) {
        SCOPED_TRACE(path);
        testsupport::InFolder in(folder);
        unsigned moves[2] = {};
        uint64_t states[2] = {};
        for (int bounded = 0; bounded < 2; ++bounded) {
            auto level = load(path.c_str());
            SolveLimits limits;
            limits.shortest = true;
            limits.bound = bounded;
            Solver solver(*level, limits);
            while (solver.step(1000) == SolveStatus::Running) {
            }
            ASSERT_EQ(solver.status(), SolveStatus::Solved);
            moves[bounded] = solver.moves();
            states[bounded] = solver.states();
        }
        EXPECT_EQ(moves[1], moves[0]);
        EXPECT_LE(states[1], states[0]);
    }
}

// Two threads examine the same states in the same order as one and write
// the same tape: the best-first search with its deferred bombs and waits,
// the shortest search (its batches grown past the start) and breadth-first.
TEST(SolverTest, TwoThreadsSearchAsOne) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    const char* const paths[] = {"level/main/level17.lev", "level/main/level13.lev", "level/main/level12.lev"};
    for (int kind = 0; kind < 3; ++kind) {
        const char* path = paths[kind];
        SCOPED_TRACE(path);
        SolveLimits limits;
        limits.shortest = kind > 0;
        limits.bound = kind == 1;
        std::string reports[2], tapes[2];
        for (unsigned threads = 1; threads <= 2; ++threads) {
            auto level = load(path);
            Solver solver(*level, limits);
            if (threads == 2) {
                ASSERT_TRUE(solver.addWorld(load(path)));
            }
            ASSERT_EQ(solver.threads(), threads);
            while (solver.step(700) == SolveStatus::Running) {
            }
            ASSERT_EQ(solver.status(), SolveStatus::Solved);
            reports[threads - 1] = formatSolveReport(solver);
            reports[threads - 1].erase(reports[threads - 1].find("seconds"));
            tapes[threads - 1] = formatTape(solver.tape());
        }
        EXPECT_EQ(reports[0], reports[1]);
        EXPECT_EQ(tapes[0], tapes[1]);
    }
}

// A copy is taken only in the first's state: a second load moved on, or
// another level, stays out of the search.
TEST(SolverTest, AWorldInAnotherStateIsRefused) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    auto level = load("level/main/level17.lev");
    Solver solver(*level);
    EXPECT_FALSE(solver.addWorld(load("level/main/level16.lev")));
    auto moved = load("level/main/level17.lev");
    {
        HeadlessPlay play(*moved);
        play.keyboard.press(SDLK_RIGHT);
        PlayOutcome outcome;
        for (int i = 0; i < 20; ++i) play.pass(20, outcome);
    }
    EXPECT_FALSE(solver.addWorld(std::move(moved)));
    EXPECT_EQ(solver.threads(), 1u);
    while (solver.step(1000) == SolveStatus::Running) {
    }
    EXPECT_EQ(solver.status(), SolveStatus::Solved);
}

namespace {

// The bound at every settled world along a win of the default (or the
// shortest) search, the solver's actions followed as it played them, with
// the actions that win still takes from there, and whether the world was
// called lost.
struct BoundAlongWin {
    unsigned bound, left;
    bool mayStillWin;
};
// The bound along the passes' keys of a win: each settled world's bound,
// and the actions the win takes from there.
std::vector<BoundAlongWin> boundsAlongKeys(const std::string& path, const std::vector<uint16_t>& keys);

std::vector<BoundAlongWin> boundsAlongWin(const std::string& path, bool shortest = false) {
    std::vector<uint16_t> keys;
    {
        auto level = load(path.c_str());
        SolveLimits limits;
        limits.shortest = shortest;
        Solver solver(*level, limits);
        while (solver.step(1000) == SolveStatus::Running) {
        }
        EXPECT_EQ(solver.status(), SolveStatus::Solved);
        if (solver.status() != SolveStatus::Solved) return {};
        for (const TapeRun& run : solver.tape().runs) keys.insert(keys.end(), run.frames, run.keys);
        const std::vector<BoundAlongWin> walk = boundsAlongKeys(path, keys);
        EXPECT_EQ(walk.empty() ? 0 : walk.front().left, solver.moves());
        return walk;
    }
}

std::vector<BoundAlongWin> boundsAlongKeys(const std::string& path, const std::vector<uint16_t>& keys) {
    std::vector<BoundAlongWin> out;
    auto level = load(path.c_str());
    SolveLimits judged;  // the shortest search's bound, the second blast's choices too
    judged.shortest = true;
    Solver judge(*level, judged);
    HeadlessPlay play(*level);
    PlayOutcome outcome{};
    size_t at = 0;
    auto pass = [&] {
        applyKeyMask(keys.at(at++), play.keyboard.state);
        return play.pass(20, outcome);
    };
    auto blasts = [&] {
        size_t burst = 0;
        for (const Bomb* bomb : level->player->bombs) burst += bomb->exploded;
        return burst;
    };
    while (!judge.settled())
        if (pass()) return out;
    bool ended = false, idleEnd = false;
    while (!ended) {
        out.push_back({judge.actionsLeftBound(), 0, judge.mayStillWin()});
        // A pass without keys at a settled world begins a wait, which
        // lasts until a blast and the world settled after it.
        const bool wait = keys.at(at) == 0;
        const size_t burst = blasts();
        do
            ended = pass();
        while (!ended && !(judge.settled() && (!wait || blasts() != burst)));
        // The play may end a pass after the last action settled the
        // player on the door: that world has no action left.
        idleEnd = ended && wait && blasts() == burst;
    }
    const size_t moves = out.size() - (idleEnd ? 1 : 0);
    for (size_t done = 0; done < out.size(); ++done) out[done].left = static_cast<unsigned>(moves - done);
    EXPECT_EQ(outcome, Completed);
    EXPECT_EQ(at, keys.size());
    return out;
}

} // namespace

// The bound never exceeds the actions left of a win, nor calls a world
// along it lost: levels whose wins light bombs, push, climb, drop down
// wells and jump, among them every one the shortest search has not proven
// yet.
TEST(SolverTest, TheBoundNeverExceedsTheActionsLeftOfAWin) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    for (int n : {9, 16, 22, 27, 28, 31, 35, 36, 37, 38, 39, 40}) {
        SCOPED_TRACE("level " + std::to_string(n));
        const std::vector<BoundAlongWin> walk = boundsAlongWin("level/main/level" + std::to_string(n) + ".lev");
        ASSERT_FALSE(walk.empty());
        EXPECT_GT(walk.front().bound, 0u);
        for (size_t done = 0; done < walk.size(); ++done) {
            EXPECT_LE(walk[done].bound, walk[done].left) << "after " << done << " actions";
            EXPECT_TRUE(walk[done].mayStillWin) << "after " << done << " actions";
        }
    }
}

// The same along the fewest-action wins found with raised limits and kept
// beside the designer's tapes: there the actions left are the fewest there
// are, so a bound too high anywhere along them shows.
TEST(SolverTest, TheBoundNeverExceedsTheFewestActionsLeft) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    int kept = 0;
    for (const auto& entry : fs::directory_iterator("level/main/tapes")) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 12 || name.compare(name.size() - 12, 12, "-fewest.tape") != 0) continue;
        SCOPED_TRACE(name);
        ++kept;
        const Tape tape = loadTape(entry.path().string());
        std::vector<uint16_t> keys;
        for (const TapeRun& run : tape.runs) keys.insert(keys.end(), run.frames, run.keys);
        const std::vector<BoundAlongWin> walk = boundsAlongKeys(tape.level, keys);
        ASSERT_FALSE(walk.empty());
        for (size_t done = 0; done < walk.size(); ++done) {
            EXPECT_LE(walk[done].bound, walk[done].left) << "after " << done << " actions";
            EXPECT_TRUE(walk[done].mayStillWin) << "after " << done << " actions";
        }
    }
    EXPECT_GE(kept, 1);
}

// A jump that drops far ends a row short of its landing, and the world
// settles for a moment with the player in the air, from where it can jump
// again; a jump passes ladders. The bound along the fewest actions counts
// both.
TEST(SolverTest, TheBoundFollowsJumpsThatDropFar) {
    testsupport::InFolder in(tapeFolder());
    for (const char* path : {"level/jump-twice.lev", "level/jump-ladder.lev"}) {
        SCOPED_TRACE(path);
        const std::vector<BoundAlongWin> walk = boundsAlongWin(path, true);
        ASSERT_EQ(walk.size(), 3u);  // two actions
        for (size_t done = 0; done < walk.size(); ++done)
            EXPECT_LE(walk[done].bound, walk[done].left) << "after " << done << " actions";
    }
}

// The search from where a tape leaves the play: the tape's passes then the
// solution win on a fresh load; a tape that ends the play leaves nothing.
TEST(SolverTest, SolvesOnFromWhereATapeLeavesThePlay) {
    testsupport::InFolder in(fs::path(VORREL_SOURCE_DATA));
    const char* path = "level/main/level17.lev";
    const Tape whole = loadTape("level/main/tapes/level17.tape");
    Tape before;
    for (const TapeRun& run : whole.runs)
        for (uint32_t i = 0; i < run.frames && before.frameCount() < 300; ++i) before.append(run.dt, run.keys);
    auto level = load(path);
    PlayOutcome outcome = Quit;
    ASSERT_EQ(playTapeHeadless(*level, before, outcome), 0u);
    Solver solver(*level);
    while (solver.step(1000) == SolveStatus::Running) {
    }
    ASSERT_EQ(solver.status(), SolveStatus::Solved);
    const Tape joined = joinTapes(before, solver.tape());
    EXPECT_EQ(joined.frameCount(), 300 + solver.tape().frameCount());
    auto fresh = load(path);
    EXPECT_EQ(replayTape(*fresh, joined, ReplayOptions{}).outcome, Completed);

    auto again = load(path);
    EXPECT_EQ(playTapeHeadless(*again, joined, outcome), joined.frameCount());
    EXPECT_EQ(outcome, Completed);

    // A step taken back on the tape is taken back before the search too.
    testsupport::InFolder tapes(tapeFolder());
    const Tape undone = loadTape("undo-gem.tape");
    auto collect = load("level/collect.lev");
    ASSERT_EQ(playTapeHeadless(*collect, undone, outcome), 0u);
    Solver onward(*collect);
    while (onward.step(1000) == SolveStatus::Running) {
    }
    ASSERT_EQ(onward.status(), SolveStatus::Solved);
    auto replayed = load("level/collect.lev");
    EXPECT_EQ(replayTape(*replayed, joinTapes(undone, onward.tape()), ReplayOptions{}).outcome, Completed);
}
