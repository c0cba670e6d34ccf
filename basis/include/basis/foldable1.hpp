#pragma once
// Foldable1<F> and Traversable1<F>: folds and traversals of structures that
// hold at least one element.
//
// Foldable1 slots, in order: fold1, foldMap1, foldMap1_ (`foldMap1'`),
// toNonEmpty, maximum, minimum, head, last, foldrMap1, foldlMap1_
// (`foldlMap1'`), foldlMap1, foldrMap1_ (`foldrMap1'`). A specialisation
// defines foldMap1 (the elements combined by a Semigroup, in order) and
// inherits Foldable1Defaults<F>, which derives every other slot from it;
// the derived folds walk the element list that foldMap1 builds, once.
// NonEmpty itself and its Functor, Foldable and Traversable are in
// basis/non_empty.hpp.
// Traversable1 slots: traverse1 (over the effect's Semiapplicative, the Apply
// interface), sequence1. Nothing raises: there is always an element.
//
// maximum keeps the later of two equal elements and minimum the earlier, as
// the platform's `max` and `min` do (max x y is y when x <= y).

#include <cstddef>
#include <iterator>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/list.hpp"
#include "basis/non_empty.hpp"
#include "basis/ref.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/semigroup.hpp"
#include "basis/traversable.hpp"
#include "basis/types.hpp"

namespace basis {

// Concatenation; the elements are taken in order, evaluated.
template <class A>
struct Semigroup<NonEmpty<A>> : SemigroupDefaults<NonEmpty<A>> {
  static NonEmpty<A> combine(const NonEmpty<A>& a, const NonEmpty<A>& b) {
    std::vector<A> rest = a.tail.toVector();
    std::vector<A> more = b.toList().toVector();
    rest.insert(rest.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return NonEmpty<A>{a.head, List<A>::fromRange(rest)};
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
    auto all = elements(x);
    return NonEmpty<A>{Lazy<A>(std::move(all.front())),
                       List<A>::fromRange(std::span<const A>(all).subspan(1))};
  }
  // The elements, in order, evaluated (never empty).
  template <class FA>
  static std::vector<element_of<FA>> elements(const FA& x) {
    using A = element_of<FA>;
    return Foldable1<F>::foldMap1([](const auto& a) { return detail::ElementChain<A>(A(forced(a))); }, x).elements();
  }
  // g a1 for the first element, then acc = h(acc, a) for each later one, each
  // accumulator computed before the next step.
  template <class G, class H, class FA>
  static auto foldlMap1_(G g, H h, const FA& x) {
    auto all = elements(x);
    using B = std::remove_cvref_t<std::invoke_result_t<G&, const element_of<FA>&>>;
    B acc = g(all.front());
    for (std::size_t i = 1; i < all.size(); ++i) acc = B(h(acc, all[i]));
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
    auto all = elements(x);
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
    return elements(x).front();
  }
  template <class FA>
  static element_of<FA> last(const FA& x) {
    return elements(x).back();
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
    M acc = h(x.head.force());
    for (const auto& a : x.tail) acc = combine(acc, M(h(a)));
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
    auto acc = Functor<G>::fmap([](const B& b) { return std::vector<B>{b}; }, GB(demand(h(x.head.force()))));
    for (const auto& a : x.tail) {
      acc = Semiapplicative<G>::liftF2(
          [](const std::vector<B>& bs, const B& b) {
            std::vector<B> r = bs;
            r.push_back(b);
            return r;
          },
          acc, GB(demand(h(a))));
    }
    return Functor<G>::fmap(
        [](const std::vector<B>& bs) {
          return NonEmpty<B>{Lazy<B>(bs.front()), List<B>::fromRange(std::span<const B>(bs).subspan(1))};
        },
        acc);
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
