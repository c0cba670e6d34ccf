#pragma once
// Interfaces over two-argument type constructors: Bifunctor<P> (bimap,
// first, second) and Bifoldable<P> (bifold, bifoldMap, bifoldr, bifoldl).
//
// A two-argument constructor is named by a tag with a nested
// `template <class A, class B> using apply = ...;`; BiTagOf<T> maps a
// concrete type back to it (`using type = Tag; using first = A; using
// second = B;`). A Bifunctor specialisation defines `bimap` or both `first`
// and `second`; a Bifoldable one defines `bifoldr` (or `bifoldMap`); the
// defaults mixins give the rest.

#include <concepts>
#include <functional>
#include <vector>
#include <type_traits>
#include <utility>

#include "basis/const.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/semigroup.hpp"
#include "basis/types.hpp"

namespace basis {

template <class P, class A, class B>
using Apply2 = typename P::template apply<A, B>;

template <class T>
struct BiTagOf {};
template <class T>
using bitag_of = typename BiTagOf<std::remove_cvref_t<T>>::type;
template <class T>
using first_of = typename BiTagOf<std::remove_cvref_t<T>>::first;
template <class T>
using second_of = typename BiTagOf<std::remove_cvref_t<T>>::second;
template <class T>
concept HasBiTag = requires {
  typename bitag_of<T>;
  typename first_of<T>;
  typename second_of<T>;
};

// Either, These, std::pair and Const as two-argument constructors.
struct EitherTag {
  template <class A, class B>
  using apply = Either<A, B>;
};
struct TheseTag {
  template <class A, class B>
  using apply = These<A, B>;
};
struct PairTag {
  template <class A, class B>
  using apply = std::pair<A, B>;
};
struct ConstTag {
  template <class A, class B>
  using apply = Const<A, B>;
};
template <class A, class B>
struct BiTagOf<Either<A, B>> {
  using type = EitherTag;
  using first = A;
  using second = B;
};
template <class A, class B>
struct BiTagOf<These<A, B>> {
  using type = TheseTag;
  using first = A;
  using second = B;
};
template <class A, class B>
struct BiTagOf<std::pair<A, B>> {
  using type = PairTag;
  using first = A;
  using second = B;
};
template <class A, class B>
struct BiTagOf<Const<A, B>> {
  using type = ConstTag;
  using first = A;
  using second = B;
};

// ---------------------------------------------------------------------------
// Bifunctor.

template <class P>
struct Bifunctor;

template <class P>
struct BifunctorDefaults {
  // f over the first components, g over the second.
  template <class Fn, class Gn, class PAB>
  static auto bimap(Fn f, Gn g, const PAB& x) {
    return Bifunctor<P>::first(std::move(f), Bifunctor<P>::second(std::move(g), x));
  }
  // f over the first components.
  template <class Fn, class PAB>
  static auto first(Fn f, const PAB& x) {
    return Bifunctor<P>::bimap(std::move(f), [](const auto& b) { return b; }, x);
  }
  // g over the second components.
  template <class Gn, class PAB>
  static auto second(Gn g, const PAB& x) {
    return Bifunctor<P>::bimap([](const auto& a) { return a; }, std::move(g), x);
  }
};

template <class P>
concept BifunctorTag = requires(const Apply2<P, detail::ProbeA, detail::ProbeA>& x, detail::ProbeFn f) {
  { Bifunctor<P>::bimap(f, f, x) } -> std::same_as<Apply2<P, detail::ProbeB, detail::ProbeB>>;
  { Bifunctor<P>::first(f, x) } -> std::same_as<Apply2<P, detail::ProbeB, detail::ProbeA>>;
  { Bifunctor<P>::second(f, x) } -> std::same_as<Apply2<P, detail::ProbeA, detail::ProbeB>>;
};

template <class Fn, class Gn, HasBiTag PAB>
auto bimap(Fn&& f, Gn&& g, const PAB& x) {
  return Bifunctor<bitag_of<PAB>>::bimap(std::forward<Fn>(f), std::forward<Gn>(g), x);
}
template <class Fn, HasBiTag PAB>
auto first(Fn&& f, const PAB& x) {
  return Bifunctor<bitag_of<PAB>>::first(std::forward<Fn>(f), x);
}
template <class Gn, HasBiTag PAB>
auto second(Gn&& g, const PAB& x) {
  return Bifunctor<bitag_of<PAB>>::second(std::forward<Gn>(g), x);
}

template <>
struct Bifunctor<EitherTag> : BifunctorDefaults<EitherTag> {
  template <class Fn, class Gn, class A, class B>
  static auto bimap(Fn f, Gn g, const Either<A, B>& x) {
    using R = Either<Mapped<Fn, A>, Mapped<Gn, B>>;
    if (const A* a = x.leftPtr()) return R(Left<Mapped<Fn, A>>{f(*a)});
    return R(Right<Mapped<Gn, B>>{g(x.fromRight())});
  }
};

template <>
struct Bifunctor<TheseTag> : BifunctorDefaults<TheseTag> {
  template <class Fn, class Gn, class A, class B>
  static auto bimap(Fn f, Gn g, const These<A, B>& x) {
    using R = These<Mapped<Fn, A>, Mapped<Gn, B>>;
    return x.fold([&](const A& a) { return R::this_(f(a)); }, [&](const B& b) { return R::that(g(b)); },
                  [&](const A& a, const B& b) {
                    Mapped<Fn, A> left = f(a);  // f before g
                    return R::these(std::move(left), g(b));
                  });
  }
};

template <>
struct Bifunctor<PairTag> : BifunctorDefaults<PairTag> {
  template <class Fn, class Gn, class A, class B>
  static auto bimap(Fn f, Gn g, const std::pair<A, B>& x) {
    return std::pair<Mapped<Fn, A>, Mapped<Gn, B>>{f(x.first), g(x.second)};  // braces: f before g
  }
};

template <>
struct Bifunctor<ConstTag> : BifunctorDefaults<ConstTag> {
  template <class Fn, class Gn, class A, class B>
  static auto bimap(Fn f, Gn, const Const<A, B>& x) {
    return Const<Mapped<Fn, A>, Mapped<Gn, B>>{f(x.value)};
  }
};

// ---------------------------------------------------------------------------
// Bifoldable.

template <class P>
struct Bifoldable;

template <class P>
struct BifoldableDefaults {
  // Both components combined by their common Monoid, first on the left.
  template <class PAB>
  static auto bifold(const PAB& x) {
    using M = first_of<PAB>;
    return Bifoldable<P>::bifoldMap([](const M& a) { return a; }, [](const M& b) { return b; }, x);
  }
  // f of the first components and g of the second, combined in order,
  // nested to the right with mempty last.
  template <class Fn, class Gn, class PAB>
  static auto bifoldMap(Fn f, Gn g, const PAB& x) {
    using M = Mapped<Fn, first_of<PAB>>;
    return Bifoldable<P>::bifoldr(
        [&f](const auto& a, const Lazy<M>& rest) { return combine(M(f(a)), rest.force()); },
        [&g](const auto& b, const Lazy<M>& rest) { return combine(M(g(b)), rest.force()); },
        Lazy<M>(mempty<M>()), x);
  }
  // The left fold, built on demand from the right fold: f (deferred acc) a,
  // g (deferred acc) b.
  template <class Fn, class Gn, class Z, class PAB>
  static lazy_value_t<Z> bifoldl(Fn f, Gn g, Z z, const PAB& x) {
    using C = lazy_value_t<Z>;
    // Components are few: collect the steps, then apply them from the left.
    std::vector<std::function<C(const Lazy<C>&)>> steps;
    Bifoldable<P>::bifoldr(
        [&](const auto& a, const Lazy<Unit>& rest) {
          steps.push_back([&f, a](const Lazy<C>& acc) { return C(f(acc, a)); });
          rest.force();
          return unit;
        },
        [&](const auto& b, const Lazy<Unit>& rest) {
          steps.push_back([&g, b](const Lazy<C>& acc) { return C(g(acc, b)); });
          rest.force();
          return unit;
        },
        Lazy<Unit>(unit), x);
    Lazy<C> acc = toLazy(std::move(z));
    for (const auto& step : steps) acc = Lazy<C>::defer([step, prev = acc] { return step(prev); });
    return acc.force();
  }
};

template <class P>
concept BifoldableTag = requires(const Apply2<P, int, int>& x) {
  {
    Bifoldable<P>::bifoldr([](int, const Lazy<int>&) { return 0; }, [](int, const Lazy<int>&) { return 0; },
                           0, x)
  } -> std::same_as<int>;
  {
    Bifoldable<P>::bifoldl([](const Lazy<int>&, int) { return 0; }, [](const Lazy<int>&, int) { return 0; },
                           0, x)
  } -> std::same_as<int>;
};

template <HasBiTag PAB>
auto bifold(const PAB& x) {
  return Bifoldable<bitag_of<PAB>>::bifold(x);
}
template <class Fn, class Gn, HasBiTag PAB>
auto bifoldMap(Fn&& f, Gn&& g, const PAB& x) {
  return Bifoldable<bitag_of<PAB>>::bifoldMap(std::forward<Fn>(f), std::forward<Gn>(g), x);
}
// f(a, deferred rest) / g(b, deferred rest) in component order, the last rest
// yielding z. The deferred rest reads x: force it while x lives.
template <class Fn, class Gn, class Z, HasBiTag PAB>
auto bifoldr(Fn&& f, Gn&& g, Z&& z, const PAB& x) {
  return Bifoldable<bitag_of<PAB>>::bifoldr(std::forward<Fn>(f), std::forward<Gn>(g), std::forward<Z>(z), x);
}
template <class Fn, class Gn, class Z, HasBiTag PAB>
auto bifoldl(Fn&& f, Gn&& g, Z&& z, const PAB& x) {
  return Bifoldable<bitag_of<PAB>>::bifoldl(std::forward<Fn>(f), std::forward<Gn>(g), std::forward<Z>(z), x);
}

template <>
struct Bifoldable<EitherTag> : BifoldableDefaults<EitherTag> {
  template <class Fn, class Gn, class Z, class A, class B>
  static lazy_value_t<Z> bifoldr(Fn f, Gn g, Z z, const Either<A, B>& x) {
    if (const A* a = x.leftPtr()) return f(*a, toLazy(std::move(z)));
    return g(x.fromRight(), toLazy(std::move(z)));
  }
};

template <>
struct Bifoldable<TheseTag> : BifoldableDefaults<TheseTag> {
  template <class Fn, class Gn, class Z, class A, class B>
  static lazy_value_t<Z> bifoldr(Fn f, Gn g, Z z, const These<A, B>& x) {
    using C = lazy_value_t<Z>;
    const A* a = x.herePtr();
    const B* b = x.therePtr();
    Lazy<C> zl = toLazy(std::move(z));
    if (a && b) return f(*a, Lazy<C>::defer([g = std::move(g), b, zl] { return C(g(*b, zl)); }));
    if (a) return f(*a, zl);
    return g(*b, zl);
  }
};

template <>
struct Bifoldable<PairTag> : BifoldableDefaults<PairTag> {
  template <class Fn, class Gn, class Z, class A, class B>
  static lazy_value_t<Z> bifoldr(Fn f, Gn g, Z z, const std::pair<A, B>& x) {
    using C = lazy_value_t<Z>;
    Lazy<C> zl = toLazy(std::move(z));
    return f(x.first, Lazy<C>::defer([g = std::move(g), b = &x.second, zl] { return C(g(*b, zl)); }));
  }
};

template <>
struct Bifoldable<ConstTag> : BifoldableDefaults<ConstTag> {
  template <class Fn, class Gn, class Z, class A, class B>
  static lazy_value_t<Z> bifoldr(Fn f, Gn, Z z, const Const<A, B>& x) {
    return f(x.value, toLazy(std::move(z)));
  }
};

}  // namespace basis
