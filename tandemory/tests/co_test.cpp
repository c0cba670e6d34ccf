// Co: a representable functor as a reader monad over its positions and, over
// a monoid of positions, a comonad.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tandemory/functor/rep.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Str = basis::FunctionFrom<std::string>;
using CoStr = CoOf<Str>;
template <class A>
using Table = Co<Str, A>;

Table<std::string> echo() {
  return {[](const std::string& s) { return "<" + s + ">"; }};
}
template <class A>
A at(const Table<A>& t, const std::string& k) {
  return index(t, k);
}

TEST(CoInterfaces, AreComplete) {
  static_assert(basis::MonadTag<CoStr>);
  static_assert(basis::BindTag<CoStr>);
  static_assert(basis::ComonadTag<CoStr>);
  static_assert(basis::ExtendTag<CoStr>);
  static_assert(basis::DistributiveTag<CoStr>);
  static_assert(RepresentableTag<CoStr>);
}

TEST(CoMonad, ThenNeverDemandsItsFirstOperand) {
  auto failing = basis::Lazy<Table<std::string>>::raise(std::runtime_error("first operand"));
  auto r = basis::Monad<CoStr>::then(failing, echo());
  EXPECT_EQ(at(r, "k"), "<k>");
}

TEST(CoMonad, BindAndJoinReadTheInnerTableAtTheSamePosition) {
  auto lengths = basis::Monad<CoStr>::bind(echo(), [](const std::string& v) {
    return Table<Int>{[v](const std::string& k) { return Int(v.size() * 100 + k.size()); }};
  });
  EXPECT_EQ(at(lengths, "ab"), 402);
  Table<Table<std::string>> nested{[](const std::string& k) {
    return Table<std::string>{[k](const std::string& j) { return k + "/" + j; }};
  }};
  EXPECT_EQ(at(basis::Bind<CoStr>::join(nested), "q"), "q/q");
  EXPECT_EQ(at(basis::Monad<CoStr>::return_(Int(7)), "any"), 7);
}

TEST(CoReader, AskReaderAndLocalWorkOnPositions) {
  using R = basis::MonadReader<CoStr>;
  EXPECT_EQ(at(R::ask(), "pos"), "pos");
  auto sized = R::reader([](const std::string& k) { return Int(k.size()); });
  EXPECT_EQ(at(sized, "abc"), 3);
  auto local = R::local([](const std::string& k) { return k + k; }, echo());
  EXPECT_EQ(at(local, "x"), "<xx>");
}

TEST(CoApplicative, LiftAndApAgreeAtEveryPosition) {
  auto concat = [](const std::string& a, const std::string& b) { return a + b; };
  Table<std::function<std::string(const std::string&)>> curried{[concat](const std::string& k) {
    return std::function<std::string(const std::string&)>([concat, k](const std::string& b) { return concat("<" + k + ">", b); });
  }};
  auto viaLift = basis::Applicative<CoStr>::liftA2(concat, echo(), echo());
  auto viaLiftF2 = basis::Semiapplicative<CoStr>::liftF2(concat, echo(), echo());
  auto viaAp = basis::Applicative<CoStr>::ap(curried, echo());
  for (std::string k : {"", "a", "bc"}) {
    EXPECT_EQ(at(viaLift, k), at(viaAp, k));
    EXPECT_EQ(at(viaLiftF2, k), at(viaAp, k));
  }
  EXPECT_EQ(at(basis::Applicative<CoStr>::pure(Int(1)), "z"), 1);
  EXPECT_EQ(at(basis::Applicative<CoStr>::seqRight(echo(), Table<Int>{[](const std::string&) { return Int(2); }}), "z"), 2);
  EXPECT_EQ(at(basis::Applicative<CoStr>::seqLeft(echo(), Table<Int>{[](const std::string&) { return Int(2); }}), "z"), "<z>");
}

TEST(CoComonad, ExtractReadsMemptyAndDuplicateShiftsByMappend) {
  using W = basis::Comonad<CoStr>;
  EXPECT_EQ(W::extract(echo()), "<>");
  auto d = W::duplicate(echo());
  EXPECT_EQ(at(at(d, "a"), "b"), "<ab>");
  auto e = basis::Extend<CoStr>::extended([](const Table<std::string>& t) { return at(t, "!"); }, echo());
  EXPECT_EQ(at(e, "x"), "<x!>");
  auto dd = basis::Extend<CoStr>::duplicated(echo());
  EXPECT_EQ(at(at(dd, "1"), "2"), "<12>");
}

TEST(CoDistributive, DistributeReadsEveryTableAtOnePosition) {
  std::vector<Table<std::string>> tables{echo(), Table<std::string>{[](const std::string& k) { return k + k; }}};
  auto d = basis::Distributive<CoStr>::distribute(tables);
  EXPECT_EQ(at(d, "k"), (std::vector<std::string>{"<k>", "kk"}));
  auto m = basis::Distributive<CoStr>::distributeM(std::optional<Table<std::string>>(echo()));
  EXPECT_EQ(at(m, "p"), std::optional<std::string>("<p>"));
  auto none = basis::Distributive<CoStr>::distributeM(std::optional<Table<std::string>>());
  EXPECT_EQ(at(none, "p"), std::nullopt);
}

TEST(CoTrans, LowerYieldsTheWrappedStructure) {
  Co<basis::ComplexTag, int> c{{1, 2}};
  EXPECT_EQ(lower(c), (basis::Complex<int>{1, 2}));
  EXPECT_EQ(unCo(c), (basis::Complex<int>{1, 2}));
}

}  // namespace
