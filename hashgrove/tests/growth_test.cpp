// Growing a branch during bulk building and insertion into a moved map: the
// only owner hands its children over to the grown node, and a node held
// elsewhere is copied, so the other holder keeps every child it had.

#include <gtest/gtest.h>

#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::key;
using Map = HashMap<testing::Key, int>;

// Keys 0..n-1 hash to distinct root fragments: one branch of n leaves.
Map rootOf(int n) {
  std::vector<std::pair<testing::Key, int>> pairs;
  for (int i = 0; i < n; ++i) pairs.emplace_back(key(i), i);
  return fromList(pairs);
}

bool holdsExactly(const Map& m, int n) {
  if (size(m) != n || !debug::valid(m).isValid()) return false;
  for (int i = 0; i < n; ++i) {
    const auto v = lookup(key(i), m);
    if (!v || v->force() != i) return false;
  }
  return true;
}

TEST(BranchGrowth, AnUnsharedBranchKeepsEveryChildAsItGrows) {
  Map m = rootOf(20);
  ASSERT_EQ(m.kind(), Kind::BitmapIndexed);
  for (int i = 20; i < 32; ++i) m = insert(key(i), i, std::move(m));
  EXPECT_EQ(m.kind(), Kind::Full);
  EXPECT_TRUE(holdsExactly(m, 32));
}

TEST(BranchGrowth, ASharedBranchIsCopiedAndTheOtherHolderKeepsItsChildren) {
  Map m = rootOf(20);
  const Map kept = m;
  Map grown = insert(key(20), 20, std::move(m));
  EXPECT_NE(static_cast<const void*>(grown.node()), static_cast<const void*>(kept.node()));
  EXPECT_TRUE(holdsExactly(kept, 20));
  EXPECT_TRUE(holdsExactly(grown, 21));
  // A branch shared with another map below a private root: it gains a child
  // in a copy, and the other map's branch is untouched.
  const Map first = fromList(std::vector<std::pair<testing::Key, int>>{{key(1), 1}, {key(1 + 32), 2}, {key(2), 3}});
  Map second = insert(key(3), 4, first);  // a new root; the branch at fragment 1 is shared
  second = insert(key(1 + 64), 5, std::move(second));
  EXPECT_EQ(size(first), 3);
  EXPECT_FALSE(member(key(1 + 64), first));
  EXPECT_TRUE(member(key(1 + 32), first));
  EXPECT_EQ(size(second), 5);
  EXPECT_TRUE(debug::valid(first).isValid());
  EXPECT_TRUE(debug::valid(second).isValid());
}

}  // namespace
}  // namespace hashgrove::internal
