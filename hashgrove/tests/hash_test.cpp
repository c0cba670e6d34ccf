// Hashing of maps: equal maps hash alike whatever their insertion order, the
// stored hashes stand for keys outside buckets, bucket pair hashes sort as
// signed integers, and the lifted form hashes keys itself.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include <basis/hashable.hpp>
#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using testing::build;
using testing::Key;
using testing::key;
using testing::Pairs;
using Map = HashMap<Key, int>;

std::int64_t mix(std::int64_t s, std::uint64_t x) {
  return static_cast<std::int64_t>(basis::hashWordWithSalt(static_cast<std::uint64_t>(s), x));
}

static_assert(basis::Hashable1Tag<HashMapOf<std::int64_t>>);

RC_GTEST_PROP(MapHashing, EqualMapsHashAlike, ()) {
  const Pairs ps = *testing::genPairs();
  Pairs reversed = testing::trieOrder(ps);
  std::reverse(reversed.begin(), reversed.end());
  const Map a = build(ps);
  const Map b = build(reversed);
  const std::int64_t salt = *rc::gen::arbitrary<std::int64_t>();
  RC_ASSERT(basis::hashWithSalt(salt, a) == basis::hashWithSalt(salt, b));
  RC_ASSERT(basis::hash(a) == basis::hash(b));
  auto hk = [](std::int64_t s, const Key& k) { return basis::hashWithSalt(s, k.id); };
  auto hv = [](std::int64_t s, const basis::Lazy<int>& v) { return basis::hashWithSalt(s, v.force()); };
  RC_ASSERT(liftHashWithSalt2(hk, hv, salt, a) == liftHashWithSalt2(hk, hv, salt, b));
}

TEST(MapHashing, FollowsTheStoredHashesAndTheMixingSteps) {
  const std::int64_t s = 12345;
  EXPECT_EQ(basis::hashWithSalt(s, Map()), s);
  EXPECT_EQ(basis::hash(Map()), basis::defaultSalt);
  // A leaf: its stored hash mixed in, then its value.
  const Map leaf = build(Pairs{{key(1, 77), 5}});
  EXPECT_EQ(basis::hashWithSalt(s, leaf), basis::hashWithSalt(mix(s, 77), 5));
  // Two leaves under a branch, in trie order: hash 33 (fragment 1) before
  // hash 2 (fragment 2).
  const Map two = build(Pairs{{key(1, 33), 5}, {key(2, 2), 6}});
  EXPECT_EQ(basis::hashWithSalt(s, two), basis::hashWithSalt(mix(basis::hashWithSalt(mix(s, 33), 5), 2), 6));
  // A bucket: its hash, then the pair hashes sorted as signed integers.
  const Map bucket = build(Pairs{{key(1, 7), 10}, {key(2, 7), 20}, {key(3, 7), 30}});
  const std::int64_t s1 = mix(s, 7);
  std::vector<std::int64_t> ph;
  for (const auto& [k, v] : bucket) ph.push_back(basis::hashWithSalt(basis::hashWithSalt(s1, k), v.force()));
  std::sort(ph.begin(), ph.end());
  ASSERT_TRUE(ph.front() < 0 || ph.back() >= 0);
  std::int64_t expected = s1;
  for (std::int64_t p : ph) expected = mix(expected, static_cast<std::uint64_t>(p));
  EXPECT_EQ(basis::hashWithSalt(s, bucket), expected);
  EXPECT_EQ(basis::hash(bucket), basis::hashWithSalt(basis::defaultSalt, bucket));
  EXPECT_EQ(std::hash<Map>{}(bucket), static_cast<std::size_t>(basis::hash(bucket)));
}

TEST(MapHashing, KeysOutsideBucketsAreNotHashedAgain) {
  Map m;
  for (int i = 0; i < 50; ++i) m = insert(key(i, static_cast<std::uint64_t>(i) * 1000003), i, m);
  Key::resetCounts();
  (void)basis::hash(m);
  EXPECT_EQ(Key::hashCalls, 0);
  int keyHashes = 0;
  const std::int64_t lifted = liftHashWithSalt2(
      [&](std::int64_t s, const Key& k) {
        ++keyHashes;
        return basis::hashWithSalt(s, k.id);
      },
      [](std::int64_t s, const basis::Lazy<int>& v) { return basis::hashWithSalt(s, v.force()); }, 9, m);
  EXPECT_EQ(keyHashes, 50);
  EXPECT_NE(lifted, basis::hashWithSalt(9, m));
  // The lifted form of an empty map is its salt.
  EXPECT_EQ(liftHashWithSalt2([](std::int64_t s, const Key&) { return s; },
                              [](std::int64_t s, const basis::Lazy<int>&) { return s; }, 9, Map()),
            9);
  // Through the lifted interfaces with the element types' own hashes.
  HashMap<std::int64_t, int> ints;
  ints = insert(std::int64_t{3}, 4, ints);
  EXPECT_EQ(basis::hashWithSalt2(17, ints),
            basis::hashWithSalt(basis::hashWithSalt(17, std::int64_t{3}), 4));
  EXPECT_EQ(basis::hashWithSalt1(17, ints), basis::hashWithSalt2(17, ints));
}

TEST(MapHashing, MapsCanKeyOtherMapsAndUnorderedSets) {
  const Map a = build(Pairs{{key(1), 1}, {key(2), 2}});
  const Map b = build(Pairs{{key(2), 2}, {key(1), 1}});
  std::unordered_set<Map> set{a, b, Map()};
  EXPECT_EQ(set.size(), 2u);
  HashMap<Map, int> ofMaps;
  ofMaps = insert(a, 1, ofMaps);
  ofMaps = insert(b, 2, ofMaps);
  EXPECT_EQ(size(ofMaps), 1);
  EXPECT_EQ(lookup(a, ofMaps)->force(), 2);
}

}  // namespace
}  // namespace hashgrove::internal
