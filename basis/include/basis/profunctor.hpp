#pragma once
// Profunctor<P>: dimap, lmap, rmap over a two-argument constructor P that
// consumes its first argument and produces its second. FunctionArrow is the
// plain function type std::function<B(const A&)> as such a constructor.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/bifunctor.hpp"
#include "basis/contravariant.hpp"

namespace basis {

template <class P>
struct Profunctor;

// std::function<B(const A&)> as a two-argument constructor.
struct FunctionArrow {
  template <class A, class B>
  using apply = std::function<B(const A&)>;
};
template <class A, class B>
struct BiTagOf<std::function<B(const A&)>> {
  using type = FunctionArrow;
  using first = A;
  using second = B;
};

// g after p after f: the function from C to D. Calls neither f nor g now.
template <>
struct Profunctor<FunctionArrow> {
  template <class C, class Fn, class Gn, class A, class B>
  static auto dimap(Fn f, Gn g, const std::function<B(const A&)>& p) {
    using D = Mapped<Gn, B>;
    return std::function<D(const C&)>([f = std::move(f), g = std::move(g), p](const C& c) { return g(p(A(f(c)))); });
  }
};

// p with its input adapted by f (from C) and its output by g. C is named
// explicitly, or read off f's parameter type.
template <class C, class Fn, class Gn, HasBiTag PV>
auto dimap(Fn&& f, Gn&& g, const PV& p) {
  return Profunctor<bitag_of<PV>>::template dimap<C>(std::forward<Fn>(f), std::forward<Gn>(g), p);
}
template <class Fn, class Gn, HasBiTag PV>
  requires requires { typename callable_arg_t<Fn>; }
auto dimap(Fn&& f, Gn&& g, const PV& p) {
  return Profunctor<bitag_of<PV>>::template dimap<callable_arg_t<Fn>>(std::forward<Fn>(f), std::forward<Gn>(g), p);
}

}  // namespace basis
