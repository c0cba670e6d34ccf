// Equality of maps: insertion order and bucket order do not matter, the
// structural and the leaf-list walks, what each relation is called on, and
// the lifted equalities.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>
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
using Map = HashMap<Key, int>;

static_assert(basis::Eq1Tag<HashMapOf<int>>);

// The same pairs (last value per key) inserted in a shuffled order.
Pairs shuffledFinal(const Pairs& ps, unsigned seed) {
  Pairs finals = testing::trieOrder(ps);
  std::mt19937 g(seed);
  std::shuffle(finals.begin(), finals.end(), g);
  return finals;
}

RC_GTEST_PROP(MapEquality, HoldsWhateverTheInsertionOrder, ()) {
  const Pairs ps = *testing::genPairs();
  const Map a = build(ps);
  const Map b = build(shuffledFinal(ps, *rc::gen::arbitrary<unsigned>()));
  RC_ASSERT(a == b);
  RC_ASSERT(!(a != b));
  RC_ASSERT(equalKeys(a, b));
  RC_ASSERT(equalKeys1([](const Key& x, const Key& y) { return x == y; }, a, b));
  RC_ASSERT(liftEq2([](const Key& x, const Key& y) { return x == y; }, [](int x, int y) { return x == y; }, a, b));
  if (!ps.empty()) {
    const Map changed = insert(ps.front().first, 5000, a);
    RC_ASSERT(!(changed == a));
    RC_ASSERT(equalKeys(changed, a));
    const Map fewer = delete_(ps.front().first, a);
    RC_ASSERT(fewer != a);
    RC_ASSERT(!equalKeys(fewer, a));
  }
}

TEST(MapEquality, BucketsInDifferentOrdersAreEqual) {
  const Map a = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}, {key(3, 7), 3}, {key(4), 4}});
  const Map b = build(Pairs{{key(4), 4}, {key(3, 7), 3}, {key(1, 7), 1}, {key(2, 7), 2}});
  ASSERT_NE(a.child(1).bucket()[0].key.id, b.child(1).bucket()[0].key.id);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(liftEq2([](const Key& x, const Key& y) { return x == y; }, [](int x, int y) { return x == y; }, a, b));
  EXPECT_TRUE(basis::eq2(a, b));
  EXPECT_TRUE(basis::eq1(a, b));
}

TEST(MapEquality, EmptyMapsAreEqualAndDifferFromOthers) {
  const Map e;
  const Map one = build(Pairs{{key(1), 1}});
  auto keyEq = [](const Key& x, const Key& y) { return x == y; };
  auto valueEq = [](int x, int y) { return x == y; };
  EXPECT_TRUE(e == Map());
  EXPECT_TRUE(equalKeys(e, Map()));
  EXPECT_TRUE(equalKeys1(keyEq, e, Map()));
  EXPECT_TRUE(liftEq2(keyEq, valueEq, e, Map()));
  EXPECT_FALSE(e == one);
  EXPECT_FALSE(one == e);
  EXPECT_FALSE(equalKeys1(keyEq, e, one));
  EXPECT_FALSE(liftEq2(keyEq, valueEq, one, e));
}

TEST(MapEquality, WordDifferencesCallNoRelation) {
  // Different hashes: neither the keys' == nor the value relation runs, and a
  // failing value is never forced.
  Map a = insert(key(1, 10), failing(), Map());
  Map b = insert(key(2, 11), failing(), Map());
  Key::resetCounts();
  int valueCalls = 0;
  auto countingEq = [&](const Lazy<int>&, const Lazy<int>&) {
    ++valueCalls;
    return true;
  };
  EXPECT_FALSE(equal1(countingEq, a, b));
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(equalKeys1([&](const Key&, const Key&) { return ++valueCalls > 0; }, a, b));
  EXPECT_EQ(Key::equalityCalls, 0);
  EXPECT_EQ(valueCalls, 0);
  // Equal hashes, different keys: the keys are compared, the values are not.
  Map c = insert(key(3, 10), failing(), Map());
  EXPECT_FALSE(equal1(countingEq, a, c));
  EXPECT_EQ(valueCalls, 0);
  // Buckets of one hash and different lengths: the leaf-list walk decides
  // from the lengths alone.
  const Map two = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}});
  const Map three = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}, {key(3, 7), 3}});
  EXPECT_FALSE(liftEq2([&](const Key&, const Key&) { return ++valueCalls > 0; }, countingEq, two, three));
  EXPECT_EQ(valueCalls, 0);
}

TEST(MapEquality, SameKeysDifferentValues) {
  const Map a = build(Pairs{{key(1), 1}, {key(2), 2}});
  const Map b = build(Pairs{{key(1), 1}, {key(2), 3}});
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(equalKeys(a, b));
  EXPECT_FALSE(basis::eq1(a, b));
}

TEST(MapEquality, LeafListWalksTakeAnyRelation) {
  // Keys of different types: only hashes, positions and the relations count.
  HashMap<std::int64_t, int> ints;
  ints = insert(std::int64_t{5}, 1, ints);
  ints = insert(std::int64_t{6}, 2, ints);
  const Map keyed = build(Pairs{{key(50, 5), 10}, {key(60, 6), 20}});
  auto always = [](const auto&, const auto&) { return true; };
  EXPECT_TRUE(equalKeys1(always, ints, keyed));
  EXPECT_TRUE(liftEq2(always, [](int x, int y) { return y == 10 * x; }, ints, keyed));
  EXPECT_FALSE(liftEq2(always, [](int x, int y) { return y == x; }, ints, keyed));
  const Map otherHashes = build(Pairs{{key(50, 5), 10}, {key(70, 7), 20}});
  EXPECT_FALSE(equalKeys1(always, ints, otherHashes));
}

TEST(PairEquality, ComparesKeysBeforeValues) {
  const L<Key, int> a{key(1), failing()};
  const L<Key, int> b{key(2), failing()};
  EXPECT_TRUE(a != b);  // the keys differ: no value is forced
  const L<Key, int> c{key(1), 3};
  const L<Key, int> d{key(1), 3};
  EXPECT_TRUE(c == d);
  EXPECT_THROW((void)(a == L<Key, int>{key(1), 3}), std::runtime_error);
}

TEST(LeavesAndCollisions, ListsLeavesAndBucketsInTrieOrder) {
  const Map m = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}, {key(3), 3}, {key(32), 32}, {key(0), 0}});
  std::vector<Kind> kinds;
  std::vector<std::uint64_t> hashes;
  for (const Map& n : leavesAndCollisions(m)) {
    kinds.push_back(n.kind());
    hashes.push_back(n.nodeHash());
  }
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Leaf, Kind::Leaf, Kind::Leaf, Kind::Collision}));
  EXPECT_EQ(hashes, (std::vector<std::uint64_t>{0, 32, 3, 7}));
  EXPECT_TRUE(leavesAndCollisions(Map()).empty());
  const Map single = build(Pairs{{key(9), 9}});
  auto nodes = leavesAndCollisions(single);
  ASSERT_EQ(std::ranges::distance(nodes), 1);
  EXPECT_EQ(nodes.begin()->node(), single.node());
}

}  // namespace
}  // namespace hashgrove::internal
