#include <gtest/gtest.h>

#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;
using stampwell::testing::kCounting;

TEST(UUIDDeepEvaluation, ForcesADeferredUUIDAndNothingElse) {
  int built = 0;
  const auto deferred = basis::Lazy<UUID>::defer([&] { ++built; return kCounting; });
  EXPECT_FALSE(deferred.isEvaluated());
  basis::rnf(deferred);
  EXPECT_TRUE(deferred.isEvaluated());
  EXPECT_EQ(built, 1);
  basis::rnf(kCounting);
  basis::rnf(std::vector<UUID>{kCounting, stampwell::nil});
  static_assert(basis::NFDataType<UUID>);
}

}  // namespace
