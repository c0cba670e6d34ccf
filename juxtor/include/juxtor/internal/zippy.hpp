#pragma once
// Zippy<F, A>: a container of a zipping shape F, combined position by
// position. Two wrapped containers combine through the shape's zipWith; the
// neutral container holds the neutral element at every position through the
// shape's repeat. The wrapper is the container itself (one field,
// `getZippy`), so wrapping and unwrapping cost nothing.
//
// Interfaces: equality and ordering of the wrapped containers; the record text
// form «Zippy {getZippy = ...}» and its parser; Functor (the shape's);
// Semiapplicative (Apply) over Zip F; Applicative over Repeat F; Semigroup
// over Zip F and the element's Semigroup; Monoid over Repeat F and the
// element's Monoid. Each combination is one zipWith (after at most one fmap)
// of the shape: lazy where the shape's is.

#include <array>
#include <functional>
#include <iterator>
#include <ranges>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <basis/applicative.hpp>
#include <basis/read.hpp>
#include <basis/semiapplicative.hpp>
#include <basis/semigroup.hpp>
#include <basis/show.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

template <class F, class A>
struct Zippy {
  basis::Apply<F, A> getZippy;

  friend bool operator==(const Zippy& a, const Zippy& b) { return a.getZippy == b.getZippy; }
  friend auto operator<=>(const Zippy& a, const Zippy& b)
    requires std::three_way_comparable<basis::Apply<F, A>>
  {
    return a.getZippy <=> b.getZippy;
  }
};

// Zippy<F, _>.
template <class F>
struct ZippyOf {
  template <class A>
  using apply = Zippy<F, A>;
};

namespace detail {
// Applies a function to an argument.
struct Apply {
  template <class Fn, class X>
  auto operator()(const Fn& f, const X& x) const {
    return basis::forced(f)(basis::forced(x));
  }
};
// The first of two arguments.
struct Const {
  template <class X, class Y>
  const plain_t<X>& operator()(const X& x, const Y&) const {
    return basis::forced(x);
  }
};
// The second of two arguments.
struct Keep {
  template <class X, class Y>
  const plain_t<Y>& operator()(const X&, const Y& y) const {
    return basis::forced(y);
  }
};
// The wrapped container of an operand that may arrive deferred.
template <class X>
decltype(auto) unwrapped(X&& x) {
  return basis::demand(std::forward<X>(x)).getZippy;
}
}  // namespace detail

}  // namespace juxtor

template <class F, class A>
struct basis::TagOf<juxtor::Zippy<F, A>> {
  using type = juxtor::ZippyOf<F>;
  using element = A;
};

// The record form «Zippy {getZippy = x}», in parentheses from precedence 11.
template <class F, class A>
struct basis::Show<juxtor::Zippy<F, A>> : basis::ShowDefaults<juxtor::Zippy<F, A>> {
  static void showsPrec(int d, const juxtor::Zippy<F, A>& z, std::string& out) {
    basis::showRecord(d, out, "Zippy", [&](basis::RecordFields& f) { f.field("getZippy", z.getZippy); });
  }
};

// The record form up to precedence 11, in any number of parentheses.
template <class F, class A>
struct basis::Read<juxtor::Zippy<F, A>> : basis::ReadDefaults<juxtor::Zippy<F, A>> {
  using Z = juxtor::Zippy<F, A>;
  using W = basis::Apply<F, A>;
  static basis::Parses<Z> readsPrec(int d, std::string_view in) {
    return basis::runParens(
        [](int p, std::string_view s) {
          return basis::readRecord<Z, W>(p, s, "Zippy", std::array<std::string_view, 1>{"getZippy"},
                                         [](const W& w) { return Z{w}; });
        },
        d, in);
  }
};

// The shape's own mapping.
template <class F>
struct basis::Functor<juxtor::ZippyOf<F>> : basis::FunctorDefaults<juxtor::ZippyOf<F>> {
  template <class Fn, class A>
  static juxtor::Zippy<F, basis::Mapped<Fn, A>> fmap(Fn f, const juxtor::Zippy<F, A>& z) {
    return {basis::Functor<F>::fmap(std::move(f), z.getZippy)};
  }
  template <class B, class A>
  static juxtor::Zippy<F, B> replace(const B& b, const juxtor::Zippy<F, A>& z) {
    return {basis::Functor<F>::replace(b, z.getZippy)};
  }
};

// Apply: each slot one zipWith of the shape.
template <class F>
struct basis::Semiapplicative<juxtor::ZippyOf<F>> {
  // `<.>`: each function applied to the element at its position.
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    return zipped(juxtor::detail::Apply{}, std::forward<FF>(ff), std::forward<X>(fa));
  }
  // `.>`: fb's elements at the positions both hold.
  template <class X, class Y>
  static auto seqRightF(X&& fa, Y&& fb) {
    return zipped(juxtor::detail::Keep{}, std::forward<X>(fa), std::forward<Y>(fb));
  }
  // `<.`: fa's elements at the positions both hold.
  template <class X, class Y>
  static auto seqLeftF(X&& fa, Y&& fb) {
    return zipped(juxtor::detail::Const{}, std::forward<X>(fa), std::forward<Y>(fb));
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn f, X&& fa, Y&& fb) {
    return zipped(std::move(f), std::forward<X>(fa), std::forward<Y>(fb));
  }

 private:
  // op zipped over the two wrapped shapes; the left operand is demanded first.
  template <class Op, class X, class Y>
  static auto zipped(Op op, X&& fa, Y&& fb) {
    auto&& left = juxtor::detail::unwrapped(std::forward<X>(fa));
    return wrap(juxtor::Zip<F>::zipWith(std::move(op), left, juxtor::detail::unwrapped(std::forward<Y>(fb))));
  }
  template <class FB>
  static juxtor::Zippy<F, basis::element_of<FB>> wrap(FB&& x) {
    return {std::forward<FB>(x)};
  }
};

// Applicative: pure is the shape's repeat, the rest as Apply.
template <class F>
struct basis::Applicative<juxtor::ZippyOf<F>> : basis::Semiapplicative<juxtor::ZippyOf<F>> {
  using Base = basis::Semiapplicative<juxtor::ZippyOf<F>>;
  template <class X>
  static auto pure(X&& x) {
    auto r = juxtor::Repeat<F>::repeat(std::forward<X>(x));
    return juxtor::Zippy<F, basis::element_of<decltype(r)>>{std::move(r)};
  }
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    return Base::apF(std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    return Base::liftF2(std::move(f), std::forward<X>(fa), std::forward<Y>(fb));
  }
  template <class X, class Y>
  static auto seqRight(X&& fa, Y&& fb) {
    return Base::seqRightF(std::forward<X>(fa), std::forward<Y>(fb));
  }
  template <class X, class Y>
  static auto seqLeft(X&& fa, Y&& fb) {
    return Base::seqLeftF(std::forward<X>(fa), std::forward<Y>(fb));
  }
};

// Position-wise combination through the element's Semigroup.
template <class F, class A>
struct basis::Semigroup<juxtor::Zippy<F, A>> {
  using Z = juxtor::Zippy<F, A>;
  // `<>`: zipWith of the element's <>.
  static Z combine(const Z& x, const Z& y) {
    return {juxtor::Zip<F>::zipWith([](const A& a, const A& b) { return basis::combine(a, b); }, x.getZippy,
                                    y.getZippy)};
  }
  // x1 <> (x2 <> (... <> xn)); one element comes back itself. Throws
  // std::invalid_argument for an empty range.
  template <std::ranges::input_range R>
  static Z sconcat(R&& xs) {
    std::vector<Z> all;
    for (auto&& x : xs) all.push_back(x);
    if (all.empty()) throw std::invalid_argument("sconcat: empty list");
    Z acc = std::move(all.back());
    for (auto it = std::next(all.rbegin()); it != all.rend(); ++it) acc = combine(*it, acc);
    return acc;
  }
  // n copies combined with <>; throws basis::ErrorCall "stimes: positive
  // multiplier expected" for n < 1.
  static Z stimes(std::int64_t n, const Z& x) { return basis::SemigroupDefaults<Z>::stimes(n, x); }
};

// The neutral container holds the element's mempty at every position.
template <class F, class A>
struct basis::Monoid<juxtor::Zippy<F, A>> {
  using Z = juxtor::Zippy<F, A>;
  static Z mempty() { return {juxtor::Repeat<F>::repeat(basis::mempty<A>())}; }
  // zipWith of the element's mappend.
  static Z mappend(const Z& x, const Z& y) {
    return {juxtor::Zip<F>::zipWith([](const A& a, const A& b) { return basis::mappend(a, b); }, x.getZippy,
                                    y.getZippy)};
  }
  // mappend x1 (mappend x2 (... (mappend xn mempty))); mempty for none.
  template <std::ranges::input_range R>
  static Z mconcat(R&& xs) {
    std::vector<Z> all;
    for (auto&& x : xs) all.push_back(x);
    Z acc = mempty();
    for (auto it = all.rbegin(); it != all.rend(); ++it) acc = mappend(*it, acc);
    return acc;
  }
};
