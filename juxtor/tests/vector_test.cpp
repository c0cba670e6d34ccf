// Aligning, zipping and unzipping vectors.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include <juxtor/internal/crosswalk.hpp>
#include <juxtor/internal/list.hpp>
#include <juxtor/internal/simple.hpp>
#include <juxtor/internal/vector.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::Vector;
using T = These<int, int>;
using I = std::int64_t;
using Tag = basis::BoxedVectorTag;

static_assert(juxtor::AlignTag<Tag> && juxtor::UnzipTag<Tag>);

Vector<int> vec(int n, int from) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(from + i);
  return Vector<int>::fromList(v);
}

TEST(VectorAlign, KeepsEveryPositionOfTheLonger) {
  EXPECT_EQ(juxtor::align(vec(3, 1), vec(5, 10)).toVector(),
            (std::vector<T>{Both(1, 10), Both(2, 11), Both(3, 12), That<int, int>(13), That<int, int>(14)}));
  EXPECT_EQ(juxtor::alignVectorWith(juxtor::detail::Id{}, vec(5, 1), vec(3, 10)).toVector(),
            (std::vector<T>{Both(1, 10), Both(2, 11), Both(3, 12), This<int, int>(4), This<int, int>(5)}));
  EXPECT_TRUE(juxtor::align(Vector<int>(), Vector<int>()).empty());
  EXPECT_EQ(juxtor::align(Vector<int>(), vec(2, 7)).toVector(), (std::vector<T>{That<int, int>(7), That<int, int>(8)}));
  EXPECT_TRUE((juxtor::nil<Tag, int>()).empty());
}

TEST(VectorAlign, EvaluatesNoElementAndDefersTheFunction) {
  auto bad = Vector<int>::fromLazy({failing<int>(), basis::Lazy<int>(2)});
  int calls = 0;
  auto r = juxtor::alignWith([&calls](const T& t) { return ++calls, t.isThese(); }, bad, vec(1, 5));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(r.size(), 2u);
  EXPECT_FALSE(r.at(1));
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(r.at(0), Boom);
}

TEST(VectorAlign, IndexedFormsCountPositions) {
  auto r = juxtor::ialignWith([](I i, const T&) { return i; }, vec(2, 0), vec(4, 0));
  EXPECT_EQ(r.toVector(), (std::vector<I>{0, 1, 2, 3}));
  auto z = juxtor::izipWith([](I i, int a, int b) { return i * 100 + a + b; }, vec(3, 1), vec(2, 10));
  EXPECT_EQ(z.toVector(), (std::vector<I>{11, 113}));
}

TEST(VectorAlign, SlicesUseTheirOwnElements) {
  Vector<int> whole = vec(10, 0);
  Vector<int> middle = whole.slice(3, 4);  // 3, 4, 5, 6
  EXPECT_EQ(middle.offset(), 3u);
  EXPECT_EQ(juxtor::align(middle, whole.slice(8, 5)).toVector(),
            (std::vector<T>{Both(3, 8), Both(4, 9), This<int, int>(5), This<int, int>(6)}));
  EXPECT_EQ(juxtor::zip(middle, middle).toVector(), (std::vector<std::pair<int, int>>{{3, 3}, {4, 4}, {5, 5}, {6, 6}}));
  auto [a, b] = juxtor::unzip(juxtor::zip(whole.slice(1, 2), whole.slice(5, 9)));
  EXPECT_EQ(a.toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(b.toVector(), (std::vector<int>{5, 6}));
}

TEST(VectorZip, KeepsTheShorterLength) {
  EXPECT_EQ(juxtor::zip(vec(3, 1), vec(5, 1)).size(), 3u);
  EXPECT_TRUE(juxtor::zip(vec(3, 1), Vector<int>()).empty());
  EXPECT_EQ(juxtor::zipWith([](int a, int b) { return a * b; }, vec(2, 2), vec(3, 3)).toVector(), (std::vector<int>{6, 12}));
}

TEST(VectorUnzip, UnzipWithAppliesTheFunctionOncePerElement) {
  int calls = 0;
  auto [a, b] = juxtor::unzipWith([&calls](int x) { return ++calls, std::pair(x, -x); }, vec(3, 1));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(a.toVector(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(b.toVector(), (std::vector<int>{-1, -2, -3}));
  EXPECT_EQ(calls, 3);
}

TEST(VectorCrosswalk, MatchesTheListCrosswalk) {
  auto g = [](int x) { return List<int>::fromRange(std::vector<int>(static_cast<std::size_t>(x), x)); };
  auto fromVector = juxtor::crosswalk(g, vec(3, 1));
  auto fromList = juxtor::crosswalk(g, list({1, 2, 3}));
  std::vector<std::vector<int>> a, b;
  for (const auto& v : fromVector) a.push_back(v.toVector());
  for (const auto& l : fromList) b.push_back(l.toVector());
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, (std::vector<std::vector<int>>{{1, 2, 3}, {2, 3}, {3}}));
}

RC_GTEST_PROP(VectorLaws, AlignMatchesTheListAlignment, (std::vector<int> xs, std::vector<int> ys)) {
  auto v = juxtor::align(Vector<int>::fromList(xs), Vector<int>::fromList(ys));
  auto l = juxtor::align(List<int>::fromRange(xs), List<int>::fromRange(ys));
  RC_ASSERT(v.toVector() == l.toVector());
  auto [a, b] = juxtor::unzip(juxtor::zip(Vector<int>::fromList(xs), Vector<int>::fromList(ys)));
  RC_ASSERT(a.size() == std::min(xs.size(), ys.size()));
  RC_ASSERT(b.size() == a.size());
}

}  // namespace
