#pragma once
// Traversals and folds of the small arrays: mapping with and without
// evaluation, traversal through an action or an applicative, left and right
// folds, `all`, `toList` and the element-wise comparison `sameArray1`.
//
// Functions receive the elements as stored (a basis::Lazy<E> slot, which
// converts to `const E&` by forcing, or the strict element itself) and are
// called in index order unless said otherwise. The lazy folds build one
// deferred accumulator per element; forcing the outermost one forces the
// chain, one nested call per element (the arrays are small).

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include <basis/applicative.hpp>
#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/semigroup.hpp>
#include <basis/traversable.hpp>

#include "hashgrove/internal/array_block.hpp"

namespace hashgrove::internal::array {

namespace detail {
// The element type an array of f's results holds: X for a basis::Lazy<X>.
template <class F, class... A>
using ResultElement = typename ElementOf<std::remove_cvref_t<std::invoke_result_t<F&, const A&...>>>::type;
}  // namespace detail

// True when a and b have equal lengths and r(a[i], b[i]) holds at every
// position, a's element first; stops at the first false. r is not called when
// the lengths differ. O(n).
template <class R, class E1, class E2>
bool sameArray1(R&& r, const Array<E1>& a, const Array<E2>& b) {
  if (a.size() != b.size()) return false;
  for (std::int64_t i = 0; i < a.size(); ++i) {
    if (!r(a.data()[i], b.data()[i])) return false;
  }
  return true;
}

// A new array whose slot i holds the deferred application of f to element i;
// f is not called here. O(n) allocations of deferred cells.
template <class F, class E, class B = detail::ResultElement<F, Slot<E>>>
  requires(!StrictElement<B>::value)
Array<B> map(F f, const Array<E>& a) {
  auto fp = std::make_shared<F>(std::move(f));
  BlockFiller<Slot<B>> out(static_cast<std::size_t>(a.size()));
  for (const Slot<E>& x : a) out.emplace(basis::Lazy<B>::defer([fp, x]() { return (*fp)(x); }));
  return Array<B>::adopt(out.finish());
}

// `map'`: a new array whose slot i holds f(element i), evaluated; f runs in
// index order and an exception leaves the later elements unvisited. O(n).
template <class F, class E, class B = detail::ResultElement<F, Slot<E>>>
Array<B> map_(F&& f, const Array<E>& a) {
  BlockFiller<Slot<B>> out(static_cast<std::size_t>(a.size()));
  for (const Slot<E>& x : a) {
    Slot<B> y(f(x));
    if constexpr (!StrictElement<B>::value) y.force();
    out.emplace(std::move(y));
  }
  return Array<B>::adopt(out.finish());
}

// Runs the step f on each element in index order and returns the new array
// of its results as they were returned (unevaluated). O(n).
template <class F, class E, class B = detail::ResultElement<F, Slot<E>>>
Array<B> traverseST(F&& f, const Array<E>& a) {
  BlockFiller<Slot<B>> out(static_cast<std::size_t>(a.size()));
  for (const Slot<E>& x : a) out.emplace(f(x));
  return Array<B>::adopt(out.finish());
}
// The same with effectful steps.
template <class F, class E>
auto traverseIO(F&& f, const Array<E>& a) {
  return traverseST(std::forward<F>(f), a);
}

namespace detail {
template <bool Evaluate, class F, class E>
auto traverseIn(F f, const Array<E>& a) {
  const std::vector<Slot<E>> elements(a.begin(), a.end());
  auto results = basis::Traversable<basis::VectorTag>::traverse(std::move(f), elements);
  using G = basis::tag_of<decltype(results)>;
  return basis::Functor<G>::fmap(
      [](const auto& bs) {
        using B0 = typename std::remove_cvref_t<decltype(bs)>::value_type;
        using B = typename ElementOf<B0>::type;
        BlockFiller<Slot<B>> out(bs.size());
        for (const auto& b : bs) {
          Slot<B> s(b);
          if constexpr (Evaluate && !StrictElement<B>::value) s.force();
          out.emplace(std::move(s));
        }
        return Array<B>::adopt(out.finish());
      },
      results);
}
}  // namespace detail

// f over every element in index order inside f's applicative (its result
// type's tag), combined with liftA2 left to right; a fresh array for each
// result the applicative yields. Results are stored unevaluated.
template <class F, class E>
auto traverse(F f, const Array<E>& a) {
  return detail::traverseIn<false>(std::move(f), a);
}
// `traverse'`: as `traverse`, each result evaluated before it is stored.
template <class F, class E>
auto traverse_(F f, const Array<E>& a) {
  return detail::traverseIn<true>(std::move(f), a);
}

// The left fold f(... f(f(z, a[0]), a[1]) ..., a[n-1]), built deferred: f is
// called at once only for the last element, with the accumulator of the
// earlier ones as a basis::Lazy that f forces or not. z for an empty array.
template <class F, class Z, class E, class B = basis::lazy_value_t<Z>>
B foldl(F f, Z&& z, const Array<E>& a) {
  basis::Lazy<B> acc(std::forward<Z>(z));
  const std::int64_t n = a.size();
  if (n == 0) return acc.force();
  auto fp = std::make_shared<F>(std::move(f));
  for (std::int64_t i = 0; i + 1 < n; ++i) {
    acc = basis::Lazy<B>::defer([fp, acc, x = a.data()[i]]() -> B { return (*fp)(acc, x); });
  }
  return (*fp)(acc, a.data()[n - 1]);
}

// `foldl'`: the left fold with the accumulator evaluated at every step. O(n).
template <class F, class B, class E>
B foldl_(F&& f, B z, const Array<E>& a) {
  for (const Slot<E>& x : a) z = f(std::move(z), x);
  return z;
}

// The right fold f(a[0], f(a[1], ... f(a[n-1], z))), built deferred: f is
// called at once for the first element, with the rest as a basis::Lazy.
template <class F, class Z, class E, class B = basis::lazy_value_t<Z>>
B foldr(F f, Z&& z, const Array<E>& a) {
  basis::Lazy<B> acc(std::forward<Z>(z));
  const std::int64_t n = a.size();
  if (n == 0) return acc.force();
  auto fp = std::make_shared<F>(std::move(f));
  for (std::int64_t i = n - 1; i >= 1; --i) {
    acc = basis::Lazy<B>::defer([fp, acc, x = a.data()[i]]() -> B { return (*fp)(x, acc); });
  }
  return (*fp)(a.data()[0], acc);
}

// `foldr'`: the right fold from the last element down, the accumulator
// evaluated at every step. O(n).
template <class F, class B, class E>
B foldr_(F&& f, B z, const Array<E>& a) {
  for (std::int64_t i = a.size() - 1; i >= 0; --i) z = f(a.data()[i], std::move(z));
  return z;
}

// The images f(a[i]) combined with the monoid's `mappend`, nested to the
// right; `mempty` for an empty array, f(a[0]) itself for one element. f runs
// in index order. O(n).
template <class F, class E, class M = std::remove_cvref_t<std::invoke_result_t<F&, const Slot<E>&>>>
M foldMap(F&& f, const Array<E>& a) {
  const std::int64_t n = a.size();
  if (n == 0) return basis::Monoid<M>::mempty();
  std::vector<M> images;
  images.reserve(static_cast<std::size_t>(n));
  for (const Slot<E>& x : a) images.push_back(f(x));
  M acc = std::move(images.back());
  for (std::int64_t i = n - 2; i >= 0; --i) acc = basis::Monoid<M>::mappend(images[i], acc);
  return acc;
}

// True when p holds for every element; stops at the first false. O(n).
template <class P, class E>
bool all(P&& p, const Array<E>& a) {
  for (const Slot<E>& x : a) {
    if (!p(x)) return false;
  }
  return true;
}

// The elements in index order, as stored (unevaluated): the array itself,
// a range of its slots that keeps its block alive. O(1).
template <class E>
Array<E> toList(const Array<E>& a) {
  return a;
}

}  // namespace hashgrove::internal::array
