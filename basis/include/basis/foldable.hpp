#pragma once
// Foldable<F>: reducing a structure to one result.
//
// Slots, in the platform's order: fold, foldMap, foldMap_ (`foldMap'`),
// foldr, foldr_ (`foldr'`), foldl, foldl_ (`foldl'`), foldr1, foldl1, toList,
// null, length, elem, maximum, minimum, sum, product.
//
// A specialisation defines `foldr` and inherits FoldableDefaults<F>, which
// defines every other slot from it; a container with many elements also
// defines `foldl_` and `foldr_` (the defaults reach elements through foldr,
// one stack frame per element), and may define any other slot for speed.
//
// Elements are handed to the caller's functions as the container holds them:
// `const A&`, or `const Lazy<A>&` for containers of deferred elements (a
// Lazy<A> converts to const A&, so a function taking const A& fits both).
// `forced(x)` gives the plain value in generic code.
//
// The deferred folds (foldr, foldl, foldr1, foldl1) hand the caller's
// function a Lazy for the rest of the fold, created but not run: a function
// that does not force it stops the walk. Such a Lazy reads the container: it
// must be forced while the container lives. Forcing the rest recurses, so a
// fold that always forces it uses one stack frame per element: use foldl_ /
// foldr_ for long strict folds.

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/error.hpp"
#include "basis/functor.hpp"
#include "basis/lazy_list.hpp"
#include "basis/semigroup.hpp"

namespace basis {

namespace detail {
// An element as a Lazy<A> cell: a deferred element (as lazy containers hand
// them out) is shared unforced; a plain one is copied in evaluated.
template <class A, class X>
Lazy<A> storedElement(const X& x) {
  if constexpr (std::is_same_v<X, Lazy<A>>) {
    return x;
  } else {
    return Lazy<A>(x);
  }
}
}  // namespace detail

template <class F>
struct Foldable;

// The defaults of Foldable, from foldr (and foldl_ where given).
template <class F>
struct FoldableDefaults {
  // The elements combined by their Monoid, nested to the right, mempty last.
  template <class FA>
  static auto fold(const FA& xs) {
    using A = element_of<FA>;
    return Foldable<F>::foldMap([](const auto& x) { return A(forced(x)); }, xs);
  }
  // f of each element, combined by the result's Monoid, nested to the right
  // with mempty last: f x0 <> (f x1 <> (... <> mempty)).
  template <class Fn, class FA>
  static auto foldMap(Fn f, const FA& xs) {
    using M = Mapped<Fn, element_of<FA>>;
    return Foldable<F>::foldr(
        [&f](const auto& x, const Lazy<M>& rest) -> M { return combine(M(f(x)), rest.force()); },
        Lazy<M>(mempty<M>()), xs);
  }
  // f of each element, combined from the left as the walk goes:
  // ((mempty <> f x0) <> f x1) <> ...; mempty is evaluated first.
  template <class Fn, class FA>
  static auto foldMap_(Fn f, const FA& xs) {
    using M = Mapped<Fn, element_of<FA>>;
    return Foldable<F>::foldl_([&f](const M& acc, const auto& x) { return combine(acc, M(f(x))); },
                               mempty<M>(), xs);
  }
  // f x_i rest from the right, each call made once the next is known: f is
  // called first on the last element. z is evaluated first.
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const FA& xs) {
    using B = lazy_value_t<Z>;
    B acc = B(demand(z));
    Foldable<F>::foldr(
        [&](const auto& x, const Lazy<Unit>& rest) -> Unit {
          rest.force();
          acc = f(x, std::move(acc));
          return unit;
        },
        Lazy<Unit>(unit), xs);
    return acc;
  }
  // f acc x from the left, each result evaluated before the next call.
  // z is evaluated first, even for an empty structure.
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const FA& xs) {
    using B = lazy_value_t<Z>;
    B acc = B(demand(z));
    Foldable<F>::foldr(
        [&](const auto& x, const Lazy<Unit>& rest) -> Unit {
          acc = f(std::move(acc), x);
          rest.force();
          return unit;
        },
        Lazy<Unit>(unit), xs);
    return acc;
  }
  // f (deferred acc) x from the left, built on demand: f is applied first to
  // the last element; the earlier ones are reached through the accumulator.
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldl(Fn f, Z z, const FA& xs) {
    using B = lazy_value_t<Z>;
    auto fp = std::make_shared<Fn>(std::move(f));
    Lazy<B> acc = toLazy(std::move(z));
    Foldable<F>::foldl_(
        [&](Unit, const auto& x) {
          acc = Lazy<B>::defer([fp, prev = acc, x] { return B((*fp)(prev, x)); });
          return unit;
        },
        unit, xs);
    return acc.force();
  }
  // f x0 (f x1 (... x_last)), built on demand; throws ErrorCall
  // "foldr1: empty structure" for an empty structure.
  template <class Fn, class FA>
  static element_of<FA> foldr1(Fn f, const FA& xs) {
    using A = element_of<FA>;
    using Acc = std::optional<Lazy<A>>;
    Acc r = Foldable<F>::foldr(
        [&f](const auto& x, const Lazy<Acc>& rest) -> Acc {
          return Acc(Lazy<A>::defer([&f, x, rest]() -> A {
            const Acc& tail = rest.force();
            if (!tail) return A(forced(x));
            return A(f(x, tail->force()));
          }));
        },
        Lazy<Acc>(Acc()), xs);
    if (!r) throw ErrorCall("foldr1: empty structure");
    return r->force();
  }
  // f (... (f x0 x1) ...) x_last, built on demand; throws ErrorCall
  // "foldl1: empty structure" for an empty structure.
  template <class Fn, class FA>
  static element_of<FA> foldl1(Fn f, const FA& xs) {
    using A = element_of<FA>;
    using Acc = std::optional<Lazy<A>>;
    Acc r = Foldable<F>::foldl(
        [&f](const Lazy<Acc>& acc, const auto& y) -> Acc {
          return Acc(Lazy<A>::defer([&f, acc, y]() -> A {
            const Acc& init = acc.force();
            if (!init) return A(forced(y));
            return A(f(init->force(), y));
          }));
        },
        Lazy<Acc>(Acc()), xs);
    if (!r) throw ErrorCall("foldl1: empty structure");
    return r->force();
  }
  // The elements in order, as a list built on demand by foldr: each cell is
  // made when the list is read that far, and each element is handed on as
  // the structure holds it, forced only when read. The list keeps its own
  // copy of the structure (the deferred rests of foldr read the structure),
  // so it outlives xs, and an endless structure gives an endless list.
// GCC 12 takes moving the list's end (a Lazy, a std::variant) into the
// structure's fold for a possibly uninitialised read; it is initialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
  template <class FA>
  static List<element_of<FA>> toList(const FA& xs) {
    using A = element_of<FA>;
    using L = List<A>;
    auto held = std::make_shared<const FA>(xs);
    return L::lazy([held]() -> L {
      const auto end = Lazy<L>::defer([] { return L(); });
      return Foldable<F>::foldr(
          [held](const auto& x, const Lazy<L>& rest) -> L {
            return L::cons(detail::storedElement<A>(x), L::lazy([held, rest]() -> L { return rest.force(); }));
          },
          end, *held);
    });
  }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  // True when there is no element; stops at the first one.
  template <class FA>
  static bool null(const FA& xs) {
    return Foldable<F>::foldr([](const auto&, const Lazy<bool>&) { return false; }, true, xs);
  }
  // The number of elements.
  template <class FA>
  static std::int64_t length(const FA& xs) {
    return Foldable<F>::foldl_([](std::int64_t n, const auto&) { return n + 1; }, std::int64_t{0},
                               xs);
  }
  // Whether x == e for some element e (x on the left), stopping at the first.
  template <class X, class FA>
  static bool elem(const X& x, const FA& xs) {
    return Foldable<F>::foldr(
        [&x](const auto& e, const Lazy<bool>& rest) { return x == forced(e) || rest.force(); },
        false, xs);
  }
  // The greatest element, the earliest of equals (kept x stays when x >= v);
  // throws ErrorCall "maximum: empty structure" for an empty structure.
  template <class FA>
  static element_of<FA> maximum(const FA& xs) {
    return extremum(xs, [](const auto& kept, const auto& v) { return kept >= v; }, "maximum: empty structure");
  }
  // The least element, the earliest of equals (kept x stays when x <= v);
  // throws ErrorCall "minimum: empty structure" for an empty structure.
  template <class FA>
  static element_of<FA> minimum(const FA& xs) {
    return extremum(xs, [](const auto& kept, const auto& v) { return kept <= v; }, "minimum: empty structure");
  }
  // acc + v from 0, left to right.
  template <class FA>
  static element_of<FA> sum(const FA& xs) {
    using A = element_of<FA>;
    return Foldable<F>::foldl_([](A acc, const auto& v) { return A(acc + forced(v)); }, A(0), xs);
  }
  // acc * v from 1, left to right.
  template <class FA>
  static element_of<FA> product(const FA& xs) {
    using A = element_of<FA>;
    return Foldable<F>::foldl_([](A acc, const auto& v) { return A(acc * forced(v)); }, A(1), xs);
  }

 private:
  // The first element, replaced from the left by each v with !keep(kept, v);
  // throws ErrorCall(emptyMessage) for an empty structure.
  template <class FA, class Keep>
  static element_of<FA> extremum(const FA& xs, Keep keep, const char* emptyMessage) {
    using A = element_of<FA>;
    auto r = Foldable<F>::foldl_(
        [&keep](std::optional<A> acc, const auto& v) {
          if (!acc || !keep(*acc, forced(v))) acc = forced(v);
          return acc;
        },
        std::optional<A>(), xs);
    if (!r) throw ErrorCall(emptyMessage);
    return *r;
  }
};

// F has a complete Foldable specialisation.
template <class F>
concept FoldableTag = requires(const Apply<F, int>& x) {
  { Foldable<F>::foldr([](int, const Lazy<int>&) { return 0; }, 0, x) } -> std::same_as<int>;
  { Foldable<F>::foldl_([](int, int) { return 0; }, 0, x) } -> std::same_as<int>;
  { Foldable<F>::foldr_([](int, int) { return 0; }, 0, x) } -> std::same_as<int>;
  { Foldable<F>::length(x) } -> std::same_as<std::int64_t>;
  { Foldable<F>::null(x) } -> std::same_as<bool>;
  { Foldable<F>::sum(x) } -> std::same_as<int>;
};

// Front ends: each calls the slot of the argument's tag.
template <HasTag FA>
auto fold(const FA& xs) {
  return Foldable<tag_of<FA>>::fold(xs);
}
template <class Fn, HasTag FA>
auto foldMap(Fn&& f, const FA& xs) {
  return Foldable<tag_of<FA>>::foldMap(std::forward<Fn>(f), xs);
}
template <class Fn, HasTag FA>
auto foldMap_(Fn&& f, const FA& xs) {
  return Foldable<tag_of<FA>>::foldMap_(std::forward<Fn>(f), xs);
}
// f(x0, deferred f(x1, ...)), the last deferred rest yielding z; stops where
// f does not force its second argument.
template <class Fn, class Z, HasTag FA>
auto foldr(Fn&& f, Z&& z, const FA& xs) {
  return Foldable<tag_of<FA>>::foldr(std::forward<Fn>(f), std::forward<Z>(z), xs);
}
template <class Fn, class Z, HasTag FA>
auto foldr_(Fn&& f, Z&& z, const FA& xs) {
  return Foldable<tag_of<FA>>::foldr_(std::forward<Fn>(f), std::forward<Z>(z), xs);
}
template <class Fn, class Z, HasTag FA>
auto foldl(Fn&& f, Z&& z, const FA& xs) {
  return Foldable<tag_of<FA>>::foldl(std::forward<Fn>(f), std::forward<Z>(z), xs);
}
template <class Fn, class Z, HasTag FA>
auto foldl_(Fn&& f, Z&& z, const FA& xs) {
  return Foldable<tag_of<FA>>::foldl_(std::forward<Fn>(f), std::forward<Z>(z), xs);
}
template <class Fn, HasTag FA>
auto foldr1(Fn&& f, const FA& xs) {
  return Foldable<tag_of<FA>>::foldr1(std::forward<Fn>(f), xs);
}
template <class Fn, HasTag FA>
auto foldl1(Fn&& f, const FA& xs) {
  return Foldable<tag_of<FA>>::foldl1(std::forward<Fn>(f), xs);
}
template <HasTag FA>
auto toList(const FA& xs) {
  return Foldable<tag_of<FA>>::toList(xs);
}
template <HasTag FA>
bool null(const FA& xs) {
  return Foldable<tag_of<FA>>::null(xs);
}
template <HasTag FA>
std::int64_t length(const FA& xs) {
  return Foldable<tag_of<FA>>::length(xs);
}
template <class X, HasTag FA>
bool elem(const X& x, const FA& xs) {
  return Foldable<tag_of<FA>>::elem(x, xs);
}
template <HasTag FA>
auto maximum(const FA& xs) {
  return Foldable<tag_of<FA>>::maximum(xs);
}
template <HasTag FA>
auto minimum(const FA& xs) {
  return Foldable<tag_of<FA>>::minimum(xs);
}
template <HasTag FA>
auto sum(const FA& xs) {
  return Foldable<tag_of<FA>>::sum(xs);
}
template <HasTag FA>
auto product(const FA& xs) {
  return Foldable<tag_of<FA>>::product(xs);
}

// ---------------------------------------------------------------------------
// Instances.

namespace detail {
// The deferred right fold over positions i.. of a random-access sequence.
template <class B, class Fn, class Seq>
B foldrFrom(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const Seq* xs, std::size_t i) {
  if (i == xs->size()) return z.force();
  return (*f)((*xs)[i], Lazy<B>::defer([f, z, xs, i] { return foldrFrom<B>(f, z, xs, i + 1); }));
}
// The deferred left fold over positions ..i (exclusive) of a sequence.
template <class B, class Fn, class Seq>
B foldlUpTo(const std::shared_ptr<Fn>& f, const Lazy<B>& z, const Seq* xs, std::size_t i) {
  if (i == 0) return z.force();
  return (*f)(Lazy<B>::defer([f, z, xs, i] { return foldlUpTo<B>(f, z, xs, i - 1); }),
              (*xs)[i - 1]);
}
}  // namespace detail

// Vectors: the strict folds are loops.
template <>
struct Foldable<VectorTag> : FoldableDefaults<VectorTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn f, Z z, const std::vector<A>& xs) {
    using B = lazy_value_t<Z>;
    return detail::foldrFrom<B>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), &xs, 0);
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl(Fn f, Z z, const std::vector<A>& xs) {
    using B = lazy_value_t<Z>;
    return detail::foldlUpTo<B>(std::make_shared<Fn>(std::move(f)), toLazy(std::move(z)), &xs,
                                xs.size());
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const std::vector<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    for (const auto& x : xs) acc = f(std::move(acc), x);
    return acc;
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const std::vector<A>& xs) {
    lazy_value_t<Z> acc(demand(z));
    for (auto it = xs.rbegin(); it != xs.rend(); ++it) acc = f(*it, std::move(acc));
    return acc;
  }
  template <class Fn, class A>
  static Mapped<Fn, A> foldMap(Fn f, const std::vector<A>& xs) {
    using M = Mapped<Fn, A>;
    std::vector<M> parts;
    parts.reserve(xs.size());
    for (const auto& x : xs) parts.push_back(f(x));
    M acc = mempty<M>();
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) acc = combine(*it, acc);
    return acc;
  }
  template <class A>
  static std::vector<A> toList(const std::vector<A>& xs) {
    return xs;
  }
  template <class A>
  static bool null(const std::vector<A>& xs) {
    return xs.empty();
  }
  template <class A>
  static std::int64_t length(const std::vector<A>& xs) {
    return static_cast<std::int64_t>(xs.size());
  }
  template <class X, class A>
  static bool elem(const X& x, const std::vector<A>& xs) {
    for (const auto& e : xs)
      if (x == e) return true;
    return false;
  }
};

namespace detail {
// Foldable of a structure with at most one element: Foldable<F>::one(xs) is a
// pointer to it or null.
template <class F>
struct FoldableAtMostOne : FoldableDefaults<F> {
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldr(Fn f, Z z, const FA& xs) {
    if (const auto* x = Foldable<F>::one(xs)) return f(*x, toLazy(std::move(z)));
    return lazy_value_t<Z>(demand(z));
  }
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldl(Fn f, Z z, const FA& xs) {
    if (const auto* x = Foldable<F>::one(xs)) return f(toLazy(std::move(z)), *x);
    return lazy_value_t<Z>(demand(z));
  }
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldl_(Fn f, Z z, const FA& xs) {
    lazy_value_t<Z> acc(demand(z));
    if (const auto* x = Foldable<F>::one(xs)) return f(std::move(acc), *x);
    return acc;
  }
  template <class Fn, class Z, class FA>
  static lazy_value_t<Z> foldr_(Fn f, Z z, const FA& xs) {
    lazy_value_t<Z> acc(demand(z));
    if (const auto* x = Foldable<F>::one(xs)) return f(*x, std::move(acc));
    return acc;
  }
};
}  // namespace detail

template <>
struct Foldable<OptionalTag> : detail::FoldableAtMostOne<OptionalTag> {
  template <class A>
  static const A* one(const std::optional<A>& x) {
    return x ? &*x : nullptr;
  }
};

template <>
struct Foldable<IdentityTag> : detail::FoldableAtMostOne<IdentityTag> {
  template <class A>
  static const A* one(const Identity<A>& x) {
    return &x.value;
  }
};

// The Right value, if any.
template <class E>
struct Foldable<EitherOf<E>> : detail::FoldableAtMostOne<EitherOf<E>> {
  template <class A>
  static const A* one(const Either<E, A>& x) {
    return x.rightPtr();
  }
};

// The That / These value, if any.
template <class L>
struct Foldable<TheseOf<L>> : detail::FoldableAtMostOne<TheseOf<L>> {
  template <class A>
  static const A* one(const These<L, A>& x) {
    return x.therePtr();
  }
};

// The second component.
template <class L>
struct Foldable<PairOf<L>> : detail::FoldableAtMostOne<PairOf<L>> {
  template <class A>
  static const A* one(const std::pair<L, A>& x) {
    return &x.second;
  }
};

}  // namespace basis
