#pragma once
// A key whose hash the test chooses, so that collisions, shared prefixes and
// any fragment can be built on purpose; it counts calls of `==` and `hash`.

#include <cstdint>
#include <ostream>
#include <string>

#include <basis/hashable.hpp>

namespace hashgrove::testing {

struct Key {
  std::int64_t id = 0;
  std::uint64_t hash = 0;  // the full hash the map will see

  static inline thread_local std::int64_t equalityCalls = 0;
  static inline thread_local std::int64_t hashCalls = 0;
  static void resetCounts() { equalityCalls = hashCalls = 0; }

  friend bool operator==(const Key& a, const Key& b) {
    ++equalityCalls;
    return a.id == b.id;
  }
  friend std::ostream& operator<<(std::ostream& os, const Key& k) {
    return os << "Key{" << k.id << ", " << k.hash << "}";
  }
};

// A key whose hash is its id.
inline Key key(std::int64_t id) { return Key{id, static_cast<std::uint64_t>(id)}; }
// A key with an explicit hash.
inline Key key(std::int64_t id, std::uint64_t hash) { return Key{id, hash}; }

}  // namespace hashgrove::testing

template <>
struct basis::Hashable<hashgrove::testing::Key> {
  static std::int64_t hash(const hashgrove::testing::Key& k) {
    ++hashgrove::testing::Key::hashCalls;
    return static_cast<std::int64_t>(k.hash);
  }
  static std::int64_t hashWithSalt(std::int64_t s, const hashgrove::testing::Key& k) {
    return basis::hashWithSalt(s, static_cast<std::int64_t>(k.hash));
  }
};
