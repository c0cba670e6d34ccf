#pragma once
// Hashing of maps, so that maps can be keys of other maps.
//
// `hashWithSalt` threads the salt through the trie in trie order, reusing
// the hashes stored in the nodes: a Leaf mixes its stored hash and then its
// value; a bucket mixes its hash, then the hashes of its pairs sorted as
// signed integers, so that the order of a bucket's pairs does not matter and
// maps equal by `==` hash alike. Keys are hashed again only inside buckets.
// `liftHashWithSalt2` hashes keys and values with the caller's functions.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <basis/hashable.hpp>
#include <basis/lazy.hpp>
#include <basis/lifted.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

inline std::int64_t mixWord(std::int64_t salt, std::uint64_t word) noexcept {
  return static_cast<std::int64_t>(basis::hashWordWithSalt(static_cast<std::uint64_t>(salt), word));
}

// A bucket of hash h mixed into s: the hash, then hv(hk(s1, k), v) of each
// pair sorted ascending as signed integers.
template <class K, class V, class HK, class HV>
std::int64_t hashBucket(std::int64_t s, const HashMap<K, V>& bucket, HK& hk, HV& hv) {
  const std::int64_t s1 = mixWord(s, bucket.nodeHash());
  std::vector<std::int64_t> pairHashes;
  pairHashes.reserve(static_cast<std::size_t>(bucket.bucketSize()));
  const L<K, V>* p = bucket.bucket();
  for (std::int64_t i = 0, n = bucket.bucketSize(); i < n; ++i)
    pairHashes.push_back(static_cast<std::int64_t>(hv(static_cast<std::int64_t>(hk(s1, p[i].key)), p[i].value)));
  std::sort(pairHashes.begin(), pairHashes.end());
  std::int64_t acc = s1;
  for (const std::int64_t ph : pairHashes) acc = mixWord(acc, static_cast<std::uint64_t>(ph));
  return acc;
}

template <class K, class V, class HK, class HV>
std::int64_t hashNode(std::int64_t s, const HashMap<K, V>& node, HK& hk, HV& hv) {
  switch (node.kind()) {
    case Kind::Empty:
      return s;
    case Kind::Leaf:
      return static_cast<std::int64_t>(hv(mixWord(s, node.nodeHash()), node.leaf().value));
    case Kind::Collision:
      return hashBucket(s, node, hk, hv);
    case Kind::BitmapIndexed:
    case Kind::Full: {
      const HashMap<K, V>* c = node.children();
      for (std::int64_t i = 0, n = node.childCount(); i < n; ++i) s = hashNode(s, c[i], hk, hv);
      return s;
    }
  }
  return s;
}

// K's and V's own salted hashes, the value forced.
struct HashKey {
  template <class K>
  std::int64_t operator()(std::int64_t s, const K& k) const {
    return basis::hashWithSalt(s, k);
  }
};
struct HashValue {
  template <class V>
  std::int64_t operator()(std::int64_t s, const basis::Lazy<V>& v) const {
    return basis::hashWithSalt(s, v.force());
  }
};

}  // namespace detail

// `hashWithSalt` of a map: the salt threaded through its Leaf and Collision
// nodes in trie order with the stored hashes (see the header comment); equal
// maps hash alike. O(n) plus a sort per bucket; forces every value.
template <class K, class V>
std::int64_t hashWithSalt(std::int64_t salt, const HashMap<K, V>& m) {
  detail::HashKey hk;
  detail::HashValue hv;
  return detail::hashNode(salt, m, hk, hv);
}

// (`hash` of a map is basis::hash(m): `hashWithSalt` with basis::defaultSalt.)

// `liftHashWithSalt2`: the salt threaded through the Leaf and Collision
// nodes in trie order, each Leaf's key hashed by hk(salt, key) and then its
// value by hv(salt, value as stored); a bucket as in `hashWithSalt` with hk
// and hv. The stored hashes of leaves are not used. O(n).
template <class HK, class HV, class K, class V>
std::int64_t liftHashWithSalt2(HK hk, HV hv, std::int64_t salt, const HashMap<K, V>& m) {
  detail::LeafWalker<K, V> nodes(m);
  std::int64_t acc = salt;
  while (const HashMap<K, V>* n = nodes.next()) {
    if (n->kind() == Kind::Leaf) {
      acc = static_cast<std::int64_t>(hv(static_cast<std::int64_t>(hk(acc, n->leaf().key)), n->leaf().value));
    } else {
      acc = detail::hashBucket(acc, *n, hk, hv);
    }
  }
  return acc;
}

// `liftHashWithSalt`: `liftHashWithSalt2` with K's own salted hash.
template <class HV, class K, class V>
std::int64_t liftHashWithSalt(HV hv, std::int64_t salt, const HashMap<K, V>& m) {
  return liftHashWithSalt2(detail::HashKey{}, std::move(hv), salt, m);
}

}  // namespace hashgrove::internal

// Hashable of maps: `hashWithSalt` above; `hash` with the default salt.
template <class K, class V>
struct basis::Hashable<hashgrove::internal::HashMap<K, V>> {
  static std::int64_t hashWithSalt(std::int64_t salt, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::hashWithSalt(salt, m);
  }
  static std::int64_t hash(const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::hashWithSalt(basis::defaultSalt, m);
  }
};

// std::hash of maps whose keys and values are hashable.
template <class K, class V>
  requires basis::HashableType<K> && basis::HashableType<V>
struct std::hash<hashgrove::internal::HashMap<K, V>> {
  std::size_t operator()(const hashgrove::internal::HashMap<K, V>& m) const {
    return static_cast<std::size_t>(hashgrove::internal::hashWithSalt(basis::defaultSalt, m));
  }
};

// The lifted hashes: values handed to the caller's function forced.
template <class K>
struct basis::Hashable1<hashgrove::HashMapOf<K>> {
  // `liftHashWithSalt`: K's own salted hash for keys, h for values.
  template <class H, class V>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t salt, const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::liftHashWithSalt(
        [&h](std::int64_t s, const basis::Lazy<V>& v) { return h(s, v.force()); }, salt, m);
  }
};
template <>
struct basis::Hashable2<hashgrove::HashMapTag> {
  // `liftHashWithSalt2`: hk for keys, hv for values.
  template <class HK, class HV, class K, class V>
  static std::int64_t liftHashWithSalt2(const HK& hk, const HV& hv, std::int64_t salt,
                                        const hashgrove::internal::HashMap<K, V>& m) {
    return hashgrove::internal::liftHashWithSalt2(
        hk, [&hv](std::int64_t s, const basis::Lazy<V>& v) { return hv(s, v.force()); }, salt, m);
  }
};
