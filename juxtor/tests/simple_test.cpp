// Aligning optional values, Identity, Tagged, Proxy and functions.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include <juxtor/internal/simple.hpp>

#include "support.hpp"

namespace {

using namespace juxtor_test;
using basis::Identity;
using basis::Proxy;
using basis::Tagged;
using basis::Unit;
using O = std::optional<int>;
using T = These<int, int>;

static_assert(juxtor::UnalignTag<basis::OptionalTag> && juxtor::AlignTag<basis::OptionalTag>);
static_assert(juxtor::RepeatTag<basis::OptionalTag> && juxtor::UnzipTag<basis::OptionalTag>);
static_assert(juxtor::RepeatTag<basis::IdentityTag> && juxtor::UnzipTag<basis::IdentityTag>);
static_assert(juxtor::RepeatTag<basis::TaggedOf<char>> && juxtor::UnzipTag<basis::TaggedOf<char>>);
static_assert(juxtor::UnalignTag<basis::ProxyTag> && juxtor::RepeatTag<basis::ProxyTag>);
static_assert(juxtor::AlignTag<basis::ProxyTag> && juxtor::UnzipTag<basis::ProxyTag>);

TEST(OptionalAlign, TagsEachPresentSide) {
  struct Case {
    O a, b;
    std::optional<T> aligned;
    std::optional<std::pair<int, int>> zipped;
  };
  const Case cases[] = {
      {{}, {}, {}, {}},
      {{}, 2, That<int, int>(2), {}},
      {1, {}, This<int, int>(1), {}},
      {1, 2, Both(1, 2), std::pair(1, 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(juxtor::align(c.a, c.b), c.aligned);
    EXPECT_EQ(juxtor::zip(c.a, c.b), c.zipped);
    EXPECT_EQ(juxtor::ialignWith([](Unit, const T& t) { return t; }, c.a, c.b), c.aligned);
    if (c.aligned) {
      EXPECT_EQ(juxtor::unalign(std::optional<T>(*c.aligned)), std::pair(c.a, c.b));
    }
  }
  EXPECT_EQ((juxtor::nil<basis::OptionalTag, int>()), std::nullopt);
  EXPECT_EQ(juxtor::unalign(std::optional<T>()), std::pair(O(), O()));
}

TEST(OptionalZip, RepeatAndIndexedForms) {
  EXPECT_EQ(juxtor::repeat<basis::OptionalTag>(3), O(3));
  EXPECT_EQ(juxtor::irepeat<basis::OptionalTag>([](Unit) { return 4; }), O(4));
  EXPECT_EQ(juxtor::izipWith([](Unit, int a, int b) { return a - b; }, O(5), O(2)), O(3));
  EXPECT_EQ(juxtor::zipWith([](int a, int b) { return a * b; }, O(5), O()), O());
}

TEST(OptionalUnzip, NeverCallsTheFunctionOnNothing) {
  int calls = 0;
  auto f = [&calls](int x) {
    ++calls;
    return std::pair(x, -x);
  };
  EXPECT_EQ(juxtor::unzipWith(f, O()), std::pair(O(), O()));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(juxtor::unzipWith(f, O(2)), std::pair(O(2), O(-2)));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(juxtor::unzip(std::optional<std::pair<int, int>>(std::pair(1, 2))), std::pair(O(1), O(2)));
  auto [l, r] = juxtor::unalignWith([](int x) { return x > 0 ? This<int, int>(x) : Both(x, x); }, O(1));
  EXPECT_EQ(l, O(1));
  EXPECT_EQ(r, O());
}

TEST(IdentityAlign, WrapsTheOneElement) {
  EXPECT_EQ(juxtor::align(Identity<int>{1}, Identity<int>{2}).value, Both(1, 2));
  EXPECT_EQ(juxtor::zip(Identity<int>{1}, Identity<int>{2}).value, std::pair(1, 2));
  EXPECT_EQ(juxtor::repeat<basis::IdentityTag>(7).value, 7);
  EXPECT_EQ(juxtor::irepeat<basis::IdentityTag>([](Unit) { return 8; }).value, 8);
  EXPECT_EQ(juxtor::izipWith([](Unit, int a, int b) { return a + b; }, Identity<int>{1}, Identity<int>{2}).value, 3);
  auto [a, b] = juxtor::unzip(Identity<std::pair<int, char>>{{1, 'x'}});
  EXPECT_EQ(a.value, 1);
  EXPECT_EQ(b.value, 'x');
}

TEST(TaggedAlign, IgnoresTheTag) {
  using Tg = Tagged<std::string, int>;
  auto t = juxtor::alignWith([](const T& x) { return x.isThese(); }, Tg{1}, Tg{2});
  EXPECT_TRUE(t.unTagged);
  EXPECT_EQ(juxtor::zipWith([](int a, int b) { return a * b; }, Tg{3}, Tg{4}).unTagged, 12);
  auto [l, r] = juxtor::unzipWith([](int x) { return std::pair(x, x + 1); }, Tg{1});
  EXPECT_EQ(l.unTagged + r.unTagged, 3);
  EXPECT_EQ(juxtor::ialignWith([](Unit, const T& x) { return x; }, Tg{1}, Tg{2}).unTagged, Both(1, 2));
}

TEST(ProxyAlign, NeverCallsTheFunction) {
  auto never = [](const auto&...) -> int { throw Boom(); };
  Proxy<int> p;
  (void)juxtor::alignWith(never, p, p);
  (void)juxtor::zipWith(never, p, p);
  (void)juxtor::unzipWith([](int) -> std::pair<int, int> { throw Boom(); }, p);
  (void)juxtor::unalignWith([](int) -> T { throw Boom(); }, p);
  (void)juxtor::ialignWith(never, p, p);
  (void)juxtor::izipWith(never, p, p);
  (void)juxtor::irepeat<basis::ProxyTag>(never);
  EXPECT_TRUE(juxtor::unzip(Proxy<std::pair<int, int>>{}) == std::pair(Proxy<int>{}, Proxy<int>{}));
  EXPECT_TRUE(juxtor::align(p, p) == Proxy<T>{});
  EXPECT_TRUE((juxtor::nil<basis::ProxyTag, int>() == p));
}

TEST(FunctionAlign, IsPointwise) {
  std::function<int(const int&)> f = [](const int& x) { return x + 1; };
  std::function<int(const int&)> g = [](const int& x) { return x * 10; };
  EXPECT_EQ(juxtor::zipWith([](int a, int b) { return a + b; }, f, g)(2), 23);
  EXPECT_EQ(juxtor::align(f, g)(3), Both(4, 30));
  EXPECT_EQ(juxtor::zip(f, g)(1), std::pair(2, 10));
  EXPECT_EQ(juxtor::repeat<basis::FunctionFrom<int>>(9)(12345), 9);
  EXPECT_EQ(juxtor::irepeat<basis::FunctionFrom<int>>([](const int& x) { return x * x; })(5), 25);
  EXPECT_EQ(juxtor::ialignWith([](int x, const T& t) { return x + (t.isThese() ? 100 : 0); }, f, g)(1), 101);
  EXPECT_EQ(juxtor::izipWith([](int x, int a, int b) { return x * 1000 + a + b; }, f, g)(1), 1012);
}

}  // namespace
