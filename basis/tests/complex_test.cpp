#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "basis/complex.hpp"

namespace {

using basis::Complex;

TEST(Complex, MapsFoldsAndTraversesRealPartFirst) {
  Complex<int> z{3, 4};
  EXPECT_EQ(basis::fmap([](int x) { return x * 2; }, z), (Complex<int>{6, 8}));
  EXPECT_EQ(basis::toList(z).toVector(), (std::vector<int>{3, 4}));
  EXPECT_EQ(basis::foldMap([](int x) { return std::to_string(x); }, z), "34");
  auto t = basis::traverse([](int x) { return std::optional<int>(x + 1); }, z);
  EXPECT_EQ(t, std::optional<Complex<int>>(Complex<int>{4, 5}));
  EXPECT_EQ(basis::Foldable1<basis::ComplexTag>::foldMap1([](int x) { return std::to_string(x); }, z), "34");
  auto t1 = basis::Traversable1<basis::ComplexTag>::traverse1([](int x) { return std::optional<int>(x); }, z);
  EXPECT_EQ(t1, std::optional<Complex<int>>(z));
}

TEST(Complex, DistributesAndConvertsToStdComplex) {
  auto d = basis::distribute<basis::ComplexTag>(std::vector<Complex<int>>{{1, 2}, {3, 4}});
  EXPECT_EQ(d, (Complex<std::vector<int>>{{1, 3}, {2, 4}}));
  auto s = basis::toStd(Complex<double>{1.5, -2.0});
  EXPECT_EQ(s.real(), 1.5);
  EXPECT_EQ(basis::fromStd(s), (Complex<double>{1.5, -2.0}));
}

}  // namespace
