#pragma once
// The aligning interfaces over shapes, their defaults and their front ends.
//
// A shape is a type constructor named by a basis tag (basis::ListTag,
// basis::OptionalTag, basis::MapOf<K>, hashgrove::HashMapOf<K>, ...). Each
// interface is a class template over the tag, specialised per shape:
//
//   Juxtor<F>     align(a, b) -> F<These<A, B>>; alignWith(f, a, b) -> F<C>
//                 (prerequisite: basis::Functor<F>)
//   Align<F>      nil<A>() -> the empty F<A>                  (needs Juxtor)
//   Unalign<F>    unalign(x) -> pair<F<A>, F<B>>; unalignWith(f, x)
//   Zip<F>        zip(a, b) -> F<pair<A, B>>; zipWith(f, a, b)
//   Repeat<F>     repeat(x) -> F<A> holding x at every position (needs Zip)
//   Unzip<F>      unzipWith(f, x), unzip(x) -> pair<F<A>, F<B>> (needs Zip)
//   JuxtorWithIndex<F>  ialignWith(f, a, b), f(i, These)
//                 (prerequisites: basis::FunctorWithIndex<F>, Juxtor<F>)
//   ZipWithIndex<F>     izipWith(f, a, b), f(i, a, b)
//   RepeatWithIndex<F>  irepeat(f), f(i) at index i
//
// The index type is basis::index_of<F>. A specialisation inherits the
// interface's defaults mixin and gives at least one operation of each
// mutually defined pair (align/alignWith, unalign/unalignWith, zip/zipWith,
// unzip/unzipWith); the mixin defines the other. The indexed defaults use
// only imap and an operation of the other prerequisite.
//
// The caller's functions receive elements as plain values (`const A&`) or,
// from containers that keep their values deferred, as the stored
// basis::Lazy<A> (which converts to `const A&`). A These or a pair handed to
// or built by an operation holds plain values: building one evaluates the
// elements it holds, so a lazy container builds it only when its element is
// demanded.

#include <concepts>
#include <type_traits>
#include <utility>

#include <basis/contravariant.hpp>
#include <basis/functor.hpp>
#include <basis/functor_with_index.hpp>
#include <basis/lazy.hpp>
#include <basis/types.hpp>

namespace juxtor {

using basis::These;

template <class F>
struct Juxtor;
template <class F>
struct Align;
template <class F>
struct Unalign;
template <class F>
struct Zip;
template <class F>
struct Repeat;
template <class F>
struct Unzip;
template <class F>
struct JuxtorWithIndex;
template <class F>
struct ZipWithIndex;
template <class F>
struct RepeatWithIndex;

namespace detail {

// The plain value of an element handed over as stored.
template <class X>
using plain_t = basis::lazy_value_t<X>;

// The identity on elements: a stored basis::Lazy gives its value.
struct Id {
  template <class X>
  const plain_t<X>& operator()(const X& x) const {
    return basis::forced(x);
  }
};

// The pair constructor.
struct MakePair {
  template <class X, class Y>
  std::pair<plain_t<X>, plain_t<Y>> operator()(const X& x, const Y& y) const {
    return {basis::forced(x), basis::forced(y)};
  }
};

// The first and the second component of a pair.
struct First {
  template <class P>
  const auto& operator()(const P& p) const {
    return basis::forced(p).first;
  }
};
struct Second {
  template <class P>
  const auto& operator()(const P& p) const {
    return basis::forced(p).second;
  }
};

// The shape of a container argument and its element: the argument's tag, or,
// for a callable of one declared parameter type E that has no tag (a lambda,
// a std::function<A(E)>), the functions from E and their result type.
template <class T>
struct ShapeOf {};
template <basis::HasTag T>
struct ShapeOf<T> {
  using type = basis::tag_of<T>;
  using element = basis::element_of<T>;
};
template <class T>
  requires(!basis::HasTag<T> && requires { typename basis::callable_result_t<T>; })
struct ShapeOf<T> {
  using type = basis::FunctionFrom<basis::callable_arg_t<T>>;
  using element = basis::callable_result_t<T>;
};

}  // namespace detail

// The shape (tag) of a container argument, and its element type.
template <class T>
using shape_of = typename detail::ShapeOf<std::remove_cvref_t<T>>::type;
template <class T>
using shape_element_of = typename detail::ShapeOf<std::remove_cvref_t<T>>::element;

// ---------------------------------------------------------------------------
// Defaults.

template <class F>
struct JuxtorDefaults {
  // alignWith with the identity.
  template <class FA, class FB>
  static auto align(const FA& a, const FB& b) {
    return Juxtor<F>::alignWith(detail::Id{}, a, b);
  }
  // fmap f over align(a, b); f runs as the shape's fmap runs it.
  template <class Fn, class FA, class FB>
  static auto alignWith(Fn f, const FA& a, const FB& b) {
    return basis::Functor<F>::fmap(std::move(f), Juxtor<F>::align(a, b));
  }
};

template <class F>
struct UnalignDefaults {
  // unalignWith with the identity.
  template <class FT>
  static auto unalign(const FT& x) {
    return Unalign<F>::unalignWith(detail::Id{}, x);
  }
  // unalign of fmap f over x.
  template <class Fn, class FC>
  static auto unalignWith(Fn f, const FC& x) {
    return Unalign<F>::unalign(basis::Functor<F>::fmap(std::move(f), x));
  }
};

template <class F>
struct ZipDefaults {
  // zipWith with the pair constructor.
  template <class FA, class FB>
  static auto zip(const FA& a, const FB& b) {
    return Zip<F>::zipWith(detail::MakePair{}, a, b);
  }
  // fmap of f uncurried over zip(a, b).
  template <class Fn, class FA, class FB>
  static auto zipWith(Fn f, const FA& a, const FB& b) {
    return basis::Functor<F>::fmap(
        [f = std::move(f)](const auto& p) {
          const auto& q = basis::forced(p);
          return f(q.first, q.second);
        },
        Zip<F>::zip(a, b));
  }
};

template <class F>
struct UnzipDefaults {
  // unzip of fmap f over x.
  template <class Fn, class FC>
  static auto unzipWith(Fn f, const FC& x) {
    return Unzip<F>::unzip(basis::Functor<F>::fmap(std::move(f), x));
  }
  // unzipWith with the identity.
  template <class FP>
  static auto unzip(const FP& x) {
    return Unzip<F>::unzipWith(detail::Id{}, x);
  }
};

template <class F>
struct JuxtorWithIndexDefaults {
  // imap f over align(a, b).
  template <class Fn, class FA, class FB>
  static auto ialignWith(Fn f, const FA& a, const FB& b) {
    return basis::FunctorWithIndex<F>::imap(std::move(f), Juxtor<F>::align(a, b));
  }
};

template <class F>
struct ZipWithIndexDefaults {
  // imap over zip(a, b) of f(i, first, second).
  template <class Fn, class FA, class FB>
  static auto izipWith(Fn f, const FA& a, const FB& b) {
    using I = basis::index_of<F>;
    return basis::FunctorWithIndex<F>::imap(
        [f = std::move(f)](const I& i, const auto& p) {
          const auto& q = basis::forced(p);
          return f(i, q.first, q.second);
        },
        Zip<F>::zip(a, b));
  }
};

template <class F>
struct RepeatWithIndexDefaults {
  // imap over repeat(f) applying the stored function to its index.
  template <class Fn>
  static auto irepeat(Fn f) {
    using I = basis::index_of<F>;
    return basis::FunctorWithIndex<F>::imap([](const I& i, const auto& h) { return basis::forced(h)(i); },
                                            Repeat<F>::repeat(std::move(f)));
  }
};

// ---------------------------------------------------------------------------
// Front ends: dispatch on the argument's tag; `nil`, `repeat` and `irepeat`
// take the tag explicitly.

template <class FA, class FB>
auto align(const FA& a, const FB& b) {
  return Juxtor<shape_of<FA>>::align(a, b);
}
template <class Fn, class FA, class FB>
auto alignWith(Fn&& f, const FA& a, const FB& b) {
  return Juxtor<shape_of<FA>>::alignWith(std::forward<Fn>(f), a, b);
}
template <class F, class A>
auto nil() {
  return Align<F>::template nil<A>();
}
template <class FT>
auto unalign(const FT& x) {
  return Unalign<shape_of<FT>>::unalign(x);
}
template <class Fn, class FC>
auto unalignWith(Fn&& f, const FC& x) {
  return Unalign<shape_of<FC>>::unalignWith(std::forward<Fn>(f), x);
}
template <class FA, class FB>
auto zip(const FA& a, const FB& b) {
  return Zip<shape_of<FA>>::zip(a, b);
}
template <class Fn, class FA, class FB>
auto zipWith(Fn&& f, const FA& a, const FB& b) {
  return Zip<shape_of<FA>>::zipWith(std::forward<Fn>(f), a, b);
}
template <class F, class A>
auto repeat(A&& x) {
  return Repeat<F>::repeat(std::forward<A>(x));
}
template <class FP>
auto unzip(const FP& x) {
  return Unzip<shape_of<FP>>::unzip(x);
}
template <class Fn, class FC>
auto unzipWith(Fn&& f, const FC& x) {
  return Unzip<shape_of<FC>>::unzipWith(std::forward<Fn>(f), x);
}
template <class Fn, class FA, class FB>
auto ialignWith(Fn&& f, const FA& a, const FB& b) {
  return JuxtorWithIndex<shape_of<FA>>::ialignWith(std::forward<Fn>(f), a, b);
}
template <class Fn, class FA, class FB>
auto izipWith(Fn&& f, const FA& a, const FB& b) {
  return ZipWithIndex<shape_of<FA>>::izipWith(std::forward<Fn>(f), a, b);
}
template <class F, class Fn>
auto irepeat(Fn&& f) {
  return RepeatWithIndex<F>::irepeat(std::forward<Fn>(f));
}

// The pair (fmap first over x, fmap second over x), through the shape's
// Functor alone. Maps over x once per side, as the shape's fmap does; x itself
// is shared.
template <class FP>
auto unzipDefault(const FP& x) {
  using F = shape_of<FP>;
  return std::pair(basis::Functor<F>::fmap(detail::First{}, x), basis::Functor<F>::fmap(detail::Second{}, x));
}

// ---------------------------------------------------------------------------
// Completeness of a specialisation, checked with stand-in element types.

namespace detail {
using PA = basis::detail::ProbeA;
using PB = basis::detail::ProbeB;
struct ProbeThese {
  PA operator()(const These<PA, PB>&) const { return {}; }
};
struct ProbeSplit {
  These<PA, PB> operator()(const PA&) const { return These<PA, PB>::this_({}); }
};
struct ProbeZip {
  PA operator()(const PA&, const PB&) const { return {}; }
};
struct ProbeUnzip {
  std::pair<PA, PB> operator()(const PA&) const { return {}; }
};
}  // namespace detail

template <class F>
concept JuxtorTag = basis::FunctorTag<F> && requires(const basis::Apply<F, detail::PA>& a,
                                                     const basis::Apply<F, detail::PB>& b) {
  { Juxtor<F>::align(a, b) } -> std::same_as<basis::Apply<F, These<detail::PA, detail::PB>>>;
  { Juxtor<F>::alignWith(detail::ProbeThese{}, a, b) } -> std::same_as<basis::Apply<F, detail::PA>>;
};
template <class F>
concept AlignTag = JuxtorTag<F> && requires {
  { Align<F>::template nil<detail::PA>() } -> std::same_as<basis::Apply<F, detail::PA>>;
};
template <class F>
concept UnalignTag = JuxtorTag<F> && requires(const basis::Apply<F, These<detail::PA, detail::PB>>& t,
                                              const basis::Apply<F, detail::PA>& c) {
  {
    Unalign<F>::unalign(t)
  } -> std::same_as<std::pair<basis::Apply<F, detail::PA>, basis::Apply<F, detail::PB>>>;
  {
    Unalign<F>::unalignWith(detail::ProbeSplit{}, c)
  } -> std::same_as<std::pair<basis::Apply<F, detail::PA>, basis::Apply<F, detail::PB>>>;
};
template <class F>
concept ZipTag = JuxtorTag<F> && requires(const basis::Apply<F, detail::PA>& a,
                                          const basis::Apply<F, detail::PB>& b) {
  { Zip<F>::zip(a, b) } -> std::same_as<basis::Apply<F, std::pair<detail::PA, detail::PB>>>;
  { Zip<F>::zipWith(detail::ProbeZip{}, a, b) } -> std::same_as<basis::Apply<F, detail::PA>>;
};
template <class F>
concept RepeatTag = ZipTag<F> && requires(const detail::PA& x) {
  { Repeat<F>::repeat(x) } -> std::same_as<basis::Apply<F, detail::PA>>;
};
template <class F>
concept UnzipTag = ZipTag<F> && requires(const basis::Apply<F, std::pair<detail::PA, detail::PB>>& p,
                                         const basis::Apply<F, detail::PA>& c) {
  {
    Unzip<F>::unzip(p)
  } -> std::same_as<std::pair<basis::Apply<F, detail::PA>, basis::Apply<F, detail::PB>>>;
  {
    Unzip<F>::unzipWith(detail::ProbeUnzip{}, c)
  } -> std::same_as<std::pair<basis::Apply<F, detail::PA>, basis::Apply<F, detail::PB>>>;
};

}  // namespace juxtor
