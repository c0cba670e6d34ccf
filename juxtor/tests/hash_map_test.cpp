// Aligning, zipping, unaligning and unzipping hash maps key by key.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <hashgrove/internal/debug.hpp>
#include <hashgrove/lazy.hpp>
#include <juxtor/internal/hash_map.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;

// A key whose full hash the test chooses, so that keys can collide.
struct Key {
  std::int64_t id = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const Key& a, const Key& b) { return a.id == b.id; }
  [[maybe_unused]] friend auto operator<=>(const Key& a, const Key& b) { return a.id <=> b.id; }
};
Key key(std::int64_t id) { return Key{id, static_cast<std::uint64_t>(id) * 0x9e3779b97f4a7c15ull}; }
Key colliding(std::int64_t id) { return Key{id, 42}; }

}  // namespace

template <>
struct basis::Hashable<Key> {
  static std::int64_t hash(const Key& k) { return static_cast<std::int64_t>(k.hash); }
  static std::int64_t hashWithSalt(std::int64_t s, const Key& k) { return basis::hashWithSalt(s, static_cast<std::int64_t>(k.hash)); }
};

namespace {

using Map = hashgrove::HashMap<Key, int>;
using CMap = hashgrove::HashMap<Key, char>;
using T = These<int, char>;
using Tag = hashgrove::HashMapOf<Key>;

static_assert(juxtor::AlignTag<Tag> && juxtor::UnalignTag<Tag> && juxtor::UnzipTag<Tag>);

template <class V>
hashgrove::HashMap<Key, V> mapOf(std::vector<std::pair<Key, V>> kvs) {
  return hashgrove::lazy::fromList(kvs);
}

// The map's pairs in key order, values forced.
template <class V>
std::map<std::int64_t, V> contents(const hashgrove::HashMap<Key, V>& m) {
  std::map<std::int64_t, V> out;
  for (const auto& [k, v] : hashgrove::lazy::toList(m)) out.emplace(k.id, basis::forced(v));
  return out;
}

template <class V>
void expectValid(const hashgrove::HashMap<Key, V>& m) {
  EXPECT_TRUE(hashgrove::internal::debug::valid(m).isValid());
}

TEST(HashMapAlign, TagsEachKeyWithItsSides) {
  Map a = mapOf<int>({{key(1), 10}, {key(2), 20}});
  CMap b = mapOf<char>({{key(2), 'b'}, {key(3), 'c'}});
  auto r = juxtor::align(a, b);
  expectValid(r);
  EXPECT_EQ(contents(r), (std::map<std::int64_t, T>{{1, T::this_(10)}, {2, T::these(20, 'b')}, {3, T::that('c')}}));
}

TEST(HashMapAlign, AgainstTheEmptyMap) {
  Map a = mapOf<int>({{key(1), 10}, {key(2), 20}});
  using TI = These<int, int>;
  EXPECT_EQ(contents(juxtor::align(a, Map())), (std::map<std::int64_t, TI>{{1, TI::this_(10)}, {2, TI::this_(20)}}));
  EXPECT_EQ(contents(juxtor::align(Map(), a)), (std::map<std::int64_t, TI>{{1, TI::that(10)}, {2, TI::that(20)}}));
  EXPECT_TRUE(hashgrove::lazy::null(juxtor::align(Map(), Map())));
  EXPECT_EQ(contents(juxtor::align(a, a)), (std::map<std::int64_t, TI>{{1, TI::these(10, 10)}, {2, TI::these(20, 20)}}));
  EXPECT_TRUE(hashgrove::lazy::null(juxtor::nil<Tag, int>()));
  // The empty results are the shared empty node itself.
  const auto* empty = Map().node();
  EXPECT_EQ((juxtor::nil<Tag, int>()).node(), empty);
  EXPECT_EQ(juxtor::align(Map(), CMap()).node(), empty);
  EXPECT_EQ(juxtor::zip(a, mapOf<char>({{key(3), 'c'}})).node(), empty);
}

TEST(HashMapAlign, CollidingKeysShareOneBucketLeftFirst) {
  Map a = mapOf<int>({{colliding(1), 10}});
  CMap b = mapOf<char>({{colliding(2), 'x'}});
  auto r = juxtor::align(a, b);
  expectValid(r);
  auto pairs = hashgrove::lazy::toList(r);
  std::vector<std::pair<std::int64_t, T>> got;
  for (const auto& [k, v] : pairs) got.emplace_back(k.id, v.force());
  EXPECT_EQ(got, (std::vector<std::pair<std::int64_t, T>>{{1, T::this_(10)}, {2, T::that('x')}}));
  // Buckets on both sides with one key in common.
  Map c = mapOf<int>({{colliding(1), 1}, {colliding(3), 3}});
  CMap d = mapOf<char>({{colliding(3), 'c'}, {colliding(4), 'd'}});
  auto both = juxtor::align(c, d);
  expectValid(both);
  EXPECT_EQ(contents(both), (std::map<std::int64_t, T>{{1, T::this_(1)}, {3, T::these(3, 'c')}, {4, T::that('d')}}));
  // The bucket keeps the union's order: a bucket's own order first, a lone
  // leaf's key updated in place or put at the end.
  struct Case {
    std::vector<std::int64_t> left, right;
    std::vector<std::pair<std::int64_t, char>> bucket;  // key, side: L, R or B
  };
  const Case cases[] = {
      {{1}, {2, 3}, {{2, 'R'}, {3, 'R'}, {1, 'L'}}},
      {{3}, {2, 3}, {{2, 'R'}, {3, 'B'}}},
      {{1, 2}, {3}, {{1, 'L'}, {2, 'L'}, {3, 'R'}}},
      {{1, 2}, {1}, {{1, 'B'}, {2, 'L'}}},
      {{1, 3}, {3, 4}, {{1, 'L'}, {3, 'B'}, {4, 'R'}}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<Key, int>> l;
    std::vector<std::pair<Key, char>> r;
    for (std::int64_t id : c.left) l.emplace_back(colliding(id), static_cast<int>(id));
    for (std::int64_t id : c.right) r.emplace_back(colliding(id), 'r');
    auto aligned = juxtor::align(mapOf<int>(l), mapOf<char>(r));
    expectValid(aligned);
    std::vector<std::pair<std::int64_t, char>> order;
    for (const auto& [k, v] : aligned) {
      const T& t = v.force();
      order.emplace_back(k.id, t.isThis() ? 'L' : t.isThat() ? 'R' : 'B');
    }
    EXPECT_EQ(order, c.bucket);
  }
}

TEST(HashMapAlign, EvaluatesNoValue) {
  Map a = hashgrove::lazy::insert(key(1), failing<int>(), mapOf<int>({{key(2), 2}}));
  CMap b = mapOf<char>({{key(1), 'a'}, {key(3), 'c'}});
  auto r = juxtor::align(a, b);
  EXPECT_THROW(hashgrove::lazy::lookup(key(1), r)->force(), Boom);
  EXPECT_EQ(hashgrove::lazy::lookup(key(3), r)->force(), T::that('c'));
  int calls = 0;
  auto w = juxtor::alignWith([&calls](const T& t) { return ++calls, t.isThese(); }, a, b);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(hashgrove::lazy::lookup(key(2), w)->force());
  EXPECT_EQ(calls, 1);
}

TEST(HashMapAlign, IndexedFormPassesTheKey) {
  Map a = mapOf<int>({{key(1), 10}});
  CMap b = mapOf<char>({{key(2), 'b'}});
  auto r = juxtor::ialignWith([](const Key& k, const T& t) { return k.id * 100 + (t.isThis() ? 1 : 2); }, a, b);
  EXPECT_EQ(contents(r), (std::map<std::int64_t, std::int64_t>{{1, 101}, {2, 202}}));
}

TEST(HashMapZip, KeepsTheKeysOfBothMaps) {
  Map a = mapOf<int>({{key(1), 10}, {key(2), 20}, {colliding(5), 5}});
  CMap b = mapOf<char>({{key(2), 'b'}, {key(3), 'c'}, {colliding(5), 'e'}, {colliding(6), 'f'}});
  auto z = juxtor::zip(a, b);
  expectValid(z);
  EXPECT_EQ(contents(z), (std::map<std::int64_t, std::pair<int, char>>{{2, {20, 'b'}}, {5, {5, 'e'}}}));
  EXPECT_TRUE(hashgrove::lazy::null(juxtor::zip(mapOf<int>({{key(1), 1}}), mapOf<int>({{key(2), 2}}))));
  auto zi = juxtor::izipWith([](const Key& k, int x, char c) { return k.id + x + c; }, a, b);
  EXPECT_EQ(contents(zi), (std::map<std::int64_t, std::int64_t>{{2, 2 + 20 + 'b'}, {5, 5 + 5 + 'e'}}));
  // zipWith applies f during the call.
  EXPECT_THROW(juxtor::zipWith([](int, char) -> int { throw Boom(); }, a, b), Boom);
}

TEST(HashMapUnalign, SplitsTheSides) {
  using TI = These<int, int>;
  auto m = mapOf<TI>({{key(1), TI::this_(1)}, {key(2), TI::this_(2)}});
  auto [l, r] = juxtor::unalign(m);
  EXPECT_EQ(contents(l), (std::map<std::int64_t, int>{{1, 1}, {2, 2}}));
  EXPECT_TRUE(hashgrove::lazy::null(r));
  auto mixed = mapOf<TI>({{key(1), TI::this_(1)}, {key(2), TI::that(2)}, {colliding(3), TI::these(3, 4)},
                          {colliding(4), TI::that(5)}});
  auto [l2, r2] = juxtor::unalign(mixed);
  expectValid(l2);
  expectValid(r2);
  EXPECT_EQ(contents(l2), (std::map<std::int64_t, int>{{1, 1}, {3, 3}}));
  EXPECT_EQ(contents(r2), (std::map<std::int64_t, int>{{2, 2}, {3, 4}, {4, 5}}));
  EXPECT_THROW(juxtor::unalignWith([](int x) -> TI { if (x == 2) throw Boom(); return TI::this_(x); },
                                   mapOf<int>({{key(1), 1}, {key(2), 2}})),
               Boom);
}

TEST(HashMapUnzip, SplitsThePairsWithoutEvaluating) {
  auto [l, r] = juxtor::unzip(hashgrove::HashMap<Key, std::pair<int, char>>());
  EXPECT_TRUE(hashgrove::lazy::null(l) && hashgrove::lazy::null(r));
  int calls = 0;
  auto [a, b] = juxtor::unzipWith([&calls](int x) { return ++calls, std::pair(x, -x); },
                                  mapOf<int>({{key(1), 1}, {key(2), 2}}));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(contents(a), (std::map<std::int64_t, int>{{1, 1}, {2, 2}}));
  EXPECT_EQ(contents(b), (std::map<std::int64_t, int>{{1, -1}, {2, -2}}));
  EXPECT_EQ(calls, 2);
}

TEST(HashMapAlign, MergeOfAnythingButThisAndThatIsAnInternalError) {
  using TI = These<int, int>;
  try {
    (void)juxtor::detail::mergeThisThat(TI::that(1), TI::that(2));
    FAIL();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.Align: internal error: Align HashMap: merge");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], (basis::CallSite{"error", "juxtor", "Data.Juxtor.Internal",
                                                         "src/Data/Juxtor/Internal", 67, 8, 67, 13}));
  }
  EXPECT_THROW(juxtor::oops("x"), basis::ErrorCall);
  try {
    juxtor::oops("what");
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.Align: internal error: what");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], (basis::CallSite{"error", "juxtor", "Data.Juxtor.Internal",
                                                         "src/Data/Juxtor/Internal", 67, 8, 67, 13}));
  }
}

// ---------------------------------------------------------------------------
// Against a model: keys drawn from a small range, hashes from a smaller one so
// that buckets, shared prefixes and full branches all occur.

Key modelKey(std::int64_t id, int hashBits) {
  const std::uint64_t h = static_cast<std::uint64_t>(id) * 0x9e3779b97f4a7c15ull;
  return Key{id, hashBits >= 64 ? h : (h >> (64 - hashBits))};
}

RC_GTEST_PROP(HashMapLaws, AlignAndUnalignRoundTrip, (std::map<std::int16_t, int> xs, std::map<std::int16_t, int> ys)) {
  const int bits = *rc::gen::element(3, 8, 64);
  std::vector<std::pair<Key, int>> a, b;
  for (auto [k, v] : xs) a.emplace_back(modelKey(k, bits), v);
  for (auto [k, v] : ys) b.emplace_back(modelKey(k, bits), v);
  auto m1 = hashgrove::lazy::fromList(a);
  auto m2 = hashgrove::lazy::fromList(b);
  auto r = juxtor::align(m1, m2);
  RC_ASSERT(hashgrove::internal::debug::valid(r).isValid());
  using TI = These<int, int>;
  std::map<std::int64_t, TI> expected;
  for (auto [k, v] : xs) expected.emplace(k, ys.count(k) ? TI::these(v, ys.at(k)) : TI::this_(v));
  for (auto [k, v] : ys) if (!xs.count(k)) expected.emplace(k, TI::that(v));
  RC_ASSERT(contents(r) == expected);
  auto [l, rr] = juxtor::unalign(r);
  RC_ASSERT(hashgrove::internal::debug::valid(l).isValid());
  RC_ASSERT(hashgrove::internal::debug::valid(rr).isValid());
  RC_ASSERT(contents(l) == contents(m1));
  RC_ASSERT(contents(rr) == contents(m2));
  auto z = juxtor::zip(m1, m2);
  RC_ASSERT(hashgrove::internal::debug::valid(z).isValid());
  auto [zl, zr] = juxtor::unzip(z);
  for (const auto& [k, v] : contents(zl)) RC_ASSERT(xs.count(static_cast<std::int16_t>(k)) && ys.count(static_cast<std::int16_t>(k)) && xs.at(static_cast<std::int16_t>(k)) == v);
  RC_ASSERT(contents(zl).size() == contents(zr).size());
}

}  // namespace
