// The defensive errors of the two-map walks (union), each built once. Valid
// maps never reach them.

#include <basis/error.hpp>

#include "hashgrove/internal/union.hpp"

namespace hashgrove::internal::detail {

void throwUnionLeafHashCode() {
  static const basis::ErrorCall error(
      "leafHashCode", basis::CallStack{{basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal",
                                                        "./Data/HashMap/Internal", 1673, 22, 1673, 27}},
                                       false});
  basis::throwErrorCall(error);
}

void throwUnionPatternFailure() {
  static const basis::PatternMatchFail error("Data/HashMap/Internal:(1605,5)-(1669,20)|function go");
  basis::throwPatternMatchFail(error);
}

}  // namespace hashgrove::internal::detail
