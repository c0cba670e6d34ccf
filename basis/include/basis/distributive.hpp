#pragma once
// Distributive<F>: distribute, collect, distributeM, collectM (after its
// Functor). The structure being distributed over (W below) is any functor;
// F is named explicitly: distribute<F>(w).
//
// A specialisation defines one of `distribute` / `collect` and inherits
// DistributiveDefaults<F> for the rest.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/compose.hpp"
#include "basis/functor.hpp"
#include "basis/product.hpp"

namespace basis {

template <class F>
struct Distributive;

// The defaults of Distributive.
template <class F>
struct DistributiveDefaults {
  // A W of F-structures turned into an F of W-structures.
  template <class WFA>
  static auto distribute(const WFA& w) {
    return Distributive<F>::collect([](const element_of<WFA>& fa) { return fa; }, w);
  }
  // f over w, then distribute.
  template <class Fn, class WA>
  static auto collect(Fn f, const WA& w) {
    return Distributive<F>::distribute(Functor<tag_of<WA>>::fmap(std::move(f), w));
  }
  // distribute where W is a monad.
  template <class WFA>
  static auto distributeM(const WFA& w) {
    return Distributive<F>::distribute(w);
  }
  // collect where W is a monad.
  template <class Fn, class WA>
  static auto collectM(Fn f, const WA& w) {
    return Distributive<F>::collect(std::move(f), w);
  }
};

// F has a complete Distributive specialisation (checked against W = vector).
template <class F>
concept DistributiveTag =
    FunctorTag<F> && requires(const std::vector<Apply<F, detail::ProbeA>>& w,
                              const std::vector<detail::ProbeA>& v,
                              Apply<F, detail::ProbeB> (*f)(const detail::ProbeA&)) {
      { Distributive<F>::distribute(w) } -> std::same_as<Apply<F, std::vector<detail::ProbeA>>>;
      { Distributive<F>::collect(f, v) } -> std::same_as<Apply<F, std::vector<detail::ProbeB>>>;
      { Distributive<F>::distributeM(w) } -> std::same_as<Apply<F, std::vector<detail::ProbeA>>>;
      { Distributive<F>::collectM(f, v) } -> std::same_as<Apply<F, std::vector<detail::ProbeB>>>;
    };

template <class F, HasTag WFA>
auto distribute(const WFA& w) {
  return Distributive<F>::distribute(w);
}
template <class F, class Fn, HasTag WA>
auto collect(Fn&& f, const WA& w) {
  return Distributive<F>::collect(std::forward<Fn>(f), w);
}
template <class F, HasTag WFA>
auto distributeM(const WFA& w) {
  return Distributive<F>::distributeM(w);
}
template <class F, class Fn, HasTag WA>
auto collectM(Fn&& f, const WA& w) {
  return Distributive<F>::collectM(std::forward<Fn>(f), w);
}

// ---------------------------------------------------------------------------
// Instances.

template <>
struct Distributive<IdentityTag> : DistributiveDefaults<IdentityTag> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    return Identity{Functor<tag_of<WFA>>::fmap([](const auto& x) { return x.value; }, w)};
  }
};

// The result applies every function of w to its argument; w is kept, and the
// argument is copied into the mapping, which may run after the call (a lazy W).
template <class E>
struct Distributive<FunctionFrom<E>> : DistributiveDefaults<FunctionFrom<E>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using A = element_of<element_of<WFA>>;
    using WA = Apply<tag_of<WFA>, A>;
    return std::function<WA(const E&)>([w](const E& e) {
      return Functor<tag_of<WFA>>::fmap([e](const std::function<A(const E&)>& g) { return g(e); }, w);
    });
  }
};

template <class F, class G>
  requires DistributiveTag<F> && DistributiveTag<G>
struct Distributive<ComposeOf<F, G>> : DistributiveDefaults<ComposeOf<F, G>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    auto outer = Distributive<F>::distribute(
        Functor<W>::fmap([](const auto& c) { return c.value; }, w));
    auto inner = Functor<F>::fmap([](const auto& wg) { return Distributive<G>::distribute(wg); }, outer);
    using A = element_of<element_of<WFA>>;
    return Compose<F, G, Apply<W, A>>{std::move(inner)};
  }
};

template <class F, class G>
  requires DistributiveTag<F> && DistributiveTag<G>
struct Distributive<ProductOf<F, G>> : DistributiveDefaults<ProductOf<F, G>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    using WA = Apply<W, A>;
    return functor::Product<F, G, WA>{
        Lazy<Apply<F, WA>>::defer([w] {
          return Distributive<F>::distribute(Functor<W>::fmap([](const auto& p) { return p.fst(); }, w));
        }),
        Lazy<Apply<G, WA>>::defer([w] {
          return Distributive<G>::distribute(Functor<W>::fmap([](const auto& p) { return p.snd(); }, w));
        })};
  }
};

}  // namespace basis
