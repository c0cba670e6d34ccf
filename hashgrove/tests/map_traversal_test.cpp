// Traversal of maps: the actions run in trie order, a stopping applicative
// computes no action after the failing one, an applicative of several
// results gets a root array per result, and the result keeps the input's
// shape.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <basis/applicative.hpp>
#include <basis/traversable.hpp>
#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using basis::Lazy;
using testing::build;
using testing::Key;
using testing::key;
using testing::Pairs;
using testing::sameShape;
using Map = HashMap<Key, int>;

static_assert(basis::TraversableTag<HashMapOf<Key>>);

// A Full root, a branch below one of its slots and a bucket in that branch:
// hashes 0..31 fill the root; 33 shares fragment 1 with 1; keys 200 and 201
// share hash 65, which also starts with fragment 1.
Map mixedShapes() {
  Pairs ps = testing::consecutive(32);
  ps.push_back({key(33), 33});
  ps.push_back({key(200, 65), 200});
  ps.push_back({key(201, 65), 201});
  return build(ps);
}

std::vector<int> valuesInTrieOrder(const Map& m) {
  std::vector<int> out;
  for (const auto& [k, v] : m) out.push_back(v.force());
  return out;
}

TEST(MapTraversal, ActionsRunInTrieOrderAndTheShapeIsKept) {
  const Map m = mixedShapes();
  ASSERT_EQ(m.kind(), Kind::Full);
  std::vector<int> seen;
  const auto result = traverseWithKey(
      [&seen](const Key& k, const Lazy<int>& v) {
        seen.push_back(v.force());
        return basis::Identity<std::string>{std::to_string(k.id) + ":" + std::to_string(v.force())};
      },
      m);
  EXPECT_EQ(seen, valuesInTrieOrder(m));
  EXPECT_TRUE(sameShape(m, result.value));
  EXPECT_TRUE(testing::isValid(result.value));
  for (const auto& [k, v] : result.value) EXPECT_EQ(v.force(), std::to_string(k.id) + ":" + std::to_string(k.id));

  // The bucket keeps its pair order.
  std::vector<std::int64_t> bucketIds;
  for (const auto& [k, v] : result.value)
    if (k.hash == 65) bucketIds.push_back(k.id);
  EXPECT_EQ(bucketIds, (std::vector<std::int64_t>{200, 201}));
}

TEST(MapTraversal, EmptyMapGivesPureOfTheEmptyMap) {
  int calls = 0;
  const auto result = traverse(
      [&calls](const Lazy<int>& v) {
        ++calls;
        return std::optional<int>(v.force());
      },
      Map());
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(null(*result));
  EXPECT_EQ(calls, 0);
}

TEST(MapTraversal, AStoppingApplicativeComputesNoActionAfterTheFailingOne) {
  const Map m = mixedShapes();
  const std::vector<int> order = valuesInTrieOrder(m);
  // Fail at a Leaf of the root, at a Leaf inside the nested branch, and at
  // each pair of the bucket.
  for (const int failAt : {order[3], 33, 200, 201}) {
    SCOPED_TRACE(failAt);
    std::vector<int> seen;
    const auto result = traverse(
        [&seen, failAt](const Lazy<int>& v) -> std::optional<int> {
          seen.push_back(v.force());
          if (v.force() == failAt) return std::nullopt;
          return v.force();
        },
        m);
    EXPECT_FALSE(result.has_value());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), failAt);
    EXPECT_EQ(seen, std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(seen.size())));
  }
}

TEST(MapTraversal, SeveralResultsGiveIndependentMaps) {
  // Two values in a bucket and one in a Leaf, two choices each.
  const Map m = build(Pairs{{key(1, 5), 1}, {key(2, 5), 2}, {key(3), 3}});
  const auto results = traverse([](const Lazy<int>& v) { return std::vector<int>{v.force(), -v.force()}; }, m);
  ASSERT_EQ(results.size(), 8u);
  const std::vector<int> order = valuesInTrieOrder(m);
  // The first action's choices are the outermost.
  for (std::size_t r = 0; r < results.size(); ++r) {
    SCOPED_TRACE(r);
    std::vector<int> expected = order;
    for (std::size_t i = 0; i < expected.size(); ++i)
      if ((r >> (expected.size() - 1 - i)) & 1) expected[i] = -expected[i];
    EXPECT_EQ(valuesInTrieOrder(results[r]), expected);
    EXPECT_TRUE(sameShape(m, results[r]));
  }
  // Each result's root array is built by a run of its own; nodes below it
  // may be shared by results that made the same choices there.
  for (std::size_t a = 0; a < results.size(); ++a) {
    EXPECT_TRUE(testing::isValid(results[a]));
    EXPECT_FALSE(testing::sharesANode(m, results[a]));
    for (std::size_t b = a + 1; b < results.size(); ++b) EXPECT_NE(results[a].node(), results[b].node());
  }
}

TEST(MapTraversal, SequenceAndTheTraversableSlotsAgreeWithTraverse) {
  const Map m = mixedShapes();
  const auto actions = map([](int v) { return std::optional<int>(v * 2); }, m);
  const auto sequenced = basis::sequenceA(actions);
  ASSERT_TRUE(sequenced.has_value());
  EXPECT_TRUE(sameShape(m, *sequenced));
  std::vector<int> doubled = valuesInTrieOrder(m);
  for (int& v : doubled) v *= 2;
  EXPECT_EQ(valuesInTrieOrder(*sequenced), doubled);

  const auto viaSlot = basis::traverse([](const Lazy<int>& v) { return std::optional<int>(v.force() * 2); }, m);
  ASSERT_TRUE(viaSlot.has_value());
  EXPECT_EQ(*viaSlot, *sequenced);
  const auto viaMapM = basis::mapM([](const Lazy<int>& v) { return std::optional<int>(v.force() * 2); }, m);
  ASSERT_TRUE(viaMapM.has_value());
  EXPECT_EQ(*viaMapM, *sequenced);
  const auto viaSequence = basis::sequence(actions);
  ASSERT_TRUE(viaSequence.has_value());
  EXPECT_EQ(*viaSequence, *sequenced);

  const auto withAFailure = insert(key(500), std::optional<int>(), actions);
  EXPECT_FALSE(basis::sequenceA(withAFailure).has_value());
}

}  // namespace
}  // namespace hashgrove::internal
