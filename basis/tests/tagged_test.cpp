#include <gtest/gtest.h>

#include <vector>

#include "basis/tagged.hpp"

namespace {

struct Phantom {};

TEST(Proxy, HoldsNothingAndNeverCallsItsFunctions) {
  auto mapped = basis::fmap([](int) -> int { throw 1; }, basis::Proxy<int>{});
  EXPECT_EQ(mapped, basis::Proxy<int>{});
  EXPECT_TRUE(basis::Foldable<basis::ProxyTag>::null(basis::Proxy<int>{}));
  auto d = basis::distribute<basis::ProxyTag>(std::vector<basis::Proxy<int>>{{}, {}});
  EXPECT_EQ(d, basis::Proxy<std::vector<int>>{});
}

TEST(Tagged, MapsAndDistributesItsOneValue) {
  basis::Tagged<Phantom, int> t{4};
  EXPECT_EQ(basis::fmap([](int x) { return x + 1; }, t).unTagged, 5);
  auto d = basis::distribute<basis::TaggedOf<Phantom>>(std::vector<basis::Tagged<Phantom, int>>{{1}, {2}});
  EXPECT_EQ(d.unTagged, (std::vector<int>{1, 2}));
}

}  // namespace
