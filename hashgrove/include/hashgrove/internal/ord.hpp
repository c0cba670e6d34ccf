#pragma once
// Ordering of maps: a total order for sorting maps and keying ordered
// containers by them. It is not the order of the keys: `cmp` walks the two
// maps' Leaf and Collision nodes in trie order and compares stored hashes
// (as unsigned words) first, then keys, then values; at one position a Leaf
// orders before a Collision, and of two buckets of one hash the shorter is
// less. Buckets compare regardless of the order of their pairs.
//
// The comparison operators follow the definitions from `cmp` exactly:
// x < y is cmp(y, x) == GT, x >= y is cmp(y, x) != GT, and `max` / `min`
// return the second / first argument when the maps compare equal.

#include <compare>
#include <cstdint>
#include <ranges>
#include <span>
#include <utility>

#include <basis/error.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/lifted.hpp>
#include <basis/types.hpp>

#include "hashgrove/internal/bitag.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/list.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal {

// "cmp: Should never happen, leavesAndCollisions includes non Leaf /
// Collision", raised at ./Data/HashMap/Internal:489:14: a walk met a node
// kind that no valid trie yields there.
const basis::ErrorCall& cmpError();

// `cmp`: the order of two maps, with ck(first key, second key) and
// cv(first value, second value) giving basis::Ordering (values handed as
// stored). Stops at the first difference; maps whose hashes differ are
// ordered without calling ck or cv. O(n) worst case.
template <class CK, class CV, class K1, class V1, class K2, class V2>
basis::Ordering cmp(CK ck, CV cv, const HashMap<K1, V1>& a, const HashMap<K2, V2>& b) {
  auto pairs = [&](const L<K1, V1>& x, const L<K2, V2>& y) {
    const basis::Ordering o = ck(x.key, y.key);
    return o != basis::EQ ? o : cv(x.value, y.value);
  };
  detail::LeafWalker<K2, V2> bs(b);
  detail::LeafWalker<K1, V1> as(a);
  for (;;) {
    const HashMap<K1, V1>* x = as.next();
    if (x == nullptr) return bs.next() == nullptr ? basis::EQ : basis::LT;
    const HashMap<K2, V2>* y = bs.next();
    if (y == nullptr) return basis::GT;
    if (x->kind() == Kind::Leaf && y->kind() == Kind::Leaf) {
      if (x->nodeHash() != y->nodeHash()) return x->nodeHash() < y->nodeHash() ? basis::LT : basis::GT;
      const basis::Ordering o = pairs(x->leaf(), y->leaf());
      if (o != basis::EQ) return o;
    } else if (x->kind() == Kind::Leaf && y->kind() == Kind::Collision) {
      return basis::LT;
    } else if (x->kind() == Kind::Collision && y->kind() == Kind::Leaf) {
      return basis::GT;
    } else if (x->kind() == Kind::Collision && y->kind() == Kind::Collision) {
      if (x->nodeHash() != y->nodeHash()) return x->nodeHash() < y->nodeHash() ? basis::LT : basis::GT;
      if (x->bucketSize() != y->bucketSize()) return x->bucketSize() < y->bucketSize() ? basis::LT : basis::GT;
      const basis::Ordering o =
          list::unorderedCompare(pairs, std::span(x->bucket(), static_cast<std::size_t>(x->bucketSize())),
                                 std::span(y->bucket(), static_cast<std::size_t>(y->bucketSize())));
      if (o != basis::EQ) return o;
    } else {
      basis::throwErrorCall(cmpError());
    }
  }
}

namespace detail {
// K's and V's own comparisons as basis::Ordering.
struct CompareKeys {
  template <class K>
  basis::Ordering operator()(const K& x, const K& y) const {
    return basis::compare(x, y);
  }
};
struct CompareValues {
  template <class V>
  basis::Ordering operator()(const basis::Lazy<V>& x, const basis::Lazy<V>& y) const {
    return basis::applyForced(CompareKeys{}, x, y);  // x first
  }
};
template <class K, class V>
basis::Ordering compareMaps(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return cmp(CompareKeys{}, CompareValues{}, a, b);
}
}  // namespace detail

// `liftCompare`: `cmp` with K's own comparison and the given value comparison.
template <class CV, class K, class V1, class V2>
basis::Ordering liftCompare(CV cv, const HashMap<K, V1>& a, const HashMap<K, V2>& b) {
  return cmp(detail::CompareKeys{}, std::move(cv), a, b);
}
// `liftCompare2`: `cmp` itself.
template <class CK, class CV, class K1, class V1, class K2, class V2>
basis::Ordering liftCompare2(CK ck, CV cv, const HashMap<K1, V1>& a, const HashMap<K2, V2>& b) {
  return cmp(std::move(ck), std::move(cv), a, b);
}

// `compare`: `cmp` with K's and V's own comparisons.
template <class K, class V>
basis::Ordering compare(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return detail::compareMaps(a, b);
}

// Three-way comparison by `compare`.
template <class K, class V>
std::weak_ordering operator<=>(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  const basis::Ordering o = detail::compareMaps(a, b);
  return o == basis::LT ? std::weak_ordering::less
                        : (o == basis::GT ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}
// x < y: cmp(y, x) is GT.
template <class K, class V>
bool operator<(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return detail::compareMaps(b, a) == basis::GT;
}
// x <= y: cmp(x, y) is not GT.
template <class K, class V>
bool operator<=(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return detail::compareMaps(a, b) != basis::GT;
}
// x > y: cmp(x, y) is GT.
template <class K, class V>
bool operator>(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return detail::compareMaps(a, b) == basis::GT;
}
// x >= y: cmp(y, x) is not GT.
template <class K, class V>
bool operator>=(const HashMap<K, V>& a, const HashMap<K, V>& b) {
  return detail::compareMaps(b, a) != basis::GT;
}
// `max`: x when cmp(x, y) is GT, else y (so y on a tie).
template <class K, class V>
HashMap<K, V> max(const HashMap<K, V>& x, const HashMap<K, V>& y) {
  return detail::compareMaps(x, y) == basis::GT ? x : y;
}
// `min`: y when cmp(x, y) is GT, else x (so x on a tie).
template <class K, class V>
HashMap<K, V> min(const HashMap<K, V>& x, const HashMap<K, V>& y) {
  return detail::compareMaps(x, y) == basis::GT ? y : x;
}

}  // namespace hashgrove::internal

// The lifted orderings: values handed to the caller's comparison forced.
template <class K>
struct basis::Ord1<hashgrove::HashMapOf<K>> {
  // `liftCompare`: `cmp` with K's own comparison and cv on the values.
  template <class CV, class V1, class V2>
  static basis::Ordering liftCompare(const CV& cv, const hashgrove::internal::HashMap<K, V1>& a,
                                     const hashgrove::internal::HashMap<K, V2>& b) {
    return hashgrove::internal::liftCompare(
        [&cv](const basis::Lazy<V1>& x, const basis::Lazy<V2>& y) { return basis::applyForced(cv, x, y); }, a, b);
  }
};
template <>
struct basis::Ord2<hashgrove::HashMapTag> {
  // `liftCompare2`: `cmp` itself.
  template <class CK, class CV, class K1, class V1, class K2, class V2>
  static basis::Ordering liftCompare2(const CK& ck, const CV& cv, const hashgrove::internal::HashMap<K1, V1>& a,
                                      const hashgrove::internal::HashMap<K2, V2>& b) {
    return hashgrove::internal::cmp(
        ck, [&cv](const basis::Lazy<V1>& x, const basis::Lazy<V2>& y) { return basis::applyForced(cv, x, y); }, a, b);
  }
};
