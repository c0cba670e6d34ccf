#pragma once
// A UUID as generic code sees it: an atomic value of the type
// "Data.Stampwell.UUID", which has no constructor view and no children. Its
// constructor description is named by its canonical text, computed when the
// name is first asked for; asking for that constructor's fixity raises
// "fixity", and building a UUID from a constructor raises "gunfold".

#include <cstdint>
#include <tuple>

#include <basis/generic.hpp>

#include "stampwell/internal/representation.hpp"

namespace stampwell::detail {
// The type description "Data.Stampwell.UUID" (no constructors), built once.
const basis::generic::DataType& uuidDataType();
// The constructor description of u, named by its canonical text.
basis::generic::Constr uuidConstr(UUID u);
// Raises "gunfold" from the library's own site.
[[noreturn]] void throwUUIDGunfold();
}  // namespace stampwell::detail

template <>
struct basis::generic::Typeable<stampwell::UUID> {
  static basis::generic::TypeRep typeRep() {
    return basis::generic::mkTyConApp("UUID", "Data.Stampwell.Internal");
  }
};

// The one-layer operations come from DataDefaults: with no children, gfoldl
// gives z(u), gmapT gives u, gmapQ nothing, gmapQl and gmapQr their seed,
// gmapM returns u, gmapMp and gmapMo fail, and gmapQi raises for every index;
// the caller's function is never called.
template <>
struct basis::Data<stampwell::UUID>
    : basis::DataDefaults<stampwell::UUID> {
  // The constant description "Data.Stampwell.UUID", whatever the argument.
  static basis::generic::DataType dataTypeOf(const stampwell::UUID&) {
    return stampwell::detail::uuidDataType();
  }
  // A constructor named by u's canonical text (computed on first demand),
  // with no fields and a fixity that raises "fixity" when asked for.
  static basis::generic::Constr toConstr(const stampwell::UUID& u) {
    return stampwell::detail::uuidConstr(u);
  }
  static std::tuple<> fields(const stampwell::UUID&) noexcept { return {}; }
  // A UUID cannot be built from a constructor description: always raises
  // ErrorCall "gunfold".
  template <class K, class Z>
  [[noreturn]] static stampwell::UUID gunfold(K&&, Z&&, const basis::generic::Constr&) {
    stampwell::detail::throwUUIDGunfold();
  }
};
