#include "basis/foldable.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/list.hpp"
#include "basis/non_empty.hpp"
#include "basis/product.hpp"

namespace {

using basis::Either;
using basis::ErrorCall;
using basis::Identity;
using basis::Lazy;
using basis::Left;
using basis::List;
using basis::Right;
using basis::These;

static_assert(basis::FoldableTag<basis::VectorTag>);
static_assert(basis::FoldableTag<basis::OptionalTag>);
static_assert(basis::FoldableTag<basis::IdentityTag>);
static_assert(basis::FoldableTag<basis::EitherOf<std::string>>);
static_assert(basis::FoldableTag<basis::TheseOf<std::string>>);
static_assert(basis::FoldableTag<basis::PairOf<std::string>>);
static_assert(basis::FoldableTag<basis::ConstOf<std::string>>);
static_assert(basis::FoldableTag<basis::ListTag>);
static_assert(basis::FoldableTag<basis::ComposeOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::FoldableTag<basis::ProductOf<basis::VectorTag, basis::OptionalTag>>);

// A value ordered by its key alone, so that equal keys can be told apart.
struct Keyed {
  int key;
  char tag;
  friend bool operator<=(const Keyed& a, const Keyed& b) { return a.key <= b.key; }
  friend bool operator>=(const Keyed& a, const Keyed& b) { return a.key >= b.key; }
};

TEST(Foldable, RightFoldNestsToTheRightAndLeftFoldToTheLeft) {
  const std::vector<int> xs{1, 2, 3};
  auto minusR = [](int x, const Lazy<int>& r) { return x - r.force(); };
  auto minusL = [](const Lazy<int>& acc, int x) { return acc.force() - x; };
  EXPECT_EQ(basis::foldr(minusR, 0, xs), 1 - (2 - (3 - 0)));
  EXPECT_EQ(basis::foldl(minusL, 0, xs), ((0 - 1) - 2) - 3);
  EXPECT_EQ(basis::foldr_([](int x, int acc) { return x - acc; }, 0, xs), 2);
  EXPECT_EQ(basis::foldl_([](int acc, int x) { return acc - x; }, 0, xs), -6);
  EXPECT_EQ(basis::foldr1([](int a, int b) { return a - b; }, xs), 2);
  EXPECT_EQ(basis::foldl1([](int a, int b) { return a - b; }, xs), -4);
}

TEST(Foldable, RightFoldStopsWhereTheFunctionIgnoresTheRest) {
  std::vector<int> seen;
  const std::vector<int> xs{5, 6, 7, 8};
  int r = basis::foldr(
      [&](int x, const Lazy<int>& rest) {
        seen.push_back(x);
        return x == 6 ? x : rest.force();
      },
      0, xs);
  EXPECT_EQ(r, 6);
  EXPECT_EQ(seen, (std::vector<int>{5, 6}));
}

TEST(Foldable, DeferredInitialValueIsNotEvaluatedUnlessReached) {
  const std::vector<int> xs{1};
  auto z = Lazy<int>::raise(std::runtime_error("z"));
  EXPECT_EQ(basis::foldr([](int x, const Lazy<int>&) { return x; }, z, xs), 1);
  EXPECT_THROW(basis::foldr([](int x, const Lazy<int>& r) { return x + r.force(); }, z, xs),
               std::runtime_error);
  // The eager folds evaluate the initial value first, even for no element.
  EXPECT_THROW(basis::foldl_([](int a, int) { return a; }, z, std::vector<int>{}), std::runtime_error);
}

TEST(Foldable, StrictFoldsCallInOrderOnce) {
  std::vector<int> order;
  const std::vector<int> xs{1, 2, 3};
  basis::foldl_([&](int acc, int x) { return order.push_back(x), acc; }, 0, xs);
  basis::foldr_([&](int x, int acc) { return order.push_back(x), acc; }, 0, xs);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 3, 2, 1}));
}

TEST(Foldable, LazyLeftFoldAppliesTheFunctionToTheLastElementFirst) {
  std::vector<int> calls;
  int r = basis::foldl(
      [&](const Lazy<int>&, int x) {
        calls.push_back(x);
        return x;
      },
      0, std::vector<int>{1, 2, 3});
  EXPECT_EQ(r, 3);
  EXPECT_EQ(calls, std::vector<int>{3});
}

TEST(Foldable, EmptyStructuresGiveTheirNeutralResultsOrTheirErrors) {
  const std::vector<int> none;
  EXPECT_TRUE(basis::null(none));
  EXPECT_EQ(basis::length(none), 0);
  EXPECT_EQ(basis::sum(none), 0);
  EXPECT_EQ(basis::product(none), 1);
  EXPECT_FALSE(basis::elem(1, none));
  EXPECT_EQ(basis::foldMap([](int x) { return std::to_string(x); }, none), "");
  struct Case {
    std::function<void()> run;
    const char* message;
  };
  const Case cases[] = {
      {[&] { basis::foldr1([](int a, int) { return a; }, none); }, "foldr1: empty structure"},
      {[&] { basis::foldl1([](int a, int) { return a; }, none); }, "foldl1: empty structure"},
      {[&] { basis::maximum(none); }, "maximum: empty structure"},
      {[&] { basis::minimum(none); }, "minimum: empty structure"},
      {[&] { basis::maximum(std::optional<int>()); }, "maximum: empty structure"},
      {[&] { basis::foldr1([](int a, int) { return a; }, List<int>()); }, "foldr1: empty structure"},
  };
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_TRUE(e.callStack().entries.empty());
    }
  }
}

TEST(Foldable, BoundsKeepTheEarliestOfEqualElements) {
  const std::vector<Keyed> xs{{1, 'a'}, {3, 'b'}, {3, 'c'}, {1, 'd'}};
  EXPECT_EQ(basis::maximum(xs).tag, 'b');
  EXPECT_EQ(basis::minimum(xs).tag, 'a');
  EXPECT_EQ(basis::maximum(List<Keyed>::fromRange(xs)).tag, 'b');
  EXPECT_EQ(basis::minimum(List<Keyed>::fromRange(xs)).tag, 'a');
}

TEST(Foldable, ElemStopsAtTheFirstEqualElement) {
  int compared = 0;
  struct Counted {
    int v;
    int* count;
    bool operator==(const Counted& o) const { return ++*count, v == o.v; }
  };
  std::vector<Counted> xs{{1, &compared}, {2, &compared}, {3, &compared}};
  EXPECT_TRUE(basis::elem(Counted{2, &compared}, xs));
  EXPECT_EQ(compared, 2);
  compared = 0;
  // The default elem (through foldr) stops too.
  auto c = basis::Compose<basis::VectorTag, basis::VectorTag, Counted>{{xs}};
  EXPECT_TRUE(basis::elem(Counted{1, &compared}, c));
  EXPECT_EQ(compared, 1);
}

TEST(Foldable, MonoidFoldsNestRightAndLeft) {
  const std::vector<std::string> xs{"a", "b", "c"};
  EXPECT_EQ(basis::fold(xs), "abc");
  EXPECT_EQ(basis::foldMap([](const std::string& s) { return s + "."; }, xs), "a.b.c.");
  EXPECT_EQ(basis::foldMap_([](const std::string& s) { return "<" + s; }, xs), "<a<b<c");
  EXPECT_EQ(basis::fold(std::optional<std::string>("x")), "x");
}

TEST(Foldable, SmallShapesHoldAtMostOneElement) {
  using E = Either<std::string, int>;
  using T = These<std::string, int>;
  EXPECT_EQ(basis::toList(E(Right{4})).toVector(), std::vector<int>{4});
  EXPECT_TRUE(basis::toList(E(Left{std::string("e")})).isNil());
  EXPECT_TRUE(basis::null(T::this_("l")));
  EXPECT_EQ(basis::sum(T::these("l", 3)), 3);
  EXPECT_EQ(basis::length(std::pair<std::string, int>("w", 1)), 1);
  EXPECT_EQ(basis::length(Identity<int>{1}), 1);
  EXPECT_EQ(basis::length(basis::Const<std::string, int>{"c"}), 0);
}

TEST(Foldable, ComposeAndProductFoldTheirPartsInOrder) {
  basis::Compose<basis::VectorTag, basis::OptionalTag, int> c{{1, std::nullopt, 3}};
  EXPECT_EQ(basis::toList(c).toVector(), (std::vector<int>{1, 3}));
  EXPECT_EQ(basis::foldr([](int x, const Lazy<int>& r) { return x - r.force(); }, 0, c), 1 - 3);
  basis::functor::Product<basis::VectorTag, basis::OptionalTag, int> p{std::vector<int>{1, 2},
                                                                       std::optional<int>(3)};
  EXPECT_EQ(basis::toList(p).toVector(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(basis::foldr_([](int x, int acc) { return acc * 10 + x; }, 0, p), 321);
  EXPECT_EQ(basis::length(p), 3);
  // A right fold that stops in the first part never reads the second.
  using P = basis::functor::Product<basis::VectorTag, basis::VectorTag, int>;
  P q{std::vector<int>{7}, Lazy<std::vector<int>>::raise(std::runtime_error("second"))};
  EXPECT_EQ(basis::foldr([](int x, const Lazy<int>&) { return x; }, 0, q), 7);
}

TEST(Foldable, ToListBuildsItsListAsItIsRead) {
  auto failing = Lazy<int>::defer([]() -> int { throw std::runtime_error("element read"); });
  // Endless and failing parts, behind the default toList of each structure.
  using C = basis::Compose<basis::VectorTag, basis::ListTag, int>;
  List<int> endless = basis::toList(C{{List<int>{1}, List<int>::repeat(5)}});
  EXPECT_EQ(endless.take(4).toVector(), (std::vector<int>{1, 5, 5, 5}));
  List<int> skipped = basis::toList(C{{List<int>::cons(failing, List<int>()), List<int>{2}}});
  EXPECT_EQ(skipped.tail().head(), 2);
  EXPECT_THROW(skipped.head(), std::runtime_error);
  using P = basis::functor::Product<basis::VectorTag, basis::VectorTag, int>;
  List<int> firstPart = basis::toList(P{std::vector<int>{7}, Lazy<std::vector<int>>::raise(std::runtime_error("second"))});
  EXPECT_EQ(firstPart.head(), 7);
  EXPECT_THROW(firstPart.tail().isNil(), std::runtime_error);
  // An element of a lazy container is handed on unforced.
  List<int> fromList = basis::toList(basis::NonEmpty<int>{failing, List<int>{3}});
  EXPECT_EQ(fromList.tail().head(), 3);
  EXPECT_THROW(fromList.head(), std::runtime_error);
}

template <class R>
std::vector<std::int64_t> asVector(const R& r) {
  std::vector<std::int64_t> out;
  for (const auto& x : r) out.push_back(x);
  return out;
}

// Every fold agrees with a plain loop over the same elements.
template <class FA>
void checkAgainstLoop(const FA& xs, const std::vector<std::int64_t>& model) {
  using I = std::int64_t;
  RC_ASSERT(asVector(basis::toList(xs)) == model);
  RC_ASSERT(basis::length(xs) == static_cast<I>(model.size()));
  RC_ASSERT(basis::null(xs) == model.empty());
  RC_ASSERT(basis::sum(xs) == std::accumulate(model.begin(), model.end(), I{0}));
  // Order-sensitive steps kept small so that nothing overflows.
  constexpr I kMod = 1000003;
  I expectR = 0;
  for (auto it = model.rbegin(); it != model.rend(); ++it) expectR = (*it + 3 * expectR) % kMod;
  RC_ASSERT(basis::foldr([](I x, const Lazy<I>& r) { return (x + 3 * r.force()) % kMod; }, I{0}, xs) ==
            expectR);
  RC_ASSERT(basis::foldr_([](I x, I r) { return (x + 3 * r) % kMod; }, I{0}, xs) == expectR);
  I expectL = 0;
  for (I x : model) expectL = (7 * expectL - x) % kMod;
  RC_ASSERT(basis::foldl_([](I acc, I x) { return (7 * acc - x) % kMod; }, I{0}, xs) == expectL);
  RC_ASSERT(basis::foldl([](const Lazy<I>& acc, I x) { return (7 * acc.force() - x) % kMod; }, I{0}, xs) ==
            expectL);
  if (!model.empty()) {
    RC_ASSERT(basis::maximum(xs) == *std::max_element(model.begin(), model.end()));
    RC_ASSERT(basis::minimum(xs) == *std::min_element(model.begin(), model.end()));
    RC_ASSERT(basis::elem(model.back(), xs));
  }
}

// Numbers small enough that their sums cannot overflow.
std::vector<std::int64_t> smallNumbers() {
  return *rc::gen::container<std::vector<std::int64_t>>(rc::gen::inRange<std::int64_t>(-1000000, 1000000));
}

RC_GTEST_PROP(FoldsAgreeWithALoop, Vector, ()) {
  auto xs = smallNumbers();
  checkAgainstLoop(xs, xs);
}
RC_GTEST_PROP(FoldsAgreeWithALoop, List, ()) {
  auto xs = smallNumbers();
  checkAgainstLoop(List<std::int64_t>::fromRange(xs), xs);
}
RC_GTEST_PROP(FoldsAgreeWithALoop, Compose, ()) {
  auto xs = smallNumbers();
  std::vector<std::optional<std::int64_t>> parts;
  std::vector<std::int64_t> model;
  for (auto x : xs) {
    if (x % 4 == 0) {
      parts.push_back(std::nullopt);
    } else {
      parts.push_back(x);
      model.push_back(x);
    }
  }
  checkAgainstLoop(basis::Compose<basis::VectorTag, basis::OptionalTag, std::int64_t>{parts}, model);
}

}  // namespace
