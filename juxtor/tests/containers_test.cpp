// Aligning sequences by position and ordered and integer maps by key.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <juxtor/internal/containers.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::IntMap;
using basis::Map;
using basis::Seq;
using T = These<int, int>;
using I = std::int64_t;

static_assert(juxtor::AlignTag<basis::SeqTag> && juxtor::UnzipTag<basis::SeqTag>);
static_assert(juxtor::UnalignTag<basis::IntMapTag> && juxtor::UnzipTag<basis::IntMapTag>);
static_assert(juxtor::UnalignTag<basis::MapOf<std::string>> && juxtor::UnzipTag<basis::MapOf<std::string>>);

Seq<int> seq(int n, int from = 1) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(from + i);
  return Seq<int>::fromRange(v);
}

template <class K, class V, class Kind>
std::map<K, V> contents(const basis::KeyedMap<K, V, Kind>& m) {
  std::map<K, V> out;
  for (const auto& [k, v] : m) out.emplace(k, v.force());
  return out;
}

TEST(SeqAlign, KeepsTheLongerSidesRest) {
  struct Case {
    int lx, ly;
    std::vector<T> aligned;
  };
  const Case cases[] = {
      {2, 5, {Both(1, 10), Both(2, 11), That<int, int>(12), That<int, int>(13), That<int, int>(14)}},
      {5, 2, {Both(1, 10), Both(2, 11), This<int, int>(3), This<int, int>(4), This<int, int>(5)}},
      {0, 3, {That<int, int>(10), That<int, int>(11), That<int, int>(12)}},
      {2, 2, {Both(1, 10), Both(2, 11)}},
      {0, 0, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(juxtor::align(seq(c.lx), seq(c.ly, 10)).toVector(), c.aligned);
  }
  EXPECT_TRUE((juxtor::nil<basis::SeqTag, int>()).empty());
}

TEST(SeqAlign, IndexedFormsCountPositions) {
  auto r = juxtor::ialignWith([](I i, const T&) { return i; }, seq(1), seq(3));
  EXPECT_EQ(r.toVector(), (std::vector<I>{0, 1, 2}));
  auto z = juxtor::izipWith([](I i, int a, int b) { return i * 100 + a + b; }, seq(4), seq(2, 10));
  EXPECT_EQ(z.toVector(), (std::vector<I>{11, 113}));
  auto [a, b] = juxtor::unzip(juxtor::zip(seq(3), seq(2, 10)));
  EXPECT_EQ(a.toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(b.toVector(), (std::vector<int>{10, 11}));
}

TEST(MapAlign, TagsEachKey) {
  Map<std::string, int> a{{"a", 1}, {"b", 2}};
  Map<std::string, int> b{{"b", 20}, {"c", 30}};
  EXPECT_EQ(contents(juxtor::align(a, b)),
            (std::map<std::string, T>{{"a", This<int, int>(1)}, {"b", Both(2, 20)}, {"c", That<int, int>(30)}}));
  IntMap<int> x{{1, 1}, {3, 3}};
  IntMap<int> y{{2, 2}, {4, 4}};
  EXPECT_EQ(contents(juxtor::align(x, y)), (std::map<I, T>{{1, This<int, int>(1)}, {2, That<int, int>(2)},
                                                           {3, This<int, int>(3)}, {4, That<int, int>(4)}}));
  EXPECT_TRUE(juxtor::zip(x, y).empty());
  EXPECT_TRUE((juxtor::nil<basis::IntMapTag, int>()).empty());
  EXPECT_TRUE((juxtor::nil<basis::MapOf<std::string>, int>()).empty());
  auto keyed = juxtor::ialignWith([](I k, const T& t) { return k * 10 + (t.isThis() ? 1 : 2); }, x, y);
  EXPECT_EQ(contents(keyed), (std::map<I, I>{{1, 11}, {2, 22}, {3, 31}, {4, 42}}));
}

TEST(MapUnalign, EveryKeyOnBothSidesWhenAllAreThese) {
  IntMap<T> m{{1, Both(1, 10)}, {2, Both(2, 20)}};
  auto [l, r] = juxtor::unalign(m);
  EXPECT_EQ(contents(l), (std::map<I, int>{{1, 1}, {2, 2}}));
  EXPECT_EQ(contents(r), (std::map<I, int>{{1, 10}, {2, 20}}));
  auto [a, b] = juxtor::unalignWith([](int v) { return v > 1 ? That<int, int>(v) : This<int, int>(v); },
                                    Map<char, int>{{'x', 1}, {'y', 2}});
  EXPECT_EQ(contents(a), (std::map<char, int>{{'x', 1}}));
  EXPECT_EQ(contents(b), (std::map<char, int>{{'y', 2}}));
}

TEST(MapZip, AFailingCombinationFailsOnlyWhereDemanded) {
  IntMap<int> x{{1, 1}, {2, 2}, {3, 3}};
  IntMap<int> y{{2, 20}, {3, 30}};
  auto z = juxtor::zipWith([](int a, int b) -> int {
    if (a == 2) throw Boom();
    return a + b;
  }, x, y);
  EXPECT_EQ(z.lookup(3)->force(), 33);
  EXPECT_THROW(z.lookup(2)->force(), Boom);
  auto iz = juxtor::izipWith([](I k, int a, int b) { return k + a + b; }, x, y);
  EXPECT_EQ(contents(iz), (std::map<I, I>{{2, 24}, {3, 36}}));
  auto aligned = juxtor::alignWith([](const T&) -> int { throw Boom(); }, x, y);
  EXPECT_EQ(aligned.size(), 3u);
}

TEST(MapUnzip, SplitsWithoutEvaluating) {
  using P = std::pair<int, char>;
  Map<int, P> m = Map<int, P>::fromList(std::vector<std::pair<int, basis::Lazy<P>>>{{1, P(1, 'a')}, {2, failing<P>()}});
  auto [a, b] = juxtor::unzip(m);
  EXPECT_EQ(a.lookup(1)->force(), 1);
  EXPECT_EQ(b.lookup(1)->force(), 'a');
  EXPECT_THROW(a.lookup(2)->force(), Boom);
  int calls = 0;
  auto [c, d] = juxtor::unzipWith([&calls](int v) { return ++calls, std::pair(v, -v); }, IntMap<int>{{5, 5}});
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(contents(c), (std::map<I, int>{{5, 5}}));
  EXPECT_EQ(contents(d), (std::map<I, int>{{5, -5}}));
  EXPECT_EQ(calls, 1);
}

RC_GTEST_PROP(MapLaws, AlignThenUnalignGivesBothMapsBack, (std::map<std::int8_t, int> xs, std::map<std::int8_t, int> ys)) {
  auto a = Map<std::int8_t, int>::fromList(xs);
  auto b = Map<std::int8_t, int>::fromList(ys);
  auto [l, r] = juxtor::unalign(juxtor::align(a, b));
  RC_ASSERT(contents(l) == xs);
  RC_ASSERT(contents(r) == ys);
  auto [zl, zr] = juxtor::unzip(juxtor::zip(a, b));
  RC_ASSERT(zl.size() == zr.size());
  for (const auto& [k, v] : contents(zl)) RC_ASSERT(xs.at(k) == v && ys.count(k) == 1u);
}

}  // namespace
