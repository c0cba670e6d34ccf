#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "basis/semiapplicative.hpp"

namespace {

TEST(Semiapplicative, StandardShapesAgreeWithTheirApplicative) {
  static_assert(basis::BindTag<basis::OptionalTag>);
  static_assert(basis::BindTag<basis::ListTag>);
  std::vector<int> xs{1, 2};
  std::vector<int> ys{10, 20};
  EXPECT_EQ(basis::liftF2(std::plus<int>(), xs, ys), (std::vector<int>{11, 21, 12, 22}));
  EXPECT_EQ(basis::seqRightF(std::optional<int>(1), std::optional<int>(2)), std::optional<int>(2));
  EXPECT_EQ(basis::seqLeftF(std::optional<int>(1), std::optional<int>()), std::nullopt);
  std::optional<std::function<int(const int&)>> f([](const int& x) { return x + 1; });
  EXPECT_EQ(basis::apF(f, std::optional<int>(4)), std::optional<int>(5));
  std::pair<std::string, int> w("a", 1);
  EXPECT_EQ(basis::liftF2(std::plus<int>(), w, std::pair<std::string, int>("b", 2)), (std::pair<std::string, int>("ab", 3)));
}

TEST(Bind, BindsAndJoins) {
  auto r = basis::bindF(std::vector<int>{1, 2}, [](int x) { return std::vector<int>{x, x * 10}; });
  EXPECT_EQ(r, (std::vector<int>{1, 10, 2, 20}));
  std::optional<std::optional<int>> nested(std::optional<int>(3));
  EXPECT_EQ(basis::Bind<basis::OptionalTag>::join(nested), std::optional<int>(3));
}

}  // namespace
