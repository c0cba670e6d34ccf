#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "basis/contravariant.hpp"
#include "basis/generic1.hpp"
#include "basis/tagged.hpp"

namespace {

using basis::Op;
using basis::Predicate;

TEST(Contravariant, AdaptsTheArgumentOfOpsAndPredicates) {
  Op<std::string, int> show{[](const int& x) { return std::to_string(x); }};
  auto viaLength = basis::contramap([](const std::string& s) { return int(s.size()); }, show);
  EXPECT_EQ(viaLength(std::string("abc")), "3");
  Predicate<int> positive{[](const int& x) { return x > 0; }};
  auto negated = basis::contramap<int>([](const int& x) { return -x; }, positive);
  EXPECT_TRUE(negated(-1));
  EXPECT_FALSE(negated(1));
}

TEST(Contravariant, ProductsAdaptEachHalfWhenRead) {
  using P = basis::functor::Product<basis::PredicateTag, basis::PredicateTag, int>;
  P p{basis::Lazy<Predicate<int>>(Predicate<int>{[](const int& x) { return x > 0; }}),
      basis::Lazy<Predicate<int>>::raise(std::runtime_error("second half"))};
  auto q = basis::contramap<std::string>([](const std::string& s) { return int(s.size()); }, p);
  EXPECT_TRUE(q.fst()(std::string("a")));
  EXPECT_THROW(q.snd(), std::runtime_error);
}

TEST(Contravariant, EmptyConsumersStayEmpty) {
  EXPECT_EQ(basis::contramap<int>([](const int& x) { return x; }, basis::Proxy<int>{}), basis::Proxy<int>{});
  EXPECT_EQ(basis::contramap<int>([](const int& x) { return x; }, basis::U1<int>{}), basis::U1<int>{});
  static_assert(basis::ContravariantTag<basis::GProductOf<basis::PredicateTag, basis::OpOf<int>>>);
}

}  // namespace
