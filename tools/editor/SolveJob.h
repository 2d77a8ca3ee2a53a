#pragma once
// The editor's handle on the in-process solver, run a slice at a time so the
// window stays alive and Escape can cancel it.
#include <cstdint>
#include <memory>

class Level;
struct Tape;

class SolveJob {
public:
    enum State { Running, Solved, Unsolvable, Unknown };
    // False when this build has no solver.
    static bool available();
    SolveJob(Level& level, double maxSeconds);
    ~SolveJob();
    State step(uint64_t stateBudget);
    // After Unknown: the search goes on for that many seconds more.
    void extend(double seconds);
    uint64_t states() const;
    double seconds() const;
    unsigned moves() const;
    // The winning keys once Solved; null otherwise.
    const Tape* tape() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
