// Threads that run one job together: helpers that sleep between jobs.
#include "solve/Workers.h"

#ifdef VORREL_THREADS

Workers::Workers(unsigned count) : total(count ? count : 1) {
    for (unsigned i = 1; i < total; ++i) helpers.emplace_back([this, i] { serve(i); });
}

Workers::~Workers() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    for (std::thread& helper : helpers) helper.join();
}

void Workers::run(const std::function<void(unsigned)>& work) {
    if (total > 1) {
        std::lock_guard<std::mutex> lock(mutex);
        job = &work;
        busy = total - 1;
        ++round;
    }
    wake.notify_all();
    std::exception_ptr own;
    try {
        work(0);
    } catch (...) {
        own = std::current_exception();
    }
    std::exception_ptr theirs;
    if (total > 1) {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [this] { return busy == 0; });
        job = nullptr;
        theirs = failure;
        failure = nullptr;
    }
    if (own) std::rethrow_exception(own);
    if (theirs) std::rethrow_exception(theirs);
}

void Workers::serve(unsigned worker) {
    uint64_t seen = 0;
    for (;;) {
        const std::function<void(unsigned)>* work;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return stopping || round != seen; });
            if (stopping) return;
            seen = round;
            work = job;
        }
        std::exception_ptr caught;
        try {
            (*work)(worker);
        } catch (...) {
            caught = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (caught && !failure) failure = caught;
        if (--busy == 0) done.notify_one();
    }
}

unsigned Workers::available() {
    const unsigned n = std::thread::hardware_concurrency();
    return n ? n : 1;
}

#else

Workers::Workers(unsigned) {}
Workers::~Workers() = default;
void Workers::run(const std::function<void(unsigned)>& work) { work(0); }
unsigned Workers::available() { return 1; }

#endif
