// Merging through a semigroup and padding alignments into optional pairs.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <juxtor/internal/combinators.hpp>
#include <juxtor/internal/list.hpp>
#include <juxtor/internal/simple.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using O = std::optional<int>;
using S = std::optional<std::string>;

TEST(Salign, KeepsLoneElementsAndCombinesLeftFirst) {
  EXPECT_EQ(juxtor::salign(S("x"), S()), S("x"));
  EXPECT_EQ(juxtor::salign(S(), S("y")), S("y"));
  EXPECT_EQ(juxtor::salign(S("x"), S("y")), S("xy"));
  auto merged = juxtor::salign(list<std::string>({"a", "b"}), list<std::string>({"c"}));
  EXPECT_EQ(merged.toVector(), (std::vector<std::string>{"ac", "b"}));
}

TEST(PadZip, PairsEveryPositionOfEitherSide) {
  using P = std::pair<O, O>;
  EXPECT_EQ(juxtor::padZip(list({1, 2}), list({10, 20, 30, 40})).toVector(),
            (std::vector<P>{P(1, 10), P(2, 20), P(O(), 30), P(O(), 40)}));
  EXPECT_EQ(juxtor::padZip(O(1), O()), std::optional<P>(P(1, O())));
  auto sums = juxtor::padZipWith([](O a, O b) { return a.value_or(0) + b.value_or(0); }, list({1, 2, 3}), list({5}));
  EXPECT_EQ(sums.toVector(), (std::vector<int>{6, 2, 3}));
}

TEST(LeftPad, KeepsThePositionsOfTheSecondList) {
  using P = std::pair<O, int>;
  EXPECT_EQ(juxtor::lpadZip(list({1, 2, 3}), list({10})).toVector(), (std::vector<P>{P(1, 10)}));
  EXPECT_EQ(juxtor::lpadZip(List<int>(), list({7, 8})).toVector(), (std::vector<P>{P(O(), 7), P(O(), 8)}));
  EXPECT_TRUE(juxtor::lpadZip(list({1, 2}), List<int>()).isNil());
  // An endless first list against an empty second one: still the empty list.
  EXPECT_TRUE(juxtor::lpadZip(List<int>::repeat(1), List<int>()).isNil());
}

TEST(RightPad, KeepsThePositionsOfTheFirstList) {
  using P = std::pair<int, O>;
  EXPECT_EQ(juxtor::rpadZip(list({1, 2, 3}), list({10})).toVector(), (std::vector<P>{P(1, 10), P(2, O()), P(3, O())}));
  EXPECT_EQ(take(juxtor::rpadZip(list({1}), List<int>::repeat(5)), 5), (std::vector<P>{P(1, 5)}));
}

RC_GTEST_PROP(Padding, RightPadIsLeftPadWithArgumentsSwapped, (std::vector<int> xs, std::vector<int> ys)) {
  auto f = [](int x, O y) { return std::int64_t{x} * 3 + y.value_or(-1); };
  auto a = juxtor::rpadZipWith(f, List<int>::fromRange(xs), List<int>::fromRange(ys));
  auto b = juxtor::lpadZipWith([&f](O y, int x) { return f(x, y); }, List<int>::fromRange(ys), List<int>::fromRange(xs));
  RC_ASSERT(a.toVector() == b.toVector());
  RC_ASSERT(a.toVector().size() == xs.size());
}

TEST(LeftPad, DefersTheFunction) {
  int calls = 0;
  auto r = juxtor::lpadZipWith([&calls](O, int y) { return ++calls + y; }, list({1}), list({1, 2}));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(r.toVector().size(), 2u);
  EXPECT_EQ(calls, 2);
}

}  // namespace
