// Deletion: collapse shapes, sharing of absent keys, and operand order.

#include <gtest/gtest.h>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using Map = HashMap<Key, int>;

Map build(const std::vector<Key>& keys) {
  Map m;
  for (const Key& k : keys) m = insert(k, static_cast<int>(k.id), m);
  return m;
}

TEST(Deletion, CollapseShapes) {
  struct Case {
    const char* name;
    std::vector<Key> before;
    Key removed;
    Kind rootAfter;
    std::int64_t sizeAfter;
  };
  const Case cases[] = {
      {"only key of a leaf", {key(1)}, key(1), Kind::Empty, 0},
      {"two leaves: the other moves up", {key(1), key(2)}, key(1), Kind::Leaf, 1},
      {"bucket of two becomes a leaf", {key(1, 7), key(2, 7)}, key(2, 7), Kind::Leaf, 1},
      {"bucket of three stays a bucket", {key(1, 7), key(2, 7), key(3, 7)}, key(2, 7), Kind::Collision, 2},
      {"bucket under a branch moves up", {key(1, 7), key(2, 7), key(3, 8)}, key(3, 8), Kind::Collision, 2},
      {"other child is a branch: kept below a one-child branch",
       {key(1, 0x0), key(2, 0x20), key(3, 0x1)},
       key(3, 0x1),
       Kind::BitmapIndexed,
       2},
      {"three children keep a branch", {key(1), key(2), key(3)}, key(2), Kind::BitmapIndexed, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Map before = build(c.before);
    Map after = delete_(c.removed, before);
    EXPECT_EQ(after.kind(), c.rootAfter);
    EXPECT_EQ(size(after), c.sizeAfter);
    EXPECT_FALSE(member(c.removed, after));
    EXPECT_TRUE(debug::valid(after).isValid()) << basis::show(debug::valid(after));
    EXPECT_EQ(size(before), static_cast<std::int64_t>(c.before.size()));
  }
}

TEST(Deletion, BranchWithABranchChildKeepsItAsOnlyChild) {
  Map m = build({key(1, 0x0), key(2, 0x20), key(3, 0x1)});
  Map after = delete_(key(3, 0x1), m);
  ASSERT_EQ(after.kind(), Kind::BitmapIndexed);
  ASSERT_EQ(after.childCount(), 1);
  EXPECT_TRUE(ptrEq(after.child(0), m.child(0)));
}

TEST(Deletion, BucketRemainderKeepsItsOrderAndDissolvesToTheOtherPair) {
  Map m = build({key(1, 7), key(2, 7), key(3, 7)});
  Map two = delete_(key(2, 7), m);
  ASSERT_EQ(two.kind(), Kind::Collision);
  EXPECT_EQ(two.bucket()[0].key.id, 1);
  EXPECT_EQ(two.bucket()[1].key.id, 3);
  Map one = delete_(key(1, 7), two);
  ASSERT_EQ(one.kind(), Kind::Leaf);
  EXPECT_EQ(one.nodeHash(), 7u);
  EXPECT_EQ(one.leaf().key.id, 3);
}

TEST(Deletion, FromAFullNodeLeavesThirtyOneChildren) {
  std::vector<Key> keys;
  for (int i = 0; i < 32; ++i) keys.push_back(key(i));
  Map full = build(keys);
  ASSERT_EQ(full.kind(), Kind::Full);
  Map after = delete_(key(9), full);
  ASSERT_EQ(after.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(after.bitmap(), fullBitmap & ~(Bitmap{1} << 9));
  EXPECT_EQ(after.childCount(), 31);
  EXPECT_TRUE(ptrEq(after.child(9), full.child(10)));
}

TEST(Deletion, AnAbsentKeyReturnsTheSameMap) {
  Map m = build({key(1), key(2), key(3, 0x23), key(4, 0x23), key(5, 0x25)});
  const Key absent[] = {key(8), key(6, 0x23), key(5, 0x45), key(9, 0x25), key(3, 0x43)};
  for (const Key& k : absent) EXPECT_TRUE(ptrEq(delete_(k, m), m)) << k;
  EXPECT_TRUE(null(delete_(key(1), Map())));
}

TEST(Deletion, DeletePrimeTakesTheHash) {
  Map m = build({key(1, 7), key(2, 7)});
  EXPECT_EQ(size(delete_<Key, int>(7, key(1, 7), m)), 1);
  EXPECT_TRUE(ptrEq(delete_<Key, int>(8, key(1, 7), m), m));
}

TEST(Deletion, StoredKeyFirstAtALeafSearchedKeyFirstInABucket) {
  using testing::OneSidedKey;
  using M = HashMap<OneSidedKey, int>;
  const OneSidedKey stored{1, 5, false};
  const OneSidedKey wild{2, 5, true};
  M leaf = insert(stored, 1, M());
  EXPECT_TRUE(null(delete_(wild, leaf)));  // stored == wild holds
  M bucket = insert(OneSidedKey{3, 5, false}, 3, leaf);
  EXPECT_TRUE(ptrEq(delete_(wild, bucket), bucket));  // wild == stored does not
}

}  // namespace
}  // namespace hashgrove::internal
