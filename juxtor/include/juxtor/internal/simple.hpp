#pragma once
// Aligning the small shapes: optional values, Identity, Tagged, Proxy and
// functions from a fixed argument type.
//
// optional values align and zip by presence, the left argument examined
// first; Identity and Tagged hold one element, index the unit value; Proxy
// holds none, so every operation returns Proxy without looking at its
// arguments and the index type is Void; functions align and zip pointwise, the
// argument being the index, and their results apply the caller's function
// each time they are called.

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include <basis/functor_with_index.hpp>
#include <basis/tagged.hpp>
#include <basis/types.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

// ---------------------------------------------------------------------------
// optional values.

template <>
struct Juxtor<basis::OptionalTag> : JuxtorDefaults<basis::OptionalTag> {
  // f of This, That or These by which sides are present; nothing for none.
  template <class Fn, class A, class B>
  static std::optional<basis::Mapped<Fn, These<A, B>>> alignWith(Fn f, const std::optional<A>& a,
                                                                 const std::optional<B>& b) {
    using T = These<A, B>;
    if (!a) {
      if (!b) return std::nullopt;
      return f(T::that(*b));
    }
    if (!b) return f(T::this_(*a));
    return f(T::these(*a, *b));
  }
};

template <>
struct Align<basis::OptionalTag> {
  template <class A>
  static std::optional<A> nil() {
    return std::nullopt;
  }
};

template <>
struct Unalign<basis::OptionalTag> : UnalignDefaults<basis::OptionalTag> {
  // The sides of the These; nothing on both sides for nothing, without calling f.
  template <class Fn, class C>
  static auto unalignWith(Fn f, const std::optional<C>& m) {
    using T = basis::Mapped<Fn, C>;
    using A = std::remove_cvref_t<decltype(*std::declval<const T&>().herePtr())>;
    using B = std::remove_cvref_t<decltype(*std::declval<const T&>().therePtr())>;
    using R = std::pair<std::optional<A>, std::optional<B>>;
    if (!m) return R();
    const T t = f(*m);
    return R(basis::justHere(t), basis::justThere(t));
  }
};

template <>
struct Zip<basis::OptionalTag> : ZipDefaults<basis::OptionalTag> {
  // f of both values when both are present, else nothing.
  template <class Fn, class A, class B>
  static std::optional<basis::Mapped<Fn, A, B>> zipWith(Fn f, const std::optional<A>& a, const std::optional<B>& b) {
    if (!a || !b) return std::nullopt;
    return f(*a, *b);
  }
};

template <>
struct Repeat<basis::OptionalTag> {
  template <class X>
  static std::optional<std::remove_cvref_t<X>> repeat(X&& x) {
    return std::optional<std::remove_cvref_t<X>>(std::forward<X>(x));
  }
};

template <>
struct Unzip<basis::OptionalTag> : UnzipDefaults<basis::OptionalTag> {
  // The components of f's pair, f called at most once; nothing for nothing.
  template <class Fn, class C>
  static auto unzipWith(Fn f, const std::optional<C>& m) {
    using P = basis::Mapped<Fn, C>;
    using R = std::pair<std::optional<typename P::first_type>, std::optional<typename P::second_type>>;
    if (!m) return R();
    P p = f(*m);
    return R(std::move(p.first), std::move(p.second));
  }
};

template <>
struct JuxtorWithIndex<basis::OptionalTag> {
  template <class Fn, class A, class B>
  static auto ialignWith(Fn f, const std::optional<A>& a, const std::optional<B>& b) {
    return Juxtor<basis::OptionalTag>::alignWith([&f](const These<A, B>& t) { return f(basis::unit, t); }, a, b);
  }
};
template <>
struct ZipWithIndex<basis::OptionalTag> {
  template <class Fn, class A, class B>
  static auto izipWith(Fn f, const std::optional<A>& a, const std::optional<B>& b) {
    return Zip<basis::OptionalTag>::zipWith([&f](const A& x, const B& y) { return f(basis::unit, x, y); }, a, b);
  }
};
template <>
struct RepeatWithIndex<basis::OptionalTag> {
  template <class Fn>
  static auto irepeat(Fn f) {
    return std::optional<std::remove_cvref_t<std::invoke_result_t<Fn&, const basis::Unit&>>>(f(basis::unit));
  }
};

// ---------------------------------------------------------------------------
// Identity and Tagged: one element each, wrapped and unwrapped at no cost.

namespace detail {

// The single-element shape W<A> (Identity or Tagged<S, _>): how to reach the
// element and how to wrap one.
template <class F>
struct Single;
template <>
struct Single<basis::IdentityTag> {
  template <class A>
  static const A& get(const basis::Identity<A>& w) {
    return w.value;
  }
  template <class A>
  static basis::Identity<std::remove_cvref_t<A>> wrap(A&& a) {
    return {std::forward<A>(a)};
  }
};
template <class S>
struct Single<basis::TaggedOf<S>> {
  template <class A>
  static const A& get(const basis::Tagged<S, A>& w) {
    return w.unTagged;
  }
  template <class A>
  static basis::Tagged<S, std::remove_cvref_t<A>> wrap(A&& a) {
    return {std::forward<A>(a)};
  }
};

template <class F>
struct SingleJuxtor : JuxtorDefaults<F> {
  // f of These of the two elements, wrapped.
  template <class Fn, class FA, class FB>
  static auto alignWith(Fn f, const FA& a, const FB& b) {
    using T = These<basis::element_of<FA>, basis::element_of<FB>>;
    return Single<F>::wrap(basis::Mapped<Fn, T>(f(T::these(Single<F>::get(a), Single<F>::get(b)))));
  }
};
template <class F>
struct SingleZip : ZipDefaults<F> {
  template <class Fn, class FA, class FB>
  static auto zipWith(Fn f, const FA& a, const FB& b) {
    using R = basis::Mapped<Fn, basis::element_of<FA>, basis::element_of<FB>>;
    return Single<F>::wrap(R(f(Single<F>::get(a), Single<F>::get(b))));
  }
};
template <class F>
struct SingleRepeat {
  template <class X>
  static auto repeat(X&& x) {
    return Single<F>::wrap(std::forward<X>(x));
  }
};
template <class F>
struct SingleUnzip : UnzipDefaults<F> {
  // f applied once; each side wraps one component.
  template <class Fn, class FC>
  static auto unzipWith(Fn f, const FC& w) {
    auto p = f(Single<F>::get(w));
    return std::pair(Single<F>::wrap(std::move(p.first)), Single<F>::wrap(std::move(p.second)));
  }
};
template <class F>
struct SingleIndexed {
  template <class Fn, class FA, class FB>
  static auto ialignWith(Fn f, const FA& a, const FB& b) {
    using T = These<basis::element_of<FA>, basis::element_of<FB>>;
    return SingleJuxtor<F>::alignWith([&f](const T& t) { return f(basis::unit, t); }, a, b);
  }
  template <class Fn, class FA, class FB>
  static auto izipWith(Fn f, const FA& a, const FB& b) {
    return SingleZip<F>::zipWith([&f](const auto& x, const auto& y) { return f(basis::unit, x, y); }, a, b);
  }
  template <class Fn>
  static auto irepeat(Fn f) {
    return Single<F>::wrap(f(basis::unit));
  }
};

}  // namespace detail

template <>
struct Juxtor<basis::IdentityTag> : detail::SingleJuxtor<basis::IdentityTag> {};
template <>
struct Zip<basis::IdentityTag> : detail::SingleZip<basis::IdentityTag> {};
template <>
struct Repeat<basis::IdentityTag> : detail::SingleRepeat<basis::IdentityTag> {};
template <>
struct Unzip<basis::IdentityTag> : detail::SingleUnzip<basis::IdentityTag> {};
template <>
struct JuxtorWithIndex<basis::IdentityTag> : detail::SingleIndexed<basis::IdentityTag> {};
template <>
struct ZipWithIndex<basis::IdentityTag> : detail::SingleIndexed<basis::IdentityTag> {};
template <>
struct RepeatWithIndex<basis::IdentityTag> : detail::SingleIndexed<basis::IdentityTag> {};

template <class S>
struct Juxtor<basis::TaggedOf<S>> : detail::SingleJuxtor<basis::TaggedOf<S>> {};
template <class S>
struct Zip<basis::TaggedOf<S>> : detail::SingleZip<basis::TaggedOf<S>> {};
template <class S>
struct Repeat<basis::TaggedOf<S>> : detail::SingleRepeat<basis::TaggedOf<S>> {};
template <class S>
struct Unzip<basis::TaggedOf<S>> : detail::SingleUnzip<basis::TaggedOf<S>> {};
template <class S>
struct JuxtorWithIndex<basis::TaggedOf<S>> : detail::SingleIndexed<basis::TaggedOf<S>> {};
template <class S>
struct ZipWithIndex<basis::TaggedOf<S>> : detail::SingleIndexed<basis::TaggedOf<S>> {};
template <class S>
struct RepeatWithIndex<basis::TaggedOf<S>> : detail::SingleIndexed<basis::TaggedOf<S>> {};

// ---------------------------------------------------------------------------
// Proxy: no element; nothing is examined and no function is called.

template <>
struct Juxtor<basis::ProxyTag> {
  template <class A, class B>
  static basis::Proxy<These<A, B>> align(const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return {};
  }
  template <class Fn, class A, class B>
  static basis::Proxy<basis::Mapped<Fn, These<A, B>>> alignWith(Fn, const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return {};
  }
};
template <>
struct Align<basis::ProxyTag> {
  template <class A>
  static basis::Proxy<A> nil() {
    return {};
  }
};
template <>
struct Unalign<basis::ProxyTag> {
  template <class A, class B>
  static std::pair<basis::Proxy<A>, basis::Proxy<B>> unalign(const basis::Proxy<These<A, B>>&) {
    return {};
  }
  template <class Fn, class C>
  static auto unalignWith(Fn, const basis::Proxy<C>&) {
    using T = basis::Mapped<Fn, C>;
    using A = std::remove_cvref_t<decltype(*std::declval<const T&>().herePtr())>;
    using B = std::remove_cvref_t<decltype(*std::declval<const T&>().therePtr())>;
    return std::pair<basis::Proxy<A>, basis::Proxy<B>>();
  }
};
template <>
struct Zip<basis::ProxyTag> {
  template <class A, class B>
  static basis::Proxy<std::pair<A, B>> zip(const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return {};
  }
  template <class Fn, class A, class B>
  static basis::Proxy<basis::Mapped<Fn, A, B>> zipWith(Fn, const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return {};
  }
};
template <>
struct Repeat<basis::ProxyTag> {
  template <class X>
  static basis::Proxy<std::remove_cvref_t<X>> repeat(X&&) {
    return {};
  }
};
template <>
struct Unzip<basis::ProxyTag> {
  template <class A, class B>
  static std::pair<basis::Proxy<A>, basis::Proxy<B>> unzip(const basis::Proxy<std::pair<A, B>>&) {
    return {};
  }
  template <class Fn, class C>
  static auto unzipWith(Fn, const basis::Proxy<C>&) {
    using P = basis::Mapped<Fn, C>;
    return std::pair<basis::Proxy<typename P::first_type>, basis::Proxy<typename P::second_type>>();
  }
};
template <>
struct JuxtorWithIndex<basis::ProxyTag> {
  template <class Fn, class A, class B>
  static auto ialignWith(Fn, const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return basis::Proxy<std::remove_cvref_t<std::invoke_result_t<Fn&, const basis::Void&, const These<A, B>&>>>{};
  }
};
template <>
struct ZipWithIndex<basis::ProxyTag> {
  template <class Fn, class A, class B>
  static auto izipWith(Fn, const basis::Proxy<A>&, const basis::Proxy<B>&) {
    return basis::Proxy<std::remove_cvref_t<std::invoke_result_t<Fn&, const basis::Void&, const A&, const B&>>>{};
  }
};
template <>
struct RepeatWithIndex<basis::ProxyTag> {
  template <class Fn>
  static auto irepeat(Fn) {
    return basis::Proxy<std::remove_cvref_t<std::invoke_result_t<Fn&, const basis::Void&>>>{};
  }
};

// ---------------------------------------------------------------------------
// Functions from E: pointwise. Each result calls the given functions every
// time it is applied, the first one first. The given functions may be any
// callables on E (a std::function of any signature taking E, a lambda); the
// results are std::function<R(const E&)>.

namespace detail {
// The plain result of a function-shaped container at an argument of type E.
template <class Fn, class E>
using ResultAt = std::remove_cvref_t<std::invoke_result_t<const Fn&, const E&>>;
// These(f(x), g(x)), f applied first.
template <class Fa, class Gb, class E>
These<ResultAt<Fa, E>, ResultAt<Gb, E>> bothAt(const Fa& f, const Gb& g, const E& x) {
  ResultAt<Fa, E> a = f(x);
  return These<ResultAt<Fa, E>, ResultAt<Gb, E>>::these(std::move(a), g(x));
}
}  // namespace detail

template <class E>
struct Juxtor<basis::FunctionFrom<E>> : JuxtorDefaults<basis::FunctionFrom<E>> {
  // x -> h(These(f(x), g(x))).
  template <class Fn, class Fa, class Gb>
  static auto alignWith(Fn h, const Fa& f, const Gb& g) {
    using T = These<detail::ResultAt<Fa, E>, detail::ResultAt<Gb, E>>;
    return std::function<basis::Mapped<Fn, T>(const E&)>(
        [h = std::move(h), f, g](const E& x) { return h(detail::bothAt(f, g, x)); });
  }
};
template <class E>
struct Zip<basis::FunctionFrom<E>> : ZipDefaults<basis::FunctionFrom<E>> {
  // x -> h(f(x), g(x)).
  template <class Fn, class Fa, class Gb>
  static auto zipWith(Fn h, const Fa& f, const Gb& g) {
    using A = detail::ResultAt<Fa, E>;
    using B = detail::ResultAt<Gb, E>;
    return std::function<basis::Mapped<Fn, A, B>(const E&)>([h = std::move(h), f, g](const E& x) {
      A a = f(x);
      return h(a, g(x));
    });
  }
};
template <class E>
struct Repeat<basis::FunctionFrom<E>> {
  // The constant function.
  template <class X>
  static std::function<std::remove_cvref_t<X>(const E&)> repeat(X&& v) {
    return [v = std::remove_cvref_t<X>(std::forward<X>(v))](const E&) { return v; };
  }
};
template <class E>
struct JuxtorWithIndex<basis::FunctionFrom<E>> {
  // x -> h(x, These(f(x), g(x))).
  template <class Fn, class Fa, class Gb>
  static auto ialignWith(Fn h, const Fa& f, const Gb& g) {
    using T = These<detail::ResultAt<Fa, E>, detail::ResultAt<Gb, E>>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const E&, const T&>>;
    return std::function<R(const E&)>([h = std::move(h), f, g](const E& x) { return h(x, detail::bothAt(f, g, x)); });
  }
};
template <class E>
struct ZipWithIndex<basis::FunctionFrom<E>> {
  // x -> h(x, f(x), g(x)).
  template <class Fn, class Fa, class Gb>
  static auto izipWith(Fn h, const Fa& f, const Gb& g) {
    using A = detail::ResultAt<Fa, E>;
    using B = detail::ResultAt<Gb, E>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const E&, const A&, const B&>>;
    return std::function<R(const E&)>([h = std::move(h), f, g](const E& x) {
      A a = f(x);
      return h(x, a, g(x));
    });
  }
};
template <class E>
struct RepeatWithIndex<basis::FunctionFrom<E>> {
  // f itself.
  template <class Fn>
  static auto irepeat(Fn f) {
    return std::function<std::remove_cvref_t<std::invoke_result_t<Fn&, const E&>>(const E&)>(std::move(f));
  }
};

}  // namespace juxtor
