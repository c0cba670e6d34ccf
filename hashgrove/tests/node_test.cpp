// The node model: constants, hash fragments, builders, size and sharing.

#include <gtest/gtest.h>

#include <hashgrove/internal.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using Map = HashMap<Key, int>;

TEST(Node, KindOrdinalsAndConstantsAreFixed) {
  EXPECT_EQ(static_cast<int>(Kind::Empty), 0);
  EXPECT_EQ(static_cast<int>(Kind::BitmapIndexed), 1);
  EXPECT_EQ(static_cast<int>(Kind::Leaf), 2);
  EXPECT_EQ(static_cast<int>(Kind::Full), 3);
  EXPECT_EQ(static_cast<int>(Kind::Collision), 4);
  EXPECT_EQ(bitsPerSubkey, 5);
  EXPECT_EQ(maxChildren, 32);
  EXPECT_EQ(subkeyMask, 31u);
  EXPECT_EQ(fullBitmap, 0xffffffffu);
}

TEST(Node, FragmentArithmetic) {
  EXPECT_EQ(index(0xffffffffffffffffULL, 60), 15);
  EXPECT_EQ(index(0x1f, 0), 31);
  EXPECT_EQ(mask(0x1f, 0), Bitmap{1} << 31);
  EXPECT_EQ(index(0x3e0, 5), 31);
  EXPECT_EQ(sparseIndex(0xffffffff, Bitmap{1} << 31), 31);
  EXPECT_EQ(sparseIndex(0xdeadbeef, 1), 0);
  EXPECT_EQ(sparseIndex(0xa, 1 << 2), 1);  // bit 2 itself is not set
  EXPECT_EQ(nextShift(55), 60);
  EXPECT_EQ(hash(std::int64_t{-1}), 0xffffffffffffffffULL);
}

TEST(Node, EmptyAndSingleton) {
  Map e = empty<Key, int>();
  EXPECT_TRUE(null(e));
  EXPECT_EQ(size(e), 0);
  EXPECT_TRUE(ptrEq(e, Map()));  // one shared Empty node
  Map s = singleton(key(3), basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("forced"); }));
  EXPECT_FALSE(null(s));
  EXPECT_EQ(size(s), 1);
  EXPECT_EQ(s.kind(), Kind::Leaf);
  EXPECT_THROW(s.leaf().value.force(), std::runtime_error);
}

TEST(Node, SizeCountsBucketPairs) {
  Map m;
  for (int i = 0; i < 3; ++i) m = insert(key(i, 7), i, m);
  EXPECT_EQ(m.kind(), Kind::Collision);
  EXPECT_EQ(size(m), 3);
  EXPECT_EQ(m.size(), 3);
}

TEST(Node, BitmapIndexedOrFullPicksByTheWholeBitmap) {
  std::vector<Map> kids;
  for (int i = 0; i < 32; ++i) kids.push_back(singleton(key(i), i));
  auto all = array::fromList(32, kids);
  EXPECT_EQ(bitmapIndexedOrFull(fullBitmap, all).kind(), Kind::Full);
  auto some = array::fromList(31, std::vector<Map>(kids.begin(), kids.begin() + 31));
  Map b = bitmapIndexedOrFull(0x7fffffff, some);
  EXPECT_EQ(b.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(b.bitmap(), 0x7fffffffu);
  EXPECT_EQ(b.childCount(), 31);
}

TEST(Node, BuildingFromAFreshArrayCopiesNothing) {
  auto kids = array::pair(singleton(key(1), 1), singleton(key(2), 2));
  const void* block = kids.block();
  Map fresh = BitmapIndexed(0b110, std::move(kids));
  EXPECT_EQ(static_cast<const void*>(fresh.node()), block);
  // A shared array is copied, and the array keeps its contents.
  auto shared = array::pair(singleton(key(1), 1), singleton(key(2), 2));
  Map copied = BitmapIndexed(0b110, shared);
  EXPECT_NE(static_cast<const void*>(copied.node()), static_cast<const void*>(shared.block()));
  EXPECT_EQ(array::length(shared), 2);
  EXPECT_TRUE(ptrEq(copied.child(0), array::index(shared, 0)));
}

TEST(Node, ChildArrayAndBucketArrayShareTheNode) {
  Map m = insert(key(1), 1, insert(key(2), 2, Map()));
  auto kids = m.childArray();
  EXPECT_EQ(static_cast<const void*>(kids.block()), static_cast<const void*>(m.node()));
  EXPECT_EQ(array::length(kids), 2);
  Map c = insert(key(2, 9), 2, insert(key(1, 9), 1, Map()));
  auto pairs = c.bucketArray();
  EXPECT_EQ(array::index(pairs, 1).key.id, 2);
}

TEST(Node, CollisionAndLeafBuilders) {
  Map c = collision<Key, int>(5, L<Key, int>{key(1, 5), 1}, L<Key, int>{key(2, 5), 2});
  ASSERT_EQ(c.kind(), Kind::Collision);
  EXPECT_EQ(c.nodeHash(), 5u);
  EXPECT_EQ(c.bucketSize(), 2);
  EXPECT_EQ(c.bucket()[0].key.id, 1);
  Map l = Leaf<Key, int>(9, L<Key, int>{key(4), 4});
  EXPECT_EQ(l.nodeHash(), 9u);
  EXPECT_TRUE(isLeafOrCollision(l));
  EXPECT_TRUE(isLeafOrCollision(c));
  EXPECT_FALSE(isLeafOrCollision(Map()));
}

TEST(Node, LookupResToMaybe) {
  EXPECT_FALSE(lookupResToMaybe(Absent<int>()).has_value());
  auto r = lookupResToMaybe(Present<int>(7, -1));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->force(), 7);
  EXPECT_EQ(Present<int>(7, 3).tag(), LookupRes<int>::Tag::Present);
  EXPECT_EQ(Absent<int>().tag(), LookupRes<int>::Tag::Absent);
}

TEST(Node, CopiesShareAndTheLastReleaseFrees) {
  Map a = insert(key(1), 1, insert(key(2), 2, Map()));
  {
    Map b = a;
    EXPECT_TRUE(ptrEq(a, b));
    EXPECT_FALSE(a.isUniqueNode());
  }
  EXPECT_TRUE(a.isUniqueNode());
  Map moved = std::move(a);
  EXPECT_TRUE(null(a));  // NOLINT: a moved-from map is empty
  EXPECT_EQ(size(moved), 2);
}

TEST(Node, HashMapOfIsTheTagOfMaps) {
  static_assert(std::is_same_v<basis::tag_of<HashMap<int, char>>, HashMapOf<int>>);
  static_assert(std::is_same_v<HashMapOf<int>::apply<char>, HashMap<int, char>>);
}

}  // namespace
}  // namespace hashgrove::internal

namespace hashgrove::internal {
namespace {

TEST(Node, ADeepDamagedChainIsCountedAndFreedWithoutRecursion) {
  using M = HashMap<std::int64_t, int>;
  M chain = singleton(std::int64_t{0}, 0);
  for (int i = 0; i < 200000; ++i) chain = BitmapIndexed(1, array::singleton(chain));
  EXPECT_EQ(size(chain), 1);
  chain = M();  // frees 200001 nodes
  EXPECT_TRUE(null(chain));
}

TEST(Node, FragmentsPastTheHashAreZero) {
  EXPECT_EQ(index(~Hash{0}, 65), 0);
  EXPECT_EQ(mask(~Hash{0}, 70), Bitmap{1});
}

}  // namespace
}  // namespace hashgrove::internal
