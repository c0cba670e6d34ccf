// Folds, unfolds and refolds of Fix, Mu and Nu over a list layer.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include <knotloom/knotloom.hpp>

#include "layers.hpp"

namespace {

using knotloom::Fix;
using knotloom::Mu;
using knotloom::Nu;
using knotloom_test::ListF;
using knotloom_test::ListOf;
using knotloom_test::countDown;
using knotloom_test::countUp;
using knotloom_test::CountedStep;

using L = ListOf<int>;
using IntList = Fix<L>;

IntList nil() { return knotloom_test::fixNil<int>(); }
IntList cons(int h, IntList t) { return knotloom_test::fixCons(h, std::move(t)); }
IntList fromVector(const std::vector<int>& xs) { return knotloom_test::fixList(xs); }

// The coalgebra that lists the elements of a vector from a position.
struct Elements {
  const std::vector<int>* xs;
  ListF<int, std::size_t> operator()(std::size_t i) const {
    return i >= xs->size() ? ListF<int, std::size_t>::nil()
                           : ListF<int, std::size_t>::cons((*xs)[i], i + 1);
  }
};

std::int64_t sumAlg(const ListF<int, std::int64_t>& l) { return l.isNil() ? 0 : l.head() + l.tail(); }
int layersAlg(const ListF<int, int>& l) { return l.isNil() ? 1 : 1 + l.tail(); }
constexpr auto toVectorAlg = &knotloom_test::gatherAlg<int>;

TEST(FoldFix, CountsTheLayersOfAThreeLayerList) {
  EXPECT_EQ(knotloom::foldFix(layersAlg, cons(1, cons(2, nil()))), 3);
  EXPECT_EQ(knotloom::cata(layersAlg, cons(1, cons(2, nil()))), 3);
}

TEST(FoldFix, AGenericAlgebraNamesItsResultType) {
  auto sum = [](const auto& l) -> long { return l.isNil() ? 0 : l.head() + l.tail(); };
  EXPECT_EQ(knotloom::foldFix<long>(sum, fromVector({1, 2, 3, 4})), 10);
}

TEST(FoldFix, GivenOnlyTheAlgebraReturnsAReusableFunction) {
  auto total = knotloom::foldFix(sumAlg);
  EXPECT_EQ(total(fromVector({1, 2})), 3);
  EXPECT_EQ(total(fromVector({5})), 5);
}

TEST(FoldFix, AnAlgebraOverDeferredChildrenNeverVisitsAChildItIgnores) {
  using Layer = IntList::Layer;
  IntList undefinedTail(basis::Lazy<Layer>::raise(basis::Undefined()));
  auto headOnly = [](const ListF<int, basis::Lazy<int>>& l) { return l.isNil() ? -1 : l.head(); };
  EXPECT_EQ(knotloom::foldFix(headOnly, cons(7, undefinedTail)), 7);
  // The same algebra over an infinite list.
  IntList ones = knotloom::unfoldFix([](int) { return ListF<int, int>::cons(1, 0); }, 0);
  EXPECT_EQ(knotloom::foldFix(headOnly, ones), 1);
  // Over folded children the undefined tail is reached.
  EXPECT_THROW(knotloom::foldFix(layersAlg, cons(7, undefinedTail)), basis::Undefined);
}

TEST(FoldFix, AnAlgebraOverDeferredChildrenFoldsWhatItForces) {
  int calls = 0;
  auto countForced = [&calls](const ListF<int, basis::Lazy<int>>& l) {
    ++calls;
    return l.isNil() ? 0 : l.head() + l.tail().force();
  };
  EXPECT_EQ(knotloom::foldFix(countForced, fromVector({1, 2, 3})), 6);
  EXPECT_EQ(calls, 4);
}

TEST(FoldFix, FoldsAMillionLayerListWithoutOverflowingTheStack) {
  IntList xs = knotloom::unfoldFix(countDown, 1'000'000);
  EXPECT_EQ(knotloom::foldFix(sumAlg, xs), std::int64_t{500'000'500'000});
  EXPECT_EQ(knotloom::foldFix(layersAlg, xs), 1'000'001);
}

TEST(UnfoldFix, ReturnsAtOnceAndBuildsOnlyWhatIsRead) {
  int steps = 0;
  IntList naturals = knotloom::unfoldFix(CountedStep{&steps, countUp}, 0);
  EXPECT_EQ(steps, 0);
  IntList at = naturals;
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(at.unFix().head(), k);
    at = at.unFix().tail();
  }
  EXPECT_EQ(steps, 5);
  // Reading the same layers again runs nothing.
  EXPECT_EQ(naturals.unFix().tail().unFix().head(), 1);
  EXPECT_EQ(steps, 5);
}

TEST(UnfoldFix, ADeferredSeedIsForcedOnlyWhenItsLayerIsRead) {
  auto seed = basis::Lazy<int>::raise(basis::Undefined());
  IntList xs = knotloom::unfoldFix(countDown, seed);
  EXPECT_FALSE(xs.lazyLayer().isEvaluated());
  EXPECT_THROW((void)xs.unFix(), basis::Undefined);
}

TEST(Refold, MatchesFoldingTheUnfoldAndBuildsNoFix) {
  EXPECT_EQ(knotloom::refold(sumAlg, countDown, 4), 10);
  EXPECT_EQ(knotloom::hylo(sumAlg, countDown, 4), 10);
  EXPECT_EQ(knotloom::refold(sumAlg, countDown)(3), 6);
  EXPECT_EQ(knotloom::refold(sumAlg, countDown, 1'000'000), std::int64_t{500'000'500'000});
}

RC_GTEST_PROP(Refold, EqualsFoldFixAfterUnfoldFix, (const std::vector<int>& xs)) {
  Elements coalg{&xs};
  const auto direct = knotloom::refold(toVectorAlg, coalg, std::size_t{0});
  RC_ASSERT(direct == xs);
  RC_ASSERT(knotloom::foldFix(toVectorAlg, knotloom::unfoldFix(coalg, std::size_t{0})) == direct);
  RC_ASSERT(knotloom::foldMu(toVectorAlg, knotloom::unfoldMu(coalg, std::size_t{0})) == direct);
  RC_ASSERT(knotloom::foldNu(toVectorAlg, knotloom::unfoldNu(coalg, std::size_t{0})) == direct);
}

TEST(FoldMu, RunsTheCoalgebraAnewForEveryFold) {
  int steps = 0;
  Mu<L> m = knotloom::unfoldMu(CountedStep{&steps, countDown}, 3);
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(knotloom::foldMu(sumAlg, m), 6);
  EXPECT_EQ(steps, 4);
  EXPECT_EQ(knotloom::foldMu(layersAlg, m), 4);
  EXPECT_EQ(steps, 8);
}

TEST(FoldMu, FoldsAMillionLayerUnfoldWithoutOverflowingTheStack) {
  EXPECT_EQ(knotloom::foldMu(sumAlg, knotloom::unfoldMu(countDown, 1'000'000)),
            std::int64_t{500'000'500'000});
}

TEST(FoldMu, AHandWrittenFoldOfTheWrongTypeFailsTheCheckedConversion) {
  Mu<L> wrong([](const Mu<L>::Algebra&) { return std::any(std::string("not an int")); });
  EXPECT_THROW(knotloom::foldMu(layersAlg, wrong), std::bad_any_cast);
}

TEST(FoldNu, NeverCallsTheStepToBuildAndMatchesRefold) {
  int steps = 0;
  Nu<L> n = knotloom::unfoldNu(CountedStep{&steps, countDown}, 5);
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(knotloom::foldNu(sumAlg, n), knotloom::refold(sumAlg, countDown, 5));
  EXPECT_EQ(steps, 6);
}

TEST(FoldNu, AnAlgebraOverDeferredChildrenReadsAnInfiniteNuInPart) {
  int steps = 0;
  Nu<L> naturals = knotloom::unfoldNu(CountedStep{&steps, countUp}, 0);
  // The sum of the first three elements: the algebra forces three tails.
  struct TakeThree {
    int operator()(const ListF<int, basis::Lazy<int>>& l) const { return l.head(); }
  };
  EXPECT_EQ(knotloom::foldNu(TakeThree{}, naturals), 0);
  EXPECT_EQ(steps, 1);
}

}  // namespace
