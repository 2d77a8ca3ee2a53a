#pragma once
// Threads that run one job together, each on its own share, and wait for one
// another at its end; the caller is the first of them.
#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
#define VORREL_THREADS 1
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

class Workers {
public:
    // One worker without threads where a build has none.
    explicit Workers(unsigned count);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    unsigned count() const { return total; }
    // Runs job(i) for every worker i at once; returns when all are done, and
    // throws what a job threw.
    void run(const std::function<void(unsigned)>& job);
    // How many threads this machine runs at once (at least one).
    static unsigned available();

private:
    unsigned total = 1;
#ifdef VORREL_THREADS
    void serve(unsigned worker);
    std::vector<std::thread> helpers;
    std::mutex mutex;
    std::condition_variable wake, done;
    const std::function<void(unsigned)>* job = nullptr;
    uint64_t round = 0;
    unsigned busy = 0;
    bool stopping = false;
    std::exception_ptr failure;
#endif
};
