#pragma once
// The Adjunction interface, its defaults, its free functions and the
// operations derived from it. Included by tandemory/functor/adjunction.hpp.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/functor.hpp"
#include "basis/profunctor.hpp"
#include "basis/types.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/internal/function_parts.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

// An adjoint pair: the left adjoint F (the tag this is specialised for) and
// its right adjoint `Right`, so that functions from F A to B correspond one
// to one with functions from A to Right B. A specialisation gives:
//
//   using Right = U;   // representable: Representable<U> and basis::Functor<U>
//   template <class A> static U (F A) unit(const A& a);
//   template <class FUA> static A counit(const F (U A)& x);
//   template <class H, class A> static U B leftAdjunct(H h, const A& a);   // h: F A -> B
//   template <class H, class FA> static B rightAdjunct(H h, const F A& x); // h: A -> U B
//
// and may inherit AdjunctionDefaults<F> for the operations it leaves out: it
// gives at least one of unit / leftAdjunct and one of counit / rightAdjunct.
// F's mapping is basis::Functor<F>; U's is basis::Functor<U>.
template <class F>
struct Adjunction;

// The right adjoint of F.
template <class F>
using RightAdjoint = typename Adjunction<F>::Right;

// The defaults, each in terms of another operation.
template <class F>
struct AdjunctionDefaults {
  // leftAdjunct of the identity, at a.
  template <class A>
  static auto unit(const A& a) {
    return Adjunction<F>::leftAdjunct([](const basis::Apply<F, A>& fa) { return fa; }, a);
  }
  // rightAdjunct of the identity, at x.
  template <class FUA>
  static auto counit(const FUA& x) {
    return Adjunction<F>::rightAdjunct([](const basis::element_of<FUA>& ua) { return ua; }, x);
  }
  // h mapped over unit(a), with U's fmap.
  template <class H, class A>
  static auto leftAdjunct(H h, const A& a) {
    return basis::Functor<typename Adjunction<F>::Right>::fmap(std::move(h), Adjunction<F>::unit(a));
  }
  // counit of h mapped over x, with F's fmap.
  template <class H, class FA>
  static auto rightAdjunct(H h, const FA& x) {
    return Adjunction<F>::counit(basis::Functor<F>::fmap(std::move(h), x));
  }
};

// F has a complete Adjunction specialisation (checked at element type A).
template <class F, class A = detail::ProbeA>
concept AdjunctionTag = requires { typename Adjunction<F>::Right; } && RepresentableTag<RightAdjoint<F>> &&
                        basis::FunctorTag<F> && requires(const A& a) {
                          { Adjunction<F>::unit(a) } -> std::same_as<basis::Apply<RightAdjoint<F>, basis::Apply<F, A>>>;
                        };

// U (F a): the unit of the adjunction at a.
template <class F, class A>
auto unit(const A& a) {
  return Adjunction<F>::unit(a);
}
// The counit at x, an F of U-structures; F is x's tag unless named.
template <class F = void, class FUA>
auto counit(const FUA& x) {
  using L = std::conditional_t<std::is_void_v<F>, basis::tag_of<FUA>, F>;
  return Adjunction<L>::counit(x);
}
// h (from F A to B) as a function from A to U B; calls nothing until applied.
template <class F, class H>
auto leftAdjunct(H h) {
  return [hp = detail::share(std::move(h))](const auto& a) { return Adjunction<F>::leftAdjunct(*hp, a); };
}
// leftAdjunct(h) applied to a.
template <class F, class H, class A>
auto leftAdjunct(H h, const A& a) {
  return Adjunction<F>::leftAdjunct(std::move(h), a);
}
// h (from A to U B) as a function from F A to B; calls nothing until applied.
template <class F, class H>
auto rightAdjunct(H h) {
  return [hp = detail::share(std::move(h))](const auto& x) { return Adjunction<F>::rightAdjunct(*hp, x); };
}
// rightAdjunct(h) applied to x; F is x's tag unless named.
template <class F = void, class H, class FA>
auto rightAdjunct(H h, const FA& x) {
  using L = std::conditional_t<std::is_void_v<F>, basis::tag_of<FA>, F>;
  return Adjunction<L>::rightAdjunct(std::move(h), x);
}

// ---------------------------------------------------------------------------
// Derived operations.

// p with leftAdjunct on its input side and G's mapping of rightAdjunct on its
// output side: from P (A -> U B) (G (C -> U D)) to P (F A -> B) (G (F C -> D)).
// p and the functions it takes and gives may be any callables with one
// declared parameter type; the results are std::function.
template <class F, class G, detail::ArrowLike PV>
auto adjuncted(const PV& p) {
  using Parts = detail::ArrowParts<PV>;
  using P = typename Parts::Tag;
  using In = typename Parts::In;          // U B from A
  using Out = typename Parts::Out;        // G (U D from C)
  using A = detail::param_of<In>;
  using B = basis::element_of<detail::result_of<In>>;
  using Inner = basis::element_of<Out>;   // U D from C
  using C = detail::param_of<Inner>;
  using D = basis::element_of<detail::result_of<Inner>>;
  using FA = basis::Apply<F, A>;
  using FC = basis::Apply<F, C>;
  return basis::Profunctor<P>::template dimap<std::function<B(const FA&)>>(
      [](const std::function<B(const FA&)>& h) { return In(leftAdjunct<F>(h)); },
      [](const Out& g) {
        return basis::Functor<G>::fmap([](const Inner& k) { return std::function<D(const FC&)>(rightAdjunct<F>(k)); }, g);
      },
      Parts::value(p));
}

// U B from a function h of shapes F (): leftAdjunct h at the unit value.
template <class F, class H>
auto tabulateAdjunction(H h) {
  return Adjunction<F>::leftAdjunct(std::move(h), basis::Unit{});
}

// The function from F A to B that reads t (a U B) at the shape of its
// argument; the argument's element is never used.
template <class F, class UB>
auto indexAdjunction(const UB& t) {
  return rightAdjunct<F>([t](const auto&) { return t; });
}

// The function from F B to C that zips h over t (a U A) at its argument.
template <class F, class H, class UA>
auto zapWithAdjunction(H h, const UA& t) {
  using U = basis::tag_of<UA>;
  using A = basis::element_of<UA>;
  return rightAdjunct<F>([h = detail::share(std::move(h)), t](const auto& b) {
    return basis::Functor<U>::fmap([h, b](const A& a) { return (*h)(a, b); }, t);
  });
}

// The element of x and x's shape: (a, F ()).
template <class FA>
auto splitL(const FA& x) {
  using F = basis::tag_of<FA>;
  using A = basis::element_of<FA>;
  using Shape = basis::Apply<F, basis::Unit>;
  return Adjunction<F>::rightAdjunct(
      [](const A& a) {
        return Adjunction<F>::leftAdjunct([a](const Shape& s) { return std::pair<A, Shape>(a, s); }, basis::Unit{});
      },
      x);
}

// The one element of x.
template <class FA>
basis::element_of<FA> extractL(const FA& x) {
  return splitL(x).first;
}

// The shape s holding a. Needs only F's Functor.
template <class A, basis::HasTag FU>
auto unsplitL(const A& a, const FU& s) {
  return basis::Functor<basis::tag_of<FU>>::replace(a, s);
}

// x with its element replaced by x itself.
template <basis::HasTag FA>
auto duplicateL(const FA& x) {
  return basis::Functor<basis::tag_of<FA>>::replace(x, x);
}

// The U of pairs from a pair of U-structures.
template <class F, class UA, class UB>
auto zipR(const std::pair<UA, UB>& p) {
  using A = basis::element_of<UA>;
  using B = basis::element_of<UB>;
  using P = std::pair<UA, UB>;
  return Adjunction<F>::leftAdjunct(
      [](const basis::Apply<F, P>& fp) {
        A a = Adjunction<F>::rightAdjunct([](const P& q) { return q.first; }, fp);
        B b = Adjunction<F>::rightAdjunct([](const P& q) { return q.second; }, fp);
        return std::pair<A, B>(std::move(a), std::move(b));
      },
      p);
}

// The pair of U-structures of the first and of the second components. Needs
// only U's Functor.
template <basis::HasTag UP>
auto unzipR(const UP& p) {
  using U = basis::tag_of<UP>;
  using P = basis::element_of<UP>;
  return std::pair(basis::Functor<U>::fmap([](const P& q) { return q.first; }, p),
                   basis::Functor<U>::fmap([](const P& q) { return q.second; }, p));
}

// From the impossible value: never returns.
template <class F>
[[noreturn]] basis::Apply<F, basis::Void> absurdL(const basis::Void& v) {
  basis::absurd<basis::Apply<F, basis::Void>>(v);
}

// rightAdjunct of absurd: an F Void holds no value, so this never returns.
template <basis::HasTag FV>
[[noreturn]] basis::Void unabsurdL(const FV& x) {
  using F = basis::tag_of<FV>;
  using U = RightAdjoint<F>;
  Adjunction<F>::rightAdjunct([](const basis::Void& v) { return basis::absurd<basis::Apply<U, basis::Void>>(v); }, x);
  __builtin_unreachable();
}

// Either an F of the Left values or an F of the Right values, by the element
// of x.
template <basis::HasTag FE>
auto cozipL(const FE& x) {
  using F = basis::tag_of<FE>;
  using E = basis::element_of<FE>;
  using A = std::remove_cvref_t<decltype(std::declval<E>().fromLeft())>;
  using B = std::remove_cvref_t<decltype(std::declval<E>().fromRight())>;
  using FA = basis::Apply<F, A>;
  using FB = basis::Apply<F, B>;
  using R = basis::Either<FA, FB>;
  return Adjunction<F>::rightAdjunct(
      [](const E& e) {
        if (const A* a = e.leftPtr())
          return Adjunction<F>::leftAdjunct([](const FA& fa) { return R(basis::Left<FA>{fa}); }, *a);
        return Adjunction<F>::leftAdjunct([](const FB& fb) { return R(basis::Right<FB>{fb}); }, e.fromRight());
      },
      x);
}

// An F of Eithers from either side. Needs only F's Functor.
template <class FA, class FB>
auto uncozipL(const basis::Either<FA, FB>& e) {
  using F = basis::tag_of<FA>;
  using A = basis::element_of<FA>;
  using B = basis::element_of<FB>;
  using E = basis::Either<A, B>;
  if (const FA* l = e.leftPtr()) return basis::Functor<F>::fmap([](const A& a) { return E(basis::Left<A>{a}); }, *l);
  return basis::Functor<F>::fmap([](const B& b) { return E(basis::Right<B>{b}); }, e.fromRight());
}

}  // namespace tandemory
