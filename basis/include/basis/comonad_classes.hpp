#pragma once
// The comonad-class interfaces, keyed by the comonad's tag: ComonadStore
// (a focus that moves), ComonadTraced (reading at a trace), ComonadEnv (an
// environment beside the value), ComonadCofree (the children of a node).
// Their slots, in order:
//   ComonadStore<W>   (Pos):   pos(w), peek(s, w), peeks(f, w), seek(s, w),
//                              seeks(f, w), experiment(k, w)
//   ComonadTraced<W>  (Trace): trace(m, w)
//   ComonadEnv<W>     (Env):   ask(w)
//   ComonadCofree<W>  (Layer): unwrap(w)
// The one-operation interfaces ComonadTrans (`lower`) and ComonadHoist
// (`cohoist`) have no trait: each transformer gives the operation itself.

#include <functional>
#include <utility>

#include "basis/comonad.hpp"
#include "basis/functor.hpp"
#include "basis/semigroup.hpp"

namespace basis {

template <class W>
struct ComonadStore;
template <class W>
struct ComonadTraced;
template <class W>
struct ComonadEnv;
template <class W>
struct ComonadCofree;

// Functions from a monoid M: reading at a trace is applying to it.
template <class M>
  requires MonoidType<M>
struct ComonadTraced<FunctionFrom<M>> {
  using Trace = M;
  template <class A>
  static A trace(const M& m, const std::function<A(const M&)>& w) {
    return w(m);
  }
};

// (environment, value) pairs: the environment is the first component.
template <class E>
struct ComonadEnv<PairOf<E>> {
  using Env = E;
  template <class A>
  static E ask(const std::pair<E, A>& w) {
    return w.first;
  }
};

}  // namespace basis
