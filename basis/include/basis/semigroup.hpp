#pragma once
// Semigroup<T> and Monoid<T>: associative combination and its identity.
//
// A specialisation supplies `combine(a, b)` (and `mempty()` for a monoid); it
// may inherit SemigroupDefaults<T> / MonoidDefaults<T> for `sconcat`,
// `stimes`, `mappend` and `mconcat` defined from those.

#include <concepts>
#include <cstdint>
#include <iterator>
#include <optional>
#include <ranges>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "basis/error.hpp"
#include "basis/types.hpp"

namespace basis {

template <class T>
struct Semigroup;
template <class T>
struct Monoid;

template <class T>
concept SemigroupType = requires(const T& a, const T& b) {
  { Semigroup<T>::combine(a, b) } -> std::convertible_to<T>;
};
template <class T>
concept MonoidType = SemigroupType<T> && requires {
  { Monoid<T>::mempty() } -> std::convertible_to<T>;
};

// `combine` of a and b (the platform's `<>`).
template <class T>
T combine(const T& a, const T& b) {
  return Semigroup<T>::combine(a, b);
}

// The defaults of a semigroup, from `combine`.
template <class T>
struct SemigroupDefaults {
  // The combination of a non-empty range from left to right; throws
  // std::invalid_argument for an empty range.
  template <std::ranges::input_range R>
  static T sconcat(R&& xs) {
    auto it = std::ranges::begin(xs);
    auto end = std::ranges::end(xs);
    if (it == end) throw std::invalid_argument("sconcat: empty list");
    T acc = *it;
    for (++it; it != end; ++it) acc = Semigroup<T>::combine(acc, *it);
    return acc;
  }
  // x combined with itself n times (n >= 1) by repeated squaring, O(log n)
  // combinations. Throws ErrorCall "stimes: positive multiplier expected" for n < 1.
  static T stimes(std::int64_t n, const T& x) {
    if (n < 1) throw ErrorCall("stimes: positive multiplier expected");
    T base = x;
    std::optional<T> acc;
    for (;;) {
      if (n & 1) acc = acc ? Semigroup<T>::combine(*acc, base) : base;
      n >>= 1;
      if (n == 0) break;
      base = Semigroup<T>::combine(base, base);
    }
    return *acc;
  }
};

// The defaults of a monoid, from `combine` and `mempty`.
template <class T>
struct MonoidDefaults {
  static T mappend(const T& a, const T& b) { return Semigroup<T>::combine(a, b); }
  // The combination of a range, `mempty` for an empty one; left to right.
  template <std::ranges::input_range R>
  static T mconcat(R&& xs) {
    T acc = Monoid<T>::mempty();
    for (auto&& x : xs) acc = Semigroup<T>::combine(acc, x);
    return acc;
  }
};

template <class T>
T mempty() {
  return Monoid<T>::mempty();
}
template <class T>
T mappend(const T& a, const T& b) {
  return Monoid<T>::mappend(a, b);
}
template <class T, std::ranges::input_range R>
T mconcat(R&& xs) {
  return Monoid<T>::mconcat(std::forward<R>(xs));
}
template <class T, std::ranges::input_range R>
T sconcat(R&& xs) {
  return Semigroup<T>::sconcat(std::forward<R>(xs));
}
template <class T>
T stimes(std::int64_t n, const T& x) {
  return Semigroup<T>::stimes(n, x);
}

// ---------------------------------------------------------------------------
// Standard instances.

template <>
struct Semigroup<Unit> : SemigroupDefaults<Unit> {
  static Unit combine(Unit, Unit) { return {}; }
};
template <>
struct Monoid<Unit> : MonoidDefaults<Unit> {
  static Unit mempty() { return {}; }
};

// Orderings combine lexicographically: the first that is not EQ.
template <>
struct Semigroup<Ordering> : SemigroupDefaults<Ordering> {
  static Ordering combine(Ordering a, Ordering b) { return a == EQ ? b : a; }
};
template <>
struct Monoid<Ordering> : MonoidDefaults<Ordering> {
  static Ordering mempty() { return EQ; }
};

template <class C>
struct Semigroup<std::basic_string<C>> : SemigroupDefaults<std::basic_string<C>> {
  static std::basic_string<C> combine(const std::basic_string<C>& a, const std::basic_string<C>& b) {
    return a + b;
  }
};
template <class C>
struct Monoid<std::basic_string<C>> : MonoidDefaults<std::basic_string<C>> {
  static std::basic_string<C> mempty() { return {}; }
};

template <class T>
struct Semigroup<std::vector<T>> : SemigroupDefaults<std::vector<T>> {
  static std::vector<T> combine(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> r;
    r.reserve(a.size() + b.size());
    r.insert(r.end(), a.begin(), a.end());
    r.insert(r.end(), b.begin(), b.end());
    return r;
  }
};
template <class T>
struct Monoid<std::vector<T>> : MonoidDefaults<std::vector<T>> {
  static std::vector<T> mempty() { return {}; }
};

// Optional values lift a semigroup to a monoid with Nothing as identity.
template <class T>
  requires SemigroupType<T>
struct Semigroup<std::optional<T>> : SemigroupDefaults<std::optional<T>> {
  static std::optional<T> combine(const std::optional<T>& a, const std::optional<T>& b) {
    if (!a) return b;
    if (!b) return a;
    return Semigroup<T>::combine(*a, *b);
  }
};
template <class T>
  requires SemigroupType<T>
struct Monoid<std::optional<T>> : MonoidDefaults<std::optional<T>> {
  static std::optional<T> mempty() { return std::nullopt; }
};

// Component by component.
template <class A, class B>
  requires SemigroupType<A> && SemigroupType<B>
struct Semigroup<std::pair<A, B>> : SemigroupDefaults<std::pair<A, B>> {
  static std::pair<A, B> combine(const std::pair<A, B>& a, const std::pair<A, B>& b) {
    return {Semigroup<A>::combine(a.first, b.first), Semigroup<B>::combine(a.second, b.second)};
  }
};
template <class A, class B>
  requires MonoidType<A> && MonoidType<B>
struct Monoid<std::pair<A, B>> : MonoidDefaults<std::pair<A, B>> {
  static std::pair<A, B> mempty() { return {Monoid<A>::mempty(), Monoid<B>::mempty()}; }
};

// Numeric wrappers: addition and multiplication, minimum and maximum, first
// and last.
template <class T>
struct Sum {
  T value{};
  friend bool operator==(const Sum&, const Sum&) = default;
};
template <class T>
struct Product {
  T value{1};
  friend bool operator==(const Product&, const Product&) = default;
};
template <class T>
struct Semigroup<Sum<T>> : SemigroupDefaults<Sum<T>> {
  static Sum<T> combine(const Sum<T>& a, const Sum<T>& b) { return {a.value + b.value}; }
};
template <class T>
struct Monoid<Sum<T>> : MonoidDefaults<Sum<T>> {
  static Sum<T> mempty() { return {T(0)}; }
};
template <class T>
struct Semigroup<Product<T>> : SemigroupDefaults<Product<T>> {
  static Product<T> combine(const Product<T>& a, const Product<T>& b) { return {a.value * b.value}; }
};
template <class T>
struct Monoid<Product<T>> : MonoidDefaults<Product<T>> {
  static Product<T> mempty() { return {T(1)}; }
};

template <class A>
  requires SemigroupType<A>
struct Semigroup<Identity<A>> : SemigroupDefaults<Identity<A>> {
  static Identity<A> combine(const Identity<A>& a, const Identity<A>& b) {
    return {Semigroup<A>::combine(a.value, b.value)};
  }
};
template <class A>
  requires MonoidType<A>
struct Monoid<Identity<A>> : MonoidDefaults<Identity<A>> {
  static Identity<A> mempty() { return {Monoid<A>::mempty()}; }
};

}  // namespace basis
