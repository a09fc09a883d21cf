// The one worker pool: work(i) for every i below count, on `jobs` threads at
// once (the calling thread one of them), each index taken once in order.
// A call that throws stops the pool from taking more; the first exception
// is rethrown once every thread is done. So is a stop that `stop` asks for,
// checked before each index is taken.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace judge {

inline void for_each_index(std::size_t count, int jobs, const std::function<void(std::size_t)>& work,
                           const std::function<bool()>& stop = {})
{
    std::atomic<std::size_t> next{0};
    std::mutex failure_mutex;
    std::exception_ptr failure;
    const auto worker = [&] {
        for (;;) {
            if (stop && stop())
                return;
            const std::size_t index = next++;
            if (index >= count)
                return;
            try {
                work(index);
            } catch (...) {
                const std::lock_guard lock(failure_mutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
                return;
            }
        }
    };
    const int threads = std::max(1, static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), count)));
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i)
        pool.emplace_back(worker);
    worker();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace judge
