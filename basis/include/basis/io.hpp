#pragma once
// IO<A>: an action that yields an A each time it is run (`run()`), and
// MonadIO<M> (`liftIO(io)`), the interface of monads that can run such
// actions. Building and combining IO actions runs nothing; each run of the
// result runs the actions it was built from, in order.

#include <functional>
#include <type_traits>
#include <utility>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"

namespace basis {

template <class A>
struct IO {
  std::function<A()> run;
};
struct IOTag {
  template <class A>
  using apply = IO<A>;
};
template <class A>
struct TagOf<IO<A>> {
  using type = IOTag;
  using element = A;
};

template <class M>
struct MonadIO;

// An IO action run inside M.
template <class M, class A>
auto liftIO(const IO<A>& io) {
  return MonadIO<M>::liftIO(io);
}

template <>
struct Functor<IOTag> : FunctorDefaults<IOTag> {
  template <class Fn, class A>
  static IO<Mapped<Fn, A>> fmap(Fn f, const IO<A>& x) {
    return {[f = std::move(f), r = x.run] { return f(r()); }};
  }
};

// Each run runs m, then the action k chose.
template <>
struct Monad<IOTag> : MonadDefaults<IOTag> {
  template <class X, class K>
  static auto bind(X&& m, K k) {
    using A = element_of<demanded_t<X>>;
    using R = Bound<K, A>;
    auto first = toLazy(std::forward<X>(m));
    return R{[first, k = std::move(k)] { return R(demand(k(first.force().run()))).run(); }};
  }
};

template <>
struct Applicative<IOTag> : ApplicativeDefaults<IOTag> {
  template <class A>
  static IO<std::remove_cvref_t<A>> pure(A&& a) {
    return {[a = std::remove_cvref_t<A>(std::forward<A>(a))] { return a; }};
  }
  template <class Fn, class X, class Y>
  static auto liftA2(Fn f, X&& fa, Y&& fb) {
    using A = element_of<demanded_t<X>>;
    using B = element_of<demanded_t<Y>>;
    auto x = toLazy(std::forward<X>(fa));
    auto y = toLazy(std::forward<Y>(fb));
    return IO<Mapped<Fn, A, B>>{[f = std::move(f), x, y] {
      A a = x.force().run();
      B b = y.force().run();
      return f(a, b);
    }};
  }
};

template <>
struct MonadIO<IOTag> {
  template <class A>
  static IO<A> liftIO(const IO<A>& io) {
    return io;
  }
};

}  // namespace basis
