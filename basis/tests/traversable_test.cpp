#include "basis/traversable.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/list.hpp"
#include "basis/product.hpp"

namespace {

using basis::Either;
using basis::Identity;
using basis::Lazy;
using basis::Left;
using basis::List;
using basis::Right;
using basis::These;

static_assert(basis::TraversableTag<basis::VectorTag>);
static_assert(basis::TraversableTag<basis::OptionalTag>);
static_assert(basis::TraversableTag<basis::IdentityTag>);
static_assert(basis::TraversableTag<basis::EitherOf<std::string>>);
static_assert(basis::TraversableTag<basis::TheseOf<std::string>>);
static_assert(basis::TraversableTag<basis::PairOf<std::string>>);
static_assert(basis::TraversableTag<basis::ConstOf<std::string>>);
static_assert(basis::TraversableTag<basis::ListTag>);
static_assert(basis::TraversableTag<basis::ComposeOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::TraversableTag<basis::ProductOf<basis::VectorTag, basis::OptionalTag>>);

TEST(Traverse, OptionalStopsAtTheFirstFailureAndVisitsNothingAfter) {
  std::vector<int> visited;
  auto positive = [&](int x) {
    visited.push_back(x);
    return x > 0 ? std::optional<int>(x * 2) : std::nullopt;
  };
  EXPECT_EQ(basis::traverse(positive, std::vector<int>{1, 2, 3}), (std::vector<int>{2, 4, 6}));
  visited.clear();
  EXPECT_EQ(basis::traverse(positive, std::vector<int>{1, -2, 3, 4}), std::nullopt);
  EXPECT_EQ(visited, (std::vector<int>{1, -2}));
  visited.clear();
  EXPECT_EQ(basis::traverse(positive, List<int>::fromRange({5, 0, 6})), std::nullopt);
  EXPECT_EQ(visited, (std::vector<int>{5, 0}));
}

TEST(Traverse, SeveralResultsGiveOneStructurePerCombination) {
  auto choices = [](int x) { return std::vector<int>{x, -x}; };
  auto all = basis::traverse(choices, std::vector<int>{1, 2});
  EXPECT_EQ(all, (std::vector<std::vector<int>>{{1, 2}, {1, -2}, {-1, 2}, {-1, -2}}));
  auto fromList = basis::traverse(choices, List<int>::fromRange({1, 2, 3}));
  ASSERT_EQ(fromList.size(), 8u);
  EXPECT_EQ(fromList[5].toVector(), (std::vector<int>{-1, 2, -3}));
  // Each result is its own structure.
  EXPECT_EQ(basis::traverse(choices, std::vector<int>{}), std::vector<std::vector<int>>{{}});
  EXPECT_TRUE(basis::traverse([](int) { return std::vector<int>{}; }, std::vector<int>{1}).empty());
}

TEST(Traverse, EffectsRunInElementOrder) {
  using W = std::pair<std::string, int>;
  auto logged = [](int x) { return W(std::to_string(x) + ";", x); };
  auto r = basis::traverse(logged, std::vector<int>{3, 1, 2});
  EXPECT_EQ(r.first, "3;1;2;");
  EXPECT_EQ(r.second, (std::vector<int>{3, 1, 2}));
  basis::Compose<basis::VectorTag, basis::OptionalTag, int> c{{1, std::nullopt, 3}};
  auto rc = basis::traverse(logged, c);
  EXPECT_EQ(rc.first, "1;3;");
  EXPECT_EQ(rc.second.getCompose(), (std::vector<std::optional<int>>{1, std::nullopt, 3}));
  basis::functor::Product<basis::VectorTag, basis::OptionalTag, int> p{std::vector<int>{4, 5},
                                                                       std::optional<int>(6)};
  EXPECT_EQ(basis::traverse(logged, p).first, "4;5;6;");
}

TEST(Traverse, ConstApplicativeFoldsThroughTheTraversal) {
  auto r = basis::traverse([](int x) { return basis::Const<std::string, int>{std::to_string(x)}; },
                           std::vector<int>{1, 2, 3});
  EXPECT_EQ(r.getConst(), "123");
}

TEST(Traverse, FunctionApplicativeRunsLaterWithOneEnvironment) {
  using R = std::function<int(const int&)>;
  int calls = 0;
  auto r = basis::traverse([&](int x) { return R([x, &calls](int e) { return ++calls, x * e; }); },
                           std::vector<int>{1, 2, 3});
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(r(10), (std::vector<int>{10, 20, 30}));
}

TEST(Traverse, SmallShapesKeepTheirShape) {
  auto half = [](int x) { return x % 2 == 0 ? std::optional<int>(x / 2) : std::nullopt; };
  using E = Either<std::string, int>;
  using T = These<std::string, int>;
  EXPECT_EQ(basis::traverse(half, E(Left{std::string("l")})), E(Left{std::string("l")}));
  EXPECT_EQ(basis::traverse(half, E(Right{4})), E(Right{2}));
  EXPECT_EQ(basis::traverse(half, T::these("l", 4)), T::these("l", 2));
  EXPECT_EQ(basis::traverse(half, T::this_("l")), T::this_("l"));
  EXPECT_EQ(basis::traverse(half, std::optional<int>()), std::optional<std::optional<int>>(std::optional<int>()));
  EXPECT_EQ(basis::traverse(half, Identity<int>{3}), std::nullopt);
  EXPECT_EQ(basis::traverse(half, std::pair<char, int>('k', 8)), (std::pair<char, int>('k', 4)));
}

TEST(Traverse, SequenceAndMapMAreTraverse) {
  std::vector<std::optional<int>> actions{1, 2};
  EXPECT_EQ(basis::sequenceA(actions), (std::vector<int>{1, 2}));
  EXPECT_EQ(basis::sequence(actions), (std::vector<int>{1, 2}));
  actions.push_back(std::nullopt);
  EXPECT_EQ(basis::sequenceA(actions), std::nullopt);
  EXPECT_EQ(basis::mapM([](int x) { return Identity<int>{x + 1}; }, std::vector<int>{1}).value,
            std::vector<int>{2});
}

TEST(Traverse, LongTraversalDoesNotRecursePerElement) {
  std::vector<int> xs(1'000'000, 1);
  auto r = basis::traverse([](int x) { return std::optional<int>(x); }, xs);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->size(), xs.size());
}

// Traversing with the identity applicative is mapping; with Const it is
// foldMap; with optional it succeeds exactly when every element does.
RC_GTEST_PROP(TraverseLaws, AgreesWithFmapAndFoldMap, (std::vector<int> xs)) {
  auto f = [](int x) { return x / 3 - 1; };
  RC_ASSERT(basis::traverse([&](int x) { return Identity<int>{f(x)}; }, xs).value ==
            basis::fmap(f, xs));
  auto show = [](int x) { return std::to_string(x) + ","; };
  RC_ASSERT(basis::traverse([&](int x) { return basis::Const<std::string, int>{show(x)}; }, xs)
                .getConst() == basis::foldMap(show, xs));
  auto even = [](int x) { return x % 2 == 0 ? std::optional<int>(x) : std::nullopt; };
  auto r = basis::traverse(even, List<int>::fromRange(xs));
  bool allEven = std::all_of(xs.begin(), xs.end(), [](int x) { return x % 2 == 0; });
  RC_ASSERT(r.has_value() == allEven);
  if (r) RC_ASSERT(r->toVector() == xs);
}

}  // namespace
