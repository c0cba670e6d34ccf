// The continuation transformer with a comonadic context.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/monad/trans/conts.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Id = basis::IdentityTag;
template <class A>
using Cont = ContsT<std::string, Id, Id, A>;
using CTag = ContsTOf<std::string, Id, Id>;
using Mon = basis::Monad<CTag>;
using App = basis::Applicative<CTag>;

std::string show(Int x) { return std::to_string(x); }

TEST(ContsInterfaces, AreComplete) {
  static_assert(basis::MonadTag<CTag>);
  static_assert(basis::SemiapplicativeTag<CTag>);
  static_assert(basis::MonadTag<ContsTOf<Int, basis::PairOf<std::string>, Id>>);
  // Mapping needs only W's Functor: vectors of continuations.
  static_assert(basis::FunctorTag<ContsTOf<Int, basis::VectorTag, Id>>);
}

TEST(ContinuationMonad, ContAndPureHandTheirValuesToTheContinuation) {
  auto c = cont<std::string, Int>([](const std::function<std::string(const Int&)>& k) { return k(20) + k(22); });
  EXPECT_EQ(runCont(c, show), "2022");
  EXPECT_EQ(runCont(App::pure(Int(7)), show), "7");
  Cont<Int> p = App::pure(Int(5));
  auto answer = runContsT(p, basis::Identity<Cont<Int>::Continuation>{[](const Int& x) {
                              return basis::Identity<std::string>{"got " + show(x)};
                            }});
  EXPECT_EQ(answer.value, "got 5");
}

TEST(ContinuationMonad, BindPassesTheValueOn) {
  auto c = Mon::bind(App::pure(Int(3)), [](Int x) { return App::pure(x * 10); });
  EXPECT_EQ(runCont(c, show), "30");
  auto both = cont<std::string, Int>([](const std::function<std::string(const Int&)>& k) { return k(1) + "|" + k(2); });
  auto doubled = Mon::bind(both, [](Int x) { return App::pure(x * 2); });
  EXPECT_EQ(runCont(doubled, show), "2|4");
  EXPECT_EQ(runCont(Mon::then(both, App::pure(Int(9))), show), "9|9");
}

TEST(ContinuationMonad, EscapingSkipsTheRestOfTheComputation) {
  auto c = callCC<std::string, Id, Id>([](const auto& escape) {
    return Mon::bind(escape(Int(4)), [](Int) -> Cont<Int> { throw std::logic_error("ran after the escape"); });
  });
  EXPECT_EQ(runCont(c, show), "4");
  auto through = basis::MonadCont<CTag>::callCC([](const auto&) { return App::pure(Int(8)); });
  EXPECT_EQ(runCont(through, show), "8");
}

TEST(ContinuationMonad, ApRunsTheFunctionFirstThenTheArgument) {
  auto log = std::make_shared<std::string>();
  using G = std::function<Int(const Int&)>;
  auto cf = cont<std::string, G>([log](const std::function<std::string(const G&)>& k) {
    *log += "f";
    return k([](const Int& x) { return x + 1; });
  });
  auto cx = cont<std::string, Int>([log](const std::function<std::string(const Int&)>& k) {
    *log += "x";
    return k(41);
  });
  EXPECT_EQ(runCont(App::ap(cf, cx), show), "42");
  EXPECT_EQ(*log, "fx");
  EXPECT_EQ(runCont(App::liftA2(std::plus<Int>(), cx, cx), show), "82");
  EXPECT_EQ(runCont(App::seqRight(cx, App::pure(Int(1))), show), "1");
  EXPECT_EQ(runCont(App::seqLeft(cx, App::pure(Int(1))), show), "41");
  EXPECT_EQ(runCont(basis::Semiapplicative<CTag>::apF(cf, cx), show), "42");
}

TEST(ContinuationFunctor, MapsBeforeTheContinuationAndReplaceOverridesTheValue) {
  auto c = cont<std::string, Int>([](const std::function<std::string(const Int&)>& k) { return k(1) + k(2); });
  EXPECT_EQ(runCont(basis::Functor<CTag>::fmap([](Int x) { return x * 5; }, c), show), "510");
  EXPECT_EQ(runCont(basis::Functor<CTag>::replace(Int(0), c), show), "00");
}

TEST(ContinuationTransformer, LiftBindsTheInnerActionToTheContinuation) {
  using Writer = basis::PairOf<std::string>;
  using T = ContsT<Int, Id, Writer, Int>;
  auto lifted = basis::lift<ContsTTrans<Int, Id>>(std::pair<std::string, Int>("tell;", 6));
  T::Continuation k = [](const Int& x) { return std::pair<std::string, Int>("k;", x * 7); };
  EXPECT_EQ(runContsT(lifted, basis::Identity<T::Continuation>{k}), (std::pair<std::string, Int>("tell;k;", 42)));
}

TEST(ContextComonads, PureUsesTheFocusedContinuationOfAnEnvironmentContext) {
  using Env = basis::PairOf<std::string>;
  using T = ContsT<std::string, Env, Id, Int>;
  using ETag = ContsTOf<std::string, Env, Id>;
  T::Continuation k = [](const Int& x) { return basis::Identity<std::string>{show(x)}; };
  T::Context wk{"env", k};
  EXPECT_EQ(runContsT(basis::Applicative<ETag>::pure(Int(3)), wk).value, "3");
  auto bound = basis::Monad<ETag>::bind(basis::Applicative<ETag>::pure(Int(3)),
                                        [](Int x) { return basis::Applicative<ETag>::pure(x + 1); });
  EXPECT_EQ(runContsT(bound, wk).value, "4");
}

TEST(ContextComonads, ContsRunsOverEveryContinuationOfAFunctor) {
  using V = basis::VectorTag;
  auto c = conts<V, Int, Int>([](const std::vector<std::function<Int(const Int&)>>& ks) {
    Int total = 0;
    for (const auto& k : ks) total += k(10);
    return total;
  });
  std::vector<std::function<Int(const Int&)>> ks{[](const Int& x) { return x; }, [](const Int& x) { return x * 2; }};
  EXPECT_EQ(runConts(c, ks), 30);
  auto mapped = basis::Functor<ContsTOf<Int, V, Id>>::fmap([](Int x) { return x + 1; }, c);
  EXPECT_EQ(runConts(mapped, ks), 33);
}

}  // namespace
