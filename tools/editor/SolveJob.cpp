#include "editor/SolveJob.h"

#include "common/Tape.h"

#if __has_include("solve/Solver.h")
#include "solve/Solver.h"

struct SolveJob::Impl {
    Impl(Level& level, double maxSeconds) : solver(level, limits(maxSeconds)), maxSeconds(maxSeconds) {}
    static SolveLimits limits(double maxSeconds) {
        SolveLimits l;
        l.maxSeconds = maxSeconds;
        return l;
    }
    Solver solver;
    double maxSeconds;
};

bool SolveJob::available() { return true; }
SolveJob::SolveJob(Level& level, double maxSeconds) : impl(new Impl(level, maxSeconds)) {}
SolveJob::State SolveJob::step(uint64_t budget) {
    switch (impl->solver.step(budget)) {
    case SolveStatus::Running: return Running;
    case SolveStatus::Solved: return Solved;
    case SolveStatus::Unsolvable: return Unsolvable;
    default: return Unknown;
    }
}
void SolveJob::extend(double seconds) {
    impl->maxSeconds = impl->solver.seconds() + seconds;
    impl->solver.extend(Impl::limits(impl->maxSeconds));
}
uint64_t SolveJob::states() const { return impl->solver.states(); }
double SolveJob::seconds() const { return impl->solver.seconds(); }
unsigned SolveJob::moves() const { return impl->solver.moves(); }
const Tape* SolveJob::tape() const {
    return impl->solver.status() == SolveStatus::Solved ? &impl->solver.tape() : nullptr;
}

#else

struct SolveJob::Impl {};
bool SolveJob::available() { return false; }
SolveJob::SolveJob(Level&, double) {}
SolveJob::State SolveJob::step(uint64_t) { return Unknown; }
void SolveJob::extend(double) {}
uint64_t SolveJob::states() const { return 0; }
double SolveJob::seconds() const { return 0; }
unsigned SolveJob::moves() const { return 0; }
const Tape* SolveJob::tape() const { return nullptr; }

#endif

SolveJob::~SolveJob() = default;
