// The adjoint monad and comonad transformers over pairs and functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/comonad/trans/adjoint.hpp"
#include "tandemory/monad/trans/adjoint.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using S = std::string;
using F = basis::PairOf<Int>;        // (state, value)
using G = basis::FunctionFrom<Int>;  // functions from the state
using Log = basis::PairOf<S>;        // the writer (log, value)

// The state monad over the writer: Int -> (log, (state, value)).
template <class A>
using St = monad_trans::AdjointT<F, G, Log, A>;
using STag = monad_trans::AdjointTOf<F, G, Log>;
template <class A>
using Step = std::pair<S, std::pair<Int, A>>;

St<Int> tick(const S& note) {
  return {[note](const Int& s) { return Step<Int>(note, {s + 1, s * 10}); }};
}

TEST(AdjointMonad, IsTheStateTransformerOverPairsAndFunctions) {
  static_assert(basis::MonadTag<STag>);
  using Mon = basis::Monad<STag>;
  EXPECT_EQ(basis::Applicative<STag>::pure(S("a")).runAdjointT(3), (Step<S>("", {3, "a"})));
  auto t = Mon::bind(tick("t;"), [](Int a) {
    return St<Int>{[a](const Int& s) { return Step<Int>("k;", {s * 2, a + s}); }};
  });
  // tick from 4: ("t;", (5, 40)); the continuation from 5: ("k;", (10, 45)).
  EXPECT_EQ(t.runAdjointT(4), (Step<Int>("t;k;", {10, 45})));
  EXPECT_EQ(basis::Functor<STag>::fmap([](Int v) { return v + 1; }, tick("f")).runAdjointT(2), (Step<Int>("f", {3, 21})));
  EXPECT_EQ(basis::Functor<STag>::replace(S("r"), tick("f")).runAdjointT(2), (Step<S>("f", {3, "r"})));
  EXPECT_EQ(Mon::then(tick("1"), tick("2")).runAdjointT(0), (Step<Int>("12", {2, 10})));
}

TEST(AdjointMonad, ApRunsTheFunctionsEffectsFirst) {
  using App = basis::Applicative<STag>;
  using Fn = std::function<Int(const Int&)>;
  St<Fn> mf{[](const Int& s) { return Step<Fn>("f;", {s + 1, [s](const Int& x) { return x - s; }}); }};
  EXPECT_EQ(App::ap(mf, tick("x;")).runAdjointT(1), (Step<Int>("f;x;", {3, 19})));
  EXPECT_EQ(App::liftA2(std::plus<Int>(), tick("a"), tick("b")).runAdjointT(1), (Step<Int>("ab", {3, 30})));
  EXPECT_EQ(App::seqRight(tick("a"), tick("b")).runAdjointT(1), (Step<Int>("ab", {3, 20})));
  EXPECT_EQ(App::seqLeft(tick("a"), tick("b")).runAdjointT(1), (Step<Int>("ab", {3, 10})));
}

TEST(AdjointMonad, LiftPairsEachResultWithTheState) {
  using V = basis::VectorTag;
  auto lifted = basis::lift<monad_trans::AdjointTTrans<F, G>>(std::vector<S>{"x", "y"});
  static_assert(std::is_same_v<decltype(lifted), monad_trans::AdjointT<F, G, V, S>>);
  EXPECT_EQ(lifted.runAdjointT(7), (std::vector<std::pair<Int, S>>{{7, "x"}, {7, "y"}}));
}

TEST(AdjointMonad, AdjointAndRunAdjointConvertPlainStateFunctions) {
  std::function<std::pair<Int, S>(const Int&)> p = [](const Int& s) { return std::pair<Int, S>(s + 1, std::to_string(s)); };
  auto t = monad_trans::adjoint(p);
  EXPECT_EQ(t.runAdjointT(4).value, (std::pair<Int, S>(5, "4")));
  EXPECT_EQ(monad_trans::runAdjoint(t)(9), p(9));
}

// The comonad: a position beside a W of functions from positions.
template <class A>
using Co = comonad_trans::AdjointT<F, G, basis::IdentityTag, A>;
using CTag = comonad_trans::AdjointTOf<F, G, basis::IdentityTag>;
using Table = std::function<S(const Int&)>;

Co<S> labelled(Int s) {
  return Co<S>{{s, basis::Identity<Table>{[](const Int& k) { return "at" + std::to_string(k); }}}};
}

TEST(AdjointComonad, IsAStoreOverPairsAndFunctions) {
  static_assert(basis::ComonadTag<CTag>);
  using W = basis::Comonad<CTag>;
  EXPECT_EQ(W::extract(labelled(3)), "at3");
  auto d = W::duplicate(labelled(3));
  EXPECT_EQ(d.runAdjointT.first, 3);
  auto moved = d.runAdjointT.second.value(8);  // the transformer refocused at 8
  EXPECT_EQ(moved.runAdjointT.first, 8);
  EXPECT_EQ(W::extract(moved), "at8");
  auto sizes = W::extend([](const Co<S>& c) { return W::extract(c).size(); }, labelled(12));
  EXPECT_EQ(sizes.runAdjointT.second.value(100), 5u);
  auto mapped = basis::Functor<CTag>::fmap([](const S& v) { return v + "!"; }, labelled(2));
  EXPECT_EQ(mapped.runAdjointT.first, 2);
  EXPECT_EQ(mapped.runAdjointT.second.value(5), "at5!");
  auto extd = basis::Extend<CTag>::extended([](const Co<S>& c) { return W::extract(c) + "?"; }, labelled(1));
  EXPECT_EQ(W::extract(extd), "at1?");
}

TEST(AdjointComonad, LowerAppliesEveryFunctionAtThePosition) {
  using Env = basis::PairOf<S>;  // W: an environment comonad
  comonad_trans::AdjointT<F, G, Env, S> t{{4, std::pair<S, Table>("env", [](const Int& k) { return std::to_string(k * k); })}};
  EXPECT_EQ(comonad_trans::lower(t), (std::pair<S, S>("env", "16")));
  using W = basis::Comonad<comonad_trans::AdjointTOf<F, G, Env>>;
  EXPECT_EQ(W::extract(t), "16");
}

TEST(AdjointComonad, AdjointAndRunAdjointConvertPlainStores) {
  std::pair<Int, Table> plain(6, [](const Int& k) { return S(static_cast<std::size_t>(k), 'x'); });
  auto t = comonad_trans::adjoint(plain);
  EXPECT_EQ(t.runAdjointT.first, 6);
  EXPECT_EQ(t.runAdjointT.second.value(2), "xx");
  auto back = comonad_trans::runAdjoint(t);
  EXPECT_EQ(back.first, 6);
  EXPECT_EQ(back.second(3), "xxx");
}

}  // namespace
