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

namespace {

using namespace basis::expr;

Exp uuidExp(std::uint64_t first, std::uint64_t second) {
  return AppE(AppE(ConE(mkNameG_d("stampwell", "Data.Stampwell.Internal", "UUID")),
                   LitE(IntegerL(first))),
              LitE(IntegerL(second)));
}

TEST(UUIDLift, ConstructorAppliedToTheTwoWords) {
  const Exp e = basis::lift(UUID(1, 2));
  EXPECT_EQ(e, uuidExp(1, 2));
  ASSERT_EQ(e.kind(), Exp::Kind::AppE);
  EXPECT_EQ(e.function().function().kind(), Exp::Kind::ConE);
  EXPECT_EQ(e.function().function().name().occName, "UUID");
  EXPECT_EQ(e.function().function().name().module, "Data.Stampwell.Internal");
  EXPECT_EQ(basis::liftTyped(UUID(1, 2)).unType, e);
}

TEST(UUIDLift, TopBitWordsAreLargePositiveLiterals) {
  const Exp e = basis::lift(UUID(~0ULL, 1ULL << 63));
  const Lit& first = e.function().argument().lit();
  const Lit& second = e.argument().lit();
  EXPECT_FALSE(first.integer.negative);
  EXPECT_EQ(first.integer.magnitude, 18446744073709551615ULL);
  EXPECT_FALSE(second.integer.negative);
  EXPECT_EQ(second.integer.magnitude, 9223372036854775808ULL);
  EXPECT_EQ(e, uuidExp(~0ULL, 1ULL << 63));
}

}  // namespace
