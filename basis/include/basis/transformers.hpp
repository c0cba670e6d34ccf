#pragma once
// The plain transformer and wrapper types over an inner functor or comonad,
// with their Functor (and, where the inner one distributes, Distributive):
//
//   IdentityT<M, A>   an M A, unchanged (`runIdentityT`)
//   ReaderT<E, M, A>  a function from E to M A (`runReaderT`)
//   WriterT<W, M, A>  an M of (value, log) pairs (`runWriterT`), the lazy writer
//   EnvT<E, W, A>     an environment E beside a W A (`EnvT e w`)
//   TracedT<S, W, A>  a W of functions from S (`runTracedT`)
//   Backwards<F, A>   an F A whose effects run in reverse (`forwards`)
//   Reverse<F, A>     an F A folded in reverse (`getReverse`)
//
// Wrapping and unwrapping copy the field once and evaluate nothing. The types
// compare with == where their fields do.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/distributive.hpp"
#include "basis/functor.hpp"

namespace basis {

template <class M, class A>
struct IdentityT {
  Apply<M, A> runIdentityT;
  friend bool operator==(const IdentityT&, const IdentityT&) = default;
};
template <class M>
struct IdentityTOf {
  template <class A>
  using apply = IdentityT<M, A>;
};
template <class M, class A>
struct TagOf<IdentityT<M, A>> {
  using type = IdentityTOf<M>;
  using element = A;
};

template <class E, class M, class A>
struct ReaderT {
  std::function<Apply<M, A>(const E&)> runReaderT;
};
template <class E, class M>
struct ReaderTOf {
  template <class A>
  using apply = ReaderT<E, M, A>;
};
template <class E, class M, class A>
struct TagOf<ReaderT<E, M, A>> {
  using type = ReaderTOf<E, M>;
  using element = A;
};

template <class W, class M, class A>
struct WriterT {
  Apply<M, std::pair<A, W>> runWriterT;
  friend bool operator==(const WriterT&, const WriterT&) = default;
};
template <class W, class M>
struct WriterTOf {
  template <class A>
  using apply = WriterT<W, M, A>;
};
template <class W, class M, class A>
struct TagOf<WriterT<W, M, A>> {
  using type = WriterTOf<W, M>;
  using element = A;
};

template <class E, class W, class A>
struct EnvT {
  E env;
  Apply<W, A> lowered;
  friend bool operator==(const EnvT&, const EnvT&) = default;
};
template <class E, class W>
struct EnvTOf {
  template <class A>
  using apply = EnvT<E, W, A>;
};
template <class E, class W, class A>
struct TagOf<EnvT<E, W, A>> {
  using type = EnvTOf<E, W>;
  using element = A;
};

template <class S, class W, class A>
struct TracedT {
  Apply<W, std::function<A(const S&)>> runTracedT;
};
template <class S, class W>
struct TracedTOf {
  template <class A>
  using apply = TracedT<S, W, A>;
};
template <class S, class W, class A>
struct TagOf<TracedT<S, W, A>> {
  using type = TracedTOf<S, W>;
  using element = A;
};

template <class F, class A>
struct Backwards {
  Apply<F, A> forwards;
  friend bool operator==(const Backwards&, const Backwards&) = default;
};
template <class F>
struct BackwardsOf {
  template <class A>
  using apply = Backwards<F, A>;
};
template <class F, class A>
struct TagOf<Backwards<F, A>> {
  using type = BackwardsOf<F>;
  using element = A;
};

template <class F, class A>
struct Reverse {
  Apply<F, A> getReverse;
  friend bool operator==(const Reverse&, const Reverse&) = default;
};
template <class F>
struct ReverseOf {
  template <class A>
  using apply = Reverse<F, A>;
};
template <class F, class A>
struct TagOf<Reverse<F, A>> {
  using type = ReverseOf<F>;
  using element = A;
};

// ---------------------------------------------------------------------------
// Functor: through the inner structure.

template <class M>
  requires FunctorTag<M>
struct Functor<IdentityTOf<M>> : FunctorDefaults<IdentityTOf<M>> {
  template <class Fn, class A>
  static IdentityT<M, Mapped<Fn, A>> fmap(Fn f, const IdentityT<M, A>& x) {
    return {Functor<M>::fmap(std::move(f), x.runIdentityT)};
  }
};

// Composes: f runs on the inner result each time the reader is run.
template <class E, class M>
  requires FunctorTag<M>
struct Functor<ReaderTOf<E, M>> : FunctorDefaults<ReaderTOf<E, M>> {
  template <class Fn, class A>
  static ReaderT<E, M, Mapped<Fn, A>> fmap(Fn f, const ReaderT<E, M, A>& x) {
    return {[f = std::move(f), g = x.runReaderT](const E& e) { return Functor<M>::fmap(f, g(e)); }};
  }
};

template <class W, class M>
  requires FunctorTag<M>
struct Functor<WriterTOf<W, M>> : FunctorDefaults<WriterTOf<W, M>> {
  template <class Fn, class A>
  static WriterT<W, M, Mapped<Fn, A>> fmap(Fn f, const WriterT<W, M, A>& x) {
    using B = Mapped<Fn, A>;
    return {Functor<M>::fmap([f = std::move(f)](const std::pair<A, W>& p) { return std::pair<B, W>(f(p.first), p.second); },
                             x.runWriterT)};
  }
};

template <class E, class W>
  requires FunctorTag<W>
struct Functor<EnvTOf<E, W>> : FunctorDefaults<EnvTOf<E, W>> {
  template <class Fn, class A>
  static EnvT<E, W, Mapped<Fn, A>> fmap(Fn f, const EnvT<E, W, A>& x) {
    return {x.env, Functor<W>::fmap(std::move(f), x.lowered)};
  }
};

// f after each function of the W-structure.
template <class S, class W>
  requires FunctorTag<W>
struct Functor<TracedTOf<S, W>> : FunctorDefaults<TracedTOf<S, W>> {
  template <class Fn, class A>
  static TracedT<S, W, Mapped<Fn, A>> fmap(Fn f, const TracedT<S, W, A>& x) {
    using B = Mapped<Fn, A>;
    return {Functor<W>::fmap(
        [f = std::move(f)](const std::function<A(const S&)>& g) {
          return std::function<B(const S&)>([f, g](const S& s) { return f(g(s)); });
        },
        x.runTracedT)};
  }
};

template <class F>
  requires FunctorTag<F>
struct Functor<BackwardsOf<F>> : FunctorDefaults<BackwardsOf<F>> {
  template <class Fn, class A>
  static Backwards<F, Mapped<Fn, A>> fmap(Fn f, const Backwards<F, A>& x) {
    return {Functor<F>::fmap(std::move(f), x.forwards)};
  }
};

template <class F>
  requires FunctorTag<F>
struct Functor<ReverseOf<F>> : FunctorDefaults<ReverseOf<F>> {
  template <class Fn, class A>
  static Reverse<F, Mapped<Fn, A>> fmap(Fn f, const Reverse<F, A>& x) {
    return {Functor<F>::fmap(std::move(f), x.getReverse)};
  }
};

// ---------------------------------------------------------------------------
// Distributive: through the inner structure.

template <class M>
  requires DistributiveTag<M>
struct Distributive<IdentityTOf<M>> : DistributiveDefaults<IdentityTOf<M>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return IdentityT<M, Apply<W, A>>{
        Distributive<M>::distribute(Functor<W>::fmap([](const IdentityT<M, A>& x) { return x.runIdentityT; }, w))};
  }
};

// At each environment, the inner distribution of the readers run there.
template <class E, class M>
  requires DistributiveTag<M>
struct Distributive<ReaderTOf<E, M>> : DistributiveDefaults<ReaderTOf<E, M>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return ReaderT<E, M, Apply<W, A>>{[w](const E& e) {
      return Distributive<M>::collect([e](const ReaderT<E, M, A>& r) { return r.runReaderT(e); }, w);
    }};
  }
};

// The inner distribution of the function structures, each function then
// taking its trace to the W-structure of the values there.
template <class S, class W>
  requires DistributiveTag<W>
struct Distributive<TracedTOf<S, W>> : DistributiveDefaults<TracedTOf<S, W>> {
  template <class VFA>
  static auto distribute(const VFA& v) {
    using V = tag_of<VFA>;
    using A = element_of<element_of<VFA>>;
    using Fn = std::function<A(const S&)>;
    auto inner = Distributive<W>::collect([](const TracedT<S, W, A>& t) { return t.runTracedT; }, v);
    return TracedT<S, W, Apply<V, A>>{Functor<W>::fmap(
        [](const Apply<V, Fn>& fs) {
          return std::function<Apply<V, A>(const S&)>(
              [fs](const S& s) { return Functor<V>::fmap([s](const Fn& g) { return g(s); }, fs); });
        },
        inner)};
  }
};

template <class F>
  requires DistributiveTag<F>
struct Distributive<BackwardsOf<F>> : DistributiveDefaults<BackwardsOf<F>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return Backwards<F, Apply<W, A>>{
        Distributive<F>::distribute(Functor<W>::fmap([](const Backwards<F, A>& x) { return x.forwards; }, w))};
  }
};

template <class F>
  requires DistributiveTag<F>
struct Distributive<ReverseOf<F>> : DistributiveDefaults<ReverseOf<F>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return Reverse<F, Apply<W, A>>{
        Distributive<F>::distribute(Functor<W>::fmap([](const Reverse<F, A>& x) { return x.getReverse; }, w))};
  }
};

}  // namespace basis
