#include <stdexcept>

#include "knotloom/internal/engine.hpp"

namespace knotloom::internal {

void throwUnwalkableLayer() {
  throw std::logic_error(
      "knotloom: the layer's fmap did not apply its function once per child during the call; "
      "fold such a layer with an algebra over deferred children");
}

}  // namespace knotloom::internal
