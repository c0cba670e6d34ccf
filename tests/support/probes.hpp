#pragma once
// Small probes the test programs share: which failure a run meets first, and
// how much CPU time a run takes at best.

#include <time.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

namespace probes {

// The message of the std::runtime_error a run throws first, or "nothing".
inline std::string firstFailure(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "nothing";
}

// The CPU seconds the calling thread has used so far. Time the thread spends
// waiting for a core does not count, so a ratio of two such timings holds on
// a loaded machine, where a wall clock charges a preempted run with the time
// other processes held its core.
inline double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The thread CPU seconds f takes, the best of three runs.
template <class F>
double bestSeconds(F f) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const double start = threadCpuSeconds();
    f();
    best = std::min(best, threadCpuSeconds() - start);
  }
  return best;
}

}  // namespace probes
