#pragma once
// Compose<F, G, A>: an F-structure of G-structures of A, seen as one
// structure of A. Wrapping and unwrapping copy the value once and evaluate
// nothing.

#include <compare>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class F, class G, class A>
struct Compose {
  Apply<F, Apply<G, A>> value;
  const Apply<F, Apply<G, A>>& getCompose() const noexcept { return value; }
  friend bool operator==(const Compose&, const Compose&) = default;
};

// Compose<F, G, _>.
template <class F, class G>
struct ComposeOf {
  template <class A>
  using apply = Compose<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<Compose<F, G, A>> {
  using type = ComposeOf<F, G>;
  using element = A;
};

// f mapped through both layers, as F's and G's fmap do it.
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<ComposeOf<F, G>> : FunctorDefaults<ComposeOf<F, G>> {
  template <class Fn, class A>
  static Compose<F, G, Mapped<Fn, A>> fmap(Fn f, const Compose<F, G, A>& c) {
    return {Functor<F>::fmap([f](const Apply<G, A>& ga) { return Functor<G>::fmap(f, ga); },
                             c.value)};
  }
};

// The elements of each inner structure, the outer structure's order first.
template <class F, class G>
  requires FoldableTag<F> && FoldableTag<G>
struct Foldable<ComposeOf<F, G>> : FoldableDefaults<ComposeOf<F, G>> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const Compose<F, G, A>& c) {
    using B = lazy_value_t<Z>;
    return Foldable<F>::foldr(
        [f](const auto& ga, const Lazy<B>& rest) -> B { return Foldable<G>::foldr(f, rest, forced(ga)); },
        toLazy(std::move(z)), c.value);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const Compose<F, G, A>& c) {
    using B = lazy_value_t<Z>;
    return Foldable<F>::foldl_(
        [&f](B acc, const auto& ga) { return Foldable<G>::foldl_(f, std::move(acc), forced(ga)); },
        B(demand(z)), c.value);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const Compose<F, G, A>& c) {
    using B = lazy_value_t<Z>;
    return Foldable<F>::foldr_(
        [&f](const auto& ga, B acc) { return Foldable<G>::foldr_(f, std::move(acc), forced(ga)); },
        B(demand(z)), c.value);
  }
};

// The outer traversal of the inner traversals.
template <class F, class G>
  requires TraversableTag<F> && TraversableTag<G>
struct Traversable<ComposeOf<F, G>> : TraversableDefaults<ComposeOf<F, G>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Compose<F, G, A>& c) {
    using GB = Action<Fn, A>;
    using H = tag_of<GB>;
    using B = element_of<GB>;
    auto outer = Traversable<F>::traverse(
        [g](const auto& ga) { return Traversable<G>::traverse(g, forced(ga)); }, c.value);
    return Functor<H>::fmap([](const Apply<F, Apply<G, B>>& v) { return Compose<F, G, B>{v}; },
                            outer);
  }
};

// pure in both layers; liftA2 is F's liftA2 of G's liftA2. The second operand
// stays deferred as F's liftA2 receives it.
template <class F, class G>
  requires ApplicativeTag<F> && ApplicativeTag<G>
struct Applicative<ComposeOf<F, G>> : ApplicativeDefaults<ComposeOf<F, G>> {
  template <class A>
  static Compose<F, G, std::remove_cvref_t<A>> pure(A&& a) {
    return {Applicative<F>::pure(Applicative<G>::pure(std::forward<A>(a)))};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    using C = Mapped<Fn, A, B>;
    auto&& a = demand(std::forward<X>(fa));
    auto b = toLazy(std::forward<Y>(fb));
    return Compose<F, G, C>{Applicative<F>::liftA2(
        [f](const Apply<G, A>& ga, const Apply<G, B>& gb) { return Applicative<G>::liftA2(f, ga, gb); },
        a.value, [b]() -> Apply<F, Apply<G, B>> { return b.force().value; })};
  }
};

}  // namespace basis
