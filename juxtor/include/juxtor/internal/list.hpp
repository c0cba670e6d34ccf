#pragma once
// Aligning lists, zip lists, non-empty lists and rose trees position by
// position from the front: a longer side's extra elements survive an
// alignment and are dropped by a zip.
//
// Every result is produced incrementally: aligning, zipping or unzipping n
// positions costs one step per position actually read, elements are deferred
// (the caller's function runs when its element is forced), and infinite
// arguments work wherever the result is read incrementally. What an operation
// examines during the call is stated per operation; a failure there comes out
// of the call, any other failure when the affected part is read.

#include <cstdint>
#include <memory>
#include <utility>

#include <basis/functor_with_index.hpp>
#include <basis/lazy.hpp>
#include <basis/list.hpp>
#include <basis/non_empty.hpp>
#include <basis/tree.hpp>
#include <basis/zip_list.hpp>

#include "juxtor/internal/classes.hpp"
#include "juxtor/internal/flat.hpp"

// GCC 12 reports moving a freshly deferred basis::Lazy (a std::variant) into
// a list cell as a possibly uninitialised read; the read is of an initialised
// handle. Silenced for these walks only.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace juxtor {

namespace detail {

using basis::Lazy;
using basis::List;

// The alignment of two lists with f applied to each These, lazily. Examines
// ys first: an empty ys gives xs mapped with This (xs not examined); else an
// empty xs gives ys mapped with That; else the deferred f(These x y) in front
// of the deferred alignment of the tails.
template <class R, class Fn, class A, class B>
List<R> alignLists(const std::shared_ptr<Fn>& f, const List<A>& xs, const List<B>& ys) {
  using T = These<A, B>;
  auto v = ys.uncons();
  if (!v) return basis::Functor<basis::ListTag>::fmap([f](const A& a) { return R((*f)(T::this_(a))); }, xs);
  auto u = xs.uncons();
  if (!u) return basis::Functor<basis::ListTag>::fmap([f](const B& b) { return R((*f)(T::that(b))); }, ys);
  const Lazy<R> head = Lazy<R>::defer([f, x = u->first, y = v->first] { return R((*f)(basis::applyForced(&T::these, x, y))); });
  return List<R>::cons(head, List<R>::lazy([f, xt = std::move(u->second), yt = std::move(v->second)] {
                         return alignLists<R>(f, xt, yt);
                       }));
}

// The position-wise f(x, y) up to the shorter list, lazily: nothing is
// examined before the result is read; at each step the left list first.
template <class R, class Fn, class A, class B>
List<R> zipLists(const std::shared_ptr<Fn>& f, const List<A>& xs, const List<B>& ys) {
  return List<R>::lazy([f, xs, ys]() -> List<R> {
    auto u = xs.uncons();
    if (!u) return List<R>();
    auto v = ys.uncons();
    if (!v) return List<R>();
    const Lazy<R> head = Lazy<R>::defer([f, x = u->first, y = v->first] { return R(basis::applyForced(*f, x, y)); });
    return List<R>::cons(head, zipLists<R>(f, u->second, v->second));
  });
}

// (fst of a deferred pair of lists, snd of it), neither examined yet. The
// pair is held through a Shared cell, so the chain of levels that an unread
// side keeps alive is freed without recursion.
template <class A, class B>
std::pair<List<A>, List<B>> splitDeferred(const Lazy<std::pair<List<A>, List<B>>>& u) {
  auto cell = juxtor::detail::share(u);
  return {List<A>::lazy([cell] { return cell->get().force().first; }),
          List<B>::lazy([cell] { return cell->get().force().second; })};
}

// The two lists of components of the pairs f yields for xs. Examines xs and
// evaluates f of its first element during the call; the rest is unzipped
// once, when either side reads past the first element, and shared.
template <class Fn, class C>
auto unzipListWith(const std::shared_ptr<Fn>& f, const List<C>& xs) {
  using P = basis::Mapped<Fn, C>;
  using A = typename P::first_type;
  using B = typename P::second_type;
  using Result = std::pair<List<A>, List<B>>;
  auto u = xs.uncons();
  if (!u) return Result();
  P p = (*f)(u->first.force());
  auto [ls, rs] = splitDeferred(Lazy<Result>::defer([f, t = std::move(u->second)] { return unzipListWith(f, t); }));
  return Result(List<A>::cons(Lazy<A>(std::move(p.first)), std::move(ls)),
                List<B>::cons(Lazy<B>(std::move(p.second)), std::move(rs)));
}

template <class Fn, class FA, class FB>
using AlignedWith = basis::Mapped<Fn, These<basis::element_of<FA>, basis::element_of<FB>>>;
template <class Fn, class FA, class FB>
using ZippedWith = basis::Mapped<Fn, basis::element_of<FA>, basis::element_of<FB>>;

}  // namespace detail

// ---------------------------------------------------------------------------
// Lists.

template <>
struct Juxtor<basis::ListTag> : JuxtorDefaults<basis::ListTag> {
  // The alignment with f on each These: as long as the longer list, These for
  // the common length, then This or That. Examines ys, then (when ys is not
  // empty) xs, during the call; f runs when its element is forced.
  template <class Fn, class A, class B>
  static basis::List<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const basis::List<A>& xs,
                                                               const basis::List<B>& ys) {
    using R = basis::Mapped<Fn, These<A, B>>;
    return detail::alignLists<R>(std::make_shared<Fn>(std::move(f)), xs, ys);
  }
};

template <>
struct Align<basis::ListTag> {
  template <class A>
  static basis::List<A> nil() {
    return {};
  }
};

template <>
struct Zip<basis::ListTag> : ZipDefaults<basis::ListTag> {
  // f position by position up to the shorter list; lazy, left list examined
  // first at each step.
  template <class Fn, class A, class B>
  static basis::List<basis::Mapped<Fn, A, B>> zipWith(Fn f, const basis::List<A>& xs, const basis::List<B>& ys) {
    return detail::zipLists<basis::Mapped<Fn, A, B>>(std::make_shared<Fn>(std::move(f)), xs, ys);
  }
};

template <>
struct Repeat<basis::ListTag> {
  // x at every position, forever: one cell in a ring.
  template <class X>
  static auto repeat(X&& x) {
    using A = std::remove_cvref_t<X>;
    return basis::List<A>::repeat(basis::Lazy<A>(std::forward<X>(x)));
  }
};

template <>
struct Unzip<basis::ListTag> : UnzipDefaults<basis::ListTag> {
  // The components of f's pairs. Examines the list and evaluates f of its
  // first element during the call (a failing list fails the call); the rest
  // is unzipped once when read, shared by both sides.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::List<C>& xs) {
    return detail::unzipListWith(std::make_shared<Fn>(std::move(f)), xs);
  }
};

template <>
struct JuxtorWithIndex<basis::ListTag> : JuxtorWithIndexDefaults<basis::ListTag> {};
template <>
struct ZipWithIndex<basis::ListTag> : ZipWithIndexDefaults<basis::ListTag> {};
// f(0), f(1), ..., each element deferred.
template <>
struct RepeatWithIndex<basis::ListTag> : RepeatWithIndexDefaults<basis::ListTag> {};

// ---------------------------------------------------------------------------
// Zip lists: the list operations on the wrapped list; unzipping examines
// nothing during the call.

template <>
struct Juxtor<basis::ZipListTag> : JuxtorDefaults<basis::ZipListTag> {
  template <class Fn, class A, class B>
  static basis::ZipList<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const basis::ZipList<A>& xs,
                                                                  const basis::ZipList<B>& ys) {
    return {Juxtor<basis::ListTag>::alignWith(std::move(f), xs.getZipList, ys.getZipList)};
  }
};

template <>
struct Align<basis::ZipListTag> {
  template <class A>
  static basis::ZipList<A> nil() {
    return {};
  }
};

template <>
struct Zip<basis::ZipListTag> : ZipDefaults<basis::ZipListTag> {
  template <class Fn, class A, class B>
  static basis::ZipList<basis::Mapped<Fn, A, B>> zipWith(Fn f, const basis::ZipList<A>& xs,
                                                         const basis::ZipList<B>& ys) {
    return {Zip<basis::ListTag>::zipWith(std::move(f), xs.getZipList, ys.getZipList)};
  }
};

template <>
struct Repeat<basis::ZipListTag> {
  template <class X>
  static auto repeat(X&& x) {
    return basis::ZipList<std::remove_cvref_t<X>>{Repeat<basis::ListTag>::repeat(std::forward<X>(x))};
  }
};

template <>
struct Unzip<basis::ZipListTag> : UnzipDefaults<basis::ZipListTag> {
  // Returns at once; the wrapped list is unzipped when either side is read.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::ZipList<C>& xs) {
    using P = basis::Mapped<Fn, C>;
    using A = typename P::first_type;
    using B = typename P::second_type;
    using Pair = std::pair<basis::List<A>, basis::List<B>>;
    auto u = basis::Lazy<Pair>::defer([fp = std::make_shared<Fn>(std::move(f)), ys = xs.getZipList] {
      return detail::unzipListWith(fp, ys);
    });
    auto [l, r] = detail::splitDeferred(u);
    return std::pair(basis::ZipList<A>{std::move(l)}, basis::ZipList<B>{std::move(r)});
  }
};

template <>
struct JuxtorWithIndex<basis::ZipListTag> : JuxtorWithIndexDefaults<basis::ZipListTag> {};
template <>
struct ZipWithIndex<basis::ZipListTag> : ZipWithIndexDefaults<basis::ZipListTag> {};
template <>
struct RepeatWithIndex<basis::ZipListTag> : RepeatWithIndexDefaults<basis::ZipListTag> {};

// ---------------------------------------------------------------------------
// Non-empty lists: the heads pair up, the tails go as lists. Nothing is
// examined during a call; every part is deferred.

template <>
struct Juxtor<basis::NonEmptyTag> : JuxtorDefaults<basis::NonEmptyTag> {
  template <class Fn, class A, class B>
  static basis::NonEmpty<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const basis::NonEmpty<A>& a,
                                                                   const basis::NonEmpty<B>& b) {
    using R = basis::Mapped<Fn, These<A, B>>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return {basis::Lazy<R>::defer([fp, x = a.head, y = b.head] { return R((*fp)(basis::applyForced(&These<A, B>::these, x, y))); }),
            basis::List<R>::lazy([fp, xs = a.tail, ys = b.tail] { return detail::alignLists<R>(fp, xs, ys); })};
  }
};

template <>
struct Zip<basis::NonEmptyTag> : ZipDefaults<basis::NonEmptyTag> {
  template <class Fn, class A, class B>
  static basis::NonEmpty<basis::Mapped<Fn, A, B>> zipWith(Fn f, const basis::NonEmpty<A>& a,
                                                          const basis::NonEmpty<B>& b) {
    using R = basis::Mapped<Fn, A, B>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return {basis::Lazy<R>::defer([fp, x = a.head, y = b.head] { return R(basis::applyForced(*fp, x, y)); }),
            detail::zipLists<R>(fp, a.tail, b.tail)};
  }
};

template <>
struct Repeat<basis::NonEmptyTag> {
  template <class X>
  static auto repeat(X&& x) {
    using A = std::remove_cvref_t<X>;
    basis::Lazy<A> v(std::forward<X>(x));
    return basis::NonEmpty<A>{v, basis::List<A>::repeat(v)};
  }
};

template <>
struct Unzip<basis::NonEmptyTag> : UnzipDefaults<basis::NonEmptyTag> {
  // f runs at most once per element, shared by both sides.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::NonEmpty<C>& xs) {
    using P = basis::Mapped<Fn, C>;
    using A = typename P::first_type;
    using B = typename P::second_type;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto h = basis::Lazy<P>::defer([fp, x = xs.head] { return P((*fp)(x.force())); });
    basis::List<P> m = basis::Functor<basis::ListTag>::fmap([fp](const C& c) { return P((*fp)(c)); }, xs.tail);
    return std::pair(basis::NonEmpty<A>{basis::Lazy<A>::defer([h] { return h.force().first; }),
                                        basis::Functor<basis::ListTag>::fmap(detail::First{}, m)},
                     basis::NonEmpty<B>{basis::Lazy<B>::defer([h] { return h.force().second; }),
                                        basis::Functor<basis::ListTag>::fmap(detail::Second{}, m)});
  }
  // The first components and the second components, each side mapped lazily.
  template <class A, class B>
  static std::pair<basis::NonEmpty<A>, basis::NonEmpty<B>> unzip(const basis::NonEmpty<std::pair<A, B>>& xs) {
    return {basis::Functor<basis::NonEmptyTag>::fmap(detail::First{}, xs),
            basis::Functor<basis::NonEmptyTag>::fmap(detail::Second{}, xs)};
  }
};

template <>
struct JuxtorWithIndex<basis::NonEmptyTag> {
  // f(0, head These), then f(1, ...), ... over the aligned tails.
  template <class Fn, class A, class B>
  static auto ialignWith(Fn f, const basis::NonEmpty<A>& a, const basis::NonEmpty<B>& b) {
    using I = std::int64_t;
    using T = These<A, B>;
    using R = basis::IMapped<Fn, I, T>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto id = std::make_shared<detail::Id>();
    return basis::NonEmpty<R>{
        basis::Lazy<R>::defer([fp, x = a.head, y = b.head] { return R((*fp)(I{0}, basis::applyForced(&T::these, x, y))); }),
        basis::List<R>::lazy([fp, id, xs = a.tail, ys = b.tail] {
          return basis::FunctorWithIndex<basis::ListTag>::from(fp, 1, detail::alignLists<T>(id, xs, ys));
        })};
  }
};

template <>
struct ZipWithIndex<basis::NonEmptyTag> {
  // f(0, heads), then f(i, ...) from 1 over the zipped tails.
  template <class Fn, class A, class B>
  static auto izipWith(Fn f, const basis::NonEmpty<A>& a, const basis::NonEmpty<B>& b) {
    using I = std::int64_t;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const I&, const A&, const B&>>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto step = std::make_shared<std::function<R(const I&, const std::pair<A, B>&)>>(
        [fp](const I& i, const std::pair<A, B>& p) { return R((*fp)(i, p.first, p.second)); });
    auto pair = std::make_shared<detail::MakePair>();
    return basis::NonEmpty<R>{
        basis::Lazy<R>::defer([fp, x = a.head, y = b.head] { return R(basis::applyForced(*fp, I{0}, x, y)); }),
        basis::List<R>::lazy([step, pair, xs = a.tail, ys = b.tail] {
          return basis::FunctorWithIndex<basis::ListTag>::from(step, 1,
                                                               detail::zipLists<std::pair<A, B>>(pair, xs, ys));
        })};
  }
};

template <>
struct RepeatWithIndex<basis::NonEmptyTag> {
  // f(0) at the head, f(1), f(2), ... after it; each deferred.
  template <class Fn>
  static auto irepeat(Fn f) {
    using I = std::int64_t;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const I&>>;
    auto fp = std::make_shared<Fn>(std::move(f));
    auto at = std::make_shared<std::function<R(const I&, const basis::Unit&)>>(
        [fp](const I& i, const basis::Unit&) { return R((*fp)(i)); });
    return basis::NonEmpty<R>{basis::Lazy<R>::defer([fp] { return R((*fp)(I{0})); }),
                              basis::FunctorWithIndex<basis::ListTag>::from(
                                  at, 1, basis::List<basis::Unit>::repeat(basis::Lazy<basis::Unit>(basis::unit)))};
  }
};

// ---------------------------------------------------------------------------
// Rose trees: a node wherever either tree has one (aligning) or both have
// one (zipping). Each call examines nothing beyond its arguments' roots;
// labels and child lists are deferred.

namespace detail {

template <class R, class Fn, class A, class B>
basis::Tree<R> alignTrees(const std::shared_ptr<Fn>& f, const basis::Tree<A>& s, const basis::Tree<B>& t) {
  using T = These<A, B>;
  using basis::Tree;
  auto label = Lazy<R>::defer([f, x = s.rootLabelLazy(), y = t.rootLabelLazy()] {
    return R((*f)(basis::applyForced(&T::these, x, y)));
  });
  auto children = List<Tree<R>>::lazy([f, cs = s.subForest(), ct = t.subForest()] {
    auto pairUp = std::make_shared<std::function<Tree<R>(const These<Tree<A>, Tree<B>>&)>>(
        [f](const These<Tree<A>, Tree<B>>& e) {
          return e.fold(
              [&](const Tree<A>& u) {
                return basis::Functor<basis::TreeTag>::fmap([f](const A& a) { return R((*f)(T::this_(a))); }, u);
              },
              [&](const Tree<B>& v) {
                return basis::Functor<basis::TreeTag>::fmap([f](const B& b) { return R((*f)(T::that(b))); }, v);
              },
              [&](const Tree<A>& u, const Tree<B>& v) { return alignTrees<R>(f, u, v); });
        });
    return alignLists<Tree<R>>(pairUp, cs, ct);
  });
  return Tree<R>::node(std::move(label), std::move(children));
}

template <class R, class Fn, class A, class B>
basis::Tree<R> zipTrees(const std::shared_ptr<Fn>& f, const basis::Tree<A>& s, const basis::Tree<B>& t) {
  using basis::Tree;
  auto label = Lazy<R>::defer([f, x = s.rootLabelLazy(), y = t.rootLabelLazy()] { return R(basis::applyForced(*f, x, y)); });
  auto pairUp = std::make_shared<std::function<Tree<R>(const Tree<A>&, const Tree<B>&)>>(
      [f](const Tree<A>& u, const Tree<B>& v) { return zipTrees<R>(f, u, v); });
  return Tree<R>::node(std::move(label), zipLists<Tree<R>>(pairUp, s.subForest(), t.subForest()));
}

// The component types of the pairs f yields for elements C.
template <class Fn, class C>
struct Split {
  using P = basis::Mapped<Fn, C>;
  using A = typename P::first_type;
  using B = typename P::second_type;
};
template <class Fn, class C>
using SplitTrees = std::pair<basis::Tree<typename Split<Fn, C>::A>, basis::Tree<typename Split<Fn, C>::B>>;

template <class Fn, class C>
SplitTrees<Fn, C> unzipTree(const std::shared_ptr<Fn>& f, const basis::Tree<C>& t);

// The two forests of an unzipped child list: examines the list and each
// subtree's root as it goes; the rest is deferred and shared.
template <class Fn, class C>
auto unzipForest(const std::shared_ptr<Fn>& f, const List<basis::Tree<C>>& ts) {
  using P = basis::Mapped<Fn, C>;
  using A = typename P::first_type;
  using B = typename P::second_type;
  using Result = std::pair<List<basis::Tree<A>>, List<basis::Tree<B>>>;
  auto u = ts.uncons();
  if (!u) return Result();
  auto [l, r] = unzipTree(f, u->first.force());
  auto rest = Lazy<Result>::defer([f, tail = std::move(u->second)] { return unzipForest(f, tail); });
  auto [ls, rs] = splitDeferred(rest);
  return Result(List<basis::Tree<A>>::cons(Lazy<basis::Tree<A>>(std::move(l)), std::move(ls)),
                List<basis::Tree<B>>::cons(Lazy<basis::Tree<B>>(std::move(r)), std::move(rs)));
}

template <class Fn, class C>
SplitTrees<Fn, C> unzipTree(const std::shared_ptr<Fn>& f, const basis::Tree<C>& t) {
  using P = basis::Mapped<Fn, C>;
  using A = typename P::first_type;
  using B = typename P::second_type;
  using Forests = std::pair<List<basis::Tree<A>>, List<basis::Tree<B>>>;
  auto h = Lazy<P>::defer([f, x = t.rootLabelLazy()] { return P((*f)(x.force())); });
  auto r = Lazy<Forests>::defer([f, cs = t.subForest()] { return unzipForest(f, cs); });
  auto [ls, rs] = splitDeferred(r);
  return SplitTrees<Fn, C>(basis::Tree<A>::node(Lazy<A>::defer([h] { return h.force().first; }), std::move(ls)),
                   basis::Tree<B>::node(Lazy<B>::defer([h] { return h.force().second; }), std::move(rs)));
}

}  // namespace detail

template <>
struct Juxtor<basis::TreeTag> : JuxtorDefaults<basis::TreeTag> {
  template <class Fn, class A, class B>
  static basis::Tree<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const basis::Tree<A>& s,
                                                               const basis::Tree<B>& t) {
    return detail::alignTrees<basis::Mapped<Fn, These<A, B>>>(std::make_shared<Fn>(std::move(f)), s, t);
  }
};

template <>
struct Zip<basis::TreeTag> : ZipDefaults<basis::TreeTag> {
  template <class Fn, class A, class B>
  static basis::Tree<basis::Mapped<Fn, A, B>> zipWith(Fn f, const basis::Tree<A>& s, const basis::Tree<B>& t) {
    return detail::zipTrees<basis::Mapped<Fn, A, B>>(std::make_shared<Fn>(std::move(f)), s, t);
  }
};

template <>
struct Repeat<basis::TreeTag> {
  // The endless tree with x at every node, in constant storage.
  template <class X>
  static auto repeat(X&& x) {
    using A = std::remove_cvref_t<X>;
    return basis::Tree<A>::cycle(basis::Lazy<A>(std::forward<X>(x)));
  }
};

template <>
struct Unzip<basis::TreeTag> : UnzipDefaults<basis::TreeTag> {
  // Two trees of t's shape; f runs at most once per label.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const basis::Tree<C>& t) {
    return detail::unzipTree(std::make_shared<Fn>(std::move(f)), t);
  }
};

}  // namespace juxtor

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
