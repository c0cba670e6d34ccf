#pragma once
// Contravariant representable functors: contravariant functors F whose
// values are functions into a fixed result type Rep<F> (a Predicate is a
// function to bool, an Op<R> a function to R).
//
//   contravariant::Representable<F>   the interface: Rep, tabulate<A>(h),
//                                     index(p, a), contramapWithRep<B>(g, p)
//   contravariant::tabulate<F[, A]>(h)    the F A of h: A -> Rep
//   contravariant::index(p[, a])          p's function (at a)
//   contravariant::contramapWithRep<F[, B]>(g, p)
//                                     p adapted through g: B -> Either A Rep,
//                                     a Right answering directly
//   contravariant::contramapRep(f, p), tabulated<F, G, H>(p)
//   the implementations for Proxy, U1, Op<R>, Predicate and the contravariant
//   Product and GProduct (Rep is the pair of the halves' Reps)
//
// C++ cannot read the argument type off a generic lambda, so the operations
// that build an F A from a function take A explicitly, or read it off a
// callable with one fixed parameter type. Nothing here raises of its own.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/contravariant.hpp"
#include "basis/functor.hpp"
#include "basis/generic1.hpp"
#include "basis/lazy.hpp"
#include "basis/product.hpp"
#include "basis/profunctor.hpp"
#include "basis/stack.hpp"
#include "basis/tagged.hpp"
#include "basis/types.hpp"
#include "tandemory/internal/function_parts.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory::contravariant {

// A specialisation (per tag of a contravariant functor F, which has
// basis::Contravariant<F>) gives:
//
//   using Rep = <the result type>;
//   template <class A, class H> static Apply<F, A> tabulate(H h);   // h: A -> Rep
//   template <class A> static Rep index(const Apply<F, A>& p, const A& a);
//   template <class B, class G, class A>
//   static Apply<F, B> contramapWithRep(G g, const Apply<F, A>& p);
//
// and may inherit RepresentableDefaults<F> for contramapWithRep. Laws: index
// of tabulate(h) is h; tabulate of index(p) is p; contramapWithRep agrees
// with the default.
template <class F>
struct Representable;

template <class F>
using Rep = typename Representable<F>::Rep;

// contramapWithRep g p: the F B whose function, given b, evaluates g(b) and
// yields index p at a for Left a, r for Right r.
template <class F>
struct RepresentableDefaults {
  template <class B, class G, class FA>
  static auto contramapWithRep(G g, const FA& p) {
    using A = basis::element_of<FA>;
    using R = typename Representable<F>::Rep;
    return Representable<F>::template tabulate<B>([g = std::move(g), p = tandemory::detail::share(p)](const B& b) -> R {
      auto e = g(b);
      if (const auto* a = e.leftPtr()) return Representable<F>::index(*p, A(*a));
      return R(e.fromRight());
    });
  }
};

// The F A whose function is h (A named, or read off h's parameter type).
template <class F, class A, class H>
auto tabulate(H h) {
  return Representable<F>::template tabulate<A>(std::move(h));
}
template <class F, class H>
  requires requires { typename basis::callable_arg_t<H>; }
auto tabulate(H h) {
  return Representable<F>::template tabulate<basis::callable_arg_t<H>>(std::move(h));
}

// p's function at a.
template <basis::HasTag FA>
Rep<basis::tag_of<FA>> index(const FA& p, const basis::element_of<FA>& a) {
  return Representable<basis::tag_of<FA>>::index(p, a);
}
// p's function, sharing one copy of p.
template <basis::HasTag FA>
auto index(const FA& p) {
  using F = basis::tag_of<FA>;
  return [q = tandemory::detail::share(p)](const basis::element_of<FA>& a) { return Representable<F>::index(*q, a); };
}

// p adapted to B through g (from B to Either A Rep): a Right answer is the
// result, a Left a is read through p. B named, or read off g's parameter.
template <class B, basis::HasTag FA, class G>
auto contramapWithRep(G g, const FA& p) {
  return Representable<basis::tag_of<FA>>::template contramapWithRep<B>(std::move(g), p);
}
template <basis::HasTag FA, class G>
  requires requires { typename basis::callable_arg_t<G>; }
auto contramapWithRep(G g, const FA& p) {
  return Representable<basis::tag_of<FA>>::template contramapWithRep<basis::callable_arg_t<G>>(std::move(g), p);
}

// The F B whose function, given b, reads p at f(b).
template <class B, class Fn, basis::HasTag FA>
auto contramapRep(Fn f, const FA& p) {
  using F = basis::tag_of<FA>;
  return Representable<F>::template tabulate<B>(
      [f = std::move(f), p = tandemory::detail::share(p)](const B& b) { return Representable<F>::index(*p, f(b)); });
}
template <class Fn, basis::HasTag FA>
  requires requires { typename basis::callable_arg_t<Fn>; }
auto contramapRep(Fn f, const FA& p) {
  return contramapRep<basis::callable_arg_t<Fn>>(std::move(f), p);
}

// dimap of p with F's tabulate on the input side and H's mapping of G's index
// on the output side: from P (F A) (H (G B)) to P (A -> Rep F) (H (B -> Rep G)).
template <class F, class G, class H, tandemory::detail::ArrowLike PV>
auto tabulated(const PV& p) {
  using Parts = tandemory::detail::ArrowParts<PV>;
  using P = typename Parts::Tag;
  using A = basis::element_of<typename Parts::In>;
  using HGB = typename Parts::Out;
  using GB = basis::element_of<HGB>;
  using B = basis::element_of<GB>;
  using In = std::function<Rep<F>(const A&)>;
  return basis::Profunctor<P>::template dimap<In>(
      [](const In& h) { return Representable<F>::template tabulate<A>(h); },
      [](const HGB& t) {
        return basis::Functor<H>::fmap([](const GB& g) { return std::function<Rep<G>(const B&)>(contravariant::index(g)); }, t);
      },
      Parts::value(p));
}

// ---------------------------------------------------------------------------
// Implementations.

namespace detail {
// A structure that consumes nothing: the unit result for every argument.
template <template <class> class C>
struct EmptyRepresentable {
  using Rep = basis::Unit;
  template <class A, class H>
  static C<A> tabulate(H) {
    return {};
  }
  template <class A>
  static basis::Unit index(const C<A>&, const A&) {
    return {};
  }
  template <class B, class G, class A>
  static C<B> contramapWithRep(G, const C<A>&) {
    return {};
  }
};
}  // namespace detail

template <>
struct Representable<basis::ProxyTag> : detail::EmptyRepresentable<basis::Proxy> {};
template <>
struct Representable<basis::U1Tag> : detail::EmptyRepresentable<basis::U1> {};

// The held function is the table.
template <class R>
struct Representable<basis::OpOf<R>> {
  using Rep = R;
  template <class A, class H>
  static basis::Op<R, A> tabulate(H h) {
    return {std::move(h)};
  }
  // A function read inside another one's (a chain of contramapRep or
  // contramapWithRep) nests a call: it is made with stack room, and the
  // function adapted by contramapWithRep is held in a shared cell freed with
  // stack room, so chains run and are freed at any depth.
  template <class A>
  static R index(const basis::Op<R, A>& p, const A& a) {
    return basis::withStackRoom([&]() -> R { return p.getOp(a); });
  }
  template <class B, class G, class A>
  static basis::Op<R, B> contramapWithRep(G g, const basis::Op<R, A>& p) {
    return {[g = std::move(g), f = tandemory::detail::share(p.getOp)](const B& b) -> R {
      auto e = g(b);
      if (const auto* a = e.leftPtr()) return basis::withStackRoom([&]() -> R { return (*f)(A(*a)); });
      return R(e.fromRight());
    }};
  }
};
template <>
struct Representable<basis::PredicateTag> {
  using Rep = bool;
  template <class A, class H>
  static basis::Predicate<A> tabulate(H h) {
    return {std::move(h)};
  }
  template <class A>
  static bool index(const basis::Predicate<A>& p, const A& a) {
    return basis::withStackRoom([&]() -> bool { return p.getPredicate(a); });
  }
  template <class B, class G, class A>
  static basis::Predicate<B> contramapWithRep(G g, const basis::Predicate<A>& p) {
    return {[g = std::move(g), f = tandemory::detail::share(p.getPredicate)](const B& b) -> bool {
      auto e = g(b);
      if (const auto* a = e.leftPtr()) return basis::withStackRoom([&]() -> bool { return (*f)(A(*a)); });
      return bool(e.fromRight());
    }};
  }
};

namespace detail {
// Two consumers side by side: the result is the pair of their results; each
// half is built when it is read.
template <class F, class G, template <class, class, class> class P>
struct PairedRepresentable {
  using Rep = std::pair<contravariant::Rep<F>, contravariant::Rep<G>>;
  template <class A, class H>
  static P<F, G, A> tabulate(H h) {
    auto hp = tandemory::detail::share(std::move(h));
    return {basis::Lazy<basis::Apply<F, A>>::defer([hp] {
              return Representable<F>::template tabulate<A>([hp](const A& a) { return Rep((*hp)(a)).first; });
            }),
            basis::Lazy<basis::Apply<G, A>>::defer([hp] {
              return Representable<G>::template tabulate<A>([hp](const A& a) { return Rep((*hp)(a)).second; });
            })};
  }
  template <class A>
  static Rep index(const P<F, G, A>& p, const A& a) {
    return Rep(Representable<F>::index(p.fst(), a), Representable<G>::index(p.snd(), a));
  }
  // Each half adapted by its own contramapWithRep; a Right pair answers the
  // first half with its first component and the second with its second.
  template <class B, class Gn, class A>
  static P<F, G, B> contramapWithRep(Gn g, const P<F, G, A>& p) {
    using RF = contravariant::Rep<F>;
    using RG = contravariant::Rep<G>;
    using EF = basis::Either<A, RF>;
    using EG = basis::Either<A, RG>;
    auto gp = tandemory::detail::share(std::move(g));
    auto g1 = [gp](const B& b) {
      auto e = (*gp)(b);
      if (const auto* a = e.leftPtr()) return EF(basis::Left<A>{A(*a)});
      return EF(basis::Right<RF>{RF(e.fromRight().first)});
    };
    auto g2 = [gp](const B& b) {
      auto e = (*gp)(b);
      if (const auto* a = e.leftPtr()) return EG(basis::Left<A>{A(*a)});
      return EG(basis::Right<RG>{RG(e.fromRight().second)});
    };
    return {basis::Lazy<basis::Apply<F, B>>::defer(
                [g1, x = p.first] { return Representable<F>::template contramapWithRep<B>(g1, x.force()); }),
            basis::Lazy<basis::Apply<G, B>>::defer(
                [g2, y = p.second] { return Representable<G>::template contramapWithRep<B>(g2, y.force()); })};
  }
};
}  // namespace detail

template <class F, class G>
struct Representable<basis::ProductOf<F, G>> : detail::PairedRepresentable<F, G, basis::functor::Product> {};
template <class F, class G>
struct Representable<basis::GProductOf<F, G>> : detail::PairedRepresentable<F, G, basis::GProduct> {};

}  // namespace tandemory::contravariant
