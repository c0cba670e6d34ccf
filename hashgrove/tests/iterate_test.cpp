// Iteration in trie order: range-for with structured bindings, the on-demand
// ranges toList, keys and elems, and walks of deep and large tries in
// constant stack.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <ranges>
#include <stdexcept>
#include <string>
#include <vector>

#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using basis::Lazy;
using testing::build;
using testing::failing;
using testing::Key;
using testing::key;
using testing::Pairs;
using testing::trieOrder;
using Map = HashMap<Key, int>;

static_assert(std::ranges::forward_range<Map>);
static_assert(std::ranges::forward_range<decltype(toList(Map()))>);
static_assert(std::ranges::forward_range<decltype(keys(Map()))>);
static_assert(std::ranges::forward_range<decltype(elems(Map()))>);
static_assert(std::same_as<std::ranges::range_reference_t<Map>, const L<Key, int>&>);
static_assert(std::same_as<std::ranges::range_reference_t<decltype(toList(Map()))>, std::pair<Key, Lazy<int>>>);

RC_GTEST_PROP(Iteration, RangesListThePairsInTrieOrder, ()) {
  const Pairs ps = *testing::genPairs();
  const Map m = build(ps);
  const auto expected = trieOrder(ps);
  Pairs viaFor;
  for (const auto& [k, v] : m) viaFor.push_back({k, v.force()});
  RC_ASSERT(testing::idsOf(viaFor) == testing::idsOf(expected));
  std::vector<int> expectedValues;
  for (const auto& p : expected) expectedValues.push_back(p.second);
  std::vector<int> values;
  for (const auto& p : viaFor) values.push_back(p.second);
  RC_ASSERT(values == expectedValues);

  Pairs viaToList;
  for (auto [k, v] : toList(m)) viaToList.push_back({k, v});
  RC_ASSERT(testing::idsOf(viaToList) == testing::idsOf(expected));
  std::vector<std::int64_t> keyIds;
  for (const Key& k : keys(m)) keyIds.push_back(k.id);
  RC_ASSERT(keyIds == testing::idsOf(expected));
  std::vector<int> elemValues;
  for (const Lazy<int>& v : elems(m)) elemValues.push_back(v);
  RC_ASSERT(elemValues == expectedValues);
  RC_ASSERT(std::ranges::distance(m) == size(m));
}

TEST(Iteration, EmptyMapHasNoPairs) {
  const Map m;
  EXPECT_EQ(m.begin(), m.end());
  EXPECT_TRUE(toList(m).empty());
  EXPECT_EQ(std::ranges::distance(keys(m)), 0);
}

TEST(Iteration, StructuredBindingsSeeTheStoredValueUnforced) {
  Map m = build(Pairs{{key(1), 10}});
  m = insert(key(2), failing(), m);
  int keysSeen = 0;
  for (const auto& [k, v] : m) {
    ++keysSeen;
    if (k.id == 1) {
      EXPECT_EQ(v.force(), 10);
    }
  }
  EXPECT_EQ(keysSeen, 2);
  // A range of pairs converts into standard containers; only forcing the
  // failing value fails.
  std::vector<std::pair<Key, Lazy<int>>> copied(toList(m).begin(), toList(m).end());
  ASSERT_EQ(copied.size(), 2u);
  EXPECT_THROW(copied[1].second.force(), std::runtime_error);
}

TEST(Iteration, IteratorsAndRangesOutliveTheirMap) {
  auto range = keys(build(testing::consecutive(100)));  // the map is a temporary
  auto it = range.begin();
  auto copy = it;  // a copy walks on its own
  ++copy;
  EXPECT_EQ((*it).id, 0);
  EXPECT_EQ((*copy).id, 32);  // the second key in trie order
  std::vector<std::int64_t> ids;
  for (; it != range.end(); ++it) ids.push_back((*it).id);
  EXPECT_EQ(ids.size(), 100u);
  auto pairIt = build(testing::consecutive(3)).begin();
  EXPECT_EQ(pairIt->key.id, 0);
  EXPECT_EQ((++pairIt)->value.force(), 1);
}

TEST(Iteration, WalksTheDeepestTriesAndLargeBuckets) {
  // Hashes equal in their low 60 bits differ only at the last level: a chain
  // of 12 one-child branches, then a 13th branch with both leaves, and below
  // one of them a bucket of 2000 colliding keys.
  const std::uint64_t low = 0x0abcdef012345678ULL;
  Pairs ps{{key(1, low), 1}, {key(2, low | (1ULL << 60)), 2}};
  for (int i = 0; i < 2000; ++i) ps.push_back({key(100 + i, low | (3ULL << 60)), i});
  const Map m = build(ps);
  ASSERT_TRUE(testing::isValid(m));
  std::vector<std::int64_t> ids;
  for (const auto& [k, v] : m) ids.push_back(k.id);
  ASSERT_EQ(ids.size(), 2002u);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 100);
  EXPECT_EQ(ids.back(), 2099);
}

TEST(Iteration, CoversAQuarterMillionPairs) {
  Map m;
  std::vector<std::pair<Key, int>> ps;
  ps.reserve(250000);
  for (int i = 0; i < 250000; ++i) ps.push_back({key(i, static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15ULL), 1});
  m = fromList(ps);
  std::int64_t count = 0;
  std::int64_t sum = 0;
  for (const auto& [k, v] : m) {
    ++count;
    sum += k.id;
  }
  EXPECT_EQ(count, 250000);
  EXPECT_EQ(sum, 249999LL * 250000LL / 2);
}

TEST(Iteration, BrokenTrieDeeperThanAnyHashAllowsIsRefusedNotOverrun) {
  // 14 one-child branches above a leaf: no 64-bit hash needs them.
  Map t = Leaf<Key, int>(0, L<Key, int>{key(0), 0});
  for (int i = 0; i < 14; ++i) t = BitmapIndexed<Key, int>(1, array::singleton(t));
  EXPECT_THROW((void)t.begin(), std::logic_error);
}

}  // namespace
}  // namespace hashgrove::internal
