#pragma once
// Helpers for the tests of the whole-map walks: maps of keys with chosen
// hashes, the trie order computed independently of the trie, node-shape
// comparison, and RapidCheck generators of maps with many collisions.

#include <algorithm>
#include <compare>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <rapidcheck.h>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::testing {

// Keys order by id (for the ordering of maps).
inline std::strong_ordering operator<=>(const Key& a, const Key& b) { return a.id <=> b.id; }

using internal::HashMap;
using internal::Kind;
using Pairs = std::vector<std::pair<Key, int>>;

// The map of the pairs, inserted one by one in order.
template <class V = int>
HashMap<Key, V> build(const std::vector<std::pair<Key, V>>& pairs) {
  HashMap<Key, V> m;
  for (const auto& [k, v] : pairs) m = internal::insert(k, v, m);
  return m;
}

// The 5-bit fragments of a hash, lowest first: the path of its key in a trie.
inline std::vector<std::uint64_t> fragments(std::uint64_t h) {
  std::vector<std::uint64_t> f;
  for (int s = 0; s < 64; s += 5) f.push_back((h >> s) & 31);
  return f;
}

// The distinct keys of the pairs with their last values, in trie order:
// sorted by hash fragments from the lowest up, keys of one hash in the order
// they first appeared (a bucket keeps insertion order; replacing a key keeps
// its place).
template <class V>
std::vector<std::pair<Key, V>> trieOrder(const std::vector<std::pair<Key, V>>& pairs) {
  std::vector<std::pair<Key, V>> distinct;
  for (const auto& p : pairs) {
    auto it = std::find_if(distinct.begin(), distinct.end(), [&](const auto& q) { return q.first.id == p.first.id; });
    if (it == distinct.end()) {
      distinct.push_back(p);
    } else {
      it->second = p.second;
    }
  }
  std::stable_sort(distinct.begin(), distinct.end(),
                   [](const auto& a, const auto& b) { return fragments(a.first.hash) < fragments(b.first.hash); });
  return distinct;
}

// The ids of a list of key/value pairs.
template <class R>
std::vector<std::int64_t> idsOf(const R& pairs) {
  std::vector<std::int64_t> ids;
  for (const auto& p : pairs) ids.push_back(p.first.id);
  return ids;
}

// The same node kinds, bitmaps, hashes, array lengths and key ids in the same
// places.
template <class V1, class V2>
bool sameShape(const HashMap<Key, V1>& a, const HashMap<Key, V2>& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Kind::Empty:
      return true;
    case Kind::Leaf:
      return a.nodeHash() == b.nodeHash() && a.leaf().key.id == b.leaf().key.id;
    case Kind::Collision:
      if (a.nodeHash() != b.nodeHash() || a.bucketSize() != b.bucketSize()) return false;
      for (std::int64_t i = 0; i < a.bucketSize(); ++i)
        if (a.bucket()[i].key.id != b.bucket()[i].key.id) return false;
      return true;
    default:
      if (a.bitmap() != b.bitmap() || a.childCount() != b.childCount()) return false;
      for (std::int64_t i = 0; i < a.childCount(); ++i)
        if (!sameShape(a.child(i), b.child(i))) return false;
      return true;
  }
}

// Whether any node of b (a branch, bucket or leaf) is a node of a.
template <class V>
bool sharesANode(const HashMap<Key, V>& a, const HashMap<Key, V>& b) {
  std::vector<const void*> nodesOfA;
  auto collect = [&](auto&& self, const HashMap<Key, V>& t) -> void {
    if (t.kind() == Kind::Empty) return;
    nodesOfA.push_back(t.node());
    if (t.kind() == Kind::BitmapIndexed || t.kind() == Kind::Full)
      for (std::int64_t i = 0; i < t.childCount(); ++i) self(self, t.child(i));
  };
  collect(collect, a);
  auto found = [&](auto&& self, const HashMap<Key, V>& t) -> bool {
    if (t.kind() == Kind::Empty) return false;
    if (std::find(nodesOfA.begin(), nodesOfA.end(), t.node()) != nodesOfA.end()) return true;
    if (t.kind() == Kind::BitmapIndexed || t.kind() == Kind::Full)
      for (std::int64_t i = 0; i < t.childCount(); ++i)
        if (self(self, t.child(i))) return true;
    return false;
  };
  return found(found, b);
}

template <class V>
bool isValid(const HashMap<Key, V>& m) {
  return internal::debug::valid(m).isValid();
}

// A deferred value that throws when forced.
template <class V = int>
basis::Lazy<V> failing(const char* what = "forced a failing value") {
  return basis::Lazy<V>::defer([what]() -> V { throw std::runtime_error(what); });
}

// Keys 0..n-1 whose hashes are their ids.
inline Pairs consecutive(int n, int valueOffset = 0) {
  Pairs ps;
  for (int i = 0; i < n; ++i) ps.push_back({key(i), i + valueOffset});
  return ps;
}

// Pairs whose hashes come from a small set, so that collisions, shared
// prefixes and both branch kinds occur; ids are distinct per hash collision
// group but may repeat across the list (a later pair then replaces).
inline rc::Gen<Pairs> genPairs() {
  return rc::gen::container<Pairs>(rc::gen::apply(
      [](int id, int hashChoice, int value) {
        // Three families of hashes: ids themselves (dense low fragments),
        // a few shared hashes (collisions), and high-bit hashes.
        std::uint64_t h;
        switch (hashChoice % 3) {
          case 0: h = static_cast<std::uint64_t>(id); break;
          case 1: h = static_cast<std::uint64_t>(id % 5) * 0x9e3779b97f4a7c15ULL; break;
          default: h = (static_cast<std::uint64_t>(id) << 59) | static_cast<std::uint64_t>(id % 7); break;
        }
        // One id always gets one hash.
        return std::pair<Key, int>{Key{id * 3 + hashChoice % 3, h}, value};
      },
      rc::gen::inRange(0, 200), rc::gen::inRange(0, 3), rc::gen::inRange(-1000, 1000)));
}

}  // namespace hashgrove::testing
