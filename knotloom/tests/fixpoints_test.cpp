// Fix, Mu and Nu: adding and removing layers, changing the layer type,
// converting between the three, and freeing deep structures.
#include <gtest/gtest.h>

#include <functional>
#include <string>
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
constexpr auto toVectorAlg = &knotloom_test::gatherAlg<int>;

template <class T>
std::vector<int> elements(const T& x) {
  if constexpr (std::is_same_v<T, IntList>) {
    return knotloom::foldFix(toVectorAlg, x);
  } else if constexpr (std::is_same_v<T, Mu<L>>) {
    return knotloom::foldMu(toVectorAlg, x);
  } else {
    return knotloom::foldNu(toVectorAlg, x);
  }
}

// A natural transformation of list layers: scales the element, keeps the child.
struct TimesTen {
  int* calls;
  template <class A>
  ListF<int, A> operator()(const ListF<int, A>& l) const {
    ++*calls;
    if (l.isNil()) return ListF<int, A>::nil();
    return ListF<int, A>::cons(l.head() * 10, l.tail());
  }
};

TEST(WrapFix, UnwrappingSharesTheLayerItWasGiven) {
  int runs = 0;
  auto layer = basis::Lazy<IntList::Layer>::defer([&runs] {
    ++runs;
    return ListF<int, IntList>::cons(1, nil());
  });
  IntList x(layer);
  EXPECT_EQ(knotloom::unwrapFix(x).cellAddress(), layer.cellAddress());
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(knotloom::unFix(x).head(), 1);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(layer.isEvaluated());
  // Wrapping the unwrapped layer again shares it too: nothing is recomputed.
  IntList again(knotloom::unwrapFix(x));
  EXPECT_EQ(again.lazyLayer().cellAddress(), layer.cellAddress());
  EXPECT_EQ(knotloom::wrapFix<L>(knotloom::unFix(x)).unFix().head(), 1);
}

TEST(WrapFix, TheConstructorDeducesTheFunctorFromTheLayer) {
  Fix x(ListF<int, IntList>::cons(2, nil()));
  static_assert(std::is_same_v<decltype(x), IntList>);
  EXPECT_EQ(elements(x), std::vector<int>{2});
  // So do the wrapping functions.
  static_assert(std::is_same_v<decltype(knotloom::wrapFix(ListF<int, IntList>::nil())), IntList>);
  static_assert(std::is_same_v<decltype(knotloom::wrapFix(std::declval<basis::Lazy<IntList::Layer>>())), IntList>);
  static_assert(std::is_same_v<decltype(knotloom::wrapMu(ListF<int, Mu<L>>::nil())), Mu<L>>);
  static_assert(std::is_same_v<decltype(knotloom::wrapNu(ListF<int, Nu<L>>::nil())), Nu<L>>);
  EXPECT_EQ(elements(knotloom::wrapFix(ListF<int, IntList>::cons(3, nil()))), std::vector<int>{3});
  EXPECT_EQ(elements(knotloom::wrapMu(ListF<int, Mu<L>>::cons(4, knotloom::unfoldMu(countDown, 0)))), std::vector<int>{4});
  EXPECT_EQ(elements(knotloom::wrapNu(ListF<int, Nu<L>>::cons(5, knotloom::unfoldNu(countDown, 0)))), std::vector<int>{5});
}

TEST(WrapFix, NeverComputesTheLayerItWraps) {
  const IntList undefined = knotloom::wrapFix<L>(basis::Lazy<IntList::Layer>::raise(basis::Undefined()));
  // Unwrapping and wrapping again computes nothing and shares the layer.
  const IntList again = knotloom::wrapFix<L>(knotloom::unwrapFix(undefined));
  EXPECT_EQ(again.lazyLayer().cellAddress(), undefined.lazyLayer().cellAddress());
  EXPECT_THROW((void)again.unFix(), basis::Undefined);
  // A wrapped child is not computed either.
  const IntList x = knotloom::wrapFix<L>(ListF<int, IntList>::cons(1, undefined));
  EXPECT_EQ(knotloom::unFix(x).head(), 1);
}

TEST(HoistFix, BothHoistsGiveTheSameStructure) {
  int calls = 0;
  const IntList xs = fromVector({1, 2, 3});
  EXPECT_EQ(elements(knotloom::hoistFix(TimesTen{&calls}, xs)), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(elements(knotloom::hoistFix_(TimesTen{&calls}, xs)), (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(calls, 8);
}

// A natural transformation that keeps the layer and notes whether the child
// it is handed is still the source's own child (whose layer is built) or a
// converted one (still deferred).
struct NoteChild {
  std::vector<bool>* seenConverted;
  template <class A>
  ListF<int, A> operator()(const ListF<int, A>& l) const {
    if constexpr (requires { l.tail().lazyLayer(); }) {
      if (!l.isNil()) seenConverted->push_back(!l.tail().lazyLayer().isEvaluated());
    }
    return l;
  }
};

TEST(HoistFix, HoistFixConvertsTheChildrenFirstAndHoistFix_Last) {
  const IntList xs = fromVector({1, 2});
  std::vector<bool> converted;
  EXPECT_EQ(elements(knotloom::hoistFix(NoteChild{&converted}, xs)), (std::vector<int>{1, 2}));
  EXPECT_EQ(converted, (std::vector<bool>{true, true}));
  converted.clear();
  EXPECT_EQ(elements(knotloom::hoistFix_(NoteChild{&converted}, xs)), (std::vector<int>{1, 2}));
  EXPECT_EQ(converted, (std::vector<bool>{false, false}));
}

TEST(HoistFix, AnInfiniteFixIsHoistedAtOnceAndConvertedOnlyAsRead) {
  const IntList naturals = knotloom::unfoldFix(countUp, 0);
  for (auto hoist : {+[](TimesTen nt, const IntList& x) { return knotloom::hoistFix(nt, x); },
                     +[](TimesTen nt, const IntList& x) { return knotloom::hoistFix_(nt, x); }}) {
    int calls = 0;
    IntList at = hoist(TimesTen{&calls}, naturals);
    EXPECT_EQ(calls, 0);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(at.unFix().head(), 10 * k);
      at = at.unFix().tail();
    }
    EXPECT_EQ(calls, 4);
  }
}

TEST(HoistMu, FoldsWithTheTransformationBeforeTheAlgebra) {
  int calls = 0;
  Mu<L> m = knotloom::hoistMu(TimesTen{&calls}, knotloom::unfoldMu(countDown, 3));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(elements(m), (std::vector<int>{30, 20, 10}));
  EXPECT_EQ(calls, 4);
}

TEST(Nu, UnwrapCallsTheStepOncePerLayerRead) {
  int steps = 0;
  Nu<L> naturals = knotloom::unfoldNu(CountedStep{&steps, countUp}, 0);
  Nu<L> at = naturals;
  const int depth = 25;
  for (int k = 0; k < depth; ++k) {
    auto layer = knotloom::unwrapNu(at);
    EXPECT_EQ(layer.head(), k);
    at = layer.tail();
  }
  EXPECT_EQ(steps, depth);
  // Unwrapping the same value again calls the step again.
  (void)knotloom::unwrapNu(naturals);
  EXPECT_EQ(steps, depth + 1);
}

TEST(Nu, HoistingCallsNoStepAndUnwrappingCallsEachOnce) {
  int steps = 0;
  int calls = 0;
  Nu<L> n = knotloom::unfoldNu(CountedStep{&steps, countDown}, 2);
  Nu<L> hoisted = knotloom::hoistNu(TimesTen{&calls}, n);
  EXPECT_EQ(steps + calls, 0);
  auto layer = knotloom::unwrapNu(hoisted);
  EXPECT_EQ(layer.head(), 20);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(elements(hoisted), (std::vector<int>{20, 10}));
}

TEST(Nu, ADeferredSeedIsNotForcedToBuildOrHoist) {
  int calls = 0;
  Nu<L> n = knotloom::unfoldNu(countDown, basis::Lazy<int>::raise(basis::Undefined()));
  Nu<L> hoisted = knotloom::hoistNu(TimesTen{&calls}, n);
  EXPECT_THROW((void)knotloom::unwrapNu(hoisted), basis::Undefined);
}

TEST(Nu, UnwrappingAWrappedLayerGivesChildrenThatUnwrapAlike) {
  int steps = 0;
  Nu<L> child = knotloom::unfoldNu(CountedStep{&steps, countDown}, 2);
  Nu<L> wrapped = knotloom::wrapNu<L>(ListF<int, Nu<L>>::cons(7, child));
  auto layer = knotloom::unwrapNu(wrapped);
  EXPECT_EQ(steps, 0);  // the child is not unwrapped until read
  EXPECT_EQ(layer.head(), 7);
  EXPECT_EQ(knotloom::unwrapNu(layer.tail()).head(), knotloom::unwrapNu(child).head());
  EXPECT_EQ(elements(wrapped), (std::vector<int>{7, 2, 1}));
}

TEST(Nu, WrappedLayersUnderHoistedAndRewrappedChildrenKeepTheirElements) {
  int calls = 0;
  const Nu<L> bottom = knotloom::unfoldNu(countDown, 2);
  const Nu<L> inner = knotloom::wrapNu<L>(ListF<int, Nu<L>>::cons(3, bottom));
  // A wrapped value under a hoisted one under a wrapped one.
  const Nu<L> hoisted = knotloom::hoistNu(TimesTen{&calls}, inner);
  const Nu<L> outer = knotloom::wrapNu<L>(ListF<int, Nu<L>>::cons(4, hoisted));
  EXPECT_EQ(elements(outer), (std::vector<int>{4, 30, 20, 10}));
  // The children an unwrap gives, wrapped again, layer after layer.
  Nu<L> rewrapped = outer;
  for (int i = 0; i < 3; ++i) rewrapped = knotloom::wrapNu<L>(knotloom::unwrapNu(rewrapped));
  EXPECT_EQ(elements(rewrapped), (std::vector<int>{4, 30, 20, 10}));
  EXPECT_EQ(elements(knotloom::wrapNu<L>(ListF<int, Nu<L>>::cons(5, knotloom::unwrapNu(inner).tail()))),
            (std::vector<int>{5, 2, 1}));
}

TEST(Mu, WrappingAndUnwrappingKeepTheLayers) {
  Mu<L> inner = knotloom::unfoldMu(countDown, 2);
  Mu<L> m = knotloom::wrapMu<L>(ListF<int, Mu<L>>::cons(9, inner));
  EXPECT_EQ(elements(m), (std::vector<int>{9, 2, 1}));
  auto layer = knotloom::unwrapMu(m);
  EXPECT_EQ(layer.head(), 9);
  EXPECT_EQ(elements(layer.tail()), (std::vector<int>{2, 1}));
  // A Mu built by wrapMu converts to the Fix whose layer holds the converted children.
  IntList x = knotloom::foldMu(&knotloom::wrapFix<L>, m);
  EXPECT_EQ(x.unFix().head(), 9);
  EXPECT_EQ(elements(x.unFix().tail()), (std::vector<int>{2, 1}));
}

TEST(Conversions, RoundTripsKeepEveryLayer) {
  struct Case {
    std::string name;
    std::function<std::vector<int>(const IntList&)> roundTrip;
  };
  const std::vector<Case> cases = {
      {"Fix->Mu->Fix",
       [](const IntList& x) {
         return elements(knotloom::foldMu(&knotloom::wrapFix<L>, knotloom::unfoldMu(&knotloom::unFix<L>, x)));
       }},
      {"Fix->Nu->Fix",
       [](const IntList& x) {
         Nu<L> n = knotloom::unfoldNu(&knotloom::unFix<L>, x);
         return elements(knotloom::unfoldFix<L>(n.step(), n.seed()));
       }},
      {"Fix->Nu->Fix by fold",
       [](const IntList& x) {
         return elements(knotloom::foldNu(&knotloom::wrapFix<L>, knotloom::unfoldNu(&knotloom::unFix<L>, x)));
       }},
      {"Fix->Mu", [](const IntList& x) { return elements(knotloom::unfoldMu(&knotloom::unFix<L>, x)); }},
      {"Fix->Nu", [](const IntList& x) { return elements(knotloom::unfoldNu(&knotloom::unFix<L>, x)); }},
  };
  for (const auto& xs : {std::vector<int>{}, std::vector<int>{1}, std::vector<int>{3, 1, 4, 1, 5}}) {
    for (const Case& c : cases) EXPECT_EQ(c.roundTrip(fromVector(xs)), xs) << c.name;
  }
}

TEST(Conversions, NuToFixIsDeferredLayerByLayer) {
  int steps = 0;
  Nu<L> naturals = knotloom::unfoldNu(CountedStep{&steps, countUp}, 0);
  IntList x = knotloom::unfoldFix<L>(naturals.step(), naturals.seed());
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(x.unFix().tail().unFix().head(), 1);
  EXPECT_EQ(steps, 2);
}

TEST(Freeing, AMillionLayerStructureIsFreedWithoutOverflowingTheStack) {
  {
    IntList xs = nil();
    for (int i = 0; i < 1'000'000; ++i) xs = cons(i, xs);
  }
  {
    // Chains of wrapped values: far deeper than nested destructors could go.
    Nu<L> n = knotloom::unfoldNu(countDown, 0);
    for (int i = 0; i < 200'000; ++i) n = knotloom::wrapNu<L>(ListF<int, Nu<L>>::cons(i, n));
  }
  {
    Mu<L> m = knotloom::unfoldMu(countDown, 0);
    for (int i = 0; i < 200'000; ++i) m = knotloom::wrapMu<L>(ListF<int, Mu<L>>::cons(i, m));
  }
  SUCCEED();
}

}  // namespace
