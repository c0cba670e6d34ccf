#pragma once
// ContsT<R, W, M, A>: a continuation monad transformer whose continuation
// arrives inside a comonadic context. A computation is given a W-structure of
// continuations (each from A to an M-computation of the final answer R) and
// yields such an M-computation; W's extract picks the current continuation,
// and W's extend refocuses the context at every position when computations
// are chained. With basis::Identity as W it is the ordinary continuation
// transformer; with Identity also as M, the continuation monad.
//
//   runContsT(c), runContsT(c, wk)   c's function, or c run on the context wk
//   cont<R, A>(h), runCont(c, k)     the continuation monad (W = M = Identity)
//   conts<W, R, A>(h), runConts(c, wk) over a functor W, with M = Identity
//   callCC<R, W, M>(h)               the escape continuation
//
// Interfaces: Functor (needs only W's Functor), Semiapplicative (Apply),
// Applicative and Monad (W's Comonad), MonadTrans through ContsTTrans<R, W>
// (lift needs only M's Monad), MonadCont.
//
// Representation and costs: a computation is a std::function over the
// context (type-erased; one allocation per combinator). A computation or
// continuation built on another shares it rather than copying it, so a chain
// of n binds is built and run in time linear in n. Building evaluates nothing
// and calls no continuation. Running a chain of n binds nests n calls, each
// made with stack room (basis::withStackRoom), so its depth is limited by
// memory alone. Nothing here raises of its own.

#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/contravariant.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/stack.hpp"
#include "basis/types.hpp"
#include "tandemory/internal/monad_defaults.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

template <class R, class W, class M, class A>
struct ContsT {
  // A continuation: from a value to an M-computation of the answer.
  using Continuation = std::function<basis::Apply<M, R>(const A&)>;
  // A context of continuations.
  using Context = basis::Apply<W, Continuation>;
  std::function<basis::Apply<M, R>(const Context&)> runContsT;
};

// ContsT<R, W, M, _>.
template <class R, class W, class M>
struct ContsTOf {
  template <class A>
  using apply = ContsT<R, W, M, A>;
};

// The transformer ContsT<R, W, _, _>: ContsTTrans<R, W>::on<M> is
// ContsTOf<R, W, M>.
template <class R, class W>
struct ContsTTrans {
  template <class M>
  using on = ContsTOf<R, W, M>;
};

}  // namespace tandemory

template <class R, class W, class M, class A>
struct basis::TagOf<tandemory::ContsT<R, W, M, A>> {
  using type = tandemory::ContsTOf<R, W, M>;
  using element = A;
};

namespace tandemory {

// c's function, unchanged.
template <class R, class W, class M, class A>
const auto& runContsT(const ContsT<R, W, M, A>& c) noexcept {
  return c.runContsT;
}
// c run on the context wk.
template <class R, class W, class M, class A>
basis::Apply<M, R> runContsT(const ContsT<R, W, M, A>& c, const typename ContsT<R, W, M, A>::Context& wk) {
  return c.runContsT(wk);
}

// The continuation computation that, given k, yields h applied to k (as a
// function from A to R). A is named, or read off h's parameter (a
// std::function<R(const A&)> or a non-generic callable taking one).
template <class R, class A, class H>
ContsT<R, basis::IdentityTag, basis::IdentityTag, A> cont(H h) {
  using C = ContsT<R, basis::IdentityTag, basis::IdentityTag, A>;
  return C{[h = std::move(h)](const typename C::Context& wk) {
    auto k = wk.value;
    return basis::Identity<R>{h(std::function<R(const A&)>([k](const A& a) { return k(a).value; }))};
  }};
}

// The final answer of c given the continuation k.
template <class R, class A, class K>
R runCont(const ContsT<R, basis::IdentityTag, basis::IdentityTag, A>& c, K k) {
  using C = ContsT<R, basis::IdentityTag, basis::IdentityTag, A>;
  return c.runContsT(basis::Identity<typename C::Continuation>{
                         [k = std::move(k)](const A& a) { return basis::Identity<R>{R(k(a))}; }})
      .value;
}

// The computation over the functor W (M = Identity) that, given wk, yields h
// of wk with each continuation yielding its bare answer.
template <class W, class R, class A, class H>
ContsT<R, W, basis::IdentityTag, A> conts(H h) {
  using C = ContsT<R, W, basis::IdentityTag, A>;
  return C{[h = std::move(h)](const typename C::Context& wk) {
    auto bare = basis::Functor<W>::fmap(
        [](const typename C::Continuation& g) { return std::function<R(const A&)>([g](const A& a) { return g(a).value; }); },
        wk);
    return basis::Identity<R>{h(bare)};
  }};
}

// The final answer of c (M = Identity) given a W of continuations to R.
template <class R, class W, class A, class WK>
R runConts(const ContsT<R, W, basis::IdentityTag, A>& c, const WK& wk) {
  using C = ContsT<R, W, basis::IdentityTag, A>;
  return c
      .runContsT(basis::Functor<W>::fmap(
          [](const auto& k) { return typename C::Continuation([k](const A& a) { return basis::Identity<R>{R(k(a))}; }); },
          wk))
      .value;
}

namespace detail {
template <class R, class W, class M, class A>
using Kont = typename ContsT<R, W, M, A>::Continuation;
template <class R, class W, class M, class A>
using Ctx = typename ContsT<R, W, M, A>::Context;

// The escape of callCC: escape(a) is the computation that ignores the
// context it is given and hands a to `focused`, the continuation focused when
// callCC was entered. Its value type is B, or the type of a when B is void.
template <class R, class W, class M, class B, class Focused>
struct Escape {
  Focused focused;
  template <class X>
  using Value = std::conditional_t<std::is_void_v<B>, Decay<X>, B>;
  template <class X>
  ContsT<R, W, M, Value<X>> operator()(const X& a) const {
    return {[focused = focused, a](const Ctx<R, W, M, Value<X>>&) { return focused(a); }};
  }
};
// Stands for the focused continuation while the value type of callCC's
// computation is worked out at compile time; it is never called.
template <class R, class M>
struct AnyContinuation {
  template <class X>
  [[noreturn]] basis::Apply<M, R> operator()(const X&) const {
    throw std::logic_error("callCC: the probe continuation was called");
  }
};
}  // namespace detail

// The computation that, given wk, runs h(escape) on wk, where escape(a) is the
// computation that ignores the context it is given and applies the
// continuation focused in wk to a: running it discards the rest of the
// computation. The escape's value type is B when named, else the type of a.
template <class R, class W, class M, class B = void, class H>
auto callCC(H h) {
  using Probe = std::invoke_result_t<H&, const detail::Escape<R, W, M, B, detail::AnyContinuation<R, M>>&>;
  using A = basis::element_of<basis::demanded_t<Probe>>;
  using Focused = detail::Kont<R, W, M, A>;
  return ContsT<R, W, M, A>{[hp = detail::share(std::move(h))](const detail::Ctx<R, W, M, A>& wk) {
    detail::Escape<R, W, M, B, Focused> escape{basis::Comonad<W>::extract(wk)};
    return basis::demand((*hp)(escape)).runContsT(wk);
  }};
}

}  // namespace tandemory

namespace basis {

// Each continuation of the context gets f applied first. Needs only W's
// Functor.
template <class R, class W, class M>
struct Functor<tandemory::ContsTOf<R, W, M>> {
  template <class Fn, class A>
  static tandemory::ContsT<R, W, M, Mapped<Fn, A>> fmap(Fn f, const tandemory::ContsT<R, W, M, A>& c) {
    using B = Mapped<Fn, A>;
    using KA = tandemory::detail::Kont<R, W, M, A>;
    using KB = tandemory::detail::Kont<R, W, M, B>;
    auto fp = tandemory::detail::share(std::move(f));
    return {[fp, run = tandemory::detail::share(c.runContsT)](const tandemory::detail::Ctx<R, W, M, B>& wk) {
      return withStackRoom([&] {
        return (*run)(Functor<W>::fmap(
            [fp](const KB& g) {
              return KA([fp, g = tandemory::detail::share(g)](const A& a) {
                return withStackRoom([&] { return (*g)((*fp)(a)); });
              });
            },
            wk));
      });
    }};
  }
  // Every continuation receives v, whatever c passes.
  template <class V, class A>
  static tandemory::ContsT<R, W, M, V> replace(const V& v, const tandemory::ContsT<R, W, M, A>& c) {
    using KA = tandemory::detail::Kont<R, W, M, A>;
    using KV = tandemory::detail::Kont<R, W, M, V>;
    return {[v, run = tandemory::detail::share(c.runContsT)](const tandemory::detail::Ctx<R, W, M, V>& wk) {
      return withStackRoom([&] {
        return (*run)(Functor<W>::fmap(
            [v](const KV& g) {
              return KA([v, g = tandemory::detail::share(g)](const A&) { return withStackRoom([&] { return (*g)(v); }); });
            },
            wk));
      });
    }};
  }
};

// `>>=` extends the context: each sub-context becomes the continuation that
// runs f's computation on it. Needs W's Comonad.
template <class R, class W, class M>
struct Monad<tandemory::ContsTOf<R, W, M>> : MonadDefaults<tandemory::ContsTOf<R, W, M>> {
  template <class X, class K>
  static auto bind(X&& m, K f) {
    auto c = demand(std::forward<X>(m));
    using A = element_of<decltype(c)>;
    using CB = Bound<K, A>;
    using B = element_of<CB>;
    using KA = tandemory::detail::Kont<R, W, M, A>;
    using CtxB = tandemory::detail::Ctx<R, W, M, B>;
    auto fp = tandemory::detail::share(std::move(f));
    return tandemory::ContsT<R, W, M, B>{[fp, run = tandemory::detail::share(c.runContsT)](const CtxB& wk) {
      return withStackRoom([&] {
        return (*run)(Comonad<W>::extend(
            [fp](const CtxB& wa) {
              return KA([fp, wa = tandemory::detail::share(wa)](const A& a) {
                return withStackRoom([&] { return CB(demand((*fp)(a))).runContsT(*wa); });
              });
            },
            wk));
      });
    }};
  }
};

// pure hands v to the focused continuation; `<*>` runs the function's
// computation first, then the argument's; liftA2 maps the function over the
// first operand, then `<*>`.
template <class R, class W, class M>
struct Applicative<tandemory::ContsTOf<R, W, M>> : tandemory::detail::ApplicativeFromBind<tandemory::ContsTOf<R, W, M>> {
  template <class V>
  static auto pure(V&& v) {
    using A = std::remove_cvref_t<V>;
    return tandemory::ContsT<R, W, M, A>{[v = A(std::forward<V>(v))](const tandemory::detail::Ctx<R, W, M, A>& wk) {
      return Comonad<W>::extract(wk)(v);
    }};
  }
};

// Apply computes what Applicative computes.
template <class R, class W, class M>
struct Semiapplicative<tandemory::ContsTOf<R, W, M>> : SemiapplicativeFromApplicative<tandemory::ContsTOf<R, W, M>> {};

// lift mx: mx bound to the focused continuation (W's extract after mapping
// every continuation g to mx >>= g).
template <class R, class W>
struct MonadTrans<tandemory::ContsTTrans<R, W>> {
  template <class MA>
  static auto lift(const MA& mx) {
    using M = tag_of<MA>;
    using A = element_of<MA>;
    using K = tandemory::detail::Kont<R, W, M, A>;
    return tandemory::ContsT<R, W, M, A>{[mx](const tandemory::detail::Ctx<R, W, M, A>& wk) {
      return Comonad<W>::extract(Functor<W>::fmap([mx](const K& g) { return Monad<M>::bind(mx, g); }, wk));
    }};
  }
};

template <class R, class W, class M>
struct MonadCont<tandemory::ContsTOf<R, W, M>> {
  // The escape's value type is the type of the value handed to it.
  template <class H>
  static auto callCC(H h) {
    return tandemory::callCC<R, W, M>(std::move(h));
  }
};

}  // namespace basis
