// The set operations: single elements with their identity results, bulk
// construction keeping the first of equal elements, the set algebra's
// left bias, filtering with compaction, mapping, the conversions from maps,
// and the folds' order and points of evaluation.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/lazy.hpp>
#include <hashgrove/internal/debug.hpp>
#include <hashgrove/set.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal::set {
namespace {

using testing::Key;
using testing::key;
using testing::tagged;
using Set = HashSet<Key>;

Set setOf(const std::vector<Key>& keys) { return fromList(keys); }

std::vector<std::int64_t> ids(const Set& s) {
  std::vector<std::int64_t> out;
  for (const Key& k : s) out.push_back(k.id);
  return out;
}

// The tag of the stored element equal to k (the stored object's identity).
int storedTag(const Set& s, const Key& k) {
  for (const Key& x : s)
    if (x.id == k.id) return x.tag;
  ADD_FAILURE() << "element " << k.id << " missing";
  return -1;
}

bool valid(const Set& s) { return debug::valid(s.asMap()).isValid(); }

TEST(SetElements, EmptySetHoldsNothing) {
  const Set s;
  EXPECT_TRUE(null(s));
  EXPECT_EQ(size(s), 0);
  EXPECT_TRUE(toList(s).empty());
  EXPECT_FALSE(member(key(3), s));
  EXPECT_TRUE(null(empty<Key>()));
  EXPECT_EQ(s.asMap().kind(), Kind::Empty);
  EXPECT_EQ(s.begin(), s.end());
}

TEST(SetElements, SingletonIsOneLeaf) {
  const Set s = singleton(key(7, 0x45));
  EXPECT_EQ(s.asMap().kind(), Kind::Leaf);
  EXPECT_EQ(s.asMap().nodeHash(), 0x45u);
  EXPECT_EQ(size(s), 1);
  EXPECT_TRUE(member(key(7, 0x45), s));
  EXPECT_FALSE(null(s));
}

TEST(SetElements, InsertingAPresentLeafElementReturnsTheSetItself) {
  const Set s = setOf({tagged(1, 1, 10), key(2), key(3)});
  const Set again = insert(tagged(1, 1, 20), s);
  EXPECT_TRUE(ptrEq(again, s));
  EXPECT_EQ(storedTag(again, key(1)), 10);
  EXPECT_TRUE(member(key(1), again));
  // The same holds for a set built by keysSet and by singleton.
  const Set one = singleton(key(5));
  EXPECT_TRUE(ptrEq(insert(key(5), one), one));
}

TEST(SetElements, InsertingIntoABucketReplacesInPlaceOfTheEqualElement) {
  const Set s = setOf({tagged(1, 9, 1), tagged(2, 9, 2), tagged(3, 9, 3)});
  ASSERT_EQ(s.asMap().kind(), Kind::Collision);
  const Set t = insert(tagged(1, 9, 4), s);
  EXPECT_FALSE(ptrEq(t, s));
  ASSERT_EQ(t.asMap().kind(), Kind::Collision);
  EXPECT_EQ(ids(t), (std::vector<std::int64_t>{1, 2, 3}));
  EXPECT_EQ(storedTag(t, key(1)), 4);
  EXPECT_EQ(storedTag(s, key(1)), 1);  // the old set is unchanged
  EXPECT_TRUE(valid(t));
}

TEST(SetElements, DeleteOfAnAbsentElementReturnsTheSetItself) {
  const Set s = setOf({key(1), key(2), key(33)});
  EXPECT_TRUE(ptrEq(delete_(key(4), s), s));
  EXPECT_TRUE(ptrEq(delete_(key(1, 33), s), s));  // same hash as 33, other element
  const Set t = delete_(key(2), s);
  EXPECT_EQ(ids(t), (std::vector<std::int64_t>{1, 33}));
  EXPECT_EQ(size(s), 3);
  // One of two bucket elements deleted leaves a Leaf with the bucket's hash.
  const Set bucket = setOf({key(1, 9), key(2, 9)});
  const Set left = delete_(key(2, 9), bucket);
  EXPECT_EQ(left.asMap().kind(), Kind::Leaf);
  EXPECT_EQ(left.asMap().nodeHash(), 9u);
}

TEST(SetElements, HashIsComputedBeforeTheSetIsLookedAt) {
  Key::resetCounts();
  const Set s;
  (void)insert(key(1), s);
  (void)delete_(key(1), s);
  (void)member(key(1), s);
  EXPECT_EQ(Key::hashCalls, 3);
  EXPECT_EQ(Key::equalityCalls, 0);
}

TEST(SetConstruction, FromListKeepsOneElementPerClassTheFirstInALeaf) {
  // Distinct hashes: the first occurrence stays. A bucket: each later equal
  // element takes the place of the stored one.
  const Set s = fromList(std::vector<Key>{tagged(1, 1, 1), tagged(2, 2, 1), tagged(1, 1, 2), tagged(5, 7, 1),
                                          tagged(6, 7, 1), tagged(5, 7, 2)});
  EXPECT_EQ(size(s), 4);
  EXPECT_EQ(storedTag(s, key(1)), 1);
  EXPECT_EQ(storedTag(s, key(5)), 2);
  EXPECT_EQ(ids(s), (std::vector<std::int64_t>{1, 2, 5, 6}));
  EXPECT_TRUE(valid(s));
  EXPECT_TRUE(null(fromList(std::vector<Key>{})));
}

TEST(SetConstruction, FromListForcesDeferredElementsAndStopsAtAFailingOne) {
  const std::vector<basis::Lazy<std::int64_t>> good{basis::Lazy<std::int64_t>(3),
                                                    basis::Lazy<std::int64_t>::defer([] { return std::int64_t{4}; })};
  const HashSet<std::int64_t> s = fromList(good);
  EXPECT_EQ(size(s), 2);
  EXPECT_TRUE(member(4, s));
  const std::vector<basis::Lazy<std::int64_t>> bad{basis::Lazy<std::int64_t>(1), testing::failing<std::int64_t>()};
  EXPECT_THROW(fromList(bad), std::runtime_error);
}

TEST(SetConstruction, FromListNIgnoresTheCount) {
  const std::vector<std::int64_t> xs{1, 2, 2, 3};
  EXPECT_EQ(fromListN(std::int64_t{-5}, xs), fromList(xs));
  EXPECT_EQ(size(fromListN(0, xs)), 3);
}

TEST(SetAlgebra, UnionAndIntersectionKeepTheLeftSetsObjects) {
  // 1 is a Leaf on both sides, 3 sits in a bucket on both sides.
  const Set a = setOf({tagged(1, 1, 1), tagged(2, 9, 1), tagged(3, 9, 1), tagged(4, 4, 1)});
  const Set b = setOf({tagged(1, 1, 2), tagged(3, 9, 2), tagged(6, 9, 2), tagged(5, 5, 2)});
  const Set u = union_(a, b);
  EXPECT_EQ(ids(u), (std::vector<std::int64_t>{1, 4, 5, 2, 3, 6}));
  EXPECT_EQ(storedTag(u, key(1)), 1);
  EXPECT_EQ(storedTag(u, key(3)), 1);
  EXPECT_EQ(storedTag(u, key(5)), 2);
  const Set i = intersection(a, b);
  EXPECT_EQ(ids(i), (std::vector<std::int64_t>{1, 3}));
  EXPECT_EQ(storedTag(i, key(1)), 1);
  EXPECT_EQ(storedTag(i, key(3)), 1);
  const Set d = difference(a, b);
  EXPECT_EQ(ids(d), (std::vector<std::int64_t>{4, 2}));
  EXPECT_TRUE(valid(u) && valid(i) && valid(d));
}

TEST(SetAlgebra, AnElementAloneInTheRightSetsLeafMeetingALeftBucketIsTheRightObject) {
  // The map algebra's rule for a right Leaf met inside a left bucket: the
  // result carries the right map's key (the equal element from s2).
  const Set a = setOf({tagged(2, 9, 1), tagged(3, 9, 1)});
  const Set b = setOf({tagged(3, 9, 2)});
  EXPECT_EQ(storedTag(union_(a, b), key(3)), 2);
  EXPECT_EQ(storedTag(intersection(a, b), key(3)), 2);
  EXPECT_EQ(storedTag(union_(b, a), key(3)), 2);
  EXPECT_EQ(storedTag(intersection(b, a), key(3)), 2);
}

TEST(SetAlgebra, UnionWithTheEmptySetIsTheSetItself) {
  const Set a = setOf({key(1), key(2)});
  EXPECT_TRUE(ptrEq(union_(a, Set()), a));
  EXPECT_TRUE(ptrEq(union_(Set(), a), a));
}

TEST(SetAlgebra, UnionsFoldsFromTheLeftKeepingTheEarliestSetsElement) {
  EXPECT_TRUE(null(unions(std::vector<Set>{})));
  const Set a = setOf({key(1), key(2)});
  EXPECT_TRUE(ptrEq(unions(std::vector<Set>{a}), a));
  const std::vector<Set> sets{setOf({tagged(1, 1, 1)}), setOf({tagged(1, 1, 2), key(2)}), setOf({tagged(2, 2, 3)})};
  const Set u = unions(sets);
  EXPECT_EQ(size(u), 2);
  EXPECT_EQ(storedTag(u, key(1)), 1);
  EXPECT_EQ(storedTag(u, key(2)), 0);
}

TEST(SetAlgebra, SubsetTestLooksAtElementsOnly) {
  const Set a = setOf({key(1), key(2, 9), key(3, 9)});
  const Set b = setOf({key(1), key(2, 9), key(3, 9), key(4)});
  struct Case {
    Set s1, s2;
    bool subset;
  };
  const Case cases[] = {
      {Set(), Set(), true}, {Set(), b, true}, {a, a, true},       {a, b, true},
      {b, a, false},        {a, Set(), false}, {setOf({key(3, 9), key(5, 9)}), b, false},
  };
  for (const Case& c : cases) EXPECT_EQ(isSubsetOf(c.s1, c.s2), c.subset) << ids(c.s1).size();
}

TEST(SetFilter, AlwaysTrueKeepsShapeLeavesAndPairsButBuildsNewBranches) {
  std::vector<Key> keys;
  for (int i = 0; i < 40; ++i) keys.push_back(key(i, static_cast<std::uint64_t>(i)));
  keys.push_back(key(100, 3));  // a bucket with 3
  const Set s = setOf(keys);
  const Set kept = filter([](const Key&) { return true; }, s);
  EXPECT_TRUE(testing::sameShape(kept.asMap(), s.asMap()));
  EXPECT_FALSE(ptrEq(kept, s));
  // Leaves are the input's own nodes; branches and the bucket are new.
  const auto& leaf = s.asMap().child(10);
  ASSERT_EQ(leaf.kind(), Kind::Leaf);
  EXPECT_EQ(kept.asMap().child(10).node(), leaf.node());
  const auto& branch = s.asMap().child(3);
  ASSERT_EQ(branch.kind(), Kind::BitmapIndexed);
  EXPECT_NE(kept.asMap().child(3).node(), branch.node());
  EXPECT_TRUE(null(filter([](const Key&) { return false; }, s)));
}

TEST(SetFilter, CallsThePredicateOncePerElementInTrieOrderAndCompacts) {
  std::vector<Key> keys;
  for (int i = 0; i < 32; ++i) keys.push_back(key(i));
  const Set full = setOf(keys);
  ASSERT_EQ(full.asMap().kind(), Kind::Full);
  std::vector<std::int64_t> seen;
  const Set thinned = filter(
      [&seen](const Key& k) {
        seen.push_back(k.id);
        return k.id != 7;
      },
      full);
  EXPECT_EQ(seen, ids(full));
  EXPECT_EQ(thinned.asMap().kind(), Kind::BitmapIndexed);
  EXPECT_EQ(thinned.asMap().bitmap(), 0xffffffffu & ~(1u << 7));
  EXPECT_TRUE(valid(thinned));
  // A bucket left with one element becomes a Leaf of the bucket's hash.
  const Set bucket = setOf({key(1, 9), key(2, 9)});
  const Set one = filter([](const Key& k) { return k.id == 2; }, bucket);
  EXPECT_EQ(one.asMap().kind(), Kind::Leaf);
  EXPECT_EQ(one.asMap().nodeHash(), 9u);
}

TEST(SetMap, AppliesFOncePerElementInTrieOrderAndCollapsesEqualImages) {
  const Set s = setOf({key(3), key(1), key(2, 9), key(4, 9)});
  std::vector<std::int64_t> seen;
  const HashSet<std::int64_t> images = map(
      [&seen](const Key& k) {
        seen.push_back(k.id);
        return k.id / 2;
      },
      s);
  EXPECT_EQ(seen, ids(s));
  EXPECT_EQ(size(images), 3);
  for (std::int64_t x : {0, 1, 2}) EXPECT_TRUE(member(x, images));
  EXPECT_EQ(size(map([](const Key&) { return 0; }, s)), 1);
  EXPECT_TRUE(null(map([](const Key&) { return 0; }, Set())));
  EXPECT_THROW(map([](const Key& k) -> int { if (k.id == 2) throw std::runtime_error("f"); return 0; }, s),
               std::runtime_error);
}

TEST(SetMaps, ConversionsShareTheMapAndKeysSetKeepsItsShape) {
  const Set s = setOf({key(1), key(2)});
  EXPECT_EQ(asMap(s).node(), s.asMap().node());
  EXPECT_EQ(toMap(s).node(), s.asMap().node());
  EXPECT_TRUE(ptrEq(fromMap(s.asMap()), s));
  HashMap<Key, std::string> m;
  for (int i = 0; i < 50; ++i) m = internal::insert(key(i, static_cast<std::uint64_t>(i % 40)), std::to_string(i), m);
  m = internal::insert(key(99), testing::failing<std::string>(), m);
  const Set keys = keysSet(m);
  EXPECT_TRUE(testing::sameShape(keys.asMap(), m));
  EXPECT_EQ(size(keys), internal::size(m));
  EXPECT_TRUE(valid(keys));
  // The keys set stores the shared unit, so a present element returns it.
  EXPECT_TRUE(ptrEq(insert(key(99), keys), keys));
}

TEST(SetFolds, ElementsInTrieOrderAndBucketsInBucketOrder) {
  // 1 and 33 share their lowest fragment; 5, 6 and 2 share the hash 2.
  const Set s = setOf({key(33), key(1), key(5, 2), key(6, 2), key(2)});
  const std::vector<std::int64_t> order{1, 33, 5, 6, 2};
  EXPECT_EQ(ids(s), order);
  std::vector<std::int64_t> listed;
  for (const Key& k : toList(s)) listed.push_back(k.id);
  EXPECT_EQ(listed, order);
  const auto cons = [](const Key& k, const basis::Lazy<std::vector<std::int64_t>>& rest) {
    std::vector<std::int64_t> out{k.id};
    out.insert(out.end(), rest.force().begin(), rest.force().end());
    return out;
  };
  EXPECT_EQ(foldr(cons, std::vector<std::int64_t>{}, s), order);
  const auto snoc = [](std::vector<std::int64_t> acc, const Key& k) {
    acc.push_back(k.id);
    return acc;
  };
  EXPECT_EQ(foldl_(snoc, std::vector<std::int64_t>{}, s), order);
  EXPECT_EQ(foldl([&](const basis::Lazy<std::vector<std::int64_t>>& acc, const Key& k) { return snoc(acc.force(), k); },
                  std::vector<std::int64_t>{}, s),
            order);
  std::vector<std::int64_t> calls;
  const std::int64_t sum = foldr_(
      [&calls](const Key& k, std::int64_t acc) {
        calls.push_back(k.id);
        return acc + k.id;
      },
      std::int64_t{0}, s);
  EXPECT_EQ(sum, 47);
  EXPECT_EQ(calls, (std::vector<std::int64_t>{2, 6, 5, 33, 1}));
}

TEST(SetFolds, DeferredFoldsStopWhereTheFunctionStops) {
  const Set s = setOf({key(1), key(2), key(3)});
  std::vector<std::int64_t> visited;
  const std::int64_t first = foldr(
      [&visited](const Key& k, const basis::Lazy<std::int64_t>&) {
        visited.push_back(k.id);
        return k.id;
      },
      testing::failing<std::int64_t>(), s);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(visited, (std::vector<std::int64_t>{1}));
  visited.clear();
  const std::int64_t last = foldl(
      [&visited](const basis::Lazy<std::int64_t>&, const Key& k) {
        visited.push_back(k.id);
        return k.id;
      },
      testing::failing<std::int64_t>(), s);
  EXPECT_EQ(last, 3);
  EXPECT_EQ(visited, (std::vector<std::int64_t>{3}));
}

TEST(SetFolds, EagerFoldsEvaluateTheInitialValueFirst) {
  const auto f = [](std::int64_t acc, const Key&) { return acc; };
  EXPECT_THROW(foldl_(f, testing::failing<std::int64_t>(), Set()), std::runtime_error);
  EXPECT_THROW(foldr_([](const Key&, std::int64_t acc) { return acc; }, testing::failing<std::int64_t>(), Set()),
               std::runtime_error);
  EXPECT_EQ(foldl_(f, std::int64_t{4}, Set()), 4);
}

TEST(SetFolds, LongFoldsUseNoStackPerElement) {
  std::vector<std::int64_t> xs;
  for (std::int64_t i = 0; i < 200000; ++i) xs.push_back(i);
  const HashSet<std::int64_t> s = fromList(xs);
  EXPECT_EQ(foldl_([](std::int64_t acc, std::int64_t x) { return acc + x; }, std::int64_t{0}, s),
            199999LL * 200000 / 2);
  EXPECT_EQ(foldr_([](std::int64_t x, std::int64_t acc) { return acc + x; }, std::int64_t{0}, s),
            199999LL * 200000 / 2);
  std::int64_t n = 0;
  for (std::int64_t x : toList(s)) n += x >= 0;
  EXPECT_EQ(n, 200000);
}

}  // namespace
}  // namespace hashgrove::internal::set
