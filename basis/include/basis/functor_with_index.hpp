#pragma once
// FunctorWithIndex<F>: mapping that hands each element's index to the
// function, `imap(f, xs)` with f(i, x). The index type is fixed by the shape:
// `FunctorWithIndex<F>::Index` (also `basis::index_of<F>`).
//
// Indices of the standard shapes: a position counted from 0 (List), the unit
// value (optional, Identity, Tagged), Void (Proxy: never called), the argument
// (functions), Either of the parts' indices (functor::Product: Left for the
// first part, Right for the second) and the pair (outer, inner) (Compose).
// The containers of their own headers (NonEmpty, ZipList, Map, IntMap, Seq,
// Vector) specialise it beside their other interfaces.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "basis/compose.hpp"
#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"
#include "basis/product.hpp"
#include "basis/tagged.hpp"
#include "basis/types.hpp"

namespace basis {

template <class F>
struct FunctorWithIndex;

// The index type of the shape F.
template <class F>
using index_of = typename FunctorWithIndex<F>::Index;

// The result type of f applied to an index I and an element A, decayed.
template <class Fn, class I, class A>
using IMapped = std::remove_cvref_t<std::invoke_result_t<Fn&, const I&, const A&>>;

// F has a FunctorWithIndex specialisation.
template <class F>
concept FunctorWithIndexTag = requires { typename FunctorWithIndex<F>::Index; };

// f(i, x) for every element x at index i, the shape kept. Cost as fmap's.
template <class Fn, HasTag FA>
auto imap(Fn&& f, const FA& xs) {
  return FunctorWithIndex<tag_of<FA>>::imap(std::forward<Fn>(f), xs);
}

// Lazy like the list's fmap: each cell is built when reached, f(i, x) runs
// when its element is forced. Positions from 0.
template <>
struct FunctorWithIndex<ListTag> {
  using Index = std::int64_t;
  template <class Fn, class A>
  static List<IMapped<Fn, Index, A>> imap(Fn f, const List<A>& xs) {
    return from(std::make_shared<Fn>(std::move(f)), 0, xs);
  }
  // The same walk starting at index `start` (for shapes that hold a list
  // after some first elements).
  template <class Fn, class A>
  static List<IMapped<Fn, Index, A>> from(std::shared_ptr<Fn> f, Index start, const List<A>& xs) {
    using B = IMapped<Fn, Index, A>;
    return List<B>::lazy([f, start, xs]() -> List<B> {
      auto u = xs.uncons();
      if (!u) return List<B>();
      Lazy<B> h = Lazy<B>::defer([f, start, x = u->first] { return B((*f)(start, x.force())); });
      return List<B>::cons(std::move(h), from(f, start + 1, u->second));
    });
  }
};

template <>
struct FunctorWithIndex<OptionalTag> {
  using Index = Unit;
  template <class Fn, class A>
  static std::optional<IMapped<Fn, Index, A>> imap(Fn f, const std::optional<A>& x) {
    if (!x) return std::nullopt;
    return f(unit, *x);
  }
};

template <>
struct FunctorWithIndex<IdentityTag> {
  using Index = Unit;
  template <class Fn, class A>
  static Identity<IMapped<Fn, Index, A>> imap(Fn f, const Identity<A>& x) {
    return {f(unit, x.value)};
  }
};

template <class S>
struct FunctorWithIndex<TaggedOf<S>> {
  using Index = Unit;
  template <class Fn, class A>
  static Tagged<S, IMapped<Fn, Index, A>> imap(Fn f, const Tagged<S, A>& x) {
    return {f(unit, x.unTagged)};
  }
};

// No element, so f is never called.
template <>
struct FunctorWithIndex<ProxyTag> {
  using Index = Void;
  template <class Fn, class A>
  static auto imap(Fn, const Proxy<A>&) {
    using B = std::remove_cvref_t<std::invoke_result_t<Fn&, const Void&, const A&>>;
    return Proxy<B>{};
  }
};

// The function x -> f(x, g(x)): the argument is the index.
template <class E>
struct FunctorWithIndex<FunctionFrom<E>> {
  using Index = E;
  template <class Fn, class A>
  static std::function<IMapped<Fn, E, A>(const E&)> imap(Fn f, const std::function<A(const E&)>& g) {
    return [f = std::move(f), g](const E& e) { return f(e, g(e)); };
  }
};

// Left i in the first part, Right j in the second; each part mapped when it
// is read.
template <class F, class G>
struct FunctorWithIndex<ProductOf<F, G>> {
  using Index = Either<index_of<F>, index_of<G>>;
  template <class Fn, class A>
  static auto imap(Fn f, const functor::Product<F, G, A>& p) {
    using I = index_of<F>;
    using J = index_of<G>;
    using B = IMapped<Fn, Index, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return functor::Product<F, G, B>{
        Lazy<Apply<F, B>>::defer([fp, x = p.first] {
          return FunctorWithIndex<F>::imap([fp](const I& i, const A& a) { return (*fp)(Index(Left<I>{i}), a); },
                                           x.force());
        }),
        Lazy<Apply<G, B>>::defer([fp, y = p.second] {
          return FunctorWithIndex<G>::imap([fp](const J& j, const A& a) { return (*fp)(Index(Right<J>{j}), a); },
                                           y.force());
        })};
  }
};

// (outer index, inner index).
template <class F, class G>
struct FunctorWithIndex<ComposeOf<F, G>> {
  using Index = std::pair<index_of<F>, index_of<G>>;
  template <class Fn, class A>
  static auto imap(Fn f, const Compose<F, G, A>& c) {
    using I = index_of<F>;
    using J = index_of<G>;
    using B = IMapped<Fn, Index, A>;
    auto fp = std::make_shared<Fn>(std::move(f));
    return Compose<F, G, B>{FunctorWithIndex<F>::imap(
        [fp](const I& i, const Apply<G, A>& ga) {
          return FunctorWithIndex<G>::imap([fp, i](const J& j, const A& a) { return (*fp)(Index(i, j), a); }, ga);
        },
        c.value)};
  }
};

}  // namespace basis
