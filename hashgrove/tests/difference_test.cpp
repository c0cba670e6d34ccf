// Difference of two maps: contents against a model, new nodes, bucket order
// and compaction, and the calls of the combining function.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <hashgrove/internal/difference.hpp>

#include "algebra_support.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using testing::algebra::genTwoSamples;
using testing::algebra::holdsExactly;
using testing::algebra::Map;
using testing::algebra::Model;

Map mapOf(std::initializer_list<std::pair<Key, int>> pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = insert(k, v, m);
  return m;
}

// True when no node of `result` is a node of `input`.
bool sharesNoNode(const Map& result, const Map& input) {
  std::vector<const void*> nodes;
  auto collect = [&nodes](const Map& m, auto& self) -> void {
    nodes.push_back(m.node());
    if (m.kind() == Kind::BitmapIndexed || m.kind() == Kind::Full) {
      for (std::int64_t i = 0; i < m.childCount(); ++i) self(m.child(i), self);
    }
  };
  collect(input, collect);
  bool shared = false;
  auto check = [&](const Map& m, auto& self) -> void {
    if (m.kind() != Kind::Empty && std::find(nodes.begin(), nodes.end(), m.node()) != nodes.end()) shared = true;
    if (m.kind() == Kind::BitmapIndexed || m.kind() == Kind::Full) {
      for (std::int64_t i = 0; i < m.childCount(); ++i) self(m.child(i), self);
    }
  };
  check(result, check);
  return !shared;
}

RC_GTEST_PROP(DifferenceModel, DifferenceKeepsTheKeysTheSecondMapLacks, ()) {
  const auto [a, b] = genTwoSamples();
  Model expected;
  for (const auto& [id, v] : a.model) {
    if (!b.model.count(id)) expected[id] = v;
  }
  const Map d = difference(a.map, b.map);
  RC_ASSERT(holdsExactly(d, expected));
  RC_ASSERT(sharesNoNode(d, a.map));
}

RC_GTEST_PROP(DifferenceModel, DifferenceWithKeepsWhatTheFunctionGives, ()) {
  const auto [a, b] = genTwoSamples();
  Model expected;
  for (const auto& [id, v] : a.model) {
    const auto it = b.model.find(id);
    if (it == b.model.end()) {
      expected[id] = v;
    } else if ((v + it->second) % 2 == 0) {
      expected[id] = v - it->second;
    }
  }
  auto f = [](int x, int y) -> std::optional<int> {
    if ((x + y) % 2 != 0) return std::nullopt;
    return x - y;
  };
  RC_ASSERT(holdsExactly(differenceWith(f, a.map, b.map), expected));
}

TEST(Difference, EmptySidesAndAMapLessItself) {
  const Map m = mapOf({{key(1), 1}, {key(33), 2}, {key(7), 3}, {key(100, 7), 4}});
  EXPECT_EQ(difference(Map(), m).kind(), Kind::Empty);
  EXPECT_EQ(difference(m, m).kind(), Kind::Empty);
  const Map same = difference(m, Map());
  EXPECT_EQ(size(same), 4);
  EXPECT_TRUE(debug::valid(same).isValid());
  EXPECT_TRUE(sharesNoNode(same, m));
  // The bucket keeps its order.
  const Map& bucket = same.child(1);
  ASSERT_EQ(bucket.kind(), Kind::Collision);
  EXPECT_EQ(bucket.bucket()[0].key.id, 7);
  EXPECT_EQ(bucket.bucket()[1].key.id, 100);
}

TEST(Difference, RemovingFromABucketKeepsTheOrderOrLeavesALeaf) {
  const Map three = mapOf({{key(1, 9), 1}, {key(2, 9), 2}, {key(3, 9), 3}});
  const Map d = difference(three, mapOf({{key(2, 9), 0}}));
  ASSERT_EQ(d.kind(), Kind::Collision);
  ASSERT_EQ(d.bucketSize(), 2);
  EXPECT_EQ(d.bucket()[0].key.id, 1);
  EXPECT_EQ(d.bucket()[1].key.id, 3);
  const Map two = mapOf({{key(1, 9), 1}, {key(2, 9), 2}});
  const Map leaf = difference(two, mapOf({{key(1, 9), 0}}));
  ASSERT_EQ(leaf.kind(), Kind::Leaf);
  EXPECT_EQ(leaf.leaf().key.id, 2);
  EXPECT_EQ(leaf.nodeHash(), 9u);
}

TEST(Difference, DifferenceWithCallsTheFunctionOncePerCommonKeyInTrieOrder) {
  std::vector<std::pair<int, std::string>> calls;
  auto f = [&calls](int x, const std::string& y) -> std::optional<basis::Lazy<int>> {
    calls.emplace_back(x, y);
    if (y == "drop") return std::nullopt;
    return basis::Lazy<int>(x + static_cast<int>(y.size()));
  };
  using Names = HashMap<Key, std::string>;
  Names b;
  b = insert(key(2), std::string("drop"), b);
  b = insert(key(33), std::string("keep"), b);
  b = insert(key(50), std::string("unused"), b);
  const Map a = mapOf({{key(1), 1}, {key(2), 2}, {key(33), 33}, {key(4), 4}});
  const Map d = differenceWith(f, a, b);
  EXPECT_EQ(calls, (std::vector<std::pair<int, std::string>>{{33, "keep"}, {2, "drop"}}));
  EXPECT_EQ(size(d), 3);
  EXPECT_EQ(lookup(key(33), d)->force(), 37);
  EXPECT_FALSE(member(key(2), d));
  EXPECT_EQ(lookup(key(4), d)->force(), 4);
}

TEST(Difference, ValuesAreNotEvaluated) {
  const auto failing = basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("value demanded"); });
  const Map a = insert(key(1), failing, mapOf({{key(2), 2}}));
  const Map d = difference(a, mapOf({{key(2), 0}}));
  EXPECT_EQ(size(d), 1);
  EXPECT_TRUE(basis::identical(*lookup(key(1), d), failing));
  // The function's result is stored as returned.
  const Map w = differenceWith([&](int, int) { return std::optional<basis::Lazy<int>>(failing); },
                               mapOf({{key(3), 3}}), mapOf({{key(3), 3}}));
  EXPECT_TRUE(basis::identical(*lookup(key(3), w), failing));
}

}  // namespace
}  // namespace hashgrove::internal
