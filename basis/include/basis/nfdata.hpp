#pragma once
// NFData<T>: deep evaluation. `rnf(x)` forces every Lazy reachable from x
// (a deferred value is forced, then its value is evaluated deeply in turn)
// and lets what a computation throws pass through. Plain C++ values are
// already evaluated, so for them rnf does nothing.
//
// A specialisation supplies `static void rnf(const T& x)`.

#include <concepts>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/lazy.hpp"
#include "basis/types.hpp"

namespace basis {

template <class T>
struct NFData;

template <class T>
concept NFDataType = requires(const T& x) { NFData<T>::rnf(x); };

// Evaluates x deeply. Cost: one visit of every part of x.
template <class T>
void rnf(const T& x) {
  NFData<T>::rnf(x);
}
// Evaluates a deeply, then returns b.
template <class A, class B>
std::decay_t<B> deepseq(const A& a, B&& b) {
  NFData<A>::rnf(a);
  return std::forward<B>(b);
}

// Values that hold nothing deferred: nothing to do.
template <class T>
  requires(std::is_arithmetic_v<T> || std::is_enum_v<T>)
struct NFData<T> {
  static void rnf(const T&) noexcept {}
};
template <>
struct NFData<Unit> {
  static void rnf(const Unit&) noexcept {}
};
template <class C>
struct NFData<std::basic_string<C>> {
  static void rnf(const std::basic_string<C>&) noexcept {}
};
template <class C>
struct NFData<std::basic_string_view<C>> {
  static void rnf(const std::basic_string_view<C>&) noexcept {}
};

// A deferred value: forced, then its value evaluated deeply.
template <class T>
struct NFData<Lazy<T>> {
  static void rnf(const Lazy<T>& x) { NFData<T>::rnf(x.force()); }
};

template <class T>
struct NFData<std::optional<T>> {
  static void rnf(const std::optional<T>& x) {
    if (x) NFData<T>::rnf(*x);
  }
};

template <class A, class B>
struct NFData<Either<A, B>> {
  static void rnf(const Either<A, B>& e) {
    if (const A* a = e.leftPtr()) {
      NFData<A>::rnf(*a);
    } else {
      NFData<B>::rnf(*e.rightPtr());
    }
  }
};

template <class A, class B>
struct NFData<These<A, B>> {
  static void rnf(const These<A, B>& t) {
    if (const A* a = t.herePtr()) NFData<A>::rnf(*a);
    if (const B* b = t.therePtr()) NFData<B>::rnf(*b);
  }
};

template <class A>
struct NFData<Identity<A>> {
  static void rnf(const Identity<A>& x) { NFData<A>::rnf(x.value); }
};

// Pairs and tuples: the components left to right.
template <class A, class B>
struct NFData<std::pair<A, B>> {
  static void rnf(const std::pair<A, B>& p) {
    NFData<A>::rnf(p.first);
    NFData<B>::rnf(p.second);
  }
};
template <class... Ts>
struct NFData<std::tuple<Ts...>> {
  static void rnf(const std::tuple<Ts...>& t) {
    std::apply([](const auto&... xs) { (basis::rnf(xs), ...); }, t);
  }
};

// Lists: the elements in order.
template <class T, class Alloc>
struct NFData<std::vector<T, Alloc>> {
  static void rnf(const std::vector<T, Alloc>& xs) {
    for (const T& x : xs) NFData<T>::rnf(x);
  }
};

}  // namespace basis
