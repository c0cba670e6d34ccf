#pragma once
// The monad-class interfaces: MonadTrans and BindTrans (lifting into a
// transformer), MonadReader, MonadState, MonadWriter, MonadCont, MonadFree.
//
// A transformer is named by a tag with a nested `template <class M> using
// on = <tag of the transformed monad>;` (the tag of the transformer applied
// to M); MonadTrans<T>::lift(ma) takes an action of M (M from the action's
// tag) and yields the transformed action. The Monad of the transformed monad
// is the Monad specialisation of T::on<M>.
//
// The other interfaces are keyed by the monad's tag and name the type they are
// about: MonadReader<M>::Env, MonadState<M>::State, MonadWriter<M>::Log,
// MonadFree<M>::Layer (a functor tag). Their slots, in order:
//   MonadReader: ask(), local(f, m), reader(f)
//   MonadState:  get(), put(s), state(f)
//   MonadWriter: writer(p), tell(w), listen(m), pass(m)
//   MonadCont:   callCC(f)
//   MonadFree:   wrap(layer)

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/semigroup.hpp"
#include "basis/types.hpp"

namespace basis {

template <class T>
struct MonadTrans;
template <class T>
struct BindTrans;
template <class M>
struct MonadReader;
template <class M>
struct MonadState;
template <class M>
struct MonadWriter;
template <class M>
struct MonadCont;
template <class M>
struct MonadFree;

// The action ma of the inner monad, lifted into the transformer T.
template <class T, HasTag MA>
auto lift(const MA& ma) {
  return MonadTrans<T>::lift(ma);
}
// The action mb of a Bind, lifted into the transformer T.
template <class T, HasTag MB>
auto liftB(const MB& mb) {
  return BindTrans<T>::liftB(mb);
}

// ---------------------------------------------------------------------------
// Functions from E: the reader monad.

template <class E>
struct MonadReader<FunctionFrom<E>> {
  using Env = E;
  // The environment itself.
  static std::function<E(const E&)> ask() {
    return [](const E& e) { return e; };
  }
  // m run in the environment f(e).
  template <class Fn, class A>
  static std::function<A(const E&)> local(Fn f, const std::function<A(const E&)>& m) {
    return [f = std::move(f), m](const E& e) { return m(E(f(e))); };
  }
  // f applied to the environment.
  template <class Fn>
  static auto reader(Fn f) {
    return std::function<Mapped<Fn, E>(const E&)>(std::move(f));
  }
};

// ---------------------------------------------------------------------------
// Pairs (log, value): the writer monad over W's Monoid.

template <class W>
  requires MonoidType<W>
struct MonadWriter<PairOf<W>> {
  using Log = W;
  // The pair (value, log) as a writer action.
  template <class A>
  static std::pair<W, A> writer(const std::pair<A, W>& p) {
    return {p.second, p.first};
  }
  // Writes w.
  static std::pair<W, Unit> tell(const W& w) { return {w, Unit{}}; }
  // m, with its log beside its value.
  template <class A>
  static std::pair<W, std::pair<A, W>> listen(const std::pair<W, A>& m) {
    return {m.first, {m.second, m.first}};
  }
  // m's value; m's log passed through the function m returns beside it.
  template <class A, class Fn>
  static std::pair<W, A> pass(const std::pair<W, std::pair<A, Fn>>& m) {
    return {W(m.second.second(m.first)), m.second.first};
  }
};

}  // namespace basis
