#pragma once
// Runs task(0) .. task(count - 1) on every core; returns when all are done.
// Tasks must be independent; they are taken in index order.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace analyze {

template <typename Task>
void runInParallel(std::size_t count, const Task &task)
{
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            task(i);
    };
    const std::size_t workers = std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread &t : threads)
        t.join();
}

} // namespace analyze
