#include "stampwell/internal/generic.hpp"

#include "stampwell/internal/canonical_text.hpp"
#include "stampwell/internal/expression.hpp"

namespace stampwell::detail {
namespace {

constexpr const char* kModule = "Data.Stampwell.Internal";
constexpr const char* kFile = "src/Data/Stampwell/Internal";

// The fixity every UUID constructor description shares: raises "fixity"
// when demanded.
const basis::Lazy<basis::generic::Fixity>& raisingFixity() {
  static const basis::Lazy<basis::generic::Fixity> fixity =
      basis::Lazy<basis::generic::Fixity>::raise(basis::ErrorCall(
          "fixity",
          basis::CallStack{{basis::CallSite{"error", kPackage, kModule, kFile, 570, 52, 570, 57}}}));
  return fixity;
}

}  // namespace

const basis::generic::DataType& uuidDataType() {
  static const basis::generic::DataType type = basis::generic::mkNoRepType("Data.Stampwell.UUID");
  return type;
}

basis::generic::Constr uuidConstr(UUID u) {
  return basis::generic::mkConstr(uuidDataType(),
                                  basis::Lazy<std::string>::defer([u] { return toASCIIBytes(u); }),
                                  {}, raisingFixity());
}

void throwUUIDGunfold() {
  static const basis::ErrorCall error =
      basis::generic::gunfoldError(kPackage, kModule, kFile, 571, 20, 25);
  basis::throwErrorCall(error);
}

}  // namespace stampwell::detail
