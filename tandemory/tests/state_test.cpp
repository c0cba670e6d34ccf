// The representable state: running, binding, and the monad classes.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "basis/cofree.hpp"
#include "tandemory/monad/representable/state.hpp"
#include "tandemory/monad/trans/conts.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using G = basis::FunctionFrom<Int>;  // the state is an Int
using Id = basis::IdentityTag;
template <class A>
using St = StateT<G, Id, A>;
using STag = StateTOf<G, Id>;
using P = std::pair<Int, Int>;

St<Int> counter(Int step) {
  return stateT<G>([step](const Int& s) { return basis::Identity<P>{P(s * 10, s + step)}; });
}

TEST(StateInterfaces, AreComplete) {
  static_assert(basis::MonadTag<STag>);
  static_assert(basis::BindTag<STag>);
  static_assert(basis::MonadTag<StateTOf<basis::ComplexTag, basis::VectorTag>>);
}

TEST(StateRunning, RunsTheActionAtTheState) {
  auto t = counter(1);
  EXPECT_EQ(runState(t, 3), P(30, 4));
  EXPECT_EQ(runState(t)(5), P(50, 6));
  EXPECT_EQ(runStateT(t, 2).value, P(20, 3));
  EXPECT_EQ(runStateT(t)(2).value, P(20, 3));
  EXPECT_EQ(evalState(t, 7), 70);
  EXPECT_EQ(execState(t, 7), 8);
  EXPECT_EQ(evalStateT(t, 1).value, 10);
  EXPECT_EQ(execStateT(t, 1).value, 2);
  auto again = stateT<G>(runStateT(t));
  for (Int s : {-1, 0, 9}) EXPECT_EQ(runState(again, s), runState(t, s));
}

TEST(StateApplicative, PureKeepsTheStateAndApThreadsIt) {
  using App = basis::Applicative<STag>;
  EXPECT_EQ(runState(App::pure(std::string("a")), 4), (std::pair<std::string, Int>("a", 4)));
  EXPECT_EQ(execState(App::pure(Int(0)), 11), 11);
  using Fn = std::function<Int(const Int&)>;
  auto tf = stateT<G>([](const Int& s) {
    return basis::Identity<std::pair<Fn, Int>>{{[s](const Int& x) { return x + s; }, s + 1}};
  });
  auto ta = counter(2);
  // tf from 1 leaves 2; ta from 2 yields 20 and leaves 4.
  EXPECT_EQ(runState(App::ap(tf, ta), 1), P(21, 4));
  EXPECT_EQ(runState(App::liftA2(std::plus<Int>(), counter(1), counter(1)), 1), P(10 + 20, 3));
  EXPECT_EQ(runState(App::seqRight(counter(1), counter(5)), 1), P(20, 7));
  EXPECT_EQ(runState(App::seqLeft(counter(1), counter(5)), 1), P(10, 7));
  EXPECT_EQ(runState(basis::Semiapplicative<STag>::apF(tf, ta), 1), P(21, 4));
  EXPECT_EQ(runState(basis::Semiapplicative<STag>::liftF2(std::plus<Int>(), counter(1), counter(1)), 1), P(30, 3));
}

TEST(StateMonad, BindContinuesFromTheNextState) {
  using Mon = basis::Monad<STag>;
  auto t = Mon::bind(counter(1), [](Int a) { return counter(a); });
  // counter(1) from 2 yields (20, 3); counter(20) from 3 yields (30, 23).
  EXPECT_EQ(runState(t, 2), P(30, 23));
  EXPECT_EQ(runState(Mon::then(counter(1), counter(1)), 2), P(30, 4));
  EXPECT_EQ(runState(basis::Bind<STag>::bindF(counter(1), [](Int a) { return counter(a); }), 2), P(30, 23));
}

TEST(StateMonad, BindNeverForcesAResultTheContinuationIgnores) {
  using LI = basis::Lazy<Int>;
  using LT = StateTOf<G, Id>;
  auto t = stateT<G>([](const Int& s) {
    return basis::Identity<std::pair<LI, Int>>{{LI::raise(std::runtime_error("result demanded")), s + 1}};
  });
  auto bound = basis::Monad<LT>::bind(t, [](const LI&) { return counter(0); });
  EXPECT_EQ(runState(bound, 1), P(20, 2));
  auto mapped = basis::Functor<LT>::fmap([](const LI& x) { return x; }, t);
  EXPECT_EQ(execState(mapped, 1), 2);
}

TEST(StateReshaping, MapStateTouchesEveryState) {
  auto swapped = mapState([](const P& p) { return P(p.second, p.first); }, counter(1));
  EXPECT_EQ(runState(swapped, 3), P(4, 30));
  auto inVector = mapStateT([](const basis::Identity<P>& i) { return std::vector<P>{i.value, i.value}; }, counter(1));
  EXPECT_EQ(runStateT(inVector, 1), (std::vector<P>{P(10, 2), P(10, 2)}));
}

TEST(StateMonadState, GetPutAndState) {
  using MS = basis::MonadState<STag>;
  EXPECT_EQ(runState(MS::get(), 6), P(6, 6));
  auto putThenGet = basis::Monad<STag>::then(MS::put(42), MS::get());
  EXPECT_EQ(runState(putThenGet, 1), P(42, 42));
  EXPECT_EQ(execState(MS::put(3), 100), 3);
  EXPECT_EQ(runState(MS::state([](const Int& s) { return P(s + 1, s * 2); }), 5), P(6, 10));
}

TEST(StateTransformer, LiftKeepsTheStateAndLiftBMaps) {
  using V = StateTOf<G, basis::VectorTag>;
  auto lifted = basis::lift<StateTTrans<G>>(std::vector<Int>{1, 2});
  EXPECT_EQ(runStateT(lifted, 9), (std::vector<P>{P(1, 9), P(2, 9)}));
  auto liftedB = basis::liftB<StateTTrans<G>>(std::vector<Int>{3});
  EXPECT_EQ(runStateT(liftedB, 4), (std::vector<P>{P(3, 4)}));
  static_assert(std::is_same_v<basis::tag_of<decltype(lifted)>, V>);
}

TEST(StateMonadReader, PassesTheEnvironmentThrough) {
  using E = basis::FunctionFrom<std::string>;  // M reads a string environment
  using RTag = StateTOf<G, E>;
  using MR = basis::MonadReader<RTag>;
  auto asked = runStateT(MR::ask(), 5);
  EXPECT_EQ(asked("env"), (std::pair<std::string, Int>("env", 5)));
  auto sized = runStateT(MR::reader([](const std::string& e) { return Int(e.size()); }), 5);
  EXPECT_EQ(sized("four"), P(4, 5));
  auto local = MR::local([](const std::string& e) { return e + e; }, MR::ask());
  EXPECT_EQ(runStateT(local, 1)("ab"), (std::pair<std::string, Int>("abab", 1)));
}

TEST(StateMonadWriter, ListenAndPassReshapeTheActions) {
  using W = basis::PairOf<std::string>;
  using WTag = StateTOf<G, W>;
  using MW = basis::MonadWriter<WTag>;
  auto told = runStateT(MW::tell("hi"), 3);
  EXPECT_EQ(told, (std::pair<std::string, std::pair<basis::Unit, Int>>("hi", {basis::Unit{}, 3})));
  auto written = runStateT(MW::writer(std::pair<Int, std::string>(8, "w")), 2);
  EXPECT_EQ(written, (std::pair<std::string, P>("w", P(8, 2))));
  auto t = stateT<G>([](const Int& s) { return std::pair<std::string, P>("log" + std::to_string(s), P(s, s + 1)); });
  auto heard = runStateT(MW::listen(t), 1);
  EXPECT_EQ(heard.first, "log1");
  EXPECT_EQ(heard.second.first, (std::pair<Int, std::string>(1, "log1")));
  EXPECT_EQ(heard.second.second, 2);
  using Change = std::function<std::string(const std::string&)>;
  Change shout = [](const std::string& l) { return l + "!"; };
  auto withChange = stateT<G>([shout](const Int& s) {
    return std::pair<std::string, std::pair<std::pair<Int, Change>, Int>>("x", {{s, shout}, s});
  });
  auto passed = runStateT(MW::pass(withChange), 7);
  EXPECT_EQ(passed, (std::pair<std::string, P>("x!", P(7, 7))));
}

// Cont over (answer string), the state layer on top of it.
using R = std::string;
using ContTag = ContsTOf<R, Id, Id>;
using CTag = StateTOf<G, ContTag>;

std::string runFrom(const StateT<G, ContTag, Int>& t, Int s) {
  return runCont(runStateT(t, s), [](const P& p) { return std::to_string(p.first) + "@" + std::to_string(p.second); });
}

TEST(StateContinuations, LiftCallCCRollsTheStateBackAndThePrimedFormKeepsIt) {
  using MS = basis::MonadState<CTag>;
  using Mon = basis::Monad<CTag>;
  auto callCCofCont = [](const auto& g) { return basis::MonadCont<ContTag>::callCC(g); };
  auto body = [](const auto& escape) { return Mon::then(MS::put(2), escape(Int(7))); };
  auto rolledBack = liftCallCC<G>(callCCofCont, body);
  auto carried = liftCallCC_<G>(callCCofCont, body);
  EXPECT_EQ(runFrom(rolledBack, 1), "7@1");
  EXPECT_EQ(runFrom(carried, 1), "7@2");
  auto viaClass = basis::MonadCont<CTag>::callCC(body);
  EXPECT_EQ(runFrom(viaClass, 1), "7@2");
  auto thenGet = Mon::bind(rolledBack, [](Int v) { return Mon::bind(MS::get(), [v](Int s) { return basis::Monad<CTag>::return_(v * 100 + s); }); });
  EXPECT_EQ(runFrom(thenGet, 1), "701@1");
}

TEST(StateMonadFree, WrapRunsEveryStateOfTheLayerFromTheSameState) {
  using F = basis::FreeOf<basis::VectorTag>;
  using FTag = StateTOf<G, F>;
  using Mon = basis::Monad<FTag>;
  auto a = Mon::return_(Int(1));
  auto b = basis::MonadState<FTag>::get();
  auto wrapped = basis::MonadFree<FTag>::wrap(std::vector<StateT<G, F, Int>>{a, b});
  auto tree = runStateT(wrapped, 5);
  ASSERT_FALSE(tree.isPure());
  ASSERT_EQ(tree.layer().size(), 2u);
  EXPECT_EQ(tree.layer()[0].pureValue(), P(1, 5));
  EXPECT_EQ(tree.layer()[1].pureValue(), P(5, 5));
}

}  // namespace
