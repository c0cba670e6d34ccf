// Intersection of two maps: contents against a model, the key and node kept
// in each kind of match, compaction of branches and buckets, the order of the
// combining function's arguments and when it runs.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <hashgrove/internal/intersection.hpp>

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

Map mapOf(std::initializer_list<std::pair<Key, int>> pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = insert(k, v, m);
  return m;
}

// --- contents against the model ---------------------------------------------

RC_GTEST_PROP(IntersectionModel, EveryMemberKeepsTheCommonKeys, ()) {
  const auto [a, b] = genTwoSamples();
  Model first;
  Model combined;
  Model keyed;
  for (const auto& [id, v] : a.model) {
    const auto it = b.model.find(id);
    if (it == b.model.end()) continue;
    first[id] = v;
    combined[id] = v * 1000 + it->second;
    keyed[id] = static_cast<int>(id) * 1000000 + v * 1000 + it->second;
  }
  auto f = [](int x, int y) { return x * 1000 + y; };
  auto g = [](const Key& k, int x, int y) { return static_cast<int>(k.id) * 1000000 + x * 1000 + y; };
  RC_ASSERT(holdsExactly(intersection(a.map, b.map), first));
  RC_ASSERT(holdsExactly(intersectionWith(f, a.map, b.map), combined));
  RC_ASSERT(holdsExactly(intersectionWithKey(g, a.map, b.map), keyed));
  RC_ASSERT(holdsExactly(intersectionWithKey_raw(g, a.map, b.map), keyed));
}

RC_GTEST_PROP(IntersectionModel, ValueTypesMayDiffer, ()) {
  const auto [a, b] = genTwoSamples();
  HashMap<Key, std::string> named;
  for (const auto& [id, v] : b.model) {
    named = insert(testing::algebra::idKey(id), std::to_string(v), named);
  }
  Model expected;
  for (const auto& [id, v] : a.model) {
    if (b.model.count(id)) expected[id] = v + static_cast<int>(std::to_string(b.model.at(id)).size());
  }
  auto f = [](int x, const std::string& s) { return x + static_cast<int>(s.size()); };
  RC_ASSERT(holdsExactly(intersectionWith(f, a.map, named), expected));
  Model kept;
  for (const auto& [id, v] : a.model) {
    if (b.model.count(id)) kept[id] = v;
  }
  RC_ASSERT(holdsExactly(intersection(a.map, named), kept));
}

// --- empty sides and identity ----------------------------------------------------

TEST(Intersection, AnEmptySideOrNoCommonKeyGivesTheEmptyMap) {
  const Map m = mapOf({{key(1), 1}, {key(2), 2}});
  EXPECT_EQ(intersection(m, Map()).kind(), Kind::Empty);
  EXPECT_EQ(intersection(Map(), m).kind(), Kind::Empty);
  EXPECT_EQ(intersection(m, mapOf({{key(3), 3}, {key(33), 3}})).kind(), Kind::Empty);
  // Two leaves of one hash and unequal keys; of unequal hashes, no key test.
  EXPECT_EQ(intersection(mapOf({{key(1, 7), 1}}), mapOf({{key(2, 7), 2}})).kind(), Kind::Empty);
  Key::resetCounts();
  EXPECT_EQ(intersection(mapOf({{key(1), 1}}), mapOf({{key(1, 33), 2}})).kind(), Kind::Empty);
  EXPECT_EQ(Key::equalityCalls, 0);
}

TEST(Intersection, OfAMapWithItselfKeepsItsLeavesAndPairsInNewBranches) {
  const Map m = mapOf({{key(1), 1}, {key(33), 2}, {key(7), 3}, {key(100, 7), 4}, {key(9), 5}});
  const Map r = intersection(m, m);
  EXPECT_EQ(size(r), 5);
  EXPECT_TRUE(debug::valid(r).isValid());
  ASSERT_EQ(r.kind(), Kind::BitmapIndexed);
  EXPECT_FALSE(ptrEq(r, m));
  EXPECT_FALSE(ptrEq(r.child(0), m.child(0)));
  EXPECT_TRUE(ptrEq(r.child(0).child(0), m.child(0).child(0)));
  EXPECT_TRUE(ptrEq(r.child(2), m.child(2)));  // the Leaf of key 9
  ASSERT_EQ(r.child(1).kind(), Kind::Collision);
  EXPECT_FALSE(ptrEq(r.child(1), m.child(1)));
  EXPECT_TRUE(basis::identical(r.child(1).bucket()[0].value, m.child(1).bucket()[0].value));
}

TEST(Intersection, AOneKeyFirstMapComesBackItself) {
  const Map one = mapOf({{key(40), 4}});
  const Map many = mapOf({{key(8), 8}, {key(40), 1}, {key(72), 2}});
  EXPECT_TRUE(ptrEq(intersection(one, many), one));
}

// --- the key and node of each match ------------------------------------------------

TEST(Intersection, ALeafOfTheSecondMapFoundInABranchStoresTheSecondKey) {
  const Map branch = mapOf({{tagged(1, 1, 1), 10}, {tagged(33, 33, 1), 20}});
  const Map leaf = mapOf({{tagged(33, 33, 2), 30}});
  const Map r = intersection(branch, leaf);
  ASSERT_EQ(r.kind(), Kind::Leaf);
  EXPECT_EQ(r.nodeHash(), 33u);
  EXPECT_EQ(r.leaf().key.tag, 2);
  EXPECT_EQ(r.leaf().value.force(), 20);
  int tagSeen = 0;
  const Map w = intersectionWithKey_raw(
      [&tagSeen](const Key& k, int x, int y) {
        tagSeen = k.tag;
        return x - y;
      },
      branch, leaf);
  EXPECT_EQ(tagSeen, 2);
  EXPECT_EQ(w.leaf().key.tag, 2);
  EXPECT_EQ(w.leaf().value.force(), -10);
  // The same from the other side: the first map's leaf, key and node.
  const Map back = intersection(leaf, branch);
  EXPECT_TRUE(ptrEq(back, leaf));
}

TEST(Intersection, BucketsOfEqualHashKeepTheFirstBucketsOrderAndKeys) {
  const Map abc = mapOf({{tagged(1, 9, 1), 1}, {tagged(2, 9, 1), 2}, {tagged(3, 9, 1), 3}});
  const Map ca = mapOf({{tagged(3, 9, 2), 30}, {tagged(1, 9, 2), 10}});
  const Map r = intersectionWith([](int x, int y) { return x + y; }, abc, ca);
  ASSERT_EQ(r.kind(), Kind::Collision);
  ASSERT_EQ(r.bucketSize(), 2);
  EXPECT_EQ(r.bucket()[0].key.id, 1);
  EXPECT_EQ(r.bucket()[1].key.id, 3);
  EXPECT_EQ(r.bucket()[0].key.tag, 1);
  EXPECT_EQ(r.bucket()[1].value.force(), 33);
  // One common key: a Leaf with the first bucket's key and the common hash.
  const Map one = intersection(abc, mapOf({{tagged(2, 9, 2), 0}, {tagged(5, 9, 2), 0}}));
  ASSERT_EQ(one.kind(), Kind::Leaf);
  EXPECT_EQ(one.nodeHash(), 9u);
  EXPECT_EQ(one.leaf().key.tag, 1);
  EXPECT_EQ(one.leaf().value.force(), 2);
  EXPECT_EQ(intersection(abc, mapOf({{key(5, 9), 0}, {key(6, 9), 0}})).kind(), Kind::Empty);
  // Buckets of different hashes: no key test at all.
  const Map otherHash = mapOf({{key(1, 41), 0}, {key(2, 41), 0}});
  Key::resetCounts();
  EXPECT_EQ(intersection(abc, otherHash).kind(), Kind::Empty);
  EXPECT_EQ(Key::equalityCalls, 0);
  // A Leaf against a bucket is found by its key.
  const Map leaf = mapOf({{tagged(2, 9, 2), 7}});
  EXPECT_EQ(intersection(abc, leaf).leaf().key.tag, 2);
  EXPECT_TRUE(ptrEq(intersection(leaf, abc), leaf));
}

// --- compaction -----------------------------------------------------------------

TEST(Intersection, ALoneSurvivorLeafOrBucketReplacesItsBranches) {
  // Keys 1 and 33 share fragment 1; only 33 survives: its Leaf, not a branch.
  const Map m1 = mapOf({{key(1), 1}, {key(33), 2}, {key(2), 3}});
  const Map m2 = mapOf({{key(33), 0}, {key(65), 0}, {key(3), 0}});
  const Map r = intersection(m1, m2);
  ASSERT_EQ(r.kind(), Kind::Leaf);
  EXPECT_EQ(r.leaf().key.id, 33);
  // A surviving branch stays below a one-bit BitmapIndexed node.
  const Map d1 = mapOf({{key(1), 1}, {key(33), 2}, {key(2), 3}});
  const Map d2 = mapOf({{key(1), 0}, {key(33), 0}, {key(4), 0}});
  const Map s = intersection(d1, d2);
  ASSERT_EQ(s.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(s.bitmap(), Bitmap{1} << 1);
  ASSERT_EQ(s.childCount(), 1);
  EXPECT_EQ(s.child(0).kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(debug::valid(s).isValid());
}

TEST(Intersection, TwoFullNodesStayFullOnlyWhenEveryChildSurvives) {
  Map all;
  for (int i = 0; i < 32; ++i) all = insert(key(i), i, all);
  ASSERT_EQ(all.kind(), Kind::Full);
  EXPECT_EQ(intersection(all, all).kind(), Kind::Full);
  Map other;
  for (int i = 0; i < 32; ++i) other = insert(key(i == 5 ? 64 + 5 : i), i, other);  // 69 has fragment 5
  ASSERT_EQ(other.kind(), Kind::Full);
  const Map r = intersection(all, other);
  ASSERT_EQ(r.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(r.bitmap(), fullBitmap & ~(Bitmap{1} << 5));
  EXPECT_TRUE(debug::valid(r).isValid());
}

// --- the combining function ------------------------------------------------------------

TEST(Intersection, DeferredMembersRunTheFunctionOnlyWhenAValueIsDemanded) {
  int calls = 0;
  auto failing = [&calls](int, int) -> int {
    ++calls;
    throw std::runtime_error("combine failed");
  };
  const Map m1 = mapOf({{key(1), 1}, {key(2), 2}});
  const Map m2 = mapOf({{key(2), 20}, {key(3), 30}});
  const Map r = intersectionWith(failing, m1, m2);
  const Map rk = intersectionWithKey([&](const Key&, int x, int y) { return failing(x, y); }, m1, m2);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(size(r), 1);
  EXPECT_THROW(lookup(key(2), r)->force(), std::runtime_error);
  EXPECT_THROW(lookup(key(2), rk)->force(), std::runtime_error);
  // The unwrapped member calls f during the intersection.
  EXPECT_THROW(intersectionWithKey_raw([&](const Key&, int x, int y) { return failing(x, y); }, m1, m2),
               std::runtime_error);
}

TEST(Intersection, TheUnwrappedMemberStoresWhatTheFunctionReturns) {
  const Map m1 = mapOf({{key(1), 1}, {key(2), 2}});
  const Map m2 = mapOf({{key(2), 20}});
  auto deferred = basis::Lazy<int>::defer([]() -> int { throw std::runtime_error("stored deferred"); });
  const Map r = intersectionWithKey_raw([&](const Key&, const basis::Lazy<int>&, const basis::Lazy<int>&) {
    return deferred;
  }, m1, m2);
  EXPECT_TRUE(basis::identical(*lookup(key(2), r), deferred));
}

// The searched key is always the first operand of `==`: a wildcard key only
// matches where it stands second.
TEST(Intersection, TheSearchedKeyIsTheFirstOperandOfEquality) {
  using testing::OneSidedKey;
  using M = HashMap<OneSidedKey, int>;
  const M wildLeaf = insert(OneSidedKey{2, 5, true}, 1, M());
  const M plainLeaf = insert(OneSidedKey{1, 5, false}, 2, M());
  // Rule: a Leaf of the first map is looked up in the second, its key first.
  EXPECT_EQ(intersection(plainLeaf, wildLeaf).kind(), Kind::Leaf);
  EXPECT_EQ(intersection(wildLeaf, plainLeaf).kind(), Kind::Empty);
  // A Leaf of the second map looked up in a branch of the first: its key first.
  const M branch = insert(OneSidedKey{3, 37, false}, 3, wildLeaf);  // fragments 5 and 5, split below
  EXPECT_EQ(intersection(branch, plainLeaf).kind(), Kind::Leaf);
}

}  // namespace
}  // namespace hashgrove::internal
