// The constant values of the hash set (the shared unit it stores, its
// generic descriptions and errors), each built once.

#include <basis/error.hpp>
#include <basis/lazy.hpp>
#include <basis/types.hpp>

#include "hashgrove/internal/set/generic.hpp"
#include "hashgrove/internal/set/hash_set.hpp"

namespace hashgrove::internal::set {

const basis::Lazy<basis::Unit>& sharedUnit() noexcept {
  // A cell, not an inline value, so that every copy is the same object; never
  // destroyed, so sets that outlive static destruction stay valid.
  static const basis::Lazy<basis::Unit>* const unit = [] {
    auto* u = new basis::Lazy<basis::Unit>(basis::Lazy<basis::Unit>::defer([] { return basis::unit; }));
    u->force();
    return u;
  }();
  return *unit;
}

const basis::generic::DataType& hashSetDataType() {
  static const basis::generic::DataType type =
      basis::generic::mkDataType("Data.HashSet.Internal.HashSet", {basis::generic::ConstrSpec{"fromList", {}, {}}});
  return type;
}

const basis::generic::Constr& fromListConstr() {
  static const basis::generic::Constr constr = hashSetDataType().indexConstr(1);
  return constr;
}

const basis::ErrorCall& gunfoldError() {
  static const basis::ErrorCall error(
      "gunfold", basis::CallStack{{basis::CallSite{"error", "hashgrove", "Data.HashSet.Internal",
                                                   "./Data/HashSet/Internal", 234, 14, 234, 19}},
                                  false});
  return error;
}

}  // namespace hashgrove::internal::set
