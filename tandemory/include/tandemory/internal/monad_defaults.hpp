#pragma once
// The Applicative slots a monad of this library derives from its own bind:
// `<*>` binds the function's computation, then the argument's, and hands the
// application to pure. The other slots (liftA2, `*>`, `<*`) are basis's
// defaults, which a specialisation may replace.

#include <utility>

#include "basis/applicative.hpp"
#include "basis/functor.hpp"
#include "basis/monad.hpp"

namespace tandemory::detail {

// For `Applicative<Self>`: define pure (and liftA2 where it has a better one)
// and inherit this.
template <class Self>
struct ApplicativeFromBind : basis::ApplicativeDefaults<Self> {
  // mf's effects first, then mx's (mx is demanded once, when mf has yielded a
  // function); each function applied to each value. Costs two binds and one
  // pure per application.
  template <class FF, class X>
  static auto ap(FF&& mf, X&& mx) {
    auto x = basis::toLazy(std::forward<X>(mx));
    using A = basis::element_of<basis::demanded_t<X>>;
    return basis::Monad<Self>::bind(std::forward<FF>(mf), [x](const auto& h) {
      return basis::Monad<Self>::bind(x.force(), [h](const A& a) { return basis::Applicative<Self>::pure(h(a)); });
    });
  }
};

}  // namespace tandemory::detail
