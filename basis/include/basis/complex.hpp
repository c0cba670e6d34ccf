#pragma once
// Complex<A>: a real and an imaginary part of any type, both stored evaluated
// (the platform's `:+`). Unlike std::complex it may hold any element type, so
// it is a functor (foldable, traversable, also over at least one element);
// `toStd` and `fromStd` convert for floating-point parts.

#include <complex>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/distributive.hpp"
#include "basis/foldable.hpp"
#include "basis/foldable1.hpp"
#include "basis/traversable.hpp"
#include "basis/functor.hpp"

namespace basis {

template <class A>
struct Complex {
  A realPart;
  A imagPart;
  friend bool operator==(const Complex&, const Complex&) = default;
};

struct ComplexTag {
  template <class A>
  using apply = Complex<A>;
};
template <class A>
struct TagOf<Complex<A>> {
  using type = ComplexTag;
  using element = A;
};

template <class A>
  requires std::is_floating_point_v<A>
std::complex<A> toStd(const Complex<A>& z) {
  return {z.realPart, z.imagPart};
}
template <class A>
Complex<A> fromStd(const std::complex<A>& z) {
  return {z.real(), z.imag()};
}

// The real part first, then the imaginary part.
template <>
struct Functor<ComplexTag> : FunctorDefaults<ComplexTag> {
  template <class Fn, class A>
  static Complex<Mapped<Fn, A>> fmap(Fn f, const Complex<A>& z) {
    auto re = f(z.realPart);
    return {std::move(re), f(z.imagPart)};
  }
};

// The W-structures of the real parts and of the imaginary parts.
template <>
struct Distributive<ComplexTag> : DistributiveDefaults<ComplexTag> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return Complex<Apply<W, A>>{Functor<W>::fmap([](const Complex<A>& z) { return z.realPart; }, w),
                                Functor<W>::fmap([](const Complex<A>& z) { return z.imagPart; }, w)};
  }
};

// The real part, then the imaginary part.
template <>
struct Foldable<ComplexTag> : FoldableDefaults<ComplexTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const Complex<A>& c) {
    using B = lazy_value_t<Z>;
    // The rest reads the imaginary part in place: like every deferred rest of
    // a fold, it must be forced while c lives.
    auto rest = Lazy<B>::defer([f, z = toLazy(std::move(z)), im = &c.imagPart]() -> B { return f(*im, z); });
    return f(c.realPart, rest);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const Complex<A>& c) {
    lazy_value_t<Z> acc(demand(z));
    acc = f(std::move(acc), c.realPart);
    return f(std::move(acc), c.imagPart);
  }
};

// The real part's action, then the imaginary part's.
template <>
struct Traversable<ComplexTag> : TraversableDefaults<ComplexTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Complex<A>& c) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    auto gp = std::make_shared<Fn>(std::move(g));
    return Applicative<tag_of<GB>>::liftA2([](const B& re, const B& im) { return Complex<B>{re, im}; },
                                           demand((*gp)(c.realPart)),
                                           [gp, im = c.imagPart]() -> GB { return demand((*gp)(im)); });
  }
};

// The real part combined with the imaginary part.
template <>
struct Foldable1<ComplexTag> : Foldable1Defaults<ComplexTag> {
  template <class H, class A>
  static auto foldMap1(H h, const Complex<A>& c) {
    using M = Mapped<H, A>;
    M re = h(c.realPart);
    return combine(re, M(h(c.imagPart)));
  }
};

// The real part's action, then the imaginary part's, by the effect's Apply.
template <>
struct Traversable1<ComplexTag> : Traversable1Defaults<ComplexTag> {
  template <class H, class A>
  static auto traverse1(H h, const Complex<A>& c) {
    using GB = demanded_t<std::invoke_result_t<H&, const A&>>;
    using B = element_of<GB>;
    GB re = demand(h(c.realPart));
    return Semiapplicative<tag_of<GB>>::liftF2([](const B& r, const B& i) { return Complex<B>{r, i}; }, re,
                                               GB(demand(h(c.imagPart))));
  }
};

}  // namespace basis
