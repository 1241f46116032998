#pragma once

#include <cstddef>
#include <functional>

namespace sorvane {

// Runs work(i) for every i in [0, count) on up to `workers` threads (1 or 0: on the
// calling thread alone) and calls deliver(i) in index order, each as soon as work
// has finished for i and every earlier index. Calls of deliver never overlap, so it
// may print and count without a lock of its own. An exception from work stops the
// handing out of new indices and is thrown again once every thread has ended.
void run_in_order(std::size_t count, unsigned workers, const std::function<void(std::size_t)>& work,
                  const std::function<void(std::size_t)>& deliver);

// The number of spectra a runtime analyses at once: `requested` when it is a
// positive number, else the machine's hardware threads (at least 1).
unsigned worker_count(const char* requested);

}  // namespace sorvane
