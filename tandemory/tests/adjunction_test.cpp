// The adjunction implementations' edge cases, the defaults, and the derived
// operations.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "tandemory/functor/adjunction.hpp"

namespace {

using Int = std::int64_t;
using S = std::string;

// A pair type whose adjunction gives only leftAdjunct and rightAdjunct, to
// exercise the defaults of unit and counit.
template <class A>
struct Tagged2 {
  Int env;
  A value;
  friend bool operator==(const Tagged2&, const Tagged2&) = default;
};
struct Tagged2Tag {
  template <class A>
  using apply = Tagged2<A>;
};

}  // namespace

template <class A>
struct basis::TagOf<Tagged2<A>> {
  using type = Tagged2Tag;
  using element = A;
};
template <>
struct basis::Functor<Tagged2Tag> : basis::FunctorDefaults<Tagged2Tag> {
  template <class Fn, class A>
  static Tagged2<basis::Mapped<Fn, A>> fmap(Fn f, const Tagged2<A>& t) {
    return {t.env, f(t.value)};
  }
};
template <>
struct tandemory::Adjunction<Tagged2Tag> : tandemory::AdjunctionDefaults<Tagged2Tag> {
  using Right = basis::FunctionFrom<Int>;
  template <class H, class A>
  static auto leftAdjunct(H h, const A& a) {
    using B = basis::Mapped<H, Tagged2<A>>;
    return std::function<B(const Int&)>([h, a](const Int& e) { return h(Tagged2<A>{e, a}); });
  }
  template <class H, class A>
  static auto rightAdjunct(H h, const Tagged2<A>& x) {
    return h(x.value)(x.env);
  }
};

namespace {

using namespace tandemory;
using P = basis::PairOf<Int>;
using IntFn = std::function<Int(const Int&)>;

TEST(PairAdjunction, UnitCounitAndTheAdjuncts) {
  EXPECT_EQ(unit<P>(S("a"))(4), (std::pair<Int, S>(4, "a")));
  EXPECT_EQ(counit(std::pair<Int, IntFn>(3, [](const Int& e) { return e * e; })), 9);
  auto h = [](const std::pair<Int, S>& p) { return p.second + std::to_string(p.first); };
  EXPECT_EQ(leftAdjunct<P>(h, S("x"))(5), "x5");
  auto g = [](const S& b) { return std::function<S(const Int&)>([b](const Int& e) { return b + "@" + std::to_string(e); }); };
  EXPECT_EQ(rightAdjunct(g, std::pair<Int, S>(2, "y")), "y@2");
}

TEST(Defaults, UnitAndCounitFromTheAdjuncts) {
  using T = Tagged2Tag;
  EXPECT_EQ(unit<T>(S("u"))(6), (Tagged2<S>{6, "u"}));
  EXPECT_EQ(counit(Tagged2<IntFn>{5, [](const Int& e) { return e + 1; }}), 6);
}

TEST(Defaults, AdjunctsFromUnitAndCounit) {
  using E = basis::IdentityTOf<P>;  // gives only unit and counit
  auto h = [](const basis::IdentityT<P, Int>& x) { return x.runIdentityT.first * 10 + x.runIdentityT.second; };
  EXPECT_EQ(leftAdjunct<E>(h, Int(3)).runIdentityT(4), 43);
  auto k = [](Int v) { return basis::IdentityT<basis::FunctionFrom<Int>, Int>{[v](const Int& e) { return v - e; }}; };
  EXPECT_EQ(rightAdjunct(k, basis::IdentityT<P, Int>{{2, 9}}), 7);
}

TEST(Defaults, PartialAdjunctsCallNothing) {
  int calls = 0;
  auto h = [&calls](const std::pair<Int, Int>& p) { return ++calls, p.first; };
  auto l = leftAdjunct<P>(h);
  auto r = rightAdjunct<P>([&calls](Int v) { return ++calls, IntFn([v](const Int&) { return v; }); });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(l(Int(1))(8), 8);
  EXPECT_EQ(r(std::pair<Int, Int>(0, 5)), 5);
  EXPECT_EQ(calls, 2);
}

TEST(VoidAdjunction, UnitIgnoresItsArgument) {
  auto u = unit<basis::V1Tag>(basis::Lazy<Int>::raise(std::runtime_error("argument")));
  EXPECT_EQ(u, (basis::U1<basis::V1<basis::Lazy<Int>>>{}));
  auto l = leftAdjunct<basis::V1Tag>([](const basis::V1<Int>&) -> Int { throw std::logic_error("called"); }, Int(1));
  EXPECT_EQ(l, basis::U1<Int>{});
}

TEST(ComposedAdjunction, NestsTheOuterPairAroundTheInner) {
  using E2 = basis::PairOf<S>;
  using C = basis::ComposeOf<E2, P>;  // record 1: pairs with Int, record 2: pairs with S
  auto u = unit<C>(S("a"));
  // u holds Int -> S -> Compose (S, (Int, a)): e1 first, then e2.
  auto at = u.value(7)("seven");
  EXPECT_EQ(at, (basis::Compose<E2, P, S>{{"seven", {7, "a"}}}));
}

TEST(SumAdjunction, EachSideUsesItsOwnRecord) {
  using Sm = basis::SumOf<P, basis::IdentityTag>;
  using Prod = basis::functor::Product<basis::FunctionFrom<Int>, basis::IdentityTag, S>;
  auto u = unit<Sm>(S("v"));
  EXPECT_FALSE(u.first.isEvaluated());
  EXPECT_FALSE(u.second.isEvaluated());
  EXPECT_EQ(u.snd().value, (basis::functor::Sum<P, basis::IdentityTag, S>::InR({"v"})));
  EXPECT_FALSE(u.first.isEvaluated());
  using X = basis::functor::Sum<P, basis::IdentityTag, Prod>;
  Prod onlyRight{basis::Lazy<std::function<S(const Int&)>>::raise(std::runtime_error("left half")), basis::Identity<S>{"r"}};
  EXPECT_EQ(counit(X::InR(basis::Identity<Prod>{onlyRight})), "r");
  Prod onlyLeft{std::function<S(const Int&)>([](const Int& e) { return std::to_string(e); }),
                basis::Lazy<basis::Identity<S>>::raise(std::runtime_error("right half"))};
  EXPECT_EQ(counit(X::InL({3, onlyLeft})), "3");
}

TEST(FreeCofreeAdjunction, CounitReadsThroughTheLayers) {
  using Fr = basis::FreeOf<P>;
  using U = basis::FunctionFrom<Int>;
  using C = basis::Cofree<U, S>;
  // A tree labelled by the path of environments taken from the root.
  std::function<C(const S&)> tree = [&tree](const S& path) {
    return C(path, std::function<C(const Int&)>([&tree, path](const Int& e) { return tree(path + std::to_string(e)); }));
  };
  using X = basis::Free<P, C>;
  EXPECT_EQ(counit(X::pure(tree("root:"))), "root:");
  // One layer: the child at the environment of the layer.
  auto oneLayer = X::wrap({4, X::pure(tree("r:"))});
  EXPECT_EQ(counit(oneLayer), "r:4");
  auto twoLayers = X::wrap({1, X::wrap({2, X::pure(tree(""))})});
  EXPECT_EQ(counit(twoLayers), "12");
  (void)sizeof(Fr);
}

TEST(FreeCofreeAdjunction, UnitBuildsTheTreeOnDemand) {
  using Fr = basis::FreeOf<P>;
  auto u = unit<Fr>(S("a"));
  EXPECT_TRUE(u.extract().isPure());
  EXPECT_EQ(u.extract().pureValue(), "a");
  EXPECT_FALSE(u.children().isEvaluated());
  // The child at environment 5 is labelled by one layer (5, Pure a).
  auto child = u.unwrap()(5);
  ASSERT_FALSE(child.extract().isPure());
  EXPECT_EQ(child.extract().layer().first, 5);
  EXPECT_EQ(child.extract().layer().second.pureValue(), "a");
  // counit of a layer whose leaf is the unit tree reads the labelled child.
  EXPECT_EQ(index(u, basis::Seq<Int>{3}).layer().first, 3);
}

TEST(DerivedOperations, SplitExtractAndUnsplit) {
  std::pair<Int, S> x(4, "a");
  auto [element, shape] = splitL(x);
  EXPECT_EQ(element, "a");
  EXPECT_EQ(shape, (std::pair<Int, basis::Unit>(4, basis::Unit{})));
  EXPECT_EQ(extractL(x), "a");
  EXPECT_EQ(unsplitL(S("b"), shape), (std::pair<Int, S>(4, "b")));
  EXPECT_EQ(duplicateL(x), (std::pair<Int, std::pair<Int, S>>(4, x)));
}

TEST(DerivedOperations, TabulateIndexAndZap) {
  auto t = tabulateAdjunction<P>([](const std::pair<Int, basis::Unit>& s) { return s.first * 2; });
  EXPECT_EQ(t(21), 42);
  IntFn table = [](const Int& e) { return e + 100; };
  auto read = indexAdjunction<P>(table);
  EXPECT_EQ(read(std::pair<Int, basis::Lazy<Int>>(5, basis::Lazy<Int>::raise(std::runtime_error("element")))), 105);
  auto zap = zapWithAdjunction<P>([](Int a, const S& b) { return b + std::to_string(a); }, table);
  EXPECT_EQ(zap(std::pair<Int, S>(1, "n")), "n101");
}

TEST(DerivedOperations, ZipAndUnzipThroughTheRightAdjoint) {
  IntFn t1 = [](const Int& e) { return e + 1; };
  std::function<S(const Int&)> t2 = [](const Int& e) { return std::to_string(e); };
  auto zipped = zipR<P>(std::pair(t1, t2));
  EXPECT_EQ(zipped(7), (std::pair<Int, S>(8, "7")));
  auto [firsts, seconds] = unzipR(zipped);
  EXPECT_EQ(firsts(2), 3);
  EXPECT_EQ(seconds(2), "2");
}

TEST(DerivedOperations, CozipSplitsByTheElementsSide) {
  using E = basis::Either<S, Int>;
  auto left = cozipL(std::pair<Int, E>(1, E(basis::Left<S>{"a"})));
  ASSERT_TRUE(left.isLeft());
  EXPECT_EQ(left.fromLeft(), (std::pair<Int, S>(1, "a")));
  auto right = cozipL(std::pair<Int, E>(2, E(basis::Right<Int>{9})));
  ASSERT_TRUE(right.isRight());
  EXPECT_EQ(right.fromRight(), (std::pair<Int, Int>(2, 9)));
  using FE = basis::Either<std::pair<Int, S>, std::pair<Int, Int>>;
  auto back = uncozipL(FE(basis::Left<std::pair<Int, S>>{{1, "a"}}));
  EXPECT_EQ(back.first, 1);
  EXPECT_EQ(back.second.fromLeft(), "a");
  // The impossible directions compile against the impossible type.
  [[maybe_unused]] auto never = &unabsurdL<std::pair<Int, basis::Void>>;
  [[maybe_unused]] auto never2 = &absurdL<P>;
}

TEST(DerivedOperations, AdjunctedConvertsBothSidesOfAFunction) {
  using In = std::function<IntFn(const Int&)>;                           // a -> u b
  using Out = basis::Identity<std::function<IntFn(const S&)>>;           // g (c -> u d)
  std::function<Out(const In&)> p = [](const In& k) {
    return Out{[k](const S& c) { return k(Int(c.size())); }};
  };
  auto q = adjuncted<P, basis::IdentityTag>(p);
  std::function<Int(const std::pair<Int, Int>&)> fromPairs = [](const std::pair<Int, Int>& x) { return x.first * 100 + x.second; };
  auto result = q(fromPairs);
  EXPECT_EQ(result.value(std::pair<Int, S>(3, "ab")), 302);
}

TEST(DerivedOperations, AdjunctedTakesAnyCallableOfTheShape) {
  // p as a lambda, taking its function by value as std::function<R(A)> and
  // giving functions that take their argument by value.
  using In = std::function<IntFn(Int)>;
  using Inner = std::function<IntFn(S)>;
  auto p = [](const In& k) { return basis::Identity<Inner>{[k](S c) { return k(Int(c.size())); }}; };
  std::function<Int(const std::pair<Int, Int>&)> fromPairs = [](const std::pair<Int, Int>& x) { return x.first * 100 + x.second; };
  EXPECT_EQ((adjuncted<P, basis::IdentityTag>(p)(fromPairs).value(std::pair<Int, S>(3, "ab"))), 302);
  // p as a std::function of a by-value parameter.
  std::function<basis::Identity<Inner>(In)> q = p;
  EXPECT_EQ((adjuncted<P, basis::IdentityTag>(q)(fromPairs).value(std::pair<Int, S>(4, "abc"))), 403);
}

}  // namespace
