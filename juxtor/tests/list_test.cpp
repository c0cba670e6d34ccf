// Aligning, zipping, repeating and unzipping lists, zip lists, non-empty
// lists and rose trees.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <juxtor/internal/list.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::NonEmpty;
using basis::Tree;
using basis::ZipList;
using T = These<int, int>;

static_assert(juxtor::AlignTag<basis::ListTag>);
static_assert(juxtor::RepeatTag<basis::ListTag>);
static_assert(juxtor::UnzipTag<basis::ListTag>);
static_assert(juxtor::AlignTag<basis::ZipListTag>);
static_assert(juxtor::UnzipTag<basis::ZipListTag>);
static_assert(juxtor::RepeatTag<basis::NonEmptyTag>);
static_assert(juxtor::UnzipTag<basis::NonEmptyTag>);
static_assert(juxtor::RepeatTag<basis::TreeTag>);
static_assert(juxtor::UnzipTag<basis::TreeTag>);

TEST(ListAlign, KeepsTheLongerSidesExtraElements) {
  struct Case {
    std::vector<int> xs, ys;
    std::vector<T> aligned;
  };
  const std::vector<Case> cases = {
      {{1, 2}, {10}, {Both(1, 10), This<int, int>(2)}},
      {{}, {10, 20}, {That<int, int>(10), That<int, int>(20)}},
      {{}, {}, {}},
      {{1}, {10, 20, 30}, {Both(1, 10), That<int, int>(20), That<int, int>(30)}},
      {{1, 2}, {3, 4}, {Both(1, 3), Both(2, 4)}},
  };
  for (const Case& c : cases) {
    auto xs = List<int>::fromRange(c.xs);
    auto ys = List<int>::fromRange(c.ys);
    EXPECT_EQ(juxtor::align(xs, ys).toVector(), c.aligned);
    EXPECT_EQ(juxtor::alignWith(juxtor::detail::Id{}, xs, ys).toVector(), c.aligned);
  }
}

TEST(ListAlign, ExaminesTheRightListFirst) {
  // An empty right list: the left list is not examined until the result is.
  auto r = juxtor::align(failingList<int>(), List<int>());
  EXPECT_THROW(r.isNil(), Boom);
  // A non-empty right list: the left one is examined during the call.
  EXPECT_THROW(juxtor::align(failingList<int>(), list({1})), Boom);
  EXPECT_THROW(juxtor::align(list({1}), failingList<int>()), Boom);
}

TEST(ListAlign, WorksOnEndlessListsAndDefersTheFunction) {
  auto ones = juxtor::repeat<basis::ListTag>(1);
  auto r = juxtor::align(ones, list({7, 8}));
  EXPECT_EQ(take(r, 4), (std::vector<T>{Both(1, 7), Both(1, 8), This<int, int>(1), This<int, int>(1)}));

  int calls = 0;
  auto counted = juxtor::alignWith(
      [&calls](const T& t) {
        ++calls;
        return t.isThese();
      },
      list({1, 2, 3}), list({4}));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(counted.head(), true);
  EXPECT_EQ(calls, 1);
}

TEST(ListAlign, IndexedFormCountsFromZero) {
  using P = std::pair<std::int64_t, These<char, char>>;
  auto r = juxtor::ialignWith([](std::int64_t i, const These<char, char>& t) { return P(i, t); },
                              list({'a', 'b'}), list({'c'}));
  EXPECT_EQ(r.toVector(), (std::vector<P>{P(0, These<char, char>::these('a', 'c')),
                                          P(1, These<char, char>::this_('b'))}));
}

TEST(ListZip, StopsAtTheShorterList) {
  using P = std::pair<int, int>;
  EXPECT_EQ(juxtor::zip(list({1, 2, 3}), list({4})).toVector(), (std::vector<P>{P(1, 4)}));
  auto zl = juxtor::zip(ZipList<int>{list({1, 2, 3})}, ZipList<int>{list({4})});
  EXPECT_EQ(zl.getZipList.toVector(), (std::vector<P>{P(1, 4)}));
  // Nothing is examined during the call; the right list not at all after an
  // empty left one.
  auto lazy = juxtor::zip(failingList<int>(), list({1}));
  EXPECT_THROW(lazy.isNil(), Boom);
  EXPECT_TRUE(juxtor::zip(List<int>(), failingList<int>()).isNil());
}

TEST(ListZip, IndexedFormsCountFromZero) {
  auto r = juxtor::izipWith([](std::int64_t i, int a, int b) { return i * 100 + a * 10 + b; }, list({1, 2, 3}),
                            list({4, 5}));
  EXPECT_EQ(r.toVector(), (std::vector<std::int64_t>{14, 125}));
  auto z = juxtor::izipWith([](std::int64_t i, int a, int b) { return i + a + b; }, ZipList<int>{list({1})},
                            ZipList<int>{list({1, 2})});
  EXPECT_EQ(z.getZipList.toVector(), (std::vector<std::int64_t>{2}));
}

TEST(ListRepeat, IndexedRepeatGivesEachIndex) {
  auto r = juxtor::irepeat<basis::ListTag>([](std::int64_t i) { return i; });
  EXPECT_EQ(take(r, 4), (std::vector<std::int64_t>{0, 1, 2, 3}));
  auto ne = juxtor::irepeat<basis::NonEmptyTag>([](std::int64_t i) { return i * 2; });
  EXPECT_EQ(ne.head.force(), 0);
  EXPECT_EQ(take(ne.tail, 2), (std::vector<std::int64_t>{2, 4}));
  auto zl = juxtor::irepeat<basis::ZipListTag>([](std::int64_t i) { return -i; });
  EXPECT_EQ(take(zl.getZipList, 3), (std::vector<std::int64_t>{0, -1, -2}));
}

TEST(ListUnzip, ListExaminesAtOnceZipListDoesNot) {
  using P = std::pair<int, char>;
  EXPECT_THROW(juxtor::unzip(failingList<P>()), Boom);
  auto [l, r] = juxtor::unzip(ZipList<P>{failingList<P>()});
  EXPECT_THROW(l.getZipList.isNil(), Boom);
  EXPECT_THROW(r.getZipList.isNil(), Boom);

  auto [xs, ys] = juxtor::unzip(list({P(1, 'a'), P(2, 'b')}));
  EXPECT_EQ(xs.toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(ys.toVector(), (std::vector<char>{'a', 'b'}));
}

TEST(ListUnzip, UnzipWithCallsTheFunctionOncePerElement) {
  int calls = 0;
  auto [xs, ys] = juxtor::unzipWith(
      [&calls](int x) {
        ++calls;
        return std::pair(x, x * 2);
      },
      list({1, 2, 3}));
  EXPECT_EQ(xs.toVector(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(ys.toVector(), (std::vector<int>{2, 4, 6}));
  EXPECT_EQ(calls, 3);
}

TEST(ListUnzip, UnzipsAnEndlessListIncrementally) {
  auto pairs = juxtor::repeat<basis::ListTag>(std::pair(1, 'x'));
  auto [xs, ys] = juxtor::unzip(pairs);
  EXPECT_EQ(take(xs, 3), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(take(ys, 2), (std::vector<char>{'x', 'x'}));
}

TEST(ListAlign, LongListsNeedNoDeepStack) {
  std::vector<int> big(100000);
  for (int i = 0; i < 100000; ++i) big[static_cast<std::size_t>(i)] = i;
  auto xs = List<int>::fromRange(big);
  std::int64_t n = 0;
  for (const T& t : juxtor::align(xs, list({1}))) n += t.isThis() ? 1 : 0;
  EXPECT_EQ(n, 99999);
  auto [a, b] = juxtor::unzip(juxtor::zip(xs, xs));
  EXPECT_EQ(basis::length(a), 100000);
}

// ---------------------------------------------------------------------------
// Laws, against a plain model over vectors.

std::vector<T> alignModel(const std::vector<int>& xs, const std::vector<int>& ys) {
  std::vector<T> out;
  for (std::size_t i = 0; i < std::max(xs.size(), ys.size()); ++i) {
    if (i < xs.size() && i < ys.size()) out.push_back(Both(xs[i], ys[i]));
    else if (i < xs.size()) out.push_back(This<int, int>(xs[i]));
    else out.push_back(That<int, int>(ys[i]));
  }
  return out;
}

RC_GTEST_PROP(ListLaws, AlignMatchesThePositionModel, (std::vector<int> xs, std::vector<int> ys)) {
  auto a = List<int>::fromRange(xs);
  auto b = List<int>::fromRange(ys);
  RC_ASSERT(juxtor::align(a, b).toVector() == alignModel(xs, ys));
  auto ne = juxtor::align(NonEmpty<int>{0, a}, NonEmpty<int>{0, b});
  std::vector<T> expected{Both(0, 0)};
  for (const T& t : alignModel(xs, ys)) expected.push_back(t);
  RC_ASSERT(ne.toList().toVector() == expected);
}

RC_GTEST_PROP(ListLaws, ZipThenUnzipGivesTheCommonPrefixes, (std::vector<int> xs, std::vector<int> ys)) {
  auto [l, r] = juxtor::unzip(juxtor::zip(List<int>::fromRange(xs), List<int>::fromRange(ys)));
  const std::size_t n = std::min(xs.size(), ys.size());
  RC_ASSERT(l.toVector() == std::vector<int>(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(n)));
  RC_ASSERT(r.toVector() == std::vector<int>(ys.begin(), ys.begin() + static_cast<std::ptrdiff_t>(n)));
  auto [nl, nr] = juxtor::unzip(juxtor::zip(NonEmpty<int>{1, List<int>::fromRange(xs)},
                                            NonEmpty<int>{2, List<int>::fromRange(ys)}));
  RC_ASSERT(nl.head.force() == 1);
  RC_ASSERT(nr.tail.toVector() == std::vector<int>(ys.begin(), ys.begin() + static_cast<std::ptrdiff_t>(n)));
}

// ---------------------------------------------------------------------------
// Non-empty lists.

TEST(NonEmptyAlign, PairsTheHeadsAndAlignsTheTails) {
  NonEmpty<int> a{1, list({2, 3})};
  NonEmpty<int> b{10, List<int>()};
  auto r = juxtor::align(a, b);
  EXPECT_EQ(r.toList().toVector(), (std::vector<T>{Both(1, 10), This<int, int>(2), This<int, int>(3)}));
  using P = std::pair<std::int64_t, T>;
  auto ir = juxtor::ialignWith([](std::int64_t i, const T& t) { return P(i, t); }, a, b);
  EXPECT_EQ(ir.toList().toVector(), (std::vector<P>{P(0, Both(1, 10)), P(1, This<int, int>(2)),
                                                    P(2, This<int, int>(3))}));
  auto z = juxtor::izipWith([](std::int64_t i, int x, int y) { return i + x + y; }, a, NonEmpty<int>{5, list({6})});
  EXPECT_EQ(z.toList().toVector(), (std::vector<std::int64_t>{6, 9}));
}

TEST(NonEmptyAlign, ExaminesNothingDuringTheCall) {
  NonEmpty<int> bad{failing<int>(), failingList<int>()};
  auto r = juxtor::alignWith([](const T&) { return 0; }, bad, bad);
  EXPECT_THROW(r.head.force(), Boom);
  EXPECT_THROW(r.tail.isNil(), Boom);
  auto [l, rr] = juxtor::unzip(NonEmpty<std::pair<int, int>>{failing<std::pair<int, int>>(), {}});
  EXPECT_THROW(l.head.force(), Boom);
  EXPECT_TRUE(rr.tail.isNil());
}

TEST(NonEmptyUnzip, UnzipWithSharesEachApplication) {
  int calls = 0;
  auto [l, r] = juxtor::unzipWith(
      [&calls](int x) {
        ++calls;
        return std::pair(x, -x);
      },
      NonEmpty<int>{1, list({2})});
  EXPECT_EQ(l.toList().toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(r.toList().toVector(), (std::vector<int>{-1, -2}));
  EXPECT_EQ(calls, 2);
}

// ---------------------------------------------------------------------------
// Trees.

Tree<int> leaf(int x) { return Tree<int>::node(x); }
Tree<int> node(int x, std::initializer_list<Tree<int>> cs) { return Tree<int>::node(x, list(cs)); }

TEST(TreeAlign, KeepsANodeWhereEitherTreeHasOne) {
  Tree<int> s = node(1, {leaf(2), node(3, {leaf(4)})});
  Tree<int> t = node(10, {leaf(20)});
  auto r = juxtor::align(s, t);
  using TT = Tree<T>;
  TT expected = TT::node(Both(1, 10), List<TT>::fromRange(std::vector<TT>{
                                          TT::node(Both(2, 20)),
                                          TT::node(This<int, int>(3), List<TT>::fromRange(std::vector<TT>{
                                                                              TT::node(This<int, int>(4))}))}));
  EXPECT_TRUE(r == expected);
}

TEST(TreeZip, KeepsANodeWhereBothTreesHaveOne) {
  Tree<int> s = node(1, {leaf(2), node(3, {leaf(4)})});
  Tree<int> t = node(10, {node(20, {leaf(30), leaf(40)})});
  auto r = juxtor::zipWith([](int a, int b) { return a + b; }, s, t);
  EXPECT_TRUE(r == node(11, {leaf(22)}));
  // The endless tree zipped with t has exactly t's shape.
  auto shaped = juxtor::zipWith([](int, int b) { return b; }, juxtor::repeat<basis::TreeTag>(0), t);
  EXPECT_TRUE(shaped == t);
}

TEST(TreeUnzip, SplitsEveryLabel) {
  using P = std::pair<int, char>;
  using TP = Tree<P>;
  TP t = TP::node(P(1, 'a'), List<TP>::fromRange(std::vector<TP>{TP::node(P(2, 'b'))}));
  auto [l, r] = juxtor::unzip(t);
  EXPECT_TRUE(l == node(1, {leaf(2)}));
  EXPECT_TRUE(r == (Tree<char>::node('a', List<Tree<char>>::fromRange(std::vector<Tree<char>>{Tree<char>::node('b')}))));
}

TEST(TreeRepeat, IsEndlessInDepthAndBreadth) {
  auto t = juxtor::repeat<basis::TreeTag>(7);
  Tree<int> cur = t;
  for (int depth = 0; depth < 1000; ++depth) cur = cur.subForest().head();
  EXPECT_EQ(cur.rootLabel(), 7);
  EXPECT_EQ(take(basis::Functor<basis::ListTag>::fmap([](const Tree<int>& s) { return s.rootLabel(); },
                                                     t.subForest()),
                 3),
            (std::vector<int>{7, 7, 7}));
}

}  // namespace
