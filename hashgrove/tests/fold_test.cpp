// Folds over whole maps: trie order, what each fold calls and when, early
// stops of the deferred folds, the monoid folds' nesting, and the Foldable
// slots of maps.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <basis/foldable.hpp>
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
using testing::trieOrder;
using Map = HashMap<Key, int>;
using MapFoldable = basis::Foldable<HashMapOf<Key>>;

// Three keys in one bucket (hash 7), inserted 3, 1, 2, beside leaves that
// sort before (hash 2) and after (hash 9) it.
Map bucketBetweenLeaves() {
  return build(Pairs{{key(20, 2), 20}, {key(3, 7), 3}, {key(1, 7), 1}, {key(2, 7), 2}, {key(90, 9), 90}});
}
const std::vector<std::int64_t> kBucketOrder = {20, 3, 1, 2, 90};

RC_GTEST_PROP(Folds, EveryFoldMeetsThePairsInTrieOrder, ()) {
  const Pairs ps = *testing::genPairs();
  const Map m = build(ps);
  const auto expected = testing::idsOf(trieOrder(ps));
  std::vector<std::int64_t> rightLazy = foldrWithKey(
      [](const Key& k, const Lazy<int>&, const Lazy<std::vector<std::int64_t>>& rest) {
        std::vector<std::int64_t> out{k.id};
        const auto& tail = rest.force();
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
      },
      std::vector<std::int64_t>{}, m);
  RC_ASSERT(rightLazy == expected);
  std::vector<std::int64_t> leftEager = foldlWithKey_(
      [](std::vector<std::int64_t> acc, const Key& k, const Lazy<int>&) {
        acc.push_back(k.id);
        return acc;
      },
      std::vector<std::int64_t>{}, m);
  RC_ASSERT(leftEager == expected);
  std::vector<std::int64_t> rightEager = foldrWithKey_(
      [](const Key& k, const Lazy<int>&, std::vector<std::int64_t> acc) {
        acc.insert(acc.begin(), k.id);
        return acc;
      },
      std::vector<std::int64_t>{}, m);
  RC_ASSERT(rightEager == expected);
  std::vector<std::int64_t> leftLazy = foldlWithKey(
      [](const Lazy<std::vector<std::int64_t>>& acc, const Key& k, const Lazy<int>&) {
        auto out = acc.force();
        out.push_back(k.id);
        return out;
      },
      std::vector<std::int64_t>{}, m);
  RC_ASSERT(leftLazy == expected);
  std::vector<std::int64_t> monoid =
      foldMapWithKey([](const Key& k, const Lazy<int>&) { return std::vector<std::int64_t>{k.id}; }, m);
  RC_ASSERT(monoid == expected);
  std::int64_t sum = 0;
  for (const auto& p : trieOrder(ps)) sum += p.second;
  RC_ASSERT(foldl_([](std::int64_t a, int v) { return a + v; }, std::int64_t{0}, m) == sum);
  RC_ASSERT(foldr_([](int v, std::int64_t a) { return a + v; }, std::int64_t{0}, m) == sum);
  RC_ASSERT(MapFoldable::length(m) == static_cast<std::int64_t>(expected.size()));
}

TEST(Folds, CollisionBucketPairsFollowTheirArrayOrderInEveryFold) {
  const Map m = bucketBetweenLeaves();
  std::vector<std::int64_t> viaFoldr = foldr(
      [](int v, const Lazy<std::vector<std::int64_t>>& rest) {
        auto out = rest.force();
        out.insert(out.begin(), v);
        return out;
      },
      std::vector<std::int64_t>{}, m);
  EXPECT_EQ(viaFoldr, kBucketOrder);
  std::vector<std::int64_t> viaFoldl = foldl(
      [](const Lazy<std::vector<std::int64_t>>& acc, int v) {
        auto out = acc.force();
        out.push_back(v);
        return out;
      },
      std::vector<std::int64_t>{}, m);
  EXPECT_EQ(viaFoldl, kBucketOrder);
}

TEST(Folds, EagerFoldsCallTheFunctionFromTheirOwnEnd) {
  const Map m = bucketBetweenLeaves();
  std::vector<std::int64_t> calls;
  foldlWithKey_(
      [&](int acc, const Key& k, const Lazy<int>&) {
        calls.push_back(k.id);
        return acc;
      },
      0, m);
  EXPECT_EQ(calls.front(), 20);
  calls.clear();
  foldrWithKey_(
      [&](const Key& k, const Lazy<int>&, int acc) {
        calls.push_back(k.id);
        return acc;
      },
      0, m);
  EXPECT_EQ(calls, (std::vector<std::int64_t>{90, 2, 1, 3, 20}));
}

TEST(Folds, DeferredFoldsStopWhereTheFunctionStops) {
  // Every value but that of key 0 (first in trie order: all its fragments
  // are 0) fails when forced; forcing one would fail the fold.
  Pairs order;
  Map m = build(Pairs{{key(0), 1}});
  for (int i = 1; i < 200; ++i) m = insert(key(i), failing(), m);
  for (int i = 0; i < 200; ++i) order.push_back({key(i), 0});
  int calls = 0;
  const int first = foldr(
      [&](const Lazy<int>& v, const Lazy<int>&) {
        ++calls;
        return v.force();
      },
      0, m);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(calls, 1);

  // foldlWithKey with a function that ignores its accumulator calls it once,
  // on the last pair in trie order.
  std::vector<std::int64_t> seen;
  foldlWithKey(
      [&](const Lazy<int>&, const Key& k, const Lazy<int>&) {
        seen.push_back(k.id);
        return 0;
      },
      0, m);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{trieOrder(order).back().first.id}));
}

TEST(Folds, ARestCanBeForcedAfterTheMapIsGone) {
  std::vector<Lazy<std::int64_t>> rests;
  std::vector<std::int64_t> seen;
  auto f = [&](const Key& k, const Lazy<int>&, const Lazy<std::int64_t>& r) -> std::int64_t {
    seen.push_back(k.id);
    rests.push_back(r);
    return k.id;
  };
  {
    const Map m = build(testing::consecutive(40));
    EXPECT_EQ(foldrWithKey(f, std::int64_t{-1}, m), 0);
  }
  // The map is gone; its rest still walks the nodes it holds, one pair per
  // demand, and a rest once computed is not walked again.
  EXPECT_EQ(rests[0].force(), 32);  // key 32: fragment 0 at the root, then 1
  EXPECT_EQ(rests[0].force(), 32);
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 32}));
  while (rests.back().force() != -1) {
  }
  EXPECT_EQ(seen.size(), 40u);
}

TEST(Folds, EmptyMapGivesTheInitialValueOrTheFoldsError) {
  const Map m;
  EXPECT_EQ(foldr([](int, const Lazy<int>& r) { return r.force() + 1; }, 7, m), 7);
  EXPECT_EQ(foldrWithKey([](const Key&, int, const Lazy<int>& r) { return r.force() + 1; }, 7, m), 7);
  EXPECT_EQ(foldl([](const Lazy<int>& a, int) { return a.force() + 1; }, 7, m), 7);
  EXPECT_EQ(foldl_([](int a, int) { return a + 1; }, 7, m), 7);
  EXPECT_EQ(foldMapWithKey([](const Key&, int v) { return std::string(1, static_cast<char>('a' + v)); }, m), "");
  EXPECT_TRUE(keys(m).empty());
  EXPECT_TRUE(MapFoldable::null(m));
  EXPECT_EQ(MapFoldable::length(m), 0);
  EXPECT_FALSE(MapFoldable::elem(3, m));
  EXPECT_EQ(MapFoldable::sum(m), 0);
  EXPECT_EQ(MapFoldable::product(m), 1);
  // An eager fold evaluates its initial value even for the empty map.
  EXPECT_THROW(foldl_([](int a, int) { return a; }, failing(), m), std::runtime_error);
  EXPECT_THROW(foldrWithKey_([](const Key&, int, int a) { return a; }, failing(), m), std::runtime_error);

  struct Case {
    const char* message;
    void (*call)(const Map&);
  };
  const Case cases[] = {
      {"foldr1: empty structure", [](const Map& e) { MapFoldable::foldr1([](int a, int b) { return a + b; }, e); }},
      {"foldl1: empty structure", [](const Map& e) { MapFoldable::foldl1([](int a, int b) { return a + b; }, e); }},
      {"maximum: empty structure", [](const Map& e) { MapFoldable::maximum(e); }},
      {"minimum: empty structure", [](const Map& e) { MapFoldable::minimum(e); }},
  };
  for (const Case& c : cases) {
    try {
      c.call(m);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

// A "monoid" that records how its combinations nest.
struct Nesting {
  std::string text;
  [[maybe_unused]] friend bool operator==(const Nesting&, const Nesting&) = default;
};

}  // namespace
}  // namespace hashgrove::internal

template <>
struct basis::Semigroup<hashgrove::internal::Nesting> : basis::SemigroupDefaults<hashgrove::internal::Nesting> {
  static hashgrove::internal::Nesting combine(const hashgrove::internal::Nesting& a,
                                              const hashgrove::internal::Nesting& b) {
    return {"(" + a.text + " " + b.text + ")"};
  }
};
template <>
struct basis::Monoid<hashgrove::internal::Nesting> : basis::MonoidDefaults<hashgrove::internal::Nesting> {
  static hashgrove::internal::Nesting mempty() { return {"e"}; }
};

namespace hashgrove::internal {
namespace {

TEST(MonoidFolds, NestToTheRightWithinEachNodeWithoutATrailingEmpty) {
  const Map bucket = build(Pairs{{key(3, 7), 3}, {key(1, 7), 1}, {key(2, 7), 2}});
  auto name = [](const Key& k, const Lazy<int>&) { return Nesting{std::to_string(k.id)}; };
  EXPECT_EQ(foldMapWithKey(name, bucket).text, "(3 (1 2))");
  EXPECT_EQ(foldMapWithKey(name, build(Pairs{{key(5), 5}})).text, "5");
  EXPECT_EQ(foldMapWithKey(name, Map()).text, "e");
  // A branch of three children: hashes 0, 1, 2 at the root.
  EXPECT_EQ(foldMapWithKey(name, build(testing::consecutive(3))).text, "(0 (1 2))");
  // foldMap' combines from the left, starting from mempty.
  EXPECT_EQ(MapFoldable::foldMap_([](int v) { return Nesting{std::to_string(v)}; }, bucket).text,
            "(((e 3) 1) 2)");
}

TEST(FoldableSlots, FoldMapOfSingletonListsIsElems) {
  const Map m = build(testing::consecutive(100, 1000));
  std::vector<int> viaFoldMap = MapFoldable::foldMap([](int v) { return std::vector<int>{v}; }, m);
  std::vector<int> viaElems;
  for (const auto& v : elems(m)) viaElems.push_back(v.force());
  EXPECT_EQ(viaFoldMap, viaElems);
  std::vector<int> viaToList;
  for (const auto& v : MapFoldable::toList(m)) viaToList.push_back(v);
  EXPECT_EQ(viaToList, viaElems);
}

TEST(FoldableSlots, OneSidedFoldsFollowTrieOrder) {
  // Values 1, 2, 3 in trie order (hashes 0, 1, 2).
  const Map m = build(Pairs{{key(2), 3}, {key(0), 1}, {key(1), 2}});
  EXPECT_EQ(MapFoldable::foldr1([](int a, int b) { return a - b; }, m), 2);
  EXPECT_EQ(MapFoldable::foldl1([](int a, int b) { return a - b; }, m), -4);
  EXPECT_EQ(MapFoldable::foldr1([](int, int) -> int { throw std::logic_error("no call for one value"); },
                                build(Pairs{{key(4), 4}})),
            4);
  EXPECT_EQ(MapFoldable::sum(m), 6);
  EXPECT_EQ(MapFoldable::product(m), 6);
}

// Values ordered by `rank` alone; `label` tells equal-ranked values apart.
struct Ranked {
  int rank = 0;
  int label = 0;
  [[maybe_unused]] friend bool operator==(const Ranked& a, const Ranked& b) { return a.rank == b.rank; }
  friend bool operator<=(const Ranked& a, const Ranked& b) { return a.rank <= b.rank; }
  friend bool operator>=(const Ranked& a, const Ranked& b) { return a.rank >= b.rank; }
};

TEST(FoldableSlots, MaximumAndMinimumKeepTheFirstOfEqualValues) {
  HashMap<Key, Ranked> m;
  m = insert(key(0), Ranked{5, 1}, m);
  m = insert(key(1), Ranked{5, 2}, m);
  m = insert(key(2), Ranked{1, 3}, m);
  m = insert(key(3), Ranked{5, 4}, m);
  m = insert(key(4), Ranked{1, 5}, m);
  EXPECT_EQ(basis::Foldable<HashMapOf<Key>>::maximum(m).label, 1);
  EXPECT_EQ(basis::Foldable<HashMapOf<Key>>::minimum(m).label, 3);
}

// A value whose comparisons are counted.
struct Counted {
  int value = 0;
  static inline int comparisons = 0;
  friend bool operator==(int x, const Counted& c) {
    ++comparisons;
    return x == c.value;
  }
};

TEST(FoldableSlots, ElemStopsAtTheFirstEqualValue) {
  HashMap<Key, Counted> m;
  for (int i = 0; i < 50; ++i) m = insert(key(i), Counted{i % 10}, m);
  Counted::comparisons = 0;
  EXPECT_TRUE(basis::Foldable<HashMapOf<Key>>::elem(3, m));
  EXPECT_EQ(Counted::comparisons, 4);  // values 0, 1, 2, 3 in trie order
  Counted::comparisons = 0;
  EXPECT_FALSE(basis::Foldable<HashMapOf<Key>>::elem(30, m));
  EXPECT_EQ(Counted::comparisons, 50);
}

TEST(FoldableSlots, FailingValuesDoNotDisturbWhatNeverReadsThem) {
  Map m;
  for (int i = 0; i < 40; ++i) m = insert(key(i), failing(), m);
  m = insert(key(100, 7), failing(), m);  // a bucket with key 7
  m = insert(key(101, 7), failing(), m);
  EXPECT_EQ(MapFoldable::length(m), 42);
  EXPECT_FALSE(MapFoldable::null(m));
  std::int64_t keyCount = 0;
  for (const Key& k : keys(m)) keyCount += k.id >= 0;
  EXPECT_EQ(keyCount, 42);
  EXPECT_EQ(foldr([](const Lazy<int>&, const Lazy<int>& rest) { return rest.force() + 1; }, 0, m), 42);
  EXPECT_THROW(MapFoldable::sum(m), std::runtime_error);
}

TEST(Bifolds, KeysAndValuesInTrieOrder) {
  const Map m = bucketBetweenLeaves();
  auto showKey = [](const Key& k) { return "k" + std::to_string(k.id); };
  auto showValue = [](const Lazy<int>& v) { return "v" + std::to_string(v.force()); };
  EXPECT_EQ(bifoldMap(showKey, showValue, m), "k20v20k3v3k1v1k2v2k90v90");
  const std::string right = bifoldr(
      [](const Key& k, const Lazy<std::string>& rest) { return "k" + std::to_string(k.id) + rest.force(); },
      [](const Lazy<int>& v, const Lazy<std::string>& rest) { return "v" + std::to_string(v.force()) + rest.force(); },
      std::string("."), m);
  EXPECT_EQ(right, "k20v20k3v3k1v1k2v2k90v90.");
  const std::string left = bifoldl(
      [](const Lazy<std::string>& acc, const Key& k) { return acc.force() + "k" + std::to_string(k.id); },
      [](const Lazy<std::string>& acc, const Lazy<int>& v) { return acc.force() + "v" + std::to_string(v.force()); },
      std::string("."), m);
  EXPECT_EQ(left, ".k20v20k3v3k1v1k2v2k90v90");
  HashMap<std::string, std::string> strings;
  strings = insert(std::string("a"), std::string("1"), strings);
  EXPECT_EQ(bifold(strings), "a1");
}

}  // namespace
}  // namespace hashgrove::internal
