// Array traversals, folds and interfaces: evaluation order, laziness, early
// stops, text form, deep evaluation and expression building.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <hashgrove/internal/array.hpp>

namespace hashgrove::internal::array {
namespace {

using LazyInt = basis::Lazy<int>;

Array<int> ints(std::vector<int> xs) { return fromList(static_cast<std::int64_t>(xs.size()), xs); }
std::vector<int> elements(const Array<int>& a) { return forcedElements(a); }
LazyInt boom() {
  return LazyInt::defer([]() -> int { throw std::runtime_error("forced"); });
}

TEST(ArrayTraversals, EmptyArrays) {
  const Array<int> e;
  EXPECT_EQ(foldl([](int acc, int x) { return acc + x; }, 7, e), 7);
  EXPECT_EQ(foldl_([](int acc, int x) { return acc + x; }, 7, e), 7);
  EXPECT_EQ(foldr([](int x, int acc) { return acc + x; }, 7, e), 7);
  EXPECT_EQ(foldr_([](int x, int acc) { return acc + x; }, 7, e), 7);
  EXPECT_EQ(foldMap([](int x) { return std::to_string(x); }, e), "");
  EXPECT_TRUE(all([](int) { return false; }, e));
  EXPECT_EQ(length(toList(e)), 0);
  int calls = 0;
  EXPECT_TRUE(sameArray1([&](int, int) { return ++calls, false; }, e, Array<int>()));
  EXPECT_EQ(calls, 0);
  basis::rnf(e);
  EXPECT_EQ(basis::show(e), "[]");
  EXPECT_EQ(length(traverseST([&](int x) { return ++calls, x; }, e)), 0);
  EXPECT_EQ(calls, 0);
}

TEST(ArrayTraversals, SameArray1StopsAtTheFirstMismatchWithTheFirstArrayFirst) {
  std::vector<std::pair<int, int>> seen;
  auto r = [&](int a, int b) {
    seen.emplace_back(a, b);
    return a == b;
  };
  EXPECT_FALSE(sameArray1(r, ints({1, 2}), ints({1, 2, 3})));
  EXPECT_TRUE(seen.empty());
  EXPECT_FALSE(sameArray1(r, ints({1, 5, 3}), ints({1, 2, 3})));
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {5, 2}}));
}

TEST(ArrayTraversals, MapDefersAndMapPrimeEvaluatesInOrder) {
  auto fails = [](int x) -> int {
    if (x == 2) throw std::runtime_error("f");
    return x;
  };
  Array<int> lazy = map(fails, ints({1, 2, 3}));
  EXPECT_EQ(index(lazy, 0), 1);
  EXPECT_THROW((void)index(lazy, 1), std::runtime_error);
  std::vector<int> order;
  EXPECT_THROW(map_(
                   [&](int x) {
                     order.push_back(x);
                     return fails(x);
                   },
                   ints({1, 2, 3})),
               std::runtime_error);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(elements(map_([](int x) { return x * 2; }, ints({1, 2}))), (std::vector<int>{2, 4}));
}

TEST(ArrayTraversals, LazyFoldsCallTheOutermostStepFirst) {
  // foldl with a step that ignores its accumulator: only the last element's
  // step runs, so a failing element before it is never reached.
  Array<int> a = fromList(3, std::vector<LazyInt>{boom(), boom(), LazyInt(3)});
  int calls = 0;
  EXPECT_EQ(foldl([&](const LazyInt&, int x) { return ++calls, x; }, 0, a), 3);
  EXPECT_EQ(calls, 1);
  Array<int> b = fromList(3, std::vector<LazyInt>{LazyInt(1), boom(), boom()});
  EXPECT_EQ(foldr([&](int x, const LazyInt&) { return ++calls, x; }, 0, b), 1);
  EXPECT_EQ(calls, 2);
  // With steps that use their accumulators the folds agree with the strict ones.
  auto minus = [](int acc, int x) { return acc - x; };
  EXPECT_EQ(foldl(minus, 100, ints({1, 2, 3})), foldl_(minus, 100, ints({1, 2, 3})));
  auto cons = [](int x, std::string acc) { return std::to_string(x) + acc; };
  EXPECT_EQ(foldr(cons, std::string("."), ints({1, 2, 3})), "123.");
  EXPECT_EQ(foldr_(cons, std::string("."), ints({1, 2, 3})), "123.");
}

TEST(ArrayTraversals, FoldMapNestsToTheRightWithoutMemptyForOneElement) {
  struct Traced {
    std::string s;
  };
  EXPECT_EQ(foldMap([](int x) { return std::to_string(x); }, ints({1, 2, 3})), "123");
  EXPECT_EQ(foldMap([](int x) { return std::to_string(x); }, ints({4})), "4");
}

TEST(ArrayTraversals, AllStopsAtTheFirstFalse) {
  Array<int> a = fromList(3, std::vector<LazyInt>{LazyInt(1), LazyInt(-1), boom()});
  EXPECT_FALSE(all([](int x) { return x > 0; }, a));
  EXPECT_TRUE(all([](int x) { return x > 0; }, ints({1, 2})));
}

TEST(ArrayTraversals, ToListHandsOutTheSlotsUnevaluated) {
  Array<int> a = fromList(2, std::vector<LazyInt>{LazyInt(1), boom()});
  int n = 0;
  for (const LazyInt& x : toList(a)) n += x.isEvaluated() ? 1 : 0;
  EXPECT_EQ(n, 1);
}

TEST(ArrayTraversals, TraverseWithOptionalAndListApplicatives) {
  auto positive = [](int x) { return x > 0 ? std::optional<int>(x * 10) : std::nullopt; };
  auto ok = traverse(positive, ints({1, 2}));
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(elements(*ok), (std::vector<int>{10, 20}));
  EXPECT_FALSE(traverse(positive, ints({1, -2, 3})).has_value());
  auto both = traverse([](int x) { return std::vector<int>{x, -x}; }, ints({1, 2}));
  ASSERT_EQ(both.size(), 4u);
  EXPECT_EQ(elements(both[1]), (std::vector<int>{1, -2}));
  EXPECT_FALSE(unsafeSameArray(both[0], both[1]));  // one array per result
  auto evaluated = traverse_([](int x) { return basis::Identity<LazyInt>{LazyInt::defer([x] { return x; })}; },
                             ints({5}));
  EXPECT_TRUE(index_raw(evaluated.value, 0).isEvaluated());
  std::vector<int> order;
  traverseIO([&](int x) { return order.push_back(x), x; }, ints({3, 1, 2}));
  EXPECT_EQ(order, (std::vector<int>{3, 1, 2}));
}

TEST(ArrayInterfaces, TextFormIsTheElementListAtEveryPrecedence) {
  EXPECT_EQ(basis::show(ints({1, -2})), "[1,-2]");
  EXPECT_EQ(basis::showsPrec(11, ints({1, -2})), "[1,-2]");
  EXPECT_EQ(basis::show(fromList(2, std::u32string(U"ab"))), "\"ab\"");
  std::string list;
  basis::Show<Array<int>>::showList(std::vector<Array<int>>{ints({1}), ints({})}, list);
  EXPECT_EQ(list, "[[1],[]]");
}

TEST(ArrayInterfaces, DeepEvaluationForcesEveryElement) {
  int runs = 0;
  Array<int> a = fromList(2, std::vector<LazyInt>{LazyInt::defer([&] { return ++runs; }), LazyInt(2)});
  basis::rnf(a);
  EXPECT_EQ(runs, 1);
  std::vector<int> seen;
  (void)liftRnfArray([&](int x) { seen.push_back(x); }, a);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_THROW(basis::rnf(fromList(1, std::vector<LazyInt>{boom()})), std::runtime_error);
  std::vector<int> lifted;
  basis::NFData1<ArrayTag>::liftRnf([&](int x) { lifted.push_back(x); }, a);
  EXPECT_EQ(lifted, (std::vector<int>{1, 2}));
}

TEST(ArrayInterfaces, LiftBuildsFromListPrimeOfTheCountAndElements) {
  using namespace basis::expr;
  const Exp fl = VarE(mkNameG_v("hashgrove", "Data.HashMap.Internal.Array", "fromList'"));
  EXPECT_EQ(basis::lift(Array<int>()), AppE(AppE(fl, LitE(IntegerL(std::int64_t{0}))), ListE({})));
  EXPECT_EQ(basis::lift(ints({7})),
            AppE(AppE(fl, LitE(IntegerL(std::int64_t{1}))), ListE({LitE(IntegerL(std::int64_t{7}))})));
  EXPECT_EQ(basis::liftTyped(ints({7})).unType, basis::lift(ints({7})));
}

}  // namespace
}  // namespace hashgrove::internal::array
