#pragma once
// Proxy<A>: a structure that holds no value. Tagged<S, A>: one value of A
// carrying a phantom tag S. Both cost nothing to build and to take apart.

#include <compare>
#include <type_traits>
#include <utility>

#include "basis/contravariant.hpp"
#include "basis/distributive.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"

namespace basis {

// No value of A; every Proxy<A> equals every other.
template <class A>
struct Proxy {
  friend constexpr bool operator==(Proxy, Proxy) noexcept { return true; }
};

struct ProxyTag {
  template <class A>
  using apply = Proxy<A>;
};
template <class A>
struct TagOf<Proxy<A>> {
  using type = ProxyTag;
  using element = A;
};

// One value of A, tagged with the phantom type S.
template <class S, class A>
struct Tagged {
  A unTagged;
  friend bool operator==(const Tagged&, const Tagged&) = default;
};

// Tagged<S, _>.
template <class S>
struct TaggedOf {
  template <class A>
  using apply = Tagged<S, A>;
};
template <class S, class A>
struct TagOf<Tagged<S, A>> {
  using type = TaggedOf<S>;
  using element = A;
};

// f is never called.
template <>
struct Functor<ProxyTag> : FunctorDefaults<ProxyTag> {
  template <class Fn, class A>
  static Proxy<Mapped<Fn, A>> fmap(Fn, const Proxy<A>&) {
    return {};
  }
};

// f is never called: a Proxy is contravariant as well.
template <>
struct Contravariant<ProxyTag> {
  template <class B, class Fn, class A>
  static Proxy<B> contramap(Fn, const Proxy<A>&) {
    return {};
  }
};

// No elements.
template <>
struct Foldable<ProxyTag> : FoldableDefaults<ProxyTag> {
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldr(Fn, Z z, const Proxy<A>&) {
    return lazy_value_t<Z>(demand(z));
  }
  template <class Fn, class Z, class A>
  static lazy_value_t<Z> foldl_(Fn, Z z, const Proxy<A>&) {
    return lazy_value_t<Z>(demand(z));
  }
};

template <class S>
struct Functor<TaggedOf<S>> : FunctorDefaults<TaggedOf<S>> {
  template <class Fn, class A>
  static Tagged<S, Mapped<Fn, A>> fmap(Fn f, const Tagged<S, A>& t) {
    return {f(t.unTagged)};
  }
};

// distribute never looks at its argument.
template <>
struct Distributive<ProxyTag> : DistributiveDefaults<ProxyTag> {
  template <class WFA>
  static auto distribute(const WFA&) {
    return Proxy<Apply<tag_of<WFA>, element_of<element_of<WFA>>>>{};
  }
};

// The W-structure of the tagged values, tagged. One fmap over w.
template <class S>
struct Distributive<TaggedOf<S>> : DistributiveDefaults<TaggedOf<S>> {
  template <class WFA>
  static auto distribute(const WFA& w) {
    using W = tag_of<WFA>;
    using A = element_of<element_of<WFA>>;
    return Tagged<S, Apply<W, A>>{Functor<W>::fmap([](const Tagged<S, A>& t) { return t.unTagged; }, w)};
  }
};

}  // namespace basis
