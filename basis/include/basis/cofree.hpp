#pragma once
// Cofree<F, A>: a tree whose every node holds a label of A and an F-structure
// of subtrees (the constructor `:<`). Both fields of a node are deferred, so a
// tree may be infinite and is built only as far as it is read.
//
// Free<F, A>: either a value (`Pure`) or an F-layer of further Free values
// (`Free`). Its fields are held as given; a Free value is as lazy as F is.
//
// Both are handles to one shared immutable node (copying costs a reference
// count). Destroying a tree, and mapping or binding a Free, recurse once per
// level, each level with stack room, so depth is limited by memory alone.

#include <memory>
#include <type_traits>
#include <utility>
#include <variant>

#include "basis/applicative.hpp"
#include "basis/comonad.hpp"
#include "basis/comonad_classes.hpp"
#include "basis/distributive.hpp"
#include "basis/extend.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/monad.hpp"
#include "basis/monad_classes.hpp"
#include "basis/ref.hpp"
#include "basis/stack.hpp"

namespace basis {

template <class F, class A>
class Cofree {
 public:
  struct Node;
  using Children = Apply<F, Cofree>;

  // The node `label :< children`; neither field is evaluated.
  Cofree(Lazy<A> label, Lazy<Children> children) : node_(makeRef<Node>(std::move(label), std::move(children))) {}

  // The label as stored, and forced.
  const Lazy<A>& label() const noexcept { return node_->label; }
  const A& extract() const { return node_->label.force(); }
  // The subtrees as stored, and forced.
  const Lazy<Children>& children() const noexcept { return node_->children; }
  const Children& unwrap() const { return node_->children.force(); }

 private:
  Ref<Node> node_;
};

template <class F, class A>
struct Cofree<F, A>::Node : RefCounted {
  Node(Lazy<A> l, Lazy<Apply<F, Cofree<F, A>>> c) : label(std::move(l)), children(std::move(c)) {}
  Lazy<A> label;
  Lazy<Apply<F, Cofree<F, A>>> children;
};

template <class F>
struct CofreeOf {
  template <class A>
  using apply = Cofree<F, A>;
};
template <class F, class A>
struct TagOf<Cofree<F, A>> {
  using type = CofreeOf<F>;
  using element = A;
};

// Lazy: each label and each layer of subtrees is mapped when it is read.
template <class F>
  requires FunctorTag<F>
struct Functor<CofreeOf<F>> : FunctorDefaults<CofreeOf<F>> {
  template <class Fn, class A>
  static Cofree<F, Mapped<Fn, A>> fmap(Fn f, const Cofree<F, A>& w) {
    return go<A>(std::make_shared<Fn>(std::move(f)), w);
  }

 private:
  template <class A, class Fn>
  static Cofree<F, Mapped<Fn, A>> go(const std::shared_ptr<Fn>& f, const Cofree<F, A>& w) {
    using B = Mapped<Fn, A>;
    return Cofree<F, B>(Lazy<B>::defer([f, w]() -> B { return (*f)(w.extract()); }),
                        Lazy<Apply<F, Cofree<F, B>>>::defer([f, w] {
                          return Functor<F>::fmap([f](const Cofree<F, A>& c) { return go<A>(f, c); }, w.unwrap());
                        }));
  }
};

// extract is the root's label; extend builds each node's new label (f of the
// subtree there) when it is read.
template <class F>
  requires FunctorTag<F>
struct Comonad<CofreeOf<F>> : ComonadDefaults<CofreeOf<F>> {
  template <class A>
  static A extract(const Cofree<F, A>& w) {
    return w.extract();
  }
  template <class Fn, class A>
  static auto extend(Fn f, const Cofree<F, A>& w) {
    return go<A>(std::make_shared<Fn>(std::move(f)), w);
  }

 private:
  template <class A, class Fn>
  static Cofree<F, std::remove_cvref_t<std::invoke_result_t<Fn&, const Cofree<F, A>&>>> go(
      const std::shared_ptr<Fn>& f, const Cofree<F, A>& w) {
    using B = std::remove_cvref_t<std::invoke_result_t<Fn&, const Cofree<F, A>&>>;
    return Cofree<F, B>(Lazy<B>::defer([f, w]() -> B { return (*f)(w); }),
                        Lazy<Apply<F, Cofree<F, B>>>::defer([f, w] {
                          return Functor<F>::fmap([f](const Cofree<F, A>& c) { return go<A>(f, c); }, w.unwrap());
                        }));
  }
};

template <class F>
  requires FunctorTag<F>
struct Extend<CofreeOf<F>> : ExtendFromComonad<CofreeOf<F>> {};

template <class F>
struct ComonadCofree<CofreeOf<F>> {
  using Layer = F;
  template <class A>
  static const Apply<F, Cofree<F, A>>& unwrap(const Cofree<F, A>& w) {
    return w.unwrap();
  }
};

// The W-structure of the roots' labels, over the distribution of the
// subtrees; each level is built when it is read. Needs F's Distributive.
template <class F>
  requires DistributiveTag<F>
struct Distributive<CofreeOf<F>> : DistributiveDefaults<CofreeOf<F>> {
  template <class WFA>
  static Cofree<F, Apply<tag_of<WFA>, element_of<element_of<WFA>>>> distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    using WA = Apply<W, A>;
    return Cofree<F, WA>(
        Lazy<WA>::defer([w] { return Functor<W>::fmap([](const Cofree<F, A>& c) { return c.extract(); }, w); }),
        Lazy<Apply<F, Cofree<F, WA>>>::defer([w] {
          auto layers = Distributive<F>::collect([](const Cofree<F, A>& c) { return c.unwrap(); }, w);
          return Functor<F>::fmap([](const WFA& sub) { return distribute(sub); }, layers);
        }));
  }
};

// ---------------------------------------------------------------------------
// Free.

template <class F, class A>
class Free {
 public:
  struct Node;
  using Layer = Apply<F, Free>;

  // The value a (the constructor `Pure`).
  static Free pure(A a) { return Free(makeRef<Node>(std::in_place_index<0>, std::move(a))); }
  // One layer of further Free values (the constructor `Free`).
  static Free wrap(Layer layer) { return Free(makeRef<Node>(std::in_place_index<1>, std::move(layer))); }

  bool isPure() const noexcept { return node_->v.index() == 0; }
  // The value of a Pure; throws std::bad_variant_access for a layer.
  const A& pureValue() const { return std::get<0>(node_->v); }
  // The layer of a Free; throws std::bad_variant_access for a Pure.
  const Layer& layer() const { return std::get<1>(node_->v); }

 private:
  explicit Free(Ref<Node> n) : node_(std::move(n)) {}
  Ref<Node> node_;
};

template <class F, class A>
struct Free<F, A>::Node : RefCounted {
  template <std::size_t I, class X>
  Node(std::in_place_index_t<I> i, X&& x) : v(i, std::forward<X>(x)) {}
  std::variant<A, Apply<F, Free<F, A>>> v;
};

template <class F>
struct FreeOf {
  template <class A>
  using apply = Free<F, A>;
};
template <class F, class A>
struct TagOf<Free<F, A>> {
  using type = FreeOf<F>;
  using element = A;
};

// Every Pure value mapped, through F's fmap at each layer. Recurses once per
// layer that F's fmap maps at once, each with stack room.
template <class F>
  requires FunctorTag<F>
struct Functor<FreeOf<F>> : FunctorDefaults<FreeOf<F>> {
  template <class Fn, class A>
  static Free<F, Mapped<Fn, A>> fmap(Fn f, const Free<F, A>& x) {
    return go<A>(std::make_shared<Fn>(std::move(f)), x);
  }

 private:
  template <class A, class Fn>
  static Free<F, Mapped<Fn, A>> go(const std::shared_ptr<Fn>& f, const Free<F, A>& x) {
    using R = Free<F, Mapped<Fn, A>>;
    if (x.isPure()) return R::pure((*f)(x.pureValue()));
    return R::wrap(Functor<F>::fmap([f](const Free<F, A>& c) { return withStackRoom([&] { return go<A>(f, c); }); },
                                    x.layer()));
  }
};

// Each Pure value replaced by k's result, through F's fmap at each layer;
// recurses as fmap does.
template <class F>
  requires FunctorTag<F>
struct Monad<FreeOf<F>> : MonadDefaults<FreeOf<F>> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using A = element_of<demanded_t<X>>;
    return go<A>(std::make_shared<K>(std::move(k)), demand(std::forward<X>(m)));
  }

 private:
  template <class A, class K>
  static Bound<K, A> go(const std::shared_ptr<K>& k, const Free<F, A>& x) {
    using R = Bound<K, A>;
    if (x.isPure()) return R(demand((*k)(x.pureValue())));
    return R::wrap(Functor<F>::fmap([k](const Free<F, A>& c) { return withStackRoom([&] { return go<A>(k, c); }); },
                                    x.layer()));
  }
};

template <class F>
  requires FunctorTag<F>
struct Applicative<FreeOf<F>> : ApplicativeDefaults<FreeOf<F>> {
  template <class A>
  static Free<F, std::remove_cvref_t<A>> pure(A&& a) {
    return Free<F, std::remove_cvref_t<A>>::pure(std::forward<A>(a));
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto b = toLazy(std::forward<Y>(fb));
    return Monad<FreeOf<F>>::bind(std::forward<X>(fa), [f, b](const A& x) {
      return Functor<FreeOf<F>>::fmap([f, x](const B& y) { return f(x, y); }, b.force());
    });
  }
};

template <class F>
struct MonadFree<FreeOf<F>> {
  using Layer = F;
  template <class A>
  static Free<F, A> wrap(const Apply<F, Free<F, A>>& layer) {
    return Free<F, A>::wrap(layer);
  }
};

}  // namespace basis
