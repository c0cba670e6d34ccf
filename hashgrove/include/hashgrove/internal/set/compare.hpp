#pragma once
// Equality, ordering and hashing of sets: the map's walks over the sets'
// maps, with the unit type's own operations on the value side (units always
// compare equal and hash alike, so only the elements decide).
//
// - `==` compares the tries structurally (`equalKeys`): equal elements give
//   equal sets whatever the order they were inserted in; buckets match as
//   permutations. `liftEq` compares the Leaf and Collision nodes in trie
//   order with the caller's relation.
// - The order is the map's `cmp`: stored hashes (unsigned) first, a Leaf
//   before a Collision, then elements, buckets by length and then regardless
//   of the order of their elements. It is a total order for sorting sets, not
//   inclusion. x < y runs cmp(y, x), x >= y runs cmp(y, x); on a tie `max`
//   returns its second argument and `min` its first.
// - `hashWithSalt` reuses the hashes stored in the leaves; equal sets hash
//   alike. `liftHashWithSalt` hashes every element with the caller's function.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <utility>

#include <basis/functor.hpp>
#include <basis/hashable.hpp>
#include <basis/lazy.hpp>
#include <basis/lifted.hpp>
#include <basis/types.hpp>

#include "hashgrove/internal/eq.hpp"
#include "hashgrove/internal/hash.hpp"
#include "hashgrove/internal/ord.hpp"
#include "hashgrove/internal/set/hash_set.hpp"

namespace hashgrove::internal::set {

namespace detail {
// The unit type's comparison and salted hash on stored values (each forced).
struct CompareUnits {
  basis::Ordering operator()(const basis::Lazy<basis::Unit>& x, const basis::Lazy<basis::Unit>& y) const {
    return basis::applyForced([](const auto& l, const auto& r) { return basis::compare(l, r); }, x, y);
  }
};
struct HashUnit {
  std::int64_t operator()(std::int64_t salt, const basis::Lazy<basis::Unit>& u) const {
    return basis::hashWithSalt(salt, u.force());
  }
};
template <class T>
basis::Ordering compareSets(const HashSet<T>& a, const HashSet<T>& b) {
  return internal::cmp(internal::detail::CompareKeys{}, CompareUnits{}, a.asMap(), b.asMap());
}
}  // namespace detail

// ---------------------------------------------------------------------------
// Equality

// True when the sets hold equal elements (T's `==`, the first set's element
// on the left). O(n) worst case; stops at the first difference.
template <class T>
bool operator==(const HashSet<T>& a, const HashSet<T>& b) {
  return internal::equalKeys(a.asMap(), b.asMap());
}

// `liftEq`: the Leaf and Collision nodes of both sets in trie order, matched by
// hash, bucket length and eq(first set's element, second set's element),
// buckets as permutations. The two element types may differ.
template <class Eq, class T1, class T2>
bool liftEq(Eq eq, const HashSet<T1>& a, const HashSet<T2>& b) {
  return internal::equalKeys1(std::move(eq), a.asMap(), b.asMap());
}

// ---------------------------------------------------------------------------
// Ordering

// `compare`: the map order of the sets with T's own comparison. O(n) worst
// case; stops at the first difference.
template <class T>
basis::Ordering compare(const HashSet<T>& a, const HashSet<T>& b) {
  return detail::compareSets(a, b);
}

// `liftCompare`: the map order with cmp(first set's element, second set's
// element) giving basis::Ordering.
template <class Cmp, class T1, class T2>
basis::Ordering liftCompare(Cmp cmp, const HashSet<T1>& a, const HashSet<T2>& b) {
  return internal::cmp(std::move(cmp), detail::CompareUnits{}, a.asMap(), b.asMap());
}

// Three-way comparison by `compare`.
template <class T>
std::weak_ordering operator<=>(const HashSet<T>& a, const HashSet<T>& b) {
  const basis::Ordering o = detail::compareSets(a, b);
  return o == basis::LT ? std::weak_ordering::less
                        : (o == basis::GT ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}
// x < y: compare(y, x) is GT.
template <class T>
bool operator<(const HashSet<T>& a, const HashSet<T>& b) {
  return detail::compareSets(b, a) == basis::GT;
}
// x <= y: compare(x, y) is not GT.
template <class T>
bool operator<=(const HashSet<T>& a, const HashSet<T>& b) {
  return detail::compareSets(a, b) != basis::GT;
}
// x > y: compare(x, y) is GT.
template <class T>
bool operator>(const HashSet<T>& a, const HashSet<T>& b) {
  return detail::compareSets(a, b) == basis::GT;
}
// x >= y: compare(y, x) is not GT.
template <class T>
bool operator>=(const HashSet<T>& a, const HashSet<T>& b) {
  return detail::compareSets(b, a) != basis::GT;
}
// `max`: x when compare(x, y) is GT, else y (so y on a tie).
template <class T>
HashSet<T> max(const HashSet<T>& x, const HashSet<T>& y) {
  return detail::compareSets(x, y) == basis::GT ? x : y;
}
// `min`: y when compare(x, y) is GT, else x (so x on a tie).
template <class T>
HashSet<T> min(const HashSet<T>& x, const HashSet<T>& y) {
  return detail::compareSets(x, y) == basis::GT ? y : x;
}

// ---------------------------------------------------------------------------
// Hashing

// The salt threaded through the set's Leaf and Collision nodes in trie order:
// a Leaf mixes its stored hash, then the unit; a bucket its hash, then the
// sorted hashes of its elements (each followed by the unit). Equal sets hash
// alike. O(n) plus a sort per bucket.
template <class T>
std::int64_t hashWithSalt(std::int64_t salt, const HashSet<T>& s) {
  internal::detail::HashKey hashElement;
  detail::HashUnit hashUnit;
  return internal::detail::hashNode(salt, s.asMap(), hashElement, hashUnit);
}

// `hashWithSalt` with basis::defaultSalt.
template <class T>
std::int64_t hash(const HashSet<T>& s) {
  return set::hashWithSalt(basis::defaultSalt, s);
}

// `liftHashWithSalt`: as `hashWithSalt`, but every element, also in a Leaf, is
// hashed by h(salt, element); the stored hashes of leaves are not used.
template <class H, class T>
std::int64_t liftHashWithSalt(H h, std::int64_t salt, const HashSet<T>& s) {
  return internal::liftHashWithSalt2(std::move(h), detail::HashUnit{}, salt, s.asMap());
}

}  // namespace hashgrove::internal::set

// ---------------------------------------------------------------------------
// The interface records.

template <>
struct basis::Eq1<hashgrove::HashSetTag> {
  template <class Eq, class T1, class T2>
  static bool liftEq(const Eq& eq, const hashgrove::internal::set::HashSet<T1>& a,
                     const hashgrove::internal::set::HashSet<T2>& b) {
    return hashgrove::internal::set::liftEq(eq, a, b);
  }
};

template <>
struct basis::Ord1<hashgrove::HashSetTag> {
  template <class Cmp, class T1, class T2>
  static basis::Ordering liftCompare(const Cmp& cmp, const hashgrove::internal::set::HashSet<T1>& a,
                                     const hashgrove::internal::set::HashSet<T2>& b) {
    return hashgrove::internal::set::liftCompare(cmp, a, b);
  }
};

template <class T>
struct basis::Hashable<hashgrove::internal::set::HashSet<T>> {
  static std::int64_t hashWithSalt(std::int64_t salt, const hashgrove::internal::set::HashSet<T>& s) {
    return hashgrove::internal::set::hashWithSalt(salt, s);
  }
  static std::int64_t hash(const hashgrove::internal::set::HashSet<T>& s) {
    return hashgrove::internal::set::hashWithSalt(basis::defaultSalt, s);
  }
};

template <>
struct basis::Hashable1<hashgrove::HashSetTag> {
  template <class H, class T>
  static std::int64_t liftHashWithSalt(const H& h, std::int64_t salt, const hashgrove::internal::set::HashSet<T>& s) {
    return hashgrove::internal::set::liftHashWithSalt(h, salt, s);
  }
};

// std::hash of sets whose elements are hashable: `hash` of the set.
template <class T>
  requires basis::HashableType<T>
struct std::hash<hashgrove::internal::set::HashSet<T>> {
  std::size_t operator()(const hashgrove::internal::set::HashSet<T>& s) const {
    return static_cast<std::size_t>(hashgrove::internal::set::hashWithSalt(basis::defaultSalt, s));
  }
};
