#include "work_pool.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace sorvane {

void run_in_order(std::size_t count, unsigned workers, const std::function<void(std::size_t)>& work,
                  const std::function<void(std::size_t)>& deliver) {
    const std::size_t threads = std::min<std::size_t>(std::max(workers, 1u), count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            work(i);
            deliver(i);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    std::mutex guard;  // over finished, next_to_deliver, failure and every deliver call
    std::vector<char> finished(count, 0);
    std::size_t next_to_deliver = 0;
    std::exception_ptr failure;
    auto worker = [&] {
        while (!stopped) {
            const std::size_t i = next++;
            if (i >= count) return;
            try {
                work(i);
                const std::lock_guard lock(guard);
                finished[i] = 1;
                // Whoever completes the earliest open index delivers what is ready behind it.
                while (!failure && next_to_deliver < count && finished[next_to_deliver])
                    deliver(next_to_deliver++);
            } catch (...) {
                const std::lock_guard lock(guard);
                if (!failure) failure = std::current_exception();
                stopped = true;
                return;
            }
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // the threads made so far share the work
        }
    }
    worker();  // the calling thread is one of the workers
    for (auto& thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);
}

unsigned worker_count(const char* requested) {
    if (requested != nullptr) {
        unsigned value = 0;
        const char* end = requested + std::strlen(requested);
        const auto [stop, error] = std::from_chars(requested, end, value);
        if (error == std::errc() && stop == end && value > 0) return value;
    }
    return std::max(std::thread::hardware_concurrency(), 1u);
}

}  // namespace sorvane
