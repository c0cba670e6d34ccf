// Lookup: every lookup, bucket positions, laziness and the `at` error.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/lazy.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using Map = HashMap<Key, int>;

basis::Lazy<int> failing() {
  return basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("value forced"); });
}

Map threeColliding() {
  Map m;
  for (int i = 1; i <= 3; ++i) m = insert(key(i, 99), i * 10, m);
  return m;
}

TEST(Lookup, EmptyMapHashesTheKeyAndFindsNothing) {
  Key::resetCounts();
  EXPECT_FALSE(lookup(key(1), Map()).has_value());
  EXPECT_EQ(Key::hashCalls, 1);
  EXPECT_EQ(Key::equalityCalls, 0);
  // A hash of 0 equals the empty node's unused word: still nothing found.
  EXPECT_FALSE(member(key(0), Map()));
  EXPECT_FALSE(lookupRecordCollision_raw(0, key(0), Map()));
  EXPECT_EQ(Key::equalityCalls, 0);
}

TEST(Lookup, ReportsLeafPositionMinusOneAndBucketSlot) {
  Map leaf = insert(key(4), 40, Map());
  auto r = lookupRecordCollision(4, key(4), leaf);
  ASSERT_TRUE(r.isPresent());
  EXPECT_EQ(r.position(), -1);
  EXPECT_EQ(r.value().force(), 40);

  Map bucket = threeColliding();
  ASSERT_EQ(bucket.kind(), Kind::Collision);
  auto hit = lookupRecordCollision_raw(99, key(3, 99), bucket);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit.position, 2);
  EXPECT_EQ(hit.value->force(), 30);
  EXPECT_FALSE(lookupRecordCollision(99, key(4, 99), bucket).isPresent());
}

TEST(Lookup, EqualHashDifferentKeyComparesOnce) {
  Map m = insert(key(1, 5), 1, Map());
  Key::resetCounts();
  EXPECT_FALSE(member(key(2, 5), m));
  EXPECT_EQ(Key::equalityCalls, 1);
}

TEST(Lookup, BucketSlotsAfterTheMatchAreNotCompared) {
  Map m = threeColliding();
  Key::resetCounts();
  EXPECT_TRUE(member(key(1, 99), m));
  EXPECT_EQ(Key::equalityCalls, 1);
}

TEST(Lookup, NeverForcesTheStoredValue) {
  Map m = insert(key(1), failing(), Map());
  EXPECT_TRUE(member(key(1), m));
  auto v = lookup(key(1), m);
  ASSERT_TRUE(v.has_value());
  EXPECT_FALSE(v->isEvaluated());
  EXPECT_THROW(v->force(), std::runtime_error);
  EXPECT_TRUE(atMaybe(m, key(1)).has_value());
}

TEST(Lookup, FindWithDefaultForcesOnlyWhatItReturns) {
  Map m = insert(key(1), 7, Map());
  EXPECT_EQ(findWithDefault(failing(), key(1), m), 7);
  EXPECT_EQ(lookupDefault(failing(), key(1), m), 7);
  EXPECT_EQ(findWithDefault(9, key(2), m), 9);
  EXPECT_EQ(lookupDefault(9, key(2), m), 9);
}

// Hashes built fragment by fragment: the first of the 13 any of 0..31 (so that
// a root of many keys is Full), every other one 0, 1, 30 or 31, so that paths
// share long prefixes, sparse nodes use their lowest and highest bitmap bits,
// and keys part as late as the last, four-bit fragment.
rc::Gen<std::uint64_t> pathHash() {
  return rc::gen::apply(
      [](std::uint64_t first, const std::vector<std::uint64_t>& rest) {
        std::uint64_t h = first;
        for (std::size_t i = 0; i < rest.size(); ++i) h |= rest[i] << (5 * (i + 1));
        return h;
      },
      rc::gen::inRange<std::uint64_t>(0, 32),
      rc::gen::container<std::vector<std::uint64_t>>(12, rc::gen::elementOf(std::vector<std::uint64_t>{0, 1, 30, 31})));
}

// Every lookup against the pairs the map was built from: key i has value i
// and the hash hashes[i % hashes.size()], so later keys collide with earlier
// ones; the first `present` keys are in the map (in input order, which is the
// order of a bucket), the others are probed as absent keys.
RC_GTEST_PROP(LookupModel, FindsExactlyThePresentKeysOnEveryShapeOfPath, ()) {
  const auto hashes = *rc::gen::nonEmpty(rc::gen::container<std::vector<std::uint64_t>>(pathHash()));
  const auto n = *rc::gen::inRange<std::size_t>(1, 3 * hashes.size() + 1);
  const auto present = *rc::gen::inRange<std::size_t>(0, n + 1);
  std::vector<Key> keys;
  std::vector<std::pair<Key, int>> pairs;
  for (std::size_t i = 0; i < n; ++i) {
    keys.push_back(key(static_cast<std::int64_t>(i), hashes[i % hashes.size()]));
    if (i < present) pairs.emplace_back(keys.back(), static_cast<int>(i));
  }
  const Map m = fromList(pairs);
  for (std::size_t i = 0; i < n; ++i) {
    const Key& k = keys[i];
    const auto found = lookup(k, m);
    const LookupHit<int> hit = lookupRecordCollision_raw(k.hash, k, m);
    RC_ASSERT(member(k, m) == (i < present));
    RC_ASSERT(found.has_value() == (i < present));
    RC_ASSERT(static_cast<bool>(hit) == (i < present));
    if (i >= present) continue;
    RC_ASSERT(found->force() == static_cast<int>(i));
    RC_ASSERT(hit.value->force() == static_cast<int>(i));
    // The position: -1 alone in a Leaf, else the rank among the present keys
    // of the same hash.
    const auto same = std::count_if(pairs.begin(), pairs.end(), [&](const auto& p) { return p.first.hash == k.hash; });
    const auto before = std::count_if(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(i),
                                      [&](const auto& p) { return p.first.hash == k.hash; });
    RC_ASSERT(hit.position == (same == 1 ? -1 : before));
  }
}

TEST(Lookup, AtRaisesKeyNotFoundWithItsCallSiteOnTop) {
  Map m = insert(key(1), 7, Map());
  EXPECT_EQ(at(m, key(1)), 7);
  const basis::CallSite callerSite{"lookupThing", "app", "Main", "Main.hs", 3, 1, 3, 9};
  try {
    (void)at(m, key(2), basis::CallStack{{callerSite}, false});
    FAIL() << "no exception";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.HashMap.Internal.(!): key not found");
    ASSERT_EQ(e.callStack().entries.size(), 2u);
    EXPECT_EQ(e.callStack().entries[0],
              (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal", "./Data/HashMap/Internal", 774, 16,
                               774, 21}));
    EXPECT_EQ(e.callStack().entries[1], callerSite);
  }
}

TEST(Lookup, AtLeavesAFrozenCallerChainUnchanged) {
  const basis::CallStack frozen{{basis::CallSite{"f", "app", "Main", "Main.hs", 1, 1, 1, 2}}, true};
  try {
    (void)at(Map(), key(2), frozen);
    FAIL() << "no exception";
  } catch (const basis::ErrorCall& e) {
    EXPECT_EQ(e.callStack(), frozen);
  }
}

TEST(Lookup, PublicModuleReexportsTheLookups) {
  auto m = lazy::insert(std::string("a"), 1, lazy::empty<std::string, int>());
  EXPECT_EQ(lazy::lookup("a", m)->force(), 1);
  EXPECT_TRUE(lazy::member("a", m));
  EXPECT_EQ(lazy::size(m), 1);
}

}  // namespace
}  // namespace hashgrove::internal
