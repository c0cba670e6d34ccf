#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "basis/cofree.hpp"

namespace {

using basis::Cofree;
using basis::Free;
using V = basis::VectorTag;

Cofree<V, int> leaf(int x) { return Cofree<V, int>(x, std::vector<Cofree<V, int>>{}); }

TEST(Cofree, MapsAndExtendsLazily) {
  Cofree<V, int> tree(1, std::vector<Cofree<V, int>>{leaf(2), leaf(3)});
  int calls = 0;
  auto doubled = basis::Functor<basis::CofreeOf<V>>::fmap([&calls](int x) { return ++calls, x * 2; }, tree);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(doubled.extract(), 2);
  EXPECT_EQ(doubled.unwrap()[1].extract(), 6);
  EXPECT_EQ(calls, 2);
  auto sizes = basis::Comonad<basis::CofreeOf<V>>::extend([](const Cofree<V, int>& t) { return int(t.unwrap().size()); }, tree);
  EXPECT_EQ(sizes.extract(), 2);
  EXPECT_EQ(sizes.unwrap()[0].extract(), 0);
  EXPECT_EQ(basis::ComonadCofree<basis::CofreeOf<V>>::unwrap(tree).size(), 2u);
}

TEST(Cofree, AnInfiniteTreeIsBuiltAsFarAsItIsRead) {
  std::function<Cofree<basis::IdentityTag, int>(int)> from = [&from](int n) {
    return Cofree<basis::IdentityTag, int>(n, basis::Lazy<basis::Identity<Cofree<basis::IdentityTag, int>>>::defer(
                                                  [&from, n] { return basis::Identity<Cofree<basis::IdentityTag, int>>{from(n + 1)}; }));
  };
  auto t = from(0);
  EXPECT_EQ(t.unwrap().value.unwrap().value.extract(), 2);
}

TEST(Cofree, DistributesThroughItsLayers) {
  using F = basis::FunctionFrom<int>;
  using C = Cofree<F, int>;
  std::function<C(int)> make = [&make](int depth) {
    return C(depth, std::function<C(const int&)>([&make, depth](const int& k) { return make(depth * 10 + k); }));
  };
  std::vector<C> trees{make(1), make(2)};
  auto d = basis::Distributive<basis::CofreeOf<F>>::distribute(trees);
  EXPECT_EQ(d.extract(), (std::vector<int>{1, 2}));
  EXPECT_EQ(d.unwrap()(3).extract(), (std::vector<int>{13, 23}));
}

TEST(Free, BindReplacesEveryPureValue) {
  using Fr = Free<V, int>;
  auto x = Fr::wrap({Fr::pure(1), Fr::wrap({Fr::pure(2)})});
  auto y = basis::Monad<basis::FreeOf<V>>::bind(x, [](int v) { return Fr::wrap({Fr::pure(v), Fr::pure(-v)}); });
  ASSERT_FALSE(y.isPure());
  EXPECT_EQ(y.layer()[0].layer()[1].pureValue(), -1);
  EXPECT_EQ(y.layer()[1].layer()[0].layer()[0].pureValue(), 2);
  auto m = basis::Functor<basis::FreeOf<V>>::fmap([](int v) { return std::to_string(v); }, x);
  EXPECT_EQ(m.layer()[1].layer()[0].pureValue(), "2");
  auto w = basis::MonadFree<basis::FreeOf<V>>::wrap(std::vector<Fr>{Fr::pure(5)});
  EXPECT_EQ(w.layer()[0].pureValue(), 5);
  auto sum = basis::Applicative<basis::FreeOf<V>>::liftA2(std::plus<int>(), Fr::pure(1), Fr::pure(2));
  EXPECT_EQ(sum.pureValue(), 3);
}

}  // namespace
