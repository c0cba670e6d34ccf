#pragma once
// Contravariant adjoint pairs: contravariant functors F and G (G
// representable in the contravariant sense) adjoint on the right, so that
// functions from B to F A correspond one to one with functions from A to G B.
//
//   contravariant::Adjunction<F>   the interface, keyed by F, with `Right`
//                                  (G), unit, counit, leftAdjunct,
//                                  rightAdjunct, and AdjunctionDefaults<F>
//   unit<F>(a)                     G (F a)
//   counit<F>(a)                   F (G a)
//   leftAdjunct<F[, X]>(h[, a])    h: X -> F A as a function from A to G X
//   rightAdjunct<F[, X]>(h[, b])   h: X -> G B as a function from B to F X
//   adjuncted, contrarepAdjunction, coindexAdjunction
//   the implementations for Op<R> (F = G = Op R) and Predicate
//
// X, the argument type of h, is named, or read off h's parameter type. In
// both implementations unit and counit are one operation, and so are
// leftAdjunct and rightAdjunct. Nothing here raises of its own; applying
// leftAdjunct or rightAdjunct to h alone calls nothing.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/contravariant.hpp"
#include "basis/functor.hpp"
#include "basis/profunctor.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/contravariant/rep.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory::contravariant {

// A specialisation (per tag of F) gives:
//
//   using Right = G;
//   template <class A> static Apply<G, Apply<F, A>> unit(const A& a);
//   template <class A> static Apply<F, Apply<G, A>> counit(const A& a);
//   template <class X, class H, class A> static Apply<G, X> leftAdjunct(H h, const A& a);   // h: X -> F A
//   template <class X, class H, class B> static Apply<F, X> rightAdjunct(H h, const B& b);  // h: X -> G B
//
// giving at least one of unit / leftAdjunct and one of counit / rightAdjunct,
// the rest from AdjunctionDefaults<F>. F's mapping is basis::Contravariant<F>;
// G's is basis::Contravariant<G> (G also has contravariant::Representable).
template <class F>
struct Adjunction;

template <class F>
using RightAdjoint = typename Adjunction<F>::Right;

template <class F>
struct AdjunctionDefaults {
  // leftAdjunct of the identity (on F A), at a.
  template <class A>
  static auto unit(const A& a) {
    using FA = basis::Apply<F, A>;
    return Adjunction<F>::template leftAdjunct<FA>([](const FA& x) { return x; }, a);
  }
  // rightAdjunct of the identity (on G A), at a.
  template <class A>
  static auto counit(const A& a) {
    using GA = basis::Apply<typename Adjunction<F>::Right, A>;
    return Adjunction<F>::template rightAdjunct<GA>([](const GA& x) { return x; }, a);
  }
  // G's contramap of h over unit(a).
  template <class X, class H, class A>
  static auto leftAdjunct(H h, const A& a) {
    using G = typename Adjunction<F>::Right;
    return basis::Contravariant<G>::template contramap<X>(std::move(h), Adjunction<F>::unit(a));
  }
  // F's contramap of h over counit(b).
  template <class X, class H, class B>
  static auto rightAdjunct(H h, const B& b) {
    return basis::Contravariant<F>::template contramap<X>(std::move(h), Adjunction<F>::counit(b));
  }
};

template <class F, class A>
auto unit(const A& a) {
  return Adjunction<F>::unit(a);
}
template <class F, class A>
auto counit(const A& a) {
  return Adjunction<F>::counit(a);
}

namespace detail {
template <class X, class H>
using ArgOr = std::conditional_t<std::is_void_v<X>, basis::callable_arg_t<H>, X>;
}  // namespace detail

// h (from X to F A) as a function from A to G X.
template <class F, class X = void, class H>
auto leftAdjunct(H h) {
  using Arg = detail::ArgOr<X, H>;
  return [hp = tandemory::detail::share(std::move(h))](const auto& a) {
    return Adjunction<F>::template leftAdjunct<Arg>(*hp, a);
  };
}
template <class F, class X = void, class H, class A>
auto leftAdjunct(H h, const A& a) {
  return Adjunction<F>::template leftAdjunct<detail::ArgOr<X, H>>(std::move(h), a);
}
// h (from X to G B) as a function from B to F X.
template <class F, class X = void, class H>
auto rightAdjunct(H h) {
  using Arg = detail::ArgOr<X, H>;
  return [hp = tandemory::detail::share(std::move(h))](const auto& b) {
    return Adjunction<F>::template rightAdjunct<Arg>(*hp, b);
  };
}
template <class F, class X = void, class H, class B>
auto rightAdjunct(H h, const B& b) {
  return Adjunction<F>::template rightAdjunct<detail::ArgOr<X, H>>(std::move(h), b);
}

// ---------------------------------------------------------------------------
// Derived operations.

// dimap of p with leftAdjunct on the input side and H's mapping of
// rightAdjunct on the output side: from P (A -> G B) (H (C -> G D)) to
// P (B -> F A) (H (D -> F C)). Functions are passed as std::function.
template <class F, class H, basis::HasBiTag PV>
auto adjuncted(const PV& p) {
  using P = basis::bitag_of<PV>;
  using In = basis::first_of<PV>;    // std::function<G B (const A&)>
  using Out = basis::second_of<PV>;  // H (std::function<G D (const C&)>)
  using Inner = basis::element_of<Out>;
  using A = basis::callable_arg_t<In>;
  using B = basis::element_of<std::invoke_result_t<In, const A&>>;
  using C = basis::callable_arg_t<Inner>;
  using D = basis::element_of<std::invoke_result_t<Inner, const C&>>;
  using FromB = std::function<basis::Apply<F, A>(const B&)>;
  return basis::Profunctor<P>::template dimap<FromB>(
      [](const FromB& h) { return In([h](const A& a) { return Adjunction<F>::template leftAdjunct<B>(h, a); }); },
      [](const Out& t) {
        return basis::Functor<H>::fmap(
            [](const Inner& k) {
              return std::function<basis::Apply<F, C>(const D&)>(
                  [k](const D& d) { return Adjunction<F>::template rightAdjunct<C>(k, d); });
            },
            t);
      },
      p);
}

// leftAdjunct h at the unit value: h from A to F () gives a G A.
template <class F, class A, class H>
auto contrarepAdjunction(H h) {
  return Adjunction<F>::template leftAdjunct<A>(std::move(h), basis::Unit{});
}
template <class F, class H>
  requires requires { typename basis::callable_arg_t<H>; }
auto contrarepAdjunction(H h) {
  return contrarepAdjunction<F, basis::callable_arg_t<H>>(std::move(h));
}

// rightAdjunct of the function that ignores its argument and yields x (a G A):
// a function from A to F ().
template <class F, basis::HasTag GA>
auto coindexAdjunction(const GA& x) {
  return [x](const basis::element_of<GA>& a) {
    return Adjunction<F>::template rightAdjunct<basis::Unit>([x](const basis::Unit&) { return x; }, a);
  };
}

// ---------------------------------------------------------------------------
// Implementations.

namespace detail {
// Op R and Predicate: unit a holds the function that applies its argument's
// function to a; leftAdjunct h a holds the function taking b to h(b)'s
// function at a.
template <class Tag, template <class> class C>
struct SelfAdjunction {
  using Right = Tag;
  template <class A>
  static C<C<A>> unit(const A& a) {
    return {[a](const C<A>& k) { return k(a); }};
  }
  template <class A>
  static C<C<A>> counit(const A& a) {
    return unit(a);
  }
  template <class X, class H, class A>
  static C<X> leftAdjunct(H h, const A& a) {
    return {[h = std::move(h), a](const X& b) { return h(b)(a); }};
  }
  template <class X, class H, class B>
  static C<X> rightAdjunct(H h, const B& b) {
    return leftAdjunct<X>(std::move(h), b);
  }
};
template <class R>
struct OpAs {
  template <class A>
  using type = basis::Op<R, A>;
};
}  // namespace detail

template <class R>
struct Adjunction<basis::OpOf<R>> : detail::SelfAdjunction<basis::OpOf<R>, detail::OpAs<R>::template type> {};
template <>
struct Adjunction<basis::PredicateTag> : detail::SelfAdjunction<basis::PredicateTag, basis::Predicate> {};

}  // namespace tandemory::contravariant
