// The error values of the aligning library, each built once.

#include "juxtor/internal/errors.hpp"

#include <string>

namespace juxtor {

namespace {

basis::CallStack errorSite() {
  basis::CallStack stack;
  stack.entries.push_back(
      basis::CallSite{"error", "juxtor", "Data.Juxtor.Internal", "src/Data/Juxtor/Internal", 67, 8, 67, 13});
  return stack;
}

}  // namespace

void oops(std::string_view message) {
  throw basis::ErrorCall("Data.Align: internal error: " + std::string(message), errorSite());
}

namespace detail {

const basis::ErrorCall& alignHashMapMergeError() {
  static const basis::ErrorCall error("Data.Align: internal error: Align HashMap: merge", errorSite());
  return error;
}

void throwAlignHashMapMerge() { basis::throwErrorCall(alignHashMapMergeError()); }

const basis::PatternMatchFail& alignStreamCaseFailure() {
  static const basis::PatternMatchFail failure("src/Data/Juxtor/Internal:(684,25)-(686,43)|case");
  return failure;
}

void throwAlignStreamCase() { basis::throwPatternMatchFail(alignStreamCaseFailure()); }

}  // namespace detail
}  // namespace juxtor
