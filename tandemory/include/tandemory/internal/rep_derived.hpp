#pragma once
// The operations every representable functor has, from tabulate and index
// alone. Included by tandemory/functor/rep.hpp.
//
// Every operation that yields an F calls F's tabulate once with a function of
// the position; the structure arguments are copied once into a shared cell
// read by every position, and the caller's functions run when a position is
// computed (at build time for a functor that stores its values, at each read
// for a function table). None raises anything of its own.

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/monad.hpp"
#include "basis/profunctor.hpp"
#include "basis/semigroup.hpp"
#include "basis/traversable.hpp"
#include "tandemory/internal/function_parts.hpp"
#include "tandemory/internal/rep_core.hpp"

namespace tandemory {

namespace detail {
template <class FA>
using RepOf = Rep<basis::tag_of<FA>>;
}  // namespace detail

// The p that tabulates its input with F and reads each G-table of its output
// (under the functor T) into a function: dimap of p's Profunctor with F's
// tabulate and T's fmap of G's index. For the function arrow: the function
// taking h: Rep F -> a to the T of functions Rep G -> b that p yields for
// tabulate(h).
template <class F, class G, class T, detail::ArrowLike PV>
auto tabulated(const PV& p) {
  using Parts = detail::ArrowParts<PV>;
  using P = typename Parts::Tag;
  using A = basis::element_of<typename Parts::In>;
  using TGB = typename Parts::Out;
  using GB = basis::element_of<TGB>;
  using B = basis::element_of<GB>;
  using RepFn = std::function<A(const Rep<F>&)>;
  return basis::Profunctor<P>::template dimap<RepFn>(
      [](const RepFn& h) { return Representable<F>::tabulate(h); },
      [](const TGB& t) {
        return basis::Functor<T>::fmap(
            [](const GB& g) { return std::function<B(const Rep<G>&)>(tandemory::index(g)); }, t);
      },
      Parts::value(p));
}

// The F whose value at k is h(read w at k).
template <class H, basis::HasTag FA>
auto fmapRep(H h, const FA& w) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate(
      [h = std::move(h), w = detail::share(w)](const Rep<F>& k) { return h(Representable<F>::index(*w, k)); });
}

// The F holding a at every position.
template <class F, class A>
auto pureRep(A a) {
  return Representable<F>::tabulate([a = std::move(a)](const Rep<F>&) { return a; });
}

// The F whose value at k is read (h(read m at k)) at k: the diagonal.
template <basis::HasTag FA, class H>
auto bindRep(const FA& m, H h) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate([m = detail::share(m), h = std::move(h)](const Rep<F>& k) {
    return Representable<F>::index(h(Representable<F>::index(*m, k)), k);
  });
}

// The F whose value at k is the v with v = read (h(v)) at k. h receives v
// deferred and must not force it before it yields the value at k; forcing
// it there throws basis::NonTermination. v is computed when the position k
// is computed.
template <class F, class A, class H>
auto mfixRep(H h) {
  using Box = std::optional<basis::Lazy<A>>;
  return Representable<F>::tabulate([h = detail::share(std::move(h))](const Rep<F>& k) -> A {
    auto box = std::make_shared<Box>();
    std::weak_ptr<Box> self = box;
    box->emplace(basis::Lazy<A>::defer([h, k, self]() -> A {
      auto held = self.lock();  // alive: the position is being computed below
      return Representable<F>::index((*h)(**held), k);
    }));
    return (*box)->force();
  });
}
template <class F, class H>
  requires requires { typename basis::callable_arg_t<H>::value_type; }
auto mfixRep(H h) {
  return mfixRep<F, typename basis::callable_arg_t<H>::value_type>(std::move(h));
}

// The F whose value at k is h(read as at k, read bs at k).
template <class H, basis::HasTag FA, basis::HasTag FB>
auto mzipWithRep(H h, const FA& as, const FB& bs) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate(
      [h = std::move(h), as = detail::share(as), bs = detail::share(bs)](const Rep<F>& k) {
        return h(Representable<F>::index(*as, k), Representable<F>::index(*bs, k));
      });
}

// The F whose value at k is the pair (read as at k, read bs at k).
template <basis::HasTag FA, basis::HasTag FB>
auto mzipRep(const FA& as, const FB& bs) {
  return mzipWithRep(
      [](const basis::element_of<FA>& a, const basis::element_of<FB>& b) {
        return std::pair<basis::element_of<FA>, basis::element_of<FB>>(a, b);
      },
      as, bs);
}

// The F whose value at k is k.
template <class F>
auto askRep() {
  return Representable<F>::tabulate([](const Rep<F>& k) { return k; });
}

// The F whose value at k is read m at h(k).
template <class H, basis::HasTag FA>
auto localRep(H h, const FA& m) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate([h = std::move(h), m = detail::share(m)](const Rep<F>& k) {
    return Representable<F>::index(*m, Rep<F>(h(k)));
  });
}

// The F whose value at k is (read fs at k) applied to (read xs at k).
template <basis::HasTag FF, basis::HasTag FA>
auto apRep(const FF& fs, const FA& xs) {
  using F = basis::tag_of<FF>;
  return Representable<F>::tabulate([fs = detail::share(fs), xs = detail::share(xs)](const Rep<F>& k) {
    return Representable<F>::index(*fs, k)(Representable<F>::index(*xs, k));
  });
}

// The F whose value at k is the W of the readings at k of wf's F-tables.
template <basis::HasTag WFA>
auto distributeRep(const WFA& wf) {
  using W = basis::tag_of<WFA>;
  using FA = basis::element_of<WFA>;
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate([wf = detail::share(wf)](const Rep<F>& k) {
    return basis::Functor<W>::fmap([k](const FA& fa) { return Representable<F>::index(fa, k); }, *wf);
  });
}

// The F whose value at k is the W of read (g(a)) at k over the elements a of
// wa.
template <class G, basis::HasTag WA>
auto collectRep(G g, const WA& wa) {
  using W = basis::tag_of<WA>;
  using A = basis::element_of<WA>;
  using FB = detail::Decay<std::invoke_result_t<G&, const A&>>;
  using F = basis::tag_of<FB>;
  auto gp = detail::share(std::move(g));
  return Representable<F>::tabulate([gp, wa = detail::share(wa)](const Rep<F>& k) {
    return basis::Functor<W>::fmap([gp, k](const A& a) { return Representable<F>::index((*gp)(a), k); }, *wa);
  });
}

// The F whose value at a is the F whose value at b is read w at plus(a, b).
template <class Plus, basis::HasTag FA>
auto duplicateRepBy(Plus plus, const FA& w) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate([plus = detail::share(std::move(plus)), w = detail::share(w)](const Rep<F>& a) {
    return Representable<F>::tabulate(
        [plus, w, a](const Rep<F>& b) { return Representable<F>::index(*w, Rep<F>((*plus)(a, b))); });
  });
}

// duplicateRepBy with the representing type's Semigroup `<>`.
template <basis::HasTag FA>
auto duplicatedRep(const FA& w) {
  using R = detail::RepOf<FA>;
  return duplicateRepBy([](const R& a, const R& b) { return basis::combine(a, b); }, w);
}

// duplicateRepBy with the representing type's Monoid `mappend`.
template <basis::HasTag FA>
auto duplicateRep(const FA& w) {
  using R = detail::RepOf<FA>;
  return duplicateRepBy([](const R& a, const R& b) { return basis::mappend(a, b); }, w);
}

// The F whose value at a is h(the F whose value at b is read w at plus(a, b)).
template <class Plus, class H, basis::HasTag FA>
auto extendRepBy(Plus plus, H h, const FA& w) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate(
      [plus = detail::share(std::move(plus)), h = std::move(h), w = detail::share(w)](const Rep<F>& a) {
        return h(Representable<F>::tabulate(
            [plus, w, a](const Rep<F>& b) { return Representable<F>::index(*w, Rep<F>((*plus)(a, b))); }));
      });
}

// extendRepBy with the representing type's Semigroup `<>`.
template <class H, basis::HasTag FA>
auto extendedRep(H h, const FA& w) {
  using R = detail::RepOf<FA>;
  return extendRepBy([](const R& a, const R& b) { return basis::combine(a, b); }, std::move(h), w);
}

// extendRepBy with the representing type's Monoid `mappend`.
template <class H, basis::HasTag FA>
auto extendRep(H h, const FA& w) {
  using R = detail::RepOf<FA>;
  return extendRepBy([](const R& a, const R& b) { return basis::mappend(a, b); }, std::move(h), w);
}

// read w at z.
template <basis::HasTag FA>
basis::element_of<FA> extractRepBy(const detail::RepOf<FA>& z, const FA& w) {
  return Representable<basis::tag_of<FA>>::index(w, z);
}

// read w at the representing type's `mempty`.
template <basis::HasTag FA>
basis::element_of<FA> extractRep(const FA& w) {
  return Representable<basis::tag_of<FA>>::index(w, basis::mempty<detail::RepOf<FA>>());
}

// The F whose value at k is h(k, read w at k).
template <class H, basis::HasTag FA>
auto imapRep(H h, const FA& w) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate(
      [h = std::move(h), w = detail::share(w)](const Rep<F>& k) { return h(k, Representable<F>::index(*w, k)); });
}

// The values of imapRep(h, w) combined by their Monoid, in F's fold order.
template <class H, basis::HasTag FA>
auto ifoldMapRep(H h, const FA& w) {
  return basis::Foldable<basis::tag_of<FA>>::fold(imapRep(std::move(h), w));
}

// The actions of imapRep(h, w) run in F's traversal order.
template <class H, basis::HasTag FA>
auto itraverseRep(H h, const FA& w) {
  return basis::Traversable<basis::tag_of<FA>>::sequenceA(imapRep(std::move(h), w));
}

// The same as mzipWithRep.
template <class H, basis::HasTag FA, basis::HasTag FB>
auto liftR2(H h, const FA& as, const FB& bs) {
  return mzipWithRep(std::move(h), as, bs);
}

// The F whose value at k is h(read as at k, read bs at k, read cs at k).
template <class H, basis::HasTag FA, basis::HasTag FB, basis::HasTag FC>
auto liftR3(H h, const FA& as, const FB& bs, const FC& cs) {
  using F = basis::tag_of<FA>;
  return Representable<F>::tabulate(
      [h = std::move(h), as = detail::share(as), bs = detail::share(bs), cs = detail::share(cs)](const Rep<F>& k) {
        return h(Representable<F>::index(*as, k), Representable<F>::index(*bs, k), Representable<F>::index(*cs, k));
      });
}

}  // namespace tandemory
