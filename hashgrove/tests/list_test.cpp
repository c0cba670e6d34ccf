// Order-insensitive list comparison.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <hashgrove/internal/list.hpp>

namespace hashgrove::internal::list {
namespace {

using V = std::vector<int>;
auto intCompare = [](int a, int b) { return basis::compare(a, b); };
auto intEqual = [](int a, int b) { return a == b; };

TEST(UnorderedCompare, Table) {
  struct Case {
    V as, bs;
    basis::Ordering expected;
  };
  const Case cases[] = {
      {{}, {}, basis::EQ},        {{}, {1}, basis::LT},       {{1}, {}, basis::GT},
      {{3, 1, 2}, {2, 3, 1}, basis::EQ}, {{1, 2}, {2, 1, 1}, basis::GT}, {{1, 3}, {2}, basis::LT},
  };
  for (const Case& c : cases) EXPECT_EQ(unorderedCompare(intCompare, c.as, c.bs), c.expected);
}

TEST(UnorderedCompare, CallsTheComparatorWithTheFirstListsElementFirst) {
  std::vector<std::string> as{"x"};
  V bs{1};
  auto c = [](const std::string& a, int b) { return basis::compare(static_cast<int>(a.size()), b); };
  EXPECT_EQ(unorderedCompare(c, as, bs), basis::EQ);
}

RC_GTEST_PROP(UnorderedCompare, EqualsComparingTheSortedLists, (V as, V bs)) {
  V sa = as, sb = bs;
  std::sort(sa.begin(), sa.end());
  std::sort(sb.begin(), sb.end());
  const auto expected = basis::toOrdering(sa <=> sb);
  RC_ASSERT(unorderedCompare(intCompare, as, bs) == expected);
}

TEST(DeleteBy, RemovesTheFirstMatch) {
  EXPECT_EQ(deleteBy(intEqual, 2, V{1, 2, 3, 2}), (V{1, 3, 2}));
  EXPECT_FALSE(deleteBy(intEqual, 4, V{1, 2, 3, 2}).has_value());
  EXPECT_FALSE(deleteBy(intEqual, 1, V{}).has_value());
}

TEST(IsPermutationBy, Table) {
  struct Case {
    V xs, ys;
    bool expected;
  };
  const Case cases[] = {
      {{1, 2, 2}, {2, 1, 2}, true}, {{1, 2}, {2, 2}, false}, {{1}, {1, 1}, false}, {{}, {}, true}, {{}, {1}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(isPermutationBy(intEqual, c.xs, c.ys), c.expected);
}

RC_GTEST_PROP(IsPermutationBy, AgreesWithSortedEqualityForAnEquivalence, (V xs, V ys)) {
  for (int& x : xs) x %= 4;
  for (int& y : ys) y %= 4;
  V sx = xs, sy = ys;
  std::sort(sx.begin(), sx.end());
  std::sort(sy.begin(), sy.end());
  RC_ASSERT(isPermutationBy(intEqual, xs, ys) == (sx == sy));
  V shuffled = xs;
  std::reverse(shuffled.begin(), shuffled.end());
  RC_ASSERT(isPermutationBy(intEqual, xs, shuffled));
}

}  // namespace
}  // namespace hashgrove::internal::list
