// Ordering of maps: order by stored hashes in trie order, leaves before
// buckets, shorter buckets first, prefixes first, the exact definitions of
// the derived comparisons, and independence from insertion order.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <compare>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include <hashgrove/internal.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal {
namespace {

using basis::Lazy;
using testing::build;
using testing::Key;
using testing::key;
using testing::tagged;
using testing::Pairs;
using Map = HashMap<Key, int>;

static_assert(basis::Ord1Tag<HashMapOf<std::int64_t>>);

}  // namespace
}  // namespace hashgrove::internal

namespace hashgrove::internal {
namespace {

TEST(MapOrdering, TableOfCases) {
  struct Case {
    const char* what;
    Map a;
    Map b;
    basis::Ordering expected;
  };
  const Case cases[] = {
      {"empty maps", Map(), Map(), basis::EQ},
      {"empty before any map", Map(), build(Pairs{{key(1), 1}}), basis::LT},
      {"any map after empty", build(Pairs{{key(1), 1}}), Map(), basis::GT},
      {"by hash, not by key", build(Pairs{{key(9, 3), 1}}), build(Pairs{{key(1, 4), 1}}), basis::LT},
      {"top bit set orders after (unsigned)", build(Pairs{{key(1, 1ULL << 63), 1}}),
       build(Pairs{{key(2, 1ULL << 62), 1}}), basis::GT},
      {"same hash: by key", build(Pairs{{key(1, 5), 1}}), build(Pairs{{tagged(2, 5, 0), 1}}), basis::LT},
      {"same key: by value", build(Pairs{{key(1), 2}}), build(Pairs{{key(1), 1}}), basis::GT},
      {"a proper prefix in trie order is less", build(Pairs{{key(1), 1}}), build(Pairs{{key(1), 1}, {key(2), 2}}),
       basis::LT},
      {"leaf before bucket even with a greater hash", build(Pairs{{key(1, 8), 1}}),
       build(Pairs{{key(2, 7), 1}, {key(3, 7), 1}}), basis::LT},
      {"shorter bucket is less", build(Pairs{{key(2, 7), 1}, {key(3, 7), 1}, {key(4, 7), 1}}),
       build(Pairs{{key(8, 7), 1}, {key(9, 7), 1}}), basis::GT},
      {"buckets in any order are equal", build(Pairs{{key(2, 7), 1}, {key(3, 7), 2}}),
       build(Pairs{{key(3, 7), 2}, {key(2, 7), 1}}), basis::EQ},
      {"buckets differing in a value", build(Pairs{{key(2, 7), 1}, {key(3, 7), 2}}),
       build(Pairs{{key(3, 7), 3}, {key(2, 7), 1}}), basis::LT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(compare(c.a, c.b), c.expected);
    EXPECT_EQ(basis::compare1(c.a, c.b), c.expected);
    EXPECT_EQ(c.a < c.b, c.expected == basis::LT);
    EXPECT_EQ(c.a > c.b, c.expected == basis::GT);
    EXPECT_EQ(c.a <= c.b, c.expected != basis::GT);
    EXPECT_EQ(c.a >= c.b, c.expected != basis::LT);
    EXPECT_EQ((c.a <=> c.b) == 0, c.expected == basis::EQ);
  }
}

TEST(MapOrdering, ComparesHashesBeforeCallingAnyComparison) {
  int calls = 0;
  auto counting = [&calls](const auto&, const auto&) {
    ++calls;
    return basis::EQ;
  };
  const Map a = build(Pairs{{key(1, 3), 1}, {key(2, 40), 2}});
  const Map b = build(Pairs{{key(1, 3), 1}, {key(2, 41), 2}});
  EXPECT_EQ(cmp(counting, counting, a, b), basis::LT);
  EXPECT_EQ(calls, 2);  // key and value of the first leaf only
  calls = 0;
  const Map bucket2 = build(Pairs{{key(2, 7), 1}, {key(3, 7), 1}});
  const Map bucket3 = build(Pairs{{key(2, 7), 1}, {key(3, 7), 1}, {key(4, 7), 1}});
  EXPECT_EQ(cmp(counting, counting, bucket3, bucket2), basis::GT);
  EXPECT_EQ(calls, 0);
}

// Maps that compare equal but are different objects: max gives the second,
// min the first.
TEST(MapOrdering, MaxAndMinOnATie) {
  const Map a = build(Pairs{{key(1), 1}});
  const Map b = build(Pairs{{key(1), 1}});
  EXPECT_EQ(max(a, b).node(), b.node());
  EXPECT_EQ(min(a, b).node(), a.node());
  const Map bigger = build(Pairs{{key(1), 2}});
  EXPECT_EQ(max(bigger, a).node(), bigger.node());
  EXPECT_EQ(min(bigger, a).node(), a.node());
}

// A comparison that is not lawful shows which call each operator makes: it
// answers GT whenever its left value is 1.
struct Odd {
  int v;
  [[maybe_unused]] friend bool operator==(const Odd&, const Odd&) { return true; }
  friend std::strong_ordering operator<=>(const Odd& a, const Odd&) {
    return a.v == 1 ? std::strong_ordering::greater : std::strong_ordering::equal;
  }
};

TEST(MapOrdering, DerivedComparisonsAreDefinedThroughCmpExactly) {
  HashMap<Key, Odd> one, two;
  one = insert(key(1), Odd{1}, one);
  two = insert(key(1), Odd{2}, two);
  EXPECT_EQ(compare(one, two), basis::GT);  // cmp(one, two) is GT
  EXPECT_EQ(compare(two, one), basis::EQ);  // cmp(two, one) is EQ
  EXPECT_FALSE(one < two);                  // cmp(two, one) is not GT
  EXPECT_TRUE(one > two);
  EXPECT_FALSE(one <= two);
  EXPECT_TRUE(one >= two);  // cmp(two, one) is not GT
}

RC_GTEST_PROP(MapOrdering, IgnoresInsertionOrderAndAgreesWithEquality, ()) {
  const Pairs ps = *testing::genPairs();
  const Pairs qs = *testing::genPairs();
  const Map a = build(ps);
  Pairs reversed = testing::trieOrder(ps);
  std::reverse(reversed.begin(), reversed.end());
  const Map a2 = build(reversed);
  const Map b = build(qs);
  RC_ASSERT(compare(a, a2) == basis::EQ);
  RC_ASSERT((compare(a, b) == basis::EQ) == (a == b));
  // Antisymmetry for lawful comparisons.
  const basis::Ordering ab = compare(a, b);
  const basis::Ordering ba = compare(b, a);
  RC_ASSERT((ab == basis::LT) == (ba == basis::GT));
  std::set<Map> ordered{a, a2, b};
  RC_ASSERT(ordered.size() == (a == b ? 1u : 2u));
}

}  // namespace
}  // namespace hashgrove::internal
