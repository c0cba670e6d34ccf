#pragma once
// monad_trans::AdjointT<F, G, M, A>: the monad of an adjoint pair F -| G (F
// the left adjoint, G its right adjoint) wrapped around a monad M: a
// G (M (F A)). With F the pairs (s, _) and G the functions from s it is the
// state transformer over M.
//
//   AdjointT<F, G, M, A>{t}, t.runAdjointT   wrap and unwrap
//   adjoint(x)       a G (F A) as the transformer over basis::Identity
//   runAdjoint(t)    back to G (F A)
//
// Interfaces (basis traits specialised for AdjointTOf<F, G, M>): Functor,
// Applicative and Monad (over M's Monad; mf <*> mx runs mf's effects first),
// and MonadTrans through AdjointTTrans<F, G> (needs F's Traversable). The
// namesakes in comonad_trans and contravariant are different types.
//
// Costs: each operation is one mapping over G (plus one leftAdjunct for
// pure); M's effects run when the result's M-computation is run, in the order
// M's bind gives. Nothing here raises of its own.

#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/traversable.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/adjunction.hpp"
#include "tandemory/internal/monad_defaults.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory::monad_trans {

template <class F, class G, class M, class A>
struct AdjointT {
  basis::Apply<G, basis::Apply<M, basis::Apply<F, A>>> runAdjointT;
};

// AdjointT<F, G, M, _>.
template <class F, class G, class M>
struct AdjointTOf {
  template <class A>
  using apply = AdjointT<F, G, M, A>;
};

// The transformer AdjointT<F, G, _, _>: AdjointTTrans<F, G>::on<M> is
// AdjointTOf<F, G, M>.
template <class F, class G>
struct AdjointTTrans {
  template <class M>
  using on = AdjointTOf<F, G, M>;
};

}  // namespace tandemory::monad_trans

template <class F, class G, class M, class A>
struct basis::TagOf<tandemory::monad_trans::AdjointT<F, G, M, A>> {
  using type = tandemory::monad_trans::AdjointTOf<F, G, M>;
  using element = A;
};

namespace tandemory::monad_trans {

// The G (F A) x as the transformer over Identity: G's mapping of the Identity
// wrapper.
template <basis::HasTag GFA>
auto adjoint(const GFA& x) {
  using G = basis::tag_of<GFA>;
  using FA = basis::element_of<GFA>;
  using F = basis::tag_of<FA>;
  using A = basis::element_of<FA>;
  return AdjointT<F, G, basis::IdentityTag, A>{basis::Functor<G>::fmap([](const FA& fa) { return basis::Identity<FA>{fa}; }, x)};
}

// The G (F A) inside t: G's mapping of the Identity unwrapping.
template <class F, class G, class A>
auto runAdjoint(const AdjointT<F, G, basis::IdentityTag, A>& t) {
  using FA = basis::Apply<F, A>;
  return basis::Functor<G>::fmap([](const basis::Identity<FA>& i) { return i.value; }, t.runAdjointT);
}

namespace detail {
template <class F, class G, class M, class Step, class A>
auto mapInner(Step step, const AdjointT<F, G, M, A>& t) {
  auto field = basis::Functor<G>::fmap(std::move(step), t.runAdjointT);
  using MFB = basis::element_of<decltype(field)>;
  return AdjointT<F, G, M, basis::element_of<basis::element_of<MFB>>>{std::move(field)};
}
}  // namespace detail

}  // namespace tandemory::monad_trans

namespace basis {

// h mapped inside F, inside each M-computation, inside G.
template <class F, class G, class M>
struct Functor<tandemory::monad_trans::AdjointTOf<F, G, M>> {
  template <class Fn, class A>
  static auto fmap(Fn h, const tandemory::monad_trans::AdjointT<F, G, M, A>& t) {
    auto hp = tandemory::detail::share(std::move(h));
    return tandemory::monad_trans::detail::mapInner(
        [hp](const Apply<M, Apply<F, A>>& c) {
          return Monad<M>::bind(c, [hp](const Apply<F, A>& v) { return Monad<M>::return_(Functor<F>::fmap(*hp, v)); });
        },
        t);
  }
  template <class V, class A>
  static auto replace(const V& x, const tandemory::monad_trans::AdjointT<F, G, M, A>& t) {
    return tandemory::monad_trans::detail::mapInner(
        [x](const Apply<M, Apply<F, A>>& c) {
          return Monad<M>::bind(c, [x](const Apply<F, A>& v) { return Monad<M>::return_(Functor<F>::replace(x, v)); });
        },
        t);
  }
};

// `>>=`: G's mapping of (c -> c >>= rightAdjunct (runAdjointT . k)).
template <class F, class G, class M>
struct Monad<tandemory::monad_trans::AdjointTOf<F, G, M>> : MonadDefaults<tandemory::monad_trans::AdjointTOf<F, G, M>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    auto&& t = demand(std::forward<X>(m));
    using A = element_of<std::remove_cvref_t<decltype(t)>>;
    auto next = tandemory::rightAdjunct<F>([k = std::move(k)](const A& a) { return demand(k(a)).runAdjointT; });
    return tandemory::monad_trans::detail::mapInner(
        [next](const Apply<M, Apply<F, A>>& c) { return Monad<M>::bind(c, next); }, t);
  }
};

// pure: leftAdjunct of M's return; `<*>` and liftA2 bind the first operand,
// then the second.
template <class F, class G, class M>
struct Applicative<tandemory::monad_trans::AdjointTOf<F, G, M>>
    : tandemory::detail::ApplicativeFromBind<tandemory::monad_trans::AdjointTOf<F, G, M>> {
  using Self = tandemory::monad_trans::AdjointTOf<F, G, M>;
  template <class V>
  static auto pure(V&& v) {
    using A = std::remove_cvref_t<V>;
    auto field =
        tandemory::Adjunction<F>::leftAdjunct([](const Apply<F, A>& fa) { return Monad<M>::return_(fa); }, A(std::forward<V>(v)));
    return tandemory::monad_trans::AdjointT<F, G, M, A>{std::move(field)};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn h, X&& a, Y&& b) {
    auto y = toLazy(std::forward<Y>(b));
    using B = element_of<demanded_t<Y>>;
    return Monad<Self>::bind(std::forward<X>(a), [h, y](const auto& va) {
      return Monad<Self>::bind(y.force(), [h, va](const B& vb) { return pure(h(va, vb)); });
    });
  }
};

// lift c: G's mapping of F's sequence over unit c.
template <class F, class G>
struct MonadTrans<tandemory::monad_trans::AdjointTTrans<F, G>> {
  template <class MA>
  static auto lift(const MA& c) {
    using M = tag_of<MA>;
    using A = element_of<MA>;
    auto field = Functor<G>::fmap([](const Apply<F, MA>& fm) { return Traversable<F>::sequence(fm); },
                                  tandemory::Adjunction<F>::unit(c));
    return tandemory::monad_trans::AdjointT<F, G, M, A>{std::move(field)};
  }
};

}  // namespace basis
