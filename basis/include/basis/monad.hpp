#pragma once
// Monad<F>: bind (`>>=`), then (`>>`), return_ (`return`), and join.
//
// A specialisation defines `bind` and inherits MonadDefaults<F>; `return_`
// is Applicative<F>::pure. The operands of bind and then may arrive deferred
// (see `demand` in functor.hpp): a monad that stops never demands the second
// operand of `then` after stopping, one with several results demands it once
// (it is shared) and sequences it after each result.

#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"

namespace basis {

template <class F>
struct Monad;

// The F-structure k returns for an element A.
template <class K, class A>
using Bound = std::remove_cvref_t<decltype(demand(std::declval<std::invoke_result_t<K&, const A&>>()))>;

// The defaults of Monad, from bind.
template <class F>
struct MonadDefaults {
  // m's effects, then n's; n's elements (`>>`). n is demanded at most once.
  template <class X, class Y>
  static auto then(X&& m, Y&& n) {
    auto next = toLazy(std::forward<Y>(n));
    return Monad<F>::bind(std::forward<X>(m), [next](const auto&) { return next.force(); });
  }
  // The structure holding a with no effect.
  template <class A>
  static auto return_(A&& a) {
    return Applicative<F>::pure(std::forward<A>(a));
  }
  // The inner structures' elements, effects of the outer first.
  template <class X>
  static auto join(X&& mm) {
    return Monad<F>::bind(std::forward<X>(mm), [](const auto& inner) { return inner; });
  }
};

// F has a complete Monad specialisation (and an Applicative).
template <class F>
concept MonadTag = ApplicativeTag<F> && requires(const Apply<F, detail::ProbeA>& x,
                                                 const Apply<F, detail::ProbeB>& y,
                                                 const detail::ProbeA& a,
                                                 Apply<F, detail::ProbeB> (*k)(const detail::ProbeA&)) {
  { Monad<F>::bind(x, k) } -> std::same_as<Apply<F, detail::ProbeB>>;
  { Monad<F>::then(x, y) } -> std::same_as<Apply<F, detail::ProbeB>>;
  { Monad<F>::return_(a) } -> std::same_as<Apply<F, detail::ProbeA>>;
};

// k applied to each element of m, the results' effects in order (`>>=`).
template <class X, class K>
auto bind(X&& m, K&& k) {
  return Monad<tag_of<demanded_t<X>>>::bind(std::forward<X>(m), std::forward<K>(k));
}
// m, then n (`>>`); n may be deferred.
template <class X, class Y>
auto then(X&& m, Y&& n) {
  return Monad<tag_of<demanded_t<X>>>::then(std::forward<X>(m), std::forward<Y>(n));
}
// The structure holding a (the platform's `return`).
template <class F, class A>
auto return_(A&& a) {
  return Monad<F>::return_(std::forward<A>(a));
}
// The inner structures' elements.
template <class X>
auto join(X&& mm) {
  return Monad<tag_of<demanded_t<X>>>::join(std::forward<X>(mm));
}

// ---------------------------------------------------------------------------
// Instances.

template <>
struct Monad<OptionalTag> : MonadDefaults<OptionalTag> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    auto&& a = demand(std::forward<X>(m));
    if (!a) return R();
    return R(demand(k(*a)));
  }
};

template <>
struct Monad<VectorTag> : MonadDefaults<VectorTag> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    R out;
    auto&& a = demand(std::forward<X>(m));
    for (const auto& x : a) {
      auto&& part = demand(k(x));
      out.insert(out.end(), part.begin(), part.end());
    }
    return out;
  }
};

template <>
struct Monad<IdentityTag> : MonadDefaults<IdentityTag> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    auto&& a = demand(std::forward<X>(m));
    return R(demand(k(a.value)));
  }
};

template <class E>
struct Monad<EitherOf<E>> : MonadDefaults<EitherOf<E>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    auto&& a = demand(std::forward<X>(m));
    if (const E* e = a.leftPtr()) return R(Left<E>{*e});
    return R(demand(k(a.fromRight())));
  }
};

// This stops; left values combine by L's Semigroup, earlier on the left.
template <class L>
  requires SemigroupType<L>
struct Monad<TheseOf<L>> : MonadDefaults<TheseOf<L>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    auto&& a = demand(std::forward<X>(m));
    if (a.isThis()) return R::this_(*a.herePtr());
    R b = demand(k(*a.therePtr()));
    const L* la = a.herePtr();
    if (!la) return b;
    return b.fold([&](const auto& l) { return R::this_(combine(*la, l)); },
                  [&](const auto& y) { return R::these(*la, y); },
                  [&](const auto& l, const auto& y) { return R::these(combine(*la, l), y); });
  }
};

namespace detail {
// The writer structure's bind: k of m's second component, the first
// components combined by L's Semigroup (m's on the left).
template <class X, class K>
auto writerBind(X&& m, K& k) {
  using R = Bound<K, element_of<demanded_t<X>>>;
  auto&& a = demand(std::forward<X>(m));
  auto&& b = demand(k(a.second));
  return R(combine(a.first, b.first), b.second);
}
}  // namespace detail

// The writer structure.
template <class L>
  requires MonoidType<L>
struct Monad<PairOf<L>> : MonadDefaults<PairOf<L>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    return detail::writerBind(std::forward<X>(m), k);
  }
};

// The reader structure: the environment is handed to m and to k's result.
// Each application runs with stack room, so chains of binds nested to either
// side run at any depth.
template <class E>
struct Monad<FunctionFrom<E>> : MonadDefaults<FunctionFrom<E>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using R = Bound<K, element_of<demanded_t<X>>>;
    auto g = detail::heldShared(toLazy(std::forward<X>(m)));
    return R([g = std::move(g), k = std::move(k)](const E& e) {
      return withStackRoom([&] { return demand(k(g->force()(e)))(e); });
    });
  }
};

}  // namespace basis
