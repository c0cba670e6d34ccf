#include "basis/semigroup.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Semigroup, StimesCombinesByRepeatedSquaring) {
  EXPECT_EQ(basis::stimes(3, std::string("ab")), "ababab");
  EXPECT_EQ(basis::stimes(1, std::string("ab")), "ab");
  EXPECT_THROW(basis::stimes(0, std::string("ab")), basis::ErrorCall);
}

TEST(Monoid, ConcatenationAndIdentities) {
  std::vector<std::string> parts{"a", "b", "c"};
  EXPECT_EQ(basis::mconcat<std::string>(parts), "abc");
  EXPECT_EQ(basis::sconcat<std::string>(parts), "abc");
  EXPECT_EQ(basis::mconcat<std::string>(std::vector<std::string>{}), "");
  EXPECT_EQ(basis::combine(std::optional<std::string>{}, std::optional<std::string>{"x"}),
            std::optional<std::string>{"x"});
  EXPECT_EQ(basis::combine(basis::EQ, basis::GT), basis::GT);
  EXPECT_EQ(basis::combine(basis::LT, basis::GT), basis::LT);
}

}  // namespace
