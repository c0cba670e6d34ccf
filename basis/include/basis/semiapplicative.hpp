#pragma once
// The semigroupoid interfaces Apply and Bind: an applicative without `pure`
// and a monad without `return`.
//
// basis::Apply<F, A> already names a constructor applied to an element, so the
// Apply interface is Semiapplicative<F>; its slots, in order: apF (`<.>`),
// seqRightF (`.>`), seqLeftF (`<.`), liftF2. Bind<F> has bindF (`>>-`) and
// join. Operands may arrive deferred, as for Applicative (see `demand`).
//
// A specialisation defines apF (or liftF2) and inherits
// SemiapplicativeDefaults<F>, or inherits SemiapplicativeFromApplicative<F> to
// take every slot from F's Applicative; likewise BindDefaults<F> (from bindF)
// and BindFromMonad<F>.

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/list.hpp"
#include "basis/monad.hpp"

namespace basis {

template <class F>
struct Semiapplicative;
template <class F>
struct Bind;

// The defaults of Apply, from apF.
template <class F>
struct SemiapplicativeDefaults {
  // f over the elements of fa and fb: (f mapped over fa) `<.>` fb.
  template <class Fn, class X, class Y>
  static auto liftF2(Fn f, X&& fa, Y&& fb) {
    using B = element_of<demanded_t<Y>>;
    auto&& a = demand(std::forward<X>(fa));
    using A = element_of<std::remove_cvref_t<decltype(a)>>;
    using C = Mapped<Fn, A, B>;
    auto partial = Functor<F>::fmap(
        [f](const A& x) { return std::function<C(const B&)>([f, x](const B& y) { return f(x, y); }); }, a);
    return Semiapplicative<F>::apF(std::move(partial), std::forward<Y>(fb));
  }
  // fa's effects, then fb's; fb's elements (`.>`).
  template <class X, class Y>
  static auto seqRightF(X&& fa, Y&& fb) {
    return Semiapplicative<F>::liftF2([](const auto&, const auto& b) { return b; }, std::forward<X>(fa),
                                      std::forward<Y>(fb));
  }
  // fa's effects, then fb's; fa's elements (`<.`).
  template <class X, class Y>
  static auto seqLeftF(X&& fa, Y&& fb) {
    return Semiapplicative<F>::liftF2([](const auto& a, const auto&) { return a; }, std::forward<X>(fa),
                                      std::forward<Y>(fb));
  }
};

// Every slot taken from F's Applicative.
template <class F>
struct SemiapplicativeFromApplicative {
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    return Applicative<F>::ap(std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class X, class Y>
  static auto seqRightF(X&& fa, Y&& fb) {
    return Applicative<F>::seqRight(std::forward<X>(fa), std::forward<Y>(fb));
  }
  template <class X, class Y>
  static auto seqLeftF(X&& fa, Y&& fb) {
    return Applicative<F>::seqLeft(std::forward<X>(fa), std::forward<Y>(fb));
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn f, X&& fa, Y&& fb) {
    return Applicative<F>::liftA2(std::move(f), std::forward<X>(fa), std::forward<Y>(fb));
  }
};

// The defaults of Bind, from bindF.
template <class F>
struct BindDefaults {
  // The inner structures' elements, effects of the outer first.
  template <class X>
  static auto join(X&& mm) {
    return Bind<F>::bindF(std::forward<X>(mm), [](const auto& inner) { return forced(inner); });
  }
};

// Every slot taken from F's Monad.
template <class F>
struct BindFromMonad {
  template <class X, class K>
  static auto bindF(X&& m, K&& k) {
    return Monad<F>::bind(std::forward<X>(m), std::forward<K>(k));
  }
  template <class X>
  static auto join(X&& mm) {
    return Monad<F>::join(std::forward<X>(mm));
  }
};

// F has a complete Apply specialisation.
template <class F>
concept SemiapplicativeTag =
    FunctorTag<F> && requires(const Apply<F, detail::ProbeA>& x, const Apply<F, detail::ProbeB>& y) {
      {
        Semiapplicative<F>::liftF2([](const detail::ProbeA&, const detail::ProbeB&) { return 0; }, x, y)
      } -> std::same_as<Apply<F, int>>;
      { Semiapplicative<F>::seqRightF(x, y) } -> std::same_as<Apply<F, detail::ProbeB>>;
      { Semiapplicative<F>::seqLeftF(x, y) } -> std::same_as<Apply<F, detail::ProbeA>>;
    };

// F has a complete Bind specialisation.
template <class F>
concept BindTag = SemiapplicativeTag<F> &&
                  requires(const Apply<F, detail::ProbeA>& x, Apply<F, detail::ProbeB> (*k)(const detail::ProbeA&)) {
                    { Bind<F>::bindF(x, k) } -> std::same_as<Apply<F, detail::ProbeB>>;
                  };

// Each function of ff applied to each element of fa (`<.>`).
template <class FF, class X>
auto apF(FF&& ff, X&& fa) {
  return Semiapplicative<tag_of<demanded_t<FF>>>::apF(std::forward<FF>(ff), std::forward<X>(fa));
}
// fa then fb, keeping fb's elements (`.>`).
template <class X, class Y>
auto seqRightF(X&& fa, Y&& fb) {
  return Semiapplicative<tag_of<demanded_t<X>>>::seqRightF(std::forward<X>(fa), std::forward<Y>(fb));
}
// fa then fb, keeping fa's elements (`<.`).
template <class X, class Y>
auto seqLeftF(X&& fa, Y&& fb) {
  return Semiapplicative<tag_of<demanded_t<X>>>::seqLeftF(std::forward<X>(fa), std::forward<Y>(fb));
}
// f over the elements of fa and fb.
template <class Fn, class X, class Y>
auto liftF2(Fn&& f, X&& fa, Y&& fb) {
  return Semiapplicative<tag_of<demanded_t<X>>>::liftF2(std::forward<Fn>(f), std::forward<X>(fa),
                                                       std::forward<Y>(fb));
}
// k applied to each element of m (`>>-`).
template <class X, class K>
auto bindF(X&& m, K&& k) {
  return Bind<tag_of<demanded_t<X>>>::bindF(std::forward<X>(m), std::forward<K>(k));
}

// ---------------------------------------------------------------------------
// The standard shapes take both interfaces from their Applicative and Monad.

template <>
struct Semiapplicative<IdentityTag> : SemiapplicativeFromApplicative<IdentityTag> {};
template <>
struct Semiapplicative<OptionalTag> : SemiapplicativeFromApplicative<OptionalTag> {};
template <>
struct Semiapplicative<VectorTag> : SemiapplicativeFromApplicative<VectorTag> {};
template <>
struct Semiapplicative<ListTag> : SemiapplicativeFromApplicative<ListTag> {};
template <class E>
struct Semiapplicative<EitherOf<E>> : SemiapplicativeFromApplicative<EitherOf<E>> {};
template <class E>
struct Semiapplicative<FunctionFrom<E>> : SemiapplicativeFromApplicative<FunctionFrom<E>> {};
// The first components combine by L's Semigroup.
template <class L>
  requires SemigroupType<L>
struct Semiapplicative<PairOf<L>> : SemiapplicativeDefaults<PairOf<L>> {
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    return liftF2([](const auto& g, const auto& x) { return g(x); }, std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn f, X&& fa, Y&& fb) {
    return detail::writerLiftA2<L>(f, std::forward<X>(fa), std::forward<Y>(fb));
  }
};

template <>
struct Bind<IdentityTag> : BindFromMonad<IdentityTag> {};
template <>
struct Bind<OptionalTag> : BindFromMonad<OptionalTag> {};
template <>
struct Bind<VectorTag> : BindFromMonad<VectorTag> {};
template <>
struct Bind<ListTag> : BindFromMonad<ListTag> {};
template <class E>
struct Bind<EitherOf<E>> : BindFromMonad<EitherOf<E>> {};
template <class E>
struct Bind<FunctionFrom<E>> : BindFromMonad<FunctionFrom<E>> {};
template <class L>
  requires SemigroupType<L>
struct Bind<PairOf<L>> : BindDefaults<PairOf<L>> {
  template <class X, class K>
  static auto bindF(X&& m, K k) {
    return detail::writerBind(std::forward<X>(m), k);
  }
};

}  // namespace basis
