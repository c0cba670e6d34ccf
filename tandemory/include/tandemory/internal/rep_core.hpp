#pragma once
// The Representable interface, its free functions, the generic defaults
// (GTabulate, GIndex, gtabulate, gindex) and WrappedRep. Included by
// tandemory/functor/rep.hpp.

#include <concepts>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/contravariant.hpp"
#include "basis/distributive.hpp"
#include "basis/functor.hpp"
#include "basis/generic1.hpp"
#include "basis/lazy.hpp"
#include "basis/types.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

// A functor F whose values are complete tables over a fixed type of
// positions, Representable<F>::Rep. A specialisation (per tag) gives:
//
//   using Rep = <the representing type>;
//   template <class H> static Apply<F, A> tabulate(H h);  // h: Rep -> A
//   template <class A> static A index(const Apply<F, A>& w, const Rep& k);
//
// and F has basis::Functor (and basis::Distributive) specialisations: they
// stand for the interface's Distributive prerequisite. The two laws: index of
// tabulate(h) at k is h(k), and tabulate of index(w) holds w's values.
// A structure that stores its values (Identity, Complex, pairs) calls h once
// per position when tabulate builds it; function tables call h at every read;
// Product, Cofree and the generic product defer their parts until read.
template <class F>
struct Representable;

// The representing type of F.
template <class F>
using Rep = typename Representable<F>::Rep;

namespace detail {
struct ProbeA {
  friend bool operator==(const ProbeA&, const ProbeA&) = default;
};
// The result type of h at a position of F.
template <class F, class H>
using AtRep = Decay<std::invoke_result_t<H&, const Rep<F>&>>;
}  // namespace detail

// F has a complete Representable specialisation (and a Functor).
template <class F>
concept RepresentableTag =
    basis::FunctorTag<F> && requires { typename Representable<F>::Rep; } &&
    requires(const basis::Apply<F, detail::ProbeA>& w, const Rep<F>& k, detail::ProbeA (*h)(const Rep<F>&)) {
      { Representable<F>::tabulate(h) } -> std::same_as<basis::Apply<F, detail::ProbeA>>;
      { Representable<F>::index(w, k) } -> std::convertible_to<detail::ProbeA>;
    };

// The F whose value at each position k is h(k). Cost and evaluation as F's
// specialisation says; throws only what h throws where F calls it.
template <class F, class H>
auto tabulate(H&& h) {
  return Representable<F>::tabulate(std::forward<H>(h));
}

// The value w holds at position k (a copy). Throws what reading w throws.
template <basis::HasTag FA>
basis::element_of<FA> index(const FA& w, const Rep<basis::tag_of<FA>>& k) {
  return Representable<basis::tag_of<FA>>::index(w, k);
}

// index applied to w alone: a function awaiting the position, sharing one
// copy of w across every position it is applied to.
template <basis::HasTag FA>
auto index(const FA& w) {
  using F = basis::tag_of<FA>;
  return [p = detail::share(w)](const Rep<F>& k) -> basis::element_of<FA> { return Representable<F>::index(*p, k); };
}

// ---------------------------------------------------------------------------
// WrappedRep: one position of F.

template <class F>
struct WrappedRep {
  Rep<F> unwrapRep;
  friend bool operator==(const WrappedRep&, const WrappedRep&) = default;
};

// The position w holds.
template <class F>
const Rep<F>& unwrapRep(const WrappedRep<F>& w) noexcept {
  return w.unwrapRep;
}

// ---------------------------------------------------------------------------
// The generic defaults. A block B of a generic form (basis/generic1.hpp) has a
// generic representing type GRep<B>; GTabulate<B>::gtabulate_(h) fills the
// block from h, GIndex<B>::gindex_(w, k) reads it. A functor with a
// basis::Generic1 form whose GRep is its Rep may leave tabulate and index to
// gtabulate and gindex by inheriting GenericRepresentable<F>.

template <class B>
struct GRepOf;
template <class B>
using GRep = typename GRepOf<B>::type;

template <class B>
struct GTabulate;
template <class B>
struct GIndex;

template <>
struct GRepOf<basis::Par1Tag> {
  using type = basis::Unit;
};
template <class F>
struct GRepOf<basis::Rec1Of<F>> {
  using type = Rep<F>;
};
template <class B>
struct GRepOf<basis::M1Of<B>> {
  using type = GRep<B>;
};
template <class B1, class B2>
struct GRepOf<basis::GProductOf<B1, B2>> {
  using type = basis::Either<GRep<B1>, GRep<B2>>;
};
template <class F, class B>
struct GRepOf<basis::GComposeOf<F, B>> {
  using type = std::pair<Rep<F>, GRep<B>>;
};

// The parameter: h at the unit position.
template <>
struct GTabulate<basis::Par1Tag> {
  template <class H>
  static auto gtabulate_(H h) {
    return basis::Par1<detail::Decay<std::invoke_result_t<H&, const basis::Unit&>>>{h(basis::Unit{})};
  }
};
template <>
struct GIndex<basis::Par1Tag> {
  template <class A>
  static A gindex_(const basis::Par1<A>& w, const basis::Unit&) {
    return w.unPar1;
  }
};

// A representable functor: its own tabulate and index.
template <class F>
struct GTabulate<basis::Rec1Of<F>> {
  template <class H>
  static auto gtabulate_(H h) {
    return basis::Rec1<F, detail::AtRep<F, H>>{Representable<F>::tabulate(std::move(h))};
  }
};
template <class F>
struct GIndex<basis::Rec1Of<F>> {
  template <class A>
  static A gindex_(const basis::Rec1<F, A>& w, const Rep<F>& k) {
    return Representable<F>::index(w.unRec1, k);
  }
};

// Meta-information: the wrapped block's operations, unchanged.
template <class B>
struct GTabulate<basis::M1Of<B>> {
  template <class H>
  static auto gtabulate_(H h) {
    auto inner = GTabulate<B>::gtabulate_(std::move(h));
    return basis::M1<B, basis::element_of<decltype(inner)>>{std::move(inner)};
  }
};
template <class B>
struct GIndex<basis::M1Of<B>> {
  template <class A>
  static A gindex_(const basis::M1<B, A>& w, const GRep<B>& k) {
    return GIndex<B>::gindex_(w.unM1, k);
  }
};

// A product: Left positions address the first block, Right the second. Each
// half is built, from h, only when it is read.
template <class B1, class B2>
struct GTabulate<basis::GProductOf<B1, B2>> {
  template <class H>
  static auto gtabulate_(H h) {
    using K = GRep<basis::GProductOf<B1, B2>>;
    using A = detail::Decay<std::invoke_result_t<H&, const K&>>;
    auto hp = detail::share(std::move(h));
    return basis::GProduct<B1, B2, A>{
        basis::Lazy<basis::Apply<B1, A>>::defer([hp] {
          return GTabulate<B1>::gtabulate_([hp](const GRep<B1>& i) { return (*hp)(K(basis::Left<GRep<B1>>{i})); });
        }),
        basis::Lazy<basis::Apply<B2, A>>::defer([hp] {
          return GTabulate<B2>::gtabulate_([hp](const GRep<B2>& j) { return (*hp)(K(basis::Right<GRep<B2>>{j})); });
        })};
  }
};
template <class B1, class B2>
struct GIndex<basis::GProductOf<B1, B2>> {
  template <class A>
  static A gindex_(const basis::GProduct<B1, B2, A>& w, const GRep<basis::GProductOf<B1, B2>>& k) {
    if (const auto* i = k.leftPtr()) return GIndex<B1>::gindex_(w.fst(), *i);
    return GIndex<B2>::gindex_(w.snd(), k.fromRight());
  }
};

// A representable F of blocks B: the outer position first.
template <class F, class B>
struct GTabulate<basis::GComposeOf<F, B>> {
  template <class H>
  static auto gtabulate_(H h) {
    using K = GRep<basis::GComposeOf<F, B>>;
    using A = detail::Decay<std::invoke_result_t<H&, const K&>>;
    auto hp = detail::share(std::move(h));
    return basis::GCompose<F, B, A>{Representable<F>::tabulate([hp](const Rep<F>& i) {
      return GTabulate<B>::gtabulate_([hp, i](const GRep<B>& j) { return (*hp)(K(i, j)); });
    })};
  }
};
template <class F, class B>
struct GIndex<basis::GComposeOf<F, B>> {
  template <class A>
  static A gindex_(const basis::GCompose<F, B, A>& w, const GRep<basis::GComposeOf<F, B>>& k) {
    return GIndex<B>::gindex_(Representable<F>::index(w.unComp1, k.first), k.second);
  }
};

// to1 of the block filled from h: F's table of h.
template <class F, class H>
auto gtabulate(H h) {
  using G = basis::Generic1<F>;
  return G::to1(GTabulate<typename G::Rep1>::gtabulate_(std::move(h)));
}

// gindex_ of the generic form of w at k.
template <basis::HasTag FA>
auto gindex(const FA& w, const GRep<typename basis::Generic1<basis::tag_of<FA>>::Rep1>& k) {
  using G = basis::Generic1<basis::tag_of<FA>>;
  return GIndex<typename G::Rep1>::gindex_(G::from1(w), k);
}
// gindex applied to w alone: a function awaiting the position; the generic
// form of w is computed once, on the first read.
template <basis::HasTag FA>
auto gindex(const FA& w) {
  using G = basis::Generic1<basis::tag_of<FA>>;
  using B = typename G::Rep1;
  auto form = basis::defer([w] { return G::from1(w); });
  return [form](const GRep<B>& k) { return GIndex<B>::gindex_(form.force(), k); };
}

// tabulate and index from F's generic form: inherit in Representable<F>.
template <class F>
struct GenericRepresentable {
  using Rep = GRep<typename basis::Generic1<F>::Rep1>;
  template <class H>
  static auto tabulate(H h) {
    return gtabulate<F>(std::move(h));
  }
  template <class FA>
  static auto index(const FA& w, const Rep& k) {
    return gindex(w, k);
  }
};

}  // namespace tandemory
