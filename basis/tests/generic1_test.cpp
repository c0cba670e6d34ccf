#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "basis/generic1.hpp"

namespace {

using Id = basis::IdentityTag;

TEST(GenericBlocks, MapLikeTheirContents) {
  auto inc = [](int x) { return x + 1; };
  EXPECT_EQ(basis::fmap(inc, basis::Par1<int>{1}).unPar1, 2);
  EXPECT_EQ(basis::fmap(inc, basis::Rec1<Id, int>{{1}}).unRec1.value, 2);
  EXPECT_EQ(basis::fmap(inc, basis::M1<Id, int>{{1}}).unM1.value, 2);
  EXPECT_EQ(basis::fmap(inc, basis::U1<int>{}), basis::U1<int>{});
  auto c = basis::fmap(inc, basis::GCompose<Id, basis::Par1Tag, int>{{{1}}});
  EXPECT_EQ(c.unComp1.value.unPar1, 2);
  using S = basis::GSum<Id, basis::Par1Tag, int>;
  EXPECT_EQ(basis::fmap(inc, S::L1({1})), S::L1({2}));
  EXPECT_EQ(basis::fmap(inc, S::R1({1})), S::R1({2}));
}

TEST(GenericBlocks, ProductHalvesAreMappedWhenRead) {
  using P = basis::GProduct<Id, Id, int>;
  P p{basis::Identity<int>{1}, basis::Lazy<basis::Identity<int>>::raise(std::runtime_error("second"))};
  auto m = basis::fmap([](int x) { return x * 10; }, p);
  EXPECT_EQ(m.fst().value, 10);
  EXPECT_THROW(m.snd(), std::runtime_error);
}

TEST(GenericBlocks, Distribute) {
  auto d = basis::distribute<basis::GProductOf<Id, basis::Par1Tag>>(
      std::vector<basis::GProduct<Id, basis::Par1Tag, int>>{{basis::Identity<int>{1}, basis::Par1<int>{2}}});
  EXPECT_EQ(d.fst().value, std::vector<int>{1});
  EXPECT_EQ(d.snd().unPar1, std::vector<int>{2});
  auto u = basis::distribute<basis::U1Tag>(std::vector<basis::U1<int>>{{}});
  EXPECT_EQ(u, basis::U1<std::vector<int>>{});
}

}  // namespace
