#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "basis/foldable1.hpp"

namespace {

using NE = basis::NonEmpty<int>;
using F1 = basis::Foldable1<basis::NonEmptyTag>;

TEST(Foldable1, NonEmptyFoldsInOrder) {
  NE x{3, {1, 4, 1, 5}};
  EXPECT_EQ(F1::foldMap1([](int v) { return std::to_string(v); }, x), "31415");
  EXPECT_EQ(F1::toNonEmpty(x), x);
  EXPECT_EQ(F1::head(x), 3);
  EXPECT_EQ(F1::last(x), 5);
  EXPECT_EQ(F1::maximum(x), 5);
  EXPECT_EQ(F1::minimum(x), 1);
  EXPECT_EQ(F1::foldrMap1([](int v) { return v; }, [](int a, int b) { return a - b; }, x), 3 - (1 - (4 - (1 - 5))));
  EXPECT_EQ(F1::foldlMap1_([](int v) { return v; }, [](int a, int b) { return a - b; }, x), 3 - 1 - 4 - 1 - 5);
  EXPECT_EQ(F1::fold1(basis::NonEmpty<std::string>{"a", {"b"}}), "ab");
}

TEST(Foldable1, GathersManyElementsWithoutRecursion) {
  NE x{0, basis::List<int>::fromRange(std::vector<int>(200000, 1))};
  EXPECT_EQ(F1::toNonEmpty(x).size(), 200001u);
  EXPECT_EQ(F1::foldMap1_([](int v) { return basis::Sum<long>{v}; }, x).value, 200000);
}

TEST(Traversable1, RunsTheEffectsInOrderOverApply) {
  std::vector<int> seen;
  auto r = basis::Traversable1<basis::NonEmptyTag>::traverse1(
      [&seen](int v) {
        seen.push_back(v);
        return std::optional<int>(v * 2);
      },
      NE{1, {2, 3}});
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(r, std::optional<NE>(NE{2, {4, 6}}));
  auto s = basis::Traversable1<basis::IdentityTag>::sequence1(basis::Identity<std::optional<int>>{std::optional<int>(1)});
  EXPECT_EQ(s, std::optional<basis::Identity<int>>(basis::Identity<int>{1}));
}

}  // namespace
