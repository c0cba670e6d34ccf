#include "stampwell/internal/random.hpp"

namespace stampwell::detail {

void throwRangeNotWhole() {
  static const basis::ErrorCall error(
      "stampwell: a random UUID is a version-4 UUID and can only be drawn from the whole "
      "UUID range");
  basis::throwErrorCall(error);
}

}  // namespace stampwell::detail
