// imap over the standard shapes: the index each element receives.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <basis/functor_with_index.hpp>

namespace {

using basis::Either;
using basis::List;
using basis::Unit;

TEST(FunctorWithIndex, ListCountsFromZeroLazily) {
  std::vector<int> v{5, 6, 7};
  auto r = basis::imap([](std::int64_t i, int x) { return i * 10 + x; }, List<int>::fromRange(v));
  EXPECT_EQ(r.toVector(), (std::vector<std::int64_t>{5, 16, 27}));
  auto endless = basis::imap([](std::int64_t i, int) { return i; }, List<int>::repeat(0));
  EXPECT_EQ(endless.take(3).toVector(), (std::vector<std::int64_t>{0, 1, 2}));
  int calls = 0;
  auto counted = basis::imap([&calls](std::int64_t, int x) { return ++calls + x; }, List<int>::fromRange(v));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(counted.head(), 6);
}

TEST(FunctorWithIndex, SingleElementShapesUseUnit) {
  auto f = [](Unit, int x) { return x + 1; };
  EXPECT_EQ(basis::imap(f, std::optional<int>(1)), std::optional<int>(2));
  EXPECT_EQ(basis::imap(f, std::optional<int>()), std::nullopt);
  EXPECT_EQ(basis::imap(f, basis::Identity<int>{3}).value, 4);
  EXPECT_EQ((basis::imap(f, basis::Tagged<char, int>{5}).unTagged), 6);
  (void)basis::imap([](const basis::Void&, int) { return 0; }, basis::Proxy<int>{});
}

TEST(FunctorWithIndex, FunctionsUseTheirArgument) {
  std::function<int(const int&)> g = [](const int& x) { return x * x; };
  auto h = basis::imap([](int e, int y) { return e + y; }, g);
  EXPECT_EQ(h(3), 12);
}

TEST(FunctorWithIndex, ProductAndComposeCombineTheIndices) {
  using P = basis::functor::Product<basis::OptionalTag, basis::ListTag, int>;
  P p{std::optional<int>(1), List<int>::fromRange(std::vector<int>{2, 3})};
  using I = Either<Unit, std::int64_t>;
  auto r = basis::imap([](const I& i, int x) { return i.isLeft() ? -x : static_cast<int>(i.fromRight()) * 100 + x; }, p);
  EXPECT_EQ(r.fst(), std::optional<int>(-1));
  EXPECT_EQ(r.snd().toVector(), (std::vector<int>{2, 103}));

  using C = basis::Compose<basis::ListTag, basis::OptionalTag, int>;
  C c{List<std::optional<int>>::fromRange(std::vector<std::optional<int>>{std::nullopt, 7})};
  auto s = basis::imap([](const std::pair<std::int64_t, Unit>& ij, int x) { return ij.first * 10 + x; }, c);
  EXPECT_EQ(s.value.toVector(), (std::vector<std::optional<std::int64_t>>{std::nullopt, 17}));
}

}  // namespace
