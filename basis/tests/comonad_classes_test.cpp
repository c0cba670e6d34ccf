#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "basis/comonad_classes.hpp"

namespace {

TEST(ComonadClasses, TracedFunctionsAndEnvironmentPairs) {
  std::function<std::string(const std::string&)> w = [](const std::string& m) { return "at " + m; };
  EXPECT_EQ(basis::ComonadTraced<basis::FunctionFrom<std::string>>::trace("x", w), "at x");
  EXPECT_EQ(basis::ComonadEnv<basis::PairOf<int>>::ask(std::pair<int, std::string>(3, "v")), 3);
}

}  // namespace
