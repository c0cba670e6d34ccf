#pragma once
// The set operations. Single elements and whole-set combinations hand the
// set's map to the map's own operations with the shared unit value; the
// folds, `filter` and `toList` run the map's walks over the trie with the
// caller's function given the element alone (the unit values are never
// read); `fromList` and `map` insert one element at a time.
//
// Every element hash is the element type's basis::hash, computed before the
// set is looked at; what the element's `hash` or `==` throws passes through.

#include <cstdint>
#include <ranges>
#include <type_traits>
#include <utility>

#include <basis/lazy.hpp>
#include <basis/types.hpp>

#include "hashgrove/internal/bulk.hpp"
#include "hashgrove/internal/delete.hpp"
#include "hashgrove/internal/difference.hpp"
#include "hashgrove/internal/filter.hpp"
#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/insert.hpp"
#include "hashgrove/internal/intersection.hpp"
#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/lookup.hpp"
#include "hashgrove/internal/map.hpp"
#include "hashgrove/internal/node.hpp"
#include "hashgrove/internal/set/hash_set.hpp"
#include "hashgrove/internal/submap.hpp"
#include "hashgrove/internal/union.hpp"

namespace hashgrove::internal::set {

namespace detail {
// The element a list cell stands for: a basis::Lazy element is forced.
template <class X>
const auto& elementOf(const X& x) {
  if constexpr (basis::detail::IsLazy<X>::value) {
    return x.force();
  } else {
    return x;
  }
}
// The element type of a range of T or of basis::Lazy<T>.
template <class R>
using RangeElement = basis::lazy_value_t<std::ranges::range_value_t<R>>;
// The element type a mapping function yields (a Lazy result counts as its value).
template <class F, class T>
using Image = basis::lazy_value_t<std::invoke_result_t<F&, const T&>>;
// The persistent insertion of x, whose hash is h, with the shared unit.
template <class T>
HashMap<T, basis::Unit> insertElement(Hash h, const T& x, const HashMap<T, basis::Unit>& m) {
  return internal::insert_<T, basis::Unit>(h, x, sharedUnit(), m);
}
// The same insertion into a set under construction that only the caller
// holds, written in place into the nodes it alone owns (a shared node is
// copied as the persistent insertion copies it). The resulting trie is the
// one the persistent insertion gives: an equal element alone in a Leaf meets
// the very same unit and stays, one in a bucket is replaced at its position.
template <class T>
void insertElementInPlace(HashMap<T, basis::Unit>& building, Hash h, const T& x) {
  internal::detail::NoCombine none;
  internal::detail::unsafeInsertInto<T, basis::Unit>(building, h, x, sharedUnit(), none, 0);
}
}  // namespace detail

// ---------------------------------------------------------------------------
// Conversions between sets and maps

// `asMap`: the set's map from its elements to the unit value. O(1).
template <class T>
const HashMap<T, basis::Unit>& asMap(const HashSet<T>& s) noexcept {
  return s.asMap();
}
// `toMap`: the same as `asMap`. O(1).
template <class T>
const HashMap<T, basis::Unit>& toMap(const HashSet<T>& s) noexcept {
  return s.asMap();
}
// `fromMap`: the set whose elements are the keys of m. O(1), no copy.
template <class T>
HashSet<T> fromMap(HashMap<T, basis::Unit> m) noexcept {
  return HashSet<T>(std::move(m));
}
// `keysSet`: the set of m's keys, a trie of m's shape (same node kinds,
// bitmaps, hashes and key objects) whose values are the shared unit. O(n);
// hashes nothing; never reads m's values.
template <class K, class V>
HashSet<K> keysSet(const HashMap<K, V>& m) {
  return HashSet<K>(internal::replace(sharedUnit(), m));
}

// ---------------------------------------------------------------------------
// Single elements

// The empty set (the shared Empty node). O(1).
template <class T>
HashSet<T> empty() noexcept {
  return HashSet<T>();
}

// The set of x alone, a Leaf. O(1); hashes x once; throws what hashing throws.
template <class T>
HashSet<T> singleton(const T& x) {
  const Hash h = internal::hash(x);
  return HashSet<T>(internal::detail::makeLeaf<T, basis::Unit>(h, x, sharedUnit()));
}

// True exactly for the empty set. O(1).
template <class T>
bool null(const HashSet<T>& s) noexcept {
  return s.asMap().kind() == Kind::Empty;
}

// The number of elements. O(n), linear in the size: nodes keep no counts, so
// every call walks the whole set; `null` is O(1).
template <class T>
std::int64_t size(const HashSet<T>& s) {
  return internal::size(s.asMap());
}

// True when an element equal to x is in s. Hashes x once; O(log32 n); throws
// what hashing or `==` throws.
template <class T>
bool member(const std::type_identity_t<T>& x, const HashSet<T>& s) {
  return internal::lookup_raw<T, basis::Unit>(x, s.asMap()) != nullptr;
}

// s with x added. When an equal element sits alone in a Leaf, s itself comes
// back, still holding its own element; in a collision bucket x takes the
// equal element's place in a new bucket. Hashes x once; O(log32 n); throws
// what hashing or `==` throws.
template <class T>
HashSet<T> insert(const std::type_identity_t<T>& x, const HashSet<T>& s) {
  const Hash h = internal::hash(x);
  return HashSet<T>(detail::insertElement(h, x, s.asMap()));
}

// s without the element equal to x; s itself when there is none. Hashes x
// once; O(log32 n); throws what hashing or `==` throws.
template <class T>
HashSet<T> delete_(const std::type_identity_t<T>& x, const HashSet<T>& s) {
  const Hash h = internal::hash(x);
  return HashSet<T>(internal::delete_<T, basis::Unit>(h, x, s.asMap()));
}

// ---------------------------------------------------------------------------
// Whole sets

// `union`: the elements of both sets; of equal elements s1's object stays
// (s1's own Leaf where two leaves meet), except that an element alone in a
// Leaf of s2 that meets a bucket of s1 comes in as s2's object (the map
// union's rule). A set united with the empty set is returned itself. Never
// hashes; O(n + m) in the overlap; throws what `==` throws.
template <class T>
HashSet<T> union_(const HashSet<T>& s1, const HashSet<T>& s2) {
  return HashSet<T>(internal::union_(s1.asMap(), s2.asMap()));
}

// The union of a range of sets, from the first on: ((empty ∪ s1) ∪ s2) ∪ ...,
// each union done before the next set is read, so of equal elements the one
// from the earliest set stays. An empty range gives the empty set. A loop:
// no stack per set.
template <std::ranges::input_range R, class S = std::remove_cvref_t<std::ranges::range_reference_t<R>>>
S unions(R&& sets) {
  S acc;
  for (auto&& s : sets) acc = set::union_(acc, static_cast<const S&>(s));
  return acc;
}

// The elements of s1 that are not in s2, as s1's objects, in new nodes.
// Hashes each element of s1 (twice for a survivor); throws what hashing or
// `==` throws.
template <class T>
HashSet<T> difference(const HashSet<T>& s1, const HashSet<T>& s2) {
  return HashSet<T>(internal::difference(s1.asMap(), s2.asMap()));
}

// The elements of s1 that are also in s2, as s1's objects, except that an
// element alone in a Leaf of s2 met inside a branch or bucket of s1 is s2's
// object (the map intersection's rule). Never hashes; every branch is new;
// throws what `==` throws.
template <class T>
HashSet<T> intersection(const HashSet<T>& s1, const HashSet<T>& s2) {
  return HashSet<T>(internal::intersection(s1.asMap(), s2.asMap()));
}

// True exactly when every element of s1 is an element of s2. Never hashes or
// allocates; stops at the first missing element; throws what `==` throws.
template <class T>
bool isSubsetOf(const HashSet<T>& s1, const HashSet<T>& s2) {
  auto anyValues = [](const basis::Lazy<basis::Unit>&, const basis::Lazy<basis::Unit>&) { return true; };
  return internal::isSubmapOfBy(anyValues, s1.asMap(), s2.asMap());
}

// ---------------------------------------------------------------------------
// Folds over the elements in trie order x0, x1, ..., x(n-1). The accumulator
// type A is that of z (a plain A or a basis::Lazy<A>); f may return an A or a
// basis::Lazy<A>.

// `foldr`: f(x0, rest) where rest is the deferred f(x1, ...) and the last rest
// yields z. f is applied to x0 at once; x(i+1) is reached only when f forces
// its rest. O(1) per element reached.
template <class F, class Z, class T>
basis::lazy_value_t<Z> foldr(F f, Z&& z, const HashSet<T>& s) {
  return internal::foldrWithKey(
      [f = std::move(f)](const T& x, const basis::Lazy<basis::Unit>&, const auto& rest) { return f(x, rest); },
      std::forward<Z>(z), s.asMap());
}

// `foldl`: f(acc, x(n-1)) where acc is the deferred fold of the elements
// before it: f is applied first to the last element, the earlier ones only
// through the accumulator.
template <class F, class Z, class T>
basis::lazy_value_t<Z> foldl(F f, Z&& z, const HashSet<T>& s) {
  return internal::foldlWithKey(
      [f = std::move(f)](const auto& acc, const T& x, const basis::Lazy<basis::Unit>&) { return f(acc, x); },
      std::forward<Z>(z), s.asMap());
}

// `foldr'`: acc = f(x, acc) from x(n-1) back to x0, z evaluated first and each
// result settled before the next call. O(n), no stack beyond the trie depth.
template <class F, class Z, class T>
basis::lazy_value_t<Z> foldr_(F f, Z&& z, const HashSet<T>& s) {
  return internal::foldrWithKey_(
      [&f](const T& x, const basis::Lazy<basis::Unit>&, auto&& acc) {
        return f(x, std::forward<decltype(acc)>(acc));
      },
      std::forward<Z>(z), s.asMap());
}

// `foldl'`: acc = f(acc, x) from x0 onward, z evaluated first (also for the
// empty set) and each result settled before the next call. O(n).
template <class F, class Z, class T>
basis::lazy_value_t<Z> foldl_(F f, Z&& z, const HashSet<T>& s) {
  return internal::foldlWithKey_(
      [&f](auto&& acc, const T& x, const basis::Lazy<basis::Unit>&) {
        return f(std::forward<decltype(acc)>(acc), x);
      },
      std::forward<Z>(z), s.asMap());
}

// ---------------------------------------------------------------------------
// Filtering, lists and mapping

// The elements x for which p(x) holds. p runs once per element in trie order;
// kept Leaf nodes and bucket pairs are s's own, every branch and bucket is new
// and compacted; no survivor gives the empty set. O(n).
template <class P, class T>
HashSet<T> filter(P p, const HashSet<T>& s) {
  return HashSet<T>(
      internal::filterWithKey([&p](const T& x, const basis::Lazy<basis::Unit>&) { return p(x); }, s.asMap()));
}

// The elements in trie order, produced on demand: each step walks to the next
// element only. The range holds the set. O(1) to make, O(1) amortised per step.
template <class T>
ElementRange<T> toList(const HashSet<T>& s) {
  return internal::keys(s.asMap());
}

namespace detail {
// The elements of an indexable range, read in place, each with the shared unit.
template <class T, class R>
struct ElementsInPlace {
  R& xs;
  const T& key(std::size_t i) const { return elementOf(internal::detail::nth(xs, i)); }
  Hash hash(std::size_t i) const { return internal::hash(key(i)); }
  basis::Lazy<basis::Unit> value(std::size_t) const { return sharedUnit(); }
};
}  // namespace detail

// The set of the range's elements (T, or basis::Lazy<T> forced as it is
// reached, in range order), the set `insert` builds from them one at a time
// in range order: of equal elements the first stays where it sits alone in a
// Leaf, while in a collision bucket each later one takes its place. An
// indexable range is read in place and the trie laid out at once (every node
// built once, exactly sized; 32 bytes of scratch per element); another range
// is read once, cell by cell, into a set under construction written in place.
// O(n log32 n); throws what hashing, `==` or a deferred element throws, and
// then nothing is returned.
template <std::ranges::input_range R, class T = detail::RangeElement<R>>
HashSet<T> fromList(R&& xs) {
  if constexpr (internal::detail::IndexableInPlace<std::remove_reference_t<R>>) {
    detail::ElementsInPlace<T, std::remove_reference_t<R>> src{xs};
    internal::detail::NoCombine none;
    return HashSet<T>(
        internal::detail::layOutAll<T, basis::Unit>(static_cast<std::size_t>(std::ranges::size(xs)), src, none));
  } else {
    HashMap<T, basis::Unit> building;
    for (auto&& cell : xs) {
      const T& x = detail::elementOf(cell);
      const Hash h = internal::hash(x);
      detail::insertElementInPlace(building, h, x);
    }
    return HashSet<T>(std::move(building));
  }
}

// `fromListN`: `fromList` of the elements; the count is ignored.
template <class N, std::ranges::input_range R>
auto fromListN(const N&, R&& xs) {
  return set::fromList(std::forward<R>(xs));
}

// The set of the images f(x), built during the call: a walk in trie order
// (the eager left fold) applies f once per element, and each image is hashed
// and inserted, as `fromList` inserts, before f meets the next element; equal
// images collapse as in `fromList`. No list of images is built.
// O(n log32 n); throws what f, hashing or `==` throws.
template <class F, class T, class U = detail::Image<F, T>>
HashSet<U> map(F f, const HashSet<T>& s) {
  auto step = [&f](HashMap<U, basis::Unit> building, const T& x, const basis::Lazy<basis::Unit>&) {
    const U y = internal::detail::settle<U>(f(x));
    const Hash h = internal::hash(y);
    detail::insertElementInPlace(building, h, y);
    return building;
  };
  return HashSet<U>(internal::foldlWithKey_(step, HashMap<U, basis::Unit>(), s.asMap()));
}

}  // namespace hashgrove::internal::set
