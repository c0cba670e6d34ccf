// Layers whose fmap keeps its function for later (basis::List, the lazy
// list): rose trees tied as Fix, Mu and Nu of list layers, read after the
// calls that built or folded them have returned.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include <basis/list.hpp>
#include <knotloom/knotloom.hpp>

namespace {

using basis::List;
using basis::ListTag;
using knotloom::Fix;
using knotloom::Mu;
using knotloom::Nu;
using Rose = Fix<ListTag>;

// A node of height d has two children of height d - 1: 2^(d+1) - 1 nodes.
List<int> halve(int d) { return d == 0 ? List<int>() : List<int>::fromRange({d - 1, d - 1}); }
int nodesOfHeight(int d) { return (1 << (d + 1)) - 1; }

// The nodes of a rose tree, by plain recursion over the layers.
int nodes(const Rose& r) {
  int n = 1;
  for (const Rose& c : r.unFix()) n += nodes(c);
  return n;
}
int nodes(const Nu<ListTag>& n) {
  int count = 1;
  for (const Nu<ListTag>& c : knotloom::unwrapNu(n)) count += nodes(c);
  return count;
}

// The same: one element per node, as a lazy list made of the children's.
List<int> onePerNode(const List<List<int>>& kids) {
  return List<int>::cons(1, basis::Monad<ListTag>::bind(kids, [](const List<int>& k) { return k; }));
}
List<int> onePerNodeDeferred(const List<basis::Lazy<List<int>>>& kids) {
  return List<int>::cons(1, basis::Monad<ListTag>::bind(kids, [](const basis::Lazy<List<int>>& k) { return k.force(); }));
}
int length(const List<int>& xs) {
  int n = 0;
  for (int x : xs) n += x;
  return n;
}
int countNodes(const List<int>& kids) {
  int n = 1;
  for (int k : kids) n += k;
  return n;
}

TEST(LazyLayers, AnUnfoldIsReadAfterTheUnfoldReturned) {
  const Rose r = knotloom::unfoldFix(halve, 3);
  EXPECT_EQ(nodes(r), nodesOfHeight(3));
}

TEST(LazyLayers, BothHoistsAreReadAfterTheyReturned) {
  const Rose r = knotloom::unfoldFix(halve, 3);
  auto same = [](const auto& layer) { return layer; };
  EXPECT_EQ(nodes(knotloom::hoistFix(same, r)), nodesOfHeight(3));
  EXPECT_EQ(nodes(knotloom::hoistFix_(same, r)), nodesOfHeight(3));
}

TEST(LazyLayers, AStrictAlgebraFoldsTheChildrenItReads) {
  EXPECT_EQ(knotloom::foldFix(countNodes, knotloom::unfoldFix(halve, 4)), nodesOfHeight(4));
  EXPECT_EQ(knotloom::refold(countNodes, halve, 4), nodesOfHeight(4));
  EXPECT_EQ(knotloom::foldMu(countNodes, knotloom::unfoldMu(halve, 4)), nodesOfHeight(4));
  EXPECT_EQ(knotloom::foldNu(countNodes, knotloom::unfoldNu(halve, 4)), nodesOfHeight(4));
}

TEST(LazyLayers, ADeferredAlgebrasResultIsReadAfterTheFoldReturned) {
  EXPECT_EQ(length(knotloom::foldFix(onePerNodeDeferred, knotloom::unfoldFix(halve, 3))), nodesOfHeight(3));
  EXPECT_EQ(length(knotloom::refold(onePerNodeDeferred, halve, 3)), nodesOfHeight(3));
}

TEST(LazyLayers, AStrictAlgebraThatKeepsItsChildrenUnreadThrowsWhenTheyAreReadLate) {
  const List<int> kept = knotloom::foldFix(onePerNode, knotloom::unfoldFix(halve, 2));
  EXPECT_THROW(length(kept), std::logic_error);
}

TEST(LazyLayers, AMuFoldKeepsItsAlgebraForChildrenReadLate) {
  // A Mu of wrapped layers: its fold maps each child lazily.
  Mu<ListTag> leaf = knotloom::wrapMu<ListTag>(List<Mu<ListTag>>());
  Mu<ListTag> tree = knotloom::wrapMu<ListTag>(List<Mu<ListTag>>::fromRange({leaf, leaf}));
  tree = knotloom::wrapMu<ListTag>(List<Mu<ListTag>>::fromRange({tree, leaf}));
  EXPECT_EQ(length(knotloom::foldMu(onePerNode, tree)), 5);
  auto same = [](const auto& layer) { return layer; };
  EXPECT_EQ(length(knotloom::foldMu(onePerNode, knotloom::hoistMu(same, tree))), 5);
}

TEST(LazyLayers, AnUnwrappedNuLayerOutlivesItsNu) {
  Nu<ListTag> n = knotloom::unfoldNu(halve, 3);
  const List<Nu<ListTag>> kids = knotloom::unwrapNu(n);
  n = knotloom::unfoldNu(halve, 0);
  int count = 1;
  for (const Nu<ListTag>& c : kids) count += nodes(c);
  EXPECT_EQ(count, nodesOfHeight(3));
}

}  // namespace
