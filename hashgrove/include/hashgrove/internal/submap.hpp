#pragma once
// Sub-map tests: whether every key of one map is a key of another whose two
// values a predicate accepts. One walk down both tries, by the stored hashes,
// stopping at the first failure; nothing is hashed or built. The predicate
// receives the first map's value first, as stored (unevaluated), and is
// called only for keys present in both maps.

#include <bit>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>

#include "hashgrove/internal/array.hpp"
#include "hashgrove/internal/node.hpp"
#include "hashgrove/internal/subtree_lookup.hpp"

namespace hashgrove::internal {

namespace detail {

template <class K, class V1, class V2, class P>
bool subsetPairs(P& p, const L<K, V1>* a1, std::int64_t n1, const L<K, V2>* a2, std::int64_t n2) {
  if (n1 > n2) return false;
  for (std::int64_t i = 0; i < n1; ++i) {
    const L<K, V2>* found = nullptr;
    for (std::int64_t j = 0; j < n2; ++j) {
      if (a1[i].key == a2[j].key) {
        found = &a2[j];
        break;
      }
    }
    if (found == nullptr || !static_cast<bool>(p(a1[i].value, found->value))) return false;
  }
  return true;
}

template <class C1, class C2, class T>
bool submapChildren(T& childTest, Bitmap b1, const C1* children1, Bitmap b2, const C2* children2) {
  if ((b1 | b2) != b2) return false;
  std::int64_t i = 0;
  std::int64_t j = 0;
  // Slots from the lowest of b2 upward; a bit beyond the highest word bit
  // ends the scan.
  for (Bitmap m = b2 & (~b2 + 1); m != 0 && m <= b2; m <<= 1) {
    if ((b1 & m) != 0) {
      if (!static_cast<bool>(childTest(children1[i], children2[j]))) return false;
      ++i;
      ++j;
    } else if ((b2 & m) != 0) {
      ++j;
    }
  }
  return true;
}

template <class K, class V1, class V2, class P>
bool submapWalk(P& p, Shift s, const HashMap<K, V1>& t1, const HashMap<K, V2>& t2) {
  if (t1.kind() == Kind::Empty) return true;
  if (t2.kind() == Kind::Empty) return false;
  auto childTest = [&p, s](const HashMap<K, V1>& c1, const HashMap<K, V2>& c2) {
    return submapWalk(p, nextShift(s), c1, c2);
  };
  switch (t1.kind()) {
    case Kind::Leaf: {
      const L<K, V1>& p1 = t1.leaf();
      const basis::Lazy<V2>* x2 = lookupInSubtree(t1.nodeHash(), p1.key, t2, s);
      return x2 != nullptr && static_cast<bool>(p(p1.value, *x2));
    }
    case Kind::Collision: {
      const Hash h1 = t1.nodeHash();
      switch (t2.kind()) {
        case Kind::Collision:
          return t2.nodeHash() == h1 && subsetPairs(p, t1.bucket(), t1.bucketSize(), t2.bucket(), t2.bucketSize());
        case Kind::BitmapIndexed: {
          const Bitmap m = mask(h1, s);
          if ((t2.bitmap() & m) == 0) return false;
          return submapWalk(p, nextShift(s), t1, t2.children()[sparseIndex(t2.bitmap(), m)]);
        }
        case Kind::Full:
          return submapWalk(p, nextShift(s), t1, t2.children()[index(h1, s)]);
        default:
          return false;  // a bucket holds at least two keys
      }
    }
    case Kind::BitmapIndexed:
      if (t2.kind() == Kind::BitmapIndexed) {
        return submapChildren(childTest, t1.bitmap(), t1.children(), t2.bitmap(), t2.children());
      }
      if (t2.kind() == Kind::Full) {
        return submapChildren(childTest, t1.bitmap(), t1.children(), fullBitmap, t2.children());
      }
      return false;
    case Kind::Full:
      if (t2.kind() == Kind::Full) return submapChildren(childTest, fullBitmap, t1.children(), fullBitmap, t2.children());
      return false;
    default:
      return false;
  }
}

}  // namespace detail

// True when every pair of bucket a1 has a pair of equal key in a2 (the key of
// a1 first in `==`) whose values p(a1's value, a2's value) accepts. False at
// once, without calling p, when a1 is the longer. O(|a1| * |a2|).
template <class K, class V1, class V2, class P>
bool subsetArray(P p, const array::Array<L<K, V1>>& a1, const array::Array<L<K, V2>>& a2) {
  return detail::subsetPairs(p, a1.data(), a1.size(), a2.data(), a2.size());
}

// True when every slot of the first branch (bitmap b1, packed children1) is a
// slot of the second and childTest(child1, child2) accepts each pair of
// children in the same slot, tested lowest slot first, stopping at the first
// failure. The arrays must hold popcount(b1) and popcount(b2) children
// (std::out_of_range otherwise).
template <class C1, class C2, class T>
bool submapBitmapIndexed(T childTest, Bitmap b1, const array::Array<C1>& children1, Bitmap b2,
                         const array::Array<C2>& children2) {
  if (children1.size() != std::popcount(b1) || children2.size() != std::popcount(b2)) {
    throw std::out_of_range("Data.HashMap.Internal.submapBitmapIndexed: array length differs from its bitmap");
  }
  return detail::submapChildren(childTest, b1, children1.data(), b2, children2.data());
}

// True when every key of m1 is a key of m2 and f(m1's value, m2's value)
// accepts each such pair. Never hashes or allocates; stops at the first
// failure. Throws what `==` or f throws.
template <class K, class V1, class V2, class F>
bool isSubmapOfBy(F f, const HashMap<K, V1>& m1, const HashMap<K, V2>& m2) {
  return detail::submapWalk(f, 0, m1, m2);
}

// True when every key of m1 is a key of m2 with an equal value (`==` of the
// values, m1's first; both values are forced). Throws what `==` or forcing a
// value throws.
template <class K, class V>
bool isSubmapOf(const HashMap<K, V>& m1, const HashMap<K, V>& m2) {
  auto equal = [](const basis::Lazy<V>& x1, const basis::Lazy<V>& x2) {
    return basis::applyForced(std::equal_to<>(), x1, x2);  // x1 first
  };
  return detail::submapWalk(equal, 0, m1, m2);
}

}  // namespace hashgrove::internal
