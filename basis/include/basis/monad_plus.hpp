#pragma once
// MonadPlus<F>: a monad with failure (`mzero`) and choice (`mplus`), for the
// optional and list monads. Used by the generic one-layer monadic maps.

#include <optional>
#include <utility>
#include <vector>

#include "basis/functor.hpp"
#include "basis/monad.hpp"

namespace basis {

template <class F>
struct MonadPlus;

// Nothing: failure; choice keeps the first success.
template <>
struct MonadPlus<OptionalTag> {
  template <class A>
  static std::optional<A> mzero() {
    return std::nullopt;
  }
  // a when it holds a value, else b (b is not examined otherwise).
  template <class A>
  static std::optional<A> mplus(std::optional<A> a, std::optional<A> b) {
    return a ? std::move(a) : std::move(b);
  }
};

// The empty list: failure; choice is concatenation (every result).
template <>
struct MonadPlus<VectorTag> {
  template <class A>
  static std::vector<A> mzero() {
    return {};
  }
  template <class A>
  static std::vector<A> mplus(std::vector<A> a, std::vector<A> b) {
    a.insert(a.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
    return a;
  }
};

}  // namespace basis
