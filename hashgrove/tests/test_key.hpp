#pragma once
// A key whose hash the test chooses, so that collisions, shared prefixes and
// any fragment can be built on purpose; it counts calls of `==` and `hash`.

#include <cstdint>
#include <ostream>
#include <string>

#include <basis/hashable.hpp>
#include <basis/show.hpp>

namespace hashgrove::testing {

struct Key {
  std::int64_t id = 0;
  std::uint64_t hash = 0;  // the full hash the map will see
  int tag = 0;             // ignored by `==` and `hash`: tells key objects apart

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
// An equal key object told apart by its tag.
inline Key tagged(std::int64_t id, std::uint64_t hash, int tag) { return Key{id, hash, tag}; }

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

// Prints as the record form the platform would derive.
template <>
struct basis::Show<hashgrove::testing::Key> : basis::ShowDefaults<hashgrove::testing::Key> {
  static void showsPrec(int d, const hashgrove::testing::Key& k, std::string& out) {
    basis::showRecord(d, out, "Key", [&](basis::RecordFields& f) {
      f.field("id", k.id);
      f.field("hash", k.hash);
    });
  }
};

namespace hashgrove::testing {
// A key whose equality is one-sided: a == b holds when the ids agree or when
// b (the second operand) is a wildcard. It shows which key a walk passes
// first.
struct OneSidedKey {
  std::int64_t id = 0;
  std::uint64_t hash = 0;
  bool wildcard = false;
  friend bool operator==(const OneSidedKey& a, const OneSidedKey& b) { return a.id == b.id || b.wildcard; }
};
}  // namespace hashgrove::testing

template <>
struct basis::Hashable<hashgrove::testing::OneSidedKey> {
  static std::int64_t hash(const hashgrove::testing::OneSidedKey& k) { return static_cast<std::int64_t>(k.hash); }
  static std::int64_t hashWithSalt(std::int64_t s, const hashgrove::testing::OneSidedKey& k) {
    return basis::hashWithSalt(s, static_cast<std::int64_t>(k.hash));
  }
};
