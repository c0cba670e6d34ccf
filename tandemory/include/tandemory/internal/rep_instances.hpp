#pragma once
// Representable implementations for the standard functors. Included by
// tandemory/functor/rep.hpp.
//
// | functor                              | Rep                        |
// |--------------------------------------|----------------------------|
// | Proxy, U1                            | Void (index never returns) |
// | Identity, Tagged, Par1, Dual, and the |                            |
// | Sum and Product monoids              | Unit                       |
// | functions from E                     | E                          |
// | IdentityT m, Backwards f, Reverse f, |                            |
// | Rec1 f, M1 f                         | Rep of the inner functor   |
// | the outside ReaderT e m              | (e, Rep m)                 |
// | Compose f g, GCompose f g            | (Rep f, Rep g), outer first|
// | functor Product f g, GProduct f g    | Either (Rep f) (Rep g)     |
// | Cofree f                             | Seq (Rep f), root first    |
// | Complex                              | bool: false real, true imag|
// | TracedT s w                          | (s, Rep w)                 |

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "basis/cofree.hpp"
#include "basis/complex.hpp"
#include "basis/compose.hpp"
#include "basis/functor.hpp"
#include "basis/generic1.hpp"
#include "basis/lazy.hpp"
#include "basis/monoid_functors.hpp"
#include "basis/product.hpp"
#include "basis/seq.hpp"
#include "basis/stack.hpp"
#include "basis/tagged.hpp"
#include "basis/transformers.hpp"
#include "basis/types.hpp"
#include "tandemory/internal/rep_core.hpp"

namespace tandemory {

namespace detail {
// A one-value functor: W{h(unit)}, read back through `field`.
template <class F>
struct OneValueRepresentable {
  using Rep = basis::Unit;
  template <class H>
  static auto tabulate(H h) {
    using A = Decay<std::invoke_result_t<H&, const basis::Unit&>>;
    return basis::Apply<F, A>{h(basis::Unit{})};
  }
};
// A wrapper whose table is its inner functor's, as `field` of the wrapper.
template <class F, class Inner, class Wrap>
struct WrapperRepresentable {
  using Rep = tandemory::Rep<Inner>;
  template <class H>
  static auto tabulate(H h) {
    using A = AtRep<Inner, H>;
    return basis::Apply<F, A>{Representable<Inner>::tabulate(std::move(h))};
  }
  template <class FA>
  static auto index(const FA& w, const Rep& k) {
    return Representable<Inner>::index(Wrap::get(w), k);
  }
};
}  // namespace detail

// No value and no position: tabulate never calls h.
template <>
struct Representable<basis::ProxyTag> {
  using Rep = basis::Void;
  template <class H>
  static auto tabulate(H) {
    return basis::Proxy<detail::Decay<std::invoke_result_t<H&, const basis::Void&>>>{};
  }
  template <class A>
  [[noreturn]] static A index(const basis::Proxy<A>&, const basis::Void& v) {
    basis::absurd<A>(v);
  }
};
template <>
struct Representable<basis::U1Tag> {
  using Rep = basis::Void;
  template <class H>
  static auto tabulate(H) {
    return basis::U1<detail::Decay<std::invoke_result_t<H&, const basis::Void&>>>{};
  }
  template <class A>
  [[noreturn]] static A index(const basis::U1<A>&, const basis::Void& v) {
    basis::absurd<A>(v);
  }
};

template <>
struct Representable<basis::IdentityTag> : detail::OneValueRepresentable<basis::IdentityTag> {
  template <class A>
  static A index(const basis::Identity<A>& w, const basis::Unit&) {
    return w.value;
  }
};
template <class S>
struct Representable<basis::TaggedOf<S>> : detail::OneValueRepresentable<basis::TaggedOf<S>> {
  template <class A>
  static A index(const basis::Tagged<S, A>& w, const basis::Unit&) {
    return w.unTagged;
  }
};
template <>
struct Representable<basis::DualTag> : detail::OneValueRepresentable<basis::DualTag> {
  template <class A>
  static A index(const basis::Dual<A>& w, const basis::Unit&) {
    return w.getDual;
  }
};
template <>
struct Representable<basis::SumTag> : detail::OneValueRepresentable<basis::SumTag> {
  template <class A>
  static A index(const basis::Sum<A>& w, const basis::Unit&) {
    return w.value;
  }
};
template <>
struct Representable<basis::ProductTag> : detail::OneValueRepresentable<basis::ProductTag> {
  template <class A>
  static A index(const basis::Product<A>& w, const basis::Unit&) {
    return w.value;
  }
};
template <>
struct Representable<basis::Par1Tag> : detail::OneValueRepresentable<basis::Par1Tag> {
  template <class A>
  static A index(const basis::Par1<A>& w, const basis::Unit&) {
    return w.unPar1;
  }
};

// The function is the table: tabulate and index are the identity.
template <class E>
struct Representable<basis::FunctionFrom<E>> {
  using Rep = E;
  template <class H>
  static auto tabulate(H h) {
    return std::function<detail::Decay<std::invoke_result_t<H&, const E&>>(const E&)>(std::move(h));
  }
  // A table read inside another table's function nests a call: it is made
  // with stack room, so chains of reads run at any depth.
  template <class A>
  static A index(const std::function<A(const E&)>& w, const E& k) {
    return basis::withStackRoom([&] { return w(k); });
  }
};

namespace detail {
template <class F>
struct GetIdentityT {
  template <class A>
  static const auto& get(const basis::IdentityT<F, A>& w) {
    return w.runIdentityT;
  }
};
template <class F>
struct GetBackwards {
  template <class A>
  static const auto& get(const basis::Backwards<F, A>& w) {
    return w.forwards;
  }
};
template <class F>
struct GetReverse {
  template <class A>
  static const auto& get(const basis::Reverse<F, A>& w) {
    return w.getReverse;
  }
};
template <class F>
struct GetRec1 {
  template <class A>
  static const auto& get(const basis::Rec1<F, A>& w) {
    return w.unRec1;
  }
};
template <class F>
struct GetM1 {
  template <class A>
  static const auto& get(const basis::M1<F, A>& w) {
    return w.unM1;
  }
};
}  // namespace detail

template <class M>
struct Representable<basis::IdentityTOf<M>>
    : detail::WrapperRepresentable<basis::IdentityTOf<M>, M, detail::GetIdentityT<M>> {};
template <class F>
struct Representable<basis::BackwardsOf<F>>
    : detail::WrapperRepresentable<basis::BackwardsOf<F>, F, detail::GetBackwards<F>> {};
template <class F>
struct Representable<basis::ReverseOf<F>> : detail::WrapperRepresentable<basis::ReverseOf<F>, F, detail::GetReverse<F>> {};
template <class F>
struct Representable<basis::Rec1Of<F>> : detail::WrapperRepresentable<basis::Rec1Of<F>, F, detail::GetRec1<F>> {};
template <class F>
struct Representable<basis::M1Of<F>> : detail::WrapperRepresentable<basis::M1Of<F>, F, detail::GetM1<F>> {};

// The outside reader: the environment first. tabulate builds m's table for an
// environment each time the reader is run.
template <class E, class M>
struct Representable<basis::ReaderTOf<E, M>> {
  using Rep = std::pair<E, tandemory::Rep<M>>;
  template <class H>
  static auto tabulate(H h) {
    using A = detail::Decay<std::invoke_result_t<H&, const Rep&>>;
    auto hp = detail::share(std::move(h));
    return basis::ReaderT<E, M, A>{[hp](const E& e) {
      return Representable<M>::tabulate([hp, e](const tandemory::Rep<M>& k) { return (*hp)(Rep(e, k)); });
    }};
  }
  template <class A>
  static A index(const basis::ReaderT<E, M, A>& w, const Rep& k) {
    return Representable<M>::index(w.runReaderT(k.first), k.second);
  }
};

namespace detail {
// tabulate and index of an outer F of inner G tables, outer position first;
// Wrap builds and unwraps the composite.
template <class F, class G, template <class, class, class> class C>
struct ComposedRepresentable {
  using Rep = std::pair<tandemory::Rep<F>, tandemory::Rep<G>>;
  template <class H>
  static auto tabulate(H h) {
    using A = Decay<std::invoke_result_t<H&, const Rep&>>;
    auto hp = share(std::move(h));
    return C<F, G, A>{Representable<F>::tabulate([hp](const tandemory::Rep<F>& i) {
      return Representable<G>::tabulate([hp, i](const tandemory::Rep<G>& j) { return (*hp)(Rep(i, j)); });
    })};
  }
  template <class A>
  static A index(const C<F, G, A>& w, const Rep& k) {
    return Representable<G>::index(Representable<F>::index(unwrap(w), k.first), k.second);
  }

 private:
  template <class A>
  static const auto& unwrap(const basis::Compose<F, G, A>& w) {
    return w.value;
  }
  template <class A>
  static const auto& unwrap(const basis::GCompose<F, G, A>& w) {
    return w.unComp1;
  }
};

// tabulate and index of two tables side by side: Left addresses the first,
// Right the second. Each half is built when it is read.
template <class F, class G, template <class, class, class> class P>
struct SideBySideRepresentable {
  using Rep = basis::Either<tandemory::Rep<F>, tandemory::Rep<G>>;
  template <class H>
  static auto tabulate(H h) {
    using A = Decay<std::invoke_result_t<H&, const Rep&>>;
    using RF = tandemory::Rep<F>;
    using RG = tandemory::Rep<G>;
    auto hp = share(std::move(h));
    return P<F, G, A>{basis::Lazy<basis::Apply<F, A>>::defer([hp] {
                        return Representable<F>::tabulate([hp](const RF& i) { return (*hp)(Rep(basis::Left<RF>{i})); });
                      }),
                      basis::Lazy<basis::Apply<G, A>>::defer([hp] {
                        return Representable<G>::tabulate([hp](const RG& j) { return (*hp)(Rep(basis::Right<RG>{j})); });
                      })};
  }
  template <class A>
  static A index(const P<F, G, A>& w, const Rep& k) {
    if (const auto* i = k.leftPtr()) return Representable<F>::index(w.fst(), *i);
    return Representable<G>::index(w.snd(), k.fromRight());
  }
};
}  // namespace detail

template <class F, class G>
struct Representable<basis::ComposeOf<F, G>> : detail::ComposedRepresentable<F, G, basis::Compose> {};
template <class F, class G>
struct Representable<basis::GComposeOf<F, G>> : detail::ComposedRepresentable<F, G, basis::GCompose> {};
template <class F, class G>
struct Representable<basis::ProductOf<F, G>> : detail::SideBySideRepresentable<F, G, basis::functor::Product> {};
template <class F, class G>
struct Representable<basis::GProductOf<F, G>> : detail::SideBySideRepresentable<F, G, basis::GProduct> {};

// A position is the path of F-positions from the root. tabulate builds each
// node (label and subtrees) when it is read: a node keeps the path to it,
// newest step first, and its label is h of that path put back in order, in
// a loop. index walks one level per element of the path, in a loop.
template <class F>
struct Representable<basis::CofreeOf<F>> {
  using Rep = basis::Seq<tandemory::Rep<F>>;
  template <class H>
  static auto tabulate(H h) {
    using A = detail::Decay<std::invoke_result_t<H&, const Rep&>>;
    return build<A>(std::make_shared<const std::function<A(const Rep&)>>(std::move(h)), Rep());
  }
  template <class A>
  static A index(const basis::Cofree<F, A>& w, const Rep& k) {
    basis::Cofree<F, A> node = w;
    Rep path = k;
    while (auto step = path.viewl()) {
      basis::Cofree<F, A> child = Representable<F>::index(node.unwrap(), step->first);
      node = std::move(child);
      path = std::move(step->second);
    }
    return node.extract();
  }

 private:
  // The node at the path whose steps, newest first, are `back`.
  template <class A>
  static basis::Cofree<F, A> build(std::shared_ptr<const std::function<A(const Rep&)>> h, Rep back) {
    using Children = basis::Apply<F, basis::Cofree<F, A>>;
    return basis::Cofree<F, A>(basis::Lazy<A>::defer([h, back] {
                                 Rep path;
                                 for (const auto& k : back) path = Rep::cons(k, std::move(path));
                                 return (*h)(path);
                               }),
                               basis::Lazy<Children>::defer([h, back] {
                                 return Representable<F>::tabulate(
                                     [h, back](const tandemory::Rep<F>& k) { return build<A>(h, Rep::cons(k, back)); });
                               }));
  }
};

// false is the real part, true the imaginary part; tabulate calls h at false,
// then at true.
template <>
struct Representable<basis::ComplexTag> {
  using Rep = bool;
  template <class H>
  static auto tabulate(H h) {
    using A = detail::Decay<std::invoke_result_t<H&, const bool&>>;
    A re = h(false);
    A im = h(true);
    return basis::Complex<A>{std::move(re), std::move(im)};
  }
  template <class A>
  static A index(const basis::Complex<A>& w, const bool& k) {
    return k ? w.imagPart : w.realPart;
  }
};

// The trace first. A read at (s, k) builds w's table for the trace s anew and
// reads it at k.
template <class S, class W>
struct Representable<basis::TracedTOf<S, W>> {
  using Rep = std::pair<S, tandemory::Rep<W>>;
  template <class H>
  static auto tabulate(H h) {
    using A = detail::Decay<std::invoke_result_t<H&, const Rep&>>;
    using RW = tandemory::Rep<W>;
    auto hp = detail::share(std::move(h));
    return basis::TracedT<S, W, A>{Representable<W>::tabulate([hp](const RW& k) {
      return std::function<A(const S&)>([hp, k](const S& s) {
        return Representable<W>::index(Representable<W>::tabulate([hp, s](const RW& k2) { return (*hp)(Rep(s, k2)); }),
                                       k);
      });
    })};
  }
  template <class A>
  static A index(const basis::TracedT<S, W, A>& w, const Rep& k) {
    return Representable<W>::index(w.runTracedT, k.second)(k.first);
  }
};

}  // namespace tandemory
