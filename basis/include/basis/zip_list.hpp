#pragma once
// ZipList<T>: a list wrapper (`getZipList`) whose combinations go position by
// position. Its interfaces (ZipListTag): Functor, FunctorWithIndex, Foldable
// and Traversable, each the list's own.

#include <cstdint>
#include <utility>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/functor_with_index.hpp"
#include "basis/list.hpp"
#include "basis/traversable.hpp"

namespace basis {

template <class T>
struct ZipList {
  List<T> getZipList;
  friend bool operator==(const ZipList& a, const ZipList& b)
    requires std::equality_comparable<T>
  {
    return a.getZipList == b.getZipList;
  }
};

struct ZipListTag {
  template <class A>
  using apply = ZipList<A>;
};
template <class T>
struct TagOf<ZipList<T>> {
  using type = ZipListTag;
  using element = T;
};

template <>
struct Functor<ZipListTag> : FunctorDefaults<ZipListTag> {
  template <class Fn, class A>
  static ZipList<Mapped<Fn, A>> fmap(Fn f, const ZipList<A>& xs) {
    return {Functor<ListTag>::fmap(std::move(f), xs.getZipList)};
  }
};

template <>
struct FunctorWithIndex<ZipListTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static ZipList<IMapped<Fn, Index, A>> imap(Fn f, const ZipList<A>& xs) {
    return {FunctorWithIndex<ListTag>::imap(std::move(f), xs.getZipList)};
  }
};

template <>
struct Foldable<ZipListTag> : FoldableDefaults<ZipListTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const ZipList<A>& xs) {
    return Foldable<ListTag>::foldr(std::move(f), std::move(z), xs.getZipList);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const ZipList<A>& xs) {
    return Foldable<ListTag>::foldl_(std::move(f), std::move(z), xs.getZipList);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const ZipList<A>& xs) {
    return Foldable<ListTag>::foldr_(std::move(f), std::move(z), xs.getZipList);
  }
  // The list itself, shared.
  template <class A>
  static List<A> toList(const ZipList<A>& xs) {
    return xs.getZipList;
  }
};

template <>
struct Traversable<ZipListTag> : TraversableDefaults<ZipListTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const ZipList<A>& xs) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    return Functor<tag_of<GB>>::fmap([](const List<B>& ys) { return ZipList<B>{ys}; },
                                     Traversable<ListTag>::traverse(std::move(g), xs.getZipList));
  }
};

}  // namespace basis
