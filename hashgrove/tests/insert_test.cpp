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
