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
#include "tandemory/internal/function_parts.hpp"
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
// X when named, else the parameter type of h (absent for a generic h). Chosen
// lazily, so that a named X lets h be generic.
template <class X, class H>
struct ArgOrOf {
  using type = X;
};
template <class H>
struct ArgOrOf<void, H> : basis::detail::CallableArg<std::remove_cvref_t<H>> {};
template <class X, class H>
using ArgOr = typename ArgOrOf<X, H>::type;

// The element type of h's result at its argument: the parameter type of
// leftAdjunct h and of rightAdjunct h. Absent when it cannot be read off.
template <class X, class H>
struct ResultElementOf {};
template <class X, class H>
  requires requires { typename basis::element_of<std::invoke_result_t<const H&, const ArgOr<X, H>&>>; }
struct ResultElementOf<X, H> {
  using type = basis::element_of<std::invoke_result_t<const H&, const ArgOr<X, H>&>>;
};

// The function of one argument that hands h's shared copy and the argument
// to adjunct: its parameter is the element type of h's result when that can
// be read off (so the function can itself be given to an adjunct), else
// generic.
template <class X, class H, class Adjunct>
auto partialAdjunct(H h, Adjunct adjunct) {
  auto hp = tandemory::detail::share(std::move(h));
  if constexpr (requires { typename ResultElementOf<X, H>::type; }) {
    using A = typename ResultElementOf<X, H>::type;
    return [hp, adjunct](const A& a) { return adjunct(*hp, a); };
  } else {
    return [hp, adjunct](const auto& a) { return adjunct(*hp, a); };
  }
}
}  // namespace detail

// h (from X to F A) as a function from A to G X.
template <class F, class X = void, class H>
auto leftAdjunct(H h) {
  using Arg = detail::ArgOr<X, H>;
  return detail::partialAdjunct<X>(std::move(h), [](const H& k, const auto& a) {
    return Adjunction<F>::template leftAdjunct<Arg>(k, a);
  });
}
template <class F, class X = void, class H, class A>
auto leftAdjunct(H h, const A& a) {
  return Adjunction<F>::template leftAdjunct<detail::ArgOr<X, H>>(std::move(h), a);
}
// h (from X to G B) as a function from B to F X.
template <class F, class X = void, class H>
auto rightAdjunct(H h) {
  using Arg = detail::ArgOr<X, H>;
  return detail::partialAdjunct<X>(std::move(h), [](const H& k, const auto& b) {
    return Adjunction<F>::template rightAdjunct<Arg>(k, b);
  });
}
template <class F, class X = void, class H, class B>
auto rightAdjunct(H h, const B& b) {
  return Adjunction<F>::template rightAdjunct<detail::ArgOr<X, H>>(std::move(h), b);
}

// ---------------------------------------------------------------------------
// Derived operations.

// dimap of p with leftAdjunct on the input side and H's mapping of
// rightAdjunct on the output side: from P (A -> G B) (H (C -> G D)) to
// P (B -> F A) (H (D -> F C)). p and the functions it takes and gives may be
// any callables with one declared parameter type; the results are
// std::function.
template <class F, class H, tandemory::detail::ArrowLike PV>
auto adjuncted(const PV& p) {
  using Parts = tandemory::detail::ArrowParts<PV>;
  using P = typename Parts::Tag;
  using In = typename Parts::In;    // G B from A
  using Out = typename Parts::Out;  // H (G D from C)
  using Inner = basis::element_of<Out>;
  using A = tandemory::detail::param_of<In>;
  using B = basis::element_of<tandemory::detail::result_of<In>>;
  using C = tandemory::detail::param_of<Inner>;
  using D = basis::element_of<tandemory::detail::result_of<Inner>>;
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
      Parts::value(p));
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
