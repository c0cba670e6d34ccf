#pragma once
// StateT<G, M, A>: a state monad transformer whose state is a position of the
// representable functor G. It holds a G-table of M-actions: the action at
// position s runs when the current state is s and yields the result paired
// with the next state, (result, next state).
//
//   stateT<G>(f)             the table of f: Rep G -> M (A, Rep G)
//   getStateT(t)             the table
//   runStateT(t[, s])        the action at s (alone: a function of the state)
//   evalStateT(t, s)         the action's result;    execStateT: its state
//   runState(t[, s])         over basis::Identity: the pair at s
//   evalState, execState     over Identity: the result, or the next state
//   mapStateT(h, t)          h applied to the action at every state
//   mapState(h, t)           h applied to the pair at every state (Identity)
//   liftCallCC(c, f)         M's callCC lifted; an escape resumes with the
//                            state current on entry
//   liftCallCC_(c, f)        the same; an escape resumes with the state
//                            current when it runs (`liftCallCC'`)
//
// Interfaces (basis traits specialised for StateTOf<G, M>): Functor,
// Semiapplicative (Apply) and Bind over M's Bind, Applicative and Monad over
// M's Monad, MonadTrans and BindTrans through StateTTrans<G>, MonadState (the
// state type is Rep<G>), and MonadReader, MonadWriter, MonadCont and
// MonadFree passing M's through.
//
// Costs: every operation is one tabulate, one index or one mapping over G;
// the work at a state happens when the table is read there (at once for a
// G that stores its values). Nothing here raises of its own; evalStateT,
// execStateT, evalState and execState take the yielded pair apart.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

// A G-table of M-actions yielding (result, next state) (the constructor
// `StateT`).
template <class G, class M, class A>
struct StateT {
  basis::Apply<G, basis::Apply<M, std::pair<A, Rep<G>>>> getStateT;
};

// StateT<G, M, _>.
template <class G, class M>
struct StateTOf {
  template <class A>
  using apply = StateT<G, M, A>;
};

// The transformer StateT<G, _, _>: StateTTrans<G>::on<M> is StateTOf<G, M>.
template <class G>
struct StateTTrans {
  template <class M>
  using on = StateTOf<G, M>;
};

}  // namespace tandemory

template <class G, class M, class A>
struct basis::TagOf<tandemory::StateT<G, M, A>> {
  using type = tandemory::StateTOf<G, M>;
  using element = A;
};

namespace tandemory {

namespace detail {
// The StateT whose table is `table` (a G-table of M-actions of pairs).
template <class G, class MP>
auto stateOf(basis::Apply<G, MP> table) {
  using P = basis::element_of<MP>;
  return StateT<G, basis::tag_of<MP>, typename P::first_type>{std::move(table)};
}
// The StateT whose action at s is f(s).
template <class G, class Fn>
auto stateAt(Fn f) {
  return stateOf<G, AtRep<G, Fn>>(Representable<G>::tabulate(std::move(f)));
}
template <class G, class M, class A>
basis::Apply<M, std::pair<A, Rep<G>>> actionAt(const StateT<G, M, A>& t, const Rep<G>& s) {
  return Representable<G>::index(t.getStateT, s);
}
}  // namespace detail

// StateT of G's table of f (f: state -> M-action of (result, next state)).
template <class G, class Fn>
auto stateT(Fn f) {
  return detail::stateAt<G>(std::move(f));
}

// The table, unchanged.
template <class G, class M, class A>
const auto& getStateT(const StateT<G, M, A>& t) noexcept {
  return t.getStateT;
}

// A function of the state yielding the action to run from it; shares one copy
// of the table across every state.
template <class G, class M, class A>
auto runStateT(const StateT<G, M, A>& t) {
  return tandemory::index(t.getStateT);
}
// The action to run from s.
template <class G, class M, class A>
basis::Apply<M, std::pair<A, Rep<G>>> runStateT(const StateT<G, M, A>& t, const Rep<G>& s) {
  return detail::actionAt(t, s);
}

// The action from s, keeping its result.
template <class G, class M, class A>
basis::Apply<M, A> evalStateT(const StateT<G, M, A>& t, const Rep<G>& s) {
  return basis::Monad<M>::bind(detail::actionAt(t, s),
                               [](const std::pair<A, Rep<G>>& p) { return basis::Monad<M>::return_(p.first); });
}
// The action from s, keeping its next state.
template <class G, class M, class A>
basis::Apply<M, Rep<G>> execStateT(const StateT<G, M, A>& t, const Rep<G>& s) {
  return basis::Monad<M>::bind(detail::actionAt(t, s),
                               [](const std::pair<A, Rep<G>>& p) { return basis::Monad<M>::return_(p.second); });
}

// A function from the state to the pair (result, next state); the table is
// read through one shared copy.
template <class G, class A>
auto runState(const StateT<G, basis::IdentityTag, A>& t) {
  return [read = tandemory::index(t.getStateT)](const Rep<G>& s) { return read(s).value; };
}
// The pair (result, next state) at s.
template <class G, class A>
std::pair<A, Rep<G>> runState(const StateT<G, basis::IdentityTag, A>& t, const Rep<G>& s) {
  return detail::actionAt(t, s).value;
}
// The result at s.
template <class G, class A>
A evalState(const StateT<G, basis::IdentityTag, A>& t, const Rep<G>& s) {
  return detail::actionAt(t, s).value.first;
}
// The next state at s.
template <class G, class A>
Rep<G> execState(const StateT<G, basis::IdentityTag, A>& t, const Rep<G>& s) {
  return detail::actionAt(t, s).value.second;
}

// h applied to the action at every state (h: M (A, S) -> N (B, S)). Needs
// only G's Functor.
template <class H, class G, class M, class A>
auto mapStateT(H h, const StateT<G, M, A>& t) {
  auto table = basis::Functor<G>::fmap(std::move(h), t.getStateT);
  return detail::stateOf<G, basis::element_of<decltype(table)>>(std::move(table));
}
// h applied to the pair at every state (over Identity).
template <class H, class G, class A>
auto mapState(H h, const StateT<G, basis::IdentityTag, A>& t) {
  using P = std::pair<A, Rep<G>>;
  using Q = detail::Decay<std::invoke_result_t<H&, const P&>>;
  return mapStateT([h = std::move(h)](const basis::Identity<P>& i) { return basis::Identity<Q>{h(i.value)}; }, t);
}

namespace detail {
// The lifted continuation-capturing operation: from state s, c is given a
// function of M's escape e; that function runs f's computation from s with
// an escape whose action at s2 hands (a, s or s2) to e.
template <class G, bool ResumeWithCurrentState, class C, class Fn>
auto liftCallCCWith(C c, Fn f) {
  using S = Rep<G>;
  return stateT<G>([c = detail::share(std::move(c)), f = detail::share(std::move(f))](const S& s) {
    return (*c)([f, s](const auto& e) {
      auto escape = [e, s](const auto& a) {
        using A = Decay<decltype(a)>;
        return stateT<G>([e, a, s](const S& now) { return e(std::pair<A, S>(a, ResumeWithCurrentState ? now : s)); });
      };
      return actionAt(basis::demand((*f)(escape)), s);
    });
  });
}
}  // namespace detail

// M's continuation-capturing operation c lifted through the state: c is
// called with a function of M's escape and must yield the action; f takes
// the state layer's escape and yields the body. An escape resumes with the
// state that was current on entry: state changes since are lost.
template <class G, class C, class Fn>
auto liftCallCC(C c, Fn f) {
  return detail::liftCallCCWith<G, false>(std::move(c), std::move(f));
}
// As liftCallCC, but an escape resumes with the state current when it runs.
template <class G, class C, class Fn>
auto liftCallCC_(C c, Fn f) {
  return detail::liftCallCCWith<G, true>(std::move(c), std::move(f));
}

namespace detail {
// The bind of the state layer: the action at s runs t's action, takes its
// pair (a, s'), and runs k(a)'s action from s'; bindM is M's bind.
template <class G, class X, class K, class BindM>
auto bindState(X&& m, K k, BindM bindM) {
  auto&& t = basis::demand(std::forward<X>(m));
  using T = Decay<decltype(t)>;
  using A = basis::element_of<T>;
  using P = std::pair<A, Rep<G>>;
  auto next = [kp = detail::share(std::move(k))](const P& p) { return actionAt(basis::demand((*kp)(p.first)), p.second); };
  auto table = basis::Functor<G>::fmap([next, bindM](const auto& ma) { return bindM(ma, next); }, t.getStateT);
  return stateOf<G, basis::element_of<decltype(table)>>(std::move(table));
}
// fmap f over the results, the states passed through.
template <class G, class M, class Fn, class A>
auto mapResults(Fn f, const StateT<G, M, A>& t) {
  using S = Rep<G>;
  using B = basis::Mapped<Fn, A>;
  auto step = [fp = detail::share(std::move(f))](const basis::Apply<M, std::pair<A, S>>& ma) {
    return basis::Functor<M>::fmap([fp](const std::pair<A, S>& p) { return std::pair<B, S>((*fp)(p.first), p.second); },
                                   ma);
  };
  return StateT<G, M, B>{basis::Functor<G>::fmap(step, t.getStateT)};
}
// `<*>` through `bindS` (the layer's bind over M's Bind or M's Monad): each
// function of ff mapped over fa's results (fa demanded once).
template <class Self, class BindS, class FF, class X>
auto apByBind(BindS bindS, FF&& ff, X&& fa) {
  auto ta = basis::toLazy(std::forward<X>(fa));
  return bindS(std::forward<FF>(ff), [ta](const auto& f) { return basis::Functor<Self>::fmap(f, ta.force()); });
}
// liftA2 through `bindS`: h of each result of fa, mapped over fb's results
// (fb demanded once).
template <class Self, class BindS, class Fn, class X, class Y>
auto liftByBind(BindS bindS, Fn h, X&& fa, Y&& fb) {
  auto tb = basis::toLazy(std::forward<Y>(fb));
  return bindS(std::forward<X>(fa), [h, tb](const auto& a) {
    return basis::Functor<Self>::fmap([h, a](const auto& b) { return h(a, b); }, tb.force());
  });
}
}  // namespace detail

}  // namespace tandemory

namespace basis {

// The results mapped, the states passed through.
template <class G, class M>
struct Functor<tandemory::StateTOf<G, M>> : FunctorDefaults<tandemory::StateTOf<G, M>> {
  template <class Fn, class A>
  static auto fmap(Fn f, const tandemory::StateT<G, M, A>& t) {
    return tandemory::detail::mapResults(std::move(f), t);
  }
};

// Over M's Bind: the function's actions run first, and their next state is
// the starting state of the argument.
template <class G, class M>
struct Bind<tandemory::StateTOf<G, M>> : BindDefaults<tandemory::StateTOf<G, M>> {
  template <class X, class K>
  static auto bindF(X&& m, K k) {
    return tandemory::detail::bindState<G>(std::forward<X>(m), std::move(k),
                                           [](const auto& ma, auto next) { return Bind<M>::bindF(ma, std::move(next)); });
  }
};

template <class G, class M>
struct Semiapplicative<tandemory::StateTOf<G, M>> : SemiapplicativeDefaults<tandemory::StateTOf<G, M>> {
  using Self = tandemory::StateTOf<G, M>;
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    return tandemory::detail::apByBind<Self>(bindLayer, std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn h, X&& fa, Y&& fb) {
    return tandemory::detail::liftByBind<Self>(bindLayer, std::move(h), std::forward<X>(fa), std::forward<Y>(fb));
  }

 private:
  // The layer's bind over M's Bind.
  static constexpr auto bindLayer = [](auto&& m, auto k) { return Bind<Self>::bindF(std::forward<decltype(m)>(m), std::move(k)); };
};

template <class G, class M>
struct Monad<tandemory::StateTOf<G, M>> : MonadDefaults<tandemory::StateTOf<G, M>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    return tandemory::detail::bindState<G>(std::forward<X>(m), std::move(k),
                                           [](const auto& ma, auto next) { return Monad<M>::bind(ma, std::move(next)); });
  }
  // From every state: return (a, the same state), with M's return.
  template <class V>
  static auto return_(V&& v) {
    using A = std::remove_cvref_t<V>;
    return tandemory::stateT<G>(
        [a = A(std::forward<V>(v))](const tandemory::Rep<G>& s) { return Monad<M>::return_(std::pair<A, tandemory::Rep<G>>(a, s)); });
  }
};

template <class G, class M>
struct Applicative<tandemory::StateTOf<G, M>> : ApplicativeDefaults<tandemory::StateTOf<G, M>> {
  using Self = tandemory::StateTOf<G, M>;
  template <class V>
  static auto pure(V&& v) {
    return Monad<Self>::return_(std::forward<V>(v));
  }
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    return tandemory::detail::apByBind<Self>(bindLayer, std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn h, X&& fa, Y&& fb) {
    return tandemory::detail::liftByBind<Self>(bindLayer, std::move(h), std::forward<X>(fa), std::forward<Y>(fb));
  }

 private:
  // The layer's bind over M's Monad.
  static constexpr auto bindLayer = [](auto&& m, auto k) { return Monad<Self>::bind(std::forward<decltype(m)>(m), std::move(k)); };
};

// lift: ma run from every state, which it leaves unchanged.
template <class G>
struct MonadTrans<tandemory::StateTTrans<G>> {
  template <class MA>
  static auto lift(const MA& ma) {
    using M = tag_of<MA>;
    using A = element_of<MA>;
    return tandemory::stateT<G>([ma](const tandemory::Rep<G>& s) {
      return Monad<M>::bind(ma, [s](const A& a) { return Monad<M>::return_(std::pair<A, tandemory::Rep<G>>(a, s)); });
    });
  }
};

// liftB: mb's results paired with the unchanged state, by a mapping.
template <class G>
struct BindTrans<tandemory::StateTTrans<G>> {
  template <class MB>
  static auto liftB(const MB& mb) {
    using A = element_of<MB>;
    return tandemory::stateT<G>([mb](const tandemory::Rep<G>& s) {
      return Functor<tag_of<MB>>::fmap([s](const A& a) { return std::pair<A, tandemory::Rep<G>>(a, s); }, mb);
    });
  }
};

// The state is the position of G.
template <class G, class M>
struct MonadState<tandemory::StateTOf<G, M>> {
  using State = tandemory::Rep<G>;
  // return (s, s) from every state s.
  static auto get() {
    return tandemory::stateT<G>([](const State& s) { return Monad<M>::return_(std::pair<State, State>(s, s)); });
  }
  // One shared action return ((), s0) at every state; the old state is never
  // read.
  static auto put(const State& s0) {
    auto action = Monad<M>::return_(std::pair<Unit, State>(Unit{}, s0));
    return tandemory::StateT<G, M, Unit>{tandemory::pureRep<G>(std::move(action))};
  }
  // return f(s) from every state s.
  template <class Fn>
  static auto state(Fn f) {
    return tandemory::stateT<G>([f = std::move(f)](const State& s) { return Monad<M>::return_(f(s)); });
  }
};

// M's environment, read from every state, which passes through unchanged.
template <class G, class M>
struct MonadReader<tandemory::StateTOf<G, M>> {
  using Env = typename MonadReader<M>::Env;
  using S = tandemory::Rep<G>;
  static auto ask() {
    auto askM = MonadReader<M>::ask();
    return tandemory::stateT<G>([askM](const S& s) {
      return Monad<M>::bind(askM, [s](const Env& e) { return Monad<M>::return_(std::pair<Env, S>(e, s)); });
    });
  }
  // M's local f around the action at every state.
  template <class Fn, class A>
  static auto local(Fn f, const tandemory::StateT<G, M, A>& t) {
    return tandemory::mapStateT([f = std::move(f)](const auto& ma) { return MonadReader<M>::local(f, ma); }, t);
  }
  // ask, then return f(e) with the state unchanged.
  template <class Fn>
  static auto reader(Fn f) {
    return Monad<tandemory::StateTOf<G, M>>::bind(ask(), [f = std::move(f)](const Env& e) {
      using B = Mapped<Fn, Env>;
      return tandemory::stateT<G>([f, e](const S& s) { return Monad<M>::return_(std::pair<B, S>(f(e), s)); });
    });
  }
};

// M's log, passed through the state layer.
template <class G, class M>
struct MonadWriter<tandemory::StateTOf<G, M>> {
  using Log = typename MonadWriter<M>::Log;
  using S = tandemory::Rep<G>;
  // tell the log, then return the value with the state unchanged.
  template <class A>
  static auto writer(const std::pair<A, Log>& p) {
    return Monad<tandemory::StateTOf<G, M>>::bind(tell(p.second), [a = p.first](const auto&) {
      return tandemory::stateT<G>([a](const S& s) { return Monad<M>::return_(std::pair<A, S>(a, s)); });
    });
  }
  // One action `tell w0`, shared by every state.
  static auto tell(const Log& w0) {
    auto told = MonadWriter<M>::tell(w0);
    using X = element_of<decltype(told)>;
    return tandemory::stateT<G>([told](const S& s) {
      return Monad<M>::bind(told, [s](const X& x) { return Monad<M>::return_(std::pair<X, S>(x, s)); });
    });
  }
  // The log attached to the result; the next state passes through.
  template <class A>
  static auto listen(const tandemory::StateT<G, M, A>& t) {
    using P = std::pair<A, S>;
    return tandemory::mapStateT(
        [](const Apply<M, P>& ma) {
          return Monad<M>::bind(MonadWriter<M>::listen(ma), [](const std::pair<P, Log>& q) {
            return Monad<M>::return_(std::pair<std::pair<A, Log>, S>({q.first.first, q.second}, q.first.second));
          });
        },
        t);
  }
  // The log-changing function taken from the result and handed to M's pass.
  template <class A, class H>
  static auto pass(const tandemory::StateT<G, M, std::pair<A, H>>& t) {
    using P = std::pair<std::pair<A, H>, S>;
    return tandemory::mapStateT(
        [](const Apply<M, P>& ma) {
          return MonadWriter<M>::pass(Monad<M>::bind(ma, [](const P& q) {
            return Monad<M>::return_(std::pair<std::pair<A, S>, H>({q.first.first, q.second}, q.first.second));
          }));
        },
        t);
  }
};

// callCC: M's callCC lifted; an escape resumes with the state current when it
// runs.
template <class G, class M>
struct MonadCont<tandemory::StateTOf<G, M>> {
  template <class Fn>
  static auto callCC(Fn f) {
    return tandemory::liftCallCC_<G>([](const auto& g) { return MonadCont<M>::callCC(g); }, std::move(f));
  }
};

// wrap: every StateT in the layer run from the same state.
template <class G, class M>
struct MonadFree<tandemory::StateTOf<G, M>> {
  using Layer = typename MonadFree<M>::Layer;
  template <class LS>
  static auto wrap(const LS& layer) {
    using T = element_of<LS>;
    return tandemory::stateT<G>([layer](const tandemory::Rep<G>& s) {
      return MonadFree<M>::wrap(Functor<Layer>::fmap([s](const T& st) { return tandemory::detail::actionAt(st, s); }, layer));
    });
  }
};

}  // namespace basis
