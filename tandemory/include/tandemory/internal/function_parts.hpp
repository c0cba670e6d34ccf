#pragma once
// The parts of function-shaped arguments, read off any callable with one
// declared parameter type (a lambda, a std::function<R(A)> or
// std::function<R(const A&)>, a function pointer), not only off one exact
// std::function type.

#include <functional>
#include <type_traits>

#include "basis/contravariant.hpp"
#include "basis/profunctor.hpp"

namespace tandemory::detail {

// The parameter type of Fn and its (decayed) result there.
template <class Fn>
using param_of = basis::callable_arg_t<Fn>;
template <class Fn>
using result_of = basis::callable_result_t<Fn>;

// A profunctor value: its tag, input and output types, and itself as the
// tag's own type. A value with a two-argument tag is taken as it is; any
// other callable with one declared parameter type is a function, held as
// std::function.
template <class PV>
struct ArrowParts {};
template <basis::HasBiTag PV>
struct ArrowParts<PV> {
  using Tag = basis::bitag_of<PV>;
  using In = basis::first_of<PV>;
  using Out = basis::second_of<PV>;
  static const PV& value(const PV& p) { return p; }
};
template <class PV>
  requires(!basis::HasBiTag<PV> && requires { typename result_of<PV>; })
struct ArrowParts<PV> {
  using Tag = basis::FunctionArrow;
  using In = param_of<PV>;
  using Out = result_of<PV>;
  static std::function<Out(const In&)> value(const PV& p) { return p; }
};

// PV is a profunctor value or a function of one declared parameter type.
template <class PV>
concept ArrowLike = requires { typename ArrowParts<std::remove_cvref_t<PV>>::Tag; };

}  // namespace tandemory::detail
