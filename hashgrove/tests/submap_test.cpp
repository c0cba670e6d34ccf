// Sub-map tests: results against a model, the structural answers that need no
// predicate call, and the order of the predicate's arguments.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <vector>

#include <hashgrove/internal/submap.hpp>

#include "algebra_support.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using testing::algebra::Map;
using testing::algebra::Model;
using testing::algebra::Sample;

Map mapOf(std::initializer_list<std::pair<Key, int>> pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = insert(k, v, m);
  return m;
}

bool modelSubmapBy(const Model& m1, const Model& m2, bool (*p)(int, int)) {
  for (const auto& [id, v] : m1) {
    const auto it = m2.find(id);
    if (it == m2.end() || !p(v, it->second)) return false;
  }
  return true;
}

// m1 is mostly a part of m2 (some values nudged, sometimes a foreign key), so
// that both answers come up often.
std::pair<Sample, Sample> genNearSubmap() {
  const Sample big = testing::algebra::build(*testing::algebra::genPairs());
  std::vector<std::pair<std::int64_t, int>> part;
  for (const auto& [id, v] : big.model) {
    if (*rc::gen::inRange(0, 3) == 0) continue;
    part.emplace_back(id, *rc::gen::inRange(0, 8) == 0 ? v + 1 : v);
  }
  if (*rc::gen::inRange(0, 6) == 0) part.emplace_back(*rc::gen::inRange<std::int64_t>(0, 128), 0);
  return {testing::algebra::build(part), big};
}

RC_GTEST_PROP(SubmapModel, IsSubmapOfByAgreesWithTheModel, ()) {
  const auto [small, big] = genNearSubmap();
  auto atMost = [](int x, int y) { return x <= y; };
  auto equal = [](int x, int y) { return x == y; };
  RC_ASSERT(isSubmapOfBy(atMost, small.map, big.map) == modelSubmapBy(small.model, big.model, +atMost));
  RC_ASSERT(isSubmapOf(small.map, big.map) == modelSubmapBy(small.model, big.model, +equal));
  RC_ASSERT(isSubmapOf(big.map, small.map) == modelSubmapBy(big.model, small.model, +equal));
  RC_ASSERT(isSubmapOf(big.map, big.map));
}

RC_GTEST_PROP(SubmapModel, KeyInclusionOfIndependentMaps, ()) {
  const auto [a, b] = testing::algebra::genTwoSamples();
  auto any = [](int, int) { return true; };
  RC_ASSERT(isSubmapOfBy(any, a.map, b.map) == modelSubmapBy(a.model, b.model, +any));
}

TEST(Submap, TheEmptyMapIsASubmapOfEveryMapAndHasNoOtherSubmap) {
  const Map m = mapOf({{key(1), 1}});
  EXPECT_TRUE(isSubmapOf(Map(), Map()));
  EXPECT_TRUE(isSubmapOf(Map(), m));
  EXPECT_FALSE(isSubmapOf(m, Map()));
  EXPECT_TRUE(isSubmapOf(m, m));
}

TEST(Submap, ThePredicateSeesTheFirstMapsValueFirst) {
  auto atMost = [](int x, int y) { return x <= y; };
  EXPECT_TRUE(isSubmapOfBy(atMost, mapOf({{key(1), 1}}), mapOf({{key(1), 2}})));
  EXPECT_FALSE(isSubmapOfBy(atMost, mapOf({{key(1), 2}}), mapOf({{key(1), 1}})));
  // Values of another type reach only the predicate.
  HashMap<Key, std::string> named = insert(key(1), std::string("one"), HashMap<Key, std::string>());
  EXPECT_TRUE(isSubmapOfBy([](int x, const std::string& s) { return x == static_cast<int>(s.size()) - 2; },
                           mapOf({{key(1), 1}}), named));
}

TEST(Submap, ThePredicateIsCalledOnlyForKeysOfBothMaps) {
  std::vector<std::pair<int, int>> calls;
  auto record = [&calls](int x, int y) {
    calls.emplace_back(x, y);
    return true;
  };
  const Map m1 = mapOf({{key(1), 1}, {key(9), 9}});
  const Map m2 = mapOf({{key(1), 10}, {key(2), 20}, {key(9), 90}, {key(41), 0}});
  EXPECT_TRUE(isSubmapOfBy(record, m1, m2));
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 10}, {9, 90}}));
  calls.clear();
  EXPECT_FALSE(isSubmapOfBy(record, mapOf({{key(3), 3}, {key(1), 1}}), m2));
  EXPECT_FALSE(isSubmapOfBy(record, mapOf({{key(5), 3}}), m2));
  EXPECT_LE(calls.size(), 1u);
}

TEST(Submap, BucketsCompareRegardlessOfOrder) {
  int calls = 0;
  auto count = [&calls](int, int) {
    ++calls;
    return true;
  };
  const Map ab = mapOf({{key(1, 9), 1}, {key(2, 9), 2}});
  const Map ba = mapOf({{key(2, 9), 2}, {key(1, 9), 1}});
  const Map abc = mapOf({{key(1, 9), 1}, {key(2, 9), 2}, {key(3, 9), 3}});
  EXPECT_TRUE(isSubmapOf(ab, ba));
  EXPECT_TRUE(isSubmapOf(ab, abc));
  EXPECT_FALSE(isSubmapOfBy(count, abc, ab));
  EXPECT_EQ(calls, 0);  // the larger bucket fails without a predicate call
  EXPECT_FALSE(isSubmapOf(ab, mapOf({{key(1, 41), 1}, {key(2, 41), 2}})));
  // A bucket against a branch that holds it deeper down.
  const Map deeper = insert(key(4, 41), 4, ab);
  ASSERT_EQ(deeper.kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(isSubmapOf(ab, deeper));
  EXPECT_FALSE(isSubmapOf(ab, mapOf({{key(1, 9), 1}, {key(4, 41), 4}})));
  // A bucket against a Leaf: false.
  EXPECT_FALSE(isSubmapOf(ab, mapOf({{key(1, 9), 1}})));
}

TEST(Submap, BranchKindsDecideBeforeAnyChildIsTested) {
  Map full;
  for (int i = 0; i < 32; ++i) full = insert(key(i), i, full);
  const Map sparse = mapOf({{key(3), 3}, {key(7), 7}});
  ASSERT_EQ(full.kind(), Kind::Full);
  EXPECT_TRUE(isSubmapOf(sparse, full));
  EXPECT_FALSE(isSubmapOf(full, sparse));
  EXPECT_FALSE(isSubmapOf(full, delete_(key(31), full)));
  EXPECT_FALSE(isSubmapOf(sparse, mapOf({{key(3), 3}})));
}

TEST(Submap, HelpersOnArrays) {
  using Pairs = array::Array<L<Key, int>>;
  const Map ab = mapOf({{key(1, 9), 1}, {key(2, 9), 2}});
  const Map ba = mapOf({{key(2, 9), 2}, {key(1, 9), 1}});
  auto equal = [](int x, int y) { return x == y; };
  EXPECT_TRUE(subsetArray(equal, ab.bucketArray(), ba.bucketArray()));
  EXPECT_TRUE(subsetArray(equal, Pairs(), ba.bucketArray()));
  EXPECT_FALSE(subsetArray(equal, ab.bucketArray(), Pairs()));

  const Map s1 = mapOf({{key(3), 3}, {key(7), 7}});
  const Map s2 = mapOf({{key(3), 3}, {key(5), 5}, {key(7), 7}});
  std::vector<std::int64_t> tested;
  auto child = [&tested](const Map& c1, const Map& c2) {
    tested.push_back(c1.leaf().key.id);
    return c1.leaf().key == c2.leaf().key;
  };
  EXPECT_TRUE(submapBitmapIndexed(child, s1.bitmap(), s1.childArray(), s2.bitmap(), s2.childArray()));
  EXPECT_EQ(tested, (std::vector<std::int64_t>{3, 7}));
  EXPECT_FALSE(submapBitmapIndexed(child, s2.bitmap(), s2.childArray(), s1.bitmap(), s1.childArray()));
}

}  // namespace
}  // namespace hashgrove::internal
