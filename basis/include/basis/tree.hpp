#pragma once
// Tree<T>: the rose tree, a node with a deferred root label and a lazy list of
// subtrees (`Node {rootLabel, subForest}`). Subtrees are built as far as they
// are read, so a tree may be infinite in depth and in breadth. `Tree::cycle(x)`
// is the endless tree with label x everywhere, every node having endlessly
// many children, each the tree itself: one node of storage (its child list is
// made when read and holds that same node, never a reference cycle).
//
// Its interfaces (TreeTag): Functor (lazy), Foldable (labels in pre-order),
// Traversable (labels in pre-order; the tree must be finite). Equality walks
// with an explicit stack. Destroying a deeply nested evaluated tree recurses
// once per level of depth.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"
#include "basis/ref.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class T>
class Tree {
  struct Node;

 public:
  using value_type = T;

  // The node with `label` and the subtrees `children`; neither is evaluated.
  static Tree node(Lazy<T> label, List<Tree> children = List<Tree>()) {
    return Tree(makeRef<Node>(std::move(label), std::move(children), false));
  }
  // The endless tree holding `label` at every node. O(1) storage.
  static Tree cycle(Lazy<T> label) { return Tree(makeRef<Node>(std::move(label), List<Tree>(), true)); }

  const Lazy<T>& rootLabelLazy() const noexcept { return node_->label; }
  // The root label, forced.
  const T& rootLabel() const { return node_->label.force(); }
  // The subtrees, lazily. O(1).
  List<Tree> subForest() const {
    if (node_->cyclic) return List<Tree>::repeat(Lazy<Tree>(*this));
    return node_->children;
  }

  // Same shape and equal labels, walked in pre-order with an explicit stack;
  // both trees must be finite where they agree.
  friend bool operator==(const Tree& a, const Tree& b)
    requires std::equality_comparable<T>
  {
    std::vector<std::pair<List<Tree>, List<Tree>>> stack;
    if (!(a.rootLabel() == b.rootLabel())) return false;
    stack.emplace_back(a.subForest(), b.subForest());
    while (!stack.empty()) {
      auto [xs, ys] = std::move(stack.back());
      stack.pop_back();
      auto u = xs.uncons();
      auto v = ys.uncons();
      if (!u || !v) {
        if (u || v) return false;
        continue;
      }
      const Tree& s = u->first.force();
      const Tree& t = v->first.force();
      if (!(s.rootLabel() == t.rootLabel())) return false;
      stack.emplace_back(u->second, v->second);
      stack.emplace_back(s.subForest(), t.subForest());
    }
    return true;
  }

 private:
  explicit Tree(Ref<Node> n) : node_(std::move(n)) {}
  Ref<Node> node_;
};

template <class T>
struct Tree<T>::Node : RefCounted {
  Node(Lazy<T> l, List<Tree<T>> c, bool cyc) : label(std::move(l)), children(std::move(c)), cyclic(cyc) {}
  Lazy<T> label;
  List<Tree<T>> children;
  bool cyclic;
};

struct TreeTag {
  template <class A>
  using apply = Tree<A>;
};
template <class T>
struct TagOf<Tree<T>> {
  using type = TreeTag;
  using element = T;
};

namespace detail {
// The labels of a forest in pre-order, followed by `rest`; lazy.
template <class T>
List<T> flattenForest(const List<Tree<T>>& ts, const List<T>& rest) {
  return List<T>::lazy([ts, rest]() -> List<T> {
    auto u = ts.uncons();
    if (!u) return rest;
    const Tree<T>& t = u->first.force();
    return List<T>::cons(t.rootLabelLazy(), flattenForest(t.subForest(), flattenForest(u->second, rest)));
  });
}
}  // namespace detail

// The labels in pre-order (root, then each subtree in turn), lazily.
template <class T>
List<T> flatten(const Tree<T>& t) {
  return List<T>::cons(t.rootLabelLazy(), detail::flattenForest(t.subForest(), List<T>()));
}

// Lazy: each label is the deferred f(label), each subtree mapped when read.
template <>
struct Functor<TreeTag> : FunctorDefaults<TreeTag> {
  template <class Fn, class A>
  static Tree<Mapped<Fn, A>> fmap(Fn f, const Tree<A>& t) {
    return go(std::make_shared<Fn>(std::move(f)), t);
  }

 private:
  template <class Fn, class A>
  static Tree<Mapped<Fn, A>> go(const std::shared_ptr<Fn>& f, const Tree<A>& t) {
    using B = Mapped<Fn, A>;
    return Tree<B>::node(Lazy<B>::defer([f, x = t.rootLabelLazy()] { return B((*f)(x.force())); }),
                         Functor<ListTag>::fmap([f](const Tree<A>& s) { return go(f, s); }, t.subForest()));
  }
};

// Labels in pre-order.
template <>
struct Foldable<TreeTag> : FoldableDefaults<TreeTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const Tree<A>& t) {
    return Foldable<ListTag>::foldr(std::move(f), std::move(z), flatten(t));
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const Tree<A>& t) {
    return Foldable<ListTag>::foldl_(std::move(f), std::move(z), flatten(t));
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const Tree<A>& t) {
    return Foldable<ListTag>::foldr_(std::move(f), std::move(z), flatten(t));
  }
};

// g on the labels in pre-order; the tree rebuilt inside g's applicative.
template <>
struct Traversable<TreeTag> : TraversableDefaults<TreeTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Tree<A>& t) {
    return go(std::make_shared<Fn>(std::move(g)), t);
  }

 private:
  template <class Fn, class A>
  using Result = Apply<tag_of<Action<Fn, A>>, Tree<element_of<Action<Fn, A>>>>;

  template <class Fn, class A>
  static Result<Fn, A> go(const std::shared_ptr<Fn>& g, const Tree<A>& t) {
    using GB = Action<Fn, A>;
    using G = tag_of<GB>;
    using B = element_of<GB>;
    auto children = Traversable<ListTag>::traverse(
        [g](const Tree<A>& s) -> Apply<G, Tree<B>> { return go(g, s); }, t.subForest());
    return Applicative<G>::liftA2(
        [](const B& label, const List<Tree<B>>& cs) { return Tree<B>::node(Lazy<B>(label), cs); },
        demand((*g)(t.rootLabel())), std::move(children));
  }
};

}  // namespace basis
