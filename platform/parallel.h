#pragma once
// Parallel loops on oneTBB. They use every core, or as many threads as the environment
// variable ORVALIS_THREADS says (a whole number from 1 to 256), so tests and benchmarks
// can pin the count.
#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_group.h>

#include <charconv>
#include <utility>
#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

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

namespace parallel_detail {
// oneTBB's own hand-over between threads is not instrumented, so ThreadSanitizer is told
// that a piece of work starts after the loop began and the loop ends after every piece.
#if defined(__SANITIZE_THREAD__)
inline void Release(void* token) { __tsan_release(token); }
inline void Acquire(void* token) { __tsan_acquire(token); }
#else
inline void Release(void*) {}
inline void Acquire(void*) {}
#endif
}  // namespace parallel_detail

// Calls body(begin, end) on pieces of [first, last) of about `grain` items each, on up to
// ParallelThreads() threads at once; returns when every piece is done.
template <class Body> void ParallelFor(int first, int last, int grain, const Body& body) {
    if (last <= first) return;
    if (ParallelThreads() == 1 || last - first <= grain) return body(first, last);
    char start = 0, end = 0;
    parallel_detail::Release(&start);
    tbb::parallel_for(tbb::blocked_range<int>(first, last, grain > 0 ? grain : 1),
                      [&](const tbb::blocked_range<int>& r) {
                          parallel_detail::Acquire(&start);
                          body(r.begin(), r.end());
                          parallel_detail::Release(&end);
                      });
    parallel_detail::Acquire(&end);
}

// Work handed to other threads while the caller goes on; wait() returns when all is done.
class TaskGroup {
public:
    TaskGroup() { ParallelThreads(); }  // the thread limit holds from the first task on
    ~TaskGroup() { wait(); }
    template <class F> void run(F&& f) {
        parallel_detail::Release(&start_);
        group_.run([this, f = std::forward<F>(f)] {
            parallel_detail::Acquire(&start_);
            f();
            parallel_detail::Release(&end_);
        });
    }
    void wait() {
        group_.wait();
        parallel_detail::Acquire(&end_);
    }

private:
    tbb::task_group group_;
    char start_ = 0, end_ = 0;
};

// Runs `work` on `threads` threads at once (the caller's among them) and waits for all;
// each call of `work` gets its own index from 0 to threads - 1.
template <class Work> void RunOnThreads(int threads, const Work& work) {
    if (threads <= 1) return work(0);
    TaskGroup group;
    for (int k = 1; k < threads; ++k) group.run([&work, k] { work(k); });
    work(0);
    group.wait();
}
