#pragma once
// The interfaces of Seq<T> (SeqTag): Functor and FunctorWithIndex (the
// position from 0), Foldable (front to back) and Traversable. Seq holds its
// elements evaluated, so mapping runs f on every element during the call.

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/functor_with_index.hpp"
#include "basis/seq.hpp"
#include "basis/traversable.hpp"

namespace basis {

struct SeqTag {
  template <class A>
  using apply = Seq<A>;
};
template <class T>
struct TagOf<Seq<T>> {
  using type = SeqTag;
  using element = T;
};

// f on every element, front to back. O(n).
template <>
struct Functor<SeqTag> : FunctorDefaults<SeqTag> {
  template <class Fn, class A>
  static Seq<Mapped<Fn, A>> fmap(Fn f, const Seq<A>& xs) {
    std::vector<Mapped<Fn, A>> out;
    out.reserve(xs.size());
    for (const A& x : xs) out.push_back(f(x));
    return Seq<Mapped<Fn, A>>::fromRange(out);
  }
};

template <>
struct FunctorWithIndex<SeqTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static Seq<IMapped<Fn, Index, A>> imap(Fn f, const Seq<A>& xs) {
    std::vector<IMapped<Fn, Index, A>> out;
    out.reserve(xs.size());
    Index i = 0;
    for (const A& x : xs) out.push_back(f(i++, x));
    return Seq<IMapped<Fn, Index, A>>::fromRange(out);
  }
};

// Front to back; the deferred rest of foldr holds the rest of the sequence.
template <>
struct Foldable<SeqTag> : FoldableDefaults<SeqTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const Seq<A>& xs) {
    return go<lazy_value_t<Z>>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), xs);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const Seq<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    for (const A& x : xs) acc = f(std::move(acc), x);
    return acc;
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const Seq<A>& xs) {
    std::vector<A> items = xs.toVector();
    lazy_value_t<Z> acc(demand(z));
    for (auto it = items.rbegin(); it != items.rend(); ++it) acc = f(*it, std::move(acc));
    return acc;
  }
  template <class A>
  static std::int64_t length(const Seq<A>& xs) {
    return static_cast<std::int64_t>(xs.size());
  }
  template <class A>
  static bool null(const Seq<A>& xs) {
    return xs.empty();
  }

 private:
  template <class B, class Fn, class A>
  static B go(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const Seq<A>& xs) {
    auto v = xs.viewl();
    if (!v) return z.force();
    return (*f)(v->first, Lazy<B>::defer([f, z, rest = std::move(v->second)] { return go<B>(f, z, rest); }));
  }
};

// The actions front to back; the sequence rebuilt inside the applicative.
template <>
struct Traversable<SeqTag> : TraversableDefaults<SeqTag> {
  template <class Fn, class A>
  static auto traverse(Fn g, const Seq<A>& xs) {
    using GB = Action<Fn, A>;
    using B = element_of<GB>;
    return Functor<tag_of<GB>>::fmap([](const std::vector<B>& ys) { return Seq<B>::fromRange(ys); },
                                     Traversable<VectorTag>::traverse(std::move(g), xs.toVector()));
  }
};

}  // namespace basis
