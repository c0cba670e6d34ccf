#pragma once
// functor::Sum<F, G, A>: an F A (`InL`) or a G A (`InR`), seen as one
// structure of A. The monoid wrapper basis::Sum<T> is another type; this one
// lives in basis::functor beside functor::Product.

#include <type_traits>
#include <utility>
#include <variant>

#include "basis/functor.hpp"

namespace basis {
namespace functor {

template <class F, class G, class A>
class Sum {
 public:
  static Sum InL(Apply<F, A> x) { return Sum(std::in_place_index<0>, std::move(x)); }
  static Sum InR(Apply<G, A> y) { return Sum(std::in_place_index<1>, std::move(y)); }
  bool isInL() const noexcept { return v_.index() == 0; }
  // The F side of an InL, the G side of an InR; throw std::bad_variant_access
  // for the other side.
  const Apply<F, A>& left() const { return std::get<0>(v_); }
  const Apply<G, A>& right() const { return std::get<1>(v_); }
  friend bool operator==(const Sum&, const Sum&) = default;

 private:
  template <std::size_t I, class X>
  Sum(std::in_place_index_t<I> i, X&& x) : v_(i, std::forward<X>(x)) {}
  std::variant<Apply<F, A>, Apply<G, A>> v_;
};

}  // namespace functor

// functor::Sum<F, G, _>.
template <class F, class G>
struct SumOf {
  template <class A>
  using apply = functor::Sum<F, G, A>;
};
template <class F, class G, class A>
struct TagOf<functor::Sum<F, G, A>> {
  using type = SumOf<F, G>;
  using element = A;
};

// Each side mapped by its own fmap.
template <class F, class G>
  requires FunctorTag<F> && FunctorTag<G>
struct Functor<SumOf<F, G>> : FunctorDefaults<SumOf<F, G>> {
  template <class Fn, class A>
  static functor::Sum<F, G, Mapped<Fn, A>> fmap(Fn f, const functor::Sum<F, G, A>& s) {
    using R = functor::Sum<F, G, Mapped<Fn, A>>;
    if (s.isInL()) return R::InL(Functor<F>::fmap(std::move(f), s.left()));
    return R::InR(Functor<G>::fmap(std::move(f), s.right()));
  }
};

}  // namespace basis
