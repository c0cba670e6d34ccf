#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "basis/cofree.hpp"
#include "basis/comonad_classes.hpp"

namespace {

TEST(ComonadClasses, TracedFunctionsAndEnvironmentPairs) {
  std::function<std::string(const std::string&)> w = [](const std::string& m) { return "at " + m; };
  EXPECT_EQ(basis::ComonadTraced<basis::FunctionFrom<std::string>>::trace("x", w), "at x");
  EXPECT_EQ(basis::ComonadEnv<basis::PairOf<int>>::ask(std::pair<int, std::string>(3, "v")), 3);
}

// What extract and ask give is a value, not a reference into their argument:
// bound from a temporary structure, it is still there to read.
TEST(ComonadClasses, ExtractAndAskOfATemporaryAreValues) {
  const std::string s(40, 'v');  // longer than a string's inline buffer
  using P = std::pair<std::string, std::string>;
  using C = basis::Cofree<basis::VectorTag, std::string>;
  static_assert(!std::is_reference_v<decltype(basis::extract(basis::Identity<std::string>{s}))>);
  static_assert(!std::is_reference_v<decltype(basis::Comonad<basis::IdentityTag>::extract(basis::Identity<std::string>{s}))>);
  static_assert(!std::is_reference_v<decltype(basis::Comonad<basis::PairOf<std::string>>::extract(P(s, s)))>);
  static_assert(!std::is_reference_v<decltype(basis::Comonad<basis::CofreeOf<basis::VectorTag>>::extract(std::declval<C>()))>);
  static_assert(!std::is_reference_v<decltype(basis::ComonadEnv<basis::PairOf<std::string>>::ask(P(s, s)))>);
  const auto& fromIdentity = basis::extract(basis::Identity<std::string>{s});
  EXPECT_EQ(fromIdentity, s);
  const auto& fromPair = basis::extract(P("env", s));
  EXPECT_EQ(fromPair, s);
  const auto& fromCofree = basis::extract(C(s, std::vector<C>{}));
  EXPECT_EQ(fromCofree, s);
  const auto& env = basis::ComonadEnv<basis::PairOf<std::string>>::ask(P(s, "value"));
  EXPECT_EQ(env, s);
}

}  // namespace
