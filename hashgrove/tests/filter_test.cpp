// The filter family: results against a model, node compaction (branches
// collapsing onto a surviving leaf, Full nodes losing children, buckets
// shrinking to a leaf), reuse of kept leaves, partial mapping and composition.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
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
using testing::sameShape;
using testing::trieOrder;
using Map = HashMap<Key, int>;

template <class V>
std::vector<std::pair<std::int64_t, V>> contents(const HashMap<Key, V>& m) {
  std::vector<std::pair<std::int64_t, V>> out;
  for (const auto& [k, v] : m) out.push_back({k.id, v.force()});
  return out;
}

template <class V>
std::vector<std::int64_t> idsIn(const HashMap<Key, V>& m) {
  std::vector<std::int64_t> out;
  for (const auto& [k, v] : m) out.push_back(k.id);
  return out;
}

RC_GTEST_PROP(Filtering, KeepsExactlyTheChosenPairsInTrieOrderAndStaysValid, ()) {
  const Pairs ps = *testing::genPairs();
  const int modulus = *rc::gen::inRange(1, 5);
  const Map m = build(ps);
  std::vector<std::pair<std::int64_t, int>> kept, halved;
  for (const auto& [k, v] : trieOrder(ps)) {
    if (v % modulus == 0) kept.push_back({k.id, v});
    if (k.id % 2 == 0) halved.push_back({k.id, v / 2});
  }
  const Map filtered = filter([&](int v) { return v % modulus == 0; }, m);
  RC_ASSERT(testing::isValid(filtered));
  RC_ASSERT(contents(filtered) == kept);
  const Map byKey = filterWithKey([](const Key& k, const Lazy<int>&) { return k.id % 2 == 0; }, m);
  const auto mapped =
      mapMaybeWithKey([](const Key& k, int v) { return k.id % 2 == 0 ? std::optional<int>(v / 2) : std::nullopt; }, m);
  RC_ASSERT(testing::isValid(mapped));
  RC_ASSERT(contents(mapped) == halved);
  std::vector<std::int64_t> halvedIds;
  for (const auto& p : halved) halvedIds.push_back(p.first);
  RC_ASSERT(idsIn(byKey) == halvedIds);
}

TEST(Filtering, KeepingEverythingRebuildsBranchesAndBucketsButKeepsLeaves) {
  Pairs ps = testing::consecutive(32);
  ps.push_back({key(32), 32});
  ps.push_back({key(300, 9), 300});  // a bucket with key 9
  ps.push_back({key(301, 9), 301});
  const Map m = build(ps);
  const Map all = filter([](int) { return true; }, m);
  ASSERT_EQ(all.kind(), Kind::Full);
  EXPECT_TRUE(sameShape(m, all));
  EXPECT_NE(all.node(), m.node());
  EXPECT_EQ(all.child(5).node(), m.child(5).node());    // a Leaf, reused
  EXPECT_NE(all.child(0).node(), m.child(0).node());    // a branch, rebuilt
  ASSERT_EQ(m.child(9).kind(), Kind::Collision);
  EXPECT_NE(all.child(9).node(), m.child(9).node());    // a bucket, rebuilt
  EXPECT_EQ(idsIn(all.child(9)), (std::vector<std::int64_t>{9, 300, 301}));
}

TEST(Filtering, FullNodeStaysFullOnlyWhenAllChildrenSurvive) {
  const Map m = build(testing::consecutive(32));
  const Map lost = filter([](int v) { return v != 17; }, m);
  ASSERT_EQ(lost.kind(), Kind::BitmapIndexed);
  EXPECT_EQ(lost.bitmap(), 0xffffffffULL & ~(1ULL << 17));
  EXPECT_EQ(lost.childCount(), 31);
  EXPECT_TRUE(testing::isValid(lost));
  // A BitmapIndexed node that keeps all its 31 children also gains nothing.
  EXPECT_EQ(filter([](int) { return true; }, lost).bitmap(), lost.bitmap());
}

TEST(Filtering, ABranchLeftWithOneLeafCollapsesOntoIt) {
  // Root bits {0, 1}; under bit 0 a branch of keys 0, 32, 64 (level-1
  // fragments 0, 1, 2).
  const Map m = build(Pairs{{key(0), 0}, {key(32), 32}, {key(64), 64}, {key(1), 1}});
  struct Case {
    const char* what;
    std::vector<int> keep;
    Kind rootKind;
    std::int64_t rootChildren;  // for a branch root
  };
  const Case cases[] = {
      {"one deep leaf rises to the root", {64}, Kind::Leaf, 0},
      {"a surviving branch stays under a one-bit node", {32, 64}, Kind::BitmapIndexed, 1},
      {"two leaves under the root", {0, 1}, Kind::BitmapIndexed, 2},
      {"nothing survives", {}, Kind::Empty, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Map r = filter([&](int v) { return std::find(c.keep.begin(), c.keep.end(), v) != c.keep.end(); }, m);
    EXPECT_TRUE(testing::isValid(r));
    ASSERT_EQ(r.kind(), c.rootKind);
    if (c.rootKind == Kind::BitmapIndexed) {
      EXPECT_EQ(r.childCount(), c.rootChildren);
    }
    if (c.rootKind == Kind::Leaf) {
      EXPECT_EQ(r.node(), m.child(0).child(2).node());
    }
    if (c.rootKind == Kind::Empty) {
      EXPECT_EQ(r.node(), Map().node());
    }
    EXPECT_EQ(static_cast<std::size_t>(size(r)), c.keep.size());
  }
}

TEST(Filtering, BucketsShrinkInOrderAndBecomeALeafWithOnePair) {
  const Map three = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}, {key(3, 7), 3}});
  ASSERT_EQ(three.kind(), Kind::Collision);
  const Map one = filter([](int v) { return v == 2; }, three);
  ASSERT_EQ(one.kind(), Kind::Leaf);
  EXPECT_EQ(one.nodeHash(), 7u);
  EXPECT_EQ(one.leaf().key.id, 2);
  const Map two = filter([](int v) { return v != 2; }, three);
  ASSERT_EQ(two.kind(), Kind::Collision);
  EXPECT_EQ(idsIn(two), (std::vector<std::int64_t>{1, 3}));
  const Map pair = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}});
  const Map same = filter([](int) { return true; }, pair);
  ASSERT_EQ(same.kind(), Kind::Collision);
  EXPECT_NE(same.node(), pair.node());
  EXPECT_EQ(idsIn(same), (std::vector<std::int64_t>{1, 2}));
  // mapMaybe of a bucket down to one pair: a new Leaf with the new value.
  const auto mapped = mapMaybe([](int v) { return v == 3 ? std::optional<std::string>("three") : std::nullopt; }, three);
  ASSERT_EQ(mapped.kind(), Kind::Leaf);
  EXPECT_EQ(mapped.nodeHash(), 7u);
  EXPECT_EQ(mapped.leaf().value.force(), "three");
}

TEST(Filtering, EveryMemberOverEmptyGivesTheSharedEmptyNode) {
  const Map e;
  EXPECT_EQ(filter([](int) { return true; }, e).node(), e.node());
  EXPECT_EQ(mapMaybe([](int v) { return std::optional<int>(v); }, e).node(), e.node());
  EXPECT_EQ(filter([](int) { return false; }, build(testing::consecutive(50))).node(), e.node());
}

TEST(Filtering, PartialMappingStoresDeferredValuesUnevaluated) {
  const Map m = build(testing::consecutive(40));
  int calls = 0;
  const auto lazyValues = mapMaybe(
      [&](int v) {
        return std::optional<Lazy<int>>(Lazy<int>::defer([&calls, v] {
          ++calls;
          if (v == 3) throw std::runtime_error("three");
          return v * 10;
        }));
      },
      m);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(size(lazyValues), 40);
  EXPECT_EQ(lookup(key(4), lazyValues)->force(), 40);
  EXPECT_THROW(lookup(key(3), lazyValues)->force(), std::runtime_error);
  EXPECT_EQ(calls, 2);
  // The predicate itself runs during the call, once per pair, in trie order.
  std::vector<int> order;
  filter(
      [&](int v) {
        order.push_back(v);
        return true;
      },
      m);
  std::vector<int> expected;
  for (const auto& [k, v] : m) expected.push_back(v.force());
  EXPECT_EQ(order, expected);
}

TEST(Composition, SendsEachKeyThroughBothMaps) {
  HashMap<std::string, int> bc;
  bc = insert(std::string("one"), 1, bc);
  bc = insert(std::string("two"), Lazy<int>::defer([] { return 2; }), bc);
  HashMap<int, std::string> ab;
  ab = insert(10, std::string("one"), ab);
  ab = insert(20, std::string("two"), ab);
  ab = insert(30, std::string("three"), ab);
  const HashMap<int, int> ac = compose(bc, ab);
  EXPECT_EQ(size(ac), 2);
  EXPECT_EQ(lookup(10, ac)->force(), 1);
  EXPECT_FALSE(lookup(30, ac).has_value());
  // The value is bc's own stored object, not a copy or a new computation.
  EXPECT_TRUE(basis::identical(*lookup(20, ac), *lookup(std::string("two"), bc)));
  // An empty bc gives Empty without looking at ab's values.
  HashMap<int, std::string> failingAb = insert(1, Lazy<std::string>::defer([]() -> std::string {
                                                 throw std::runtime_error("not to be forced");
                                               }),
                                               ab);
  EXPECT_EQ(compose(HashMap<std::string, int>(), failingAb).kind(), Kind::Empty);
  EXPECT_EQ(compose(bc, HashMap<int, std::string>()).kind(), Kind::Empty);
  EXPECT_THROW(compose(bc, failingAb), std::runtime_error);
}

TEST(Composition, CompactsLikeTheFilter) {
  HashMap<std::int64_t, int> bc;
  bc = insert(std::int64_t{2}, 200, bc);
  HashMap<Key, std::int64_t> ab;
  ab = insert(key(1, 7), std::int64_t{1}, ab);
  ab = insert(key(2, 7), std::int64_t{2}, ab);
  ab = insert(key(3, 39), std::int64_t{3}, ab);  // shares fragment 7 with the bucket
  const auto ac = compose(bc, ab);
  ASSERT_EQ(ac.kind(), Kind::Leaf);
  EXPECT_EQ(ac.nodeHash(), 7u);
  EXPECT_EQ(ac.leaf().value.force(), 200);
}

TEST(FilterMapAux, RunsTheCallersStepsOverLeavesAndBucketPairs) {
  const Map m = build(Pairs{{key(1, 7), 1}, {key(2, 7), 2}, {key(3), 3}, {key(4), 4}});
  const auto r = filterMapAux(
      [](const Map& leaf) -> std::optional<Map> {
        if (leaf.leaf().value.force() == 3) return std::nullopt;
        return leaf;
      },
      [](const L<Key, int>& p) -> std::optional<L<Key, int>> {
        if (p.value.force() == 1) return std::nullopt;
        return L<Key, int>{p.key, p.value.force() * 10};
      },
      m);
  EXPECT_TRUE(testing::isValid(r));
  EXPECT_EQ(contents(r), (std::vector<std::pair<std::int64_t, int>>{{4, 4}, {2, 20}}));
}

}  // namespace
}  // namespace hashgrove::internal
