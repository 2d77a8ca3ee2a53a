// The solver: settled states, macro actions, the search and its verification.
#include "common/Solver.h"

#include <cmath>
#include <cstring>

#include "common/Lint.h"
#include "entities/Bomb.h"
#include "entities/Treasure.h"
#include "entities/Player.h"
#include "level/Level.h"
#include "level/LoadError.h"
#include "platform/Signals.h"
#include "play/Headless.h"
#include "play/PlayLoop.h"

namespace {

// Every pass of a solution lasts one ordinary frame.
constexpr uint32_t kPassTime = 20;
// An action that has not settled after this many passes (a minute of play)
// is dropped: something keeps moving for ever.
constexpr uint32_t kMostPasses = 3000;

// Tape key bits: left, right, up, down, x, z (see kTapeKeyNames).
constexpr uint16_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8, kX = 16, kZ = 32;
constexpr uint16_t kActionKeys[ActionCount] = {kLeft, kRight, kX | kLeft, kX | kRight, kUp, kDown, kZ, 0};

const uint8_t kNoKeys[SDLK_LAST] = {};

// What a bomb burning to no purpose costs in the best-first order (a gem
// left costs 64).
constexpr int64_t kIdlePenalty = int64_t{1} << 24;
// And one that will break something.
constexpr int64_t kLitPenalty = 32;

// Would the bomb's blast, where the bomb stands now, change more than air
// into rubble: a wall, water, or an item other than the bomb in its reach?
bool blastChangesAnything(const Level& level, const Bomb& bomb) {
    const int reach[4][2] = {{0, 0}, {-1, 0}, {0, -1}, {1, 0}};
    for (const auto& d : reach) {
        const Cell* cell = level.cellAt(bomb.column + d[0], bomb.row + d[1]);
        if (!cell) continue;
        if (!cell->passable || cell->deadly || cell->liquid || (cell->item && cell->item != &bomb)) return true;
    }
    return false;
}

bool onGrid(double v) { return std::fmod(v, 32.0) == 0.0; }

using Clock = std::chrono::steady_clock;

} // namespace

uint64_t stateHash(const Snapshot& snapshot) {
    const std::vector<uint8_t>& bytes = snapshot.rules;
    uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 31;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
}

Solver::Solver(Level& level, const SolveLimits& limits) : level(level), limits(limits), rewinder(level) {
    rewinder.capture(root);
}

Solver::~Solver() = default;

bool Solver::nothingFalling() const {
    // A box counts from the moment nothing holds it up, a gem or a bomb
    // once it drops: the campaign's measured searches rest on this.
    for (Item* item : level.items)
        if (item && (item->isBox() ? item->isFalling() : item->isDropping())) return false;
    return true;
}

bool Solver::settled() const {
    const Player& p = *level.player;
    if (p.walking || p.jumping || p.pushing || p.falling || p.steppingUp || p.placingBomb || p.onLadder || p.dead)
        return false;
    return onGrid(p.x) && onGrid(p.y) && nothingFalling();
}

bool Solver::act(SolveAction action, uint32_t& passes, bool& won) {
    Player& p = *level.player;
    won = false;
    passes = 0;
    size_t burst = 0;  // bombs gone off so far
    bool burning = false;
    for (const Bomb* bomb : p.bombs) {
        burst += bomb->exploded;
        burning = burning || (bomb->placed && !bomb->exploded);
    }
    if (action == ActWait && !burning) return false;
    if (action == ActBomb && p.bombsLeft() == 0) return false;
    const double x0 = p.x, y0 = p.y;
    const uint32_t used0 = p.bombsUsed;

    applyKeyMask(kActionKeys[action], play->keyboard.state);
    for (;;) {
        PlayOutcome outcome;
        if (play->pass(kPassTime, outcome)) return false;
        if (++passes == 1) play->keyboard.releaseAll();
        // The next pass's end check, asked now.
        if (checkPlayEnd(level, kNoKeys, outcome)) {
            won = outcome == Completed;
            return won;
        }
        if (passes >= kMostPasses) return false;
        if (action == ActWait) {
            size_t now = 0;
            for (const Bomb* bomb : p.bombs) now += bomb->exploded;
            if (now == burst) continue;
        }
        if (settled()) break;
    }
    // A key that did nothing only let time pass: that is the wait's business.
    return action == ActWait || p.x != x0 || p.y != y0 || p.bombsUsed != used0;
}

bool Solver::mayStillWin() const {
    const Player& p = *level.player;
    if (p.bombsUsed < p.bombs.size()) return true;
    for (const Bomb* bomb : p.bombs)
        if (bomb->placed && !bomb->exploded) return true;

    // No blast will change the grid again. Every cell the player could ever
    // stand in or pass through, by moves that only ever gain height by a
    // step up or a ladder; items ignored (they only block).
    const int rows = static_cast<int>(level.grid.size());
    const int columns = rows ? static_cast<int>(level.grid[0].size()) : 0;
    auto open = [&](int c, int r) {
        const Cell* cell = level.cellAt(c, r);
        return cell && cell->passable;
    };
    auto stand = [&](int c, int r) { return open(c, r) && !level.cellAt(c, r)->deadly; };
    const int pc = static_cast<int>(std::floor(p.x / 32)), pr = static_cast<int>(std::floor(p.y / 32));
    if (!stand(pc, pr)) return true;
    std::vector<uint8_t> touched(static_cast<size_t>(rows) * columns, 0);  // 1 passed, 2 stood
    std::vector<int> queue;
    auto reach = [&](int c, int r) {
        uint8_t& t = touched[static_cast<size_t>(r) * columns + c];
        if (t == 2) return;
        t = 2;
        queue.push_back(r * columns + c);
    };
    reach(pc, pr);
    while (!queue.empty()) {
        const int at = queue.back();
        queue.pop_back();
        const int c = at % columns, r = at / columns;
        for (int d : {-1, 1}) {
            if (stand(c + d, r)) reach(c + d, r);
            if (stand(c + d, r - 1)) reach(c + d, r - 1);
            // A jump passes over its middle cell, deadly or not.
            if (open(c + d, r) && stand(c + 2 * d, r)) {
                reach(c + 2 * d, r);
                uint8_t& gap = touched[static_cast<size_t>(r) * columns + c + d];
                if (!gap) gap = 1;
            }
        }
        if (stand(c, r + 1)) reach(c, r + 1);
        if (stand(c, r - 1) && level.cellAt(c, r)->ladder) reach(c, r - 1);
    }
    auto wasTouched = [&](int c, int r) {
        return c >= 0 && r >= 0 && c < columns && r < rows && touched[static_cast<size_t>(r) * columns + c];
    };
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        // A gem falls straight down its column until something holds it.
        const int c = static_cast<int>((treasure->x + 16) / 32);
        int r = static_cast<int>(std::floor(treasure->y / 32));
        bool reachable = false;
        for (; r < rows && !reachable; ++r) {
            reachable = wasTouched(c, r);
            if (!open(c, r + 1)) break;
        }
        if (!reachable) return false;
    }
    bool door = false;
    for (const Item* item : level.items)
        if (item && item->isGoal())
            door = door || wasTouched(static_cast<int>(item->x / 32), static_cast<int>(item->y / 32));
    return door;
}

int Solver::estimate() const {
    const Player& p = *level.player;
    const int pc = static_cast<int>(p.x / 32), pr = static_cast<int>(p.y / 32);
    int left = 0, nearest = 1 << 20;
    for (const Treasure* treasure : level.treasures) {
        if (treasure->collected) continue;
        ++left;
        const int d = std::abs(static_cast<int>(treasure->x / 32) - pc) + std::abs(static_cast<int>(treasure->y / 32) - pr);
        if (d < nearest) nearest = d;
    }
    if (left == 0) {
        for (const Item* item : level.items)
            if (item && item->isGoal()) {
                const int d = std::abs(static_cast<int>(item->x / 32) - pc) + std::abs(static_cast<int>(item->y / 32) - pr);
                if (d < nearest) nearest = d;
            }
        if (nearest == 1 << 20) nearest = 0;
    }
    return 16 * left + nearest;
}

void Solver::push(uint32_t node) {
    ++pushed;
    if (limits.shortest) {
        fifo.push_back(node);
        return;
    }
    // A burning bomb makes every later state new (its timer is part of it).
    // One whose blast would only turn air into rubble is lit last: the
    // search spends the states without it first. Then fewer gems left and
    // nearer the next target; among equals, the fewer actions, then the older.
    int64_t penalty = 0;
    for (const Bomb* bomb : level.player->bombs)
        if (bomb->placed && !bomb->exploded) penalty += blastChangesAnything(level, *bomb) ? kLitPenalty : kIdlePenalty;
    const int64_t priority = penalty + static_cast<int64_t>(estimate()) * 4 + nodes[node].moves;
    best.push({-(priority << 32 | static_cast<int64_t>(node)), node});
}

bool Solver::pop(uint32_t& node) {
    if (limits.shortest) {
        if (fifo.empty()) return false;
        node = fifo.front();
        fifo.pop_front();
        return true;
    }
    if (best.empty()) return false;
    node = best.top().second;
    best.pop();
    return true;
}

Tape Solver::tapeTo(uint32_t node, uint32_t lastPasses, SolveAction lastAction) const {
    std::vector<std::pair<uint8_t, uint32_t>> actions;
    if (lastAction != ActionCount) actions.push_back({lastAction, lastPasses});
    for (uint32_t n = node; n != 0; n = nodes[n].parent) actions.push_back({nodes[n].action, nodes[n].passes});
    // The root's passes settle the world before the first action.
    Tape tape;
    for (uint32_t i = 0; i < nodes[0].passes; ++i) tape.append(kPassTime, 0);
    for (auto it = actions.rbegin(); it != actions.rend(); ++it) {
        tape.append(kPassTime, kActionKeys[it->first]);
        for (uint32_t i = 1; i < it->second; ++i) tape.append(kPassTime, 0);
    }
    // The pass whose end check ends the play.
    tape.append(kPassTime, 0);
    tape.expect = "Completed";
    return tape;
}

bool Solver::verify(const Tape& tape) {
    rewinder.restore(root);
    const uint64_t frames = tape.frameCount();
    uint64_t frame = 0;
    for (const TapeRun& run : tape.runs)
        for (uint32_t i = 0; i < run.frames; ++i) {
            applyKeyMask(run.keys, play->keyboard.state);
            PlayOutcome outcome;
            ++frame;
            if (play->pass(run.dt, outcome)) return frame == frames && outcome == Completed;
        }
    return false;
}

void Solver::finish(uint32_t node, uint32_t lastPasses, SolveAction lastAction) {
    Tape tape = tapeTo(node, lastPasses, lastAction);
    if (!verify(tape)) return;  // the search's bookkeeping is wrong: go on
    solution = tape;
    solutionMoves = nodes[node].moves + (lastAction == ActionCount ? 0 : 1);
    state = SolveStatus::Solved;
}

SolveStatus Solver::step(uint64_t stateBudget) {
    if (state != SolveStatus::Running) return state;
    const Clock::time_point start = Clock::now();
    SDL_Surface* screen = Item::screen;
    Level* current = Item::currentLevel;
    Player* player = Item::currentPlayer;
    HeadlessPlay headless(level);
    play = &headless;
    auto spent = [&] { return elapsed + std::chrono::duration<double>(Clock::now() - start).count(); };

    if (nodes.empty()) {
        // Let the world settle before the first action (the player may start
        // in the air).
        rewinder.restore(root);
        uint32_t passes = 0;
        PlayOutcome outcome;
        bool ended = false;
        while (!settled() && passes < kMostPasses) {
            ++passes;
            if ((ended = play->pass(kPassTime, outcome))) {
                --passes;  // that pass is the tape's last, added with it
                break;
            }
        }
        nodes.push_back({0, passes, 0, ActionCount, std::make_unique<Snapshot>()});
        if (!ended && checkPlayEnd(level, kNoKeys, outcome)) ended = true;
        if (ended && outcome == Completed) {
            finish(0, 0, ActionCount);
        } else if (ended || !settled()) {
            state = SolveStatus::Unsolvable;
        } else {
            rewinder.capture(*nodes[0].snapshot);
            seen.insert(stateHash(*nodes[0].snapshot));
            if (mayStillWin()) push(0);
        }
    }

    uint64_t budget = stateBudget;
    while (state == SolveStatus::Running && budget > 0) {
        if (limits.shortest ? fifo.empty() : best.empty()) {
            state = SolveStatus::Unsolvable;
            break;
        }
        if (examined >= limits.maxStates || spent() >= limits.maxSeconds) {
            state = SolveStatus::Unknown;
            break;
        }
        uint32_t n;
        pop(n);
        --budget;
        ++examined;
        std::unique_ptr<Snapshot> from = std::move(nodes[n].snapshot);
        for (int a = 0; a < ActionCount && state == SolveStatus::Running; ++a) {
            rewinder.restore(*from);
            uint32_t passes;
            bool won;
            if (!act(static_cast<SolveAction>(a), passes, won)) continue;
            if (won) {
                finish(n, passes, static_cast<SolveAction>(a));
                continue;
            }
            rewinder.capture(scratch);
            if (!seen.insert(stateHash(scratch)).second) continue;
            if (!mayStillWin()) continue;
            nodes.push_back({n, passes, nodes[n].moves + 1, static_cast<uint8_t>(a),
                             std::make_unique<Snapshot>(scratch)});
            push(static_cast<uint32_t>(nodes.size() - 1));
        }
    }

    rewinder.restore(root);
    play = nullptr;
    Item::screen = screen;
    Item::currentLevel = current;
    Item::currentPlayer = player;
    elapsed = spent();
    return state;
}

void Solver::extend(const SolveLimits& more) {
    limits.maxSeconds = more.maxSeconds;
    limits.maxStates = more.maxStates;
    if (state == SolveStatus::Unknown) state = SolveStatus::Running;
}

std::string formatSolveReport(const Solver& solver) {
    static const char* const names[] = {"unknown", "solved", "unsolvable", "unknown"};
    std::string out = std::string("result ") + names[static_cast<int>(solver.status())] + "\n";
    char line[64];
    if (solver.status() == SolveStatus::Solved) {
        std::snprintf(line, sizeof line, "moves %u\npasses %llu\n", solver.moves(),
                      static_cast<unsigned long long>(solver.tape().frameCount()));
        out += line;
    }
    std::snprintf(line, sizeof line, "states %llu\nseconds %.2f\n", static_cast<unsigned long long>(solver.states()),
                  solver.seconds());
    return out + line;
}

LintMessage solveVerdict(const std::string& path, SDL_Surface* screen, const SolveLimits& limits) {
    LintMessage message;
    message.file = path;
    try {
        Level level(path, screen, nullptr, 1, false);
        Solver solver(level, limits);
        while (solver.step(2000) == SolveStatus::Running) {
            platform::throwIfStopRequested();
        }
        char counts[96];
        std::snprintf(counts, sizeof counts, " (%llu states, %.2f s)", static_cast<unsigned long long>(solver.states()),
                      solver.seconds());
        if (solver.status() == SolveStatus::Unsolvable) {
            message.error = true;
            message.text = std::string("the solver finds no way to complete this level") + counts;
        } else if (solver.status() == SolveStatus::Unknown) {
            message.text = std::string("the solver reached its limits before deciding whether this level can be completed") + counts;
        }
    } catch (const LoadError&) {
        // The lint has reported why the level does not load.
    }
    return message;
}
