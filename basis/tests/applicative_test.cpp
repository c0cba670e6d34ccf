#include "basis/applicative.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/list.hpp"
#include "basis/monad.hpp"
#include "basis/product.hpp"

namespace {

using basis::Either;
using basis::Identity;
using basis::Lazy;
using basis::Left;
using basis::List;
using basis::Right;
using basis::These;

static_assert(basis::ApplicativeTag<basis::OptionalTag>);
static_assert(basis::ApplicativeTag<basis::VectorTag>);
static_assert(basis::ApplicativeTag<basis::IdentityTag>);
static_assert(basis::ApplicativeTag<basis::EitherOf<std::string>>);
static_assert(basis::ApplicativeTag<basis::TheseOf<std::string>>);
static_assert(basis::ApplicativeTag<basis::PairOf<std::string>>);
static_assert(basis::ApplicativeTag<basis::FunctionFrom<int>>);
static_assert(basis::ApplicativeTag<basis::ConstOf<std::string>>);
static_assert(basis::ApplicativeTag<basis::ListTag>);
static_assert(basis::ApplicativeTag<basis::ComposeOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::ApplicativeTag<basis::ProductOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::MonadTag<basis::OptionalTag>);
static_assert(basis::MonadTag<basis::VectorTag>);
static_assert(basis::MonadTag<basis::IdentityTag>);
static_assert(basis::MonadTag<basis::EitherOf<std::string>>);
static_assert(basis::MonadTag<basis::TheseOf<std::string>>);
static_assert(basis::MonadTag<basis::PairOf<std::string>>);
static_assert(basis::MonadTag<basis::FunctionFrom<int>>);
static_assert(basis::MonadTag<basis::ListTag>);
static_assert(basis::MonadTag<basis::ProductOf<basis::VectorTag, basis::OptionalTag>>);
// Const has no Monad.
static_assert(!basis::MonadTag<basis::ConstOf<std::string>>);

auto plus = [](int a, int b) { return a + b; };
auto pairUp = [](int a, int b) { return std::pair<int, int>(a, b); };

// A second operand that must never be demanded.
template <class T>
Lazy<T> mustNotRun() {
  return Lazy<T>::raise(std::logic_error("second operand demanded"));
}

TEST(Applicative, OptionalStopsAtNothingWithoutDemandingTheSecondOperand) {
  EXPECT_EQ(basis::liftA2(plus, std::optional<int>(), mustNotRun<std::optional<int>>()),
            std::nullopt);
  int calls = 0;
  auto second = [&] {
    ++calls;
    return std::optional<int>(2);
  };
  EXPECT_EQ(basis::liftA2(plus, std::optional<int>(), second), std::nullopt);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(basis::liftA2(plus, std::optional<int>(1), second), std::optional<int>(3));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(basis::seqRight(std::optional<int>(1), std::optional<std::string>("r")),
            std::optional<std::string>("r"));
  EXPECT_EQ(basis::seqLeft(std::optional<int>(1), std::optional<std::string>()), std::nullopt);
}

TEST(Applicative, VectorCombinesEveryPairFirstOperandOuter) {
  int calls = 0;
  auto second = [&] {
    ++calls;
    return std::vector<int>{10, 20};
  };
  const std::vector<std::pair<int, int>> expected{{1, 10}, {1, 20}, {2, 10}, {2, 20}, {3, 10}, {3, 20}};
  EXPECT_EQ(basis::liftA2(pairUp, std::vector<int>{1, 2, 3}, second), expected);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(basis::liftA2(plus, std::vector<int>{}, mustNotRun<std::vector<int>>()).empty());
  EXPECT_EQ(basis::pure<basis::VectorTag>(4), std::vector<int>{4});
}

TEST(Applicative, EitherStopsAtTheFirstLeft) {
  using E = Either<std::string, int>;
  EXPECT_EQ(basis::liftA2(plus, E(Left{std::string("a")}), mustNotRun<E>()),
            E(Left{std::string("a")}));
  EXPECT_EQ(basis::liftA2(plus, E(Right{1}), E(Left{std::string("b")})), E(Left{std::string("b")}));
  EXPECT_EQ(basis::liftA2(plus, E(Right{1}), E(Right{2})), E(Right{3}));
}

TEST(Applicative, TheseCombinesLeftValuesAndStopsAtThis) {
  using T = These<std::string, int>;
  EXPECT_EQ(basis::liftA2(plus, T::this_("a"), mustNotRun<T>()), T::this_("a"));
  EXPECT_EQ(basis::liftA2(plus, T::these("a", 1), T::these("b", 2)), T::these("ab", 3));
  EXPECT_EQ(basis::liftA2(plus, T::these("a", 1), T::this_("b")), T::this_("ab"));
  EXPECT_EQ(basis::liftA2(plus, T::that(1), T::these("b", 2)), T::these("b", 3));
  EXPECT_EQ(basis::liftA2(plus, T::that(1), T::that(2)), T::that(3));
}

TEST(Applicative, PairAccumulatesTheFirstComponentsInOrder) {
  using W = std::pair<std::string, int>;
  EXPECT_EQ(basis::liftA2(plus, W("a", 1), W("b", 2)), W("ab", 3));
  EXPECT_EQ(basis::pure<basis::PairOf<std::string>>(5), W("", 5));
}

TEST(Applicative, FunctionsShareTheirArgumentAndDeferTheSecondOperand) {
  using R = std::function<int(const int&)>;
  int built = 0;
  auto second = [&]() -> R {
    ++built;
    return [](int e) { return e * 100; };
  };
  R r = basis::liftA2(plus, R([](int e) { return e + 1; }), second);
  EXPECT_EQ(built, 0);
  EXPECT_EQ(r(2), 203);
  EXPECT_EQ(r(3), 304);
  EXPECT_EQ(built, 1);
  EXPECT_EQ(basis::pure<basis::FunctionFrom<int>>(std::string("k"))(9), "k");
}

// A function object that counts its copies.
struct CountedCopies {
  static inline int copies = 0;
  CountedCopies() = default;
  CountedCopies(const CountedCopies&) { ++copies; }
  CountedCopies& operator=(const CountedCopies&) = default;
  int operator()(const int& e) const { return e; }
};

TEST(Applicative, FunctionChainsKeepWhatTheyAreBuiltOnSharedNotCopied) {
  using Fn = std::function<int(const int&)>;
  // Each map or bind keeps the function below it; copying the chain must not
  // copy every function beneath (which makes building n steps O(n^2)).
  Fn mapped = CountedCopies{};
  Fn bound = mapped;
  Fn lifted = mapped;
  CountedCopies::copies = 0;
  for (int i = 0; i < 200; ++i) {
    mapped = basis::fmap([](int x) { return x + 1; }, mapped);
    bound = basis::bind(bound, [](int x) { return Fn([x](const int&) { return x + 1; }); });
    lifted = basis::liftA2([](int x, int y) { return x + y; }, lifted, Fn([](const int&) { return 1; }));
  }
  EXPECT_LE(CountedCopies::copies, 6);
  EXPECT_EQ(mapped(1), 201);
  EXPECT_EQ(bound(1), 201);
  EXPECT_EQ(lifted(1), 201);
}

TEST(Applicative, ConstCombinesItsValues) {
  using C = basis::Const<std::string, int>;
  EXPECT_EQ(basis::liftA2(plus, C{"a"}, C{"b"}).getConst(), "ab");
  EXPECT_EQ(basis::pure<basis::ConstOf<std::string>>(1).getConst(), "");
}

TEST(Applicative, ApAppliesEachFunctionToEachElement) {
  using Fn = std::function<int(const int&)>;
  std::vector<Fn> fs{[](int x) { return x + 1; }, [](int x) { return x * 10; }};
  EXPECT_EQ(basis::ap(fs, std::vector<int>{1, 2}), (std::vector<int>{2, 3, 10, 20}));
  EXPECT_EQ(basis::ap(std::optional<Fn>(), mustNotRun<std::optional<int>>()), std::nullopt);
}

TEST(Applicative, ComposeRunsTheOuterLayerThenTheInner) {
  using C = basis::Compose<basis::VectorTag, basis::OptionalTag, int>;
  C a{{1, std::nullopt}};
  C b{{10, 20}};
  EXPECT_EQ(basis::liftA2(plus, a, b).getCompose(),
            (std::vector<std::optional<int>>{11, 21, std::nullopt, std::nullopt}));
  using VO = basis::ComposeOf<basis::VectorTag, basis::OptionalTag>;
  EXPECT_EQ(basis::pure<VO>(3).getCompose(), (std::vector<std::optional<int>>{3}));
}

TEST(Applicative, ProductCombinesPartByPart) {
  using P = basis::functor::Product<basis::VectorTag, basis::OptionalTag, int>;
  P a{std::vector<int>{1, 2}, std::optional<int>(1)};
  P b{std::vector<int>{10}, std::optional<int>()};
  P c = basis::liftA2(plus, a, b);
  EXPECT_EQ(c.fst(), (std::vector<int>{11, 12}));
  EXPECT_EQ(c.snd(), std::nullopt);
}

TEST(Monad, BindAndThenFollowTheStructure) {
  auto half = [](int x) { return x % 2 == 0 ? std::optional<int>(x / 2) : std::nullopt; };
  EXPECT_EQ(basis::bind(std::optional<int>(8), half), std::optional<int>(4));
  EXPECT_EQ(basis::bind(std::optional<int>(3), half), std::nullopt);
  EXPECT_EQ(basis::then(std::optional<int>(), mustNotRun<std::optional<int>>()), std::nullopt);

  auto twice = [](int x) { return std::vector<int>{x, x}; };
  EXPECT_EQ(basis::bind(std::vector<int>{1, 2}, twice), (std::vector<int>{1, 1, 2, 2}));
  int calls = 0;
  auto next = [&] {
    ++calls;
    return std::vector<char>{'a', 'b'};
  };
  EXPECT_EQ(basis::then(std::vector<int>{1, 2, 3}, next),
            (std::vector<char>{'a', 'b', 'a', 'b', 'a', 'b'}));
  EXPECT_EQ(calls, 1);

  using W = std::pair<std::string, int>;
  EXPECT_EQ(basis::bind(W("a", 1), [](int x) { return W("b", x + 1); }), W("ab", 2));
  EXPECT_EQ(basis::join(std::vector<std::vector<int>>{{1}, {}, {2, 3}}), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(basis::return_<basis::OptionalTag>(1), std::optional<int>(1));

  using R = std::function<int(const int&)>;
  R env = [](int e) { return e; };
  R r = basis::bind(env, [](int x) { return R([x](int e) { return x * e; }); });
  EXPECT_EQ(r(7), 49);

  using T = These<std::string, int>;
  EXPECT_EQ(basis::bind(T::these("a", 1), [](int x) { return T::these("b", x + 1); }),
            T::these("ab", 2));
  EXPECT_EQ(basis::bind(T::these("a", 1), [](int) { return T::this_("b"); }), T::this_("ab"));
}

// The applicative and monad laws over a few instances: pure is a unit of
// liftA2 on both sides, liftA2 is associative, bind agrees with liftA2.
template <class F, class FA>
void checkApplicativeLaws(const FA& x, const FA& y, const FA& z) {
  auto first = [](int a, int) { return a; };
  auto second = [](int, int b) { return b; };
  RC_ASSERT(basis::liftA2In<F>(second, basis::pure<F>(0), x) == x);
  RC_ASSERT(basis::liftA2In<F>(first, x, basis::pure<F>(0)) == x);
  // Order-sensitive combinations that cannot overflow.
  auto f = [](int a, int b) { return (a % 1000) * 31 + b % 1000; };
  auto g = [](int a, int b) { return a % 100000 - 2 * (b % 1000); };
  // (f a b) g c == via regrouping with pairs on the other side
  auto left = basis::liftA2In<F>(g, basis::liftA2In<F>(f, x, y), z);
  auto right = basis::liftA2In<F>(
      [&](int a, std::pair<int, int> bc) { return g(f(a, bc.first), bc.second); }, x,
      basis::liftA2In<F>(pairUp, y, z));
  RC_ASSERT(left == right);
  RC_ASSERT(basis::liftA2In<F>(f, basis::pure<F>(3), basis::pure<F>(4)) == basis::pure<F>(f(3, 4)));
}

template <class F, class FA, class K>
void checkMonadLaws(const FA& m, int a, K k) {
  RC_ASSERT(basis::bind(basis::return_<F>(a), k) == k(a));
  RC_ASSERT(basis::bind(m, [](int x) { return basis::return_<F>(x); }) == m);
  auto h = [&](int x) { return k(x / 2); };
  RC_ASSERT(basis::bind(basis::bind(m, k), h) ==
            basis::bind(m, [&](int x) { return basis::bind(k(x), h); }));
  // liftA2 agrees with bind, the first operand's effects first.
  auto n = basis::bind(m, k);
  auto viaBind = basis::bind(
      m, [&](int x) { return basis::bind(n, [x](int y) { return basis::return_<F>(x / 2 - y / 2); }); });
  auto viaLift = basis::liftA2In<F>([](int x, int y) { return x / 2 - y / 2; }, m, [&] { return n; });
  RC_ASSERT(viaBind == viaLift);
}

// A vector of at most four small numbers (the laws multiply sizes).
std::vector<int> smallVector() {
  const auto n = *rc::gen::inRange<std::size_t>(0, 5);
  return *rc::gen::container<std::vector<int>>(n, rc::gen::inRange(-50, 50));
}

RC_GTEST_PROP(ApplicativeLaws, Optional, (bool p, bool q, int a, int b, int c)) {
  auto mk = [](bool present, int v) { return present ? std::optional<int>(v) : std::nullopt; };
  checkApplicativeLaws<basis::OptionalTag>(mk(p, a), mk(q, b), mk(true, c));
}
RC_GTEST_PROP(ApplicativeLaws, Vector, ()) {
  checkApplicativeLaws<basis::VectorTag>(smallVector(), smallVector(), smallVector());
}
RC_GTEST_PROP(ApplicativeLaws, Either, (bool l1, bool l2, int a, int b, int c)) {
  using E = Either<std::string, int>;
  auto mk = [](bool left, int v) { return left ? E(Left{std::to_string(v)}) : E(Right{v}); };
  checkApplicativeLaws<basis::EitherOf<std::string>>(mk(l1, a), mk(l2, b), mk(false, c));
}
RC_GTEST_PROP(ApplicativeLaws, Pair, (std::string u, std::string v, std::string w, int a, int b, int c)) {
  using W = std::pair<std::string, int>;
  checkApplicativeLaws<basis::PairOf<std::string>>(W(u, a), W(v, b), W(w, c));
}
RC_GTEST_PROP(ApplicativeLaws, List, ()) {
  checkApplicativeLaws<basis::ListTag>(List<int>::fromRange(smallVector()),
                                       List<int>::fromRange(smallVector()),
                                       List<int>::fromRange(smallVector()));
}

RC_GTEST_PROP(MonadLaws, Optional, (bool present, int v, int a)) {
  checkMonadLaws<basis::OptionalTag>(
      present ? std::optional<int>(v) : std::nullopt, a, [](int x) { return x % 3 == 0 ? std::optional<int>() : std::optional<int>(x / 3); });
}
RC_GTEST_PROP(MonadLaws, Vector, (int a)) {
  auto m = smallVector();
  checkMonadLaws<basis::VectorTag>(m, a, [](int x) { return std::vector<int>(static_cast<std::size_t>(x & 3), x); });
}
RC_GTEST_PROP(MonadLaws, Pair, (std::string w, int x, int a)) {
  using W = std::pair<std::string, int>;
  checkMonadLaws<basis::PairOf<std::string>>(W(w, x), a, [](int v) { return W(std::to_string(v), v / 2); });
}
RC_GTEST_PROP(MonadLaws, List, (int a)) {
  auto m = smallVector();
  checkMonadLaws<basis::ListTag>(List<int>::fromRange(m), a, [](int x) {
    return List<int>::fromRange(std::vector<int>(static_cast<std::size_t>(x & 3), x));
  });
}

}  // namespace
