#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basis/monoid_functors.hpp"

namespace {

TEST(MonoidFunctors, DualSwapsItsOperands) {
  EXPECT_EQ(basis::combine(basis::Dual<std::string>{"a"}, basis::Dual<std::string>{"b"}).getDual, "ba");
  EXPECT_EQ(basis::mempty<basis::Dual<std::string>>().getDual, "");
}

TEST(MonoidFunctors, WrappersMapAndDistribute) {
  EXPECT_EQ(basis::fmap([](int x) { return x * 2; }, basis::Sum<int>{3}), basis::Sum<int>{6});
  EXPECT_EQ(basis::fmap([](int x) { return x * 2; }, basis::Product<int>{3}), basis::Product<int>{6});
  EXPECT_EQ(basis::fmap([](int x) { return x * 2; }, basis::Dual<int>{3}), basis::Dual<int>{6});
  auto d = basis::distribute<basis::SumTag>(std::vector<basis::Sum<int>>{{1}, {2}});
  EXPECT_EQ(d.value, (std::vector<int>{1, 2}));
}

}  // namespace
