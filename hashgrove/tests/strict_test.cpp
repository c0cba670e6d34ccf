// The value-strict operations: a failing value raises at the call (the lazy
// form only when the value is read), what is and is not evaluated, the nodes
// rebuilt, and the bucket updates and error probes of the strict module.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <basis/functor.hpp>
#include <hashgrove/internal/debug.hpp>
#include <hashgrove/strict.hpp>

#include "test_key.hpp"

namespace hashgrove {
namespace {

using internal::Kind;
using internal::L;
using testing::Key;
using testing::key;
using testing::tagged;
using Map = HashMap<Key, int>;
using Value = basis::Lazy<int>;

struct Failure : std::runtime_error {
  Failure() : std::runtime_error("value demanded") {}
};
Value failing() {
  return Value::defer([]() -> int { throw Failure(); });
}

Map mapOf(std::initializer_list<std::pair<Key, int>> pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = lazy::insert(k, v, m);
  return m;
}

// Every value of m, forced; throws what forcing throws.
void forceAll(const Map& m) {
  for (const auto& [k, v] : internal::toList(m)) (void)v.force();
}
bool allEvaluated(const Map& m) {
  for (const auto& [k, v] : internal::toList(m)) {
    if (!v.isEvaluated()) return false;
  }
  return true;
}

// One operation in both forms. `run(strict)` calls the strict form when true.
// The input map (a map of keys 1, 2, 33, 9 and 41, keys 9 and 41 sharing a
// bucket) must come back unchanged from a strict call that raises.
struct Case {
  const char* name;
  std::function<Map(bool strict, const Map& in)> run;
};

const Map& input() {
  static const Map m = mapOf({{key(1), 1}, {key(2), 2}, {key(33), 33}, {key(9, 9), 9}, {key(41, 9), 41}});
  return m;
}

std::vector<Case> cases() {
  using P = std::vector<std::pair<Key, Value>>;
  auto bad = [](const Value&) { return failing(); };
  auto bad2 = [](const Value&, const Value&) { return failing(); };
  auto badKeyed = [](const Key&, const Value&, const Value&) { return failing(); };
  auto someBad = [](const Value&) { return std::optional<Value>(failing()); };
  return {
      {"singleton", [](bool s, const Map&) { return s ? strict::singleton(key(5), failing()) : lazy::singleton(key(5), failing()); }},
      {"insert", [](bool s, const Map& m) { return s ? strict::insert(key(5), failing(), m) : lazy::insert(key(5), failing(), m); }},
      {"insert of a moved map",
       [](bool s, const Map& m) {
         Map held = m;  // a second holder: the moved map is shared
         return s ? strict::insert(key(5), failing(), std::move(held)) : lazy::insert(key(5), failing(), std::move(held));
       }},
      {"insert into a bucket",
       [](bool s, const Map& m) { return s ? strict::insert(key(73, 9), failing(), m) : lazy::insert(key(73, 9), failing(), m); }},
      {"insertWith, absent key",
       [](bool s, const Map& m) {
         auto f = [](int x, int y) { return x + y; };
         return s ? strict::insertWith(f, key(5), failing(), m) : lazy::insertWith(f, key(5), failing(), m);
       }},
      {"insertWith, failing combination",
       [bad2](bool s, const Map& m) { return s ? strict::insertWith(bad2, key(2), 0, m) : lazy::insertWith(bad2, key(2), 0, m); }},
      {"insertWith, in a bucket",
       [bad2](bool s, const Map& m) { return s ? strict::insertWith(bad2, key(41, 9), 0, m) : lazy::insertWith(bad2, key(41, 9), 0, m); }},
      {"alter",
       [](bool s, const Map& m) {
         auto f = [](std::optional<Value>) { return std::optional<Value>(failing()); };
         return s ? strict::alter(f, key(2), m) : lazy::alter(f, key(2), m);
       }},
      {"alter, absent key",
       [](bool s, const Map& m) {
         auto f = [](std::optional<Value>) { return std::optional<Value>(failing()); };
         return s ? strict::alter(f, key(5), m) : lazy::alter(f, key(5), m);
       }},
      {"update", [someBad](bool s, const Map& m) { return s ? strict::update(someBad, key(33), m) : lazy::update(someBad, key(33), m); }},
      {"adjust", [bad](bool s, const Map& m) { return s ? strict::adjust(bad, key(1), m) : lazy::adjust(bad, key(1), m); }},
      {"adjust in a bucket", [bad](bool s, const Map& m) { return s ? strict::adjust(bad, key(9, 9), m) : lazy::adjust(bad, key(9, 9), m); }},
      {"alterF",
       [](bool s, const Map& m) {
         auto f = [](const auto&) { return basis::Identity<std::optional<Value>>{failing()}; };
         return s ? strict::alterF(f, key(2), m).value : lazy::alterF(f, key(2), m).value;
       }},
      {"alterFEager",
       [](bool s, const Map& m) {
         auto f = [](const auto&) { return basis::Identity<std::optional<Value>>{failing()}; };
         return s ? internal::strict::alterFEager(f, key(5), m).value : internal::alterFEager(f, key(5), m).value;
       }},
      {"fromList",
       [](bool s, const Map&) {
         const P ps{{key(1), Value(1)}, {key(2), failing()}, {key(33), Value(3)}};
         return s ? strict::fromList(ps) : lazy::fromList(ps);
       }},
      {"fromListWith",
       [bad2](bool s, const Map&) {
         const P ps{{key(1), Value(1)}, {key(1), Value(2)}};
         return s ? strict::fromListWith(bad2, ps) : lazy::fromListWith(bad2, ps);
       }},
      {"fromListWithKey",
       [badKeyed](bool s, const Map&) {
         const P ps{{key(9, 9), Value(1)}, {key(41, 9), Value(2)}, {key(9, 9), Value(3)}};
         return s ? strict::fromListWithKey(badKeyed, ps) : lazy::fromListWithKey(badKeyed, ps);
       }},
      {"unionWith", [bad2](bool s, const Map& m) { return s ? strict::unionWith(bad2, m, mapOf({{key(33), 0}})) : lazy::unionWith(bad2, m, mapOf({{key(33), 0}})); }},
      {"unionWithKey, two buckets",
       [badKeyed](bool s, const Map& m) {
         const Map other = mapOf({{key(41, 9), 0}, {key(73, 9), 0}});
         return s ? strict::unionWithKey(badKeyed, m, other) : lazy::unionWithKey(badKeyed, m, other);
       }},
      {"union appending a failing value to a bucket",
       [](bool s, const Map& m) {
         auto keep = [](const Value& x, const Value&) { return x; };
         const Map other = lazy::insert(key(73, 9), failing(), Map());
         return s ? strict::unionWith(keep, m, other) : lazy::unionWith(keep, m, other);
       }},
      {"intersectionWith",
       [bad2](bool s, const Map& m) { return s ? strict::intersectionWith(bad2, m, m) : lazy::intersectionWith(bad2, m, m); }},
      {"intersectionWithKey",
       [badKeyed](bool s, const Map& m) {
         return s ? strict::intersectionWithKey(badKeyed, m, mapOf({{key(41, 9), 0}})) : lazy::intersectionWithKey(badKeyed, m, mapOf({{key(41, 9), 0}}));
       }},
      {"differenceWith",
       [](bool s, const Map& m) {
         auto f = [](const Value&, const Value&) { return std::optional<Value>(failing()); };
         return s ? strict::differenceWith(f, m, mapOf({{key(2), 0}})) : lazy::differenceWith(f, m, mapOf({{key(2), 0}}));
       }},
      {"differenceWith keeping a failing value",
       [](bool s, const Map& m) {
         auto f = [](const Value&, const Value&) { return std::optional<Value>(); };
         const Map withBad = lazy::insert(key(5), failing(), m);
         return s ? strict::differenceWith(f, withBad, mapOf({{key(2), 0}})) : lazy::differenceWith(f, withBad, mapOf({{key(2), 0}}));
       }},
      {"map", [bad](bool s, const Map& m) { return s ? strict::map(bad, m) : internal::map(bad, m); }},
      {"mapWithKey",
       [](bool s, const Map& m) {
         auto f = [](const Key& k, const Value& v) { return k.id == 41 ? failing() : v; };
         return s ? strict::mapWithKey(f, m) : internal::mapWithKey(f, m);
       }},
      {"mapMaybe", [someBad](bool s, const Map& m) { return s ? strict::mapMaybe(someBad, m) : internal::mapMaybe(someBad, m); }},
      {"mapMaybeWithKey",
       [](bool s, const Map& m) {
         auto f = [](const Key& k, const Value& v) { return std::optional<Value>(k.id == 9 ? failing() : v); };
         return s ? strict::mapMaybeWithKey(f, m) : internal::mapMaybeWithKey(f, m);
       }},
      {"traverseWithKey",
       [](bool s, const Map& m) {
         auto f = [](const Key& k, const Value& v) { return basis::Identity<Value>{k.id == 33 ? failing() : v}; };
         return s ? strict::traverseWithKey(f, m).value : internal::traverseWithKey(f, m).value;
       }},
  };
}

TEST(StrictOperations, AFailingValueRaisesAtTheCallOnlyInTheStrictForm) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    const Map before = input();
    Map lazyResult;
    ASSERT_NO_THROW(lazyResult = c.run(false, before));
    EXPECT_THROW(forceAll(lazyResult), Failure);
    EXPECT_THROW(c.run(true, before), Failure);
    EXPECT_TRUE(internal::ptrEq(before, input()));
    EXPECT_EQ(internal::size(input()), 5);
    forceAll(input());
  }
}

// The same operations with values that evaluate: the strict form stores no
// deferred value and agrees with the lazy form.
TEST(StrictOperations, StoreOnlyEvaluatedValuesAndAgreeWithTheLazyForms) {
  const Map m = mapOf({{key(1), 1}, {key(2), 2}, {key(33), 33}, {key(9, 9), 9}, {key(41, 9), 41}});
  auto deferred = [](int x) { return Value::defer([x] { return x; }); };
  auto plus = [deferred](const Value& x, const Value& y) { return deferred(x.force() + y.force()); };
  auto keyed = [deferred](const Key& k, const Value& x, const Value& y) {
    return deferred(static_cast<int>(k.id) + x.force() * y.force());
  };
  auto twice = [deferred](const Value& x) { return deferred(2 * x.force()); };
  const Map other = mapOf({{key(2), 20}, {key(41, 9), 4}, {key(73, 9), 73}});
  const std::vector<std::pair<const char*, std::pair<Map, Map>>> results = {
      {"insert", {strict::insert(key(5), deferred(5), m), lazy::insert(key(5), deferred(5), m)}},
      {"insertWith", {strict::insertWith(plus, key(9, 9), deferred(1), m), lazy::insertWith(plus, key(9, 9), deferred(1), m)}},
      {"adjust", {strict::adjust(twice, key(41, 9), m), lazy::adjust(twice, key(41, 9), m)}},
      {"unionWithKey", {strict::unionWithKey(keyed, m, other), lazy::unionWithKey(keyed, m, other)}},
      {"unionWithKey, swapped", {strict::unionWithKey(keyed, other, m), lazy::unionWithKey(keyed, other, m)}},
      {"intersectionWithKey", {strict::intersectionWithKey(keyed, m, other), lazy::intersectionWithKey(keyed, m, other)}},
      {"map", {strict::map(twice, m), internal::map(twice, m)}},
  };
  for (const auto& [name, pair] : results) {
    SCOPED_TRACE(name);
    const auto& [strictMap, lazyMap] = pair;
    EXPECT_TRUE(allEvaluated(strictMap));
    EXPECT_TRUE(internal::debug::valid(strictMap).isValid());
    EXPECT_EQ(internal::size(strictMap), internal::size(lazyMap));
    for (const auto& [k, v] : internal::toList(lazyMap)) {
      const auto found = internal::lookup(k, strictMap);
      ASSERT_TRUE(found.has_value());
      EXPECT_EQ(found->force(), v.force());
    }
  }
}

// A uniquely held map handed over by value is written in place as the lazy
// map's moved insert writes it, its new value evaluated; a map that is also
// held elsewhere is copied and the other holder's map is unchanged; a value
// that fails leaves the map with the caller.
TEST(StrictOperations, InsertOfAMovedMapWritesInPlaceOnlyWhatNothingElseHolds) {
  auto deferred = [](int x) { return Value::defer([x] { return x; }); };
  Map m = strict::fromList(std::vector<std::pair<Key, int>>{{key(1), 1}, {key(2), 2}});
  const void* root = m.node();
  m = strict::insert(key(33), deferred(33), std::move(m));  // below the root's child for fragment 1
  EXPECT_EQ(static_cast<const void*>(m.node()), root);
  m = strict::insert(key(3), deferred(3), std::move(m));  // the root gains a child
  EXPECT_EQ(m.kind(), Kind::BitmapIndexed);
  EXPECT_TRUE(allEvaluated(m));
  EXPECT_EQ(internal::size(m), 4);

  const Map kept = m;
  const Map grown = strict::insert(key(65), deferred(65), std::move(m));
  EXPECT_NE(static_cast<const void*>(grown.node()), static_cast<const void*>(kept.node()));
  EXPECT_EQ(internal::size(kept), 4);
  EXPECT_FALSE(lazy::member(key(65), kept));
  EXPECT_EQ(lazy::lookup(key(65), grown)->force(), 65);
  EXPECT_TRUE(allEvaluated(grown));
  EXPECT_TRUE(internal::debug::valid(kept).isValid());
  EXPECT_TRUE(internal::debug::valid(grown).isValid());

  Map held = kept;
  EXPECT_THROW(held = strict::insert(key(5), failing(), std::move(held)), Failure);
  EXPECT_TRUE(internal::ptrEq(held, kept));
}

// --- what is not evaluated -------------------------------------------------------

TEST(StrictOperations, ANewValueHandedToTheCombiningFunctionIsNotEvaluated) {
  const Map m = mapOf({{key(1), 1}, {key(9, 9), 9}, {key(41, 9), 41}});
  auto keepOld = [](const Value&, const Value& old) { return old; };
  const Map r = strict::insertWith(keepOld, key(1), failing(), m);
  EXPECT_EQ(internal::lookup(key(1), r)->force(), 1);
  const Map b = strict::insertWith(keepOld, key(41, 9), failing(), m);
  EXPECT_EQ(internal::lookup(key(41, 9), b)->force(), 41);
  const std::vector<std::pair<Key, Value>> ps{{key(1), Value(1)}, {key(1), failing()}};
  EXPECT_EQ(internal::lookup(key(1), strict::fromListWith(keepOld, ps))->force(), 1);
  // Two leaves of one hash and unequal keys make a bucket without evaluating.
  const Map u = strict::unionWith(keepOld, lazy::insert(key(3, 7), failing(), Map()), mapOf({{key(4, 7), 4}}));
  EXPECT_EQ(u.kind(), Kind::Collision);
  // A pair present in one map only keeps its value unevaluated.
  const Map w = strict::unionWith(keepOld, lazy::insert(key(3), failing(), Map()), mapOf({{key(4), 4}}));
  EXPECT_EQ(internal::size(w), 2);
}

TEST(StrictOperations, AdjustAndInsertWithRebuildEveryNodeOnThePath) {
  // Root: fragment 1 holds a branch of keys 1 and 33, fragment 2 the Leaf of key 2.
  const Map m = mapOf({{key(1), 1}, {key(33), 33}, {key(2), 2}});
  auto same = [](const Value& x) { return x; };
  // Key 1057 runs through fragment 1, then 1 (the Leaf of key 33), and is absent.
  const Map absent = strict::adjust(same, key(1057), m);
  EXPECT_FALSE(internal::ptrEq(absent, m));
  EXPECT_FALSE(internal::ptrEq(absent.child(0), m.child(0)));
  EXPECT_TRUE(internal::ptrEq(absent.child(0).child(1), m.child(0).child(1)));
  EXPECT_TRUE(internal::ptrEq(absent.child(1), m.child(1)));
  // A missing fragment at the root: nothing is descended into.
  EXPECT_TRUE(internal::ptrEq(strict::adjust(same, key(3), m), m));
  // The very stored value still gives new nodes on the path.
  const Map kept = strict::adjust(same, key(33), m);
  EXPECT_FALSE(internal::ptrEq(kept.child(0).child(1), m.child(0).child(1)));
  const Map old = strict::insertWith([](const Value&, const Value& y) { return y; }, key(33), 0, m);
  EXPECT_FALSE(internal::ptrEq(old, m));
  EXPECT_FALSE(internal::ptrEq(old.child(0), m.child(0)));
  EXPECT_FALSE(internal::ptrEq(old.child(0).child(1), m.child(0).child(1)));
  EXPECT_TRUE(internal::ptrEq(old.child(1), m.child(1)));
  // The key passed in is stored.
  const Map tagged1 = strict::adjust([](int x) { return x + 1; }, tagged(33, 33, 7), m);
  EXPECT_EQ(tagged1.child(0).child(1).leaf().key.tag, 7);
  EXPECT_EQ(tagged1.child(0).child(1).leaf().value.force(), 34);
  // insert, alter and update hand over to the lazy workers: the same map for
  // the very same value, or for nothing to do.
  const Value v = *internal::lookup(key(2), m);
  EXPECT_TRUE(internal::ptrEq(strict::insert(key(2), v, m), m));
  EXPECT_TRUE(internal::ptrEq(strict::alter([&](std::optional<Value>) { return std::optional<Value>(v); }, key(2), m), m));
  EXPECT_TRUE(internal::ptrEq(strict::update([](const Value&) { return std::optional<int>(); }, key(5), m), m));
  // Every value of a list is evaluated, also one a later pair replaces.
  const std::vector<std::pair<Key, Value>> ps{{key(1), failing()}, {key(1), Value(2)}};
  EXPECT_THROW(strict::fromList(ps), Failure);
  EXPECT_EQ(internal::lookup(key(1), lazy::fromList(ps))->force(), 2);
}

TEST(StrictOperations, AlterFHandsTheLookupOverDeferredWhenFTakesIt) {
  using Found = std::optional<Value>;
  const Map m = mapOf({{key(1), 1}, {key(2), 2}});
  bool examined = false;
  auto ignore = [&examined](const basis::Lazy<Found>& found) {
    examined = found.isEvaluated();
    return basis::Identity<Found>{Value::defer([] { return 7; })};
  };
  const Map r = strict::alterF(ignore, key(2), m).value;
  EXPECT_FALSE(examined);
  EXPECT_TRUE(internal::lookup(key(2), r)->isEvaluated());
  EXPECT_EQ(internal::lookup(key(2), r)->force(), 7);
  // A function of the optional value itself gets the lookup's result.
  auto bump = [](const Found& found) { return basis::Identity<Found>{Value(found->force() + 1)}; };
  EXPECT_EQ(internal::lookup(key(1), strict::alterF(bump, key(1), m).value)->force(), 2);
  EXPECT_EQ(internal::lookup(key(1), internal::strict::alterFEager(bump, key(1), m).value)->force(), 2);
  EXPECT_EQ(internal::lookup(key(1), internal::strict::alterFWeird(0, 0, bump, key(1), m).value)->force(), 2);
}

TEST(StrictOperations, UnionKeepsTheKeysOfTheTable) {
  auto f = [](const Key& k, int x, int y) { return k.tag * 10000 + x * 100 + y; };
  const Map bucket = mapOf({{tagged(1, 9, 1), 10}, {tagged(3, 9, 1), 30}});
  const Map leaf = mapOf({{tagged(1, 9, 2), 11}});
  const Map lb = strict::unionWithKey(f, bucket, leaf);
  ASSERT_EQ(lb.kind(), Kind::Collision);
  EXPECT_EQ(lb.bucket()[0].key.tag, 2);
  EXPECT_EQ(lb.bucket()[0].value.force(), 21011);
  const Map bl = strict::unionWithKey(f, leaf, bucket);
  EXPECT_EQ(bl.bucket()[0].key.tag, 2);
  EXPECT_EQ(bl.bucket()[0].value.force(), 21110);
  EXPECT_TRUE(internal::ptrEq(strict::unionWith([](int x, int) { return x; }, bucket, Map()), bucket));
  EXPECT_TRUE(internal::ptrEq(strict::unionWith([](int x, int) { return x; }, Map(), bucket), bucket));
  // Two equal-key leaves: a new Leaf with the left key, even for the left value.
  const Map left = mapOf({{tagged(4, 4, 1), 1}});
  const Map u = strict::unionWith([](const Value& x, const Value&) { return x; }, left, mapOf({{tagged(4, 4, 2), 2}}));
  EXPECT_FALSE(internal::ptrEq(u, left));
  EXPECT_EQ(u.leaf().key.tag, 1);
}

TEST(StrictOperations, IntersectionKeepsTheRightKeyForARightLeaf) {
  const Map branch = mapOf({{tagged(1, 1, 1), 10}, {tagged(33, 33, 1), 20}});
  const Map leaf = mapOf({{tagged(33, 33, 2), 30}});
  const Map r = strict::intersectionWith([](int x, int y) { return x - y; }, branch, leaf);
  ASSERT_EQ(r.kind(), Kind::Leaf);
  EXPECT_EQ(r.leaf().key.tag, 2);
  EXPECT_EQ(r.leaf().value.force(), -10);
  EXPECT_TRUE(r.leaf().value.isEvaluated());
  EXPECT_EQ(strict::intersectionWith([](int x, int y) { return x - y; }, branch, Map()).kind(), Kind::Empty);
}

// --- collision bucket updates ------------------------------------------------------

TEST(StrictBuckets, UpdateWithAndUpdateOrSnocWithKey) {
  using internal::array::unsafeSameArray;
  const Map bucket = mapOf({{key(1, 9), 1}, {tagged(2, 9, 1), 2}, {key(3, 9), 3}});
  const auto pairs = bucket.bucketArray();
  int calls = 0;
  auto inc = [&calls](int x) {
    ++calls;
    return x + 1;
  };
  EXPECT_TRUE(unsafeSameArray(internal::strict::updateWith(inc, key(4, 9), pairs), pairs));
  EXPECT_EQ(calls, 0);
  const auto changed = internal::strict::updateWith(inc, tagged(2, 9, 5), pairs);
  ASSERT_EQ(changed.size(), 3);
  EXPECT_EQ(changed.data()[1].key.tag, 5);
  EXPECT_EQ(changed.data()[1].value.force(), 3);
  EXPECT_EQ(changed.data()[0].key.id, 1);
  EXPECT_EQ(changed.data()[2].key.id, 3);

  std::vector<int> seen;
  auto combine = [&seen](const Key& k, const Value& x, const Value& y) {
    seen.push_back(k.tag);
    seen.push_back(y.force());
    (void)x;  // the new value is not evaluated
    return Value(100);
  };
  const auto replaced = internal::strict::updateOrSnocWithKey(combine, tagged(2, 9, 6), failing(), pairs);
  ASSERT_EQ(replaced.size(), 3);
  EXPECT_EQ(replaced.data()[1].key.tag, 6);
  EXPECT_EQ(replaced.data()[1].value.force(), 100);
  EXPECT_EQ(seen, (std::vector<int>{6, 2}));
  const auto appended = internal::strict::updateOrSnocWithKey(combine, key(4, 9), Value::defer([] { return 4; }), pairs);
  ASSERT_EQ(appended.size(), 4);
  EXPECT_EQ(appended.data()[3].key.id, 4);
  EXPECT_TRUE(appended.data()[3].value.isEvaluated());
  EXPECT_THROW(internal::strict::updateOrSnocWithKey(combine, key(4, 9), failing(), pairs), Failure);
  // A bucket of no pairs (never in a valid map): a one-pair array.
  EXPECT_EQ(internal::strict::updateOrSnocWithKey(combine, key(4, 9), 4, internal::array::Array<L<Key, int>>()).size(), 1);
}

TEST(StrictModule, TheUnionWalksDefensiveErrorsCarryTheirTexts) {
  try {
    internal::strict::detail::throwUnionLeafHashCode();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "leafHashCode");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal.Strict",
                                                         "./Data/HashMap/Internal/Strict", 529, 22, 529, 27}));
  }
  try {
    internal::strict::detail::throwUnionPatternFailure();
  } catch (const basis::PatternMatchFail& e) {
    EXPECT_STREQ(e.what(), "Data/HashMap/Internal/Strict:(461,5)-(525,20)|function go");
  }
}

TEST(StrictModule, TheAlterFProbesRaiseTheirMessages) {
  struct Probe {
    std::function<void()> raise;
    const char* message;
    int line;
    int startColumn;
  };
  const std::vector<Probe> probes = {
      {[] { (void)internal::strict::test_bottom().force(); }, "Data.HashMap.alterF internal error: hit test_bottom", 353, 15},
      {[] { internal::strict::bogus_raw(); }, "Data.HashMap.alterF internal error: hit bogus#", 356, 12},
      {[] { (void)internal::strict::impossibleAdjust().force(); }, "Data.HashMap.alterF internal error: impossible adjust", 359, 20},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.message);
    try {
      p.raise();
      ADD_FAILURE() << "no error";
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), p.message);
      ASSERT_EQ(e.callStack().entries.size(), 1u);
      const basis::CallSite& site = e.callStack().entries[0];
      EXPECT_EQ(site, (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal.Strict", "./Data/HashMap/Internal/Strict",
                                       p.line, p.startColumn, p.line, p.startColumn + 5}));
    }
  }
}

}  // namespace
}  // namespace hashgrove
