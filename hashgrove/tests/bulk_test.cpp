// Bulk construction: fromList and its combining forms, in-place filling, and
// the guarantee that a map shared before an in-place insertion is unchanged.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstddef>
#include <iterator>
#include <list>
#include <ranges>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <hashgrove/internal.hpp>
#include <hashgrove/internal/debug.hpp>
#include <hashgrove/set.hpp>
#include <hashgrove/strict.hpp>

#include "test_key.hpp"

namespace hashgrove::internal {
namespace {

using testing::Key;
using testing::key;
using testing::tagged;
using Map = HashMap<Key, int>;
using Pairs = std::vector<std::pair<Key, int>>;

// The same map built by persistent insertion.
Map inserted(const Pairs& pairs) {
  Map m;
  for (const auto& [k, v] : pairs) m = insert(k, v, m);
  return m;
}

// The pairs handed out by value, as std::views::transform over them hands them
// out (clang before 16 cannot compile std::views with libstdc++ 12): a sized
// random-access range whose elements are not lvalues, so fromList cannot read
// it in place.
class PairCopies {
 public:
  class iterator {
   public:
    using iterator_concept = std::random_access_iterator_tag;
    using value_type = std::pair<Key, int>;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    explicit iterator(const value_type* at) : at_(at) {}
    value_type operator*() const { return *at_; }
    value_type operator[](difference_type n) const { return at_[n]; }
    iterator& operator++() { ++at_; return *this; }
    iterator operator++(int) { return iterator(at_++); }
    iterator& operator--() { --at_; return *this; }
    iterator operator--(int) { return iterator(at_--); }
    iterator& operator+=(difference_type n) { at_ += n; return *this; }
    iterator& operator-=(difference_type n) { at_ -= n; return *this; }
    iterator operator+(difference_type n) const { return iterator(at_ + n); }
    iterator operator-(difference_type n) const { return iterator(at_ - n); }
    difference_type operator-(const iterator& o) const { return at_ - o.at_; }
    [[maybe_unused]] friend iterator operator+(difference_type n, const iterator& i) { return i + n; }
    bool operator==(const iterator&) const = default;
    auto operator<=>(const iterator&) const = default;

   private:
    const value_type* at_ = nullptr;
  };
  explicit PairCopies(const Pairs& pairs) : pairs_(&pairs) {}
  iterator begin() const { return iterator(pairs_->data()); }
  iterator end() const { return iterator(pairs_->data() + pairs_->size()); }
  std::size_t size() const { return pairs_->size(); }

 private:
  const Pairs* pairs_;
};
static_assert(std::ranges::random_access_range<PairCopies> && std::ranges::sized_range<PairCopies>);
static_assert(std::is_same_v<std::ranges::range_reference_t<PairCopies>, std::pair<Key, int>>);

// Node-by-node equality of shape, hashes, keys (with tags) and values.
bool sameShape(const Map& a, const Map& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Kind::Empty:
      return true;
    case Kind::Leaf:
      return a.nodeHash() == b.nodeHash() && a.leaf().key.id == b.leaf().key.id &&
             a.leaf().key.tag == b.leaf().key.tag && a.leaf().value.force() == b.leaf().value.force();
    case Kind::Collision:
      if (a.nodeHash() != b.nodeHash() || a.bucketSize() != b.bucketSize()) return false;
      for (std::int64_t i = 0; i < a.bucketSize(); ++i) {
        const auto& x = a.bucket()[i];
        const auto& y = b.bucket()[i];
        if (x.key.id != y.key.id || x.key.tag != y.key.tag || x.value.force() != y.value.force()) return false;
      }
      return true;
    default:
      if (a.bitmap() != b.bitmap() || a.childCount() != b.childCount()) return false;
      for (std::int64_t i = 0; i < a.childCount(); ++i) {
        if (!sameShape(a.child(i), b.child(i))) return false;
      }
      return true;
  }
}

TEST(FromList, EmptyListGivesTheEmptyMap) { EXPECT_TRUE(null(fromList(Pairs{}))); }

TEST(FromList, LastPairOfARepeatedKeyWins) {
  Map m = fromList(Pairs{{tagged(1, 1, 1), 1}, {tagged(1, 1, 2), 2}});
  EXPECT_EQ(lookup(key(1), m)->force(), 2);
  EXPECT_EQ(m.leaf().key.tag, 2);
  HashMap<std::string, int> s = fromList(std::vector<std::pair<std::string, int>>{{"a", 1}, {"b", 2}, {"a", 3}});
  EXPECT_EQ(size(s), 2);
  EXPECT_EQ(lookup("a", s)->force(), 3);
}

TEST(FromList, BuildsTheSameShapeAsPersistentInsertion) {
  const Pairs cases[] = {
      {{key(1, 7), 1}, {key(2, 7), 2}, {key(3, 7), 3}, {key(2, 7), 20}},
      {{key(1, 0x0), 1}, {key(2, 0x400), 2}},
      {{key(1, 0x21), 1}, {key(2, 0x21), 2}, {key(3, 0x41), 3}, {key(4, 0x02), 4}},
  };
  for (const Pairs& pairs : cases) EXPECT_TRUE(sameShape(fromList(pairs), inserted(pairs)));
  Pairs all32;
  for (int i = 0; i < 32; ++i) all32.emplace_back(key(i), i);
  Map full = fromList(all32);
  EXPECT_EQ(full.kind(), Kind::Full);
  EXPECT_TRUE(sameShape(full, inserted(all32)));
  Pairs many;
  for (int i = 0; i < 5000; ++i) many.emplace_back(key(i, static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15ULL), i);
  EXPECT_TRUE(sameShape(fromList(many), inserted(many)));
  EXPECT_TRUE(debug::valid(fromList(many)).isValid());
}

// Hashes that share long prefixes, differ only in the top fragment, or
// collide outright, with repeated keys: every way the layout can part keys.
rc::Gen<Pairs> pairsWithCloseHashes() {
  const std::uint64_t pool[] = {0x0, 0x1, 0x21, 0x421, 0x8421, 0x1000000000000000, 0xf000000000000000,
                                0xf000000000000001, 0x7fffffffffffffff, 0xffffffffffffffff, 0x3e0, 0x3e1};
  auto pair = rc::gen::apply(
      [pool](int id, int tag, int v) {
        // the hash follows from the id, so equal keys hash alike
        return std::pair<Key, int>{tagged(id, pool[static_cast<std::size_t>(id) % std::size(pool)], tag), v};
      },
      rc::gen::inRange(0, 40), rc::gen::inRange(0, 4), rc::gen::inRange(0, 100));
  return rc::gen::container<Pairs>(pair);
}

RC_GTEST_PROP(FromList, LaysOutTheTrieInsertionBuilds, ()) {
  const Pairs pairs = *pairsWithCloseHashes();
  const Map expected = inserted(pairs);
  RC_ASSERT(sameShape(fromList(pairs), expected));
  // A range that can only be walked once is taken in order first.
  const std::list<std::pair<Key, int>> walked(pairs.begin(), pairs.end());
  RC_ASSERT(sameShape(fromList(walked), expected));
  RC_ASSERT(sameShape(fromList(PairCopies(pairs)), expected));
  RC_ASSERT(sameShape(strict::fromList(pairs), expected));
  const std::vector<Key> keys = [&] {
    std::vector<Key> out;
    for (const auto& p : pairs) out.push_back(p.first);
    return out;
  }();
  set::HashSet<Key> one;
  for (const Key& k : keys) one = set::insert(k, one);
  auto elements = [](const set::HashSet<Key>& s) {
    std::vector<std::pair<std::int64_t, int>> out;
    for (const Key& k : set::toList(s)) out.emplace_back(k.id, k.tag);
    return out;
  };
  RC_ASSERT(elements(set::fromList(keys)) == elements(one));
}

TEST(FromList, StrictFormEvaluatesEachValueInInputOrderBeforeHashingItsKey) {
  std::vector<std::string> events;
  std::vector<std::pair<Key, basis::Lazy<int>>> pairs;
  for (int i = 0; i < 3; ++i) {
    pairs.emplace_back(key(i, static_cast<std::uint64_t>(2 - i)), basis::Lazy<int>::defer([&events, i] {
                         events.push_back("value " + std::to_string(i));
                         return i;
                       }));
  }
  Key::resetCounts();
  const Map m = strict::fromList(pairs);
  EXPECT_EQ(events, (std::vector<std::string>{"value 0", "value 1", "value 2"}));
  EXPECT_EQ(Key::hashCalls, 3);
  EXPECT_TRUE(lookup(key(1, 1), m)->isEvaluated());
  // The lazy form leaves every value deferred.
  std::vector<std::pair<Key, basis::Lazy<int>>> fresh{{key(7), basis::Lazy<int>::defer([] { return 7; })}};
  EXPECT_FALSE(lookup(key(7), fromList(fresh))->isEvaluated());
}

TEST(FromList, BucketKeepsListOrderAndReplacesInPlace) {
  Map m = fromList(Pairs{{key(1, 5), 1}, {key(2, 5), 2}, {key(3, 5), 3}, {tagged(2, 5, 9), 22}});
  ASSERT_EQ(m.kind(), Kind::Collision);
  ASSERT_EQ(m.bucketSize(), 3);
  EXPECT_EQ(m.bucket()[1].key.tag, 9);
  EXPECT_EQ(m.bucket()[1].value.force(), 22);
  EXPECT_EQ(m.bucket()[2].key.id, 3);
}

TEST(FromListWith, CombinesNewWithStoredLazily) {
  auto pairs = std::vector<std::pair<Key, std::string>>{{key(1), "a"}, {key(1), "b"}, {key(1), "c"}, {key(2), "x"}};
  int calls = 0;
  auto f = [&calls](const std::string& n, const std::string& o) {
    ++calls;
    return "f(" + n + "," + o + ")";
  };
  HashMap<Key, std::string> m = fromListWith(f, pairs);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(lookup(key(1), m)->force(), "f(c,f(b,a))");
  EXPECT_EQ(lookup(key(2), m)->force(), "x");
  EXPECT_EQ(calls, 2);
}

TEST(FromListWithKey, PassesTheKeyOfThePairBeingInserted) {
  auto pairs = Pairs{{tagged(1, 1, 1), 1}, {tagged(1, 1, 2), 2}, {tagged(1, 1, 3), 3}};
  std::vector<int> tags;
  auto f = [&tags](const Key& k, int n, int o) {
    tags.push_back(k.tag);
    return 10 * o + n;
  };
  Map m = fromListWithKey(f, pairs);
  EXPECT_EQ(lookup(key(1), m)->force(), 123);
  EXPECT_EQ(tags, (std::vector<int>{2, 3}));  // the inner combination runs first
}

TEST(FromListWith, AFailingCombinationFailsOnlyWhenRead) {
  Map m = fromListWith([](int, int) -> int { throw std::runtime_error("combine"); },
                       Pairs{{key(1), 1}, {key(1), 2}, {key(2), 2}});
  EXPECT_EQ(size(m), 2);
  EXPECT_EQ(lookup(key(2), m)->force(), 2);
  EXPECT_THROW(lookup(key(1), m)->force(), std::runtime_error);
}

TEST(UnsafeInsert, WritesInPlaceIntoAMapNothingElseHolds) {
  Map m = fromList(Pairs{{key(1), 1}, {key(2), 2}});
  const void* root = m.node();
  Map after = unsafeInsert(key(33), 33, std::move(m));  // slot 1 is occupied: in place
  EXPECT_EQ(static_cast<const void*>(after.node()), root);
  EXPECT_EQ(lookup(key(33), after)->force(), 33);
  EXPECT_TRUE(debug::valid(after).isValid());
}

TEST(UnsafeInsert, AMapSharedBeforeTheCallIsUnchanged) {
  Map shared = fromList(Pairs{{key(1), 1}, {key(2), 2}, {key(1 + 32), 3}});
  Map copy = shared;  // a second holder
  Map after = unsafeInsert(key(2 + 32), 4, copy);
  EXPECT_FALSE(member(key(2 + 32), shared));
  EXPECT_EQ(size(shared), 3);
  EXPECT_EQ(size(after), 4);
  // A subtree shared with another map below a private root is copied too.
  Map sub = fromList(Pairs{{key(1), 1}, {key(1 + 32), 2}});
  Map other = sub;
  Map grown = unsafeInsertWithKey([](const Key&, const basis::Lazy<int>& n, const basis::Lazy<int>&) { return n; },
                                  key(1 + 64), 5, std::move(sub));
  EXPECT_EQ(size(other), 2);
  EXPECT_EQ(size(grown), 3);
  EXPECT_TRUE(debug::valid(other).isValid());
}

TEST(InsertOfAMovedMap, WritesInPlaceOnlyWhatNothingElseHolds) {
  Map m = fromList(Pairs{{key(1), 1}, {key(2), 2}});
  const void* root = m.node();
  m = insert(key(33), 33, std::move(m));
  EXPECT_EQ(static_cast<const void*>(m.node()), root);
  Map kept = m;
  Map grown = insert(key(65), 65, std::move(m));
  EXPECT_FALSE(member(key(65), kept));
  EXPECT_TRUE(member(key(65), grown));
  EXPECT_TRUE(debug::valid(grown).isValid());
}

TEST(UnsafeInsertWithKey, CallsTheCombiningFunctionAtOnce) {
  Map m = fromList(Pairs{{key(1), 1}, {key(2, 7), 2}, {key(3, 7), 3}});
  std::vector<int> seen;
  auto g = [&seen](const Key& k, const basis::Lazy<int>& n, const basis::Lazy<int>& o) {
    seen.push_back(static_cast<int>(k.id));
    return n.force() + o.force();
  };
  m = unsafeInsertWithKey(g, key(1), 10, std::move(m));
  m = unsafeInsertWithKey(g, key(3, 7), 30, std::move(m));
  EXPECT_EQ(seen, (std::vector<int>{1, 3}));
  EXPECT_EQ(lookup(key(1), m)->force(), 11);
  EXPECT_EQ(lookup(key(3, 7), m)->force(), 33);
}

}  // namespace
}  // namespace hashgrove::internal
