// Insertion: node shapes, sharing and key replacement.

#include <gtest/gtest.h>

#include <hashgrove/internal.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using Map = HashMap<Key, int>;

TEST(Insertion, IntoEmptyGivesALeaf) {
  Map m = insert(key(7), 1, Map());
  ASSERT_EQ(m.kind(), Kind::Leaf);
  EXPECT_EQ(m.nodeHash(), 7u);
  EXPECT_EQ(m.leaf().key.id, 7);
  EXPECT_EQ(m.leaf().value.force(), 1);
}

TEST(Insertion, SecondKeyWithLowerFragmentGoesFirst) {
  Map m = insert(key(1), 10, insert(key(5), 50, Map()));
  ASSERT_EQ(m.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(m.bitmap(), (Bitmap{1} << 1) | (Bitmap{1} << 5));
  ASSERT_EQ(m.childCount(), 2);
  EXPECT_EQ(m.child(0).leaf().key.id, 1);
  EXPECT_EQ(m.child(1).leaf().key.id, 5);
}

TEST(Insertion, SameValueObjectReturnsTheSameMap) {
  auto v = basis::Lazy<int>::defer([] { return 3; });
  Map m = insert(key(2), v, insert(key(1), 1, Map()));
  Map again = insert(key(2), v, m);
  EXPECT_TRUE(ptrEq(m, again));
  Map other = insert(key(2), basis::Lazy<int>::defer([] { return 3; }), m);
  EXPECT_FALSE(ptrEq(m, other));
}

}  // namespace
}  // namespace hashgrove::internal

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using Map = HashMap<Key, int>;

// The chain of one-child branches from the root down to the first branch
// with more than one child; returns that branch and counts the levels.
const Map& firstFork(const Map& m, int& oneChildLevels) {
  const Map* t = &m;
  oneChildLevels = 0;
  while (t->kind() == Kind::BitmapIndexed && t->childCount() == 1) {
    ++oneChildLevels;
    t = &t->child(0);
  }
  return *t;
}

TEST(Insertion, SharedPrefixesGrowChainsOfOneChildBranches) {
  struct Case {
    const char* name;
    Hash a, b;
    int oneChildLevels;
    std::int64_t firstSlotOfA;  // 0 or 1 in the forking branch
  };
  const Case cases[] = {
      {"differ in bit 0", 0x0, 0x1, 0, 0},
      {"differ in bit 10", 0x0, 0x400, 2, 0},
      {"differ in bit 14, a higher", 0x4000, 0x0, 2, 1},
      {"differ only in bit 63", 0x5000000000000000ULL, 0xd000000000000000ULL, 12, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Map m = insert(key(2, c.b), 2, insert(key(1, c.a), 1, Map()));
    int levels = 0;
    const Map& fork = firstFork(m, levels);
    EXPECT_EQ(levels, c.oneChildLevels);
    ASSERT_EQ(fork.kind(), Kind::BitmapIndexed);
    ASSERT_EQ(fork.childCount(), 2);
    EXPECT_EQ(fork.child(c.firstSlotOfA).leaf().key.id, 1);
  }
}

TEST(Insertion, Bit63SplitsAtShift60IntoFragmentsFAndFPlus8) {
  Map m = insert(key(2, 0xd000000000000000ULL), 2, insert(key(1, 0x5000000000000000ULL), 1, Map()));
  int levels = 0;
  const Map& fork = firstFork(m, levels);
  EXPECT_EQ(fork.bitmap(), (Bitmap{1} << 5) | (Bitmap{1} << 13));
}

TEST(Insertion, EqualHashesShareABucketInArrivalOrder) {
  Map m = insert(key(2, 9), 20, insert(key(1, 9), 10, Map()));
  ASSERT_EQ(m.kind(), Kind::Collision);
  EXPECT_EQ(m.bucket()[0].key.id, 1);
  EXPECT_EQ(m.bucket()[1].key.id, 2);
  Map appended = insert(key(3, 9), 30, m);
  EXPECT_EQ(appended.bucket()[2].key.id, 3);
  Map replaced = insert(key(1, 9), 11, appended);
  ASSERT_EQ(replaced.bucketSize(), 3);
  EXPECT_EQ(replaced.bucket()[0].value.force(), 11);
  EXPECT_EQ(m.bucketSize(), 2);  // the old map is unchanged
}

TEST(Insertion, IntoABucketAlwaysBuildsANewBucket) {
  auto v = basis::Lazy<int>::defer([] { return 1; });
  Map m = insert(key(2, 9), 2, insert(key(1, 9), v, Map()));
  EXPECT_FALSE(ptrEq(m, insert(key(1, 9), v, m)));
}

TEST(Insertion, ReplacingStoresTheCallersKeyObject) {
  using testing::tagged;
  Map leaf = insert(tagged(1, 4, 2), 2, insert(tagged(1, 4, 1), 1, Map()));
  EXPECT_EQ(leaf.leaf().key.tag, 2);
  EXPECT_EQ(leaf.leaf().value.force(), 2);
  Map bucket = insert(key(2, 4), 0, insert(tagged(1, 4, 1), 1, Map()));
  Map replaced = insert(tagged(1, 4, 3), 3, bucket);
  EXPECT_EQ(replaced.bucket()[0].key.tag, 3);
}

TEST(Insertion, ABucketOfAnotherHashMovesDownBesideTheNewLeaf) {
  Map bucket = insert(key(2, 0x21), 2, insert(key(1, 0x21), 1, Map()));
  Map other = insert(key(3, 0x02), 3, bucket);  // fragment 2 vs 1 at shift 0
  ASSERT_EQ(other.kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(ptrEq(other.child(0), bucket));
  EXPECT_EQ(other.child(1).kind(), Kind::Leaf);
  Map same = insert(key(3, 0x41), 3, bucket);  // same fragment 1 at shift 0
  ASSERT_EQ(same.kind(), Kind::BitmapIndexed);
  ASSERT_EQ(same.childCount(), 1);
  EXPECT_EQ(same.child(0).childCount(), 2);
}

TEST(Insertion, ThirtySecondChildMakesAFullNode) {
  Map m;
  for (int i = 0; i < 31; ++i) m = insert(key(i), i, m);
  EXPECT_EQ(m.kind(), Kind::BitmapIndexed);
  m = insert(key(31), 31, m);
  ASSERT_EQ(m.kind(), Kind::Full);
  EXPECT_EQ(m.childCount(), 32);
  Map deeper = insert(key(32 + 7), 0, m);  // into child 7 of the Full node
  EXPECT_EQ(deeper.kind(), Kind::Full);
  EXPECT_TRUE(ptrEq(deeper.child(6), m.child(6)));
  EXPECT_FALSE(ptrEq(deeper.child(7), m.child(7)));
}

TEST(Insertion, InsertNewKeyNeverComparesKeys) {
  Map m = insert(key(2, 9), 2, insert(key(1, 9), 1, insert(key(3), 3, Map())));
  Key::resetCounts();
  Map n = insertNewKey<Key, int>(9, key(4, 9), 4, m);
  EXPECT_EQ(Key::equalityCalls, 0);
  EXPECT_EQ(size(n), 4);
  Map leafToBucket = insertNewKey<Key, int>(3, key(5, 3), 5, m);
  EXPECT_EQ(Key::equalityCalls, 0);
  EXPECT_EQ(lookup(key(5, 3), leafToBucket)->force(), 5);
}

TEST(Insertion, TwoRejectsEqualHashes) {
  Map leaf = insert(key(1, 5), 1, Map());
  EXPECT_THROW((two<Key, int>(0, 5, key(2, 5), 2, 5, leaf)), std::invalid_argument);
}

}  // namespace
}  // namespace hashgrove::internal
