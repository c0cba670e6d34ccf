#pragma once
// Crosswalk<T>: a traversal through an alignment. `crosswalk(g, t)` applies
// g (an element to a container of an aligning shape F) to every element of t
// and aligns the results into one F-container of T-containers: a position
// held by only some of the results survives, and an empty t gives F's nil.
// `sequenceL(t)` does the same for a t of F-containers. Bicrosswalk<P> does
// it for two-sided containers (Either, These) with one function per side.
//
// The target shape F is the shape of g's result (of t's elements for
// sequenceL). A specialisation gives crosswalk or sequenceL and inherits the
// defaults for the other. The traversed container must be finite: the results
// of g are computed front to back, then aligned from the back.

#include <optional>
#include <utility>
#include <vector>

#include <basis/bifunctor.hpp>
#include <basis/compose.hpp>
#include <basis/functor.hpp>
#include <basis/list.hpp>
#include <basis/seq.hpp>
#include <basis/seq_interfaces.hpp>
#include <basis/types.hpp>
#include <basis/vector.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

template <class T>
struct Crosswalk;
template <class P>
struct Bicrosswalk;

namespace detail {
// The container g yields for an element A, and its shape and element.
template <class Fn, class A>
using Walked = basis::demanded_t<std::invoke_result_t<Fn&, const A&>>;
template <class Fn, class A>
using WalkShape = basis::tag_of<Walked<Fn, A>>;
template <class Fn, class A>
using WalkElement = basis::element_of<Walked<Fn, A>>;
}  // namespace detail

template <class T>
struct CrosswalkDefaults {
  // sequenceL of t mapped with g.
  template <class Fn, class TA>
  static auto crosswalk(Fn g, const TA& t) {
    return Crosswalk<T>::sequenceL(basis::Functor<T>::fmap(std::move(g), t));
  }
  // crosswalk with the identity.
  template <class TF>
  static auto sequenceL(const TF& t) {
    return Crosswalk<T>::crosswalk(detail::Id{}, t);
  }
};

template <class P>
struct BicrosswalkDefaults {
  template <class Fn, class Gn, class PAB>
  static auto bicrosswalk(Fn g1, Gn g2, const PAB& t) {
    return Bicrosswalk<P>::bisequenceL(basis::Bifunctor<P>::bimap(std::move(g1), std::move(g2), t));
  }
  template <class PFF>
  static auto bisequenceL(const PFF& t) {
    return Bicrosswalk<P>::bicrosswalk(detail::Id{}, detail::Id{}, t);
  }
};

// Front ends.
template <class Fn, basis::HasTag TA>
auto crosswalk(Fn&& g, const TA& t) {
  return Crosswalk<basis::tag_of<TA>>::crosswalk(std::forward<Fn>(g), t);
}
template <basis::HasTag TF>
auto sequenceL(const TF& t) {
  return Crosswalk<basis::tag_of<TF>>::sequenceL(t);
}
template <class Fn, class Gn, basis::HasBiTag PAB>
auto bicrosswalk(Fn&& g1, Gn&& g2, const PAB& t) {
  return Bicrosswalk<basis::bitag_of<PAB>>::bicrosswalk(std::forward<Fn>(g1), std::forward<Gn>(g2), t);
}
template <basis::HasBiTag PFF>
auto bisequenceL(const PFF& t) {
  return Bicrosswalk<basis::bitag_of<PFF>>::bisequenceL(t);
}

namespace detail {

// The results of g on the elements front to back, aligned from the back into
// an F-container of S-containers: `single(b)` makes a one-element S, `push(b,
// s)` puts b in front of s. An empty range gives F's nil. With a lazy target
// shape, reading the result nests one level per element of the range.
template <class S, class Fn, class Range, class Single, class Push>
auto crosswalkElements(Fn& g, const Range& xs, Single single, Push push) {
  using A = std::remove_cvref_t<decltype(basis::forced(*std::begin(xs)))>;
  using F = WalkShape<Fn, A>;
  using B = WalkElement<Fn, A>;
  std::vector<Walked<Fn, A>> results;
  for (const auto& x : xs) results.push_back(basis::demand(g(basis::forced(x))));
  basis::Apply<F, S> acc = Align<F>::template nil<S>();
  for (auto it = results.rbegin(); it != results.rend(); ++it) {
    // The combining function is kept by lazy shapes: it holds its own copies.
    acc = Juxtor<F>::alignWith(
        [single, push](const These<B, S>& t) -> S {
          return t.fold([&](const B& b) { return single(b); }, [](const S& s) { return s; },
                        [&](const B& b, const S& s) { return push(b, s); });
        },
        *it, acc);
  }
  return acc;
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Implementations.

template <>
struct Crosswalk<basis::IdentityTag> : CrosswalkDefaults<basis::IdentityTag> {
  // g's result with each element wrapped.
  template <class Fn, class A>
  static auto crosswalk(Fn g, const basis::Identity<A>& t) {
    using B = detail::WalkElement<Fn, A>;
    return basis::Functor<detail::WalkShape<Fn, A>>::fmap([](const B& b) { return basis::Identity<B>{b}; },
                                                          basis::demand(g(t.value)));
  }
};

template <>
struct Crosswalk<basis::OptionalTag> : CrosswalkDefaults<basis::OptionalTag> {
  // nil for nothing, else g's result with each element made present.
  template <class Fn, class A>
  static auto crosswalk(Fn g, const std::optional<A>& t) {
    using F = detail::WalkShape<Fn, A>;
    using B = detail::WalkElement<Fn, A>;
    if (!t) return Align<F>::template nil<std::optional<B>>();
    return basis::Functor<F>::fmap([](const B& b) { return std::optional<B>(b); }, basis::demand(g(*t)));
  }
};

template <>
struct Crosswalk<basis::ListTag> : CrosswalkDefaults<basis::ListTag> {
  // The results aligned position by position into lists, the first element's
  // result on the left.
  template <class Fn, class A>
  static auto crosswalk(Fn g, const basis::List<A>& t) {
    using B = detail::WalkElement<Fn, A>;
    using S = basis::List<B>;
    return detail::crosswalkElements<S>(
        g, t, [](const B& b) { return S::cons(basis::Lazy<B>(b), S()); },
        [](const B& b, const S& s) { return S::cons(basis::Lazy<B>(b), s); });
  }
};

template <>
struct Crosswalk<basis::SeqTag> : CrosswalkDefaults<basis::SeqTag> {
  template <class Fn, class A>
  static auto crosswalk(Fn g, const basis::Seq<A>& t) {
    using B = detail::WalkElement<Fn, A>;
    using S = basis::Seq<B>;
    return detail::crosswalkElements<S>(
        g, t, [](const B& b) { return S::cons(b, S()); }, [](const B& b, const S& s) { return S::cons(b, s); });
  }
};

// The list crosswalk of the elements, each list then made a vector.
template <>
struct Crosswalk<basis::BoxedVectorTag> : CrosswalkDefaults<basis::BoxedVectorTag> {
  template <class Fn, class A>
  static auto crosswalk(Fn g, const basis::Vector<A>& t) {
    using B = detail::WalkElement<Fn, A>;
    using S = basis::List<B>;
    std::vector<A> elements = t.toVector();
    auto lists = detail::crosswalkElements<S>(
        g, elements, [](const B& b) { return S::cons(basis::Lazy<B>(b), S()); },
        [](const B& b, const S& s) { return S::cons(basis::Lazy<B>(b), s); });
    return basis::Functor<detail::WalkShape<Fn, A>>::fmap([](const S& s) { return basis::Vector<B>::fromList(s); },
                                                          lists);
  }
};

// These<L, _> over its second component.
template <class L>
struct Crosswalk<basis::TheseOf<L>> : CrosswalkDefaults<basis::TheseOf<L>> {
  template <class Fn, class A>
  static auto crosswalk(Fn g, const These<L, A>& t) {
    using F = detail::WalkShape<Fn, A>;
    using B = detail::WalkElement<Fn, A>;
    using R = These<L, B>;
    if (t.isThis()) return Align<F>::template nil<R>();
    if (t.isThat()) return basis::Functor<F>::fmap([](const B& b) { return R::that(b); }, basis::demand(g(*t.therePtr())));
    const L a = *t.herePtr();
    return basis::Functor<F>::fmap([a](const B& b) { return R::these(a, b); }, basis::demand(g(*t.therePtr())));
  }
};

// Pairs (a, _) over their second component.
template <class L>
struct Crosswalk<basis::PairOf<L>> : CrosswalkDefaults<basis::PairOf<L>> {
  template <class Fn, class A>
  static auto crosswalk(Fn g, const std::pair<L, A>& t) {
    using B = detail::WalkElement<Fn, A>;
    return basis::Functor<detail::WalkShape<Fn, A>>::fmap([a = t.first](const B& b) { return std::pair<L, B>(a, b); },
                                                          basis::demand(g(t.second)));
  }
};

// The outer crosswalk of the inner crosswalk, wrapped.
template <class F, class G>
struct Crosswalk<basis::ComposeOf<F, G>> : CrosswalkDefaults<basis::ComposeOf<F, G>> {
  template <class Fn, class A>
  static auto crosswalk(Fn h, const basis::Compose<F, G, A>& t) {
    using B = detail::WalkElement<Fn, A>;
    using H = detail::WalkShape<Fn, A>;
    auto inner = [h](const basis::Apply<G, A>& ga) { return Crosswalk<G>::crosswalk(h, ga); };
    return basis::Functor<H>::fmap([](const basis::Apply<F, basis::Apply<G, B>>& v) { return basis::Compose<F, G, B>{v}; },
                                   Crosswalk<F>::crosswalk(inner, t.value));
  }
};

template <>
struct Bicrosswalk<basis::EitherTag> : BicrosswalkDefaults<basis::EitherTag> {
  // g1's result made Left, or g2's made Right.
  template <class Fn, class Gn, class A, class B>
  static auto bicrosswalk(Fn g1, Gn g2, const basis::Either<A, B>& t) {
    using F = detail::WalkShape<Fn, A>;
    using C = detail::WalkElement<Fn, A>;
    using D = detail::WalkElement<Gn, B>;
    using R = basis::Either<C, D>;
    if (const A* a = t.leftPtr()) {
      return basis::Functor<F>::fmap([](const C& c) { return R(basis::Left<C>{c}); }, basis::demand(g1(*a)));
    }
    return basis::Functor<F>::fmap([](const D& d) { return R(basis::Right<D>{d}); }, basis::demand(g2(t.fromRight())));
  }
};

template <>
struct Bicrosswalk<basis::TheseTag> : BicrosswalkDefaults<basis::TheseTag> {
  // This and That map their side's result; These aligns the two results.
  template <class Fn, class Gn, class A, class B>
  static auto bicrosswalk(Fn g1, Gn g2, const These<A, B>& t) {
    using F = detail::WalkShape<Fn, A>;
    using C = detail::WalkElement<Fn, A>;
    using D = detail::WalkElement<Gn, B>;
    using R = These<C, D>;
    if (t.isThis()) return basis::Functor<F>::fmap([](const C& c) { return R::this_(c); }, basis::demand(g1(*t.herePtr())));
    if (t.isThat()) return basis::Functor<F>::fmap([](const D& d) { return R::that(d); }, basis::demand(g2(*t.therePtr())));
    auto&& here = basis::demand(g1(*t.herePtr()));  // the left side's action first
    return Juxtor<F>::align(here, basis::demand(g2(*t.therePtr())));
  }
};

}  // namespace juxtor
