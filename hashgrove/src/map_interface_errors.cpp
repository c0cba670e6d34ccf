// The constant values of the maps' standard interfaces (errors, generic
// descriptions), each built once.

#include <basis/error.hpp>

#include "hashgrove/internal/generic.hpp"
#include "hashgrove/internal/ord.hpp"

namespace hashgrove::internal {

namespace {
basis::CallSite internalSite(int line, int startColumn, int endColumn) {
  return basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal", "./Data/HashMap/Internal",
                         line, startColumn, line, endColumn};
}
}  // namespace

const basis::ErrorCall& cmpError() {
  static const basis::ErrorCall error("cmp: Should never happen, leavesAndCollisions includes non Leaf / Collision",
                                      basis::CallStack{{internalSite(489, 14, 19)}, false});
  return error;
}

const basis::ErrorCall& gunfoldError() {
  static const basis::ErrorCall error("gunfold", basis::CallStack{{internalSite(335, 14, 19)}, false});
  return error;
}

const basis::generic::DataType& hashMapDataType() {
  static const basis::generic::DataType type =
      basis::generic::mkDataType("Data.HashMap.Internal.HashMap", {basis::generic::ConstrSpec{"fromList", {}, {}}});
  return type;
}

const basis::generic::Constr& fromListConstr() {
  static const basis::generic::Constr constr = hashMapDataType().indexConstr(1);
  return constr;
}

}  // namespace hashgrove::internal
