#pragma once
// Extend<W> (duplicated, extended): a comonad without `extract`.
// ComonadApply<W> (apW `<@>`, seqRightW `@>`, seqLeftW `<@`): zipping two
// comonadic structures position by position.
//
// A specialisation of Extend defines one of duplicated / extended and inherits
// ExtendDefaults<W>, or inherits ExtendFromComonad<W>. A ComonadApply
// specialisation defines apW and inherits ComonadApplyDefaults<W>.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/comonad.hpp"
#include "basis/functor.hpp"
#include "basis/semigroup.hpp"
#include "basis/types.hpp"

namespace basis {

template <class W>
struct Extend;
template <class W>
struct ComonadApply;

// The defaults of Extend.
template <class W>
struct ExtendDefaults {
  // Every position holding the whole structure seen from there.
  template <class WA>
  static auto duplicated(const WA& w) {
    return Extend<W>::extended([](const WA& x) { return x; }, w);
  }
  // f applied to the structure seen from every position.
  template <class Fn, class WA>
  static auto extended(Fn f, const WA& w) {
    return Functor<W>::fmap(std::move(f), Extend<W>::duplicated(w));
  }
};

// Both slots taken from W's Comonad.
template <class W>
struct ExtendFromComonad {
  template <class WA>
  static auto duplicated(const WA& w) {
    return Comonad<W>::duplicate(w);
  }
  template <class Fn, class WA>
  static auto extended(Fn f, const WA& w) {
    return Comonad<W>::extend(std::move(f), w);
  }
};

// The defaults of ComonadApply, from apW.
template <class W>
struct ComonadApplyDefaults {
  // a's structure, b's values (`@>`).
  template <class WA, class WB>
  static auto seqRightW(const WA& a, const WB& b) {
    using B = element_of<WB>;
    return ComonadApply<W>::apW(
        Functor<W>::fmap([](const auto&) { return std::function<B(const B&)>([](const B& y) { return y; }); }, a), b);
  }
  // a's values, kept beside b (`<@`).
  template <class WA, class WB>
  static auto seqLeftW(const WA& a, const WB& b) {
    using A = element_of<WA>;
    using B = element_of<WB>;
    return ComonadApply<W>::apW(
        Functor<W>::fmap([](const A& x) { return std::function<A(const B&)>([x](const B&) { return x; }); }, a), b);
  }
};

template <class W>
concept ExtendTag = FunctorTag<W> && requires(const Apply<W, detail::ProbeA>& w,
                                              detail::ProbeB (*f)(const Apply<W, detail::ProbeA>&)) {
  { Extend<W>::duplicated(w) } -> std::same_as<Apply<W, Apply<W, detail::ProbeA>>>;
  { Extend<W>::extended(f, w) } -> std::same_as<Apply<W, detail::ProbeB>>;
};

// Every position holding the structure seen from there.
template <HasTag WA>
auto duplicated(const WA& w) {
  return Extend<tag_of<WA>>::duplicated(w);
}
// f of the structure seen from every position.
template <class Fn, HasTag WA>
auto extended(Fn&& f, const WA& w) {
  return Extend<tag_of<WA>>::extended(std::forward<Fn>(f), w);
}
// Each function of wf applied to the value at the same position of wa (`<@>`).
template <HasTag WF, HasTag WA>
auto apW(const WF& wf, const WA& wa) {
  return ComonadApply<tag_of<WF>>::apW(wf, wa);
}
template <HasTag WA, HasTag WB>
auto seqRightW(const WA& a, const WB& b) {
  return ComonadApply<tag_of<WA>>::seqRightW(a, b);
}
template <HasTag WA, HasTag WB>
auto seqLeftW(const WA& a, const WB& b) {
  return ComonadApply<tag_of<WA>>::seqLeftW(a, b);
}

// ---------------------------------------------------------------------------
// Instances.

template <>
struct Extend<IdentityTag> : ExtendFromComonad<IdentityTag> {};
template <class L>
struct Extend<PairOf<L>> : ExtendFromComonad<PairOf<L>> {};
// Needs only E's Semigroup: the argument shifts by combining on the left.
template <class E>
  requires SemigroupType<E>
struct Extend<FunctionFrom<E>> : ExtendDefaults<FunctionFrom<E>> {
  template <class Fn, class A>
  static auto extended(Fn f, const std::function<A(const E&)>& w) {
    return detail::tracedExtend<E>(std::move(f), w);
  }
};

template <>
struct ComonadApply<IdentityTag> : ComonadApplyDefaults<IdentityTag> {
  template <class Fn, class A>
  static auto apW(const Identity<Fn>& f, const Identity<A>& a) {
    return Identity<Mapped<Fn, A>>{f.value(a.value)};
  }
};

// Both functions see the same argument.
template <class E>
struct ComonadApply<FunctionFrom<E>> : ComonadApplyDefaults<FunctionFrom<E>> {
  template <class Fn, class A>
  static auto apW(const std::function<Fn(const E&)>& f, const std::function<A(const E&)>& a) {
    return std::function<Mapped<Fn, A>(const E&)>([f, a](const E& e) { return f(e)(a(e)); });
  }
};

}  // namespace basis
