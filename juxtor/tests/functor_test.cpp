// Aligning products and compositions of shapes.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <juxtor/internal/functor.hpp>
#include <juxtor/internal/list.hpp>
#include <juxtor/internal/simple.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::Either;
using basis::Unit;
using O = std::optional<int>;
using T = These<int, int>;
using LTag = basis::ListTag;
using OTag = basis::OptionalTag;
template <class A>
using P = basis::functor::Product<OTag, LTag, A>;
template <class A>
using C = basis::Compose<LTag, LTag, A>;
using I = std::int64_t;

static_assert(juxtor::UnalignTag<basis::ProductOf<OTag, OTag>>);
static_assert(juxtor::AlignTag<basis::ProductOf<OTag, LTag>>);
static_assert(juxtor::RepeatTag<basis::ProductOf<OTag, LTag>>);
static_assert(juxtor::UnzipTag<basis::ProductOf<OTag, LTag>>);
static_assert(juxtor::AlignTag<basis::ComposeOf<LTag, OTag>>);
static_assert(juxtor::RepeatTag<basis::ComposeOf<LTag, LTag>>);
static_assert(juxtor::UnzipTag<basis::ComposeOf<LTag, OTag>>);

P<int> product(O a, std::initializer_list<int> b) { return {a, list(b)}; }
C<int> nested(std::vector<std::vector<int>> xss) {
  std::vector<List<int>> ls;
  for (auto& xs : xss) ls.push_back(List<int>::fromRange(xs));
  return {List<List<int>>::fromRange(ls)};
}
std::vector<std::vector<T>> flat(const C<T>& c) {
  std::vector<std::vector<T>> out;
  for (const List<T>& xs : c.value) out.push_back(xs.toVector());
  return out;
}

TEST(ProductAlign, AlignsThePartsWithEachOther) {
  auto r = juxtor::align(product(1, {2, 3}), product(O(), {4}));
  EXPECT_EQ(r.fst(), std::optional<T>(This<int, int>(1)));
  EXPECT_EQ(r.snd().toVector(), (std::vector<T>{Both(2, 4), This<int, int>(3)}));
  auto z = juxtor::zipWith([](int a, int b) { return a + b; }, product(1, {2, 3}), product(5, {4}));
  EXPECT_EQ(z.fst(), O(6));
  EXPECT_EQ(z.snd().toVector(), (std::vector<int>{6}));
}

TEST(ProductAlign, AFailingPartLeavesTheOtherAvailable) {
  P<int> bad{failing<O>(), list({1})};
  auto r = juxtor::alignWith([](const T& t) { return t.isThese(); }, bad, product(2, {3}));
  EXPECT_THROW(r.fst(), Boom);
  EXPECT_EQ(r.snd().toVector(), (std::vector<bool>{true}));
}

TEST(ProductAlign, IndexesByEither) {
  using K = Either<Unit, I>;
  auto r = juxtor::ialignWith([](const K& k, const T&) { return k.isLeft() ? -1 : k.fromRight(); },
                              product(1, {2, 3}), product(1, {4}));
  EXPECT_EQ(r.fst(), std::optional<I>(-1));
  EXPECT_EQ(r.snd().toVector(), (std::vector<I>{0, 1}));
  auto z = juxtor::izipWith([](const K& k, int a, int b) { return (k.isLeft() ? 100 : k.fromRight()) + a * b; },
                            product(2, {2, 3}), product(3, {4, 5}));
  EXPECT_EQ(z.fst(), std::optional<I>(106));
  EXPECT_EQ(z.snd().toVector(), (std::vector<I>{8, 16}));
  auto rep = juxtor::irepeat<basis::ProductOf<OTag, LTag>>([](const K& k) { return k.isLeft() ? I{-1} : k.fromRight(); });
  EXPECT_EQ(rep.fst(), std::optional<I>(-1));
  EXPECT_EQ(take(rep.snd(), 3), (std::vector<I>{0, 1, 2}));
}

TEST(ProductAlign, NilAndRepeatArePairsOfTheParts) {
  auto n = juxtor::nil<basis::ProductOf<OTag, LTag>, int>();
  EXPECT_EQ(n.fst(), O());
  EXPECT_TRUE(n.snd().isNil());
  auto r = juxtor::repeat<basis::ProductOf<OTag, LTag>>(4);
  EXPECT_EQ(r.fst(), O(4));
  EXPECT_EQ(take(r.snd(), 2), (std::vector<int>{4, 4}));
}

TEST(ProductUnzip, RunsEachPartsUnzipOnceForBothResults) {
  int calls = 0;
  auto [l, r] = juxtor::unzipWith(
      [&calls](int x) {
        ++calls;
        return std::pair(x, x * 10);
      },
      product(1, {2, 3}));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(l.fst(), O(1));
  EXPECT_EQ(l.snd().toVector(), (std::vector<int>{2, 3}));
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(r.snd().toVector(), (std::vector<int>{20, 30}));
  EXPECT_EQ(r.fst(), O(10));
  EXPECT_EQ(calls, 3);
  using PT = basis::functor::Product<OTag, OTag, T>;
  auto [a, b] = juxtor::unalign(PT{std::optional<T>(Both(1, 2)), std::optional<T>(That<int, int>(3))});
  EXPECT_EQ(a.fst(), O(1));
  EXPECT_EQ(a.snd(), O());
  EXPECT_EQ(b.snd(), O(3));
}

TEST(ComposeAlign, MapsLoneInnerContainersAndAlignsSharedOnes) {
  auto r = juxtor::align(nested({{1, 2}, {3}}), nested({{10}}));
  EXPECT_EQ(flat(r), (std::vector<std::vector<T>>{{Both(1, 10), This<int, int>(2)}, {This<int, int>(3)}}));
  auto z = juxtor::zip(nested({{1, 2}, {3}}), nested({{10}, {20, 30}, {40}}));
  std::vector<std::vector<std::pair<int, int>>> zs;
  for (const auto& xs : z.value) zs.push_back(xs.toVector());
  EXPECT_EQ(zs, (std::vector<std::vector<std::pair<int, int>>>{{{1, 10}}, {{3, 20}}}));
}

TEST(ComposeAlign, IndexesByOuterThenInner) {
  using K = std::pair<I, I>;
  auto r = juxtor::ialignWith([](const K& k, const T&) { return k.first * 10 + k.second; }, nested({{1, 2}, {3}}),
                              nested({{10}, {}, {5, 6}}));
  std::vector<std::vector<I>> got;
  for (const auto& xs : r.value) got.push_back(xs.toVector());
  EXPECT_EQ(got, (std::vector<std::vector<I>>{{0, 1}, {10}, {20, 21}}));
  auto rep = juxtor::irepeat<basis::ComposeOf<LTag, LTag>>([](const K& k) { return k.first * 10 + k.second; });
  EXPECT_EQ(take(take(rep.value, 3)[2], 2), (std::vector<I>{20, 21}));
  auto z = juxtor::izipWith([](const K& k, int, int) { return k; }, nested({{1, 2}}), nested({{1, 2, 3}}));
  EXPECT_EQ(z.value.head().toVector(), (std::vector<K>{K(0, 0), K(0, 1)}));
}

TEST(ComposeAlign, NilIsTheOuterNilAndRepeatNests) {
  EXPECT_TRUE((juxtor::nil<basis::ComposeOf<LTag, OTag>, int>().value.isNil()));
  auto r = juxtor::repeat<basis::ComposeOf<LTag, OTag>>(3);
  EXPECT_EQ(take(r.value, 2), (std::vector<O>{3, 3}));
  using PC = basis::Compose<LTag, OTag, std::pair<int, char>>;
  PC c{list<std::optional<std::pair<int, char>>>({std::pair(1, 'a'), std::nullopt})};
  auto [l, rr] = juxtor::unzip(c);
  EXPECT_EQ(l.value.toVector(), (std::vector<O>{1, O()}));
  EXPECT_EQ(rr.value.toVector(), (std::vector<std::optional<char>>{'a', std::nullopt}));
}

}  // namespace
