#pragma once
// functor::Product<F, G, A>: an F-structure and a G-structure of A side by
// side (the constructor `Pair`), seen as one structure of A. Both parts are
// held deferred, so an operation that builds a Product builds neither part
// until it is read. The monoid wrapper basis::Product<T> is another type;
// this one lives in basis::functor.

#include <memory>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/monad.hpp"
#include "basis/traversable.hpp"

namespace basis {
namespace functor {

template <class F, class G, class A>
struct Product {
  Lazy<Apply<F, A>> first;
  Lazy<Apply<G, A>> second;

  // The F part and the G part, forced.
  const Apply<F, A>& fst() const { return first.force(); }
  const Apply<G, A>& snd() const { return second.force(); }
  friend bool operator==(const Product& a, const Product& b) {
    return a.fst() == b.fst() && a.snd() == b.snd();
  }
};

// The constructor `Pair`: both parts as given (values or Lazy).
template <class F, class G, class A>
Product<F, G, A> Pair(Lazy<Apply<F, A>> fa, Lazy<Apply<G, A>> ga) {
  return {std::move(fa), std::move(ga)};
}

}  // namespace functor

// functor::Product<F, G, _>.
template <class F, class G>
struct ProductOf {
  template <class A>
  using apply = functor::Product<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<functor::Product<F, G, A>> {
  using type = ProductOf<F, G>;
  using element = A;
};

// Each part mapped by its own fmap, deferred until the part is read.
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<ProductOf<F, G>> : FunctorDefaults<ProductOf<F, G>> {
  template <class Fn, class A>
  static functor::Product<F, G, Mapped<Fn, A>> fmap(Fn f, const functor::Product<F, G, A>& p) {
    auto fp = std::make_shared<Fn>(std::move(f));
    using B = Mapped<Fn, A>;
    return {Lazy<Apply<F, B>>::defer([fp, x = p.first] { return Functor<F>::fmap(*fp, x.force()); }),
            Lazy<Apply<G, B>>::defer([fp, y = p.second] { return Functor<G>::fmap(*fp, y.force()); })};
  }
};

// The F part's elements, then the G part's.
template <class F, class G>
  requires FoldableTag<F> && FoldableTag<G>
struct Foldable<ProductOf<F, G>> : FoldableDefaults<ProductOf<F, G>> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const functor::Product<F, G, A>& p) {
    using B = lazy_value_t<Z>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto rest = Lazy<B>::defer([fp, z = toLazy(std::move(z)), y = p.second] {
      return Foldable<G>::foldr(*fp, z, y.force());
    });
    return Foldable<F>::foldr(*fp, rest, p.fst());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const functor::Product<F, G, A>& p) {
    return Foldable<G>::foldl_(f, Foldable<F>::foldl_(f, std::move(z), p.fst()), p.snd());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const functor::Product<F, G, A>& p) {
    return Foldable<F>::foldr_(f, Foldable<G>::foldr_(f, std::move(z), p.snd()), p.fst());
  }
};

// The F part's actions, then the G part's (handed over deferred).
template <class F, class G>
  requires TraversableTag<F> && TraversableTag<G>
struct Traversable<ProductOf<F, G>> : TraversableDefaults<ProductOf<F, G>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const functor::Product<F, G, A>& p) {
    using GB = Action<Fn, A>;
    using H = tag_of<GB>;
    using B = element_of<GB>;
    auto gp = std::make_shared<Fn>(std::move(g));
    return Applicative<H>::liftA2(
        [](const Apply<F, B>& x, const Apply<G, B>& y) { return functor::Product<F, G, B>{x, y}; },
        Traversable<F>::traverse(*gp, p.fst()),
        [gp, y = p.second] { return Traversable<G>::traverse(*gp, y.force()); });
  }
};

// Part by part; each part of the result is computed when read.
template <class F, class G>
  requires ApplicativeTag<F> && ApplicativeTag<G>
struct Applicative<ProductOf<F, G>> : ApplicativeDefaults<ProductOf<F, G>> {
  template <class A>
  static functor::Product<F, G, std::remove_cvref_t<A>> pure(A&& a) {
    return {Applicative<F>::pure(a), Applicative<G>::pure(a)};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    using C = Mapped<Fn, A, B>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto x = toLazy(std::forward<X>(fa));
    auto y = toLazy(std::forward<Y>(fb));
    return functor::Product<F, G, C>{
        Lazy<Apply<F, C>>::defer([fp, x, y] {
          return Applicative<F>::liftA2(*fp, x.force().fst(), [y] { return y.force().fst(); });
        }),
        Lazy<Apply<G, C>>::defer([fp, x, y] {
          return Applicative<G>::liftA2(*fp, x.force().snd(), [y] { return y.force().snd(); });
        })};
  }
};

// Part by part: each part binds with the matching part of k's results.
template <class F, class G>
  requires MonadTag<F> && MonadTag<G>
struct Monad<ProductOf<F, G>> : MonadDefaults<ProductOf<F, G>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using A = element_of<demanded_t<X>>;
    using R = Bound<K, A>;
    using B = element_of<R>;
    auto kp = std::make_shared<K>(std::move(k));
    auto x = toLazy(std::forward<X>(m));
    return R{Lazy<Apply<F, B>>::defer([kp, x] {
               return Monad<F>::bind(x.force().fst(), [kp](const A& a) { return R(demand((*kp)(a))).fst(); });
             }),
             Lazy<Apply<G, B>>::defer([kp, x] {
               return Monad<G>::bind(x.force().snd(), [kp](const A& a) { return R(demand((*kp)(a))).snd(); });
             })};
  }
};

}  // namespace basis
