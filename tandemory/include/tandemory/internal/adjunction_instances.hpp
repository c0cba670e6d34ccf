#pragma once
// The Adjunction implementations. Included by tandemory/functor/adjunction.hpp.
//
// | left adjoint              | right adjoint                  | needs           |
// |---------------------------|--------------------------------|-----------------|
// | pairs (e, a): PairOf<E>   | functions from e               | -               |
// | Identity                  | Identity                       | -               |
// | Par1                      | Par1                           | -               |
// | V1                        | U1                             | -               |
// | IdentityT f               | IdentityT u                    | f -| u          |
// | EnvT e f                  | the outside ReaderT e u        | f -| u          |
// | WriterT w f (lazy writer) | TracedT w u                    | f -| u          |
// | Compose f' f              | Compose u u'                   | f -| u, f' -| u'|
// | functor Sum f f'          | functor Product u u'           | f -| u, f' -| u'|
// | Free f                    | Cofree u                       | f -| u          |
// | Rec1 f                    | Rec1 u                         | f -| u          |
// | GCompose f' f             | GCompose u u'                  | f -| u, f' -| u'|
// | GSum f f'                 | GProduct u u'                  | f -| u, f' -| u'|
//
// The compound implementations give unit and counit and take leftAdjunct and
// rightAdjunct from the defaults. Each operation's work is deferred as far as
// the structures it builds defer theirs (functions, Product halves, Cofree
// nodes are built when read).

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/cofree.hpp"
#include "basis/compose.hpp"
#include "basis/functor.hpp"
#include "basis/functor_sum.hpp"
#include "basis/generic1.hpp"
#include "basis/lazy.hpp"
#include "basis/product.hpp"
#include "basis/stack.hpp"
#include "basis/transformers.hpp"
#include "basis/types.hpp"
#include "tandemory/internal/adjunction_core.hpp"
#include "tandemory/internal/share.hpp"

namespace tandemory {

// Pairs with an environment e and functions from e: unit a is e -> (e, a);
// counit (e, g) is g(e).
template <class E>
struct Adjunction<basis::PairOf<E>> {
  using Right = basis::FunctionFrom<E>;
  template <class A>
  static std::function<std::pair<E, A>(const E&)> unit(const A& a) {
    return [a](const E& e) { return std::pair<E, A>(e, a); };
  }
  template <class A>
  static A counit(const std::pair<E, std::function<A(const E&)>>& x) {
    return x.second(x.first);
  }
  // leftAdjunct h a e = h (e, a).
  template <class H, class A>
  static auto leftAdjunct(H h, const A& a) {
    using B = detail::Decay<std::invoke_result_t<H&, const std::pair<E, A>&>>;
    return std::function<B(const E&)>([h = std::move(h), a](const E& e) { return h(std::pair<E, A>(e, a)); });
  }
  // rightAdjunct g (e, b) = g b e.
  template <class H, class A>
  static auto rightAdjunct(H h, const std::pair<E, A>& p) {
    return h(p.second)(p.first);
  }
};

namespace detail {
// A transparent one-value wrapper W as its own left and right adjoint.
template <class Tag, class Get>
struct OneValueAdjunction {
  using Right = Tag;
  template <class A>
  static auto unit(const A& a) {
    return basis::Apply<Tag, basis::Apply<Tag, A>>{basis::Apply<Tag, A>{a}};
  }
  template <class X>
  static auto counit(const X& x) {
    return Get::get(Get::get(x));
  }
  template <class H, class A>
  static auto leftAdjunct(H h, const A& a) {
    using B = Decay<std::invoke_result_t<H&, const basis::Apply<Tag, A>&>>;
    return basis::Apply<Tag, B>{h(basis::Apply<Tag, A>{a})};
  }
  template <class H, class X>
  static auto rightAdjunct(H h, const X& x) {
    return Get::get(h(Get::get(x)));
  }
};
struct GetIdentity {
  template <class A>
  static const A& get(const basis::Identity<A>& x) {
    return x.value;
  }
};
struct GetPar1 {
  template <class A>
  static const A& get(const basis::Par1<A>& x) {
    return x.unPar1;
  }
};
// A one-field wrapper W around f -| u, as W f -| W u: Of<X> is the tag of
// W X, Wrapped<X, A> its value, Get<X>::get its field. unit wraps each F A
// that f's leftAdjunct hands on, and the result; counit unwraps both layers
// for f's rightAdjunct.
template <template <class> class Of, template <class, class> class Wrapped, template <class> class Get, class F>
struct WrapperAdjunction : AdjunctionDefaults<Of<F>> {
  using Right = Of<RightAdjoint<F>>;
  template <class A>
  static auto unit(const A& a) {
    using U = RightAdjoint<F>;
    auto t = Adjunction<F>::leftAdjunct([](const basis::Apply<F, A>& fa) { return Wrapped<F, A>{fa}; }, a);
    return Wrapped<U, Wrapped<F, A>>{std::move(t)};
  }
  template <class A>
  static A counit(const Wrapped<F, Wrapped<RightAdjoint<F>, A>>& x) {
    using U = RightAdjoint<F>;
    using UA = Wrapped<U, A>;
    return Adjunction<F>::rightAdjunct([](const UA& y) { return Get<U>::get(y); }, Get<F>::get(x));
  }
};
}  // namespace detail

template <>
struct Adjunction<basis::IdentityTag> : detail::OneValueAdjunction<basis::IdentityTag, detail::GetIdentity> {};
template <>
struct Adjunction<basis::Par1Tag> : detail::OneValueAdjunction<basis::Par1Tag, detail::GetPar1> {};

// No value on the left, nothing on the right: unit and leftAdjunct use
// neither their function nor their value; counit and rightAdjunct cannot be
// reached, as no V1 value exists.
template <>
struct Adjunction<basis::V1Tag> {
  using Right = basis::U1Tag;
  template <class A>
  static basis::U1<basis::V1<A>> unit(const A&) {
    return {};
  }
  template <class A>
  [[noreturn]] static A counit(const basis::V1<basis::U1<A>>&) {
    __builtin_unreachable();
  }
  template <class H, class A>
  static auto leftAdjunct(H, const A&) {
    return basis::U1<detail::Decay<std::invoke_result_t<H&, const basis::V1<A>&>>>{};
  }
  template <class H, class A>
  [[noreturn]] static auto rightAdjunct(H, const basis::V1<A>&)
      -> basis::element_of<detail::Decay<std::invoke_result_t<H&, const A&>>> {
    __builtin_unreachable();
  }
};

// IdentityT f -| IdentityT u.
template <class F>
struct Adjunction<basis::IdentityTOf<F>>
    : detail::WrapperAdjunction<basis::IdentityTOf, basis::IdentityT, detail::GetIdentityT, F> {};

// EnvT e f -| the outside ReaderT e u: unit pairs its argument's F-structure
// with the environment the reader is run at; counit runs each reader at the
// EnvT's environment.
template <class E, class F>
struct Adjunction<basis::EnvTOf<E, F>> : AdjunctionDefaults<basis::EnvTOf<E, F>> {
  using Right = basis::ReaderTOf<E, RightAdjoint<F>>;
  template <class A>
  static auto unit(const A& a) {
    using U = RightAdjoint<F>;
    using Env = basis::EnvT<E, F, A>;
    return basis::ReaderT<E, U, Env>{[a](const E& e) {
      return Adjunction<F>::leftAdjunct([e](const basis::Apply<F, A>& fa) { return Env{e, fa}; }, a);
    }};
  }
  template <class A>
  static A counit(const basis::EnvT<E, F, basis::ReaderT<E, RightAdjoint<F>, A>>& x) {
    using R = basis::ReaderT<E, RightAdjoint<F>, A>;
    return Adjunction<F>::rightAdjunct([e = x.env](const R& r) { return r.runReaderT(e); }, x.lowered);
  }
};

// WriterT w f -| TracedT w u: unit writes the trace it is read at beside the
// values; counit reads each traced structure at the log written beside it.
template <class W, class F>
struct Adjunction<basis::WriterTOf<W, F>> : AdjunctionDefaults<basis::WriterTOf<W, F>> {
  using Right = basis::TracedTOf<W, RightAdjoint<F>>;
  template <class A>
  static auto unit(const A& a) {
    using U = RightAdjoint<F>;
    using Wr = basis::WriterT<W, F, A>;
    using K = std::function<Wr(const W&)>;
    auto k = [](const basis::Apply<F, A>& y) {
      return K([y](const W& w) {
        return Wr{basis::Functor<F>::fmap([w](const A& v) { return std::pair<A, W>(v, w); }, y)};
      });
    };
    return basis::TracedT<W, U, Wr>{Adjunction<F>::leftAdjunct(k, a)};
  }
  template <class A>
  static A counit(const basis::WriterT<W, F, basis::TracedT<W, RightAdjoint<F>, A>>& x) {
    using U = RightAdjoint<F>;
    using T = basis::TracedT<W, U, A>;
    return Adjunction<F>::rightAdjunct(
        [](const std::pair<T, W>& p) {
          W w = p.second;
          return basis::Functor<U>::fmap([w](const std::function<A(const W&)>& g) { return g(w); }, p.first.runTracedT);
        },
        x.runWriterT);
  }
};

namespace detail {
// Compositions: Outer f2 over inner f1 on the left, u1 over u2 on the right.
// CL and CR build the composites; `value` unwraps them.
template <class Self, class F2, class F1, template <class, class, class> class C>
struct ComposedAdjunction : AdjunctionDefaults<Self> {
  using U1 = RightAdjoint<F1>;
  using U2 = RightAdjoint<F2>;
  template <class A>
  static auto unit(const A& a) {
    using L = C<F2, F1, A>;
    auto inner = [](const basis::Apply<F1, A>& f1a) {
      return Adjunction<F2>::leftAdjunct([](const basis::Apply<F2, basis::Apply<F1, A>>& x) { return L{x}; }, f1a);
    };
    return C<U1, U2, L>{Adjunction<F1>::leftAdjunct(inner, a)};
  }
  template <class A>
  static A counit(const C<F2, F1, C<U1, U2, A>>& x) {
    using CU = C<U1, U2, A>;
    return Adjunction<F2>::rightAdjunct(
        [](const basis::Apply<F1, CU>& y) { return Adjunction<F1>::rightAdjunct([](const CU& c) { return value(c); }, y); },
        value(x));
  }

 private:
  template <class X, class Y, class A>
  static const auto& value(const basis::Compose<X, Y, A>& c) {
    return c.value;
  }
  template <class X, class Y, class A>
  static const auto& value(const basis::GCompose<X, Y, A>& c) {
    return c.unComp1;
  }
};
}  // namespace detail

template <class F2, class F1>
struct Adjunction<basis::ComposeOf<F2, F1>>
    : detail::ComposedAdjunction<basis::ComposeOf<F2, F1>, F2, F1, basis::Compose> {
  using Right = basis::ComposeOf<RightAdjoint<F1>, RightAdjoint<F2>>;
};
template <class F2, class F1>
struct Adjunction<basis::GComposeOf<F2, F1>>
    : detail::ComposedAdjunction<basis::GComposeOf<F2, F1>, F2, F1, basis::GCompose> {
  using Right = basis::GComposeOf<RightAdjoint<F1>, RightAdjoint<F2>>;
};

// functor Sum f f' -| functor Product u u': unit places a in both halves
// (each built when read); counit reads the half the Sum's side names.
template <class F, class F2>
struct Adjunction<basis::SumOf<F, F2>> : AdjunctionDefaults<basis::SumOf<F, F2>> {
  using Right = basis::ProductOf<RightAdjoint<F>, RightAdjoint<F2>>;
  template <class A>
  static auto unit(const A& a) {
    using S = basis::functor::Sum<F, F2, A>;
    using RU = RightAdjoint<F>;
    using RU2 = RightAdjoint<F2>;
    return basis::functor::Product<RU, RU2, S>{
        basis::Lazy<basis::Apply<RU, S>>::defer(
            [a] { return Adjunction<F>::leftAdjunct([](const basis::Apply<F, A>& l) { return S::InL(l); }, a); }),
        basis::Lazy<basis::Apply<RU2, S>>::defer(
            [a] { return Adjunction<F2>::leftAdjunct([](const basis::Apply<F2, A>& r) { return S::InR(r); }, a); })};
  }
  template <class A>
  static A counit(const basis::functor::Sum<F, F2, basis::functor::Product<RightAdjoint<F>, RightAdjoint<F2>, A>>& x) {
    using P = basis::functor::Product<RightAdjoint<F>, RightAdjoint<F2>, A>;
    if (x.isInL()) return Adjunction<F>::rightAdjunct([](const P& p) { return p.fst(); }, x.left());
    return Adjunction<F2>::rightAdjunct([](const P& p) { return p.snd(); }, x.right());
  }
};

// GSum f f' -| GProduct u u', as Sum and Product.
template <class F, class F2>
struct Adjunction<basis::GSumOf<F, F2>> : AdjunctionDefaults<basis::GSumOf<F, F2>> {
  using Right = basis::GProductOf<RightAdjoint<F>, RightAdjoint<F2>>;
  template <class A>
  static auto unit(const A& a) {
    using S = basis::GSum<F, F2, A>;
    using RU = RightAdjoint<F>;
    using RU2 = RightAdjoint<F2>;
    return basis::GProduct<RU, RU2, S>{
        basis::Lazy<basis::Apply<RU, S>>::defer(
            [a] { return Adjunction<F>::leftAdjunct([](const basis::Apply<F, A>& l) { return S::L1(l); }, a); }),
        basis::Lazy<basis::Apply<RU2, S>>::defer(
            [a] { return Adjunction<F2>::leftAdjunct([](const basis::Apply<F2, A>& r) { return S::R1(r); }, a); })};
  }
  template <class A>
  static A counit(const basis::GSum<F, F2, basis::GProduct<RightAdjoint<F>, RightAdjoint<F2>, A>>& x) {
    using P = basis::GProduct<RightAdjoint<F>, RightAdjoint<F2>, A>;
    if (x.isL1()) return Adjunction<F>::rightAdjunct([](const P& p) { return p.fst(); }, x.left());
    return Adjunction<F2>::rightAdjunct([](const P& p) { return p.snd(); }, x.right());
  }
};

// Rec1 f -| Rec1 u.
template <class F>
struct Adjunction<basis::Rec1Of<F>> : detail::WrapperAdjunction<basis::Rec1Of, basis::Rec1, detail::GetRec1, F> {};

// Free f -| Cofree u.
//
// unit a: the tree labelled Pure a whose child at the position standing for
// the shape k is unit a with every label y replaced by Free (y <$ k); a node's
// children are built only when read, so the tree is unbounded.
//
// counit x: while x is a layer Free k, take the one Free value x' inside k
// (extractL), and replace each leaf Pure c of x' by the child of c at the
// position k's shape stands for; at a Pure c, the label of c. Each round
// removes one layer (a loop); the rebuilding of x' recurses once per layer of
// x', each step with stack room.
template <class F>
struct Adjunction<basis::FreeOf<F>> : AdjunctionDefaults<basis::FreeOf<F>> {
  using Right = basis::CofreeOf<RightAdjoint<F>>;
  template <class A>
  static basis::Cofree<RightAdjoint<F>, basis::Free<F, A>> unit(const A& a) {
    using U = RightAdjoint<F>;
    using Fr = basis::Free<F, A>;
    using Node = basis::Cofree<U, Fr>;
    using Shape = basis::Apply<F, basis::Unit>;
    return Node(basis::Lazy<Fr>(Fr::pure(a)), basis::Lazy<basis::Apply<U, Node>>::defer([a] {
                  return tabulateAdjunction<F>([a](const Shape& k) {
                    return basis::Functor<basis::CofreeOf<U>>::fmap(
                        [k](const Fr& y) { return Fr::wrap(basis::Functor<F>::replace(y, k)); }, unit(a));
                  });
                }));
  }
  template <class A>
  static A counit(const basis::Free<F, basis::Cofree<RightAdjoint<F>, A>>& start) {
    using C = basis::Cofree<RightAdjoint<F>, A>;
    using Fr = basis::Free<F, C>;
    Fr x = start;
    while (!x.isPure()) {
      basis::Apply<F, Fr> k = x.layer();
      Fr inner = extractL(k);
      x = rebuild<C>(inner, k);
    }
    return x.pureValue().extract();
  }

 private:
  template <class C, class K>
  static basis::Free<F, C> rebuild(const basis::Free<F, C>& y, const K& k) {
    using Fr = basis::Free<F, C>;
    if (y.isPure()) {
      C c = y.pureValue();
      return Fr::pure(Adjunction<F>::rightAdjunct([c](const auto&) { return c.unwrap(); }, k));
    }
    return Fr::wrap(basis::Functor<F>::fmap(
        [k](const Fr& m) { return basis::withStackRoom([&] { return rebuild<C>(m, k); }); }, y.layer()));
  }
};

}  // namespace tandemory
