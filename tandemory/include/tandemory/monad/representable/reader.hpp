#pragma once
// ReaderT<F, M, B>: a reader monad transformer whose environment is the
// representing type of a representable functor F. It keeps, for every
// position e of F, one computation of M yielding a B; running it in the
// environment e reads the computation held at e.
//
//   readerT<F>(g)        the reader whose computation at e is g(e)
//   runReaderT(x)        a function from the environment to x's computation
//   runReaderT(x, e)     x's computation at e
//   runReader(x, e)      the value at e of a reader over basis::Identity
//   getReaderT(x)        the F-table of computations
//
// Interfaces (basis traits specialised for ReaderTOf<F, M>): Functor,
// Semiapplicative (Apply), Applicative, Bind, Monad, MonadReader (the
// environment is Rep<F>), MonadWriter and MonadIO (passing M's), MonadTrans
// (through ReaderTTrans<F>); over a representable M: Distributive, Representable
// (positions are pairs (Rep F, Rep M)), Extend and Comonad (positions shift by
// the two Semigroups / Monoids); Foldable, Traversable, and over non-empty F
// and M Foldable1 and Traversable1 (the elements of the M-structures, in F's
// order, each in M's order).
//
// Costs: every operation is one tabulate or one mapping over F; a position's
// computation is built when F builds that position (at once for a functor
// that stores its values, at each read for function tables). pure, return,
// lift, liftIO and tell build their one M-computation once and hand it to
// every position. Nothing here raises of its own; foldr1, foldl1, maximum and
// minimum of an empty reader throw basis::ErrorCall with "foldr1: empty
// structure", "foldl1: empty structure", "maximum: empty structure" and
// "minimum: empty structure".

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/distributive.hpp"
#include "basis/extend.hpp"
#include "basis/foldable.hpp"
#include "basis/foldable1.hpp"
#include "basis/functor.hpp"
#include "basis/io.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/semigroup.hpp"
#include "basis/traversable.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/rep.hpp"

namespace tandemory {

// An F-table of M-computations of B (the constructor `ReaderT`).
template <class F, class M, class B>
struct ReaderT {
  basis::Apply<F, basis::Apply<M, B>> getReaderT;
};

// ReaderT<F, M, _>.
template <class F, class M>
struct ReaderTOf {
  template <class B>
  using apply = ReaderT<F, M, B>;
};

// The transformer ReaderT<F, _, _>: ReaderTTrans<F>::on<M> is ReaderTOf<F, M>.
template <class F>
struct ReaderTTrans {
  template <class M>
  using on = ReaderTOf<F, M>;
};

}  // namespace tandemory

template <class F, class M, class B>
struct basis::TagOf<tandemory::ReaderT<F, M, B>> {
  using type = tandemory::ReaderTOf<F, M>;
  using element = B;
};

namespace tandemory {

namespace detail {
template <class F, class MB>
ReaderT<F, basis::tag_of<MB>, basis::element_of<MB>> reader(basis::Apply<F, MB> table) {
  return {std::move(table)};
}
// The reader whose computation at e is g(e).
template <class F, class G>
auto readerAt(G g) {
  return reader<F, AtRep<F, G>>(Representable<F>::tabulate(std::move(g)));
}
// x's computation at e.
template <class F, class M, class B>
basis::Apply<M, B> at(const ReaderT<F, M, B>& x, const Rep<F>& e) {
  return Representable<F>::index(x.getReaderT, e);
}
}  // namespace detail

// The reader whose computation at e is g(e): F's table of g. Calls g as F's
// tabulate does.
template <class F, class G>
auto readerT(G g) {
  return detail::readerAt<F>(std::move(g));
}

// The F-table of computations, unchanged.
template <class F, class M, class B>
const basis::Apply<F, basis::Apply<M, B>>& getReaderT(const ReaderT<F, M, B>& x) noexcept {
  return x.getReaderT;
}

// A function from the environment to x's computation there; it shares one
// copy of x's table.
template <class F, class M, class B>
auto runReaderT(const ReaderT<F, M, B>& x) {
  return tandemory::index(x.getReaderT);
}
// x's computation at e.
template <class F, class M, class B>
basis::Apply<M, B> runReaderT(const ReaderT<F, M, B>& x, const Rep<F>& e) {
  return detail::at(x, e);
}

namespace detail {
// The reader whose computation at e binds x's with `bindM` to the
// continuation's reader read at the same e.
template <class F, class M, class X, class K, class BindM>
auto bindReader(X&& m, K k, BindM bindM) {
  auto&& x = basis::demand(std::forward<X>(m));
  using A = basis::element_of<std::remove_cvref_t<decltype(x)>>;
  auto kp = share(std::move(k));
  return tandemory::readerT<F>([xs = share(x.getReaderT), kp, bindM](const tandemory::Rep<F>& e) {
    return bindM(tandemory::Representable<F>::index(*xs, e), [kp, e](const A& v) {
      return at(basis::demand((*kp)(v)), e);
    });
  });
}
// The reader whose computation at each position is step of x's and y's there.
template <class F, class M, class Step, class A, class B>
auto zipReaders(Step step, const ReaderT<F, M, A>& x, const ReaderT<F, M, B>& y) {
  auto t = tandemory::mzipWithRep(std::move(step), x.getReaderT, y.getReaderT);
  using MC = basis::element_of<decltype(t)>;
  return ReaderT<F, M, basis::element_of<MC>>{std::move(t)};
}
// `<.>` / `<*>` position by position: apM (M's `<.>` or `<*>`) of ff's
// computation and fa's. ff is demanded first.
template <class F, class M, class ApM, class FF, class X>
auto apReaders(ApM apM, FF&& ff, X&& fa) {
  auto&& x = basis::demand(std::forward<FF>(ff));
  auto&& y = basis::demand(std::forward<X>(fa));
  return zipReaders(std::move(apM), x, y);
}
// liftF2 / liftA2 position by position: apM of h mapped (by M's fmap) over
// fa's computation, and fb's. fa is demanded first.
template <class F, class M, class ApM, class Fn, class X, class Y>
auto liftReaders(ApM apM, Fn h, X&& fa, Y&& fb) {
  auto&& x = basis::demand(std::forward<X>(fa));
  auto&& y = basis::demand(std::forward<Y>(fb));
  using A = basis::element_of<std::remove_cvref_t<decltype(x)>>;
  using B = basis::element_of<std::remove_cvref_t<decltype(y)>>;
  using C = basis::Mapped<Fn, A, B>;
  auto curried = [h](const A& a) { return std::function<C(const B&)>([h, a](const B& b) { return h(a, b); }); };
  return zipReaders(
      [curried, apM](const basis::Apply<M, A>& ma, const basis::Apply<M, B>& mb) {
        return apM(basis::Functor<M>::fmap(curried, ma), mb);
      },
      x, y);
}
}  // namespace detail

// The value at e of a reader over Identity.
template <class F, class B>
B runReader(const ReaderT<F, basis::IdentityTag, B>& x, const Rep<F>& e) {
  return detail::at(x, e).value;
}

}  // namespace tandemory

namespace basis {

// f mapped inside every computation: F's fmap of M's fmap. `<$` maps a
// constant function the same way (M's own `<$` is not used).
template <class F, class M>
struct Functor<tandemory::ReaderTOf<F, M>> : FunctorDefaults<tandemory::ReaderTOf<F, M>> {
  template <class Fn, class B>
  static tandemory::ReaderT<F, M, Mapped<Fn, B>> fmap(Fn f, const tandemory::ReaderT<F, M, B>& x) {
    auto inner = tandemory::detail::share(std::move(f));
    return {Functor<F>::fmap([inner](const Apply<M, B>& mb) { return Functor<M>::fmap(*inner, mb); }, x.getReaderT)};
  }
};

// Position by position: (x at e) `<.>` (y at e) in M; `.>`, `<.` and liftF2
// map M's fmap over x's computation first.
template <class F, class M>
struct Semiapplicative<tandemory::ReaderTOf<F, M>> : SemiapplicativeDefaults<tandemory::ReaderTOf<F, M>> {
  template <class FF, class X>
  static auto apF(FF&& ff, X&& fa) {
    return tandemory::detail::apReaders<F, M>(apM, std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftF2(Fn h, X&& fa, Y&& fb) {
    return tandemory::detail::liftReaders<F, M>(apM, std::move(h), std::forward<X>(fa), std::forward<Y>(fb));
  }

 private:
  // M's `<.>`.
  static constexpr auto apM = [](const auto& mf, const auto& ma) { return Semiapplicative<M>::apF(mf, ma); };
};

// Position by position, as Apply, with M's `<*>`; pure and return hold one
// M-computation at every position.
template <class F, class M>
struct Applicative<tandemory::ReaderTOf<F, M>> : ApplicativeDefaults<tandemory::ReaderTOf<F, M>> {
  template <class V>
  static auto pure(V&& v) {
    auto action = Applicative<M>::pure(std::forward<V>(v));
    return tandemory::ReaderT<F, M, element_of<decltype(action)>>{tandemory::pureRep<F>(std::move(action))};
  }
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    return tandemory::detail::apReaders<F, M>(apM, std::forward<FF>(ff), std::forward<X>(fa));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn h, X&& fa, Y&& fb) {
    return tandemory::detail::liftReaders<F, M>(apM, std::move(h), std::forward<X>(fa), std::forward<Y>(fb));
  }

 private:
  // M's `<*>`.
  static constexpr auto apM = [](const auto& mf, const auto& ma) { return Applicative<M>::ap(mf, ma); };
};

template <class F, class M>
struct Bind<tandemory::ReaderTOf<F, M>> : BindDefaults<tandemory::ReaderTOf<F, M>> {
  template <class X, class K>
  static auto bindF(X&& m, K k) {
    return tandemory::detail::bindReader<F, M>(std::forward<X>(m), std::move(k),
                                    [](const auto& ma, auto next) { return Bind<M>::bindF(ma, std::move(next)); });
  }
};

// `>>=` at every position; `>>` runs x's computation, then y's, at every
// position.
template <class F, class M>
struct Monad<tandemory::ReaderTOf<F, M>> : MonadDefaults<tandemory::ReaderTOf<F, M>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    return tandemory::detail::bindReader<F, M>(std::forward<X>(m), std::move(k),
                                    [](const auto& ma, auto next) { return Monad<M>::bind(ma, std::move(next)); });
  }
};

// The same computation c at every position.
template <class F>
struct MonadTrans<tandemory::ReaderTTrans<F>> {
  template <class MB>
  static tandemory::ReaderT<F, tag_of<MB>, element_of<MB>> lift(const MB& c) {
    return {tandemory::pureRep<F>(c)};
  }
};

// One M-computation `liftIO io`, held at every position.
template <class F, class M>
struct MonadIO<tandemory::ReaderTOf<F, M>> {
  template <class A>
  static tandemory::ReaderT<F, M, A> liftIO(const IO<A>& io) {
    return {tandemory::pureRep<F>(MonadIO<M>::liftIO(io))};
  }
};

// The positions of F are the environment.
template <class F, class M>
struct MonadReader<tandemory::ReaderTOf<F, M>> {
  using Env = tandemory::Rep<F>;
  // return e at each position e.
  static auto ask() {
    return tandemory::readerT<F>([](const Env& e) { return Monad<M>::return_(e); });
  }
  // x read at h(e) at each position e; no operation of M is used.
  template <class Fn, class B>
  static tandemory::ReaderT<F, M, B> local(Fn h, const tandemory::ReaderT<F, M, B>& x) {
    return {tandemory::localRep(std::move(h), x.getReaderT)};
  }
  // return g(e) at each position e.
  template <class G>
  static auto reader(G g) {
    return tandemory::readerT<F>([g = std::move(g)](const Env& e) { return Monad<M>::return_(g(e)); });
  }
};

// M's writer, position by position.
template <class F, class M>
struct MonadWriter<tandemory::ReaderTOf<F, M>> {
  using Log = typename MonadWriter<M>::Log;
  // tell the log, then return the value, at every position.
  template <class A>
  static auto writer(const std::pair<A, Log>& p) {
    auto told = MonadWriter<M>::tell(p.second);
    auto action = Monad<M>::bind(told, [a = p.first](const auto&) { return Applicative<M>::pure(a); });
    return tandemory::ReaderT<F, M, A>{tandemory::pureRep<F>(std::move(action))};
  }
  // One M-computation `tell w`, held at every position.
  static auto tell(const Log& w) {
    auto action = MonadWriter<M>::tell(w);
    return tandemory::ReaderT<F, M, element_of<decltype(action)>>{tandemory::pureRep<F>(std::move(action))};
  }
  template <class B>
  static auto listen(const tandemory::ReaderT<F, M, B>& x) {
    return tandemory::readerT<F>([xs = tandemory::detail::share(x.getReaderT)](const tandemory::Rep<F>& e) {
      return MonadWriter<M>::listen(tandemory::Representable<F>::index(*xs, e));
    });
  }
  template <class B>
  static auto pass(const tandemory::ReaderT<F, M, B>& x) {
    return tandemory::readerT<F>([xs = tandemory::detail::share(x.getReaderT)](const tandemory::Rep<F>& e) {
      return MonadWriter<M>::pass(tandemory::Representable<F>::index(*xs, e));
    });
  }
};

// ---------------------------------------------------------------------------
// A reader over a representable M as one representable functor.

// At each position a of F, M's distribution of the M-structures the readers
// hold at a.
template <class F, class M>
struct Distributive<tandemory::ReaderTOf<F, M>> : DistributiveDefaults<tandemory::ReaderTOf<F, M>> {
  template <class WX>
  static auto distribute(const WX& wx) {
    using W = tag_of<WX>;
    using B = element_of<element_of<WX>>;
    auto tables = tandemory::collectRep([](const tandemory::ReaderT<F, M, B>& r) { return r.getReaderT; }, wx);
    using WMB = element_of<decltype(tables)>;
    auto t = tandemory::Representable<F>::tabulate(
        [tables = tandemory::detail::share(std::move(tables))](const tandemory::Rep<F>& a) {
          return Distributive<M>::distribute(WMB(tandemory::Representable<F>::index(*tables, a)));
        });
    return tandemory::ReaderT<F, M, Apply<W, B>>{std::move(t)};
  }
  // distribute over the monad's functor: the same reader as through a
  // monadic wrapper.
  template <class NX>
  static auto distributeM(const NX& nx) {
    return distribute(nx);
  }
  template <class G, class NA>
  static auto collectM(G g, const NA& na) {
    return distribute(Functor<tag_of<NA>>::fmap(std::move(g), na));
  }
};

}  // namespace basis

namespace tandemory {

// Positions are pairs (position of F, position of M).
template <class F, class M>
struct Representable<ReaderTOf<F, M>> {
  using Rep = std::pair<tandemory::Rep<F>, tandemory::Rep<M>>;
  template <class G>
  static auto tabulate(G g) {
    using B = detail::Decay<std::invoke_result_t<G&, const Rep&>>;
    auto gp = detail::share(std::move(g));
    return ReaderT<F, M, B>{Representable<F>::tabulate([gp](const tandemory::Rep<F>& a) {
      return Representable<M>::tabulate([gp, a](const tandemory::Rep<M>& b) { return (*gp)(Rep(a, b)); });
    })};
  }
  template <class B>
  static B index(const ReaderT<F, M, B>& x, const Rep& p) {
    return Representable<M>::index(Representable<F>::index(x.getReaderT, p.first), p.second);
  }
};

namespace detail {
// The reader whose value at (a, b) is h(x shifted by (a, b)), where x shifted
// by (a, b) has at (a2, b2) the value of x at (plus(a, a2), plus(b, b2)).
template <class F, class M, class Plus, class H, class B>
auto extendReader(Plus plus, H h, const ReaderT<F, M, B>& x) {
  using R = Representable<ReaderTOf<F, M>>;
  using P = typename R::Rep;
  auto xs = share(x);
  auto pp = share(std::move(plus));
  return R::tabulate([xs, pp, h = std::move(h)](const P& p) {
    return h(R::tabulate([xs, pp, p](const P& q) {
      return R::index(*xs, P{(*pp)(p.first, q.first), (*pp)(p.second, q.second)});  // braces: in order
    }));
  });
}
}  // namespace detail

}  // namespace tandemory

namespace basis {

// Positions shift by the Semigroups of Rep F and Rep M, the outer position on
// the left.
template <class F, class M>
  requires SemigroupType<tandemory::Rep<F>> && SemigroupType<tandemory::Rep<M>>
struct Extend<tandemory::ReaderTOf<F, M>> : ExtendDefaults<tandemory::ReaderTOf<F, M>> {
  template <class Fn, class B>
  static auto extended(Fn h, const tandemory::ReaderT<F, M, B>& x) {
    return tandemory::detail::extendReader(
        [](const auto& a, const auto& b) { return combine(a, b); }, std::move(h), x);
  }
};

// extract reads the pair of the two mempty positions; positions shift by the
// two mappends.
template <class F, class M>
  requires MonoidType<tandemory::Rep<F>> && MonoidType<tandemory::Rep<M>>
struct Comonad<tandemory::ReaderTOf<F, M>> : ComonadDefaults<tandemory::ReaderTOf<F, M>> {
  template <class B>
  static B extract(const tandemory::ReaderT<F, M, B>& x) {
    return tandemory::Representable<M>::index(
        tandemory::Representable<F>::index(x.getReaderT, mempty<tandemory::Rep<F>>()), mempty<tandemory::Rep<M>>());
  }
  template <class Fn, class B>
  static auto extend(Fn h, const tandemory::ReaderT<F, M, B>& x) {
    return tandemory::detail::extendReader(
        [](const auto& a, const auto& b) { return mappend(a, b); }, std::move(h), x);
  }
};

// ---------------------------------------------------------------------------
// Folds and traversals: the elements of the M-structures, the structures in
// F's order and each one's elements in M's order.

template <class F, class M>
struct Foldable<tandemory::ReaderTOf<F, M>> : FoldableDefaults<tandemory::ReaderTOf<F, M>> {
  // F's foldMap of M's foldMap with h.
  template <class Fn, class B>
  static auto foldMap(Fn h, const tandemory::ReaderT<F, M, B>& x) {
    auto inner = [h = std::move(h)](const auto& mb) { return Foldable<M>::foldMap(h, forced(mb)); };
    return Foldable<F>::foldMap(inner, x.getReaderT);
  }
  template <class Fn, class Z, class B>
  static lazy_value_t<Z> foldr(Fn f, Z z, const tandemory::ReaderT<F, M, B>& x) {
    using R = lazy_value_t<Z>;
    return Foldable<F>::foldr(
        [f](const auto& mb, const Lazy<R>& rest) -> R { return Foldable<M>::foldr(f, rest, forced(mb)); },
        toLazy(std::move(z)), x.getReaderT);
  }
  template <class Fn, class Z, class B>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const tandemory::ReaderT<F, M, B>& x) {
    using R = lazy_value_t<Z>;
    return Foldable<F>::foldl_([&f](R acc, const auto& mb) { return Foldable<M>::foldl_(f, std::move(acc), forced(mb)); },
                               R(demand(z)), x.getReaderT);
  }
  template <class Fn, class Z, class B>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const tandemory::ReaderT<F, M, B>& x) {
    using R = lazy_value_t<Z>;
    return Foldable<F>::foldr_([&f](const auto& mb, R acc) { return Foldable<M>::foldr_(f, std::move(acc), forced(mb)); },
                               R(demand(z)), x.getReaderT);
  }
  // The greatest element, strictly from the left; of equal ones the later
  // (max acc b is b when acc <= b). Throws basis::ErrorCall "maximum: empty
  // structure" for a reader without elements.
  template <class B>
  static B maximum(const tandemory::ReaderT<F, M, B>& x) {
    auto r = foldl_([](std::optional<B> acc, const auto& b) { return std::optional<B>(!acc || *acc <= forced(b) ? B(forced(b)) : *acc); },
                    std::optional<B>(), x);
    if (!r) throw ErrorCall("maximum: empty structure");
    return *r;
  }
  // The least element, strictly from the left; of equal ones the earlier
  // (min acc b is acc when acc <= b). Throws basis::ErrorCall "minimum: empty
  // structure" for a reader without elements.
  template <class B>
  static B minimum(const tandemory::ReaderT<F, M, B>& x) {
    auto r = foldl_([](std::optional<B> acc, const auto& b) { return std::optional<B>(!acc || !(*acc <= forced(b)) ? B(forced(b)) : *acc); },
                    std::optional<B>(), x);
    if (!r) throw ErrorCall("minimum: empty structure");
    return *r;
  }
};

// Over non-empty F and M: F's foldMap1 of M's foldMap1; the other slots
// derived from it.
template <class F, class M>
struct Foldable1<tandemory::ReaderTOf<F, M>> : Foldable1Defaults<tandemory::ReaderTOf<F, M>> {
  template <class Fn, class B>
  static auto foldMap1(Fn h, const tandemory::ReaderT<F, M, B>& x) {
    auto inner = [h = std::move(h)](const auto& mb) { return Foldable1<M>::foldMap1(h, forced(mb)); };
    return Foldable1<F>::foldMap1(inner, x.getReaderT);
  }
};

// F's traverse1 of M's traverse1 with g, over the effect's Apply.
template <class F, class M>
struct Traversable1<tandemory::ReaderTOf<F, M>> : Traversable1Defaults<tandemory::ReaderTOf<F, M>> {
  template <class Fn, class B>
  static auto traverse1(Fn g, const tandemory::ReaderT<F, M, B>& x) {
    using GC = demanded_t<std::invoke_result_t<Fn&, const B&>>;
    using H = tag_of<GC>;
    using C = element_of<GC>;
    auto outer = Traversable1<F>::traverse1([g](const auto& mb) { return Traversable1<M>::traverse1(g, forced(mb)); },
                                            x.getReaderT);
    return Functor<H>::fmap([](const Apply<F, Apply<M, C>>& t) { return tandemory::ReaderT<F, M, C>{t}; }, outer);
  }
};

// F's traverse of M's traverse with g; effects in element order.
template <class F, class M>
struct Traversable<tandemory::ReaderTOf<F, M>> : TraversableDefaults<tandemory::ReaderTOf<F, M>> {
  template <class Fn, class B>
  static auto traverse(Fn g, const tandemory::ReaderT<F, M, B>& x) {
    using GC = Action<Fn, B>;
    using H = tag_of<GC>;
    using C = element_of<GC>;
    auto outer = Traversable<F>::traverse([g](const auto& mb) { return Traversable<M>::traverse(g, forced(mb)); },
                                          x.getReaderT);
    return Functor<H>::fmap([](const Apply<F, Apply<M, C>>& t) { return tandemory::ReaderT<F, M, C>{t}; }, outer);
  }
};

}  // namespace basis
