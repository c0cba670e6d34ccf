#include <gtest/gtest.h>

#include <optional>

#include "basis/functor_sum.hpp"

namespace {

TEST(FunctorSum, MapsTheSideItHolds) {
  using S = basis::functor::Sum<basis::IdentityTag, basis::OptionalTag, int>;
  auto inc = [](int x) { return x + 1; };
  EXPECT_EQ(basis::fmap(inc, S::InL({1})), S::InL({2}));
  EXPECT_EQ(basis::fmap(inc, S::InR(std::optional<int>(1))), S::InR(std::optional<int>(2)));
  EXPECT_NE(S::InL({1}), S::InR(std::optional<int>(1)));
}

}  // namespace
