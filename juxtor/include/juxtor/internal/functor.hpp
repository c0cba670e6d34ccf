#pragma once
// Aligning the shape combinators: the product `functor::Product<F, G, _>`
// (an F-part and a G-part side by side) works part by part and indexes by
// Either (Left for the F-part, Right for the G-part); the composition
// `Compose<F, G, _>` works on the outer container and, where both sides hold
// an inner container, on the inner ones, indexing by (outer, inner).
//
// Each implementation is built from the components' implementations. A
// product result is a new Pair of deferred parts: a part's operation runs when
// that part is read, at most once (unalign and unzip run each component's
// operation once, shared by both resulting products). A composition makes one
// outer call and nothing else during the call.

#include <memory>
#include <utility>

#include <basis/compose.hpp>
#include <basis/functor_with_index.hpp>
#include <basis/lazy.hpp>
#include <basis/product.hpp>

#include "juxtor/internal/classes.hpp"

namespace juxtor {

namespace detail {

template <class F, class G, class A>
using Prod = basis::functor::Product<F, G, A>;

// A product of two deferred parts.
template <class F, class G, class A, class MakeF, class MakeG>
Prod<F, G, A> deferredPair(MakeF mf, MakeG mg) {
  // Copied from named handles: moving a fresh handle into the aggregate trips
  // a false maybe-uninitialized warning of GCC 12.
  const auto first = basis::Lazy<basis::Apply<F, A>>::defer(std::move(mf));
  const auto second = basis::Lazy<basis::Apply<G, A>>::defer(std::move(mg));
  return Prod<F, G, A>{first, second};
}

// The product of opF over the two F-parts and opG over the two G-parts, each
// deferred; each forces its left part before its right one.
template <class F, class G, class R, class OpF, class OpG, class A, class B>
Prod<F, G, R> partwise(OpF opF, OpG opG, const Prod<F, G, A>& p, const Prod<F, G, B>& q) {
  return deferredPair<F, G, R>([opF, x = p.first, y = q.first] { return basis::applyForced(opF, x, y); },
                               [opG, x = p.second, y = q.second] { return basis::applyForced(opG, x, y); });
}

// The two products made of the sides of a deferred F-pair and a deferred
// G-pair; each part is a deferred selection.
template <class F, class G, class PF, class PG>
auto splitProducts(const basis::Lazy<PF>& uf, const basis::Lazy<PG>& ug) {
  using A = basis::element_of<typename PF::first_type>;
  using B = basis::element_of<typename PF::second_type>;
  return std::pair(deferredPair<F, G, A>([uf] { return uf.force().first; }, [ug] { return ug.force().first; }),
                   deferredPair<F, G, B>([uf] { return uf.force().second; }, [ug] { return ug.force().second; }));
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Product.

template <class F, class G>
struct Juxtor<basis::ProductOf<F, G>> {
  template <class A, class B>
  static detail::Prod<F, G, These<A, B>> align(const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    return detail::partwise<F, G, These<A, B>>([](const auto& x, const auto& y) { return Juxtor<F>::align(x, y); },
                                               [](const auto& x, const auto& y) { return Juxtor<G>::align(x, y); }, p, q);
  }
  template <class Fn, class A, class B>
  static auto alignWith(Fn h, const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::partwise<F, G, basis::Mapped<Fn, These<A, B>>>(
        [hp](const auto& x, const auto& y) { return Juxtor<F>::alignWith(*hp, x, y); },
        [hp](const auto& x, const auto& y) { return Juxtor<G>::alignWith(*hp, x, y); }, p, q);
  }
};

template <class F, class G>
struct Align<basis::ProductOf<F, G>> {
  template <class A>
  static detail::Prod<F, G, A> nil() {
    return detail::deferredPair<F, G, A>([] { return Align<F>::template nil<A>(); },
                                         [] { return Align<G>::template nil<A>(); });
  }
};

template <class F, class G>
struct Unalign<basis::ProductOf<F, G>> {
  template <class A, class B>
  static auto unalign(const detail::Prod<F, G, These<A, B>>& p) {
    auto uf = basis::defer([x = p.first] { return Unalign<F>::unalign(x.force()); });
    auto ug = basis::defer([y = p.second] { return Unalign<G>::unalign(y.force()); });
    return detail::splitProducts<F, G>(uf, ug);
  }
  // unalign of each part mapped with h (the parts' own unalignWith unused).
  template <class Fn, class C>
  static auto unalignWith(Fn h, const detail::Prod<F, G, C>& p) {
    return unalign(basis::Functor<basis::ProductOf<F, G>>::fmap(std::move(h), p));
  }
};

template <class F, class G>
struct Zip<basis::ProductOf<F, G>> {
  template <class A, class B>
  static detail::Prod<F, G, std::pair<A, B>> zip(const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    return detail::partwise<F, G, std::pair<A, B>>([](const auto& x, const auto& y) { return Zip<F>::zip(x, y); },
                                                   [](const auto& x, const auto& y) { return Zip<G>::zip(x, y); }, p, q);
  }
  template <class Fn, class A, class B>
  static auto zipWith(Fn h, const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::partwise<F, G, basis::Mapped<Fn, A, B>>(
        [hp](const auto& x, const auto& y) { return Zip<F>::zipWith(*hp, x, y); },
        [hp](const auto& x, const auto& y) { return Zip<G>::zipWith(*hp, x, y); }, p, q);
  }
};

template <class F, class G>
struct Repeat<basis::ProductOf<F, G>> {
  template <class X>
  static auto repeat(X&& x) {
    using A = std::remove_cvref_t<X>;
    basis::Lazy<A> v(std::forward<X>(x));
    return detail::deferredPair<F, G, A>([v] { return Repeat<F>::repeat(v.force()); },
                                         [v] { return Repeat<G>::repeat(v.force()); });
  }
};

template <class F, class G>
struct Unzip<basis::ProductOf<F, G>> {
  template <class A, class B>
  static auto unzip(const detail::Prod<F, G, std::pair<A, B>>& p) {
    auto uf = basis::defer([x = p.first] { return Unzip<F>::unzip(x.force()); });
    auto ug = basis::defer([y = p.second] { return Unzip<G>::unzip(y.force()); });
    return detail::splitProducts<F, G>(uf, ug);
  }
  // unzip of each part mapped with h (the parts' own unzipWith unused).
  template <class Fn, class C>
  static auto unzipWith(Fn h, const detail::Prod<F, G, C>& p) {
    return unzip(basis::Functor<basis::ProductOf<F, G>>::fmap(std::move(h), p));
  }
};

template <class F, class G>
struct JuxtorWithIndex<basis::ProductOf<F, G>> {
  // h(Left i, t) in the F-part, h(Right j, t) in the G-part.
  template <class Fn, class A, class B>
  static auto ialignWith(Fn h, const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = basis::Either<I, J>;
    using T = These<A, B>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&, const T&>>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::partwise<F, G, R>(
        [hp](const auto& x, const auto& y) {
          return JuxtorWithIndex<F>::ialignWith([hp](const I& i, const T& t) { return R((*hp)(K(basis::Left<I>{i}), t)); },
                                                x, y);
        },
        [hp](const auto& x, const auto& y) {
          return JuxtorWithIndex<G>::ialignWith(
              [hp](const J& j, const T& t) { return R((*hp)(K(basis::Right<J>{j}), t)); }, x, y);
        },
        p, q);
  }
};

template <class F, class G>
struct ZipWithIndex<basis::ProductOf<F, G>> {
  template <class Fn, class A, class B>
  static auto izipWith(Fn h, const detail::Prod<F, G, A>& p, const detail::Prod<F, G, B>& q) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = basis::Either<I, J>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&, const A&, const B&>>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::partwise<F, G, R>(
        [hp](const auto& x, const auto& y) {
          return ZipWithIndex<F>::izipWith(
              [hp](const I& i, const A& a, const B& b) { return R((*hp)(K(basis::Left<I>{i}), a, b)); }, x, y);
        },
        [hp](const auto& x, const auto& y) {
          return ZipWithIndex<G>::izipWith(
              [hp](const J& j, const A& a, const B& b) { return R((*hp)(K(basis::Right<J>{j}), a, b)); }, x, y);
        },
        p, q);
  }
};

template <class F, class G>
struct RepeatWithIndex<basis::ProductOf<F, G>> {
  template <class Fn>
  static auto irepeat(Fn h) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = basis::Either<I, J>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&>>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::deferredPair<F, G, R>(
        [hp] { return RepeatWithIndex<F>::irepeat([hp](const I& i) { return R((*hp)(K(basis::Left<I>{i}))); }); },
        [hp] { return RepeatWithIndex<G>::irepeat([hp](const J& j) { return R((*hp)(K(basis::Right<J>{j}))); }); });
  }
};

// ---------------------------------------------------------------------------
// Compose: F outer, G inner.

namespace detail {
template <class F, class G, class A>
using Comp = basis::Compose<F, G, A>;
}  // namespace detail

template <class F, class G>
struct Juxtor<basis::ComposeOf<F, G>> : JuxtorDefaults<basis::ComposeOf<F, G>> {
  // The outer alignment; where both sides hold an inner container the inner
  // ones are aligned, where one does its inner container is mapped with This
  // or That.
  template <class Fn, class A, class B>
  static auto alignWith(Fn h, const detail::Comp<F, G, A>& x, const detail::Comp<F, G, B>& y) {
    using T = These<A, B>;
    using R = basis::Mapped<Fn, T>;
    using GA = basis::Apply<G, A>;
    using GB = basis::Apply<G, B>;
    auto hp = std::make_shared<Fn>(std::move(h));
    auto left = [hp](const A& a) { return R((*hp)(T::this_(a))); };
    auto right = [hp](const B& b) { return R((*hp)(T::that(b))); };
    auto inner = [hp, left, right](const These<GA, GB>& t) -> basis::Apply<G, R> {
      return t.fold([&](const GA& ga) { return basis::Functor<G>::fmap(left, ga); },
                    [&](const GB& gb) { return basis::Functor<G>::fmap(right, gb); },
                    [&](const GA& ga, const GB& gb) { return Juxtor<G>::alignWith(*hp, ga, gb); });
    };
    return detail::Comp<F, G, R>{Juxtor<F>::alignWith(std::move(inner), x.value, y.value)};
  }
};

template <class F, class G>
struct Align<basis::ComposeOf<F, G>> {
  // The outer nil.
  template <class A>
  static detail::Comp<F, G, A> nil() {
    return {Align<F>::template nil<basis::Apply<G, A>>()};
  }
};

template <class F, class G>
struct Zip<basis::ComposeOf<F, G>> : ZipDefaults<basis::ComposeOf<F, G>> {
  // The outer zip of the inner zips.
  template <class Fn, class A, class B>
  static auto zipWith(Fn h, const detail::Comp<F, G, A>& x, const detail::Comp<F, G, B>& y) {
    using R = basis::Mapped<Fn, A, B>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::Comp<F, G, R>{Zip<F>::zipWith(
        [hp](const basis::Apply<G, A>& ga, const basis::Apply<G, B>& gb) { return Zip<G>::zipWith(*hp, ga, gb); },
        x.value, y.value)};
  }
};

template <class F, class G>
struct Repeat<basis::ComposeOf<F, G>> {
  // The outer repetition of the inner repetition.
  template <class X>
  static auto repeat(X&& v) {
    using A = std::remove_cvref_t<X>;
    return detail::Comp<F, G, A>{Repeat<F>::repeat(Repeat<G>::repeat(std::forward<X>(v)))};
  }
};

template <class F, class G>
struct Unzip<basis::ComposeOf<F, G>> : UnzipDefaults<basis::ComposeOf<F, G>> {
  // The outer unzip of the inner unzipWith h; each side wrapped.
  template <class Fn, class C>
  static auto unzipWith(Fn h, const detail::Comp<F, G, C>& x) {
    using P = basis::Mapped<Fn, C>;
    using A = typename P::first_type;
    using B = typename P::second_type;
    auto hp = std::make_shared<Fn>(std::move(h));
    auto r = Unzip<F>::unzipWith([hp](const basis::Apply<G, C>& gc) { return Unzip<G>::unzipWith(*hp, gc); }, x.value);
    return std::pair(detail::Comp<F, G, A>{std::move(r.first)}, detail::Comp<F, G, B>{std::move(r.second)});
  }
  // unzipWith with the identity (the inner unzipWith, not the inner unzip).
  template <class A, class B>
  static auto unzip(const detail::Comp<F, G, std::pair<A, B>>& x) {
    return unzipWith(detail::Id{}, x);
  }
};

template <class F, class G>
struct JuxtorWithIndex<basis::ComposeOf<F, G>> {
  // h((i, j), t): i the outer index, j the inner one.
  template <class Fn, class A, class B>
  static auto ialignWith(Fn h, const detail::Comp<F, G, A>& x, const detail::Comp<F, G, B>& y) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = std::pair<I, J>;
    using T = These<A, B>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&, const T&>>;
    using GA = basis::Apply<G, A>;
    using GB = basis::Apply<G, B>;
    auto hp = std::make_shared<Fn>(std::move(h));
    auto inner = [hp](const I& i, const These<GA, GB>& t) -> basis::Apply<G, R> {
      return t.fold(
          [&](const GA& ga) {
            return basis::FunctorWithIndex<G>::imap(
                [hp, i](const J& j, const A& a) { return R((*hp)(K(i, j), T::this_(a))); }, ga);
          },
          [&](const GB& gb) {
            return basis::FunctorWithIndex<G>::imap(
                [hp, i](const J& j, const B& b) { return R((*hp)(K(i, j), T::that(b))); }, gb);
          },
          [&](const GA& ga, const GB& gb) {
            return JuxtorWithIndex<G>::ialignWith([hp, i](const J& j, const T& u) { return R((*hp)(K(i, j), u)); },
                                                  ga, gb);
          });
    };
    return detail::Comp<F, G, R>{JuxtorWithIndex<F>::ialignWith(std::move(inner), x.value, y.value)};
  }
};

template <class F, class G>
struct ZipWithIndex<basis::ComposeOf<F, G>> {
  template <class Fn, class A, class B>
  static auto izipWith(Fn h, const detail::Comp<F, G, A>& x, const detail::Comp<F, G, B>& y) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = std::pair<I, J>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&, const A&, const B&>>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::Comp<F, G, R>{ZipWithIndex<F>::izipWith(
        [hp](const I& i, const basis::Apply<G, A>& ga, const basis::Apply<G, B>& gb) {
          return ZipWithIndex<G>::izipWith(
              [hp, i](const J& j, const A& a, const B& b) { return R((*hp)(K(i, j), a, b)); }, ga, gb);
        },
        x.value, y.value)};
  }
};

template <class F, class G>
struct RepeatWithIndex<basis::ComposeOf<F, G>> {
  template <class Fn>
  static auto irepeat(Fn h) {
    using I = basis::index_of<F>;
    using J = basis::index_of<G>;
    using K = std::pair<I, J>;
    using R = std::remove_cvref_t<std::invoke_result_t<Fn&, const K&>>;
    auto hp = std::make_shared<Fn>(std::move(h));
    return detail::Comp<F, G, R>{RepeatWithIndex<F>::irepeat([hp](const I& i) {
      return RepeatWithIndex<G>::irepeat([hp, i](const J& j) { return R((*hp)(K(i, j))); });
    })};
  }
};

}  // namespace juxtor
