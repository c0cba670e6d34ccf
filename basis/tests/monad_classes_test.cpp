#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "basis/monad_classes.hpp"

namespace {

TEST(MonadReader, FunctionsReadTheirEnvironment) {
  using R = basis::MonadReader<basis::FunctionFrom<int>>;
  EXPECT_EQ(R::ask()(7), 7);
  EXPECT_EQ(R::reader([](const int& e) { return e * 2; })(4), 8);
  std::function<int(const int&)> m = [](const int& e) { return e + 1; };
  EXPECT_EQ(R::local([](const int& e) { return e * 10; }, m)(2), 21);
}

TEST(MonadWriter, PairsKeepTheirLog) {
  using W = basis::MonadWriter<basis::PairOf<std::string>>;
  EXPECT_EQ(W::writer(std::pair<int, std::string>(1, "log")), (std::pair<std::string, int>("log", 1)));
  EXPECT_EQ(W::tell("t").first, "t");
  EXPECT_EQ(W::listen(std::pair<std::string, int>("l", 2)), (std::pair<std::string, std::pair<int, std::string>>("l", {2, "l"})));
  std::function<std::string(const std::string&)> twice = [](const std::string& s) { return s + s; };
  auto passed = W::pass(std::pair<std::string, std::pair<int, std::function<std::string(const std::string&)>>>("ab", {3, twice}));
  EXPECT_EQ(passed, (std::pair<std::string, int>("abab", 3)));
}

}  // namespace
