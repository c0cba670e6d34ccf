#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "basis/profunctor.hpp"

namespace {

TEST(Profunctor, DimapAdaptsTheInputThenTheOutput) {
  std::function<int(const int&)> p = [](const int& x) { return x * 10; };
  auto q = basis::dimap([](const std::string& s) { return int(s.size()); }, [](const int& y) { return std::to_string(y); }, p);
  EXPECT_EQ(q(std::string("abc")), "30");
  auto r = basis::dimap<double>([](const double& d) { return int(d); }, [](const int& y) { return y + 1; }, p);
  EXPECT_EQ(r(2.7), 21);
}

}  // namespace
