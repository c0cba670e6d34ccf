#pragma once
// Const<M, A>: a value of M standing in a structure with no element of type
// A. Its Applicative combines the M values by their Monoid, which is how a
// traversal computes a fold.

#include <compare>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/semigroup.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class M, class A>
struct Const {
  M value;
  const M& getConst() const noexcept { return value; }
  friend bool operator==(const Const&, const Const&) = default;
  friend auto operator<=>(const Const&, const Const&) = default;
};

// Const<M, _>.
template <class M>
struct ConstOf {
  template <class A>
  using apply = Const<M, A>;
};
template <class M, class A>
struct TagOf<Const<M, A>> {
  using type = ConstOf<M>;
  using element = A;
};

// The value kept; f is never called.
template <class M>
struct Functor<ConstOf<M>> : FunctorDefaults<ConstOf<M>> {
  template <class Fn, class A>
  static Const<M, Mapped<Fn, A>> fmap(Fn, const Const<M, A>& c) {
    return {c.value};
  }
};

// No elements.
template <class M>
struct Foldable<ConstOf<M>> : FoldableDefaults<ConstOf<M>> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn, Z z, const Const<M, A>&) {
    return lazy_value_t<Z>(demand(z));
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn, Z z, const Const<M, A>&) {
    return lazy_value_t<Z>(demand(z));
  }
};

// pure of the kept value; g is never called.
template <class M>
struct Traversable<ConstOf<M>> : TraversableDefaults<ConstOf<M>> {
  template <class Fn, class A>
  static auto traverse(Fn, const Const<M, A>& c) {
    using GB = Action<Fn, A>;
    return Applicative<tag_of<GB>>::pure(Const<M, element_of<GB>>{c.value});
  }
};

// pure is mempty; liftA2 combines the two values (first on the left).
template <class M>
  requires MonoidType<M>
struct Applicative<ConstOf<M>> : ApplicativeDefaults<ConstOf<M>> {
  template <class A>
  static Const<M, std::remove_cvref_t<A>> pure(A&&) {
    return {mempty<M>()};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto&& a = demand(std::forward<X>(fa));
    auto&& b = demand(std::forward<Y>(fb));
    return Const<M, Mapped<Fn, A, B>>{combine(a.value, b.value)};
  }
};

}  // namespace basis
