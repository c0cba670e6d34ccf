#pragma once
// The building blocks of generic one-parameter forms, and Generic1<F>, which
// ties a functor F to its form:
//
//   Par1<A>           the parameter itself (`unPar1`)
//   Rec1<F, A>        an F A (`unRec1`)
//   M1<F, A>          an F A wrapped with meta-information (`unM1`); the
//                     meta-information is not modelled
//   U1<A>             no field
//   V1<A>             no value at all
//   GProduct<F, G, A> an F A and a G A side by side (`:*:`), both deferred
//   GCompose<F, G, A> an F of G A (`:.:`, `unComp1`)
//   GSum<F, G, A>     an F A (`L1`) or a G A (`R1`) (`:+:`)
//
// Generic1<F> names F's form (`using Rep1 = <block tag>;`) and converts with
// `from1(fa)` and `to1(block)`. Each block has its Functor; the blocks that
// distribute have their Distributive, and U1 and GProduct are also
// Contravariant.

#include <type_traits>
#include <utility>
#include <variant>

#include "basis/contravariant.hpp"
#include "basis/distributive.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"

namespace basis {

template <class F>
struct Generic1;

template <class A>
struct Par1 {
  A unPar1;
  friend bool operator==(const Par1&, const Par1&) = default;
};
struct Par1Tag {
  template <class A>
  using apply = Par1<A>;
};
template <class A>
struct TagOf<Par1<A>> {
  using type = Par1Tag;
  using element = A;
};

template <class F, class A>
struct Rec1 {
  Apply<F, A> unRec1;
  friend bool operator==(const Rec1&, const Rec1&) = default;
};
template <class F>
struct Rec1Of {
  template <class A>
  using apply = Rec1<F, A>;
};
template <class F, class A>
struct TagOf<Rec1<F, A>> {
  using type = Rec1Of<F>;
  using element = A;
};

template <class F, class A>
struct M1 {
  Apply<F, A> unM1;
  friend bool operator==(const M1&, const M1&) = default;
};
template <class F>
struct M1Of {
  template <class A>
  using apply = M1<F, A>;
};
template <class F, class A>
struct TagOf<M1<F, A>> {
  using type = M1Of<F>;
  using element = A;
};

template <class A>
struct U1 {
  friend constexpr bool operator==(U1, U1) noexcept { return true; }
};
struct U1Tag {
  template <class A>
  using apply = U1<A>;
};
template <class A>
struct TagOf<U1<A>> {
  using type = U1Tag;
  using element = A;
};

// No value of V1<A> can be made.
template <class A>
struct V1 {
  V1() = delete;
};
struct V1Tag {
  template <class A>
  using apply = V1<A>;
};
template <class A>
struct TagOf<V1<A>> {
  using type = V1Tag;
  using element = A;
};

template <class F, class G, class A>
struct GProduct {
  Lazy<Apply<F, A>> first;
  Lazy<Apply<G, A>> second;
  const Apply<F, A>& fst() const { return first.force(); }
  const Apply<G, A>& snd() const { return second.force(); }
  // Both halves forced and compared.
  friend bool operator==(const GProduct& a, const GProduct& b) { return a.fst() == b.fst() && a.snd() == b.snd(); }
};
template <class F, class G>
struct GProductOf {
  template <class A>
  using apply = GProduct<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<GProduct<F, G, A>> {
  using type = GProductOf<F, G>;
  using element = A;
};

template <class F, class G, class A>
struct GCompose {
  Apply<F, Apply<G, A>> unComp1;
  friend bool operator==(const GCompose&, const GCompose&) = default;
};
template <class F, class G>
struct GComposeOf {
  template <class A>
  using apply = GCompose<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<GCompose<F, G, A>> {
  using type = GComposeOf<F, G>;
  using element = A;
};

template <class F, class G, class A>
class GSum {
 public:
  static GSum L1(Apply<F, A> x) { return GSum(std::in_place_index<0>, std::move(x)); }
  static GSum R1(Apply<G, A> y) { return GSum(std::in_place_index<1>, std::move(y)); }
  bool isL1() const noexcept { return v_.index() == 0; }
  // The F side of an L1, the G side of an R1; throw std::bad_variant_access
  // for the other side.
  const Apply<F, A>& left() const { return std::get<0>(v_); }
  const Apply<G, A>& right() const { return std::get<1>(v_); }
  friend bool operator==(const GSum&, const GSum&) = default;

 private:
  template <std::size_t I, class X>
  GSum(std::in_place_index_t<I> i, X&& x) : v_(i, std::forward<X>(x)) {}
  std::variant<Apply<F, A>, Apply<G, A>> v_;
};
template <class F, class G>
struct GSumOf {
  template <class A>
  using apply = GSum<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<GSum<F, G, A>> {
  using type = GSumOf<F, G>;
  using element = A;
};

// ---------------------------------------------------------------------------
// Functor.

template <>
struct Functor<Par1Tag> : FunctorDefaults<Par1Tag> {
  template <class Fn, class A>
  static Par1<Mapped<Fn, A>> fmap(Fn f, const Par1<A>& x) {
    return {f(x.unPar1)};
  }
};
template <class F>
struct Functor<Rec1Of<F>> : FunctorDefaults<Rec1Of<F>> {
  template <class Fn, class A>
  static Rec1<F, Mapped<Fn, A>> fmap(Fn f, const Rec1<F, A>& x) {
    return {Functor<F>::fmap(std::move(f), x.unRec1)};
  }
};
template <class F>
struct Functor<M1Of<F>> : FunctorDefaults<M1Of<F>> {
  template <class Fn, class A>
  static M1<F, Mapped<Fn, A>> fmap(Fn f, const M1<F, A>& x) {
    return {Functor<F>::fmap(std::move(f), x.unM1)};
  }
};
template <>
struct Functor<U1Tag> : FunctorDefaults<U1Tag> {
  template <class Fn, class A>
  static U1<Mapped<Fn, A>> fmap(Fn, const U1<A>&) {
    return {};
  }
};
template <>
struct Functor<V1Tag> : FunctorDefaults<V1Tag> {
  template <class Fn, class A>
  [[noreturn]] static V1<Mapped<Fn, A>> fmap(Fn, const V1<A>&) {
    __builtin_unreachable();
  }
};
// Each half mapped when it is read.
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<GProductOf<F, G>> : FunctorDefaults<GProductOf<F, G>> {
  template <class Fn, class A>
  static GProduct<F, G, Mapped<Fn, A>> fmap(Fn f, const GProduct<F, G, A>& p) {
    using B = Mapped<Fn, A>;
    return {Lazy<Apply<F, B>>::defer([f, x = p.first] { return Functor<F>::fmap(f, x.force()); }),
            Lazy<Apply<G, B>>::defer([f, y = p.second] { return Functor<G>::fmap(f, y.force()); })};
  }
};
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<GComposeOf<F, G>> : FunctorDefaults<GComposeOf<F, G>> {
  template <class Fn, class A>
  static GCompose<F, G, Mapped<Fn, A>> fmap(Fn f, const GCompose<F, G, A>& c) {
    return {Functor<F>::fmap([f](const Apply<G, A>& ga) { return Functor<G>::fmap(f, ga); }, c.unComp1)};
  }
};
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<GSumOf<F, G>> : FunctorDefaults<GSumOf<F, G>> {
  template <class Fn, class A>
  static GSum<F, G, Mapped<Fn, A>> fmap(Fn f, const GSum<F, G, A>& s) {
    using R = GSum<F, G, Mapped<Fn, A>>;
    if (s.isL1()) return R::L1(Functor<F>::fmap(std::move(f), s.left()));
    return R::R1(Functor<G>::fmap(std::move(f), s.right()));
  }
};

// ---------------------------------------------------------------------------
// Distributive.

template <>
struct Distributive<Par1Tag> : DistributiveDefaults<Par1Tag> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using A = element_of<element_of<WFA>>;
    return Par1<Apply<tag_of<WFA>, A>>{Functor<tag_of<WFA>>::fmap([](const Par1<A>& x) { return x.unPar1; }, w)};
  }
};
template <>
struct Distributive<U1Tag> : DistributiveDefaults<U1Tag> {
  template <class WFA>
  static auto distribute(const WFA&) {
    return U1<Apply<tag_of<WFA>, element_of<element_of<WFA>>>>{};
  }
};
template <class F>
struct Distributive<Rec1Of<F>> : DistributiveDefaults<Rec1Of<F>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return Rec1<F, Apply<W, A>>{
        Distributive<F>::distribute(Functor<W>::fmap([](const Rec1<F, A>& x) { return x.unRec1; }, w))};
  }
};
template <class F>
struct Distributive<M1Of<F>> : DistributiveDefaults<M1Of<F>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return M1<F, Apply<W, A>>{Distributive<F>::distribute(Functor<W>::fmap([](const M1<F, A>& x) { return x.unM1; }, w))};
  }
};
// Each half distributed when it is read.
template <class F, class G>
  requires DistributiveTag<F> && DistributiveTag<G>
struct Distributive<GProductOf<F, G>> : DistributiveDefaults<GProductOf<F, G>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    using WA = Apply<W, A>;
    return GProduct<F, G, WA>{
        Lazy<Apply<F, WA>>::defer([w] {
          return Distributive<F>::distribute(Functor<W>::fmap([](const GProduct<F, G, A>& p) { return p.fst(); }, w));
        }),
        Lazy<Apply<G, WA>>::defer([w] {
          return Distributive<G>::distribute(Functor<W>::fmap([](const GProduct<F, G, A>& p) { return p.snd(); }, w));
        })};
  }
};
template <class F, class G>
  requires DistributiveTag<F> && DistributiveTag<G>
struct Distributive<GComposeOf<F, G>> : DistributiveDefaults<GComposeOf<F, G>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    auto outer = Distributive<F>::distribute(Functor<W>::fmap([](const GCompose<F, G, A>& c) { return c.unComp1; }, w));
    return GCompose<F, G, Apply<W, A>>{
        Functor<F>::fmap([](const auto& wg) { return Distributive<G>::distribute(wg); }, outer)};
  }
};

// ---------------------------------------------------------------------------
// Contravariant.

template <>
struct Contravariant<U1Tag> {
  template <class B, class Fn, class A>
  static U1<B> contramap(Fn, const U1<A>&) {
    return {};
  }
};
// Each half adapted when it is read.
template <class F, class G>
struct Contravariant<GProductOf<F, G>> {
  template <class B, class Fn, class A>
  static GProduct<F, G, B> contramap(Fn f, const GProduct<F, G, A>& p) {
    return {Lazy<Apply<F, B>>::defer([f, x = p.first] { return Contravariant<F>::template contramap<B>(f, x.force()); }),
            Lazy<Apply<G, B>>::defer([f, y = p.second] { return Contravariant<G>::template contramap<B>(f, y.force()); })};
  }
};

}  // namespace basis
