#include "stampwell/internal/expression.hpp"

namespace stampwell::detail {

const basis::expr::Exp& uuidConstructorExp() {
  static const basis::expr::Exp constructor =
      basis::expr::ConE(basis::expr::mkNameG_d(kPackage, "Data.Stampwell.Internal", "UUID"));
  return constructor;
}

}  // namespace stampwell::detail
