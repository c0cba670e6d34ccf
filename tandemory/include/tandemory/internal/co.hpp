#pragma once
// Co<F, A>: an F A for a representable F, given the interfaces every
// representable functor has: Functor, Distributive, Representable, Apply,
// Applicative, Bind, Monad and MonadReader over its positions, and, with a
// Semigroup or Monoid of Rep F, Extend and Comonad. Included by
// tandemory/functor/rep.hpp.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/distributive.hpp"
#include "basis/extend.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/semigroup.hpp"
#include "tandemory/internal/rep_core.hpp"
#include "tandemory/internal/rep_derived.hpp"

namespace tandemory {

// An F A seen through the interfaces of its representation. Wrapping and
// unwrapping copy the F A once.
template <class F, class A>
struct Co {
  basis::Apply<F, A> unCo;
};

// Co<F, _>.
template <class F>
struct CoOf {
  template <class A>
  using apply = Co<F, A>;
};

// The wrapped F A.
template <class F, class A>
const basis::Apply<F, A>& unCo(const Co<F, A>& c) noexcept {
  return c.unCo;
}

// The wrapped W A: Co is a comonad transformer over W.
template <class W, class A>
const basis::Apply<W, A>& lower(const Co<W, A>& c) noexcept {
  return c.unCo;
}

namespace detail {
template <class F, class A>
Co<F, A> co(basis::Apply<F, A> x) {
  return Co<F, A>{std::move(x)};
}
// An operand of Co's combinators (a Co, a Lazy of one, or a callable) as the
// wrapped structure.
template <class X>
auto unwrapCo(X&& x) {
  return basis::demand(std::forward<X>(x)).unCo;
}
}  // namespace detail

}  // namespace tandemory

template <class F, class A>
struct basis::TagOf<tandemory::Co<F, A>> {
  using type = tandemory::CoOf<F>;
  using element = A;
};

namespace tandemory {

template <class F>
struct Representable<CoOf<F>> {
  using Rep = tandemory::Rep<F>;
  template <class H>
  static auto tabulate(H h) {
    auto t = Representable<F>::tabulate(std::move(h));
    return Co<F, basis::element_of<decltype(t)>>{std::move(t)};
  }
  template <class A>
  static A index(const Co<F, A>& w, const Rep& k) {
    return Representable<F>::index(w.unCo, k);
  }
};

}  // namespace tandemory

namespace basis {

template <class F>
struct Functor<tandemory::CoOf<F>> : FunctorDefaults<tandemory::CoOf<F>> {
  template <class Fn, class A>
  static tandemory::Co<F, Mapped<Fn, A>> fmap(Fn f, const tandemory::Co<F, A>& x) {
    return {Functor<F>::fmap(std::move(f), x.unCo)};
  }
  template <class B, class A>
  static tandemory::Co<F, B> replace(const B& b, const tandemory::Co<F, A>& x) {
    return {Functor<F>::replace(b, x.unCo)};
  }
};

// distribute and collect through the positions; distributeM binds the
// monadic value once per position read.
template <class F>
struct Distributive<tandemory::CoOf<F>> : DistributiveDefaults<tandemory::CoOf<F>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using A = element_of<element_of<WFA>>;
    return tandemory::Co<F, Apply<tag_of<WFA>, A>>{tandemory::distributeRep(
        Functor<tag_of<WFA>>::fmap([](const tandemory::Co<F, A>& c) { return c.unCo; }, w))};
  }
  template <class G, class WA>
  static auto collect(G g, const WA& w) {
    auto t = tandemory::collectRep([g = std::move(g)](const element_of<WA>& a) { return g(a).unCo; }, w);
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
  // The structure whose value at k is wm >>= (fa -> return (read fa at k)).
  template <class MFA>
  static auto distributeM(const MFA& wm) {
    using M = tag_of<MFA>;
    using A = element_of<element_of<MFA>>;
    return tandemory::Co<F, Apply<M, A>>{
        tandemory::Representable<F>::tabulate([wm = tandemory::detail::share(wm)](const tandemory::Rep<F>& k) {
          return Monad<M>::bind(*wm, [k](const tandemory::Co<F, A>& c) {
            return Monad<M>::return_(tandemory::Representable<F>::index(c.unCo, k));
          });
        })};
  }
  // distributeM of g mapped over wm.
  template <class G, class MA>
  static auto collectM(G g, const MA& wm) {
    return distributeM(Functor<tag_of<MA>>::fmap(std::move(g), wm));
  }
};

// `<.>` reads both tables at each position.
template <class F>
struct Semiapplicative<tandemory::CoOf<F>> : SemiapplicativeDefaults<tandemory::CoOf<F>> {
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    auto fs = tandemory::detail::unwrapCo(std::forward<FF>(ff));  // the functions first
    auto t = tandemory::apRep(std::move(fs), tandemory::detail::unwrapCo(std::forward<X>(fa)));
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn g, X&& a, Y&& b) {
    auto xs = tandemory::detail::unwrapCo(std::forward<X>(a));  // the first operand first
    auto t = tandemory::mzipWithRep(std::move(g), std::move(xs), tandemory::detail::unwrapCo(std::forward<Y>(b)));
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
};

template <class F>
struct Applicative<tandemory::CoOf<F>> {
  // a at every position.
  template <class A>
  static tandemory::Co<F, std::remove_cvref_t<A>> pure(A&& a) {
    return {tandemory::pureRep<F>(std::remove_cvref_t<A>(std::forward<A>(a)))};
  }
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    return Semiapplicative<tandemory::CoOf<F>>::apF(std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn g, X&& a, Y&& b) {
    return Semiapplicative<tandemory::CoOf<F>>::liftF2(std::move(g), std::forward<X>(a), std::forward<Y>(b));
  }
  template <class X, class Y>
  static auto seqRight(X&& a, Y&& b) {
    return Semiapplicative<tandemory::CoOf<F>>::seqRightF(std::forward<X>(a), std::forward<Y>(b));
  }
  template <class X, class Y>
  static auto seqLeft(X&& a, Y&& b) {
    return Semiapplicative<tandemory::CoOf<F>>::seqLeftF(std::forward<X>(a), std::forward<Y>(b));
  }
};

// `>>-` is the diagonal: the continuation's table is read at the same
// position.
template <class F>
struct Bind<tandemory::CoOf<F>> : BindDefaults<tandemory::CoOf<F>> {
  template <class X, class K>
  static auto bindF(X&& m, K k) {
    using A = element_of<demanded_t<X>>;
    auto t = tandemory::bindRep(tandemory::detail::unwrapCo(std::forward<X>(m)),
                                [k = std::move(k)](const A& a) { return demand(k(a)).unCo; });
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
};

template <class F>
struct Monad<tandemory::CoOf<F>> : MonadDefaults<tandemory::CoOf<F>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    return Bind<tandemory::CoOf<F>>::bindF(std::forward<X>(m), std::move(k));
  }
  // n read at every position; m is never demanded.
  template <class X, class Y>
  static auto then(X&&, Y&& n) {
    using N = demanded_t<Y>;
    return tandemory::Co<F, element_of<N>>{tandemory::fmapRep([](const auto& b) { return b; }, demand(std::forward<Y>(n)).unCo)};
  }
};

// The positions are the environment.
template <class F>
struct MonadReader<tandemory::CoOf<F>> {
  using Env = tandemory::Rep<F>;
  // The structure whose value at k is k.
  static tandemory::Co<F, Env> ask() { return {tandemory::askRep<F>()}; }
  // m read at h(k) at each position k.
  template <class Fn, class A>
  static tandemory::Co<F, A> local(Fn h, const tandemory::Co<F, A>& m) {
    return {tandemory::localRep(std::move(h), m.unCo)};
  }
  // The structure whose value at k is g(k).
  template <class G>
  static auto reader(G g) {
    auto t = tandemory::Representable<F>::tabulate(std::move(g));
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
};

// Positions shift by Rep F's Semigroup, the outer position on the left.
template <class F>
  requires SemigroupType<tandemory::Rep<F>>
struct Extend<tandemory::CoOf<F>> : ExtendDefaults<tandemory::CoOf<F>> {
  template <class Fn, class A>
  static auto extended(Fn h, const tandemory::Co<F, A>& w) {
    auto t = tandemory::extendedRep([h = std::move(h)](const Apply<F, A>& fa) { return h(tandemory::Co<F, A>{fa}); },
                                    w.unCo);
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
};

// extract reads at Rep F's mempty; positions shift by its mappend.
template <class F>
  requires MonoidType<tandemory::Rep<F>>
struct Comonad<tandemory::CoOf<F>> : ComonadDefaults<tandemory::CoOf<F>> {
  template <class A>
  static A extract(const tandemory::Co<F, A>& w) {
    return tandemory::extractRep(w.unCo);
  }
  template <class Fn, class A>
  static auto extend(Fn h, const tandemory::Co<F, A>& w) {
    auto t = tandemory::extendRep([h = std::move(h)](const Apply<F, A>& fa) { return h(tandemory::Co<F, A>{fa}); },
                                  w.unCo);
    return tandemory::Co<F, element_of<decltype(t)>>{std::move(t)};
  }
};

}  // namespace basis
