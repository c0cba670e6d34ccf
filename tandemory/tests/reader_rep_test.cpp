// A reader over a representable inner functor as one representable functor
// of position pairs, and its comonad.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/monad/representable/reader.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using S = std::string;
using StrFn = basis::FunctionFrom<S>;
using RS = ReaderTOf<StrFn, StrFn>;
using Pos = std::pair<S, S>;

ReaderT<StrFn, StrFn, S> labels() {
  return tabulate<RS>([](const Pos& p) { return p.first + "," + p.second; });
}

TEST(ReaderRepresentable, TabulateAndIndexRoundTripOnPairs) {
  using RC = ReaderTOf<basis::ComplexTag, basis::FunctionFrom<Int>>;
  auto h = [](const std::pair<bool, Int>& p) { return (p.first ? 1000 : 0) + p.second; };
  auto x = tabulate<RC>(h);
  auto back = tabulate<RC>(index(x));
  for (bool a : {false, true})
    for (Int b : {-1, 0, 3}) {
      EXPECT_EQ(index(x, std::make_pair(a, b)), h({a, b}));
      EXPECT_EQ(index(back, std::make_pair(a, b)), h({a, b}));
    }
}

TEST(ReaderComonad, DuplicatedShiftsWithTheOuterPositionOnTheLeft) {
  auto d = basis::Extend<RS>::duplicated(labels());
  EXPECT_EQ(index(index(d, Pos("1", "2")), Pos("3", "4")), "13,24");
  auto e = basis::Extend<RS>::extended([](const ReaderT<StrFn, StrFn, S>& r) { return index(r, Pos("x", "y")); }, labels());
  EXPECT_EQ(index(e, Pos("a", "b")), index(index(d, Pos("a", "b")), Pos("x", "y")));
}

TEST(ReaderComonad, ExtractReadsBothMemptiesAndUndoesDuplicate) {
  using W = basis::Comonad<RS>;
  EXPECT_EQ(W::extract(labels()), ",");
  auto d = W::duplicate(labels());
  auto back = W::extract(d);
  auto mapped = basis::Functor<RS>::fmap([](const ReaderT<StrFn, StrFn, S>& r) { return W::extract(r); }, d);
  for (const Pos& p : {Pos("", ""), Pos("a", "bc")}) {
    EXPECT_EQ(index(back, p), index(labels(), p));
    EXPECT_EQ(index(mapped, p), index(labels(), p));
  }
  auto ext = W::extend([](const ReaderT<StrFn, StrFn, S>& r) { return index(r, Pos("!", "?")); }, labels());
  EXPECT_EQ(index(ext, Pos("p", "q")), "p!,q?");
}

TEST(ReaderDistributive, DistributesTheInnerStructuresPerOuterPosition) {
  using RC = ReaderTOf<basis::FunctionFrom<Int>, basis::ComplexTag>;
  auto r1 = tabulate<RC>([](const std::pair<Int, bool>& p) { return p.first * 10 + (p.second ? 1 : 0); });
  auto r2 = tabulate<RC>([](const std::pair<Int, bool>& p) { return -p.first; });
  std::vector<ReaderT<basis::FunctionFrom<Int>, basis::ComplexTag, Int>> rs{r1, r2};
  auto d = basis::Distributive<RC>::distribute(rs);
  EXPECT_EQ(runReaderT(d, 4), (basis::Complex<std::vector<Int>>{{40, -4}, {41, -4}}));
  auto m = basis::Distributive<RC>::collectM([](Int n) { return tabulate<RC>([n](const std::pair<Int, bool>& p) { return n + p.first; }); },
                                             std::optional<Int>(5));
  EXPECT_EQ(index(m, std::make_pair(Int(1), true)), std::optional<Int>(6));
}

}  // namespace
