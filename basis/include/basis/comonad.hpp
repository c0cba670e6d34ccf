#pragma once
// Comonad<F>: extract, duplicate, extend (after its Functor).
//
// A specialisation defines `extract` and one of `duplicate` / `extend`, and
// inherits ComonadDefaults<F> for the other.

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "basis/functor.hpp"
#include "basis/semigroup.hpp"

namespace basis {

template <class F>
struct Comonad;

// The defaults of Comonad, from extract and duplicate or extend.
template <class F>
struct ComonadDefaults {
  // Every position holding the whole structure seen from there.
  template <class FA>
  static auto duplicate(const FA& w) {
    return Comonad<F>::extend([](const FA& x) { return x; }, w);
  }
  // f applied to the structure seen from every position.
  template <class Fn, class FA>
  static auto extend(Fn f, const FA& w) {
    return Functor<F>::fmap(std::move(f), Comonad<F>::duplicate(w));
  }
};

// F has a complete Comonad specialisation (and a Functor).
template <class F>
concept ComonadTag = FunctorTag<F> && requires(const Apply<F, detail::ProbeA>& w,
                                               detail::ProbeB (*f)(const Apply<F, detail::ProbeA>&)) {
  { Comonad<F>::extract(w) } -> std::convertible_to<const detail::ProbeA&>;
  { Comonad<F>::duplicate(w) } -> std::same_as<Apply<F, Apply<F, detail::ProbeA>>>;
  { Comonad<F>::extend(f, w) } -> std::same_as<Apply<F, detail::ProbeB>>;
};

// The value at the focus.
template <HasTag FA>
auto extract(const FA& w) {
  return Comonad<tag_of<FA>>::extract(w);
}
template <HasTag FA>
auto duplicate(const FA& w) {
  return Comonad<tag_of<FA>>::duplicate(w);
}
template <class Fn, HasTag FA>
auto extend(Fn&& f, const FA& w) {
  return Comonad<tag_of<FA>>::extend(std::forward<Fn>(f), w);
}

// ---------------------------------------------------------------------------
// Instances.

template <>
struct Comonad<IdentityTag> : ComonadDefaults<IdentityTag> {
  template <class A>
  static A extract(const Identity<A>& w) {
    return w.value;
  }
  template <class A>
  static Identity<Identity<A>> duplicate(const Identity<A>& w) {
    return {w};
  }
};

// The environment structure: the first component rides along.
template <class L>
struct Comonad<PairOf<L>> : ComonadDefaults<PairOf<L>> {
  template <class A>
  static A extract(const std::pair<L, A>& w) {
    return w.second;
  }
  template <class A>
  static std::pair<L, std::pair<L, A>> duplicate(const std::pair<L, A>& w) {
    return {w.first, w};
  }
};

namespace detail {
// The traced structure's extend: at e, f of w with its argument shifted by
// combining e on the left (E's Semigroup alone).
template <class E, class Fn, class A>
auto tracedExtend(Fn f, const std::function<A(const E&)>& w) {
  using W = std::function<A(const E&)>;
  using B = std::remove_cvref_t<std::invoke_result_t<Fn&, const W&>>;
  // A chain of extends nests one call per level: each runs with stack room.
  return std::function<B(const E&)>([f = std::move(f), w = heldShared(w)](const E& e) {
    return withStackRoom([&] { return f(W([w, e](const E& e2) { return (*w)(combine(e, e2)); })); });
  });
}
}  // namespace detail

// The traced structure over a monoid E: extract applies to mempty; extend
// shifts the argument by combining on the left.
template <class E>
  requires MonoidType<E>
struct Comonad<FunctionFrom<E>> : ComonadDefaults<FunctionFrom<E>> {
  template <class A>
  static A extract(const std::function<A(const E&)>& w) {
    return w(mempty<E>());
  }
  template <class Fn, class A>
  static auto extend(Fn f, const std::function<A(const E&)>& w) {
    return detail::tracedExtend<E>(std::move(f), w);
  }
  template <class A>
  static auto duplicate(const std::function<A(const E&)>& w) {
    return extend([](const std::function<A(const E&)>& x) { return x; }, w);
  }
};

}  // namespace basis
