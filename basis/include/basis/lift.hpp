#pragma once
// Lift<T>: the expression that rebuilds a value (see basis/expr.hpp).
//
// A specialisation supplies `static expr::Exp lift(const T& x)`; it may
// inherit LiftDefaults<T> for `liftTyped`, the same expression marked as
// rebuilding a T. Lifting forces every Lazy it reaches.

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/expr.hpp"
#include "basis/lazy.hpp"
#include "basis/types.hpp"

namespace basis {

template <class T>
struct Lift;

template <class T>
concept LiftType = requires(const T& x) {
  { Lift<T>::lift(x) } -> std::same_as<expr::Exp>;
};

// The expression of x. O(size of x).
template <class T>
expr::Exp lift(const T& x) {
  return Lift<T>::lift(x);
}
// The expression of x, typed.
template <class T>
expr::TExp<T> liftTyped(const T& x) {
  return Lift<T>::liftTyped(x);
}

template <class T>
struct LiftDefaults {
  static expr::TExp<T> liftTyped(const T& x) { return {Lift<T>::lift(x)}; }
};

// A string literal expression of the characters (not the list of character
// literals that lifting a String gives).
inline expr::Exp liftString(std::u32string s) { return expr::LitE(expr::StringL(std::move(s))); }

namespace detail {
// The platform's constructors that the standard instances refer to.
expr::Exp conTrue();
expr::Exp conFalse();
expr::Exp conUnit();
expr::Exp conOrdering(Ordering o);
expr::Exp conNothing();
expr::Exp conJust();
expr::Exp conLeft();
expr::Exp conRight();
expr::Exp conThis();
expr::Exp conThat();
expr::Exp conThese();
expr::Exp conIdentity();
}  // namespace detail

// ---------------------------------------------------------------------------
// Standard instances.

// Integers: an integer literal of the value (an unsigned word is never
// negative).
template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
           !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char8_t> &&
           !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t>)
struct Lift<T> : LiftDefaults<T> {
  static expr::Exp lift(T x) { return expr::LitE(expr::IntegerL(x)); }
};

template <>
struct Lift<bool> : LiftDefaults<bool> {
  static expr::Exp lift(bool x) { return x ? detail::conTrue() : detail::conFalse(); }
};

template <>
struct Lift<char32_t> : LiftDefaults<char32_t> {
  static expr::Exp lift(char32_t c) { return expr::LitE(expr::CharL(c)); }
};

template <>
struct Lift<Unit> : LiftDefaults<Unit> {
  static expr::Exp lift(Unit) { return detail::conUnit(); }
};

template <>
struct Lift<Ordering> : LiftDefaults<Ordering> {
  static expr::Exp lift(Ordering o) { return detail::conOrdering(o); }
};

template <class T>
struct Lift<std::optional<T>> : LiftDefaults<std::optional<T>> {
  static expr::Exp lift(const std::optional<T>& x) {
    if (!x) return detail::conNothing();
    return expr::AppE(detail::conJust(), Lift<T>::lift(*x));
  }
};

template <class A, class B>
struct Lift<Either<A, B>> : LiftDefaults<Either<A, B>> {
  static expr::Exp lift(const Either<A, B>& e) {
    if (const A* a = e.leftPtr()) return expr::AppE(detail::conLeft(), Lift<A>::lift(*a));
    return expr::AppE(detail::conRight(), Lift<B>::lift(*e.rightPtr()));
  }
};

template <class A, class B>
struct Lift<These<A, B>> : LiftDefaults<These<A, B>> {
  static expr::Exp lift(const These<A, B>& t) {
    return t.fold(
        [](const A& a) { return expr::AppE(detail::conThis(), Lift<A>::lift(a)); },
        [](const B& b) { return expr::AppE(detail::conThat(), Lift<B>::lift(b)); },
        [](const A& a, const B& b) {
          return expr::appsE(detail::conThese(), {Lift<A>::lift(a), Lift<B>::lift(b)});
        });
  }
};

template <class A>
struct Lift<Identity<A>> : LiftDefaults<Identity<A>> {
  static expr::Exp lift(const Identity<A>& x) {
    return expr::AppE(detail::conIdentity(), Lift<A>::lift(x.value));
  }
};

// A deferred value lifts as its value (forcing it).
template <class T>
struct Lift<Lazy<T>> : LiftDefaults<Lazy<T>> {
  static expr::Exp lift(const Lazy<T>& x) { return Lift<T>::lift(x.force()); }
};

// Tuples: a tuple expression of the lifted components, left to right.
template <class A, class B>
struct Lift<std::pair<A, B>> : LiftDefaults<std::pair<A, B>> {
  static expr::Exp lift(const std::pair<A, B>& p) {
    std::vector<expr::Exp> parts;
    parts.reserve(2);
    parts.push_back(Lift<A>::lift(p.first));
    parts.push_back(Lift<B>::lift(p.second));
    return expr::TupE(std::move(parts));
  }
};
template <class... Ts>
struct Lift<std::tuple<Ts...>> : LiftDefaults<std::tuple<Ts...>> {
  static expr::Exp lift(const std::tuple<Ts...>& t) {
    std::vector<expr::Exp> parts;
    parts.reserve(sizeof...(Ts));
    std::apply([&](const auto&... xs) { (parts.push_back(basis::lift(xs)), ...); }, t);
    return expr::TupE(std::move(parts));
  }
};

// Lists: a list expression of the lifted elements, in order.
template <class T, class Alloc>
struct Lift<std::vector<T, Alloc>> : LiftDefaults<std::vector<T, Alloc>> {
  static expr::Exp lift(const std::vector<T, Alloc>& xs) {
    std::vector<expr::Exp> parts;
    parts.reserve(xs.size());
    for (const T& x : xs) parts.push_back(Lift<T>::lift(x));
    return expr::ListE(std::move(parts));
  }
};

// A String is a list: a list expression of character literals.
template <>
struct Lift<std::u32string> : LiftDefaults<std::u32string> {
  static expr::Exp lift(const std::u32string& s) {
    std::vector<expr::Exp> parts;
    parts.reserve(s.size());
    for (char32_t c : s) parts.push_back(expr::LitE(expr::CharL(c)));
    return expr::ListE(std::move(parts));
  }
};

}  // namespace basis
