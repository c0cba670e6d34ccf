// The error values the trie raises, each built once.

#include <basis/error.hpp>

#include "hashgrove/internal/array.hpp"
#include "hashgrove/internal/alter.hpp"
#include "hashgrove/internal/lookup.hpp"

namespace hashgrove::internal {

namespace {
basis::CallSite errorSite(const char* module, const char* file, int line, int startColumn, int endColumn) {
  return basis::CallSite{"error", "hashgrove", module, file, line, startColumn, line, endColumn};
}
}  // namespace

void throwKeyNotFound(const basis::CallStack& callers) {
  static const basis::CallSite site =
      errorSite("Data.HashMap.Internal", "./Data/HashMap/Internal", 774, 16, 21);
  basis::CallStack stack = callers;
  if (!stack.frozen) stack.entries.insert(stack.entries.begin(), site);
  throw basis::ErrorCall("Data.HashMap.Internal.(!): key not found", std::move(stack));
}

const basis::ErrorCall& testBottomError() {
  static const basis::ErrorCall error(
      "Data.HashMap.alterF internal error: hit test_bottom",
      basis::CallStack{{errorSite("Data.HashMap.Internal", "./Data/HashMap/Internal", 1349, 15, 20)}, false});
  return error;
}

const basis::ErrorCall& bogusError() {
  static const basis::ErrorCall error(
      "Data.HashMap.alterF internal error: hit bogus#",
      basis::CallStack{{errorSite("Data.HashMap.Internal", "./Data/HashMap/Internal", 1354, 12, 17)}, false});
  return error;
}

void bogus_raw() { throw bogusError(); }

}  // namespace hashgrove::internal

namespace hashgrove::internal::array {

const basis::ErrorCall& undefinedElementError() {
  static const basis::ErrorCall error(
      "Data.HashMap.Internal.Array: Undefined element",
      basis::CallStack{{basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal.Array",
                                        "./Data/HashMap/Internal/Array", 432, 17, 432, 22}},
                       false});
  return error;
}

}  // namespace hashgrove::internal::array
