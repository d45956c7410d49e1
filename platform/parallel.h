#pragma once
// Parallel loops on oneTBB. They use every core, or as many threads as the environment
// variable ORVALIS_THREADS says (a whole number from 1 to 256), so tests and benchmarks
// can pin the count.
#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_group.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

// Threads that parallel loops may use (at least 1). The first call applies the limit.
inline int ParallelThreads() {
    static const int threads = [] {
        const int machine = tbb::info::default_concurrency();
        const char* text = std::getenv("ORVALIS_THREADS");
        int n = 0;
        if (!text) return machine;
        const char* end = text + std::strlen(text);
        const auto r = std::from_chars(text, end, n);
        return r.ec == std::errc() && r.ptr == end && n >= 1 && n <= 256 ? n : machine;
    }();
    // Lives to the end of the program: it caps every oneTBB loop, ours and any library's.
    static tbb::global_control limit(tbb::global_control::max_allowed_parallelism, size_t(threads));
    return threads;
}

#if defined(__SANITIZE_THREAD__)
// Under ThreadSanitizer the same loops run on plain threads, whose hand-overs it sees: oneTBB
// hands its own objects from thread to thread inside its uninstrumented library, which would
// be reported as races of those objects and hide ours.

template <class Body> void ParallelFor(int first, int last, int grain, const Body& body) {
    if (last <= first) return;
    const int threads = ParallelThreads(), step = std::max(grain, 1);
    if (threads == 1 || last - first <= step) return body(first, last);
    std::atomic<int> next{first};
    auto work = [&] {
        for (int b; (b = next.fetch_add(step)) < last;) body(b, std::min(b + step, last));
    };
    std::vector<std::thread> others;
    for (int k = 1; k < threads; ++k) others.emplace_back(work);
    work();
    for (std::thread& t : others) t.join();
}

class TaskGroup {
public:
    ~TaskGroup() { wait(); }
    template <class F> void run(F&& f) { threads_.emplace_back(std::forward<F>(f)); }
    void wait() {
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

private:
    std::vector<std::thread> threads_;
};

#else

// Calls body(begin, end) on pieces of [first, last) of about `grain` items each, on up to
// ParallelThreads() threads at once; returns when every piece is done.
template <class Body> void ParallelFor(int first, int last, int grain, const Body& body) {
    if (last <= first) return;
    if (ParallelThreads() == 1 || last - first <= grain) return body(first, last);
    tbb::parallel_for(tbb::blocked_range<int>(first, last, grain > 0 ? grain : 1),
                      [&](const tbb::blocked_range<int>& r) { body(r.begin(), r.end()); });
}

// Work handed to other threads while the caller goes on; wait() returns when all is done.
class TaskGroup {
public:
    TaskGroup() { ParallelThreads(); }  // the thread limit holds from the first task on
    ~TaskGroup() { wait(); }
    template <class F> void run(F&& f) { group_.run(std::forward<F>(f)); }
    void wait() { group_.wait(); }

private:
    tbb::task_group group_;
};

#endif

// Runs `work` on `threads` threads at once (the caller's among them) and waits for all;
// each call of `work` gets its own index from 0 to threads - 1.
template <class Work> void RunOnThreads(int threads, const Work& work) {
    if (threads <= 1) return work(0);
    TaskGroup group;
    for (int k = 1; k < threads; ++k) group.run([&work, k] { work(k); });
    work(0);
    group.wait();
}
