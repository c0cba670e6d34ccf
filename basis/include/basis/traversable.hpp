#pragma once
// Traversable<F>: traverse, sequenceA, mapM, sequence (after its Functor and
// Foldable).
//
// traverse(g, xs) runs g on every element in order and rebuilds the shape
// inside the applicative that g returns into (the applicative's tag is the
// tag of g's result type). The actions are combined with liftA2, each action
// handed over deferred, so an applicative that stops (optional) never runs
// g on the elements after the one that stopped it, and one with several
// results (vector) yields one structure per combination.
//
// A specialisation defines `traverse` and inherits TraversableDefaults<F>.

#include <concepts>
#include <cstddef>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"
#include "basis/ref.hpp"

namespace basis {

template <class F>
struct Traversable;

// The applicative structure g returns for an element A, and its tag.
template <class Fn, class A>
using Action = demanded_t<std::invoke_result_t<Fn&, const A&>>;

// The defaults of Traversable, from traverse.
template <class F>
struct TraversableDefaults {
  // The actions held in xs, run in order; the structure of their results.
  template <class FA>
  static auto sequenceA(const FA& xs) {
    return Traversable<F>::traverse([](const auto& action) { return forced(action); }, xs);
  }
  // traverse with a monad's applicative.
  template <class Fn, class FA>
  static auto mapM(Fn g, const FA& xs) {
    return Traversable<F>::traverse(std::move(g), xs);
  }
  // sequenceA with a monad's applicative.
  template <class FA>
  static auto sequence(const FA& xs) {
    return Traversable<F>::sequenceA(xs);
  }
};

// F has a complete Traversable specialisation (and Functor, Foldable).
template <class F>
concept TraversableTag =
    FunctorTag<F> && FoldableTag<F> && requires(const Apply<F, int>& x,
                                                const Apply<F, std::optional<int>>& y) {
      {
        Traversable<F>::traverse([](int i) { return std::optional<long>(i); }, x)
      } -> std::same_as<std::optional<Apply<F, long>>>;
      { Traversable<F>::sequenceA(y) } -> std::same_as<std::optional<Apply<F, int>>>;
      {
        Traversable<F>::mapM([](int i) { return std::optional<long>(i); }, x)
      } -> std::same_as<std::optional<Apply<F, long>>>;
      { Traversable<F>::sequence(y) } -> std::same_as<std::optional<Apply<F, int>>>;
    };

// g over every element in order, inside g's applicative.
template <class Fn, HasTag FA>
auto traverse(Fn&& g, const FA& xs) {
  return Traversable<tag_of<FA>>::traverse(std::forward<Fn>(g), xs);
}
template <HasTag FA>
auto sequenceA(const FA& xs) {
  return Traversable<tag_of<FA>>::sequenceA(xs);
}
template <class Fn, HasTag FA>
auto mapM(Fn&& g, const FA& xs) {
  return Traversable<tag_of<FA>>::mapM(std::forward<Fn>(g), xs);
}
template <HasTag FA>
auto sequence(const FA& xs) {
  return Traversable<tag_of<FA>>::sequence(xs);
}

namespace detail {

// An immutable list grown at its end, sharing its prefix: the accumulator of
// a traversal, so that an applicative with several results shares the common
// prefixes of its results instead of copying them. Destruction is a loop.
template <class B>
class SnocList {
  struct Node : RefCounted {
    Node(B v, Ref<Node> p, std::size_t n) : value(std::move(v)), prev(std::move(p)), size(n) {}
    ~Node() {
      Ref<Node> p = std::move(prev);
      while (p && p.isUnique()) {
        Ref<Node> next = std::move(p->prev);
        p = std::move(next);
      }
    }
    B value;
    Ref<Node> prev;
    std::size_t size;
  };

 public:
  SnocList snoc(const B& b) const {
    SnocList r;
    r.last_ = makeRef<Node>(b, last_, last_ ? last_->size + 1 : 1);
    return r;
  }
  std::vector<B> toVector() const {
    std::vector<B> out;
    if (!last_) return out;
    out.reserve(last_->size);
    for (const Node* n = last_.get(); n; n = n->prev.get()) out.push_back(n->value);
    return std::vector<B>(std::make_move_iterator(out.rbegin()), std::make_move_iterator(out.rend()));
  }

 private:
  Ref<Node> last_;
};

}  // namespace detail

// ---------------------------------------------------------------------------
// Instances.

// The actions are combined from the left, pure(empty) first, each one handed
// to liftA2 deferred: the effects run in element order. g and the elements are
// copied into the deferred actions, so a lazy applicative (functions) may run
// them after the call.
template <>
struct Traversable<VectorTag> : TraversableDefaults<VectorTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const std::vector<A>& xs) {
    using GB = Action<Fn, A>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    using Acc = detail::SnocList<B>;
    auto gp = std::make_shared<Fn>(std::move(g));
    Apply<G, Acc> acc = Applicative<G>::pure(Acc());
    for (const auto& x : xs) {
      acc = Applicative<G>::liftA2([](const Acc& s, const B& b) { return s.snoc(b); },
                                   std::move(acc),
                                   Lazy<GB>::defer([gp, x]() -> GB { return demand((*gp)(x)); }));
    }
    return Functor<G>::fmap([](const Acc& s) { return s.toVector(); }, acc);
  }
};

template <>
struct Traversable<OptionalTag> : TraversableDefaults<OptionalTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const std::optional<A>& x) {
    using GB = Action<Fn, A>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    if (!x) return Applicative<G>::pure(std::optional<B>());
    return Functor<G>::fmap([](const B& b) { return std::optional<B>(b); }, demand(g(*x)));
  }
};

template <>
struct Traversable<IdentityTag> : TraversableDefaults<IdentityTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Identity<A>& x) {
    using B = element_of<Action<Fn, A>>;
    return Functor<tag_of<Action<Fn, A>>>::fmap([](const B& b) { return Identity<B>{b}; },
                                                demand(g(x.value)));
  }
};

template <class E>
struct Traversable<EitherOf<E>> : TraversableDefaults<EitherOf<E>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Either<E, A>& x) {
    using GB = Action<Fn, A>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    using R = Either<E, B>;
    if (const E* e = x.leftPtr()) return Applicative<G>::pure(R(Left<E>{*e}));
    return Functor<G>::fmap([](const B& b) { return R(Right<B>{b}); }, demand(g(x.fromRight())));
  }
};

template <class L>
struct Traversable<TheseOf<L>> : TraversableDefaults<TheseOf<L>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const These<L, A>& x) {
    using GB = Action<Fn, A>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    using R = These<L, B>;
    if (x.isThis()) return Applicative<G>::pure(R::this_(*x.herePtr()));
    if (x.isThat()) return Functor<G>::fmap([](const B& b) { return R::that(b); }, demand(g(*x.therePtr())));
    const L& l = *x.herePtr();
    return Functor<G>::fmap([l](const B& b) { return R::these(l, b); }, demand(g(*x.therePtr())));
  }
};

template <class L>
struct Traversable<PairOf<L>> : TraversableDefaults<PairOf<L>> {
  template <class Fn, class A>
  static auto traverse(Fn g, const std::pair<L, A>& x) {
    using B = element_of<Action<Fn, A>>;
    return Functor<tag_of<Action<Fn, A>>>::fmap(
        [l = x.first](const B& b) { return std::pair<L, B>(l, b); }, demand(g(x.second)));
  }
};

}  // namespace basis
