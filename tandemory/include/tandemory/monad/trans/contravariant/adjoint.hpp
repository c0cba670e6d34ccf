#pragma once
// contravariant::AdjointT<F, G, W, A>: the monad of a contravariant
// adjunction between F and G around a comonad W: a G (W (F A)).
//
//   AdjointT<F, G, W, A>{t}, t.runAdjointT   wrap and unwrap
//   adjoint(x)       a G (F A) as the transformer over basis::Identity
//   runAdjoint(t)    back to G (F A)
//
// Interfaces (basis traits specialised for AdjointTOf<F, G, W>): Functor
// (over W's Functor), Applicative and Monad (over W's Comonad). The
// namesakes in monad_trans and comonad_trans are different types.
//
// Costs: fmap is one contramap over G of W's mapping of F's contramap; >>= is
// one contramap over G of W's extend of a rightAdjunct; pure is one
// leftAdjunct of W's extract; <*> runs two binds. Nothing is run before the
// result is consumed; nothing here raises of its own.

#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/contravariant.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/contravariant/adjunction.hpp"
#include "tandemory/internal/monad_defaults.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory::contravariant {

template <class F, class G, class W, class A>
struct AdjointT {
  basis::Apply<G, basis::Apply<W, basis::Apply<F, A>>> runAdjointT;
};

// AdjointT<F, G, W, _>.
template <class F, class G, class W>
struct AdjointTOf {
  template <class A>
  using apply = AdjointT<F, G, W, A>;
};

}  // namespace tandemory::contravariant

template <class F, class G, class W, class A>
struct basis::TagOf<tandemory::contravariant::AdjointT<F, G, W, A>> {
  using type = tandemory::contravariant::AdjointTOf<F, G, W>;
  using element = A;
};

namespace tandemory::contravariant {

// The G (F A) x as the transformer over Identity: G's contramap of the
// Identity unwrapping.
template <basis::HasTag GFA>
auto adjoint(const GFA& x) {
  using G = basis::tag_of<GFA>;
  using FA = basis::element_of<GFA>;
  using F = basis::tag_of<FA>;
  using A = basis::element_of<FA>;
  using IFA = basis::Identity<FA>;
  return AdjointT<F, G, basis::IdentityTag, A>{
      basis::Contravariant<G>::template contramap<IFA>([](const IFA& i) { return i.value; }, x)};
}

// The G (F A) inside t: G's contramap of the Identity wrapping.
template <class F, class G, class A>
auto runAdjoint(const AdjointT<F, G, basis::IdentityTag, A>& t) {
  using FA = basis::Apply<F, A>;
  return basis::Contravariant<G>::template contramap<FA>([](const FA& fa) { return basis::Identity<FA>{fa}; },
                                                          t.runAdjointT);
}

}  // namespace tandemory::contravariant

namespace basis {

// fmap h: G's contramap of W's mapping of F's contramap of h.
template <class F, class G, class W>
struct Functor<tandemory::contravariant::AdjointTOf<F, G, W>> : FunctorDefaults<tandemory::contravariant::AdjointTOf<F, G, W>> {
  template <class Fn, class A>
  static auto fmap(Fn h, const tandemory::contravariant::AdjointT<F, G, W, A>& m) {
    using B = Mapped<Fn, A>;
    using WFB = Apply<W, Apply<F, B>>;
    auto back = [hp = tandemory::detail::share(std::move(h))](const WFB& w) {
      return Functor<W>::fmap([hp](const Apply<F, B>& fb) { return Contravariant<F>::template contramap<A>(*hp, fb); }, w);
    };
    return tandemory::contravariant::AdjointT<F, G, W, B>{Contravariant<G>::template contramap<WFB>(back, m.runAdjointT)};
  }
};

// `>>=`: G's contramap of W's extend of rightAdjunct (runAdjointT . k).
template <class F, class G, class W>
struct Monad<tandemory::contravariant::AdjointTOf<F, G, W>> : MonadDefaults<tandemory::contravariant::AdjointTOf<F, G, W>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    auto&& t = demand(std::forward<X>(m));
    using A = element_of<std::remove_cvref_t<decltype(t)>>;
    using TB = Bound<K, A>;
    using B = element_of<TB>;
    using WFB = Apply<W, Apply<F, B>>;
    auto back = tandemory::contravariant::rightAdjunct<F, A>(
        [kp = tandemory::detail::share(std::move(k))](const A& a) { return TB(demand((*kp)(a))).runAdjointT; });
    auto lifted = [back](const WFB& w) { return Comonad<W>::extend(back, w); };
    return TB{Contravariant<G>::template contramap<WFB>(lifted, t.runAdjointT)};
  }
};

// pure: leftAdjunct of W's extract; `<*>` is two binds; liftA2 maps the
// function over the first operand, then `<*>`.
template <class F, class G, class W>
struct Applicative<tandemory::contravariant::AdjointTOf<F, G, W>>
    : tandemory::detail::ApplicativeFromBind<tandemory::contravariant::AdjointTOf<F, G, W>> {
  template <class V>
  static auto pure(V&& v) {
    using A = std::remove_cvref_t<V>;
    using WFA = Apply<W, Apply<F, A>>;
    return tandemory::contravariant::AdjointT<F, G, W, A>{tandemory::contravariant::Adjunction<F>::template leftAdjunct<WFA>(
        [](const WFA& w) { return Apply<F, A>(Comonad<W>::extract(w)); }, A(std::forward<V>(v)))};
  }
};

}  // namespace basis
