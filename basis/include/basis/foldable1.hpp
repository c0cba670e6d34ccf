#pragma once
// Foldable1<F> and Traversable1<F>: folds and traversals of structures that
// hold at least one element, and NonEmpty<A>, a list with at least one
// element.
//
// Foldable1 slots, in order: fold1, foldMap1, foldMap1_ (`foldMap1'`),
// toNonEmpty, maximum, minimum, head, last, foldrMap1, foldlMap1_
// (`foldlMap1'`), foldlMap1, foldrMap1_ (`foldrMap1'`). A specialisation
// defines foldMap1 (the elements combined by a Semigroup, in order) and
// inherits Foldable1Defaults<F>, which derives every other slot from it;
// the derived folds walk the element list that foldMap1 builds, once.
// Traversable1 slots: traverse1 (over the effect's Semiapplicative, the Apply
// interface), sequence1. Nothing raises: there is always an element.
//
// maximum keeps the later of two equal elements and minimum the earlier, as
// the platform's `max` and `min` do (max x y is y when x <= y).

#include <cstddef>
#include <iterator>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/ref.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/semigroup.hpp"
#include "basis/traversable.hpp"
#include "basis/types.hpp"

namespace basis {

// At least one element: the first, then the rest in order.
template <class A>
struct NonEmpty {
  A head;
  std::vector<A> tail;
  std::size_t size() const noexcept { return tail.size() + 1; }
  std::vector<A> toVector() const {
    std::vector<A> out;
    out.reserve(size());
    out.push_back(head);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
  }
  friend bool operator==(const NonEmpty&, const NonEmpty&) = default;
};
struct NonEmptyTag {
  template <class A>
  using apply = NonEmpty<A>;
};
template <class A>
struct TagOf<NonEmpty<A>> {
  using type = NonEmptyTag;
  using element = A;
};
// Concatenation.
template <class A>
struct Semigroup<NonEmpty<A>> : SemigroupDefaults<NonEmpty<A>> {
  static NonEmpty<A> combine(const NonEmpty<A>& a, const NonEmpty<A>& b) {
    NonEmpty<A> r = a;
    r.tail.push_back(b.head);
    r.tail.insert(r.tail.end(), b.tail.begin(), b.tail.end());
    return r;
  }
};

template <class F>
struct Foldable1;
template <class F>
struct Traversable1;

namespace detail {
// The elements gathered by foldMap1: a tree of one-element leaves joined in
// O(1) by `combine`, flattened once, left to right, with an explicit stack.
template <class A>
class ElementChain {
  struct Node : RefCounted {
    explicit Node(A x) : leaf(true), value(std::move(x)) {}
    Node(Ref<Node> l, Ref<Node> r) : leaf(false), left(std::move(l)), right(std::move(r)) {}
    // Unlinks uniquely held subtrees without recursion.
    ~Node() {
      std::vector<Ref<Node>> pending;
      if (left && left.isUnique()) pending.push_back(std::move(left));
      if (right && right.isUnique()) pending.push_back(std::move(right));
      while (!pending.empty()) {
        Ref<Node> n = std::move(pending.back());
        pending.pop_back();
        if (n->left && n->left.isUnique()) pending.push_back(std::move(n->left));
        if (n->right && n->right.isUnique()) pending.push_back(std::move(n->right));
      }
    }
    bool leaf;
    std::optional<A> value;
    Ref<Node> left, right;
  };

 public:
  explicit ElementChain(A x) : root_(makeRef<Node>(std::move(x))) {}
  static ElementChain join(const ElementChain& a, const ElementChain& b) { return ElementChain(makeRef<Node>(a.root_, b.root_)); }
  std::vector<A> elements() const {
    std::vector<A> out;
    std::vector<const Node*> stack{root_.get()};
    while (!stack.empty()) {
      const Node* n = stack.back();
      stack.pop_back();
      if (n->leaf) {
        out.push_back(*n->value);
      } else {
        stack.push_back(n->right.get());
        stack.push_back(n->left.get());
      }
    }
    return out;
  }

 private:
  explicit ElementChain(Ref<Node> r) : root_(std::move(r)) {}
  Ref<Node> root_;
};
}  // namespace detail

template <class A>
struct Semigroup<detail::ElementChain<A>> : SemigroupDefaults<detail::ElementChain<A>> {
  static detail::ElementChain<A> combine(const detail::ElementChain<A>& a, const detail::ElementChain<A>& b) {
    return detail::ElementChain<A>::join(a, b);
  }
};

// The defaults of Foldable1, from foldMap1.
template <class F>
struct Foldable1Defaults {
  // The elements combined by their Semigroup.
  template <class FA>
  static auto fold1(const FA& x) {
    using A = element_of<FA>;
    return Foldable1<F>::foldMap1([](const auto& a) { return A(forced(a)); }, x);
  }
  // The elements, in order, as a NonEmpty.
  template <class FA>
  static NonEmpty<element_of<FA>> toNonEmpty(const FA& x) {
    using A = element_of<FA>;
    auto all = Foldable1<F>::foldMap1([](const auto& a) { return detail::ElementChain<A>(A(forced(a))); }, x).elements();
    NonEmpty<A> r{std::move(all.front()), {}};
    r.tail.assign(std::make_move_iterator(all.begin() + 1), std::make_move_iterator(all.end()));
    return r;
  }
  // g a1 for the first element, then acc = h(acc, a) for each later one, each
  // accumulator computed before the next step.
  template <class G, class H, class FA>
  static auto foldlMap1_(G g, H h, const FA& x) {
    auto all = toNonEmpty(x);
    using B = std::remove_cvref_t<std::invoke_result_t<G&, const element_of<FA>&>>;
    B acc = g(all.head);
    for (const auto& a : all.tail) acc = B(h(acc, a));
    return acc;
  }
  // The same left fold (C++ computes each step when it is taken).
  template <class G, class H, class FA>
  static auto foldlMap1(G g, H h, const FA& x) {
    return foldlMap1_(std::move(g), std::move(h), x);
  }
  // h a1 (h a2 (... (h a(k-1) (g ak)))).
  template <class G, class H, class FA>
  static auto foldrMap1(G g, H h, const FA& x) {
    auto all = toNonEmpty(x).toVector();
    using B = std::remove_cvref_t<std::invoke_result_t<G&, const element_of<FA>&>>;
    B acc = g(all.back());
    for (std::size_t i = all.size() - 1; i-- > 0;) acc = B(h(all[i], acc));
    return acc;
  }
  // The same right fold, each intermediate value computed before it is
  // passed on.
  template <class G, class H, class FA>
  static auto foldrMap1_(G g, H h, const FA& x) {
    return foldrMap1(std::move(g), std::move(h), x);
  }
  // h of each element combined from the left, starting from h a1.
  template <class H, class FA>
  static auto foldMap1_(H h, const FA& x) {
    using A = element_of<FA>;
    return foldlMap1_([h](const A& a) { return h(a); }, [h](const auto& acc, const A& a) { return combine(acc, decltype(acc)(h(a))); }, x);
  }
  // max (... (max a1 a2) ...) ak: a later equal element wins.
  template <class FA>
  static element_of<FA> maximum(const FA& x) {
    using A = element_of<FA>;
    return foldlMap1_([](const A& a) { return a; }, [](const A& acc, const A& a) { return acc <= a ? a : acc; }, x);
  }
  // min (... (min a1 a2) ...) ak: an earlier equal element wins.
  template <class FA>
  static element_of<FA> minimum(const FA& x) {
    using A = element_of<FA>;
    return foldlMap1_([](const A& a) { return a; }, [](const A& acc, const A& a) { return acc <= a ? acc : a; }, x);
  }
  template <class FA>
  static element_of<FA> head(const FA& x) {
    return toNonEmpty(x).head;
  }
  template <class FA>
  static element_of<FA> last(const FA& x) {
    auto all = toNonEmpty(x);
    return all.tail.empty() ? all.head : all.tail.back();
  }
};

// The defaults of Traversable1.
template <class F>
struct Traversable1Defaults {
  template <class FA>
  static auto sequence1(const FA& x) {
    return Traversable1<F>::traverse1([](const auto& action) { return forced(action); }, x);
  }
};

// F has a complete Foldable1 specialisation.
template <class F>
concept Foldable1Tag = requires(const Apply<F, std::vector<int>>& x) {
  { Foldable1<F>::foldMap1([](const std::vector<int>& v) { return v; }, x) } -> std::same_as<std::vector<int>>;
  { Foldable1<F>::toNonEmpty(x) } -> std::same_as<NonEmpty<std::vector<int>>>;
};

// ---------------------------------------------------------------------------
// Instances.

// In order, the head first.
template <>
struct Foldable1<NonEmptyTag> : Foldable1Defaults<NonEmptyTag> {
  template <class H, class A>
  static auto foldMap1(H h, const NonEmpty<A>& x) {
    using M = Mapped<H, A>;
    M acc = h(x.head);
    for (const auto& a : x.tail) acc = combine(acc, M(h(a)));
    return acc;
  }
};
template <>
struct Functor<NonEmptyTag> : FunctorDefaults<NonEmptyTag> {
  template <class Fn, class A>
  static NonEmpty<Mapped<Fn, A>> fmap(Fn f, const NonEmpty<A>& x) {
    NonEmpty<Mapped<Fn, A>> r{f(x.head), {}};
    r.tail.reserve(x.tail.size());
    for (const auto& a : x.tail) r.tail.push_back(f(a));
    return r;
  }
};
template <>
struct Foldable<NonEmptyTag> : FoldableDefaults<NonEmptyTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const NonEmpty<A>& x) {
    return Foldable<VectorTag>::foldr(std::move(f), std::move(z), x.toVector());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const NonEmpty<A>& x) {
    lazy_value_t<Z> acc(demand(z));
    acc = f(std::move(acc), x.head);
    for (const auto& a : x.tail) acc = f(std::move(acc), a);
    return acc;
  }
};
// The actions in order, combined by the effect's Apply.
template <>
struct Traversable1<NonEmptyTag> : Traversable1Defaults<NonEmptyTag> {
  template <class H, class A>
  static auto traverse1(H h, const NonEmpty<A>& x) {
    using GB = demanded_t<std::invoke_result_t<H&, const A&>>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    auto acc = Functor<G>::fmap([](const B& b) { return NonEmpty<B>{b, {}}; }, GB(demand(h(x.head))));
    for (const auto& a : x.tail) {
      acc = Semiapplicative<G>::liftF2(
          [](const NonEmpty<B>& ne, const B& b) {
            NonEmpty<B> r = ne;
            r.tail.push_back(b);
            return r;
          },
          acc, GB(demand(h(a))));
    }
    return acc;
  }
};

template <>
struct Foldable1<IdentityTag> : Foldable1Defaults<IdentityTag> {
  template <class H, class A>
  static auto foldMap1(H h, const Identity<A>& x) {
    return Mapped<H, A>(h(x.value));
  }
};
template <>
struct Traversable1<IdentityTag> : Traversable1Defaults<IdentityTag> {
  template <class H, class A>
  static auto traverse1(H h, const Identity<A>& x) {
    using GB = demanded_t<std::invoke_result_t<H&, const A&>>;
    using B = element_of<GB>;
    return Functor<tag_of<GB>>::fmap([](const B& b) { return Identity<B>{b}; }, GB(demand(h(x.value))));
  }
};

}  // namespace basis
