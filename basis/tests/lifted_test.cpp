#include "basis/lifted.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using basis::Compose;
using basis::Either;
using basis::Identity;
using basis::Lazy;
using basis::Left;
using basis::List;
using basis::Ordering;
using basis::Right;
using basis::These;
using VO = basis::ComposeOf<basis::VectorTag, basis::OptionalTag>;
using PVO = basis::ProductOf<basis::VectorTag, basis::OptionalTag>;
using Pair = basis::functor::Product<basis::VectorTag, basis::OptionalTag, int>;

#define CHECK_LIFTED(T)                                                                     \
  static_assert(basis::Eq1Tag<T> && basis::Ord1Tag<T> && basis::Show1Tag<T> &&             \
                basis::Read1Tag<T> && basis::Hashable1Tag<T> && basis::NFData1Tag<T>);
CHECK_LIFTED(basis::OptionalTag)
CHECK_LIFTED(basis::VectorTag)
CHECK_LIFTED(basis::IdentityTag)
CHECK_LIFTED(basis::EitherOf<std::string>)
CHECK_LIFTED(basis::TheseOf<std::string>)
CHECK_LIFTED(basis::PairOf<std::string>)
CHECK_LIFTED(basis::ConstOf<std::string>)
CHECK_LIFTED(basis::ListTag)
CHECK_LIFTED(VO)
CHECK_LIFTED(PVO)

// A layer with one optional child, as a fixed point's layer is used: the
// lifted operations are given the operation for the children.
struct Nat {
  std::optional<std::shared_ptr<const Nat>> below;
};
std::shared_ptr<const Nat> nat(int n) {
  auto x = std::make_shared<const Nat>(Nat{std::nullopt});
  for (int i = 0; i < n; ++i) x = std::make_shared<const Nat>(Nat{x});
  return x;
}
void showNat(int d, const std::shared_ptr<const Nat>& x, std::string& out) {
  basis::showParen(d > 10, out, [&](std::string& o) {
    o += "Fix ";
    basis::Show1<basis::OptionalTag>::liftShowsPrec(showNat, basis::lifted::sl<int>, 11, x->below, o);
  });
}

TEST(Lifted, LayerOperationsCallBackIntoTheChildren) {
  std::string out;
  showNat(0, nat(1), out);
  EXPECT_EQ(out, "Fix (Just (Fix Nothing))");
  out.clear();
  showNat(11, nat(1), out);
  EXPECT_EQ(out, "(Fix (Just (Fix Nothing)))");
  std::function<bool(const std::shared_ptr<const Nat>&, const std::shared_ptr<const Nat>&)> eqNat =
      [&](const auto& a, const auto& b) { return basis::Eq1<basis::OptionalTag>::liftEq(eqNat, a->below, b->below); };
  EXPECT_TRUE(eqNat(nat(3), nat(3)));
  EXPECT_FALSE(eqNat(nat(3), nat(2)));
}

TEST(Lifted, TextFormsMatchThePlainOnes) {
  struct Case {
    std::string lifted;
    std::string expected;
  };
  auto s1 = [](int d, const auto& x) {
    std::string out;
    basis::showsPrec1(d, x, out);
    return out;
  };
  const Case cases[] = {
      {s1(11, std::optional<int>(-1)), "(Just (-1))"},
      {s1(0, std::optional<int>()), "Nothing"},
      {s1(11, std::vector<int>{1, -2}), "[1,-2]"},
      {s1(11, Identity<int>{4}), "(Identity 4)"},
      {s1(0, Either<std::string, int>(Left{std::string("e")})), "Left \"e\""},
      {s1(11, These<char32_t, int>::these(U'x', 1)), "(These 'x' 1)"},
      {s1(11, std::pair<int, int>(1, -2)), "(1,-2)"},
      {s1(11, basis::Const<int, int>{-5}), "(Const (-5))"},
      {s1(11, List<int>::fromRange({3})), "[3]"},
      {s1(0, Compose<basis::VectorTag, basis::OptionalTag, int>{{1, std::nullopt}}), "Compose [Just 1,Nothing]"},
      {s1(11, Pair{std::vector<int>{}, std::optional<int>(2)}), "(Pair [] (Just 2))"},
      {basis::show(List<char32_t>::fromRange(std::u32string(U"ab"))), "\"ab\""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.lifted, c.expected);
  EXPECT_EQ(s1(0, std::optional<int>(3)), basis::show(std::optional<int>(3)));
  EXPECT_EQ(s1(11, These<int, int>::this_(1)), basis::showsPrec(11, These<int, int>::this_(1)));
  std::string two;
  basis::showsPrec2(11, Either<int, std::string>(Right{std::string("r")}), two);
  EXPECT_EQ(two, "(Right \"r\")");
}

TEST(Lifted, ReadingAcceptsWhatShowingProduces) {
  auto c = Compose<basis::VectorTag, basis::OptionalTag, int>{{1, std::nullopt, -3}};
  EXPECT_EQ(basis::read<decltype(c)>(basis::show(c)), c);
  EXPECT_EQ(basis::read<decltype(c)>(" ( ( Compose [ Just (-3) ] ) ) "),
            (Compose<basis::VectorTag, basis::OptionalTag, int>{{-3}}));
  auto p = Pair{std::vector<int>{1, 2}, std::nullopt};
  auto q = basis::read<Pair>(basis::show(p));
  ASSERT_TRUE(q);
  EXPECT_EQ(*q, p);
  EXPECT_EQ(basis::read<List<int>>("[1,2,3]"), List<int>::fromRange({1, 2, 3}));
  // A constructor application needs parentheses at precedence 11.
  EXPECT_TRUE(basis::readsPrec1<std::optional<int>>(11, "Just 1").empty());
  EXPECT_EQ(basis::readsPrec1<std::optional<int>>(11, "(Just 1)").size(), 1u);
  EXPECT_TRUE(basis::readsPrec1<std::optional<int>>(0, "Justx").empty());
  auto these = basis::readsPrec1<These<std::string, int>>(0, "These \"a\" 2");
  ASSERT_EQ(these.size(), 1u);
  EXPECT_EQ(these[0].first, (These<std::string, int>::these("a", 2)));
  auto pair = basis::readsPrec2<std::pair<int, std::string>>(0, "(1,\"x\")");
  ASSERT_EQ(pair.size(), 1u);
  EXPECT_EQ(pair[0].first, (std::pair<int, std::string>(1, "x")));
  using C = basis::Const<int, int>;
  EXPECT_EQ(basis::read<C>("Const 4"), C{4});
}

TEST(Lifted, HostileNestingGivesNoParse) {
  std::string deep(100000, '(');
  deep += "Just 1";
  deep += std::string(100000, ')');
  EXPECT_TRUE(basis::readsPrec1<std::optional<int>>(0, deep).empty());
  std::string nested;
  for (int i = 0; i < 5000; ++i) nested += "Compose [";
  using C = Compose<basis::VectorTag, basis::OptionalTag, int>;
  EXPECT_TRUE(basis::readsPrec1<C>(0, nested).empty());
}

TEST(Lifted, ComparisonsFollowThePlainOrder) {
  using O = std::optional<int>;
  EXPECT_EQ(basis::compare1(O(), O(1)), basis::LT);
  EXPECT_EQ(basis::compare1(O(2), O(1)), basis::GT);
  EXPECT_EQ(basis::compare1(std::vector<int>{1}, std::vector<int>{1, 0}), basis::LT);
  EXPECT_EQ(basis::compare1(List<int>::fromRange({2}), List<int>::fromRange({1, 5})), basis::GT);
  using T = These<int, int>;
  EXPECT_EQ(basis::compare1(T::that(9), T::this_(0)), basis::GT);
  EXPECT_EQ(basis::compare1(T::these(1, 2), T::these(1, 3)), basis::LT);
  using E = Either<int, int>;
  EXPECT_EQ(basis::compare2(E(Left{5}), E(Right{0})), basis::LT);
  EXPECT_TRUE(basis::eq1(Pair{std::vector<int>{1}, O()}, Pair{std::vector<int>{1}, O()}));
  EXPECT_FALSE(basis::eq1(Pair{std::vector<int>{1}, O()}, Pair{std::vector<int>{1}, O(0)}));
  // Different element types are compared by the function given.
  auto sameLength = [](const std::string& a, int n) { return static_cast<int>(a.size()) == n; };
  EXPECT_TRUE(basis::Eq1<basis::VectorTag>::liftEq(sameLength, std::vector<std::string>{"ab", ""},
                                                   std::vector<int>{2, 0}));
}

TEST(Lifted, HashesAgreeWithThePlainHashes) {
  const std::int64_t salts[] = {0, 1, basis::defaultSalt, -77};
  for (std::int64_t s : salts) {
    EXPECT_EQ(basis::hashWithSalt1(s, std::optional<int>(3)), basis::hashWithSalt(s, std::optional<int>(3)));
    EXPECT_EQ(basis::hashWithSalt1(s, std::optional<int>()), basis::hashWithSalt(s, std::optional<int>()));
    EXPECT_EQ(basis::hashWithSalt1(s, std::vector<int>{1, 2}), basis::hashWithSalt(s, std::vector<int>{1, 2}));
    EXPECT_EQ(basis::hashWithSalt1(s, List<int>::fromRange({1, 2})), basis::hashWithSalt(s, std::vector<int>{1, 2}));
    EXPECT_EQ(basis::hashWithSalt1(s, Identity<int>{4}), basis::hashWithSalt(s, Identity<int>{4}));
    using E = Either<std::string, int>;
    EXPECT_EQ(basis::hashWithSalt1(s, E(Right{4})), basis::hashWithSalt(s, E(Right{4})));
    EXPECT_EQ(basis::hashWithSalt2(s, E(Left{std::string("l")})), basis::hashWithSalt(s, E(Left{std::string("l")})));
    EXPECT_EQ(basis::hashWithSalt1(s, std::pair<int, int>(1, 2)), basis::hashWithSalt(s, std::pair<int, int>(1, 2)));
  }
  using T = These<int, int>;
  EXPECT_NE(basis::hashWithSalt1(1, T::this_(1)), basis::hashWithSalt1(1, T::that(1)));
}

TEST(Lifted, DeepEvaluationForcesEveryElement) {
  std::vector<Lazy<int>> xs{Lazy<int>(1), Lazy<int>::raise(std::runtime_error("deep"))};
  EXPECT_THROW(basis::rnf1(xs), std::runtime_error);
  auto list = List<int>::cons(Lazy<int>(1), List<int>::cons(Lazy<int>::raise(std::runtime_error("elem")), List<int>()));
  EXPECT_THROW(basis::rnf(list), std::runtime_error);
  int forced = 0;
  auto counted = List<int>::fromRange({1, 2, 3});
  basis::NFData1<basis::ListTag>::liftRnf([&](const int&) { ++forced; }, counted);
  EXPECT_EQ(forced, 3);
  using P = basis::functor::Product<basis::OptionalTag, basis::OptionalTag, int>;
  P p{std::optional<int>(1), Lazy<std::optional<int>>::raise(std::runtime_error("part"))};
  EXPECT_THROW(basis::rnf(p), std::runtime_error);
}

RC_GTEST_PROP(LiftedModel, ComposeAgreesWithItsLayers, (std::vector<int> xs, std::vector<int> ys)) {
  auto wrap = [](const std::vector<int>& v) {
    std::vector<std::optional<int>> out;
    for (int x : v) out.push_back(x % 5 == 0 ? std::nullopt : std::optional<int>(x));
    return Compose<basis::VectorTag, basis::OptionalTag, int>{out};
  };
  auto a = wrap(xs);
  auto b = wrap(ys);
  RC_ASSERT(basis::eq1(a, b) == (a.value == b.value));
  RC_ASSERT(basis::compare1(a, b) == basis::compare1(a.value, b.value));
  RC_ASSERT(basis::read<decltype(a)>(basis::show(a)) == a);
  RC_ASSERT(basis::hash(a) == basis::hashWithSalt1(basis::defaultSalt, a.value));
}

}  // namespace
