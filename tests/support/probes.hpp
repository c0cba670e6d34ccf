#pragma once
// Small probes the test programs share: which failure a run meets first, and
// how long a run takes at best.

#include <algorithm>
#include <chrono>
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

// Seconds taken by f, the best of three runs.
template <class F>
double bestSeconds(F f) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace probes
