#pragma once
// NonEmpty<T>: a list with at least one element, a deferred head and a lazy
// tail (the platform's `x :| xs`). Its interfaces (NonEmptyTag): Functor and
// FunctorWithIndex (lazy, positions from 0 at the head), Foldable and
// Traversable (through the list of its elements).

#include <cstdint>
#include <memory>
#include <utility>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/functor_with_index.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class T>
struct NonEmpty {
  Lazy<T> head;
  List<T> tail;

  // The number of elements. O(n); evaluates the tail's spine.
  std::size_t size() const { return 1 + static_cast<std::size_t>(std::ranges::distance(tail)); }
  // head followed by the tail's elements. O(1); shares both.
  List<T> toList() const { return List<T>::cons(head, tail); }
  // The list's first element and the rest, or nothing for the empty list.
  static std::optional<NonEmpty> fromList(const List<T>& xs) {
    auto u = xs.uncons();
    if (!u) return std::nullopt;
    return NonEmpty{std::move(u->first), std::move(u->second)};
  }
  // Element by element (the tail as the list's ==).
  friend bool operator==(const NonEmpty& a, const NonEmpty& b)
    requires std::equality_comparable<T>
  {
    return applyForced(std::equal_to<>(), a.head, b.head) && a.tail == b.tail;
  }
};

struct NonEmptyTag {
  template <class A>
  using apply = NonEmpty<A>;
};
template <class T>
struct TagOf<NonEmpty<T>> {
  using type = NonEmptyTag;
  using element = T;
};

// Lazy: the head is the deferred f(head), the tail the list's lazy fmap.
template <>
struct Functor<NonEmptyTag> : FunctorDefaults<NonEmptyTag> {
  template <class Fn, class A>
  static NonEmpty<Mapped<Fn, A>> fmap(Fn f, const NonEmpty<A>& xs) {
    using B = Mapped<Fn, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return {Lazy<B>::defer([fp, x = xs.head] { return B((*fp)(x.force())); }),
            Functor<ListTag>::fmap([fp](const A& a) { return (*fp)(a); }, xs.tail)};
  }
};

// f(0, head), then f(1, ...), ... over the tail, lazily.
template <>
struct FunctorWithIndex<NonEmptyTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static NonEmpty<IMapped<Fn, Index, A>> imap(Fn f, const NonEmpty<A>& xs) {
    using B = IMapped<Fn, Index, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return {Lazy<B>::defer([fp, x = xs.head] { return B((*fp)(Index{0}, x.force())); }),
            FunctorWithIndex<ListTag>::from(fp, 1, xs.tail)};
  }
};

template <>
struct Foldable<NonEmptyTag> : FoldableDefaults<NonEmptyTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const NonEmpty<A>& xs) {
    return Foldable<ListTag>::foldr(std::move(f), std::move(z), xs.toList());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const NonEmpty<A>& xs) {
    return Foldable<ListTag>::foldl_(std::move(f), std::move(z), xs.toList());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const NonEmpty<A>& xs) {
    return Foldable<ListTag>::foldr_(std::move(f), std::move(z), xs.toList());
  }
  // The head in front of the tail, both shared.
  template <class A>
  static List<A> toList(const NonEmpty<A>& xs) {
    return xs.toList();
  }
};

// The list traversal of the elements, rebuilt as a NonEmpty.
template <>
struct Traversable<NonEmptyTag> : TraversableDefaults<NonEmptyTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const NonEmpty<A>& xs) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    return Functor<tag_of<GB>>::fmap(
        [](const List<B>& ys) {
          auto u = ys.uncons();
          return NonEmpty<B>{u->first, u->second};
        },
        Traversable<ListTag>::traverse(std::move(g), xs.toList()));
  }
};

}  // namespace basis
