// The error values of the value-strict module, each built once: the
// defensive errors of its union walk and the three alterF probes.

#include <basis/error.hpp>

#include "hashgrove/internal/strict.hpp"

namespace hashgrove::internal::strict {

namespace {
basis::CallStack strictSite(int line, int startColumn, int endColumn) {
  return basis::CallStack{{basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal.Strict",
                                           "./Data/HashMap/Internal/Strict", line, startColumn, line, endColumn}},
                          false};
}
}  // namespace

namespace detail {

void throwUnionLeafHashCode() {
  static const basis::ErrorCall error("leafHashCode", strictSite(529, 22, 27));
  basis::throwErrorCall(error);
}

void throwUnionPatternFailure() {
  static const basis::PatternMatchFail error("Data/HashMap/Internal/Strict:(461,5)-(525,20)|function go");
  basis::throwPatternMatchFail(error);
}

const basis::ErrorCall& testBottomError() {
  static const basis::ErrorCall error("Data.HashMap.alterF internal error: hit test_bottom", strictSite(353, 15, 20));
  return error;
}

const basis::ErrorCall& bogusError() {
  static const basis::ErrorCall error("Data.HashMap.alterF internal error: hit bogus#", strictSite(356, 12, 17));
  return error;
}

const basis::ErrorCall& impossibleAdjustError() {
  static const basis::ErrorCall error("Data.HashMap.alterF internal error: impossible adjust",
                                      strictSite(359, 20, 25));
  return error;
}

}  // namespace detail

void bogus_raw() { basis::throwErrorCall(detail::bogusError()); }

}  // namespace hashgrove::internal::strict
