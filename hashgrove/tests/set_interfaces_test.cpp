// The set's standard interfaces: lifted equality, the order's definitions
// from `compare`, hashing, the Foldable record and the monoid of union
// (including the combination of long lists of sets).

#include <gtest/gtest.h>

#include <compare>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/error.hpp>
#include <basis/foldable.hpp>
#include <basis/lifted.hpp>
#include <basis/semigroup.hpp>
#include <hashgrove/set.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal::set {
namespace {

using testing::Key;
using testing::key;
using testing::tagged;
using Set = HashSet<Key>;
using Ints = HashSet<std::int64_t>;

Ints ints(const std::vector<std::int64_t>& xs) { return fromList(xs); }
Set setOf(const std::vector<Key>& keys) { return fromList(keys); }

int storedTag(const Set& s, std::int64_t id) {
  for (const Key& x : s)
    if (x.id == id) return x.tag;
  return -1;
}

static_assert(basis::FoldableTag<HashSetTag>);
static_assert(basis::Eq1Tag<HashSetTag>);
static_assert(basis::Ord1Tag<HashSetTag>);
static_assert(basis::Hashable1Tag<HashSetTag>);
static_assert(basis::NFData1Tag<HashSetTag>);
static_assert(basis::MonoidType<Ints>);
static_assert(basis::HashableType<Ints>);

TEST(SetEquality, LiftedEqualityWalksLeavesAndBucketsInTrieOrder) {
  const auto always = [](const auto&, const auto&) { return true; };
  // Same hashes in the same order, buckets of equal length: equal under a
  // relation that always holds, even with other elements.
  const Set a = setOf({key(1, 1), key(2, 9), key(3, 9)});
  const Set b = setOf({key(7, 1), key(8, 9), key(9, 9)});
  EXPECT_TRUE(liftEq(always, a, b));
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(liftEq(always, a, setOf({key(7, 1), key(8, 9)})));
  EXPECT_FALSE(liftEq(always, a, setOf({key(7, 2), key(8, 9), key(9, 9)})));
  // Buckets match as permutations under the relation, first set on the left.
  const auto byId = [](const Key& x, const Key& y) { return x.id == y.id; };
  EXPECT_TRUE(liftEq(byId, a, setOf({key(1, 1), key(3, 9), key(2, 9)})));
  // Element types may differ.
  const HashSet<std::int64_t> small = ints({1, 2});
  const HashSet<std::int64_t> other = ints({1, 3});
  EXPECT_TRUE(basis::Eq1<HashSetTag>::liftEq([](std::int64_t, std::int64_t) { return true; }, small, small));
  EXPECT_FALSE(basis::Eq1<HashSetTag>::liftEq([](std::int64_t, std::int64_t) { return true; }, small, other));
  EXPECT_TRUE(basis::eq1(small, ints({2, 1})));
}

TEST(SetOrdering, TheOperatorsFollowCompareWithTheirOwnArgumentOrders) {
  const Ints empty;
  const Ints one = ints({1});
  struct Case {
    Ints x, y;
    basis::Ordering order;
  };
  const Case cases[] = {
      {empty, one, basis::LT},       {one, empty, basis::GT},        {one, ints({1}), basis::EQ},
      {ints({1}), ints({2}), basis::LT}, {ints({1, 2}), ints({1}), basis::GT}, {ints({2}), ints({1, 3}), basis::GT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compare(c.x, c.y), c.order);
    EXPECT_EQ(c.x < c.y, c.order == basis::LT);
    EXPECT_EQ(c.x <= c.y, c.order != basis::GT);
    EXPECT_EQ(c.x > c.y, c.order == basis::GT);
    EXPECT_EQ(c.x >= c.y, c.order != basis::LT);
    EXPECT_EQ(basis::toOrdering(c.x <=> c.y), c.order);
    EXPECT_EQ(basis::compare1(c.x, c.y), c.order);
  }
  // On a tie max returns the second argument and min the first.
  const Ints a = ints({4, 5});
  const Ints b = ints({5, 4});
  EXPECT_TRUE(ptrEq(max(a, b), b));
  EXPECT_TRUE(ptrEq(min(a, b), a));
  EXPECT_TRUE(ptrEq(max(one, empty), one));
  EXPECT_TRUE(ptrEq(min(one, empty), empty));
}

TEST(SetOrdering, LeafBeforeBucketThenBucketsByLengthThenUnordered) {
  const Set leaf = setOf({key(1, 9)});
  const Set pair = setOf({key(1, 9), key(2, 9)});
  const Set triple = setOf({key(1, 9), key(2, 9), key(3, 9)});
  EXPECT_EQ(compare(leaf, pair), basis::LT);
  EXPECT_EQ(compare(triple, pair), basis::GT);
  EXPECT_EQ(compare(pair, setOf({key(2, 9), key(1, 9)})), basis::EQ);
  // A lifted comparison that sees only the tags.
  const auto byTag = [](const Key& x, const Key& y) { return basis::compare(x.tag, y.tag); };
  EXPECT_EQ(liftCompare(byTag, setOf({tagged(1, 1, 1)}), setOf({tagged(2, 1, 2)})), basis::LT);
}

TEST(SetHashing, EmptySetHashesToTheSaltAndEqualSetsAlike) {
  for (std::int64_t salt : {std::int64_t{0}, std::int64_t{-7}, basis::defaultSalt}) {
    EXPECT_EQ(hashWithSalt(salt, Ints()), salt);
    EXPECT_EQ(liftHashWithSalt([](std::int64_t s, std::int64_t x) { return s ^ x; }, salt, Ints()), salt);
  }
  EXPECT_EQ(hash(ints({1, 2, 3})), basis::hash(ints({3, 2, 1})));
  EXPECT_EQ(hash(ints({1, 2, 3})), hashWithSalt(basis::defaultSalt, ints({1, 2, 3})));
  EXPECT_NE(hash(ints({1, 2, 3})), hash(ints({1, 2})));
  // A set hashes like its map: it threads the same stored hashes and units.
  const Set s = setOf({key(1, 1), key(2, 9), key(3, 9)});
  EXPECT_EQ(hashWithSalt(5, s), internal::hashWithSalt(5, s.asMap()));
  EXPECT_EQ(basis::hashWithSalt1(5, ints({1, 2})), liftHashWithSalt(basis::lifted::hws, 5, ints({1, 2})));
  // Sets are keys of sets and of standard containers.
  const HashSet<Ints> nested = fromList(std::vector<Ints>{ints({1}), ints({1}), ints({2, 1}), ints({1, 2})});
  EXPECT_EQ(size(nested), 2);
  EXPECT_EQ(std::hash<Ints>{}(ints({1, 2})), static_cast<std::size_t>(hash(ints({2, 1}))));
}

TEST(SetFoldable, SlotsOverTheElementsInTrieOrder) {
  const Ints s = ints({3, 1, 2});
  EXPECT_EQ(basis::length(s), 3);
  EXPECT_FALSE(basis::null(s));
  EXPECT_TRUE(basis::null(Ints()));
  EXPECT_EQ(basis::sum(s), 6);
  EXPECT_EQ(basis::product(s), 6);
  EXPECT_EQ(basis::sum(Ints()), 0);
  EXPECT_EQ(basis::product(Ints()), 1);
  EXPECT_EQ(basis::foldr1([](std::int64_t a, std::int64_t b) { return a - b; }, s), 2);
  EXPECT_EQ(basis::foldl1([](std::int64_t a, std::int64_t b) { return a - b; }, s), -4);
  const auto fail = [](std::int64_t, std::int64_t) -> std::int64_t { throw std::logic_error("called"); };
  EXPECT_EQ(basis::foldr1(fail, ints({9})), 9);
  EXPECT_EQ(basis::foldl1(fail, ints({9})), 9);
  EXPECT_EQ(basis::maximum(s), 3);
  EXPECT_EQ(basis::minimum(s), 1);
  EXPECT_TRUE(basis::elem(2, s));
  EXPECT_FALSE(basis::elem(4, s));
  std::vector<std::int64_t> listed;
  for (std::int64_t x : basis::toList(s)) listed.push_back(x);
  EXPECT_EQ(listed, (std::vector<std::int64_t>{1, 2, 3}));
  const std::string text =
      basis::foldMap([](std::int64_t x) { return std::to_string(x); }, s);
  EXPECT_EQ(text, "123");
  EXPECT_EQ(basis::foldMap_([](std::int64_t x) { return std::to_string(x); }, s), "123");
  EXPECT_EQ(basis::fold(HashSet<std::string>(fromList(std::vector<std::string>{"b"}))), "b");
}

TEST(SetFoldable, EmptyStructureErrorsAndElemWithoutComparisons) {
  const auto minus = [](std::int64_t a, std::int64_t b) { return a - b; };
  struct Case {
    std::function<void()> run;
    const char* message;
  };
  const Case cases[] = {
      {[&] { basis::foldr1(minus, Ints()); }, "foldr1: empty structure"},
      {[&] { basis::foldl1(minus, Ints()); }, "foldl1: empty structure"},
      {[] { basis::maximum(Ints()); }, "maximum: empty structure"},
      {[] { basis::minimum(Ints()); }, "minimum: empty structure"},
  };
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << c.message << " not raised";
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  Key::resetCounts();
  EXPECT_FALSE(basis::elem(key(1), Set()));
  EXPECT_EQ(Key::equalityCalls, 0);
  // A linear search from the front that stops at the first match, x on the
  // left; it never hashes.
  const Set s = setOf({key(1), key(2), key(3)});
  Key::resetCounts();
  EXPECT_TRUE(basis::elem(key(2), s));
  EXPECT_EQ(Key::equalityCalls, 2);
  EXPECT_EQ(Key::hashCalls, 0);
}

// Elements equal under the order (same rank) but told apart by `==` (id).
struct Ranked {
  std::int64_t id;
  int rank;
  friend bool operator==(const Ranked& a, const Ranked& b) { return a.id == b.id; }
  [[maybe_unused]] friend bool operator<(const Ranked& a, const Ranked& b) { return a.rank < b.rank; }
  friend bool operator<=(const Ranked& a, const Ranked& b) { return a.rank <= b.rank; }
  friend bool operator>=(const Ranked& a, const Ranked& b) { return a.rank >= b.rank; }
};
}  // namespace
}  // namespace hashgrove::internal::set

template <>
struct basis::Hashable<hashgrove::internal::set::Ranked> {
  static std::int64_t hash(const hashgrove::internal::set::Ranked& x) { return x.id; }
  static std::int64_t hashWithSalt(std::int64_t s, const hashgrove::internal::set::Ranked& x) {
    return basis::hashWithSalt(s, x.id);
  }
};

namespace hashgrove::internal::set {
namespace {

TEST(SetFoldable, MaximumAndMinimumKeepTheFirstOfEqualsInTrieOrder) {
  const HashSet<Ranked> s = fromList(std::vector<Ranked>{{3, 1}, {1, 5}, {2, 5}, {4, 0}, {5, 0}});
  EXPECT_EQ(basis::maximum(s).id, 1);
  EXPECT_EQ(basis::minimum(s).id, 4);
}

TEST(SetMonoid, CombinationIsLeftBiasedUnionWithTheEmptySetAsIdentity) {
  const Set a = setOf({tagged(1, 1, 1), key(2)});
  const Set b = setOf({tagged(1, 1, 2), key(3)});
  const Set ab = basis::combine(a, b);
  EXPECT_EQ(size(ab), 3);
  EXPECT_EQ(storedTag(ab, 1), 1);
  EXPECT_EQ(storedTag(basis::mappend(b, a), 1), 2);
  EXPECT_TRUE(null(basis::mempty<Set>()));
  EXPECT_TRUE(ptrEq(basis::sconcat<Set>(std::vector<Set>{a}), a));
  EXPECT_TRUE(ptrEq(basis::mconcat<Set>(std::vector<Set>{a}), a));
  EXPECT_TRUE(null(basis::mconcat<Set>(std::vector<Set>{})));
  EXPECT_THROW(basis::sconcat<Set>(std::vector<Set>{}), std::invalid_argument);
}

TEST(SetMonoid, StimesIsEmptyForZeroTheSetItselfForMoreAndFailsBelowZero) {
  const Set a = setOf({key(1), key(2)});
  EXPECT_TRUE(null(basis::Semigroup<Set>::stimes(0, a)));
  EXPECT_TRUE(ptrEq(basis::Semigroup<Set>::stimes(1, a), a));
  EXPECT_TRUE(ptrEq(basis::Semigroup<Set>::stimes(std::uint8_t{5}, a), a));
  EXPECT_TRUE(ptrEq(basis::stimes(5, a), a));
  try {
    basis::Semigroup<Set>::stimes(-1, a);
    ADD_FAILURE() << "no error";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "stimesIdempotentMonoid: negative multiplier");
  }
}

TEST(SetMonoid, LongListsCombineWithoutDeepRecursionTheEarliestElementStaying) {
  // A million sets holding one equal element each, told apart by tags: far
  // deeper than any stack would take one frame per set.
  constexpr int many = 1000000;
  std::vector<Set> same;
  same.reserve(many);
  for (int i = 0; i < many; ++i) same.push_back(singleton(tagged(1, 1, i)));
  for (const Set& u : {basis::sconcat<Set>(same), basis::mconcat<Set>(same), unions(same)}) {
    ASSERT_EQ(size(u), 1);
    EXPECT_EQ(storedTag(u, 1), 0);
  }
  // 20000 sets {i, i + 1}, tagged with their position: every element but the
  // first and the last is in two sets, and the earlier one's object stays.
  constexpr std::int64_t n = 20000;
  std::vector<Set> sets;
  sets.reserve(n);
  for (std::int64_t i = 0; i < n; ++i) {
    const auto tag = static_cast<int>(i);
    sets.push_back(setOf({tagged(i, static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15ULL, tag),
                          tagged(i + 1, static_cast<std::uint64_t>(i + 1) * 0x9e3779b97f4a7c15ULL, tag)}));
  }
  for (const Set& u : {basis::sconcat<Set>(sets), basis::mconcat<Set>(sets), unions(sets)}) {
    ASSERT_EQ(size(u), n + 1);
    EXPECT_EQ(storedTag(u, 0), 0);
    EXPECT_EQ(storedTag(u, n / 2), static_cast<int>(n / 2 - 1));
    EXPECT_EQ(storedTag(u, n), static_cast<int>(n - 1));
  }
}

}  // namespace
}  // namespace hashgrove::internal::set
