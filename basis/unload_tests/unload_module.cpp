// A module that uses libbasis, for the unload test: loading it loads
// libbasis, and closing it is the last close of libbasis.

#include <cstdint>

#include "basis/lazy.hpp"

namespace {

basis::Lazy<std::int64_t> chain(std::int64_t depth) {
  basis::Lazy<std::int64_t> c(0);
  for (std::int64_t i = 0; i < depth; ++i) {
    c = basis::Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

}  // namespace

// Forces a chain deep enough to run on stack segments: the calling thread
// takes a forcing record and keeps segments, both handed back when it ends.
extern "C" __attribute__((visibility("default"))) std::int64_t basis_unload_force(std::int64_t depth) {
  return chain(depth).force();
}
