#pragma once
// Folds, unfolds and refolds of Fix, Mu and Nu.
//
// An algebra turns one layer of results into a result; it comes in two forms,
// told apart by its parameter type:
// - over folded children, `R alg(Apply<F, R>)`: every child is folded before
//   its parent, in the order F's fmap visits them. The walk keeps its own
//   stack, so any depth folds (a million-layer list is fine). A layer whose
//   fmap keeps its function for later (basis::List) has its children folded
//   as alg reads them, a few C++ frames per level, any depth (they run where
//   the stack has room); alg must read them before it returns (a child read
//   later throws std::logic_error; see internal/engine.hpp).
// - over deferred children, `R alg(Apply<F, basis::Lazy<R>>)`: a child is
//   folded only if the algebra forces it, so an algebra that ignores a child
//   never visits that subtree (even an undefined or infinite one). Each
//   forced child nests a few C++ stack frames, run where the stack has room
//   (a forced basis::Lazy moves to a fresh heap segment when the stack runs
//   low), so chains of forced layers of any depth fold.
// An algebra with one fixed signature tells its result type; a generic one
// (`[](const auto& layer)`) needs it named: foldFix<R>(alg, x).
//
// A coalgebra turns a seed into one layer of seeds (or a basis::Lazy of one).
// The layer functor is inferred from that layer type through basis::TagOf, or
// named: unfoldFix<F>(coalg, seed). A seed may be given as a basis::Lazy; it
// is then forced only when its layer is needed.
//
// Every operation given only its leading arguments (the algebra, or the
// algebra and the coalgebra) returns a reusable function of the rest.

#include <any>
#include <type_traits>
#include <utility>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>

#include "knotloom/fixpoints.hpp"
#include "knotloom/internal/collect.hpp"
#include "knotloom/internal/engine.hpp"
#include "knotloom/internal/traits.hpp"

namespace knotloom {

// ---------------------------------------------------------------------------
// Fix

// x folded with alg (cata). Over folded children: O(layers), any depth.
// Over deferred children: alg runs on the outermost layer now, the rest as
// forced. Throws what alg or a layer's computation throws.
template <class R = Infer, class Alg, class F>
auto foldFix(Alg alg, const Fix<F>& x) {
  using Shape = internal::AlgebraShape<F, R, Alg>;
  using Result = typename Shape::result;
  if constexpr (Shape::lazy) {
    return internal::refoldLazy<F, Result, Fix<F>>(std::move(alg), internal::FixLayers<F>{}, x);
  } else {
    internal::FixLayers<F> layers;
    return internal::refoldStrict<F, Result>(alg, layers, x);
  }
}
template <class R = Infer, class Alg>
auto foldFix(Alg alg) {
  return [alg = std::move(alg)](const auto& x) { return foldFix<R>(alg, x); };
}

// The Fix that coalg unfolds from seed (ana). Returns at once without calling
// coalg: each layer is made when it is first read, so an infinite unfold is
// fine if read in part. Reading k layers calls coalg k times.
template <class F = Infer, class Coalg, class S>
auto unfoldFix(Coalg coalg, S seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  using G = typename internal::CoalgebraFunctor<F, Coalg, Seed>::type;
  return internal::unfoldLazy<G, Seed>(std::move(coalg),
                                       internal::seedOf<Seed>(std::move(seed)));
}
template <class F = Infer, class Coalg>
auto unfoldFix(Coalg coalg) {
  return [coalg = std::move(coalg)](auto seed) { return unfoldFix<F>(coalg, std::move(seed)); };
}

// alg folding what coalg unfolds from seed, without building any Fix layer
// (hylo): equal to foldFix(alg, unfoldFix(coalg, seed)) for finite unfolds.
// Cost and depth as foldFix; each layer coalg makes is dropped once folded.
// The result type is named first, the functor second: refold<R, F>(...).
template <class R = Infer, class F = Infer, class Alg, class Coalg, class S>
auto refold(Alg alg, Coalg coalg, const S& seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  using G = typename internal::CoalgebraFunctor<F, Coalg, Seed>::type;
  using Layer = internal::CoalgebraLayer<Coalg, Seed>;
  using Shape = internal::AlgebraShape<G, R, Alg>;
  using Result = typename Shape::result;
  internal::CoalgebraLayers<Coalg, Layer> layers{std::move(coalg)};
  const Seed root(internal::unlazy(seed));
  if constexpr (Shape::lazy) {
    return internal::refoldLazy<G, Result, Seed>(std::move(alg), std::move(layers), root);
  } else {
    return internal::refoldStrict<G, Result>(alg, layers, root);
  }
}
template <class R = Infer, class F = Infer, class Alg, class Coalg>
auto refold(Alg alg, Coalg coalg) {
  return [alg = std::move(alg), coalg = std::move(coalg)](const auto& seed) {
    return refold<R, F>(alg, coalg, seed);
  };
}

// ---------------------------------------------------------------------------
// Mu

// m folded with alg: m's fold function run with alg converted to the
// carrier (see fixpoints.hpp for the cost). Needs basis::Functor<F> for that
// conversion. The children are always folded first, also for an algebra over
// deferred children (it receives them evaluated). Any depth: unfoldMu values
// fold on the walk's own stack, wrapMu layers nest where the stack has room.
// Throws std::bad_any_cast when a hand-written fold function returns
// another type, and what alg throws.
template <class R = Infer, class Alg, class F>
auto foldMu(Alg alg, const Mu<F>& m) {
  using Shape = internal::AlgebraShape<F, R, Alg>;
  using Result = typename Shape::result;
  using Child = std::conditional_t<Shape::lazy, basis::Lazy<Result>, Result>;
  // m's fold may keep the carrier algebra past this call (a wrapMu layer
  // with a lazy fmap): it shares alg rather than pointing at it.
  typename Mu<F>::Algebra carrierAlgebra = [shared = internal::share(std::move(alg))](
                                               const typename Mu<F>::CarrierLayer& layer) {
    return std::any(shared->value(basis::Functor<F>::fmap(
        [](const std::any& child) -> Child { return std::any_cast<const Result&>(child); },
        layer)));
  };
  std::any result = m.unMu()(carrierAlgebra);
  return std::any_cast<Result>(std::move(result));
}
template <class R = Infer, class Alg>
auto foldMu(Alg alg) {
  return [alg = std::move(alg)](const auto& m) { return foldMu<R>(alg, m); };
}

// The Mu whose fold, given an algebra, refolds it with coalg from seed. O(1)
// to build; each fold runs the refold anew (coalg runs again), at any depth.
template <class F = Infer, class Coalg, class S>
auto unfoldMu(Coalg coalg, S seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  using G = typename internal::CoalgebraFunctor<F, Coalg, Seed>::type;
  using Layer = internal::CoalgebraLayer<Coalg, Seed>;
  return Mu<G>([coalg = std::move(coalg), seed = internal::seedOf<Seed>(std::move(seed))](
                   const typename Mu<G>::Algebra& alg) -> std::any {
    internal::CoalgebraLayers<const Coalg&, Layer> layers{coalg};
    return internal::refoldStrict<G, std::any>(alg, layers, seed.force());
  });
}
template <class F = Infer, class Coalg>
auto unfoldMu(Coalg coalg) {
  return [coalg = std::move(coalg)](auto seed) { return unfoldMu<F>(coalg, std::move(seed)); };
}

// One layer of m: m folded with the algebra that maps wrapMu over a layer.
// Runs the whole fold of m (O(layers)); the children are wrapMu values.
template <class F>
basis::Apply<F, Mu<F>> unwrapMu(const Mu<F>& m) {
  using Layer = basis::Apply<F, Mu<F>>;
  return foldMu<Layer>(
      [](const basis::Apply<F, Layer>& layer) {
        return basis::Functor<F>::fmap([](const Layer& l) { return wrapMu<F>(l); }, layer);
      },
      m);
}

// ---------------------------------------------------------------------------
// Nu

// n folded with alg: the refold of alg with n's step from n's seed. Cost and
// depth as refold, plus the step's seed boxing (see fixpoints.hpp).
template <class R = Infer, class Alg, class F>
auto foldNu(Alg alg, const Nu<F>& n) {
  return refold<R, F>(std::move(alg), n.step(), n.seed().force());
}
template <class R = Infer, class Alg>
auto foldNu(Alg alg) {
  return [alg = std::move(alg)](const auto& n) { return foldNu<R>(alg, n); };
}

// ---------------------------------------------------------------------------
// The second names: the same operations.

template <class R = Infer, class... Args>
auto cata(Args&&... args) {
  return foldFix<R>(std::forward<Args>(args)...);
}
template <class F = Infer, class... Args>
auto ana(Args&&... args) {
  return unfoldFix<F>(std::forward<Args>(args)...);
}
template <class R = Infer, class F = Infer, class... Args>
auto hylo(Args&&... args) {
  return refold<R, F>(std::forward<Args>(args)...);
}

// ---------------------------------------------------------------------------
// Conversions between the three. They are compositions of the operations
// above (the module has no operation of its own for them):
//   Mu  -> Fix   foldMu(wrapFix<F>, m)
//   Nu  -> Fix   unfoldFix<F>(n.step(), n.seed()), deferred layer by layer
//   Fix -> Mu    unfoldMu(unFix<F>, x)
//   Fix -> Nu    unfoldNu(unFix<F>, x)
// The forms below are the ones the standard interfaces use.

namespace internal {

template <class F>
Fix<F> toFix(const Mu<F>& m) {
  return foldMu<Fix<F>>(&wrapFix<F>, m);
}

template <class F>
Fix<F> toFix(const Nu<F>& n) {
  return unfoldLazy<F, std::any>(n.step(), n.seed());
}

template <class F>
const Fix<F>& toFix(const Fix<F>& x) {
  return x;
}

// The Mu of a Fix: each fold walks x's layers in place (no copy of a layer).
template <class F>
Mu<F> toMu(const Fix<F>& x) {
  return Mu<F>([x](const typename Mu<F>::Algebra& alg) -> std::any {
    FixLayers<F> layers;
    return refoldStrict<F, std::any>(alg, layers, x);
  });
}

template <class F>
Nu<F> toNu(const Fix<F>& x) {
  return Nu<F>(&unFix<F>, x);
}

}  // namespace internal
}  // namespace knotloom
