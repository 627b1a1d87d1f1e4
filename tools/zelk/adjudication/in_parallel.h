// The check's steps whose items are independent of each other (reading the
// files, scoring the entrants, writing their reports) spread over threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <utility>
#include <vector>

namespace zelk::adjudication {

// The threads those steps use: two, the machines the check runs on having
// two cores and more; each step's items are many and of like cost.
inline constexpr unsigned kCheckThreads = 2;

// Calls `work(i, thread)` for every i below `count` on `threads` threads
// (thread 0 the calling one, then 1, 2 ... below `threads`), each taking
// the next i when it has done one, so that a thread may keep what it reuses
// item after item. `afterOwn(done)` is called on the calling thread after
// each of its own items, with the number of items done on all threads so
// far, so that it needs no lock. `work` must not throw.
template <typename Work, typename AfterOwn>
void InParallelOnThreads(std::size_t count, unsigned threads, Work&& work, AfterOwn&& afterOwn) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::vector<std::jthread> helpers;
    for (unsigned t = 1; t < std::max(threads, 1u) && t < count; ++t) {
        helpers.emplace_back([&, t] {
            for (std::size_t i = next++; i < count; i = next++) {
                work(i, t);
                ++done;
            }
        });
    }
    for (std::size_t i = next++; i < count; i = next++) {
        work(i, 0u);
        afterOwn(++done);
    }
}

// Calls `work(i)` for every i below `count` as InParallelOnThreads does.
template <typename Work, typename AfterOwn>
void InParallel(std::size_t count, unsigned threads, Work&& work, AfterOwn&& afterOwn) {
    InParallelOnThreads(
        count, threads, [&work](std::size_t i, unsigned) { work(i); },
        std::forward<AfterOwn>(afterOwn));
}

template <typename Work>
void InParallel(std::size_t count, unsigned threads, Work&& work) {
    InParallel(count, threads, std::forward<Work>(work), [](std::size_t) {});
}

}  // namespace zelk::adjudication
