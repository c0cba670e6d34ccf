#pragma once
// Folding a set over its elements, and combining sets.
//
// The Foldable record of HashSet walks the elements in trie order with the
// set's own folds; the slots it does not define come from
// basis::FoldableDefaults through them. `elem` is a linear search with `==`
// that never hashes (the set's `member` is the hashed lookup).
//
// Sets combine by their left-biased union, the empty set being the identity:
// of equal elements the leftmost set's object stays. `sconcat` and `mconcat`
// unite from the end of the list back to its front (s1 ∪ (s2 ∪ (... ∪ sn)))
// in a loop, so a long list costs no stack.

#include <cstdint>
#include <iterator>
#include <ranges>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/error.hpp>
#include <basis/foldable.hpp>
#include <basis/lazy.hpp>
#include <basis/semigroup.hpp>

#include "hashgrove/internal/fold.hpp"
#include "hashgrove/internal/set/hash_set.hpp"
#include "hashgrove/internal/set/operations.hpp"

namespace hashgrove::internal::set::detail {

template <class T, class R>
std::vector<HashSet<T>> collectSets(R&& sets) {
  std::vector<HashSet<T>> all;
  if constexpr (std::ranges::sized_range<R>) all.reserve(static_cast<std::size_t>(std::ranges::size(sets)));
  for (auto&& s : sets) all.push_back(s);
  return all;
}

// s1 ∪ (s2 ∪ (... ∪ sn)), computed from the end; `last` stands after sn.
template <class T>
HashSet<T> unionsFromTheRight(std::vector<HashSet<T>> all, HashSet<T> last) {
  HashSet<T> acc = std::move(last);
  for (auto it = all.rbegin(); it != all.rend(); ++it) acc = set::union_(*it, acc);
  return acc;
}

}  // namespace hashgrove::internal::set::detail

template <>
struct basis::Foldable<hashgrove::HashSetTag> : basis::FoldableDefaults<hashgrove::HashSetTag> {
  template <class T>
  using Set = hashgrove::internal::set::HashSet<T>;

  template <class Fn, class Z, class T>
  static basis::lazy_value_t<Z> foldr(Fn f, Z&& z, const Set<T>& s) {
    return hashgrove::internal::set::foldr(std::move(f), std::forward<Z>(z), s);
  }
  template <class Fn, class Z, class T>
  static basis::lazy_value_t<Z> foldl(Fn f, Z&& z, const Set<T>& s) {
    return hashgrove::internal::set::foldl(std::move(f), std::forward<Z>(z), s);
  }
  template <class Fn, class Z, class T>
  static basis::lazy_value_t<Z> foldr_(Fn f, Z&& z, const Set<T>& s) {
    return hashgrove::internal::set::foldr_(std::move(f), std::forward<Z>(z), s);
  }
  template <class Fn, class Z, class T>
  static basis::lazy_value_t<Z> foldl_(Fn f, Z&& z, const Set<T>& s) {
    return hashgrove::internal::set::foldl_(std::move(f), std::forward<Z>(z), s);
  }
  // f(x) for every element, combined by mappend nested to the right within
  // each node (x0 <> (x1 <> x2)), mempty only for the empty set; f is called
  // in trie order. O(n).
  template <class Fn, class T>
  static auto foldMap(Fn f, const Set<T>& s) {
    using M = hashgrove::internal::detail::FoldResult<Fn, T>;
    auto per = [&f](const hashgrove::internal::L<T, basis::Unit>& p) {
      return hashgrove::internal::detail::settle<M>(f(p.key));
    };
    return hashgrove::internal::detail::foldMapNode<M>(s.asMap(), per);
  }
  // The elements themselves, combined as foldMap.
  template <class T>
  static T fold(const Set<T>& s) {
    auto per = [](const hashgrove::internal::L<T, basis::Unit>& p) { return p.key; };
    return hashgrove::internal::detail::foldMapNode<T>(s.asMap(), per);
  }
  // The elements in trie order, produced on demand (the set's `toList`).
  template <class T>
  static auto toList(const Set<T>& s) {
    return hashgrove::internal::set::toList(s);
  }
  // True exactly for the empty set. O(1).
  template <class T>
  static bool null(const Set<T>& s) {
    return hashgrove::internal::set::null(s);
  }
  // The number of elements. O(n).
  template <class T>
  static std::int64_t length(const Set<T>& s) {
    return hashgrove::internal::set::size(s);
  }
  // Whether x == y for some element y (x on the left), in trie order,
  // stopping at the first; never hashes x. O(n).
  template <class X, class T>
  static bool elem(const X& x, const Set<T>& s) {
    for (const T& y : s)
      if (x == y) return true;
    return false;
  }
};

template <class T>
struct basis::Semigroup<hashgrove::internal::set::HashSet<T>> {
  using Set = hashgrove::internal::set::HashSet<T>;

  // `<>`: union_(a, b), a's elements winning.
  static Set combine(const Set& a, const Set& b) { return hashgrove::internal::set::union_(a, b); }
  // s1 ∪ (s2 ∪ (... ∪ sn)) of a non-empty range, united from the end; a single
  // set comes back itself. Throws std::invalid_argument for an empty range.
  template <std::ranges::input_range R>
  static Set sconcat(R&& sets) {
    auto all = hashgrove::internal::set::detail::collectSets<T>(std::forward<R>(sets));
    if (all.empty()) throw std::invalid_argument("sconcat: empty list");
    Set last = std::move(all.back());
    all.pop_back();
    return hashgrove::internal::set::detail::unionsFromTheRight<T>(std::move(all), std::move(last));
  }
  // The empty set for n == 0 (s not looked at), s itself for n > 0: union is
  // idempotent, so no union is done. Throws basis::ErrorCall
  // "stimesIdempotentMonoid: negative multiplier" for n < 0.
  template <std::integral N>
  static Set stimes(N n, const Set& s) {
    if constexpr (std::is_signed_v<N>) {
      if (n < N(0)) throw basis::ErrorCall("stimesIdempotentMonoid: negative multiplier");
    }
    if (n == N(0)) return Set();
    return s;
  }
};

template <class T>
struct basis::Monoid<hashgrove::internal::set::HashSet<T>> {
  using Set = hashgrove::internal::set::HashSet<T>;

  // The empty set.
  static Set mempty() { return Set(); }
  // union_(a, b).
  static Set mappend(const Set& a, const Set& b) { return hashgrove::internal::set::union_(a, b); }
  // s1 ∪ (s2 ∪ (... ∪ (sn ∪ empty))), united from the end: the empty set for an
  // empty range, a single set itself.
  template <std::ranges::input_range R>
  static Set mconcat(R&& sets) {
    return hashgrove::internal::set::detail::unionsFromTheRight<T>(
        hashgrove::internal::set::detail::collectSets<T>(std::forward<R>(sets)), Set());
  }
};
