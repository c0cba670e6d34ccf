#pragma once
// Applicative<F>: pure, ap (`<*>`), liftA2, seqRight (`*>`), seqLeft (`<*`).
//
// The combining operations take each operand as a value, a Lazy of it or a
// callable computing it (see `demand` in functor.hpp). The first operand's
// effect comes first; an applicative that stops (optional, Either, This)
// never demands the second operand once the first has stopped it, and one
// with several results (vector) demands the second operand once and combines
// it with each result of the first.
//
// A specialisation defines `pure` and one of `liftA2` / `ap`, and inherits
// ApplicativeDefaults<F> for the rest.

#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/functor.hpp"
#include "basis/semigroup.hpp"

namespace basis {

template <class F>
struct Applicative;

// The defaults of Applicative, from pure and liftA2 or ap.
template <class F>
struct ApplicativeDefaults {
  // Each function of ff applied to each element of fa (`<*>`).
  template <class FF, class X>
  static auto ap(FF&& ff, X&& fa) {
    return Applicative<F>::liftA2([](const auto& f, const auto& a) { return f(a); },
                                  std::forward<FF>(ff), std::forward<X>(fa));
  }
  // f over the elements of fa and fb, effects of fa first.
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    auto&& a = demand(std::forward<X>(fa));
    auto partial = Functor<F>::fmap(
        [f](const auto& x) {
          return std::function<Mapped<Fn, element_of<decltype(a)>, element_of<demanded_t<Y>>>(
              const element_of<demanded_t<Y>>&)>(
              [f, x](const element_of<demanded_t<Y>>& y) { return f(x, y); });
        },
        a);
    return Applicative<F>::ap(std::move(partial), std::forward<Y>(fb));
  }
  // fa's effects, then fb's; fb's elements (`*>`).
  template <class X, class Y>
  static auto seqRight(X&& fa, Y&& fb) {
    return Applicative<F>::liftA2([](const auto&, const auto& b) { return b; },
                                  std::forward<X>(fa), std::forward<Y>(fb));
  }
  // fa's effects, then fb's; fa's elements (`<*`).
  template <class X, class Y>
  static auto seqLeft(X&& fa, Y&& fb) {
    return Applicative<F>::liftA2([](const auto& a, const auto&) { return a; },
                                  std::forward<X>(fa), std::forward<Y>(fb));
  }
};

// F has a complete Applicative specialisation (and a Functor).
template <class F>
concept ApplicativeTag =
    FunctorTag<F> && requires(const detail::ProbeA& a, const Apply<F, detail::ProbeA>& x,
                              const Apply<F, detail::ProbeB>& y) {
      { Applicative<F>::pure(a) } -> std::same_as<Apply<F, detail::ProbeA>>;
      {
        Applicative<F>::liftA2([](const detail::ProbeA&, const detail::ProbeB&) { return 0; }, x, y)
      } -> std::same_as<Apply<F, int>>;
      { Applicative<F>::seqRight(x, y) } -> std::same_as<Apply<F, detail::ProbeB>>;
      { Applicative<F>::seqLeft(x, y) } -> std::same_as<Apply<F, detail::ProbeA>>;
    };

// The structure holding a with no effect.
template <class F, class A>
auto pure(A&& a) {
  return Applicative<F>::pure(std::forward<A>(a));
}
// f over the elements of fa and fb, either of which may be deferred; the tag
// comes from what fa stands for. liftA2In<F> names the tag instead.
template <class Fn, class X, class Y>
auto liftA2(Fn&& f, X&& fa, Y&& fb) {
  return Applicative<tag_of<demanded_t<X>>>::liftA2(std::forward<Fn>(f), std::forward<X>(fa),
                                                    std::forward<Y>(fb));
}
template <class F, class Fn, class X, class Y>
auto liftA2In(Fn&& f, X&& fa, Y&& fb) {
  return Applicative<F>::liftA2(std::forward<Fn>(f), std::forward<X>(fa), std::forward<Y>(fb));
}
// Each function of ff applied to each element of fa (`<*>`).
template <class FF, class X>
auto ap(FF&& ff, X&& fa) {
  return Applicative<tag_of<demanded_t<FF>>>::ap(std::forward<FF>(ff), std::forward<X>(fa));
}
// fa then fb, keeping fb's elements (`*>`).
template <class X, class Y>
auto seqRight(X&& fa, Y&& fb) {
  return Applicative<tag_of<demanded_t<X>>>::seqRight(std::forward<X>(fa), std::forward<Y>(fb));
}
// fa then fb, keeping fa's elements (`<*`).
template <class X, class Y>
auto seqLeft(X&& fa, Y&& fb) {
  return Applicative<tag_of<demanded_t<X>>>::seqLeft(std::forward<X>(fa), std::forward<Y>(fb));
}

// ---------------------------------------------------------------------------
// Instances.

// Nothing stops: the second operand is not demanded after a Nothing.
template <>
struct Applicative<OptionalTag> : ApplicativeDefaults<OptionalTag> {
  template <class A>
  static std::optional<std::remove_cvref_t<A>> pure(A&& a) {
    return std::optional<std::remove_cvref_t<A>>(std::forward<A>(a));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    using R = std::optional<Mapped<Fn, A, B>>;
    auto&& a = demand(std::forward<X>(fa));
    if (!a) return R();
    auto&& b = demand(std::forward<Y>(fb));
    if (!b) return R();
    return R(f(*a, *b));
  }
};

// Several results: f over every pair, the first operand's elements outer;
// the second operand is demanded once, and not at all when the first is empty.
template <>
struct Applicative<VectorTag> : ApplicativeDefaults<VectorTag> {
  template <class A>
  static std::vector<std::remove_cvref_t<A>> pure(A&& a) {
    std::vector<std::remove_cvref_t<A>> v;
    v.push_back(std::forward<A>(a));
    return v;
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    std::vector<Mapped<Fn, A, B>> out;
    auto&& a = demand(std::forward<X>(fa));
    if (a.empty()) return out;
    auto&& b = demand(std::forward<Y>(fb));
    out.reserve(a.size() * b.size());
    for (const auto& x : a)
      for (const auto& y : b) out.push_back(f(x, y));
    return out;
  }
};

template <>
struct Applicative<IdentityTag> : ApplicativeDefaults<IdentityTag> {
  template <class A>
  static Identity<std::remove_cvref_t<A>> pure(A&& a) {
    return {std::forward<A>(a)};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto&& a = demand(std::forward<X>(fa));
    auto&& b = demand(std::forward<Y>(fb));
    return Identity<Mapped<Fn, A, B>>{f(a.value, b.value)};
  }
};

// The first Left stops: the second operand is not demanded after it.
template <class E>
struct Applicative<EitherOf<E>> : ApplicativeDefaults<EitherOf<E>> {
  template <class A>
  static Either<E, std::remove_cvref_t<A>> pure(A&& a) {
    return Right<std::remove_cvref_t<A>>{std::forward<A>(a)};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    using C = Mapped<Fn, A, B>;
    using R = Either<E, C>;
    auto&& a = demand(std::forward<X>(fa));
    if (const E* e = a.leftPtr()) return R(Left<E>{*e});
    auto&& b = demand(std::forward<Y>(fb));
    if (const E* e = b.leftPtr()) return R(Left<E>{*e});
    return R(Right<C>{f(a.fromRight(), b.fromRight())});
  }
};

// This stops (the second operand is not demanded); the left values of two
// These combine by L's Semigroup, first operand's on the left.
template <class L>
  requires SemigroupType<L>
struct Applicative<TheseOf<L>> : ApplicativeDefaults<TheseOf<L>> {
  template <class A>
  static These<L, std::remove_cvref_t<A>> pure(A&& a) {
    return These<L, std::remove_cvref_t<A>>::that(std::forward<A>(a));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    using R = These<L, Mapped<Fn, A, B>>;
    auto&& a = demand(std::forward<X>(fa));
    if (a.isThis()) return R::this_(*a.herePtr());
    auto&& b = demand(std::forward<Y>(fb));
    const L* la = a.herePtr();
    const L* lb = b.herePtr();
    if (b.isThis()) return R::this_(la ? combine(*la, *lb) : *lb);
    auto c = f(*a.therePtr(), *b.therePtr());
    if (la && lb) return R::these(combine(*la, *lb), std::move(c));
    if (la) return R::these(*la, std::move(c));
    if (lb) return R::these(*lb, std::move(c));
    return R::that(std::move(c));
  }
};

namespace detail {
// The writer structure's zip: the first components combined by L's
// Semigroup (fa's on the left), f of the second ones; fa demanded first.
template <class L, class Fn, class X, class Y>
auto writerLiftA2(Fn& f, X&& fa, Y&& fb) {
  using A = element_of<demanded_t<X>>;
  using B = element_of<demanded_t<Y>>;
  auto&& a = demand(std::forward<X>(fa));
  auto&& b = demand(std::forward<Y>(fb));
  return std::pair<L, Mapped<Fn, A, B>>(combine(a.first, b.first), f(a.second, b.second));
}
}  // namespace detail

// The writer structure: the first components combine by L's Monoid.
template <class L>
  requires MonoidType<L>
struct Applicative<PairOf<L>> : ApplicativeDefaults<PairOf<L>> {
  template <class A>
  static std::pair<L, std::remove_cvref_t<A>> pure(A&& a) {
    return {mempty<L>(), std::forward<A>(a)};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    return detail::writerLiftA2<L>(f, std::forward<X>(fa), std::forward<Y>(fb));
  }
};

// The reader structure: both functions get the same argument. The second
// operand is kept deferred until the result is applied. Each application
// runs with stack room, so chains of any depth run.
template <class E>
struct Applicative<FunctionFrom<E>> : ApplicativeDefaults<FunctionFrom<E>> {
  template <class A>
  static std::function<std::remove_cvref_t<A>(const E&)> pure(A&& a) {
    return [a = std::remove_cvref_t<A>(std::forward<A>(a))](const E&) { return a; };
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto g = detail::heldShared(toLazy(std::forward<X>(fa)));
    auto h = detail::heldShared(toLazy(std::forward<Y>(fb)));
    return std::function<Mapped<Fn, A, B>(const E&)>(
        [f = std::move(f), g = std::move(g), h = std::move(h)](const E& e) {
          return withStackRoom([&] {
            const A a = g->force()(e);
            return f(a, h->force()(e));
          });
        });
  }
};

}  // namespace basis
