// Rose trees, non-empty lists and zip lists: their lazy mapping, folds and
// traversals.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

#include <basis/non_empty.hpp>
#include <basis/tree.hpp>
#include <basis/zip_list.hpp>

namespace {

using basis::List;
using basis::NonEmpty;
using basis::Tree;
using basis::ZipList;

List<int> list(std::vector<int> v) { return List<int>::fromRange(v); }
Tree<int> node(int x, std::vector<Tree<int>> cs = {}) { return Tree<int>::node(x, List<Tree<int>>::fromRange(cs)); }

TEST(Tree, FoldsLabelsInPreOrder) {
  Tree<int> t = node(1, {node(2, {node(3)}), node(4)});
  EXPECT_EQ(basis::toList(t).toVector(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(basis::foldr([](const auto& x, const basis::Lazy<int>& r) { return x + 10 * r.force(); }, 0, t), 4321);
  EXPECT_EQ(basis::length(t), 4);
}

TEST(Tree, MapsLazilyAndKeepsTheShape) {
  Tree<int> t = node(1, {node(2)});
  int calls = 0;
  auto m = basis::fmap([&calls](int x) { return ++calls, x * 2; }, t);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(m == node(2, {node(4)}));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(m == node(2));
}

TEST(Tree, CycleIsEndlessInOneNode) {
  auto t = Tree<int>::cycle(5);
  EXPECT_EQ(t.subForest().take(3).toVector().size(), 3u);
  EXPECT_EQ(t.subForest().head().subForest().head().rootLabel(), 5);
  EXPECT_EQ(basis::flatten(t).take(4).toVector(), (std::vector<int>{5, 5, 5, 5}));
}

TEST(Tree, TraversesInPreOrder) {
  Tree<int> t = node(1, {node(2), node(3)});
  auto r = basis::traverse([](int x) { return x > 0 ? std::optional<int>(x) : std::nullopt; }, t);
  ASSERT_TRUE(r.has_value());
  EXPECT_TRUE(*r == t);
  EXPECT_FALSE(basis::traverse([](int x) { return x != 3 ? std::optional<int>(x) : std::nullopt; }, t));
}

TEST(NonEmpty, MapsIndexesAndFoldsFromTheHead) {
  NonEmpty<int> xs{1, list({2, 3})};
  EXPECT_EQ(basis::toList(xs).toVector(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(basis::fmap([](int x) { return x + 1; }, xs).toList().toVector(), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(basis::imap([](std::int64_t i, int x) { return i * x; }, xs).toList().toVector(),
            (std::vector<std::int64_t>{0, 2, 6}));
  auto t = basis::traverse([](int x) { return std::optional<int>(x); }, xs);
  EXPECT_TRUE(t && *t == xs);
  EXPECT_FALSE(NonEmpty<int>::fromList(List<int>()));
  auto bad = NonEmpty<int>{basis::Lazy<int>::raise(std::runtime_error("x")), List<int>()};
  auto mapped = basis::fmap([](int x) { return x; }, bad);  // the head is not forced
  EXPECT_THROW(mapped.head.force(), std::runtime_error);
}

TEST(ZipList, IsTheListUnderneath) {
  ZipList<int> z{list({4, 5})};
  EXPECT_EQ(basis::fmap([](int x) { return -x; }, z).getZipList.toVector(), (std::vector<int>{-4, -5}));
  EXPECT_EQ(basis::imap([](std::int64_t i, int) { return i; }, z).getZipList.toVector(),
            (std::vector<std::int64_t>{0, 1}));
  EXPECT_EQ(basis::length(z), 2);
  EXPECT_TRUE(z == ZipList<int>{list({4, 5})});
}

}  // namespace
