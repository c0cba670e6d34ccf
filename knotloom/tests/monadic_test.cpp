// The monadic folds, unfolds and refolds: effect order with a logging monad
// over a binary-tree layer, and stopping with the optional-value monad.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <knotloom/knotloom.hpp>

#include "layers.hpp"

namespace {

using knotloom::Fix;
using knotloom_test::ListF;
using knotloom_test::ListOf;
using knotloom_test::TreeF;
using knotloom_test::TreeOf;

using Tree = Fix<TreeOf>;
using Log = std::vector<std::string>;
// The writer monad: a log beside the value.
template <class A>
using Logged = std::pair<Log, A>;

Tree leaf(int label) { return Tree(TreeF<Tree>::leaf(label)); }
Tree node(int label, Tree l, Tree r) { return Tree(TreeF<Tree>::node(label, std::move(l), std::move(r))); }

//        1
//      2   3
//     4 5
Tree sample() { return node(1, node(2, leaf(4), leaf(5)), leaf(3)); }

// Seeds unfold to the same shape: 1 -> (2, 3), 2 -> (4, 5), others are leaves.
TreeF<int> shape(int seed) {
  if (seed == 1) return TreeF<int>::node(1, 2, 3);
  if (seed == 2) return TreeF<int>::node(2, 4, 5);
  return TreeF<int>::leaf(seed);
}

int sumLabels(const TreeF<int>& t) {
  return t.label + (t.children ? t.children->first + t.children->second : 0);
}

TEST(FoldFixM, RunsTheAlgebraInPostOrder) {
  auto alg = [](const TreeF<int>& t) -> Logged<int> {
    return {Log{"a" + std::to_string(t.label)}, sumLabels(t)};
  };
  const auto [log, total] = knotloom::foldFixM(alg, sample());
  EXPECT_EQ(log, (Log{"a4", "a5", "a2", "a3", "a1"}));
  EXPECT_EQ(total, 15);
  EXPECT_EQ(knotloom::cataM(alg)(leaf(8)), (Logged<int>{Log{"a8"}, 8}));
}

TEST(UnfoldFixM, RunsTheCoalgebraInPreOrder) {
  auto coalg = [](const int& seed) -> Logged<TreeF<int>> { return {Log{"c" + std::to_string(seed)}, shape(seed)}; };
  const auto [log, tree] = knotloom::unfoldFixM(coalg, 1);
  EXPECT_EQ(log, (Log{"c1", "c2", "c4", "c5", "c3"}));
  EXPECT_EQ(knotloom::foldFix(sumLabels, tree), 15);
  EXPECT_EQ(knotloom::anaM(coalg)(3).first, Log{"c3"});
}

TEST(RefoldM, RunsEachCoalgebraStepBeforeAndEachAlgebraStepAfterItsSubtree) {
  auto coalg = [](const int& seed) -> Logged<TreeF<int>> { return {Log{"c" + std::to_string(seed)}, shape(seed)}; };
  auto alg = [](const TreeF<int>& t) -> Logged<int> { return {Log{"a" + std::to_string(t.label)}, sumLabels(t)}; };
  const auto [log, total] = knotloom::refoldM(alg, coalg, 1);
  EXPECT_EQ(log, (Log{"c1", "c2", "c4", "a4", "c5", "a5", "a2", "c3", "a3", "a1"}));
  EXPECT_EQ(total, 15);
  EXPECT_EQ(knotloom::hyloM(alg, coalg)(1).second, 15);
}

TEST(FoldFixM, StopsAtTheFirstFailingAlgebraStep) {
  std::vector<int> visited;
  auto alg = [&visited](const TreeF<int>& t) -> std::optional<int> {
    visited.push_back(t.label);
    if (t.label == 5) return std::nullopt;
    return sumLabels(t);
  };
  EXPECT_EQ(knotloom::foldFixM(alg, sample()), std::nullopt);
  EXPECT_EQ(visited, (std::vector<int>{4, 5}));
  visited.clear();
  EXPECT_EQ(knotloom::foldFixM(alg, node(1, leaf(2), leaf(3))), std::optional<int>(6));
  EXPECT_EQ(visited, (std::vector<int>{2, 3, 1}));
}

TEST(UnfoldFixM, StopsAtTheFirstFailingCoalgebraStep) {
  std::vector<int> seeds;
  auto coalg = [&seeds](const int& seed) -> std::optional<TreeF<int>> {
    seeds.push_back(seed);
    if (seed == 4) return std::nullopt;
    return shape(seed);
  };
  EXPECT_FALSE(knotloom::unfoldFixM(coalg, 1).has_value());
  EXPECT_EQ(seeds, (std::vector<int>{1, 2, 4}));
}

TEST(FoldFixM, AGenericMonadicAlgebraNamesItsResultType) {
  using IntList = Fix<ListOf<int>>;
  IntList xs(ListF<int, IntList>::cons(3, IntList(ListF<int, IntList>::nil())));
  auto alg = [](const auto& l) { return std::optional<int>(l.isNil() ? 0 : l.head() + l.tail()); };
  EXPECT_EQ(knotloom::foldFixM<int>(alg, xs), std::optional<int>(3));
}

}  // namespace
