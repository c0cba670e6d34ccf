// Zippy: position-wise combination of zipping shapes.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <juxtor/internal/list.hpp>
#include <juxtor/internal/simple.hpp>
#include <juxtor/internal/zippy.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using juxtor::Zippy;
using ZL = Zippy<basis::ListTag, std::string>;
using ZO = Zippy<basis::OptionalTag, int>;

TEST(Zippy, CombinesPositionWiseUpToTheShorter) {
  ZL a{list<std::string>({"a", "b"})};
  ZL b{list<std::string>({"c", "d", "e"})};
  EXPECT_EQ(basis::combine(a, b).getZippy.toVector(), (std::vector<std::string>{"ac", "bd"}));
  EXPECT_EQ(basis::Monoid<ZL>::mappend(a, b).getZippy.toVector(), (std::vector<std::string>{"ac", "bd"}));
  std::vector<ZL> three{a, b, ZL{list<std::string>({"x", "y"})}};
  EXPECT_EQ(basis::sconcat<ZL>(three).getZippy.toVector(), (std::vector<std::string>{"acx", "bdy"}));
  EXPECT_TRUE(basis::sconcat<ZL>(std::vector<ZL>{a}) == a);
  EXPECT_EQ(basis::stimes(3, a).getZippy.toVector(), (std::vector<std::string>{"aaa", "bbb"}));
  EXPECT_THROW(basis::stimes(0, a), basis::ErrorCall);
}

TEST(Zippy, NeutralAndPureAreEndless) {
  auto e = basis::mempty<ZL>();
  EXPECT_EQ(take(e.getZippy, 3), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(take(basis::mconcat<ZL>(std::vector<ZL>{}).getZippy, 2), take(e.getZippy, 2));
  auto p = basis::pure<juxtor::ZippyOf<basis::ListTag>>(7);
  EXPECT_EQ(take(p.getZippy, 4), (std::vector<int>{7, 7, 7, 7}));
  ZL a{list<std::string>({"a", "b"})};
  EXPECT_EQ(basis::mconcat<ZL>(std::vector<ZL>{a, a}).getZippy.toVector(), (std::vector<std::string>{"aa", "bb"}));
}

TEST(Zippy, AppliesPositionWise) {
  using Fn = std::function<int(int)>;
  using ZF = Zippy<basis::OptionalTag, Fn>;
  auto f = basis::pure<juxtor::ZippyOf<basis::OptionalTag>>(Fn([](int x) { return x + 1; }));
  EXPECT_EQ(basis::ap(f, ZO{3}).getZippy, std::optional<int>(4));
  EXPECT_EQ(basis::ap(f, ZO{}).getZippy, std::nullopt);
  EXPECT_EQ(basis::ap(ZF{}, ZO{3}).getZippy, std::nullopt);
  EXPECT_EQ(basis::liftA2([](int a, int b) { return a * b; }, ZO{3}, ZO{4}).getZippy, std::optional<int>(12));
  EXPECT_EQ(basis::seqRight(ZO{3}, ZO{4}).getZippy, std::optional<int>(4));
  EXPECT_EQ(basis::seqLeft(ZO{3}, ZO{4}).getZippy, std::optional<int>(3));
  EXPECT_EQ(basis::seqLeft(ZO{3}, ZO{}).getZippy, std::nullopt);
  using S = basis::Semiapplicative<juxtor::ZippyOf<basis::ListTag>>;
  auto xs = Zippy<basis::ListTag, int>{list({1, 2, 3})};
  auto ys = Zippy<basis::ListTag, int>{list({10, 20})};
  EXPECT_EQ(S::liftF2([](int a, int b) { return a + b; }, xs, ys).getZippy.toVector(), (std::vector<int>{11, 22}));
  EXPECT_EQ(S::seqRightF(xs, ys).getZippy.toVector(), (std::vector<int>{10, 20}));
  EXPECT_EQ(S::seqLeftF(xs, ys).getZippy.toVector(), (std::vector<int>{1, 2}));
  EXPECT_EQ(basis::fmap([](int x) { return -x; }, xs).getZippy.toVector(), (std::vector<int>{-1, -2, -3}));
}

TEST(Zippy, PrintsAsARecord) {
  EXPECT_EQ(basis::show(ZO{1}), "Zippy {getZippy = Just 1}");
  EXPECT_EQ(basis::showsPrec(11, ZO{1}), "(Zippy {getZippy = Just 1})");
  EXPECT_EQ(basis::showsPrec(10, ZO{-1}), "Zippy {getZippy = Just (-1)}");
}

TEST(Zippy, ParsesTheRecordForm) {
  struct Case {
    std::string text;
    int prec;
    bool parses;
  };
  const Case cases[] = {
      {"Zippy {getZippy = Just 1}", 0, true},
      {"Zippy {getZippy = Just 1}", 11, true},
      {"  ( ( Zippy  { getZippy =  Just  1 } ) ) ", 0, true},
      {"(Zippy {getZippy = Just 1})", 11, true},
      {"Zippy {getZippy = Just 1", 0, false},
      {"Zippy {getZipy = Just 1}", 0, false},
      {"Zippy (Just 1)", 0, false},
  };
  for (const Case& c : cases) {
    auto parses = basis::readsPrec<ZO>(c.prec, c.text);
    bool complete = false;
    for (const auto& [z, rest] : parses) {
      if (basis::skipSpaces(rest).empty()) {
        complete = true;
        EXPECT_EQ(z.getZippy, std::optional<int>(1)) << c.text;
      }
    }
    EXPECT_EQ(complete, c.parses) << c.text;
  }
  EXPECT_EQ(basis::read<ZO>(basis::showsPrec(11, ZO{5}))->getZippy, std::optional<int>(5));
}

TEST(Zippy, ComparesAsTheWrappedContainer) {
  EXPECT_TRUE(ZO{1} == ZO{1});
  EXPECT_TRUE(ZO{1} != ZO{});
  EXPECT_EQ(ZO{1} <=> ZO{2}, std::optional<int>(1) <=> std::optional<int>(2));
  EXPECT_EQ(ZO{} <=> ZO{2}, std::optional<int>() <=> std::optional<int>(2));
}

}  // namespace
