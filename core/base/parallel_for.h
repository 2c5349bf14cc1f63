// Running independent pieces of work (one record file each) on a few threads: each worker takes
// the next index until none is left. Used where a user waits for a whole folder.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace core {

// The number of workers worth starting for count items: the machine's cores, at most count.
inline unsigned workerCount(std::size_t count) {
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<std::size_t>(cores, std::max<std::size_t>(count, 1)));
}

// Calls work(worker, index) for every index in [0, count), on `workers` threads (worker 0 is the
// calling thread). Each worker owns its own state through its worker number.
template <class Work>
void parallelFor(std::size_t count, unsigned workers, Work&& work) {
    std::atomic<std::size_t> next{0};
    auto run = [&](unsigned worker) {
        for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) work(worker, i);
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w) threads.emplace_back(run, w);
    run(0);
    for (std::thread& t : threads) t.join();
}

}  // namespace core
