#include <atomic>
#include <stdexcept>

#include "knotloom/internal/engine.hpp"

namespace knotloom::internal {

constinit thread_local OpenWalk* openWalks = nullptr;

std::uint64_t newWalkId() noexcept {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

void throwUnwalkableLayer() {
  throw std::logic_error(
      "knotloom: the layer's fmap did not visit the same children in the same order on two calls "
      "over one layer; fold such a layer with an algebra over deferred children");
}

void throwChildReadLate() {
  throw std::logic_error(
      "knotloom: a folded child was read after its fold had returned; "
      "fold a layer whose fmap keeps its function with an algebra over deferred children");
}

}  // namespace knotloom::internal
