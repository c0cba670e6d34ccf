// Equality, ordering and hashing past the depth where they stop recursing:
// the results must be those of a plain recursion over the same layers.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <vector>

#include <knotloom/knotloom.hpp>

#include "layers.hpp"

namespace {

using knotloom::Fix;
using knotloom::Mu;
using knotloom::Nu;
using knotloom_test::ListF;
using knotloom_test::ListOf;
using knotloom_test::TreeF;
using knotloom_test::TreeOf;

using L = ListOf<std::int64_t>;
using IntList = Fix<L>;
using Tree = Fix<TreeOf>;

IntList fromVector(const std::vector<std::int64_t>& xs) { return knotloom_test::fixList(xs); }

basis::Ordering lexicographic(const std::vector<std::int64_t>& a, const std::vector<std::int64_t>& b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? basis::LT : basis::GT;
  }
  return a.size() == b.size() ? basis::EQ : (a.size() < b.size() ? basis::LT : basis::GT);
}

// Long lists over few values, so that equal prefixes reach past the direct
// layers.
rc::Gen<std::vector<std::int64_t>> longLists() {
  return rc::gen::resize(1000, rc::gen::container<std::vector<std::int64_t>>(rc::gen::inRange<std::int64_t>(0, 2)));
}

RC_GTEST_PROP(DeepLists, CompareLikeTheirElements, ()) {
  const auto a = *longLists();
  auto b = a;
  if (*rc::gen::arbitrary<bool>()) b = *longLists();
  if (!b.empty() && *rc::gen::arbitrary<bool>()) b[*rc::gen::inRange<std::size_t>(0, b.size())] ^= 1;
  const IntList x = fromVector(a);
  const IntList y = fromVector(b);
  RC_ASSERT((x == y) == (a == b));
  RC_ASSERT(basis::compare(x, y) == lexicographic(a, b));
  if (a == b) RC_ASSERT(basis::hashWithSalt(3, x) == basis::hashWithSalt(3, y));
}

// A plain recursion over the tree layers, as the platform would run it.
std::int64_t hashModel(std::int64_t s, const Tree& t) {
  const auto& layer = t.unFix();
  s = basis::hashWithSalt(s, std::int64_t{layer.label});
  if (!layer.children) return s;
  return hashModel(hashModel(s, layer.children->first), layer.children->second);
}
basis::Ordering compareModel(const Tree& a, const Tree& b) {
  const auto& x = a.unFix();
  const auto& y = b.unFix();
  if (x.label != y.label) return x.label < y.label ? basis::LT : basis::GT;
  if (!x.children || !y.children) {
    if (!x.children && !y.children) return basis::EQ;
    return !x.children ? basis::LT : basis::GT;
  }
  const basis::Ordering o = compareModel(x.children->first, y.children->first);
  return o != basis::EQ ? o : compareModel(x.children->second, y.children->second);
}

// A tree of the given depth whose spine turns left or right at each level as
// `turns` says, with a leaf of label `leaf` at the bottom.
Tree spine(const std::vector<bool>& turns, int leaf) {
  Tree t(TreeF<Tree>::leaf(leaf));
  for (std::size_t i = turns.size(); i-- > 0;) {
    Tree side(TreeF<Tree>::leaf(static_cast<int>(i % 3)));
    t = turns[i] ? Tree(TreeF<Tree>::node(1, t, side)) : Tree(TreeF<Tree>::node(1, side, t));
  }
  return t;
}

TEST(DeepTrees, HashAndCompareAsAPlainRecursionWould) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::vector<bool> turns;
    unsigned state = seed;
    for (int i = 0; i < 700; ++i) {
      state = state * 1103515245u + 12345u;
      turns.push_back((state >> 16) & 1u);
    }
    const Tree a = spine(turns, 0);
    const Tree b = spine(turns, 1);
    EXPECT_EQ(basis::hashWithSalt(11, a), hashModel(11, a));
    EXPECT_EQ(basis::hashWithSalt(11, b), hashModel(11, b));
    EXPECT_NE(basis::hashWithSalt(11, a), basis::hashWithSalt(11, b));
    EXPECT_EQ(basis::compare(a, b), compareModel(a, b));
    EXPECT_EQ(basis::compare(b, a), compareModel(b, a));
    EXPECT_EQ(a, spine(turns, 0));
    EXPECT_NE(a, b);
  }
}

}  // namespace

// A childless layer whose ordering is not antisymmetric: every comparison
// says LT.
namespace knotloom_test {
template <class A>
struct Skew {
  int value = 0;
};
struct SkewOf {
  template <class A>
  using apply = Skew<A>;
};
}  // namespace knotloom_test

template <class A>
struct basis::TagOf<knotloom_test::Skew<A>> {
  using type = knotloom_test::SkewOf;
  using element = A;
};
template <>
struct basis::Functor<knotloom_test::SkewOf> : basis::FunctorDefaults<knotloom_test::SkewOf> {
  template <class Fn, class A>
  static knotloom_test::Skew<basis::Mapped<Fn, A>> fmap(Fn, const knotloom_test::Skew<A>& s) {
    return {s.value};
  }
};
template <>
struct basis::Eq1<knotloom_test::SkewOf> {
  template <class Eq, class A, class B>
  static bool liftEq(const Eq&, const knotloom_test::Skew<A>& x, const knotloom_test::Skew<B>& y) {
    return x.value == y.value;
  }
};
template <>
struct basis::Ord1<knotloom_test::SkewOf> {
  template <class Cmp, class A, class B>
  static basis::Ordering liftCompare(const Cmp&, const knotloom_test::Skew<A>&, const knotloom_test::Skew<B>&) {
    return basis::LT;
  }
};

namespace {

TEST(Ordering, MuAndNuSwapTheArgumentsOfLessAndGreaterOrEqual) {
  using S = knotloom_test::SkewOf;
  const Fix<S> x(knotloom_test::Skew<Fix<S>>{1});
  const Fix<S> y(knotloom_test::Skew<Fix<S>>{2});
  EXPECT_EQ(basis::compare(x, y), basis::LT);
  EXPECT_TRUE(x < y);  // Fix: the layer's own ordering, compare(x, y) is LT
  const Mu<S> mx = knotloom::unfoldMu(&knotloom::unFix<S>, x);
  const Mu<S> my = knotloom::unfoldMu(&knotloom::unFix<S>, y);
  const Nu<S> nx = knotloom::unfoldNu(&knotloom::unFix<S>, x);
  const Nu<S> ny = knotloom::unfoldNu(&knotloom::unFix<S>, y);
  EXPECT_EQ(basis::compare(mx, my), basis::LT);
  // a < b asks compare(b, a) == GT, which this ordering never says.
  EXPECT_FALSE(mx < my);
  EXPECT_FALSE(nx < ny);
  EXPECT_TRUE(mx <= my);
  EXPECT_FALSE(mx > my);
  // a >= b asks compare(b, a) != GT.
  EXPECT_TRUE(mx >= my);
  EXPECT_TRUE(nx >= ny);
  // max: a when compare(a, b) is GT, else b; min the other way.
  EXPECT_EQ(&knotloom::max(mx, my), &my);
  EXPECT_EQ(&knotloom::min(mx, my), &mx);
}

}  // namespace
