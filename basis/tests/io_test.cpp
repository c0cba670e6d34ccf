#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "basis/io.hpp"

namespace {

TEST(IO, CombiningRunsNothingAndEachRunRunsTheActionsInOrder) {
  auto log = std::make_shared<std::vector<std::string>>();
  basis::IO<int> a{[log] { return log->push_back("a"), 1; }};
  basis::IO<int> b{[log] { return log->push_back("b"), 2; }};
  auto sum = basis::Applicative<basis::IOTag>::liftA2([](int x, int y) { return x + y; }, a, b);
  auto bound = basis::Monad<basis::IOTag>::bind(a, [b](int x) { return basis::fmap([x](int y) { return x * 10 + y; }, b); });
  EXPECT_TRUE(log->empty());
  EXPECT_EQ(sum.run(), 3);
  EXPECT_EQ(bound.run(), 12);
  EXPECT_EQ(*log, (std::vector<std::string>{"a", "b", "a", "b"}));
  EXPECT_EQ(basis::liftIO<basis::IOTag>(a).run(), 1);
  EXPECT_EQ(basis::Applicative<basis::IOTag>::pure(std::string("p")).run(), "p");
}

}  // namespace
