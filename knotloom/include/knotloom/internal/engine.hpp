#pragma once
// The two walks under every fold, unfold and refold.
//
// refoldStrict: the algebra receives its children folded. The walk keeps its
// own stack (frames, waiting child seeds, finished results) on the heap,
// about 24 bytes per level for a Fix list, so its depth is bounded by memory,
// not by the C++ stack. It reads a layer's children with the layer's fmap,
// twice: once to collect the child seeds, once to put the children's results
// in their places. An eager fmap (basis's optional, vector and pair layers,
// the usual hand-written ones) applies its function during the call, once
// per child, in the same order each time, and is walked that way. A lazy
// fmap (basis::List, functions from E) keeps the function for later: such a
// child is folded when the algebra reads it, by a walk of its own (a few C++
// frames per level of such children, run where the stack has room, since the
// read forces a basis::Lazy). A child read after its fold has
// returned throws std::logic_error (the walk's state is gone by then; fold
// such layers with an algebra over deferred children to keep them).
//
// refoldLazy: the algebra receives its children deferred (basis::Lazy), each
// folded only when the algebra forces it, at any time. Forcing nests: a
// chain of forced children uses a few C++ stack frames per layer, on a fresh
// heap stack segment whenever the stack runs low (basis::Lazy's force).
//
// Every function these walks hand to a layer's fmap holds what it uses by
// value or by counted reference, or checks that its walk is still running
// before it touches the walk's state: a lazy fmap may call it long after the
// walk returned.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include <basis/functor.hpp>
#include <basis/lazy.hpp>
#include <basis/ref.hpp>
#include <basis/types.hpp>

#include "knotloom/fixpoints.hpp"
#include "knotloom/internal/collect.hpp"
#include "knotloom/internal/stack.hpp"
#include "knotloom/internal/traits.hpp"

namespace knotloom::internal {

// The layers of a Fix: a reference into the Fix's own cell, which lives as
// long as the walk holds the Fix.
template <class F>
struct FixLayers {
  const typename Fix<F>::Layer& operator()(const Fix<F>& x) const { return x.unFix(); }
};

// The layers a coalgebra makes, held by value (forced when it returns a Lazy).
template <class Coalg, class Layer>
struct CoalgebraLayers {
  Coalg coalg;
  template <class S>
  Layer operator()(const S& seed) {
    return unlazy(coalg(seed));
  }
};

[[noreturn]] void throwUnwalkableLayer();
[[noreturn]] void throwChildReadLate();

// The strict walks running on this thread, innermost first (an algebra may
// run a fold of its own). A mapping function that a lazy fmap kept checks
// that its walk is still among them before it touches the walk's state.
struct OpenWalk {
  const void* walk;
  std::uint64_t id;
  OpenWalk* outer;
};
extern constinit thread_local OpenWalk* openWalks;
// A number no other walk of the process has.
std::uint64_t newWalkId() noexcept;

// Registers a walk as running for as long as it lives.
class WalkScope {
 public:
  explicit WalkScope(const void* walk) noexcept : node_{walk, newWalkId(), openWalks} { openWalks = &node_; }
  ~WalkScope() { openWalks = node_.outer; }
  WalkScope(const WalkScope&) = delete;
  WalkScope& operator=(const WalkScope&) = delete;
  std::uint64_t id() const noexcept { return node_.id; }

 private:
  OpenWalk node_;
};

// True when the walk `walk` with number `id` is running on this thread.
inline bool walkIsOpen(const void* walk, std::uint64_t id) noexcept {
  for (const OpenWalk* w = openWalks; w != nullptr; w = w->outer) {
    if (w->walk == walk && w->id == id) return true;
  }
  return false;
}

// Folds with `alg` the structure that `layers` unfolds from `root`, children
// before parents, in the order F's fmap visits them. O(layers) time, memory
// for the deepest path and the children waiting beside it; constant C++
// stack for eager mappings. Throws what layers, fmap or alg throw, and
// std::logic_error for a child read after the fold returned.
template <class F, class R, class S, class Alg, class Layers>
R refoldStrict(Alg&& alg, Layers& layers, const S& root) {
  using Got = decltype(layers(root));
  constexpr bool byReference = std::is_lvalue_reference_v<Got>;
  using Layer = std::remove_cvref_t<Got>;
  // A frame's children wait in kids[kidsBegin, kids.size()) while it is on
  // top: the frames above it have taken theirs away again. Positions are
  // 32-bit to keep a frame small (a deep walk holds one frame per level);
  // more waiting children than that would not fit in memory anyway.
  struct Frame {
    std::conditional_t<byReference, const Layer*, Layer> layer;
    std::uint32_t kidsBegin;
    std::uint32_t next;
  };
  ChunkedStack<Frame> frames;
  ChunkedStack<S> kids;
  ChunkedStack<R> results;
  // True while the second fmap of a layer runs: a child's result is then
  // the next one waiting in `results`.
  bool mapping = false;
  std::size_t slot = 0;
  const void* const self = &results;
  const WalkScope scope(self);

  auto enter = [&](const S& seed) {
    const std::size_t begin = kids.size();
    if (begin > UINT32_MAX) throwUnwalkableLayer();
    // A lazy fmap's result, and the function it keeps, is dropped at once.
    auto collect = [&kids](const auto& child) {
      kids.emplace_back(child);
      return basis::Unit{};
    };
    const auto b = static_cast<std::uint32_t>(begin);
    if constexpr (byReference) {
      const Layer& layer = layers(seed);
      (void)basis::Functor<F>::fmap(collect, layer);
      frames.emplace_back(Frame{&layer, b, b});
    } else {
      Layer layer = layers(seed);
      (void)basis::Functor<F>::fmap(collect, layer);
      frames.emplace_back(Frame{std::move(layer), b, b});
    }
  };

  enter(root);
  for (;;) {
    Frame& top = frames.back();
    if (top.next < kids.size()) {
      // enter reads the seed before it grows `kids`, and `top` is not used
      // again after it grows `frames`.
      enter(kids[top.next++]);
      continue;
    }
    const std::size_t count = kids.size() - top.kidsBegin;
    const std::size_t base = results.size() - count;
    slot = base;
    const Layer& layer = [&]() -> const Layer& {
      if constexpr (byReference) {
        return *top.layer;
      } else {
        return top.layer;
      }
    }();
    // Called during the fmap (eager): the child's result waiting in
    // `results`. Called later while this walk runs (a lazy fmap, read by
    // alg): the child folded now, by a walk of its own. Called after the
    // walk: the references it holds are gone, so it throws.
    mapping = true;
    auto folded = basis::Functor<F>::fmap(
        [&, self, id = scope.id()](const auto& child) -> R {
          if (!walkIsOpen(self, id)) throwChildReadLate();
          if (!mapping) {
            const S seed(child);
            return refoldStrict<F, R>(alg, layers, seed);
          }
          if (slot >= results.size()) throwUnwalkableLayer();
          return std::move(results[slot++]);
        },
        layer);
    mapping = false;
    if (slot != results.size()) throwUnwalkableLayer();
    R result = alg(std::move(folded));
    results.truncate(base);
    kids.truncate(top.kidsBegin);
    frames.pop_back();
    if (frames.empty()) return result;
    results.emplace_back(std::move(result));
  }
}

// The state shared by every deferred child of one lazy refold: the algebra
// and the source of layers, created once per call.
template <class F, class R, class S, class Alg, class Layers>
struct LazyRefold final : Collectable {
  LazyRefold(Alg a, Layers l) : alg(std::move(a)), layers(std::move(l)) {}
  Alg alg;
  Layers layers;

  static R run(const basis::Ref<LazyRefold>& self, const S& seed) {
    decltype(auto) layer = self->layers(seed);
    return self->alg(basis::Functor<F>::fmap(
        [self](const auto& child) {
          return basis::Lazy<R>::defer([self, c = S(child)] { return run(self, c); });
        },
        layer));
  }
};

// Folds with an algebra over deferred children: alg runs on the root layer
// now; a child is folded when alg (or whoever holds the child) forces it.
template <class F, class R, class S, class Alg, class Layers>
R refoldLazy(Alg alg, Layers layers, const S& root) {
  using State = LazyRefold<F, R, S, Alg, Layers>;
  basis::Ref<State> state(new State(std::move(alg), std::move(layers)));
  return State::run(state, root);
}

// The Fix that `coalg` unfolds from a seed: each layer computed when first
// read, its children unfolded (deferred) when it is.
template <class F, class S, class Coalg>
struct LazyUnfold final : Collectable {
  explicit LazyUnfold(Coalg c) : coalg(std::move(c)) {}
  Coalg coalg;

  static Fix<F> run(const basis::Ref<LazyUnfold>& self, basis::Lazy<S> seed) {
    using Layer = typename Fix<F>::Layer;
    return Fix<F>(basis::Lazy<Layer>::defer([self, seed = std::move(seed)]() -> Layer {
      return basis::Functor<F>::fmap(
          [self](const auto& child) { return run(self, basis::Lazy<S>(S(child))); },
          unlazy(self->coalg(seed.force())));
    }));
  }
};

template <class F, class S, class Coalg>
Fix<F> unfoldLazy(Coalg coalg, basis::Lazy<S> seed) {
  using State = LazyUnfold<F, S, Coalg>;
  return State::run(basis::Ref<State>(new State(std::move(coalg))), std::move(seed));
}

// A seed given as a value or as a basis::Lazy, as a Lazy of the seed type.
template <class S, class X>
basis::Lazy<S> seedOf(X x) {
  if constexpr (isLazy<X>) {
    if constexpr (std::is_same_v<X, basis::Lazy<S>>) {
      return x;
    } else {
      return basis::Lazy<S>::defer([x] { return S(x.force()); });
    }
  } else {
    return basis::Lazy<S>(S(std::move(x)));
  }
}

}  // namespace knotloom::internal
