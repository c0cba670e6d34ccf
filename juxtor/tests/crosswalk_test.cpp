// Crosswalking traversable containers through an aligning shape.

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include <juxtor/internal/crosswalk.hpp>
#include <juxtor/internal/list.hpp>
#include <juxtor/internal/simple.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::Either;
using basis::Seq;
using O = std::optional<int>;
using LI = List<int>;

std::vector<std::vector<int>> nested(const List<LI>& xss) {
  std::vector<std::vector<int>> out;
  for (const LI& xs : xss) out.push_back(xs.toVector());
  return out;
}

TEST(Crosswalk, EmptyContainersGiveTheTargetsNil) {
  auto never = [](int) -> LI { throw Boom(); };
  EXPECT_TRUE(juxtor::crosswalk(never, LI()).isNil());
  EXPECT_TRUE(juxtor::crosswalk(never, O()).isNil());
  EXPECT_TRUE(juxtor::crosswalk(never, These<char, int>::this_('a')).isNil());
  EXPECT_EQ(juxtor::crosswalk([](int x) { return O(x); }, LI()), std::nullopt);
}

TEST(Crosswalk, ListsIntoListsPairUpPositions) {
  auto r = juxtor::sequenceL(List<LI>::fromRange(std::vector<LI>{list({1, 2}), list({3})}));
  EXPECT_EQ(nested(r), (std::vector<std::vector<int>>{{1, 3}, {2}}));
  auto s = juxtor::crosswalk([](int x) { return list({x, x * 10}); }, list({1, 2, 3}));
  EXPECT_EQ(nested(s), (std::vector<std::vector<int>>{{1, 2, 3}, {10, 20, 30}}));
}

TEST(Crosswalk, ListsIntoOptionalsKeepThePresentValues) {
  auto r = juxtor::sequenceL(List<O>::fromRange(std::vector<O>{1, O(), 3}));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->toVector(), (std::vector<int>{1, 3}));
  EXPECT_EQ(juxtor::sequenceL(List<O>::fromRange(std::vector<O>{O(), O()})), std::nullopt);
  auto q = juxtor::sequenceL(Seq<O>{1, O(), 3});
  ASSERT_TRUE(q.has_value());
  EXPECT_EQ(q->toVector(), (std::vector<int>{1, 3}));
}

TEST(Crosswalk, SingleElementShapes) {
  EXPECT_EQ(juxtor::crosswalk([](int x) { return O(x + 1); }, O(1)), std::optional<O>(O(2)));
  auto id = juxtor::crosswalk([](int x) { return list({x, x}); }, basis::Identity<int>{4});
  EXPECT_EQ(id.toVector().size(), 2u);
  EXPECT_EQ(id.head().value, 4);
  auto p = juxtor::crosswalk([](int x) { return O(x * 2); }, std::pair<char, int>('k', 5));
  EXPECT_EQ(p, (std::optional<std::pair<char, int>>(std::pair('k', 10))));
  auto t = juxtor::crosswalk([](int x) { return O(x); }, These<char, int>::these('a', 7));
  EXPECT_EQ(t, (std::optional<These<char, int>>(These<char, int>::these('a', 7))));
  auto c = juxtor::crosswalk([](int x) { return O(x); },
                             basis::Compose<basis::OptionalTag, basis::ListTag, int>{std::optional<LI>(list({1, 2}))});
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->value->toVector(), (std::vector<int>{1, 2}));
}

TEST(Bicrosswalk, EitherAndThese) {
  using E = Either<int, int>;
  auto l = juxtor::bisequenceL(Either<O, O>(basis::Left<O>{O(3)}));
  EXPECT_EQ(l, (std::optional<E>(E(basis::Left<int>{3}))));
  auto r = juxtor::bicrosswalk([](int a) { return O(a); }, [](int b) { return O(b + 1); }, E(basis::Right<int>{1}));
  EXPECT_EQ(r, (std::optional<E>(E(basis::Right<int>{2}))));
  auto both = juxtor::bicrosswalk([](int a) { return list({a, a}); }, [](char b) { return list({b}); },
                                  These<int, char>::these(1, 'x'));
  EXPECT_EQ(both.toVector(), (std::vector<These<int, char>>{These<int, char>::these(1, 'x'), These<int, char>::this_(1)}));
  auto one = juxtor::bisequenceL(These<O, O>::that(O(5)));
  EXPECT_EQ(one, (std::optional<These<int, int>>(These<int, int>::that(5))));
}

}  // namespace
