#pragma once
// The one-value monoid wrappers as functors: Dual<A> (the monoid with its
// operands swapped), and the additive Sum<A> and multiplicative Product<A> of
// basis/semigroup.hpp, each with the tag DualTag, SumTag or ProductTag and
// its Functor and Distributive.

#include <utility>

#include "basis/distributive.hpp"
#include "basis/functor.hpp"
#include "basis/semigroup.hpp"

namespace basis {

// A's monoid with the operands swapped: combine(Dual a, Dual b) is
// Dual (combine(b, a)).
template <class A>
struct Dual {
  A getDual;
  friend bool operator==(const Dual&, const Dual&) = default;
};
template <class A>
  requires SemigroupType<A>
struct Semigroup<Dual<A>> : SemigroupDefaults<Dual<A>> {
  static Dual<A> combine(const Dual<A>& a, const Dual<A>& b) { return {Semigroup<A>::combine(b.getDual, a.getDual)}; }
};
template <class A>
  requires MonoidType<A>
struct Monoid<Dual<A>> : MonoidDefaults<Dual<A>> {
  static Dual<A> mempty() { return {Monoid<A>::mempty()}; }
};

struct DualTag {
  template <class A>
  using apply = Dual<A>;
};
struct SumTag {
  template <class A>
  using apply = Sum<A>;
};
struct ProductTag {
  template <class A>
  using apply = Product<A>;
};
template <class A>
struct TagOf<Dual<A>> {
  using type = DualTag;
  using element = A;
};
template <class A>
struct TagOf<Sum<A>> {
  using type = SumTag;
  using element = A;
};
template <class A>
struct TagOf<Product<A>> {
  using type = ProductTag;
  using element = A;
};

namespace detail {
// Functor and Distributive of a one-field wrapper C whose field is `value`
// (Sum, Product) or `getDual` (Dual), read through Get.
template <template <class> class C, class Get>
struct OneFieldFunctor {
  template <class Fn, class A>
  static C<Mapped<Fn, A>> fmap(Fn f, const C<A>& x) {
    return {f(Get::get(x))};
  }
  template <class B, class A>
  static C<B> replace(const B& b, const C<A>&) {
    return {b};
  }
};
template <template <class> class C, class Get>
struct OneFieldDistributive {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return C<Apply<W, A>>{Functor<W>::fmap([](const C<A>& x) { return A(Get::get(x)); }, w)};
  }
};
struct GetValue {
  template <class X>
  static const auto& get(const X& x) {
    return x.value;
  }
};
struct GetDual {
  template <class A>
  static const A& get(const Dual<A>& x) {
    return x.getDual;
  }
};
}  // namespace detail

template <>
struct Functor<DualTag> : detail::OneFieldFunctor<Dual, detail::GetDual> {};
template <>
struct Functor<SumTag> : detail::OneFieldFunctor<Sum, detail::GetValue> {};
template <>
struct Functor<ProductTag> : detail::OneFieldFunctor<Product, detail::GetValue> {};

template <>
struct Distributive<DualTag> : DistributiveDefaults<DualTag>, detail::OneFieldDistributive<Dual, detail::GetDual> {
  using detail::OneFieldDistributive<Dual, detail::GetDual>::distribute;
};
template <>
struct Distributive<SumTag> : DistributiveDefaults<SumTag>, detail::OneFieldDistributive<Sum, detail::GetValue> {
  using detail::OneFieldDistributive<Sum, detail::GetValue>::distribute;
};
template <>
struct Distributive<ProductTag> : DistributiveDefaults<ProductTag>, detail::OneFieldDistributive<Product, detail::GetValue> {
  using detail::OneFieldDistributive<Product, detail::GetValue>::distribute;
};

}  // namespace basis
