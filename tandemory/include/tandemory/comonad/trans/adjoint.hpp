#pragma once
// comonad_trans::AdjointT<F, G, W, A>: the comonad of an adjoint pair F -| G
// wrapped around a comonad W, the left adjoint outside: an F (W (G A)). With
// F the pairs (s, _) and G the functions from s it is a store-like comonad
// transformer: a position beside a W of functions from positions.
//
//   AdjointT<F, G, W, A>{t}, t.runAdjointT   wrap and unwrap
//   adjoint(x)       an F (G A) as the transformer over basis::Identity
//   runAdjoint(t)    back to F (G A)
//   lower(t)         W A: G's distribute inside F, then the counit
//
// Interfaces (basis traits specialised for AdjointTOf<F, G, W>): Functor,
// Extend (over W's Extend) and Comonad (over W's Comonad). The namesakes in
// monad_trans and contravariant are different types.
//
// Costs: each operation is one mapping over F with W's extend (or extended)
// of a leftAdjunct inside; extract is one rightAdjunct. Nothing here raises
// of its own.

#include <type_traits>
#include <utility>

#include "basis/comonad.hpp"
#include "basis/distributive.hpp"
#include "basis/extend.hpp"
#include "basis/functor.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/adjunction.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory::comonad_trans {

template <class F, class G, class W, class A>
struct AdjointT {
  basis::Apply<F, basis::Apply<W, basis::Apply<G, A>>> runAdjointT;
};

// AdjointT<F, G, W, _>.
template <class F, class G, class W>
struct AdjointTOf {
  template <class A>
  using apply = AdjointT<F, G, W, A>;
};

}  // namespace tandemory::comonad_trans

template <class F, class G, class W, class A>
struct basis::TagOf<tandemory::comonad_trans::AdjointT<F, G, W, A>> {
  using type = tandemory::comonad_trans::AdjointTOf<F, G, W>;
  using element = A;
};

namespace tandemory::comonad_trans {

// The F (G A) x as the transformer over Identity: F's mapping of the Identity
// wrapper.
template <basis::HasTag FGA>
auto adjoint(const FGA& x) {
  using F = basis::tag_of<FGA>;
  using GA = basis::element_of<FGA>;
  using G = basis::tag_of<GA>;
  using A = basis::element_of<GA>;
  return AdjointT<F, G, basis::IdentityTag, A>{basis::Functor<F>::fmap([](const GA& ga) { return basis::Identity<GA>{ga}; }, x)};
}

// The F (G A) inside t: F's mapping of the Identity unwrapping.
template <class F, class G, class A>
auto runAdjoint(const AdjointT<F, G, basis::IdentityTag, A>& t) {
  using GA = basis::Apply<G, A>;
  return basis::Functor<F>::fmap([](const basis::Identity<GA>& i) { return i.value; }, t.runAdjointT);
}

// The W A under t: G's distribute (over W's Functor) inside F, then the
// counit.
template <class F, class G, class W, class A>
basis::Apply<W, A> lower(const AdjointT<F, G, W, A>& t) {
  auto swapped = basis::Functor<F>::fmap(
      [](const basis::Apply<W, basis::Apply<G, A>>& wga) { return basis::Distributive<G>::distribute(wga); }, t.runAdjointT);
  return Adjunction<F>::counit(swapped);
}

namespace detail {
// The transformer whose field is F's mapping of `step` over t's contexts.
template <class F, class G, class W, class Step, class A>
auto mapContexts(Step step, const AdjointT<F, G, W, A>& t) {
  auto field = basis::Functor<F>::fmap(std::move(step), t.runAdjointT);
  using WGB = basis::element_of<decltype(field)>;
  return AdjointT<F, G, W, basis::element_of<basis::element_of<WGB>>>{std::move(field)};
}
// At each context, W's `extendW` of leftAdjunct (h after AdjointT).
template <class F, class G, class W, class ExtendW, class H, class A>
auto extendAdjoint(ExtendW extendW, H h, const AdjointT<F, G, W, A>& t) {
  using FWGA = basis::Apply<F, basis::Apply<W, basis::Apply<G, A>>>;
  auto focus = leftAdjunct<F>([hp = tandemory::detail::share(std::move(h))](const FWGA& x) { return (*hp)(AdjointT<F, G, W, A>{x}); });
  return mapContexts([focus, extendW](const basis::Apply<W, basis::Apply<G, A>>& w) { return extendW(focus, w); }, t);
}
}  // namespace detail

}  // namespace tandemory::comonad_trans

namespace basis {

// h mapped inside G, inside W, inside F.
template <class F, class G, class W>
struct Functor<tandemory::comonad_trans::AdjointTOf<F, G, W>> {
  template <class Fn, class A>
  static auto fmap(Fn h, const tandemory::comonad_trans::AdjointT<F, G, W, A>& t) {
    auto hp = tandemory::detail::share(std::move(h));
    return tandemory::comonad_trans::detail::mapContexts(
        [hp](const Apply<W, Apply<G, A>>& w) {
          return Functor<W>::fmap([hp](const Apply<G, A>& g) { return Functor<G>::fmap(*hp, g); }, w);
        },
        t);
  }
  template <class V, class A>
  static auto replace(const V& x, const tandemory::comonad_trans::AdjointT<F, G, W, A>& t) {
    return tandemory::comonad_trans::detail::mapContexts(
        [x](const Apply<W, Apply<G, A>>& w) {
          return Functor<W>::fmap([x](const Apply<G, A>& g) { return Functor<G>::replace(x, g); }, w);
        },
        t);
  }
};

template <class F, class G, class W>
struct Extend<tandemory::comonad_trans::AdjointTOf<F, G, W>> : ExtendDefaults<tandemory::comonad_trans::AdjointTOf<F, G, W>> {
  template <class Fn, class A>
  static auto extended(Fn h, const tandemory::comonad_trans::AdjointT<F, G, W, A>& t) {
    return tandemory::comonad_trans::detail::extendAdjoint(
        [](const auto& g, const auto& w) { return Extend<W>::extended(g, w); }, std::move(h), t);
  }
};

// extract: rightAdjunct of W's extract.
template <class F, class G, class W>
struct Comonad<tandemory::comonad_trans::AdjointTOf<F, G, W>> : ComonadDefaults<tandemory::comonad_trans::AdjointTOf<F, G, W>> {
  template <class A>
  static A extract(const tandemory::comonad_trans::AdjointT<F, G, W, A>& t) {
    return tandemory::Adjunction<F>::rightAdjunct(
        [](const Apply<W, Apply<G, A>>& w) { return Apply<G, A>(Comonad<W>::extract(w)); }, t.runAdjointT);
  }
  template <class Fn, class A>
  static auto extend(Fn h, const tandemory::comonad_trans::AdjointT<F, G, W, A>& t) {
    return tandemory::comonad_trans::detail::extendAdjoint(
        [](const auto& g, const auto& w) { return Comonad<W>::extend(g, w); }, std::move(h), t);
  }
};

}  // namespace basis
