#pragma once
// The expression that rebuilds a UUID: the constructor `UUID` of module
// Data.Stampwell.Internal applied to the first word and then to the second,
// each an integer literal of the word read unsigned (0 to 2^64 - 1).

#include <basis/expr.hpp>
#include <basis/lift.hpp>

#include "stampwell/internal/representation.hpp"

namespace stampwell {

// The package identifier that the library's global names and raising-site
// records carry.
inline constexpr const char* kPackage = "stampwell";

namespace detail {
// The constructor expression of `UUID`, built once.
const basis::expr::Exp& uuidConstructorExp();
}  // namespace detail

}  // namespace stampwell

template <>
struct basis::Lift<stampwell::UUID> : basis::LiftDefaults<stampwell::UUID> {
  // `UUID first second`. O(1) beyond the three expression nodes it allocates.
  static basis::expr::Exp lift(stampwell::UUID u) {
    using namespace basis::expr;
    return AppE(AppE(stampwell::detail::uuidConstructorExp(), LitE(IntegerL(u.firstWord()))),
                LitE(IntegerL(u.secondWord())));
  }
};
