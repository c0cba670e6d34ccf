// Contravariant representable functors, their adjunctions and the
// contravariant adjoint monad transformer.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "tandemory/functor/contravariant/adjunction.hpp"
#include "tandemory/functor/contravariant/rep.hpp"
#include "tandemory/monad/trans/contravariant/adjoint.hpp"

namespace {

namespace cv = tandemory::contravariant;
using Int = std::int64_t;
using S = std::string;
using OpS = basis::OpOf<S>;
using Pred = basis::PredicateTag;
template <class A>
using Op = basis::Op<S, A>;

TEST(ContravariantRep, OpAndPredicateHoldTheirFunction) {
  auto op = cv::tabulate<OpS>([](const Int& a) { return std::to_string(a); });
  EXPECT_EQ(cv::index(op, Int(4)), "4");
  EXPECT_EQ(cv::index(op)(Int(5)), "5");
  auto even = cv::tabulate<Pred, Int>([](const Int& a) { return a % 2 == 0; });
  EXPECT_TRUE(cv::index(even, Int(2)));
  EXPECT_FALSE(cv::index(even, Int(3)));
}

TEST(ContravariantRep, ContramapWithRepAnswersRightDirectly) {
  int calls = 0;
  Op<Int> op{[&calls](const Int& a) { return ++calls, std::to_string(a); }};
  using E = basis::Either<Int, S>;
  auto adapted = cv::contramapWithRep([](const S& b) { return b.empty() ? E(basis::Right<S>{"empty"}) : E(basis::Left<Int>{Int(b.size())}); },
                                      op);
  EXPECT_EQ(adapted(S("")), "empty");
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(adapted(S("abc")), "3");
  EXPECT_EQ(calls, 1);
  using EB = basis::Either<Int, bool>;
  basis::Predicate<Int> positive{[](const Int& a) { return a > 0; }};
  auto p = cv::contramapWithRep<Int>([](const Int& b) { return b == 0 ? EB(basis::Right<bool>{true}) : EB(basis::Left<Int>{b}); },
                                     positive);
  EXPECT_TRUE(p(0));
  EXPECT_FALSE(p(-1));
  EXPECT_EQ(cv::contramapRep([](const S& b) { return Int(b.size()); }, op)(S("xy")), "2");
}

TEST(ContravariantRep, EmptyConsumersYieldUnitWithoutLookingAtTheArgument) {
  EXPECT_EQ(cv::index(basis::Proxy<Int>{}, Int(1)), basis::Unit{});
  EXPECT_EQ(cv::index(basis::U1<basis::Lazy<Int>>{}, basis::Lazy<Int>::raise(std::runtime_error("argument"))), basis::Unit{});
  auto none = cv::tabulate<basis::ProxyTag, Int>([](const Int&) -> basis::Unit { throw std::logic_error("called"); });
  EXPECT_EQ(none, basis::Proxy<Int>{});
}

TEST(ContravariantRep, ProductsPairTheirHalvesResults) {
  using P = basis::ProductOf<OpS, Pred>;
  using R = std::pair<S, bool>;
  int calls = 0;
  auto both = cv::tabulate<P, Int>([&calls](const Int& a) { return ++calls, R(std::to_string(a), a > 0); });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(cv::index(both, Int(3)), R("3", true));
  using E = basis::Either<Int, R>;
  auto adapted = cv::contramapWithRep<S>([](const S& b) { return b == "?" ? E(basis::Right<R>{R("r1", false)}) : E(basis::Left<Int>{-1}); },
                                         both);
  EXPECT_EQ(cv::index(adapted, S("?")), R("r1", false));
  EXPECT_EQ(cv::index(adapted, S("x")), R("-1", false));
  using GP = basis::GProductOf<Pred, Pred>;
  auto g = cv::tabulate<GP, Int>([](const Int& a) { return std::pair<bool, bool>(a > 0, a < 10); });
  EXPECT_EQ(cv::index(g, Int(20)), (std::pair<bool, bool>(true, false)));
}

TEST(ContravariantRep, TabulatedConvertsBothSides) {
  using In = Op<Int>;
  using Out = basis::Identity<basis::Predicate<S>>;
  std::function<Out(const In&)> p = [](const In& op) {
    return Out{basis::Predicate<S>{[op](const S& s) { return op(Int(s.size())) == "2"; }}};
  };
  auto q = cv::tabulated<OpS, Pred, basis::IdentityTag>(p);
  auto r = q([](const Int& a) { return std::to_string(a); });
  EXPECT_TRUE(r.value(S("ab")));
  EXPECT_FALSE(r.value(S("abc")));
}

TEST(ContravariantAdjunction, OpUnitAppliesTheHeldFunction) {
  auto u = cv::unit<OpS>(Int(6));
  EXPECT_EQ(u(Op<Int>{[](const Int& a) { return std::to_string(a * 7); }}), "42");
  EXPECT_EQ(cv::counit<OpS>(Int(1))(Op<Int>{[](const Int& a) { return std::to_string(a); }}), "1");
  auto h = [](const S& b) { return Op<Int>{[b](const Int& a) { return b + std::to_string(a); }}; };
  EXPECT_EQ(cv::leftAdjunct<OpS>(h, Int(3))(S("b")), "b3");
  EXPECT_EQ(cv::rightAdjunct<OpS>(h, Int(3))(S("b")), "b3");
  EXPECT_EQ(cv::leftAdjunct<OpS>(h)(Int(4))(S("c")), "c4");
}

TEST(ContravariantAdjunction, PredicateLeftAdjunctSwapsTheArguments) {
  auto h = [](const Int& b) { return basis::Predicate<Int>{[b](const Int& a) { return a < b; }}; };
  auto p = cv::leftAdjunct<Pred>(h, Int(5));  // holds at b exactly when h(b) holds at 5
  EXPECT_TRUE(p(6));
  EXPECT_FALSE(p(5));
}

TEST(ContravariantAdjunction, PartialAdjunctsCallNothing) {
  int calls = 0;
  auto h = [&calls](const S&) { return ++calls, Op<Int>{[](const Int&) { return S(); }}; };
  auto l = cv::leftAdjunct<OpS>(h);
  auto r = cv::rightAdjunct<OpS>(h);
  EXPECT_EQ(calls, 0);
  (void)l, (void)r;
}

TEST(ContravariantAdjunction, NamedArgumentTypeLetsTheFunctionBeGeneric) {
  auto h = [](const auto& b) { return Op<long>{[b](const long& a) { return b + std::to_string(a); }}; };
  EXPECT_EQ((cv::leftAdjunct<OpS, S>(h, 1L))(S("x")), "x1");
  EXPECT_EQ((cv::rightAdjunct<OpS, S>(h, 2L))(S("y")), "y2");
  EXPECT_EQ((cv::leftAdjunct<OpS, S>(h))(3L)(S("z")), "z3");
  EXPECT_EQ((cv::rightAdjunct<Pred, Int>([](const auto& b) { return basis::Predicate<Int>{[b](const Int& a) { return a < b; }}; }, Int(5)))(Int(6)),
            true);
}

TEST(ContravariantAdjunction, PartialAdjunctsCanBeGivenBackToAnAdjunct) {
  // h: S -> Op Int; leftAdjunct h: Int -> Op S, whose parameter type is read off.
  auto h = [](const S& b) { return Op<Int>{[b](const Int& a) { return b + std::to_string(a); }}; };
  auto l = cv::leftAdjunct<OpS>(h);
  static_assert(std::is_same_v<basis::callable_arg_t<decltype(l)>, Int>);
  // Back again: a function from S to Op Int agreeing with h.
  EXPECT_EQ((cv::rightAdjunct<OpS, Int>(l, S("b")))(Int(7)), "b7");
  EXPECT_EQ((cv::rightAdjunct<OpS>(l, S("c")))(Int(8)), "c8");
  EXPECT_EQ((cv::rightAdjunct<OpS>(cv::leftAdjunct<OpS>(l))(Int(9)))(S("d")), "d9");
  EXPECT_EQ((cv::leftAdjunct<OpS>(cv::rightAdjunct<OpS>(h)))(S("e"))(Int(1)), "e1");
}

TEST(ContravariantAdjunction, AdjunctedTakesAnyCallableOfTheShape) {
  using In = std::function<Op<Int>(Int)>;   // a -> g b, taking its argument by value
  using Inner = std::function<Op<S>(S)>;    // c -> g d
  auto p = [](const In& k) {
    return basis::Identity<Inner>{[k](S c) { return Op<S>{[k, c](const S& d) { return k(Int(c.size()))(Int(d.size())); }}; }};
  };
  std::function<Op<Int>(const Int&)> fromB = [](const Int& b) {
    return Op<Int>{[b](const Int& a) { return std::to_string(a) + "/" + std::to_string(b); }};
  };
  EXPECT_EQ((cv::adjuncted<OpS, basis::IdentityTag>(p)(fromB).value(S("dd"))(S("c"))), "1/2");
  std::function<basis::Identity<Inner>(In)> q = p;
  EXPECT_EQ((cv::adjuncted<OpS, basis::IdentityTag>(q)(fromB).value(S("ddd"))(S("cc"))), "2/3");
}

TEST(ContravariantRep, TabulatedTakesALambdaForTheProfunctorValue) {
  using Out = basis::Identity<basis::Predicate<S>>;
  auto p = [](Op<Int> op) { return Out{basis::Predicate<S>{[op](const S& s) { return op(Int(s.size())) == "2"; }}}; };
  auto r = cv::tabulated<OpS, Pred, basis::IdentityTag>(p)([](const Int& a) { return std::to_string(a); });
  EXPECT_TRUE(r.value(S("ab")));
  EXPECT_FALSE(r.value(S("a")));
}

TEST(ContravariantAdjunction, ContrarepAndCoindex) {
  auto h = [](const Int& b) { return Op<basis::Unit>{[b](const basis::Unit&) { return std::to_string(b) + "!"; }}; };
  auto g = cv::contrarepAdjunction<OpS>(h);
  EXPECT_EQ(g(Int(9)), "9!");
  Op<Int> x{[](const Int& a) { return S(static_cast<std::size_t>(a), '*'); }};
  auto fromA = cv::coindexAdjunction<OpS>(x);
  EXPECT_EQ(fromA(Int(3))(basis::Unit{}), "***");
}

TEST(ContravariantAdjunction, AdjunctedConvertsBothSides) {
  using In = std::function<Op<Int>(const Int&)>;                          // a -> g b (b = Int)
  using Out = basis::Identity<std::function<Op<S>(const S&)>>;           // h (c -> g d)
  std::function<Out(const In&)> p = [](const In& k) {
    return Out{[k](const S& c) { return Op<S>{[k, c](const S& d) { return k(Int(c.size()))(Int(d.size())); }}; }};
  };
  auto q = cv::adjuncted<OpS, basis::IdentityTag>(p);
  std::function<Op<Int>(const Int&)> fromB = [](const Int& b) {
    return Op<Int>{[b](const Int& a) { return std::to_string(a) + "/" + std::to_string(b); }};
  };
  auto out = q(fromB);
  // d -> f c: the Op that, given c, runs the original at (c, d).
  EXPECT_EQ(out.value(S("dd"))(S("c")), "1/2");
}

// The transformer over Op S with the identity comonad.
template <class A>
using T = cv::AdjointT<OpS, OpS, basis::IdentityTag, A>;
using TTag = cv::AdjointTOf<OpS, OpS, basis::IdentityTag>;

// Runs t with a final consumer of the value.
template <class A, class K>
S run(const T<A>& t, K k) {
  return cv::runAdjoint(t)(Op<A>{k});
}

TEST(ContravariantAdjoint, AdjointRoundTripsAndPureHandsItsValueOn) {
  static_assert(basis::MonadTag<TTag>);
  Op<Op<Int>> x{[](const Op<Int>& k) { return k(Int(5)) + k(Int(6)); }};
  auto t = cv::adjoint(x);
  auto show = [](const Int& v) { return std::to_string(v); };
  EXPECT_EQ(run(t, show), "56");
  EXPECT_EQ(run(basis::Applicative<TTag>::pure(Int(3)), show), "3");
  Op<Op<bool>> p{[](const Op<bool>& k) { return k(true); }};
  EXPECT_EQ(cv::runAdjoint(cv::adjoint(p))(Op<bool>{[](const bool& b) { return S(b ? "yes" : "no"); }}), "yes");
}

TEST(ContravariantAdjoint, BindThreadsTheValueThroughTheContinuation) {
  using Mon = basis::Monad<TTag>;
  auto show = [](const Int& v) { return std::to_string(v); };
  auto twice = cv::adjoint(Op<Op<Int>>{[](const Op<Int>& k) { return k(Int(1)) + "," + k(Int(2)); }});
  auto bound = Mon::bind(twice, [](Int v) { return basis::Applicative<TTag>::pure(v * 10); });
  EXPECT_EQ(run(bound, show), "10,20");
  auto viaThen = Mon::then(twice, basis::Applicative<TTag>::pure(Int(7)));
  auto viaBind = Mon::bind(twice, [](Int) { return basis::Applicative<TTag>::pure(Int(7)); });
  EXPECT_EQ(run(viaThen, show), run(viaBind, show));
  auto mapped = basis::Functor<TTag>::fmap([](Int v) { return v + 100; }, twice);
  EXPECT_EQ(run(mapped, show), "101,102");
  auto same = basis::Functor<TTag>::fmap([](Int v) { return v; }, twice);
  EXPECT_EQ(run(same, show), run(twice, show));
}

TEST(ContravariantAdjoint, LiftAndApAgreeWithBind) {
  using App = basis::Applicative<TTag>;
  auto show = [](const Int& v) { return std::to_string(v); };
  auto xs = cv::adjoint(Op<Op<Int>>{[](const Op<Int>& k) { return k(Int(1)) + k(Int(2)); }});
  auto ys = cv::adjoint(Op<Op<Int>>{[](const Op<Int>& k) { return k(Int(10)) + ";"; }});
  auto lifted = App::liftA2(std::plus<Int>(), xs, ys);
  using Fn = std::function<Int(const Int&)>;
  auto viaAp = App::ap(basis::Functor<TTag>::fmap([](Int a) { return Fn([a](const Int& b) { return a + b; }); }, xs), ys);
  EXPECT_EQ(run(lifted, show), "11;12;");
  EXPECT_EQ(run(viaAp, show), run(lifted, show));
  EXPECT_EQ(run(App::seqRight(xs, ys), show), "10;10;");
  EXPECT_EQ(run(App::seqLeft(xs, ys), show), "1;2;");
}

}  // namespace
