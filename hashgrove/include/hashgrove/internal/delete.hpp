#pragma once
// Deletion: one key out of a map, copying only the path and collapsing what
// the removal thins out: a branch left with one Leaf or Collision child is
// replaced by that child, a Full node that loses a child becomes a
// BitmapIndexed node of 31, and a bucket of one pair becomes a Leaf. Deleting
// an absent key from a non-empty map returns that map itself.

#include <cstdint>
#include <type_traits>
#include <utility>

#include "hashgrove/internal/bucket.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

namespace detail {

// The BitmapIndexed node t (bitmap b, child i for `bit`) after child i has
// become `sub`, collapsed as deletion requires.
template <class K, class V>
HashMap<K, V> branchWithNewChild(const HashMap<K, V>& t, Bitmap b, Bitmap bit, std::size_t i, HashMap<K, V>&& sub) {
  const auto n = static_cast<std::size_t>(t.childCount());
  const HashMap<K, V>* c = t.children();
  if (sub.kind() == Kind::Empty) {
    if (n == 1) return HashMap<K, V>();
    if (n == 2) {
      const HashMap<K, V>& other = c[i == 0 ? 1 : 0];
      if (isLeafOrCollision(other)) return other;
      auto f = fillBranch<K, V>(1, b & ~bit);
      f.emplace(other);
      return finish(f);
    }
    return HashMap<K, V>::adopt(array::detail::deleteAt(c, n, i, tagOf(Kind::BitmapIndexed), b & ~bit));
  }
  if (n == 1 && isLeafOrCollision(sub)) return std::move(sub);
  return HashMap<K, V>::adopt(array::detail::updateAt(c, n, i, std::move(sub), tagOf(Kind::BitmapIndexed), b));
}

// The Full node t after child i has become `sub`.
template <class K, class V>
HashMap<K, V> fullWithNewChild(const HashMap<K, V>& t, std::size_t i, HashMap<K, V>&& sub) {
  const auto n = static_cast<std::size_t>(t.childCount());
  if (sub.kind() == Kind::Empty) {
    return HashMap<K, V>::adopt(array::detail::deleteAt(t.children(), n, i, tagOf(Kind::BitmapIndexed),
                                                        fullBitmap & ~(Bitmap{1} << i)));
  }
  return HashMap<K, V>::adopt(array::detail::updateAt(t.children(), n, i, std::move(sub), tagOf(Kind::Full), fullBitmap));
}

// The Collision t without its pair at position i (0 <= i < n).
template <class K, class V>
HashMap<K, V> bucketWithout(const HashMap<K, V>& t, std::size_t i) {
  const auto n = static_cast<std::size_t>(t.bucketSize());
  const Hash h = t.nodeHash();
  if (n == 2) {
    const L<K, V>& other = t.bucket()[i == 0 ? 1 : 0];
    return makeLeaf<K, V>(h, other.key, other.value);
  }
  return HashMap<K, V>::adopt(array::detail::deleteAt(t.bucket(), n, i, tagOf(Kind::Collision), h));
}

template <class K, class V>
HashMap<K, V> deleteWalk(Hash h, const K& k, Shift s, const HashMap<K, V>& t) {
  switch (t.kind()) {
    case Kind::Empty:
      return t;
    case Kind::Leaf:
      if (t.nodeHash() == h && t.leaf().key == k) return HashMap<K, V>();
      return t;
    case Kind::BitmapIndexed: {
      const Bitmap b = t.bitmap();
      const Bitmap bit = mask(h, s);
      if ((b & bit) == 0) return t;
      const auto i = static_cast<std::size_t>(sparseIndex(b, bit));
      const HashMap<K, V>& c = t.children()[i];
      HashMap<K, V> sub = deleteWalk(h, k, nextShift(s), c);
      if (ptrEq(sub, c)) return t;
      return branchWithNewChild(t, b, bit, i, std::move(sub));
    }
    case Kind::Full: {
      const auto i = static_cast<std::size_t>(index(h, s));
      const HashMap<K, V>& c = t.child(static_cast<std::int64_t>(i));
      HashMap<K, V> sub = deleteWalk(h, k, nextShift(s), c);
      if (ptrEq(sub, c)) return t;
      return fullWithNewChild(t, i, std::move(sub));
    }
    case Kind::Collision: {
      if (t.nodeHash() != h) return t;
      const std::int64_t i = bucketIndexOf(k, t.bucket(), t.bucketSize());
      if (i < 0) return t;
      return bucketWithout(t, static_cast<std::size_t>(i));
    }
  }
  __builtin_unreachable();
}

}  // namespace detail

// `delete'` (an overload of `delete_` with the hash first): m without k,
// whose hash is h. m itself when k is absent (the empty map for an empty m).
// O(log32 n); throws what `==` throws.
template <class K, class V>
HashMap<K, V> delete_(Hash h, const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  return detail::deleteWalk<K, V>(h, k, 0, m);
}

// m without k; m itself when k is absent. Hashes k once; O(log32 n); throws
// what `hash` or `==` throws.
template <class K, class V>
HashMap<K, V> delete_(const std::type_identity_t<K>& k, const HashMap<K, V>& m) {
  const Hash h = internal::hash(k);
  return detail::deleteWalk<K, V>(h, k, 0, m);
}

}  // namespace hashgrove::internal
