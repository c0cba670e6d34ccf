#pragma once
// HashSet<T>: a persistent set of elements, stored as the hash map from each
// element to the unit value.
//
// A set is one handle to the root node of its map, nothing more: `asMap`,
// `toMap` and `fromMap` hand the map over as it is, without a copy. The
// elements are the map's keys, evaluated, beside their full hashes.
//
// Every value a set operation stores is a copy of one shared unit cell
// (`sharedUnit()`), so inserting an element that already sits alone in a
// Leaf finds the very same value there and returns the set itself. Each
// stored copy holds one count on that cell.

#include <cstdint>
#include <utility>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/types.hpp>

#include "hashgrove/internal/iterate.hpp"
#include "hashgrove/internal/node.hpp"

namespace hashgrove::internal::set {

// The unit value that every set operation stores: one immortal, evaluated
// cell shared by all sets, so that stored values are the same object.
const basis::Lazy<basis::Unit>& sharedUnit() noexcept;

// The iterator over a set's elements in trie order (`const T&`).
template <class T>
using ElementIterator = TrieIterator<T, basis::Unit, internal::detail::AsKey<T, basis::Unit>>;
// The elements of a set in trie order, produced on demand; holds the set.
template <class T>
using ElementRange = TrieRange<T, basis::Unit, internal::detail::AsKey<T, basis::Unit>>;

template <class T>
class HashSet {
 public:
  using value_type = T;
  using map_type = HashMap<T, basis::Unit>;
  using iterator = ElementIterator<T>;
  using const_iterator = ElementIterator<T>;

  // The empty set.
  HashSet() noexcept = default;
  // The set whose elements are the keys of m (`fromMap`). O(1).
  explicit HashSet(map_type m) noexcept : asMap_(std::move(m)) {}

  // The set's map from its elements to the unit value (the field `asMap`). O(1).
  const map_type& asMap() const& noexcept { return asMap_; }
  map_type asMap() && noexcept { return std::move(asMap_); }

  // The number of elements; visits every node. O(n).
  std::int64_t size() const { return internal::size(asMap_); }

  // The elements in trie order: `for (const T& x : s)`. O(1) amortised per
  // step; the iterator holds the set.
  iterator begin() const { return iterator(asMap_); }
  iterator end() const noexcept { return iterator(); }

 private:
  map_type asMap_;
};

// True exactly when the two sets are the same root node. O(1).
template <class T>
bool ptrEq(const HashSet<T>& a, const HashSet<T>& b) noexcept {
  return internal::ptrEq(a.asMap(), b.asMap());
}

}  // namespace hashgrove::internal::set

namespace hashgrove {

using internal::set::HashSet;

// The tag of the type constructor `HashSet`, for the interfaces over type
// constructors (Foldable, Eq1, Ord1, Show1, Hashable1, NFData1).
struct HashSetTag {
  template <class A>
  using apply = HashSet<A>;
};

}  // namespace hashgrove

template <class T>
struct basis::TagOf<hashgrove::internal::set::HashSet<T>> {
  using type = hashgrove::HashSetTag;
  using element = T;
};
