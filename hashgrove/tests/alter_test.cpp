// Alteration, insert-with and adjust: the decision table, sharing, laziness
// and the position-steered workers.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using testing::tagged;
using Map = HashMap<Key, int>;
using LazyInt = basis::Lazy<int>;
using MaybeLazy = std::optional<LazyInt>;

LazyInt deferred(int x) {
  return LazyInt::defer([x] { return x; });
}
LazyInt failing() {
  return LazyInt::defer([]() -> int { throw std::runtime_error("forced"); });
}

// key(1) in a Leaf; key(2, 9) and key(3, 9) in a bucket.
struct Fixture {
  LazyInt one = deferred(1);
  LazyInt two = deferred(2);
  Map m = insert(key(3, 9), 3, insert(key(2, 9), two, insert(key(1), one, Map())));
};

TEST(Alter, DecisionTable) {
  Fixture f;
  // absent, Nothing: the map itself.
  EXPECT_TRUE(ptrEq(alter([](MaybeLazy) { return MaybeLazy(); }, key(5), f.m), f.m));
  // absent, Just: inserted.
  Map ins = alter([](MaybeLazy v) { return v ? v : MaybeLazy(7); }, key(5), f.m);
  EXPECT_EQ(lookup(key(5), ins)->force(), 7);
  // present, Nothing: removed (leaf and bucket).
  EXPECT_FALSE(member(key(1), alter([](MaybeLazy) { return MaybeLazy(); }, key(1), f.m)));
  Map noTwo = alter([](MaybeLazy) { return MaybeLazy(); }, key(2, 9), f.m);
  EXPECT_FALSE(member(key(2, 9), noTwo));
  EXPECT_TRUE(member(key(3, 9), noTwo));
  // present, Just the same object: the map itself, also in a bucket.
  EXPECT_TRUE(ptrEq(alter([](MaybeLazy v) { return v; }, key(1), f.m), f.m));
  EXPECT_TRUE(ptrEq(alter([](MaybeLazy v) { return v; }, key(2, 9), f.m), f.m));
  // present, Just another object: replaced.
  Map rep = alter([](MaybeLazy) { return MaybeLazy(deferred(1)); }, key(1), f.m);
  EXPECT_FALSE(ptrEq(rep, f.m));
  for (const Map& m : {ins, noTwo, rep}) EXPECT_TRUE(debug::valid(m).isValid());
}

TEST(Alter, ReplacingStoresTheKeyPassedAndRemovingFromAPairLeavesALeaf) {
  Map m = insert(tagged(2, 9, 0), 2, insert(tagged(1, 9, 0), 1, Map()));
  Map rep = alter([](MaybeLazy) { return MaybeLazy(5); }, tagged(2, 9, 7), m);
  EXPECT_EQ(rep.bucket()[1].key.tag, 7);
  Map leaf = alter([](MaybeLazy) { return MaybeLazy(); }, key(1, 9), m);
  ASSERT_EQ(leaf.kind(), Kind::Leaf);
  EXPECT_EQ(leaf.nodeHash(), 9u);
  EXPECT_EQ(leaf.leaf().key.id, 2);
}

TEST(Alter, HashesOnceAndComparesKeysOnlyInTheLookup) {
  Fixture f;
  Key::resetCounts();
  (void)alter([](MaybeLazy) { return MaybeLazy(4); }, key(3, 9), f.m);
  EXPECT_EQ(Key::hashCalls, 1);
  EXPECT_EQ(Key::equalityCalls, 2);  // the lookup's scan of the bucket
}

TEST(Update, ConsultsTheFunctionOnlyForAPresentKey) {
  Fixture f;
  int calls = 0;
  auto bump = [&](const LazyInt& v) {
    ++calls;
    return std::optional<int>(v.force() + 10);
  };
  EXPECT_TRUE(ptrEq(update(bump, key(9), f.m), f.m));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lookup(key(2, 9), update(bump, key(2, 9), f.m))->force(), 12);
  EXPECT_FALSE(member(key(1), update([](const LazyInt&) { return MaybeLazy(); }, key(1), f.m)));
  EXPECT_TRUE(ptrEq(update([](const LazyInt& v) { return MaybeLazy(v); }, key(1), f.m), f.m));
}

TEST(AlterF, WithTheOptionalFunctor) {
  Fixture f;
  auto none = alterF([](const auto&) { return std::optional<MaybeLazy>(); }, key(1), f.m);
  EXPECT_FALSE(none.has_value());
  auto some = alterF([](const auto&) { return std::optional<MaybeLazy>(MaybeLazy(8)); }, key(1), f.m);
  ASSERT_TRUE(some.has_value());
  EXPECT_EQ(lookup(key(1), *some)->force(), 8);
  auto eager = alterFEager([](const auto&) { return std::optional<MaybeLazy>(MaybeLazy()); }, key(1), f.m);
  ASSERT_TRUE(eager.has_value());
  EXPECT_FALSE(member(key(1), *eager));
}

TEST(AlterF, WithTheListFunctorBuildsOneMapPerAnswer) {
  Fixture f;
  auto answers = [](const basis::Lazy<MaybeLazy>& old) {
    return std::vector<MaybeLazy>{MaybeLazy(), old.force(), MaybeLazy(40)};
  };
  for (auto results : {alterF(answers, key(2, 9), f.m), alterFEager(answers, key(2, 9), f.m)}) {
    ASSERT_EQ(results.size(), 3u);
    EXPECT_FALSE(member(key(2, 9), results[0]));
    EXPECT_EQ(lookup(key(2, 9), results[1])->force(), 2);
    EXPECT_EQ(lookup(key(2, 9), results[2])->force(), 40);
    for (const Map& m : results) EXPECT_TRUE(debug::valid(m).isValid());
  }
}

TEST(AlterF, LooksUpOnlyWhenTheAnswerOrFunctionNeedsIt) {
  Fixture f;
  // An answer of a value that ignores its argument: no lookup, insert' only.
  Key::resetCounts();
  (void)alterF([](const auto&) { return basis::Identity<MaybeLazy>{MaybeLazy(5)}; }, key(1), f.m);
  EXPECT_EQ(Key::equalityCalls, 1);  // insert' at the Leaf
  Key::resetCounts();
  (void)alterFEager([](const auto&) { return basis::Identity<MaybeLazy>{MaybeLazy(5)}; }, key(1), f.m);
  EXPECT_EQ(Key::equalityCalls, 1);  // the lookup; then steered without comparing
  // The stored object of a bucket: alterFEager returns the map itself,
  // alterF rebuilds the bucket (insert' always does).
  auto same = [](const basis::Lazy<MaybeLazy>& old) { return basis::Identity<MaybeLazy>{old.force()}; };
  EXPECT_TRUE(ptrEq(alterFEager(same, key(2, 9), f.m).value, f.m));
  EXPECT_FALSE(ptrEq(alterF(same, key(2, 9), f.m).value, f.m));
  // Nothing for an absent key: the map itself.
  auto drop = [](const auto&) { return basis::Identity<MaybeLazy>{MaybeLazy()}; };
  EXPECT_TRUE(ptrEq(alterF(drop, key(8), f.m).value, f.m));
}

TEST(AlterF, AcceptsFunctionsOfThePlainOptionalValue) {
  Fixture f;
  auto inc = [](std::optional<int> v) { return std::optional<std::optional<int>>(v ? *v + 1 : 0); };
  EXPECT_EQ(lookup(key(1), *alterF(inc, key(1), f.m))->force(), 2);
  EXPECT_EQ(lookup(key(1), *alterFEager(inc, key(1), f.m))->force(), 2);
  EXPECT_EQ(lookup(key(7), *alterF(inc, key(7), f.m))->force(), 0);
}

TEST(AlterF, WeirdEntryIgnoresItsProbes) {
  Fixture f;
  auto g = [](const auto&) { return basis::Identity<MaybeLazy>{MaybeLazy(6)}; };
  Map weird = alterFWeird(failing(), test_bottom<int>(), g, key(1), f.m).value;
  EXPECT_EQ(lookup(key(1), weird)->force(), 6);
  EXPECT_EQ(size(weird), size(alterFEager(g, key(1), f.m).value));
}

TEST(AlterF, InternalErrorProbesRaiseTheirMessages) {
  for (int i = 0; i < 2; ++i) {
    try {
      (void)test_bottom<int>().force();
      FAIL();
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), "Data.HashMap.alterF internal error: hit test_bottom");
      EXPECT_EQ(e.callStack().entries.at(0),
                (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal", "./Data/HashMap/Internal", 1349, 15,
                                 1349, 20}));
    }
  }
  try {
    bogus_raw();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.HashMap.alterF internal error: hit bogus#");
    EXPECT_EQ(e.callStack().entries.at(0),
              (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal", "./Data/HashMap/Internal", 1354, 12,
                               1354, 17}));
  }
}

TEST(PositionSteeredWorkers, ReplaceAndRemoveWithoutComparingKeys) {
  Fixture f;
  Key::resetCounts();
  Map rep = insertKeyExists<Key, int>(1, 9, tagged(3, 9, 5), 33, f.m);
  EXPECT_EQ(Key::equalityCalls, 0);
  EXPECT_EQ(lookup(key(3, 9), rep)->force(), 33);
  Map leafRep = insertKeyExists<Key, int>(-1, 1, key(1), 11, f.m);
  EXPECT_EQ(lookup(key(1), leafRep)->force(), 11);
  Key::resetCounts();
  Map pos0 = deleteKeyExists<Key, int>(0, 9, key(2, 9), f.m);
  Map pos1 = deleteKeyExists<Key, int>(1, 9, key(3, 9), f.m);
  EXPECT_EQ(Key::equalityCalls, 0);
  EXPECT_FALSE(member(key(2, 9), pos0));
  EXPECT_TRUE(member(key(3, 9), pos0));
  EXPECT_FALSE(member(key(3, 9), pos1));
  EXPECT_TRUE(member(key(2, 9), pos1));
  for (const Map& m : {rep, leafRep, pos0, pos1}) EXPECT_TRUE(debug::valid(m).isValid());
}

TEST(PositionSteeredWorkers, BrokenPreconditionsStayInsideTheArrays) {
  Fixture f;
  // A negative position at a bucket: that subtree becomes Empty.
  Map negative = insertKeyExists<Key, int>(-1, 9, key(2, 9), 0, f.m);
  EXPECT_FALSE(member(key(2, 9), negative));
  // Positions past the bucket's end, and a hash leading to a missing child,
  // leave the nodes as they were.
  EXPECT_EQ(size(insertKeyExists<Key, int>(7, 9, key(2, 9), 0, f.m)), 3);
  Map three = insert(key(4, 9), 4, f.m);
  EXPECT_TRUE(ptrEq(deleteKeyExists<Key, int>(9, 9, key(2, 9), three).child(1), three.child(1)));
  EXPECT_TRUE(ptrEq(deleteKeyExists<Key, int>(-3, 9, key(2, 9), three).child(1), three.child(1)));
  EXPECT_EQ(size(deleteKeyExists<Key, int>(0, 31, key(31), f.m)), 3);
  EXPECT_EQ(size(insertKeyExists<Key, int>(0, 31, key(31), 0, f.m)), 3);
  // A damaged Full node of one child: fragment 31 lies past its array.
  Map damagedFull = Full(array::singleton(singleton(key(0), 0)));
  EXPECT_TRUE(ptrEq(deleteKeyExists<Key, int>(-1, 31, key(31), damagedFull), damagedFull));
  EXPECT_TRUE(ptrEq(insertKeyExists<Key, int>(-1, 31, key(31), 0, damagedFull), damagedFull));
}

TEST(InsertWith, StoresADeferredCombinationOfNewAndOld) {
  Fixture f;
  int calls = 0;
  auto minus = [&calls](int newer, int older) {
    ++calls;
    return newer - older;
  };
  Map absent = insertWith(minus, key(5), failing(), f.m);
  EXPECT_TRUE(member(key(5), absent));  // stored unevaluated, f not called
  Map present = insertWith(minus, key(2, 9), 10, f.m);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(ptrEq(present, f.m));
  EXPECT_EQ(lookup(key(2, 9), present)->force(), 8);
  EXPECT_EQ(lookup(key(1), insertWith(minus, key(1), 10, f.m))->force(), 9);
  EXPECT_EQ(calls, 2);
}

TEST(InsertModifying, SameObjectKeepsTheMapAndOtherwiseStoresTheKeyPassed) {
  Fixture f;
  auto keep = [](const LazyInt& old) { return old; };
  EXPECT_TRUE(ptrEq(insertModifying<Key, int>(0, keep, key(1), f.m), f.m));
  EXPECT_TRUE(ptrEq(insertModifying<Key, int>(0, keep, key(3, 9), f.m), f.m));
  Map rep = insertModifying<Key, int>(0, [](const LazyInt& old) { return old.force() + 1; }, tagged(1, 1, 4), f.m);
  EXPECT_EQ(rep.child(0).leaf().key.tag, 4);
  EXPECT_EQ(lookup(key(1), rep)->force(), 2);
  Map pairUp = insertModifying<Key, int>(5, keep, key(6, 1), f.m);
  const Map& bucket = pairUp.child(0);
  ASSERT_EQ(bucket.kind(), Kind::Collision);
  EXPECT_EQ(bucket.bucket()[0].key.id, 1);
  Map appended = insertModifying<Key, int>(5, keep, key(6, 9), f.m);
  EXPECT_EQ(appended.child(1).bucket()[2].key.id, 6);
  Map full;
  for (int i = 0; i < 31; ++i) full = insert(key(i), i, full);
  EXPECT_EQ((insertModifying<Key, int>(0, keep, key(31), full).kind()), Kind::Full);
}

TEST(Adjust, LeavesAbsentKeysAndDefersTheFunction) {
  Fixture f;
  int calls = 0;
  auto twice = [&calls](int x) {
    ++calls;
    return 2 * x;
  };
  EXPECT_TRUE(ptrEq(adjust(twice, key(7), f.m), f.m));
  EXPECT_TRUE(null(adjust(twice, key(7), Map())));
  Map adjusted = adjust(twice, key(3, 9), f.m);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lookup(key(3, 9), adjusted)->force(), 6);
  EXPECT_TRUE(ptrEq(adjust_raw([](const LazyInt& v) { return v; }, key(3, 9), f.m), f.m));
  EXPECT_TRUE(ptrEq(adjust_raw([](const LazyInt& v) { return v; }, key(1), f.m), f.m));
  EXPECT_EQ(lookup(key(1), adjust_raw([](const LazyInt&) { return 50; }, key(1), f.m))->force(), 50);
}

TEST(Adjust, StoredKeyFirstAtALeafSearchedKeyFirstInABucket) {
  using testing::OneSidedKey;
  using M = HashMap<OneSidedKey, int>;
  const OneSidedKey wild{2, 5, true};
  M leaf = insert(OneSidedKey{1, 5}, 1, M());
  EXPECT_FALSE(ptrEq(adjust_raw([](const LazyInt&) { return 9; }, wild, leaf), leaf));
  M bucket = insert(OneSidedKey{3, 5}, 3, leaf);
  EXPECT_TRUE(ptrEq(adjust_raw([](const LazyInt&) { return 9; }, wild, bucket), bucket));
  M modified = insertModifying<OneSidedKey, int>(0, [](const LazyInt&) { return 9; }, wild, bucket);
  EXPECT_EQ(size(modified), 3);
}

}  // namespace
}  // namespace hashgrove::internal
