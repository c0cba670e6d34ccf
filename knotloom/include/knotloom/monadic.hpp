#pragma once
// The monadic folds, unfolds and refolds: the algebra and the coalgebra are
// steps with effects in a monad M (a tag with basis::Monad), and the children
// of a layer are run one after another by the layer's basis::Traversable
// (`mapM`), each child's whole subtree finished before the next child starts.
// Binds nest to the left as written below.
//
// A monadic algebra has the shape `Apply<M, R> alg(Apply<F, R>)`; M and R are
// read from its signature, or R is named for a generic one: foldFixM<R>(...).
// A monadic coalgebra has the shape `Apply<M, Apply<F, S>> coalg(S)`; M and F
// are read from its result type through basis::TagOf, or F is named.
//
// Depth: these recurse through the monad's bind and the layer's traversal,
// several C++ frames per layer, each layer's step run where the stack has
// room (basis/stack.hpp), so any depth works, on any thread's stack. The
// effects' own costs are the monad's.

#include <type_traits>
#include <utility>

#include <basis/functor.hpp>
#include <basis/monad.hpp>
#include <basis/ref.hpp>
#include <basis/stack.hpp>
#include <basis/traversable.hpp>

#include "knotloom/fixpoints.hpp"
#include "knotloom/internal/collect.hpp"
#include "knotloom/internal/traits.hpp"

namespace knotloom {

// x folded with a monadic algebra (cataM): go x = mapM(go, unFix x) >>= alg.
// Effects in post-order: a node's children's subtrees in traversal order,
// then alg on the node. A monad that stops (optional) stops the walk.
template <class R = Infer, class Alg, class F>
auto foldFixM(Alg alg, const Fix<F>& x) {
  using Shape = internal::MonadicAlgebraShape<F, R, Alg>;
  using M = typename Shape::monad;
  using Result = typename Shape::result;
  using Action = basis::Apply<M, Result>;
  struct Go {
    basis::Ref<internal::Shared<Alg>> alg;
    Action operator()(const Fix<F>& y) const {
      // A strict monad runs the children's walks inside this call: one
      // nesting per layer, run where the stack has room.
      return basis::withStackRoom([&] {
        return basis::Monad<M>::bind(
            basis::Traversable<F>::mapM(*this, y.unFix()),
            [alg = alg](const basis::Apply<F, Result>& layer) -> Action { return alg->value(layer); });
      });
    }
  };
  return Go{internal::share(std::move(alg))}(x);
}
template <class R = Infer, class Alg>
auto foldFixM(Alg alg) {
  return [alg = std::move(alg)](const auto& x) { return foldFixM<R>(alg, x); };
}

// The Fix a monadic coalgebra unfolds from seed, inside M (anaM):
// go s = (coalg s >>= mapM(go)) >>= return . wrapFix. Effects in pre-order:
// coalg on a seed, then the whole unfolding of each child seed in order.
// The result is fully built (an infinite unfold does not return).
template <class F = Infer, class Coalg, class S>
auto unfoldFixM(Coalg coalg, const S& seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  using Shape = internal::MonadicCoalgebraShape<F, Coalg, Seed>;
  using M = typename Shape::monad;
  using G = typename Shape::functor;
  using Layer = typename Shape::layer;
  using Action = basis::Apply<M, Fix<G>>;
  struct Go {
    basis::Ref<internal::Shared<Coalg>> coalg;
    Action operator()(const Seed& s) const {
      const Go self = *this;
      return basis::withStackRoom([&] {
        return basis::Monad<M>::bind(
            basis::Monad<M>::bind(
                coalg->value(s),
                [self](const Layer& layer) { return basis::Traversable<G>::mapM(self, layer); }),
            [](const basis::Apply<G, Fix<G>>& layer) -> Action {
              return basis::Monad<M>::return_(Fix<G>(layer));
            });
      });
    }
  };
  return Go{internal::share(std::move(coalg))}(Seed(internal::unlazy(seed)));
}
template <class F = Infer, class Coalg>
auto unfoldFixM(Coalg coalg) {
  return [coalg = std::move(coalg)](const auto& seed) { return unfoldFixM<F>(coalg, seed); };
}

// A monadic refold (hyloM): go s = (coalg s >>= mapM(go)) >>= alg, building
// no Fix. Effects: coalg on a seed, each child's whole refold in order, then
// alg on the node.
template <class R = Infer, class F = Infer, class Alg, class Coalg, class S>
auto refoldM(Alg alg, Coalg coalg, const S& seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  using CoShape = internal::MonadicCoalgebraShape<F, Coalg, Seed>;
  using M = typename CoShape::monad;
  using G = typename CoShape::functor;
  using Layer = typename CoShape::layer;
  using Result = typename internal::MonadicAlgebraShape<G, R, Alg>::result;
  using Action = basis::Apply<M, Result>;
  struct Steps {
    Alg alg;
    Coalg coalg;
  };
  struct Go {
    basis::Ref<internal::Shared<Steps>> steps;
    Action operator()(const Seed& s) const {
      const Go self = *this;
      return basis::withStackRoom([&] {
        return basis::Monad<M>::bind(
            basis::Monad<M>::bind(
                steps->value.coalg(s),
                [self](const Layer& layer) { return basis::Traversable<G>::mapM(self, layer); }),
            [self](const basis::Apply<G, Result>& layer) -> Action {
              return self.steps->value.alg(layer);
            });
      });
    }
  };
  return Go{internal::share(Steps{std::move(alg), std::move(coalg)})}(
      Seed(internal::unlazy(seed)));
}
template <class R = Infer, class F = Infer, class Alg, class Coalg>
auto refoldM(Alg alg, Coalg coalg) {
  return [alg = std::move(alg), coalg = std::move(coalg)](const auto& seed) {
    return refoldM<R, F>(alg, coalg, seed);
  };
}

// The second names: the same operations.
template <class R = Infer, class... Args>
auto cataM(Args&&... args) {
  return foldFixM<R>(std::forward<Args>(args)...);
}
template <class F = Infer, class... Args>
auto anaM(Args&&... args) {
  return unfoldFixM<F>(std::forward<Args>(args)...);
}
template <class R = Infer, class F = Infer, class... Args>
auto hyloM(Args&&... args) {
  return refoldM<R, F>(std::forward<Args>(args)...);
}

}  // namespace knotloom
