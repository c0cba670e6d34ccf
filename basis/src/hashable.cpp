#include "basis/hashable.hpp"

#include <xxhash.h>

namespace basis {

std::int64_t hashBytesWithSalt(std::int64_t salt, const void* data, std::size_t size) noexcept {
  return static_cast<std::int64_t>(
      XXH3_64bits_withSeed(data, size, static_cast<XXH64_hash_t>(salt)));
}

}  // namespace basis
