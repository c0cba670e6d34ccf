#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "basis/extend.hpp"

namespace {

TEST(Extend, FollowsTheComonadOfTheStandardShapes) {
  static_assert(basis::ExtendTag<basis::IdentityTag>);
  auto d = basis::duplicated(basis::Identity<int>{3});
  EXPECT_EQ(d.value.value, 3);
  std::pair<std::string, int> env("e", 4);
  auto e = basis::extended([](const std::pair<std::string, int>& p) { return p.first + std::to_string(p.second); }, env);
  EXPECT_EQ(e, (std::pair<std::string, std::string>("e", "e4")));
  std::function<std::string(const std::string&)> traced = [](const std::string& m) { return "<" + m + ">"; };
  auto shifted = basis::extended([](const std::function<std::string(const std::string&)>& w) { return w("b"); }, traced);
  EXPECT_EQ(shifted("a"), "<ab>");
}

TEST(ComonadApply, ZipsPositionByPosition) {
  basis::Identity<std::function<int(const int&)>> f{[](const int& x) { return x * 2; }};
  EXPECT_EQ(basis::apW(f, basis::Identity<int>{5}).value, 10);
  EXPECT_EQ(basis::seqRightW(basis::Identity<int>{1}, basis::Identity<int>{2}).value, 2);
  EXPECT_EQ(basis::seqLeftW(basis::Identity<int>{1}, basis::Identity<int>{2}).value, 1);
  std::function<std::function<int(const int&)>(const int&)> fs = [](const int& e) {
    return std::function<int(const int&)>([e](const int& x) { return x + e; });
  };
  std::function<int(const int&)> xs = [](const int& e) { return e * 10; };
  EXPECT_EQ(basis::apW(fs, xs)(3), 33);
}

}  // namespace
