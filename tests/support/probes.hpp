#pragma once
// Small probes the test programs share: which failure a run meets first, how
// much CPU time a run takes at best, and how far a run raises the peak
// memory of the process.

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

// The rise of the process's peak resident size from the moment it is made,
// in bytes. Starting hands the heap's free pages back and starts a new
// high-water mark (Linux's clear_refs), so memory a forked child inherits
// or the process used before does not hide the rise; where the mark cannot
// be reset, it counts from the old peak (which may hide part of the rise).
class PeakGrowth {
 public:
  PeakGrowth() {
    malloc_trim(0);
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      reset_ = std::fputs("5", f) >= 0;
      reset_ = std::fclose(f) == 0 && reset_;
    }
    start_ = reset_ ? statusBytes("VmRSS:") : maxResident();
  }
  std::size_t bytes() const {
    const std::size_t peak = reset_ ? statusBytes("VmHWM:") : maxResident();
    return peak > start_ ? peak - start_ : 0;
  }

 private:
  // A size in /proc/self/status, in bytes.
  static std::size_t statusBytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind(key, 0) == 0) return std::strtoull(line.c_str() + std::strlen(key), nullptr, 10) * 1024;
    }
    return 0;
  }
  static std::size_t maxResident() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
  }

  bool reset_ = false;
  std::size_t start_ = 0;
};

}  // namespace probes
