#pragma once
// The interfaces of List<T> (ListTag), the lazy cons list of
// basis/lazy_list.hpp: Functor (lazy), Foldable (foldr stops where the
// caller's function stops; elements handed as the stored `const Lazy<T>&`),
// Traversable, Applicative and Monad (lazy, one result per combination).

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/error.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/lazy_list.hpp"
#include "basis/monad.hpp"
#include "basis/ref.hpp"
#include "basis/traversable.hpp"

namespace basis {

// ---------------------------------------------------------------------------
// Interfaces.

// Lazy: each cell is built when reached; f runs when its element is forced.
template <>
struct Functor<ListTag> : FunctorDefaults<ListTag> {
  template <class Fn, class A>
  static List<Mapped<Fn, A>> fmap(Fn f, const List<A>& xs) {
    return go(std::make_shared<Fn>(std::move(f)), xs);
  }

 private:
  template <class Fn, class A>
  static List<Mapped<Fn, A>> go(std::shared_ptr<Fn> f, const List<A>& xs) {
    using B = Mapped<Fn, A>;
    return List<B>::lazy([f, xs]() -> List<B> {
      auto u = xs.uncons();
      if (!u) return List<B>();
      Lazy<B> h = Lazy<B>::defer([f, x = u->first] { return B((*f)(x.force())); });
      return List<B>::cons(std::move(h), go(f, u->second));
    });
  }
};

// Elements are handed as stored (const Lazy<A>&). foldr's deferred rest holds
// the rest of the list, so it stays valid on its own.
template <>
struct Foldable<ListTag> : FoldableDefaults<ListTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const List<A>& xs) {
    return go<lazy_value_t<Z>>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), xs);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const List<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    List<A> c = xs;
    while (auto u = c.uncons()) {
      acc = f(std::move(acc), u->first);
      c = std::move(u->second);
    }
    return acc;
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const List<A>& xs) {
    std::vector<Lazy<A>> items;
    List<A> c = xs;
    while (auto u = c.uncons()) {
      items.push_back(u->first);
      c = std::move(u->second);
    }
    lazy_value_t<Z> acc(demand(z));
    for (auto it = items.rbegin(); it != items.rend(); ++it) acc = f(*it, std::move(acc));
    return acc;
  }
  template <class A>
  static List<A> toList(const List<A>& xs) {
    return xs;
  }
  template <class A>
  static bool null(const List<A>& xs) {
    return xs.isNil();
  }
  template <class X, class A>
  static bool elem(const X& x, const List<A>& xs) {
    List<A> c = xs;
    while (auto u = c.uncons()) {
      if (x == u->first.force()) return true;
      c = std::move(u->second);
    }
    return false;
  }

 private:
  template <class B, class Fn, class A>
  static B go(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const List<A>& xs) {
    auto u = xs.uncons();
    if (!u) return z.force();
    return (*f)(u->first, Lazy<B>::defer([f, z, rest = std::move(u->second)] { return go<B>(f, z, rest); }));
  }
};

// The vector traversal of the list's cells, rebuilt as a list: the actions
// are combined from the left, each handed to liftA2 deferred, and an element
// is forced only when its action runs. The list must be finite.
template <>
struct Traversable<ListTag> : TraversableDefaults<ListTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const List<A>& xs) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    std::vector<Lazy<A>> cells;
    List<A> c = xs;
    while (auto u = c.uncons()) {
      cells.push_back(u->first);
      c = std::move(u->second);
    }
    auto onCell = [g = std::move(g)](const Lazy<A>& x) mutable { return g(x.force()); };
    return Functor<tag_of<GB>>::fmap([](const std::vector<B>& ys) { return List<B>::fromRange(ys); },
                                     Traversable<VectorTag>::traverse(std::move(onCell), cells));
  }
};

// Lazy concatenation of k's lists, one per element, in order.
template <>
struct Monad<ListTag> : MonadDefaults<ListTag> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using A = element_of<demanded_t<X>>;
    using R = Bound<K, A>;
    auto kp = std::make_shared<K>(std::move(k));
    List<A> xs = demand(std::forward<X>(m));  // a list's first step stays deferred
    return R::lazy([kp, xs]() -> R { return go<R>(kp, xs); });
  }

 private:
  template <class R, class K, class A>
  static R go(const std::shared_ptr<K>& k, List<A> xs) {
    // Elements whose list is empty are skipped in a loop.
    for (;;) {
      auto u = xs.uncons();
      if (!u) return R();
      R ys = demand((*k)(u->first.force()));
      if (!ys.isNil()) return append(ys, R::lazy([k, rest = u->second] { return go<R>(k, rest); }));
      xs = std::move(u->second);
    }
  }
  template <class R>
  static R append(const R& ys, const R& rest) {
    auto u = ys.uncons();
    if (!u) return rest;
    return R::cons(u->first, R::lazy([t = u->second, rest] { return append(t, rest); }));
  }
};

// pure is a one-element list; liftA2 pairs every element of the first with
// every element of the second (first outer), lazily; the second operand is
// demanded once, and not at all when the first is empty.
template <>
struct Applicative<ListTag> : ApplicativeDefaults<ListTag> {
  template <class A>
  static List<std::remove_cvref_t<A>> pure(A&& a) {
    using T = std::remove_cvref_t<A>;
    return List<T>::cons(Lazy<T>(std::forward<A>(a)), List<T>());
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto ys = toLazy(std::forward<Y>(fb));
    return Monad<ListTag>::bind(std::forward<X>(fa), [fp, ys](const A& a) {
      return Functor<ListTag>::fmap([fp, a](const B& b) { return (*fp)(a, b); }, ys.force());
    });
  }
};

}  // namespace basis
