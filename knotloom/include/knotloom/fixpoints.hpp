#pragma once
// Fix, Mu and Nu: three ways to hold a structure made of layers of one
// functor F (a tag with `template <class A> using apply = ...` and a
// basis::Functor specialisation), and the operations that add, remove or
// re-type layers.
//
// - Fix<F> holds the layers themselves. A Fix is one counted heap cell
//   holding its layer as a basis::Lazy, so a layer may stay unbuilt until it
//   is read: an infinite Fix is fine as long as it is read in part.
// - Mu<F> holds the structure as its own fold function. C++ has no function
//   "for every result type", so the fold runs over one carrier type,
//   std::any: the algebra it receives takes a layer of std::any and returns
//   std::any. foldMu converts the caller's typed algebra to and from that
//   carrier (one fmap per layer to read the children out of their std::any,
//   and one std::any per result, which allocates when the result is larger
//   than a pointer); the conversion back is checked by std::any_cast, which
//   throws std::bad_any_cast if a hand-written fold function returns another
//   type.
// - Nu<F> holds a seed and a step that makes one layer of seeds from a seed.
//   The seed's type is hidden the same way: the seed is kept as a
//   basis::Lazy<std::any> and the step as a function from std::any to a layer
//   of std::any, which casts the seed back (std::any_cast, checked) and boxes
//   the new seeds (one fmap and one std::any per child seed per step).
//   Erasing the step needs the layer's Functor when the Nu is built.
//
// Every value is immutable and shares what it does not change. Freeing any of
// them never nests one destructor per layer (see internal/collect.hpp), so a
// structure of millions of layers is freed in constant stack.

#include <any>
#include <functional>
#include <type_traits>
#include <utility>
#include <variant>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/ref.hpp>
#include <basis/stack.hpp>

#include "knotloom/internal/collect.hpp"
#include "knotloom/internal/traits.hpp"

namespace knotloom {

template <class F>
class Fix;
template <class F>
class Mu;
template <class F>
class Nu;

namespace internal {
struct NuAccess;
}  // namespace internal

// ---------------------------------------------------------------------------
// Fix

// The structure held as nested layers: one field, the outermost layer, whose
// children are again Fix<F> values.
template <class F>
class Fix {
 public:
  using Functor = F;
  using Layer = basis::Apply<F, Fix>;

  // The constructor Fix: wraps an evaluated layer. One allocation. (Both
  // constructors are templates taking exactly their type, so that checking
  // how a Fix converts never needs Layer complete.)
  template <class L>
    requires std::is_same_v<std::remove_cvref_t<L>, typename F::template apply<Fix>>
  explicit Fix(L&& layer) : node_(new Node(basis::Lazy<Layer>(std::forward<L>(layer)))) {}
  // Wraps a layer that may still be deferred; it is computed when first read.
  template <class L>
    requires std::is_same_v<std::remove_cvref_t<L>, basis::Lazy<typename F::template apply<Fix>>>
  explicit Fix(L&& layer) : node_(new Node(std::forward<L>(layer))) {}

  // The layer (the field unFix), computing it on first demand; throws what
  // that computation throws.
  const Layer& unFix() const { return node_->layer.force(); }
  // The layer as held, without computing it.
  const basis::Lazy<Layer>& lazyLayer() const noexcept { return node_->layer; }

  // True when both are the very same cell (not a structural comparison).
  bool sameCell(const Fix& other) const noexcept { return node_ == other.node_; }

 private:
  struct Node;
  basis::Ref<Node> node_;
};

// Layers are held in a cell of their own: basis::Lazy<Layer> needs Layer, and
// so Fix<F>, complete.
template <class F>
struct Fix<F>::Node final : internal::Collectable {
  template <class L>
  explicit Node(L&& l) : layer(std::forward<L>(l)) {}
  basis::Lazy<Layer> layer;
};

template <class L>
  requires basis::HasTag<L>
Fix(L) -> Fix<basis::tag_of<L>>;

namespace internal {

// L (or the value of a basis::Lazy L) is a layer of the functor its
// basis::TagOf names, with children of type Knot of that functor.
template <class L, template <class> class Knot>
concept LayerOfKnot =
    basis::HasTag<Unlazy<L>> &&
    std::is_same_v<Unlazy<L>, basis::Apply<basis::tag_of<Unlazy<L>>, Knot<basis::tag_of<Unlazy<L>>>>>;

template <class L>
using LayerFunctor = basis::tag_of<Unlazy<L>>;

}  // namespace internal

// The constructor Fix as a function: the layer seen as a Fix. The layer is
// taken as a basis::Lazy (a plain layer converts to one) and is not computed
// here: wrapFix<F>(unwrapFix(x)) shares x's layer, deferred or not. The
// functor is named, wrapFix<F>(layer), so that `wrapFix<F>` can be passed as
// an algebra. O(1), one allocation; the layer is moved in, not copied.
template <class F>
Fix<F> wrapFix(basis::Lazy<basis::Apply<F, Fix<F>>> layer) {
  return Fix<F>(std::move(layer));
}
// wrapFix with the functor read from the layer's basis::TagOf.
template <class L>
  requires internal::LayerOfKnot<L, Fix>
Fix<internal::LayerFunctor<L>> wrapFix(L layer) {
  return wrapFix<internal::LayerFunctor<L>>(std::move(layer));
}

// The layer of x as held, not computed: unwrapFix(Fix(l)) shares l's
// deferred computation. O(1).
template <class F>
const basis::Lazy<basis::Apply<F, Fix<F>>>& unwrapFix(const Fix<F>& x) noexcept {
  return x.lazyLayer();
}

// The layer of x (the field unFix), computed on first demand. O(1) once
// computed; throws what the layer's computation throws.
template <class F>
const basis::Apply<F, Fix<F>>& unFix(const Fix<F>& x) {
  return x.unFix();
}

// ---------------------------------------------------------------------------
// Mu

// The structure held as its fold function: given an algebra at the carrier
// (a layer of results to a result, both std::any), the result for the whole
// structure.
template <class F>
class Mu {
 public:
  using Functor = F;
  using CarrierLayer = basis::Apply<F, std::any>;
  using Algebra = std::function<std::any(const CarrierLayer&)>;
  using FoldFunction = std::function<std::any(const Algebra&)>;

  // The constructor Mu: the fold function, kept as given. One allocation.
  explicit Mu(FoldFunction fold) : node_(new Node(std::move(fold))) {}

  // The fold function (the field unMu).
  const FoldFunction& unMu() const noexcept { return node_->fold; }

 private:
  struct Node final : internal::Collectable {
    explicit Node(FoldFunction f) : fold(std::move(f)) {}
    FoldFunction fold;
  };
  basis::Ref<Node> node_;
};

// The fold function of m (the field unMu). O(1).
template <class F>
const typename Mu<F>::FoldFunction& unMu(const Mu<F>& m) noexcept {
  return m.unMu();
}

// The Mu of one layer of Mu values: its fold folds every child with the
// algebra and applies the algebra to the layer of their results. O(1) to
// build; each fold of it nests once per wrapMu layer, each child's fold run
// where the stack has room (basis/stack.hpp), so any depth folds.
template <class F>
Mu<F> wrapMu(basis::Apply<F, Mu<F>> layer) {
  return Mu<F>([layer = std::move(layer)](const typename Mu<F>::Algebra& alg) -> std::any {
    // A lazy fmap may keep the function past this call: it holds its own alg.
    return alg(basis::Functor<F>::fmap(
        [alg](const Mu<F>& m) { return basis::withStackRoom([&] { return m.unMu()(alg); }); }, layer));
  });
}
// wrapMu with the functor read from the layer's basis::TagOf.
template <class L>
  requires(!internal::isLazy<L> && internal::LayerOfKnot<L, Mu>)
Mu<internal::LayerFunctor<L>> wrapMu(L layer) {
  return wrapMu<internal::LayerFunctor<L>>(std::move(layer));
}

// ---------------------------------------------------------------------------
// Nu

// The structure held as a step and a hidden seed.
template <class F>
class Nu {
 public:
  using Functor = F;
  using CarrierLayer = basis::Apply<F, std::any>;
  // The step over the erased seed.
  using Step = std::function<CarrierLayer(const std::any&)>;

  // The constructor Nu: the step `seed -> layer of seeds` and the seed, which
  // may be a basis::Lazy and is then left unevaluated. Calls neither; needs
  // basis::Functor<F> to erase the step. Two allocations (three when the seed
  // is deferred).
  template <class Coalg, class S>
  Nu(Coalg step, S seed);

  // The erased step (called once per unwrapNu) and the erased seed.
  const Step& step() const noexcept { return node_->step->step; }
  const basis::Lazy<std::any>& seed() const noexcept { return node_->seed; }

 private:
  struct StepCell final : internal::Collectable {
    explicit StepCell(Step s) : step(std::move(s)) {}
    Step step;
  };
  struct Node final : internal::Collectable {
    Node(basis::Ref<StepCell> st, basis::Lazy<std::any> sd) : step(std::move(st)), seed(std::move(sd)) {}
    basis::Ref<StepCell> step;
    basis::Lazy<std::any> seed;
  };

  Nu(basis::Ref<StepCell> step, basis::Lazy<std::any> seed)
      : node_(new Node(std::move(step), std::move(seed))) {}

  friend struct internal::NuAccess;

  basis::Ref<Node> node_;
};

namespace internal {

// The seed of every Nu that wrapNu makes: the layer it was given, or a Nu
// standing for itself (a child of such a layer, once unwrapped).
template <class F>
struct WrappedSeed {
  using Value = std::variant<basis::Apply<F, Nu<F>>, Nu<F>>;
  Value value;
};

// The step of every Nu that wrapNu makes (defined below).
template <class F>
typename Nu<F>::CarrierLayer wrappedStep(const std::any& seed);

// The shared step cell and the seed of a Nu, for the operations that build
// new Nu values from them.
struct NuAccess {
  // The one step cell of every Nu that wrapNu makes, by which wrappedStep
  // knows such a Nu. Made on first use and never freed.
  template <class F>
  static const basis::Ref<typename Nu<F>::StepCell>& wrappedCell() {
    using Cell = typename Nu<F>::StepCell;
    static const auto* const cell = new basis::Ref<Cell>(new Cell(&wrappedStep<F>));
    return *cell;
  }
  template <class F>
  static const auto& stepCell(const Nu<F>& n) noexcept {
    return n.node_->step;
  }
  template <class F, class Cell>
  static Nu<F> withCell(const basis::Ref<Cell>& step, basis::Lazy<std::any> seed) {
    return Nu<F>(step, std::move(seed));
  }
  template <class F>
  static Nu<F> withStep(typename Nu<F>::Step step, basis::Lazy<std::any> seed) {
    using Cell = typename Nu<F>::StepCell;
    return Nu<F>(basis::Ref<Cell>(new Cell(std::move(step))), std::move(seed));
  }
};

// The seed type a step expects: its parameter type when it has one fixed
// signature, else the seed's own type.
template <class Coalg, class S>
struct SeedType {
  using type = S;
};
template <class Coalg, class S>
  requires HasSignature<Coalg>
struct SeedType<Coalg, S> {
  using type = typename CallableSignature<Coalg>::argument;
};

}  // namespace internal

template <class F>
template <class Coalg, class S>
Nu<F>::Nu(Coalg coalg, S seed) {
  using Seed = typename internal::SeedType<Coalg, internal::Unlazy<S>>::type;
  // Every boxed seed is a Seed, so the cast in the step always finds one.
  Step erased = [coalg = std::move(coalg)](const std::any& s) -> CarrierLayer {
    return basis::Functor<F>::fmap([](const auto& child) { return std::any(Seed(child)); },
                                   internal::unlazy(coalg(std::any_cast<const Seed&>(s))));
  };
  basis::Lazy<std::any> erasedSeed = [&] {
    if constexpr (std::is_same_v<S, Seed>) {
      return basis::Lazy<std::any>(std::any(std::move(seed)));
    } else if constexpr (internal::isLazy<S>) {
      return basis::Lazy<std::any>::defer([seed] { return std::any(Seed(seed.force())); });
    } else {
      return basis::Lazy<std::any>(std::any(Seed(std::move(seed))));
    }
  }();
  node_ = basis::Ref<Node>(new Node(basis::Ref<StepCell>(new StepCell(std::move(erased))),
                                    std::move(erasedSeed)));
}

// One layer of n: the step applied to the seed once (forcing the seed), each
// new seed made a Nu with the same step. One step call and one allocation
// per child; throws what the step or the seed throws.
template <class F>
basis::Apply<F, Nu<F>> unwrapNu(const Nu<F>& n) {
  const auto& cell = internal::NuAccess::stepCell(n);
  typename Nu<F>::CarrierLayer layer = n.step()(n.seed().force());
  return basis::Functor<F>::fmap(
      [cell](const std::any& s) {
        return internal::NuAccess::withCell<F>(cell, basis::Lazy<std::any>(s));
      },
      layer);
}

namespace internal {

template <class F>
typename Nu<F>::CarrierLayer wrappedStep(const std::any& seed) {
  const auto box = [](const Nu<F>& child) { return std::any(WrappedSeed<F>{typename WrappedSeed<F>::Value(std::in_place_index<1>, child)}); };
  const WrappedSeed<F>* at = &std::any_cast<const WrappedSeed<F>&>(seed);
  // A child that wrapNu made stands for its own seed: going straight to that
  // seed keeps a step O(1) however deep the wrapped layers go (unwrapping it
  // instead would nest one more step per layer below). Such a seed is held
  // evaluated, so reading it runs nothing.
  while (const Nu<F>* child = std::get_if<1>(&at->value)) {
    if (NuAccess::stepCell(*child).get() != NuAccess::wrappedCell<F>().get()) {
      return basis::Functor<F>::fmap(box, unwrapNu(*child));
    }
    at = &std::any_cast<const WrappedSeed<F>&>(child->seed().force());
  }
  return basis::Functor<F>::fmap(box, std::get<0>(at->value));
}

}  // namespace internal

// The Nu of one layer of Nu values: the seed is the layer itself and the
// step gives its children, each a Nu standing for itself as a seed, so
// unwrapping the result calls no child's step. O(1) to build; every step of
// a fold or unwrap of it is O(1) more than the children's own steps, so a
// Nu wrapped layer by layer folds in time and memory linear in its depth.
template <class F>
Nu<F> wrapNu(basis::Apply<F, Nu<F>> layer) {
  return internal::NuAccess::withCell<F>(
      internal::NuAccess::wrappedCell<F>(),
      basis::Lazy<std::any>(std::any(internal::WrappedSeed<F>{
          typename internal::WrappedSeed<F>::Value(std::in_place_index<0>, std::move(layer))})));
}
// wrapNu with the functor read from the layer's basis::TagOf.
template <class L>
  requires(!internal::isLazy<L> && internal::LayerOfKnot<L, Nu>)
Nu<internal::LayerFunctor<L>> wrapNu(L layer) {
  return wrapNu<internal::LayerFunctor<L>>(std::move(layer));
}

// The Nu with the step `coalg` and the seed (unfoldNu): neither is called or
// forced. The functor is inferred from the step's layer type (basis::TagOf)
// or named: unfoldNu<F>(coalg, seed). Needs basis::Functor<F> (to erase the
// step).
template <class F = Infer, class Coalg, class S>
auto unfoldNu(Coalg coalg, S seed) {
  using G = typename internal::CoalgebraFunctor<
      F, Coalg, typename internal::SeedType<Coalg, internal::Unlazy<S>>::type>::type;
  return Nu<G>(std::move(coalg), std::move(seed));
}
// unfoldNu with its coalgebra alone: a reusable function of the seed.
template <class F = Infer, class Coalg>
auto unfoldNu(Coalg coalg) {
  return [coalg = std::move(coalg)](auto seed) { return unfoldNu<F>(coalg, std::move(seed)); };
}

// ---------------------------------------------------------------------------
// Changing the layer type. A natural transformation nt is a callable that
// turns an F-layer of any child type into a G-layer of the same child type
// (a generic lambda, or an object with a templated call operator). G is
// inferred from nt's result (basis::TagOf) or named: hoistFix<G>(nt, x).

// x with nt applied to every layer, children converted first by F's mapping:
// Fix(nt(fmap(hoistFix(nt), unFix x))). O(1): each layer is converted when
// it is first read (one nt and one fmap call, throwing what they or x's
// layer throw), so an infinite Fix can be hoisted and read in part.
template <class G = Infer, class Nt, class F>
auto hoistFix(Nt nt, const Fix<F>& x) -> Fix<typename internal::TargetFunctor<G, F, Nt>::type> {
  using H = typename internal::TargetFunctor<G, F, Nt>::type;
  using Layer = typename Fix<H>::Layer;
  return Fix<H>(basis::Lazy<Layer>::defer([nt = std::move(nt), x]() -> Layer {
    return nt(basis::Functor<F>::fmap([nt](const Fix<F>& c) { return hoistFix<H>(nt, c); },
                                      x.unFix()));
  }));
}

// x with nt applied to every layer before its children are converted by G's
// mapping: Fix(fmap(hoistFix'(nt), nt(unFix x))). O(1), each layer
// converted when first read, like hoistFix.
template <class G = Infer, class Nt, class F>
auto hoistFix_(Nt nt, const Fix<F>& x) -> Fix<typename internal::TargetFunctor<G, F, Nt>::type> {
  using H = typename internal::TargetFunctor<G, F, Nt>::type;
  using Layer = typename Fix<H>::Layer;
  return Fix<H>(basis::Lazy<Layer>::defer([nt = std::move(nt), x]() -> Layer {
    return basis::Functor<H>::fmap([nt](const Fix<F>& c) { return hoistFix_<H>(nt, c); },
                                   nt(x.unFix()));
  }));
}

// The Mu whose fold, given a G-algebra, folds m with nt followed by that
// algebra. O(1); needs no Functor; each fold runs nt once per layer and
// throws what nt or m's fold throws.
template <class G = Infer, class Nt, class F>
auto hoistMu(Nt nt, const Mu<F>& m) {
  using H = typename internal::TargetFunctor<G, F, Nt>::type;
  return Mu<H>([nt = std::move(nt), m](const typename Mu<H>::Algebra& alg) -> std::any {
    // m's fold may keep this algebra past the call (a wrapMu layer with a
    // lazy fmap): it holds its own nt and alg.
    return m.unMu()(typename Mu<F>::Algebra(
        [nt, alg](const typename Mu<F>::CarrierLayer& layer) { return alg(nt(layer)); }));
  });
}

// The Nu with n's seed and a step that runs n's step, then nt. Neither the
// step nor the seed is run. O(1).
template <class G = Infer, class Nt, class F>
auto hoistNu(Nt nt, const Nu<F>& n) {
  using H = typename internal::TargetFunctor<G, F, Nt>::type;
  typename Nu<H>::Step step = [nt = std::move(nt), old = internal::NuAccess::stepCell(n)](
                                  const std::any& s) { return nt(old->step(s)); };
  return internal::NuAccess::withStep<H>(std::move(step), n.seed());
}

}  // namespace knotloom
