#pragma once
// StoreT<G, W, A>: a store comonad transformer over a representable G and a
// comonad W: a W-context of G-tables of A (the tables) and one position of G
// in focus (the focus). The value in focus is the one at the focus of the
// table that W's extract yields. Both fields are deferred: building a store
// evaluates neither.
//
//   StoreT<G, W, A>{tables, focus}   the store (plain values or Lazy)
//   store<G>(f, s), store<G>(f)      the plain store (W = Identity) of f's table
//   storeT<G>(wf, s), storeT<G>(wf)  the tables of a W of functions
//   runStore(st), runStoreT(st)      the reading function(s) and the focus
//   lower(st), cohoist(n, st)        strip W to the values at the focus, or
//                                    move the tables into another comonad
//
// Interfaces (basis traits specialised for StoreTOf<G, W>): Functor,
// Semiapplicative (Apply) and ComonadApply over a Semigroup of Rep G,
// Applicative over its Monoid (the two focuses combine, left first; pure
// focuses at mempty), Extend and Comonad (duplicate holds at every position
// the same tables focused there), ComonadStore (pos, peek, peeks, seek, seeks,
// experiment), and ComonadTraced, ComonadEnv and ComonadCofree passing W's
// through.
//
// Costs: no operation walks the tables: each is one mapping, one tabulate or
// one index, deferred until its field is read; moving the focus shares the
// tables. Nothing here raises of its own.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/comonad_classes.hpp"
#include "basis/contravariant.hpp"
#include "basis/extend.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/semigroup.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

template <class G, class W, class A>
struct StoreT {
  using Tables = basis::Apply<W, basis::Apply<G, A>>;
  // The W-context of G-tables.
  basis::Lazy<Tables> tables;
  // The position in focus.
  basis::Lazy<Rep<G>> focus;
};

// StoreT<G, W, _>.
template <class G, class W>
struct StoreTOf {
  template <class A>
  using apply = StoreT<G, W, A>;
};

}  // namespace tandemory

template <class G, class W, class A>
struct basis::TagOf<tandemory::StoreT<G, W, A>> {
  using type = tandemory::StoreTOf<G, W>;
  using element = A;
};

namespace tandemory {

namespace detail {
// The store whose fields are the deferred `tables` and `focus`.
template <class G, class W, class Tables>
auto storeOf(basis::Lazy<Tables> tables, basis::Lazy<Rep<G>> focus) {
  using A = basis::element_of<basis::element_of<Tables>>;
  return StoreT<G, W, A>{std::move(tables), std::move(focus)};
}
}  // namespace detail

// A function awaiting the focus s that yields the plain store of f's table
// focused at s; every store it yields shares one deferred table.
template <class G, class Fn>
auto store(Fn f) {
  using A = detail::AtRep<G, Fn>;
  using Tables = basis::Identity<basis::Apply<G, A>>;
  auto tables = basis::Lazy<Tables>::defer([f = std::move(f)] { return Tables{Representable<G>::tabulate(f)}; });
  return [tables](basis::Lazy<Rep<G>> s) { return StoreT<G, basis::IdentityTag, A>{tables, std::move(s)}; };
}
// The plain store of f's table, focused at s. Evaluates neither now.
template <class G, class Fn>
auto store(Fn f, basis::Lazy<Rep<G>> s) {
  return store<G>(std::move(f))(std::move(s));
}

// A function awaiting the focus that yields the store whose tables are W's
// mapping of tabulate over wf; the mapping is one deferred value shared by
// every store it yields.
template <class G, class WF>
auto storeT(const WF& wf) {
  using W = basis::tag_of<WF>;
  using Fn = basis::element_of<WF>;
  using A = detail::AtRep<G, Fn>;
  using Tables = basis::Apply<W, basis::Apply<G, A>>;
  auto tables = basis::Lazy<Tables>::defer(
      [wf] { return basis::Functor<W>::fmap([](const Fn& f) { return Representable<G>::tabulate(f); }, wf); });
  return [tables](basis::Lazy<Rep<G>> s) { return StoreT<G, W, A>{tables, std::move(s)}; };
}
template <class G, class WF>
auto storeT(const WF& wf, basis::Lazy<Rep<G>> s) {
  return storeT<G>(wf)(std::move(s));
}

// The function reading the table (deferred until called) and the focus.
template <class G, class A>
std::pair<std::function<A(const Rep<G>&)>, basis::Lazy<Rep<G>>> runStore(const StoreT<G, basis::IdentityTag, A>& st) {
  return {[tables = st.tables](const Rep<G>& k) -> A { return Representable<G>::index(tables.force().value, k); },
          st.focus};
}

// W's mapping of index over the tables (deferred) and the focus.
template <class G, class W, class A>
auto runStoreT(const StoreT<G, W, A>& st) {
  using Fn = std::function<A(const Rep<G>&)>;
  using WFn = basis::Apply<W, Fn>;
  auto readers = basis::Lazy<WFn>::defer([tables = st.tables] {
    return basis::Functor<W>::fmap([](const basis::Apply<G, A>& t) { return Fn(tandemory::index(t)); }, tables.force());
  });
  return std::pair<basis::Lazy<WFn>, basis::Lazy<Rep<G>>>(std::move(readers), st.focus);
}

// The W-context of the values at the focus: W's mapping of (read at the
// focus) over the tables.
template <class G, class W, class A>
basis::Apply<W, A> lower(const StoreT<G, W, A>& st) {
  auto s = st.focus;
  return basis::Functor<W>::fmap([s](const basis::Apply<G, A>& t) { return Representable<G>::index(t, s.force()); },
                                 st.tables.force());
}

// The store with its tables moved into another comonad by n (a function
// from any W X to V X), the focus kept; n runs when the tables are read.
template <class N, class G, class W, class A>
auto cohoist(N n, const StoreT<G, W, A>& st) {
  using Tables = detail::Decay<std::invoke_result_t<N&, const typename StoreT<G, W, A>::Tables&>>;
  using V = basis::tag_of<Tables>;
  return StoreT<G, V, A>{basis::Lazy<Tables>::defer([n = std::move(n), t = st.tables] { return Tables(n(t.force())); }),
                         st.focus};
}

namespace detail {
// The table holding, at every position s1, the store of the context w1
// focused at s1.
// Every such store refers to one shared cell holding w1.
template <class G, class W, class A>
auto refocus(const basis::Apply<W, basis::Apply<G, A>>& w1) {
  using Tables = basis::Apply<W, basis::Apply<G, A>>;
  auto shared = basis::Lazy<Tables>::defer([w1] { return w1; });
  shared.force();
  return Representable<G>::tabulate([shared](const Rep<G>& s1) { return StoreT<G, W, A>{shared, s1}; });
}
// sf's function tables applied, position by position, to sa's value tables
// by W's zipping operation `zip`; the focuses combined by `plus`.
template <class G, class W, class Zip, class Plus, class FF, class A>
auto zipStores(Zip zip, Plus plus, const StoreT<G, W, FF>& sf, const StoreT<G, W, A>& sa) {
  using GF = basis::Apply<G, FF>;
  using GA = basis::Apply<G, A>;
  using B = detail::Decay<std::invoke_result_t<const FF&, const A&>>;
  using GB = basis::Apply<G, B>;
  using Tables = basis::Apply<W, GB>;
  auto tables = basis::Lazy<Tables>::defer([zip, ff = sf.tables, fa = sa.tables] {
    auto appliers = basis::Functor<W>::fmap(
        [](const GF& fs) { return std::function<GB(const GA&)>([fs](const GA& xs) { return apRep(fs, xs); }); },
        ff.force());
    return zip(appliers, fa.force());
  });
  auto focus = basis::Lazy<Rep<G>>::defer([plus, m = sf.focus, n = sa.focus] { return basis::applyForced(plus, m, n); });
  return StoreT<G, W, B>{std::move(tables), std::move(focus)};
}
// f mapped over every table, deferred; the focus kept.
template <class G, class W, class Fn, class A>
auto mapStore(Fn f, const StoreT<G, W, A>& st) {
  using B = basis::Mapped<Fn, A>;
  using Tables = basis::Apply<W, basis::Apply<G, B>>;
  return StoreT<G, W, B>{basis::Lazy<Tables>::defer([f = std::move(f), t = st.tables] {
                           return basis::Functor<W>::fmap(
                               [f](const basis::Apply<G, A>& g) { return basis::Functor<G>::fmap(f, g); }, t.force());
                         }),
                         st.focus};
}
// The store whose tables are W's `extendW` of refocus over the tables, each
// new table mapped by f; the focus kept.
template <class G, class W, class ExtendW, class Fn, class A>
auto extendStore(ExtendW extendW, Fn f, const StoreT<G, W, A>& st) {
  using Inner = StoreT<G, W, A>;
  using B = detail::Decay<std::invoke_result_t<Fn&, const Inner&>>;
  using Tables = basis::Apply<W, basis::Apply<G, B>>;
  return StoreT<G, W, B>{basis::Lazy<Tables>::defer([extendW, f = std::move(f), t = st.tables] {
                           auto dup = extendW([](const basis::Apply<W, basis::Apply<G, A>>& w1) { return refocus<G, W, A>(w1); },
                                              t.force());
                           return basis::Functor<W>::fmap(
                               [f](const basis::Apply<G, Inner>& g) { return basis::Functor<G>::fmap(f, g); }, dup);
                         }),
                         st.focus};
}
// Operands of the zipping operations as stores.
template <class X>
decltype(auto) operand(X&& x) {
  return basis::demand(std::forward<X>(x));
}
}  // namespace detail

}  // namespace tandemory

namespace basis {

template <class G, class W>
struct Functor<tandemory::StoreTOf<G, W>> : FunctorDefaults<tandemory::StoreTOf<G, W>> {
  template <class Fn, class A>
  static auto fmap(Fn f, const tandemory::StoreT<G, W, A>& st) {
    return tandemory::detail::mapStore(std::move(f), st);
  }
};

// Over W's Apply: the tables zipped position by position, the focuses
// combined by Rep G's Semigroup, left first. liftF2 maps the function over
// the first store, then `<.>`.
template <class G, class W>
  requires SemiapplicativeTag<W> && SemigroupType<tandemory::Rep<G>>
struct Semiapplicative<tandemory::StoreTOf<G, W>> : SemiapplicativeDefaults<tandemory::StoreTOf<G, W>> {
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    auto&& sf = tandemory::detail::operand(std::forward<FF>(ff));  // the function store first
    auto&& sa = tandemory::detail::operand(std::forward<X>(fa));
    return tandemory::detail::zipStores<G, W>(
        [](const auto& fs, const auto& xs) { return Semiapplicative<W>::apF(fs, xs); },
        [](const auto& m, const auto& n) { return combine(m, n); }, sf, sa);
  }
};

// Over W's Applicative: pure focuses at mempty; the focuses combine by
// mappend. liftA2 maps the function over the first store, then `<*>`.
template <class G, class W>
  requires ApplicativeTag<W> && MonoidType<tandemory::Rep<G>>
struct Applicative<tandemory::StoreTOf<G, W>> : ApplicativeDefaults<tandemory::StoreTOf<G, W>> {
  template <class V>
  static auto pure(V&& v) {
    using A = std::remove_cvref_t<V>;
    using Tables = Apply<W, Apply<G, A>>;
    using S = tandemory::Rep<G>;
    return tandemory::StoreT<G, W, A>{Lazy<Tables>::defer([a = A(std::forward<V>(v))] {
                                        return Applicative<W>::pure(tandemory::pureRep<G>(a));
                                      }),
                                      Lazy<S>::defer([] { return mempty<S>(); })};
  }
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    auto&& sf = tandemory::detail::operand(std::forward<FF>(ff));  // the function store first
    auto&& sa = tandemory::detail::operand(std::forward<X>(fa));
    return tandemory::detail::zipStores<G, W>(
        [](const auto& fs, const auto& xs) { return Applicative<W>::ap(fs, xs); },
        [](const auto& m, const auto& n) { return mappend(m, n); }, sf, sa);
  }
};

// Over W's Extend: every context refocused at every position.
template <class G, class W>
  requires ExtendTag<W>
struct Extend<tandemory::StoreTOf<G, W>> : ExtendDefaults<tandemory::StoreTOf<G, W>> {
  template <class Fn, class A>
  static auto extended(Fn f, const tandemory::StoreT<G, W, A>& st) {
    return tandemory::detail::extendStore<G, W>(
        [](const auto& g, const auto& w) { return Extend<W>::extended(g, w); }, std::move(f), st);
  }
};

// Over W's Comonad: extract reads the focus of W's extract of the tables.
template <class G, class W>
  requires ComonadTag<W>
struct Comonad<tandemory::StoreTOf<G, W>> : ComonadDefaults<tandemory::StoreTOf<G, W>> {
  template <class A>
  static A extract(const tandemory::StoreT<G, W, A>& st) {
    const auto& tables = st.tables.force();  // the tables, then the focus
    return tandemory::Representable<G>::index(Comonad<W>::extract(tables), st.focus.force());
  }
  template <class Fn, class A>
  static auto extend(Fn f, const tandemory::StoreT<G, W, A>& st) {
    return tandemory::detail::extendStore<G, W>(
        [](const auto& g, const auto& w) { return Comonad<W>::extend(g, w); }, std::move(f), st);
  }
};

// Over W's ComonadApply: the tables zipped, the focuses combined by Rep G's
// Semigroup.
template <class G, class W>
  requires SemigroupType<tandemory::Rep<G>>
struct ComonadApply<tandemory::StoreTOf<G, W>> : ComonadApplyDefaults<tandemory::StoreTOf<G, W>> {
  template <class FF, class A>
  static auto apW(const tandemory::StoreT<G, W, FF>& sf, const tandemory::StoreT<G, W, A>& sa) {
    return tandemory::detail::zipStores<G, W>([](const auto& fs, const auto& xs) { return ComonadApply<W>::apW(fs, xs); },
                                              [](const auto& m, const auto& n) { return combine(m, n); }, sf, sa);
  }
};

// The store interface proper; positions are Rep G.
template <class G, class W>
struct ComonadStore<tandemory::StoreTOf<G, W>> {
  using Pos = tandemory::Rep<G>;
  // The focus (forced).
  template <class A>
  static Pos pos(const tandemory::StoreT<G, W, A>& st) {
    return st.focus.force();
  }
  // The value at s1 of W's extract of the tables, whatever the focus.
  template <class A>
  static A peek(const Pos& s1, const tandemory::StoreT<G, W, A>& st) {
    return tandemory::Representable<G>::index(Comonad<W>::extract(st.tables.force()), s1);
  }
  // The value at f(focus).
  template <class Fn, class A>
  static A peeks(Fn f, const tandemory::StoreT<G, W, A>& st) {
    return peek(Pos(f(st.focus.force())), st);
  }
  // The same tables focused at s1, which is not evaluated.
  template <class A>
  static tandemory::StoreT<G, W, A> seek(Lazy<Pos> s1, const tandemory::StoreT<G, W, A>& st) {
    return {st.tables, std::move(s1)};
  }
  // The same tables focused at f(focus), computed when the focus is read.
  template <class Fn, class A>
  static tandemory::StoreT<G, W, A> seeks(Fn f, const tandemory::StoreT<G, W, A>& st) {
    return {st.tables, Lazy<Pos>::defer([f = std::move(f), s = st.focus] { return Pos(f(s.force())); })};
  }
  // H's mapping of (s1 -> peek s1 st) over k(focus). A k whose parameter is
  // a Lazy<Pos> receives the focus deferred, so the focus is read only when k
  // needs it; any other k receives it read.
  template <class K, class A>
  static auto experiment(K k, const tandemory::StoreT<G, W, A>& st) {
    auto positions = [&] {
      if constexpr (requires { typename callable_arg_t<K>; } && std::is_same_v<callable_arg_t<K>, Lazy<Pos>>) {
        return k(st.focus);
      } else {
        return k(st.focus.force());
      }
    }();
    using H = tag_of<decltype(positions)>;
    return Functor<H>::fmap([st](const Pos& s1) { return peek(s1, st); }, positions);
  }
};

// W's trace, applied to the values at the focus.
template <class G, class W>
struct ComonadTraced<tandemory::StoreTOf<G, W>> {
  using Trace = typename ComonadTraced<W>::Trace;
  template <class A>
  static A trace(const Trace& x, const tandemory::StoreT<G, W, A>& st) {
    return ComonadTraced<W>::trace(x, tandemory::lower(st));
  }
};

// W's environment, asked of the tables themselves: neither the focus nor any
// value in the tables is read.
template <class G, class W>
struct ComonadEnv<tandemory::StoreTOf<G, W>> {
  using Env = typename ComonadEnv<W>::Env;
  template <class A>
  static Env ask(const tandemory::StoreT<G, W, A>& st) {
    return ComonadEnv<W>::ask(st.tables.force());
  }
};

// W's children, each carrying the same focus.
template <class G, class W>
struct ComonadCofree<tandemory::StoreTOf<G, W>> {
  using Layer = typename ComonadCofree<W>::Layer;
  template <class A>
  static auto unwrap(const tandemory::StoreT<G, W, A>& st) {
    using Tables = typename tandemory::StoreT<G, W, A>::Tables;
    return Functor<Layer>::fmap([s = st.focus](const Tables& w1) { return tandemory::StoreT<G, W, A>{w1, s}; },
                                ComonadCofree<W>::unwrap(st.tables.force()));
  }
};

}  // namespace basis
