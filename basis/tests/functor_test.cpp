#include "basis/functor.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/list.hpp"
#include "basis/product.hpp"

namespace {

using basis::Either;
using basis::Identity;
using basis::Lazy;
using basis::Left;
using basis::List;
using basis::Right;
using basis::These;

// A tag declared outside basis, as a library's user declares one.
template <class A>
struct Box {
  A value;
  friend bool operator==(const Box&, const Box&) = default;
};
struct BoxTag {
  template <class A>
  using apply = Box<A>;
};

}  // namespace

template <class A>
struct basis::TagOf<Box<A>> {
  using type = BoxTag;
  using element = A;
};
template <>
struct basis::Functor<BoxTag> : basis::FunctorDefaults<BoxTag> {
  template <class Fn, class A>
  static Box<basis::Mapped<Fn, A>> fmap(Fn f, const Box<A>& b) {
    return {f(b.value)};
  }
};

namespace {

static_assert(basis::FunctorTag<BoxTag>);
static_assert(basis::FunctorTag<basis::OptionalTag>);
static_assert(basis::FunctorTag<basis::VectorTag>);
static_assert(basis::FunctorTag<basis::IdentityTag>);
static_assert(basis::FunctorTag<basis::EitherOf<std::string>>);
static_assert(basis::FunctorTag<basis::TheseOf<std::string>>);
static_assert(basis::FunctorTag<basis::PairOf<int>>);
static_assert(basis::FunctorTag<basis::FunctionFrom<int>>);
static_assert(basis::FunctorTag<basis::ConstOf<std::string>>);
static_assert(basis::FunctorTag<basis::ComposeOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::FunctorTag<basis::ProductOf<basis::VectorTag, basis::OptionalTag>>);
static_assert(basis::FunctorTag<basis::ListTag>);
// A tag with no Functor specialisation is not a functor.
struct NoInstanceTag {
  template <class A>
  using apply = Box<A>;
};
static_assert(!basis::FunctorTag<NoInstanceTag>);

static_assert(std::is_same_v<basis::tag_of<std::optional<int>>, basis::OptionalTag>);
static_assert(std::is_same_v<basis::tag_of<const std::vector<int>&>, basis::VectorTag>);
static_assert(std::is_same_v<basis::tag_of<Either<std::string, int>>, basis::EitherOf<std::string>>);
static_assert(std::is_same_v<basis::tag_of<std::function<int(const char&)>>, basis::FunctionFrom<char>>);
static_assert(std::is_same_v<basis::element_of<std::pair<std::string, double>>, double>);
static_assert(std::is_same_v<basis::tag_of<List<int>>, basis::ListTag>);
static_assert(!basis::HasTag<int>);

TEST(Functor, MapsEveryElementAndKeepsTheShape) {
  auto twice = [](int x) { return 2 * x; };
  EXPECT_EQ(basis::fmap(twice, std::optional<int>(4)), std::optional<int>(8));
  EXPECT_EQ(basis::fmap(twice, std::optional<int>()), std::nullopt);
  EXPECT_EQ(basis::fmap(twice, std::vector<int>{1, 2, 3}), (std::vector<int>{2, 4, 6}));
  EXPECT_EQ(basis::fmap(twice, Identity<int>{5}).value, 10);
  EXPECT_EQ(basis::fmap(twice, Box<int>{7}), Box<int>{14});
  using E = Either<std::string, int>;
  EXPECT_EQ(basis::fmap(twice, E(Right(3))), E(Right(6)));
  EXPECT_EQ(basis::fmap(twice, E(Left(std::string("no")))), E(Left(std::string("no"))));
  using T = These<std::string, int>;
  EXPECT_EQ(basis::fmap(twice, T::this_("l")), T::this_("l"));
  EXPECT_EQ(basis::fmap(twice, T::that(2)), T::that(4));
  EXPECT_EQ(basis::fmap(twice, T::these("l", 2)), T::these("l", 4));
  EXPECT_EQ(basis::fmap(twice, std::pair<std::string, int>("w", 1)),
            (std::pair<std::string, int>("w", 2)));
  std::function<int(const int&)> inc = [](int e) { return e + 1; };
  EXPECT_EQ(basis::fmap(twice, inc)(10), 22);
}

TEST(Functor, MapChangesTheElementType) {
  auto show = [](int x) { return std::to_string(x); };
  auto v = basis::fmap(show, std::vector<int>{1, 20});
  static_assert(std::is_same_v<decltype(v), std::vector<std::string>>);
  EXPECT_EQ(v, (std::vector<std::string>{"1", "20"}));
}

TEST(Functor, ReplacePutsOneValueEverywhere) {
  EXPECT_EQ(basis::replace(std::string("x"), std::vector<int>{1, 2}),
            (std::vector<std::string>{"x", "x"}));
  EXPECT_EQ(basis::replace(1, std::optional<double>()), std::nullopt);
  EXPECT_EQ(basis::replace('c', Box<int>{1}), Box<char>{'c'});
}

TEST(Functor, ConstIgnoresTheFunction) {
  int calls = 0;
  basis::Const<std::string, int> c{"kept"};
  auto d = basis::fmap([&](int x) { return ++calls + x; }, c);
  EXPECT_EQ(d.getConst(), "kept");
  EXPECT_EQ(calls, 0);
}

TEST(Functor, ComposeMapsThroughBothLayers) {
  basis::Compose<basis::VectorTag, basis::OptionalTag, int> c{{1, std::nullopt, 3}};
  auto d = basis::fmap([](int x) { return x * 10; }, c);
  EXPECT_EQ(d.getCompose(), (std::vector<std::optional<int>>{10, std::nullopt, 30}));
}

TEST(Functor, ProductMapsEachPartWhenItIsRead) {
  int calls = 0;
  basis::functor::Product<basis::VectorTag, basis::OptionalTag, int> p{std::vector<int>{1, 2},
                                                                       std::optional<int>(3)};
  auto q = basis::fmap([&](int x) { return ++calls, x + 1; }, p);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(q.fst(), (std::vector<int>{2, 3}));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(q.snd(), std::optional<int>(4));
  EXPECT_EQ(calls, 3);
}

TEST(Functor, ProductPartsAreNotEvaluatedUntilRead) {
  using P = basis::functor::Product<basis::OptionalTag, basis::OptionalTag, int>;
  P p{std::optional<int>(1), Lazy<std::optional<int>>::raise(std::runtime_error("boom"))};
  auto q = basis::fmap([](int x) { return x; }, p);
  EXPECT_EQ(q.fst(), std::optional<int>(1));
  EXPECT_THROW(q.snd(), std::runtime_error);
}

// The functor laws over a few shapes: mapping the identity changes nothing,
// mapping a composition is composing the mappings.
template <class FA>
void checkFunctorLaws(const FA& xs) {
  auto id = [](const auto& x) { return x; };
  auto f = [](int x) { return x * 3 + 1; };
  auto g = [](int x) { return x - 7; };
  RC_ASSERT(basis::fmap(id, xs) == xs);
  RC_ASSERT(basis::fmap([&](int x) { return f(g(x)); }, xs) == basis::fmap(f, basis::fmap(g, xs)));
}

RC_GTEST_PROP(FunctorLaws, Optional, (bool present, int v)) {
  checkFunctorLaws(present ? std::optional<int>(v) : std::nullopt);
}
RC_GTEST_PROP(FunctorLaws, Vector, (std::vector<int> xs)) { checkFunctorLaws(xs); }
RC_GTEST_PROP(FunctorLaws, Pair, (std::string w, int x)) {
  checkFunctorLaws(std::pair<std::string, int>(w, x));
}
RC_GTEST_PROP(FunctorLaws, List, (std::vector<int> xs)) {
  checkFunctorLaws(List<int>::fromRange(xs));
}
RC_GTEST_PROP(FunctorLaws, Compose, (std::vector<int> xs)) {
  std::vector<std::optional<int>> ys;
  for (int x : xs) ys.push_back(x % 3 == 0 ? std::nullopt : std::optional<int>(x));
  checkFunctorLaws(basis::Compose<basis::VectorTag, basis::OptionalTag, int>{ys});
}

}  // namespace
