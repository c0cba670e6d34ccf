#pragma once
// Contravariant<F>: contramap, the mapping of a structure that consumes its
// element instead of holding it; and the two plain consumers Op<R, A> (a
// function from A to R) and Predicate<A> (a function from A to bool).
//
// contramap(f, x) turns an F A into an F B through f from B to A; C++ cannot
// read B off a generic lambda, so the trait takes B explicitly:
// Contravariant<F>::contramap<B>(f, x). The free function basis::contramap
// deduces B from a callable with one fixed parameter type (a function, a
// std::function, a lambda whose parameter is not `auto`), or takes it
// explicitly: basis::contramap<B>(f, x).

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/product.hpp"

namespace basis {

template <class F>
struct Contravariant;

namespace detail {
// The decayed parameter type of a function type, a function pointer or a
// non-template call operator with exactly one parameter.
template <class Fn>
struct CallableArgOf {};
template <class R, class A>
struct CallableArgOf<R (*)(A)> {
  using type = std::remove_cvref_t<A>;
};
template <class R, class A>
struct CallableArgOf<R(A)> {
  using type = std::remove_cvref_t<A>;
};
template <class C, class R, class A>
struct CallableArgOf<R (C::*)(A) const> {
  using type = std::remove_cvref_t<A>;
};
template <class C, class R, class A>
struct CallableArgOf<R (C::*)(A)> {
  using type = std::remove_cvref_t<A>;
};
// Empty (no `type`) for anything else, so it can be tested without error.
template <class Fn, class = void>
struct CallableArg : CallableArgOf<Fn> {};
template <class Fn>
struct CallableArg<Fn, std::void_t<decltype(&Fn::operator())>> : CallableArgOf<decltype(&Fn::operator())> {};
}  // namespace detail

// The parameter type of a one-parameter callable that is not generic.
template <class Fn>
using callable_arg_t = typename detail::CallableArg<std::remove_cvref_t<Fn>>::type;
// Its (decayed) result when called with a value of that parameter type.
template <class Fn>
using callable_result_t = std::remove_cvref_t<
    std::invoke_result_t<const std::remove_cvref_t<Fn>&, const callable_arg_t<Fn>&>>;

// x with its argument adapted by f (from B to x's argument type). Cost as the
// instance says; never calls f itself.
template <class B, class Fn, HasTag FA>
auto contramap(Fn&& f, const FA& x) {
  return Contravariant<tag_of<FA>>::template contramap<B>(std::forward<Fn>(f), x);
}
template <class Fn, HasTag FA>
  requires requires { typename callable_arg_t<Fn>; }
auto contramap(Fn&& f, const FA& x) {
  return Contravariant<tag_of<FA>>::template contramap<callable_arg_t<Fn>>(std::forward<Fn>(f), x);
}

// ---------------------------------------------------------------------------
// Op and Predicate.

// A function from A to R, as a contravariant structure of A.
template <class R, class A>
struct Op {
  std::function<R(const A&)> getOp;
  R operator()(const A& a) const { return getOp(a); }
};
template <class R>
struct OpOf {
  template <class A>
  using apply = Op<R, A>;
};
template <class R, class A>
struct TagOf<Op<R, A>> {
  using type = OpOf<R>;
  using element = A;
};

// A test on A.
template <class A>
struct Predicate {
  std::function<bool(const A&)> getPredicate;
  bool operator()(const A& a) const { return getPredicate(a); }
};
struct PredicateTag {
  template <class A>
  using apply = Predicate<A>;
};
template <class A>
struct TagOf<Predicate<A>> {
  using type = PredicateTag;
  using element = A;
};

// The held function after f; f runs each time the result is applied. As
// with maps of functions, the held function is shared (a chain of n
// contramaps is built in O(n) and freed at any depth) and each application
// is made with stack room (a chain runs at any depth).
template <class R>
struct Contravariant<OpOf<R>> {
  template <class B, class Fn, class A>
  static Op<R, B> contramap(Fn f, const Op<R, A>& x) {
    return {[f = std::move(f), g = detail::heldShared(x.getOp)](const B& b) -> R {
      return withStackRoom([&]() -> R { return (*g)(f(b)); });
    }};
  }
};
template <>
struct Contravariant<PredicateTag> {
  template <class B, class Fn, class A>
  static Predicate<B> contramap(Fn f, const Predicate<A>& x) {
    return {[f = std::move(f), g = detail::heldShared(x.getPredicate)](const B& b) -> bool {
      return withStackRoom([&]() -> bool { return (*g)(f(b)); });
    }};
  }
};

// Each part adapted by its own contramap when it is read.
template <class F, class G>
struct Contravariant<ProductOf<F, G>> {
  template <class B, class Fn, class A>
  static functor::Product<F, G, B> contramap(Fn f, const functor::Product<F, G, A>& p) {
    auto fp = std::make_shared<Fn>(std::move(f));
    return {Lazy<Apply<F, B>>::defer(
                [fp, x = p.first] { return Contravariant<F>::template contramap<B>(*fp, x.force()); }),
            Lazy<Apply<G, B>>::defer(
                [fp, y = p.second] { return Contravariant<G>::template contramap<B>(*fp, y.force()); })};
  }
};

// F has a Contravariant specialisation.
template <class F>
concept ContravariantTag = requires(const Apply<F, detail::ProbeB>& x, detail::ProbeB (*f)(const detail::ProbeA&)) {
  { Contravariant<F>::template contramap<detail::ProbeA>(f, x) } -> std::same_as<Apply<F, detail::ProbeA>>;
};

}  // namespace basis
