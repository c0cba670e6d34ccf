// Union of two maps: contents against a model, node shapes, which key and
// node is kept, sharing, deferred combining, unionArrayBy, and the map's
// semigroup and monoid.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <basis/semigroup.hpp>
#include <hashgrove/internal/union.hpp>

#include "algebra_support.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using testing::tagged;
using testing::algebra::genTwoSamples;
using testing::algebra::holdsExactly;
using testing::algebra::Map;
using testing::algebra::Model;

basis::Lazy<int> failing() {
  return basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("value demanded"); });
}

Map mapOf(std::initializer_list<std::pair<Key, int>> pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = insert(k, v, m);
  return m;
}

// --- contents against the model ---------------------------------------------

RC_GTEST_PROP(UnionModel, LeftBiasedUnionHoldsEveryKeyWithTheLeftValue, ()) {
  const auto [a, b] = genTwoSamples();
  Model expected = b.model;
  for (const auto& [id, v] : a.model) expected[id] = v;
  RC_ASSERT(holdsExactly(union_(a.map, b.map), expected));
}

RC_GTEST_PROP(UnionModel, UnionWithCombinesCommonKeysLeftValueFirst, ()) {
  const auto [a, b] = genTwoSamples();
  Model expected = b.model;
  for (const auto& [id, v] : a.model) {
    const auto it = b.model.find(id);
    expected[id] = it == b.model.end() ? v : v * 1000 + it->second;
  }
  RC_ASSERT(holdsExactly(unionWith([](int x, int y) { return x * 1000 + y; }, a.map, b.map), expected));
}

RC_GTEST_PROP(UnionModel, UnionWithKeyPassesTheKeyAndBothValues, ()) {
  const auto [a, b] = genTwoSamples();
  Model expected = b.model;
  for (const auto& [id, v] : a.model) {
    const auto it = b.model.find(id);
    expected[id] = it == b.model.end() ? v : static_cast<int>(id) * 1000000 + v * 1000 + it->second;
  }
  auto f = [](const Key& k, int x, int y) { return static_cast<int>(k.id) * 1000000 + x * 1000 + y; };
  RC_ASSERT(holdsExactly(unionWithKey(f, a.map, b.map), expected));
}

RC_GTEST_PROP(UnionModel, UnionsOfSeveralMapsLetTheEarliestWin, ()) {
  const auto [a, b] = genTwoSamples();
  const auto c = testing::algebra::build(*testing::algebra::genPairs(), 3);
  Model expected = c.model;
  for (const auto& [id, v] : b.model) expected[id] = v;
  for (const auto& [id, v] : a.model) expected[id] = v;
  const std::vector<Map> maps{a.map, b.map, c.map};
  RC_ASSERT(holdsExactly(unions(maps), expected));
  RC_ASSERT(holdsExactly(basis::mconcat<Map>(maps), expected));
  RC_ASSERT(holdsExactly(basis::sconcat<Map>(maps), expected));
}

// --- sharing and identity ----------------------------------------------------

TEST(Union, WithAnEmptySideReturnsTheOtherMapItself) {
  const Map m = mapOf({{key(1), 1}, {key(33), 2}, {key(7), 3}});
  int calls = 0;
  auto f = [&calls](int x, int) {
    ++calls;
    return x;
  };
  EXPECT_TRUE(ptrEq(union_(m, Map()), m));
  EXPECT_TRUE(ptrEq(union_(Map(), m), m));
  EXPECT_TRUE(ptrEq(unionWith(f, m, Map()), m));
  EXPECT_TRUE(ptrEq(unionWith(f, Map(), m), m));
  EXPECT_TRUE(ptrEq(unionWithKey([&](const Key&, int x, int y) { return f(x, y); }, Map(), m), m));
  EXPECT_EQ(union_(Map(), Map()).kind(), Kind::Empty);
  EXPECT_EQ(calls, 0);
}

TEST(Union, OfAMapWithItselfKeepsItsLeavesAndRebuildsEveryBranch) {
  const Map m = mapOf({{key(1), 1}, {key(33), 2}, {key(7), 3}, {key(100, 7), 4}});
  const Map u = union_(m, m);
  EXPECT_EQ(size(u), 4);
  ASSERT_EQ(u.kind(), Kind::BitmapIndexed);
  EXPECT_FALSE(ptrEq(u, m));
  // Fragment 1 holds the branch of keys 1 and 33; fragment 7 the bucket of
  // keys 7 and 100.
  ASSERT_EQ(u.childCount(), 2);
  EXPECT_FALSE(ptrEq(u.child(0), m.child(0)));
  EXPECT_TRUE(ptrEq(u.child(0).child(0), m.child(0).child(0)));
  EXPECT_TRUE(ptrEq(u.child(0).child(1), m.child(0).child(1)));
  ASSERT_EQ(u.child(1).kind(), Kind::Collision);
  EXPECT_FALSE(ptrEq(u.child(1), m.child(1)));

  const Map w = unionWithKey([](const Key& k, int x, int y) { return static_cast<int>(k.id) + x + y; }, m, m);
  EXPECT_FALSE(ptrEq(w.child(0).child(0), m.child(0).child(0)));
  EXPECT_EQ(lookup(key(33), w)->force(), 33 + 2 + 2);
  EXPECT_EQ(lookup(key(100, 7), w)->force(), 100 + 4 + 4);
}

TEST(Union, SharesTheSubtreesThatOnlyOneMapHas) {
  const Map left = mapOf({{key(1), 1}, {key(33), 2}});
  const Map right = mapOf({{key(2), 3}, {key(34), 4}});
  const Map u = union_(left, right);
  ASSERT_EQ(u.kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(ptrEq(u.child(0), left.child(0)));   // the branch of fragment 1
  EXPECT_TRUE(ptrEq(u.child(1), right.child(0)));  // the branch of fragment 2
}

// A leaf-like node that meets a Full node travels down by its fields: where it
// lands unchanged, a copy lands; where two equal keys meet there, the left
// pair comes back in a new Leaf.
TEST(Union, ALeafMeetingAFullNodeIsPlacedAsACopy) {
  Map full;
  for (int i = 0; i < 32; ++i) full = insert(key(i), i, full);
  ASSERT_EQ(full.kind(), Kind::Full);
  const Map lone = mapOf({{key(32), 99}});  // fragment 0, then 1 one level down
  const Map u = union_(lone, full);
  ASSERT_EQ(u.kind(), Kind::Full);
  ASSERT_EQ(u.child(0).kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(ptrEq(u.child(0).child(0), full.child(0)));
  EXPECT_FALSE(ptrEq(u.child(0).child(1), lone));
  EXPECT_EQ(u.child(0).child(1).leaf().value.force(), 99);

  const Map same = mapOf({{tagged(5, 5, 1), 50}});
  const Map v = union_(same, full);
  EXPECT_FALSE(ptrEq(v.child(5), same));
  EXPECT_FALSE(ptrEq(v.child(5), full.child(5)));
  EXPECT_EQ(v.child(5).leaf().key.tag, 1);
  EXPECT_EQ(v.child(5).leaf().value.force(), 50);

  // Below a sparse branch the left Leaf itself is kept.
  const Map sparse = mapOf({{key(5), 5}, {key(6), 6}});
  EXPECT_TRUE(ptrEq(union_(same, sparse).child(0), same));
}

// --- shapes ------------------------------------------------------------------

TEST(Union, TwoLeavesSplittingAtBitFiveGiveAOneChildBranchAboveTwoLeaves) {
  const Map low = mapOf({{key(0x00), 1}});
  const Map high = mapOf({{key(0x20), 2}});
  for (const Map& u : {union_(low, high), union_(high, low)}) {
    ASSERT_EQ(u.kind(), Kind::BitmapIndexed);
    EXPECT_EQ(u.bitmap(), 1u);
    ASSERT_EQ(u.childCount(), 1);
    const Map& inner = u.child(0);
    ASSERT_EQ(inner.kind(), Kind::BitmapIndexed);
    EXPECT_EQ(inner.bitmap(), 3u);
    EXPECT_EQ(inner.child(0).nodeHash(), 0x00u);
    EXPECT_EQ(inner.child(1).nodeHash(), 0x20u);
    EXPECT_TRUE(debug::valid(u).isValid());
  }
}

TEST(Union, BranchesCoveringEveryFragmentGiveAFullNode) {
  Map evens;
  Map odds;
  for (int i = 0; i < 32; i += 2) evens = insert(key(i), i, evens);
  for (int i = 1; i < 32; i += 2) odds = insert(key(i), i, odds);
  const Map u = union_(evens, odds);
  EXPECT_EQ(u.kind(), Kind::Full);
  EXPECT_TRUE(debug::valid(u).isValid());
  const Map full = union_(u, evens);
  EXPECT_EQ(union_(evens, u).kind(), Kind::Full);
  EXPECT_EQ(full.kind(), Kind::Full);
  // A leaf filling the last free fragment of a 31-child branch.
  Map most;
  for (int i = 0; i < 31; ++i) most = insert(key(i), i, most);
  ASSERT_EQ(most.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(union_(most, mapOf({{key(31), 31}})).kind(), Kind::Full);
  EXPECT_EQ(union_(mapOf({{key(31), 31}}), most).kind(), Kind::Full);
}

// Bucket merges: the order of the pairs, the key kept and the value stored,
// for union_ and for unionWithKey (whose f receives the key that is stored).
TEST(Union, BucketMergesKeepTheOrderAndTheKeyOfTheTable) {
  struct Stored {
    std::int64_t id;
    int tag;
    int leftBiased;  // the value union_ stores
    int combined;    // the value unionWithKey stores
  };
  struct Case {
    const char* name;
    Map left;
    Map right;
    std::vector<Stored> pairs;  // in bucket order
  };
  const Map leafA = mapOf({{tagged(1, 9, 1), 10}});
  const Map leafB = mapOf({{tagged(2, 9, 2), 20}});
  const Map bucketL = mapOf({{tagged(1, 9, 1), 10}, {tagged(3, 9, 1), 30}});
  const Map bucketR = mapOf({{tagged(4, 9, 2), 40}, {tagged(3, 9, 2), 31}, {tagged(5, 9, 2), 50}});
  // f records the tag of the key it receives, the left value, the right value.
  auto f = [](const Key& k, int x, int y) { return k.tag * 10000 + x * 100 + y; };
  const std::vector<Case> cases = {
      {"two leaves, unequal keys", leafA, leafB, {{1, 1, 10, 10}, {2, 2, 20, 20}}},
      {"left leaf, key not in right bucket",
       mapOf({{tagged(6, 9, 1), 60}}),
       bucketR,
       {{4, 2, 40, 40}, {3, 2, 31, 31}, {5, 2, 50, 50}, {6, 1, 60, 60}}},
      {"left leaf, key in right bucket",
       leafA,
       mapOf({{tagged(3, 9, 2), 31}, {tagged(1, 9, 2), 11}}),
       {{3, 2, 31, 31}, {1, 1, 10, 11011}}},
      {"left bucket, right leaf with a key in it",
       bucketL,
       mapOf({{tagged(1, 9, 2), 11}}),
       {{1, 2, 10, 21011}, {3, 1, 30, 30}}},
      {"left bucket, right leaf not in it", bucketL, leafB, {{1, 1, 10, 10}, {3, 1, 30, 30}, {2, 2, 20, 20}}},
      {"two buckets",
       bucketL,
       bucketR,
       {{1, 1, 10, 10}, {3, 1, 30, 13031}, {4, 2, 40, 40}, {5, 2, 50, 50}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Map biased = union_(c.left, c.right);
    const Map combined = unionWithKey(f, c.left, c.right);
    for (const Map* u : {&biased, &combined}) {
      ASSERT_EQ(u->kind(), Kind::Collision);
      ASSERT_EQ(u->bucketSize(), static_cast<std::int64_t>(c.pairs.size()));
      EXPECT_TRUE(debug::valid(*u).isValid());
      for (std::size_t i = 0; i < c.pairs.size(); ++i) {
        const L<Key, int>& p = u->bucket()[i];
        EXPECT_EQ(p.key.id, c.pairs[i].id);
        EXPECT_EQ(p.key.tag, c.pairs[i].tag);
        EXPECT_EQ(p.value.force(), u == &biased ? c.pairs[i].leftBiased : c.pairs[i].combined);
      }
    }
  }
}

TEST(Union, TwoLeavesOfEqualKeysKeepTheLeftKey) {
  const Map left = mapOf({{tagged(4, 4, 1), 1}});
  const Map right = mapOf({{tagged(4, 4, 2), 2}});
  EXPECT_TRUE(ptrEq(union_(left, right), left));
  int tagSeen = 0;
  const Map u = unionWithKey(
      [&tagSeen](const Key& k, int x, int y) {
        tagSeen = k.tag;
        return x - y;
      },
      left, right);
  EXPECT_EQ(u.leaf().key.tag, 1);
  EXPECT_EQ(u.leaf().value.force(), -1);
  EXPECT_EQ(tagSeen, 1);
}

// --- deferred combining --------------------------------------------------------

TEST(Union, CombiningIsDeferredUntilTheValueIsDemanded) {
  int calls = 0;
  auto f = [&calls](int x, int y) {
    ++calls;
    if (x == 2) throw std::runtime_error("combine failed");
    return x + y;
  };
  const Map left = mapOf({{key(1), 1}, {key(2), 2}, {key(3), 3}});
  const Map right = mapOf({{key(1), 10}, {key(2), 20}, {key(4), 40}});
  const Map u = unionWith(f, left, right);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lookup(key(1), u)->force(), 11);
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(lookup(key(2), u)->force(), std::runtime_error);
  EXPECT_EQ(lookup(key(4), u)->force(), 40);

  // Failing values are carried, not evaluated.
  const Map bad = insert(key(5), failing(), Map());
  const Map v = union_(bad, right);
  EXPECT_EQ(size(v), 4);
  EXPECT_THROW(lookup(key(5), v)->force(), std::runtime_error);
}

// The walk's unreachable paths raise fixed errors; valid maps never get there,
// so the raisers are checked directly.
TEST(Union, DefensiveErrorsCarryTheirTextsAndRaisingSite) {
  try {
    detail::throwUnionLeafHashCode();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "leafHashCode");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal",
                                                         "./Data/HashMap/Internal", 1673, 22, 1673, 27}));
  }
  try {
    detail::throwUnionPatternFailure();
  } catch (const basis::PatternMatchFail& e) {
    EXPECT_STREQ(e.what(), "Data/HashMap/Internal:(1605,5)-(1669,20)|function go");
  }
}

// --- unionArrayBy -----------------------------------------------------------------

TEST(UnionArrayBy, MergesTwoPackedArraysByBit) {
  using A = array::Array<int>;
  std::vector<std::pair<int, int>> calls;
  auto f = [&calls](const basis::Lazy<int>& x, const basis::Lazy<int>& y) {
    calls.emplace_back(x.force(), y.force());
    return basis::Lazy<int>(x.force() * 10 + y.force());
  };
  const A a1 = array::fromList(2, std::vector<int>{1, 2});
  const A a2 = array::fromList(2, std::vector<int>{3, 4});
  const A same = unionArrayBy(f, 0b101, 0b101, a1, a2);
  ASSERT_EQ(same.size(), 2);
  EXPECT_EQ(array::index(same, 0), 13);
  EXPECT_EQ(array::index(same, 1), 24);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 4}}));

  calls.clear();
  const A disjoint = unionArrayBy(f, 0b1001, 0b0110, a1, a2);
  ASSERT_EQ(disjoint.size(), 4);
  EXPECT_EQ(array::index(disjoint, 0), 1);
  EXPECT_EQ(array::index(disjoint, 1), 3);
  EXPECT_EQ(array::index(disjoint, 2), 4);
  EXPECT_EQ(array::index(disjoint, 3), 2);
  EXPECT_TRUE(calls.empty());

  EXPECT_EQ(unionArrayBy(f, 0, 0, A(), A()).size(), 0);
  EXPECT_THROW(unionArrayBy(f, 0b111, 0, a1, A()), std::out_of_range);
}

// --- semigroup and monoid ------------------------------------------------------

TEST(MapMonoid, StimesGivesEmptyTheMapItselfOrAnError) {
  const Map m = mapOf({{key(1), 1}, {key(2), 2}});
  EXPECT_EQ(basis::Semigroup<Map>::stimes(0, m).kind(), Kind::Empty);
  EXPECT_TRUE(ptrEq(basis::stimes(3, m), m));
  try {
    basis::Semigroup<Map>::stimes(-1, m);
    ADD_FAILURE() << "no error";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "stimesIdempotentMonoid: negative multiplier");
  }
}

TEST(MapMonoid, ConcatenationsOfNoneOrOneMap) {
  const Map m = mapOf({{key(1), 1}, {key(2), 2}});
  EXPECT_EQ(basis::mconcat<Map>(std::vector<Map>{}).kind(), Kind::Empty);
  EXPECT_EQ(unions(std::vector<Map>{}).kind(), Kind::Empty);
  EXPECT_TRUE(ptrEq(basis::mconcat<Map>(std::vector<Map>{m}), m));
  EXPECT_TRUE(ptrEq(basis::sconcat<Map>(std::vector<Map>{m}), m));
  EXPECT_TRUE(ptrEq(unions(std::vector<Map>{m}), m));
  EXPECT_TRUE(ptrEq(basis::mempty<Map>(), Map()));
  EXPECT_TRUE(ptrEq(basis::combine(m, Map()), m));
  EXPECT_TRUE(ptrEq(basis::mappend(Map(), m), m));
  EXPECT_THROW(basis::sconcat<Map>(std::vector<Map>{}), std::invalid_argument);
}

TEST(MapMonoid, TheEarliestMapWinsAKeyInAllThree) {
  const Map a = mapOf({{key(1), 1}});
  const Map b = mapOf({{key(1), 2}, {key(2), 2}});
  const Map c = mapOf({{key(1), 3}, {key(3), 3}});
  const std::vector<Map> maps{a, b, c};
  for (const Map& u : {unions(maps), basis::mconcat<Map>(maps), basis::sconcat<Map>(maps)}) {
    EXPECT_TRUE(holdsExactly(u, Model{{1, 1}, {2, 2}, {3, 3}}));
  }
}

}  // namespace
}  // namespace hashgrove::internal
