#include "basis/hashable.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OnlyStdHash {
  int x;
  bool operator==(const OnlyStdHash&) const = default;
};

}  // namespace

template <>
struct std::hash<OnlyStdHash> {
  std::size_t operator()(const OnlyStdHash& v) const noexcept { return v.x * 3u; }
};

namespace {

TEST(Hashable, IntegerHashIsTheIntegerItself) {
  EXPECT_EQ(basis::hash(std::int64_t{-5}), -5);
  EXPECT_EQ(basis::hash(42), 42);
  EXPECT_EQ(basis::hash(char32_t{'a'}), 97);
  EXPECT_EQ(basis::hash(true), 1);
}

TEST(Hashable, SaltChangesTheResultAndEqualValuesHashEqual) {
  const std::string a = "hello", b = "hello";
  EXPECT_EQ(basis::hash(a), basis::hash(b));
  EXPECT_NE(basis::hashWithSalt(1, a), basis::hashWithSalt(2, a));
  EXPECT_NE(basis::hashWithSalt(1, 5), basis::hashWithSalt(2, 5));
  EXPECT_EQ(basis::hash(std::vector<int>{1, 2}), basis::hash(std::vector<int>{1, 2}));
  EXPECT_NE(basis::hash(std::vector<int>{1, 2}), basis::hash(std::vector<int>{2, 1}));
  EXPECT_NE(basis::hash(std::optional<int>{}), basis::hash(std::optional<int>{0}));
}

TEST(Hashable, WordMixingIsTheSaltedWordHash) {
  // Salt 0 and word 0 stay 0; the finaliser of any other input is spread.
  EXPECT_EQ(basis::hashWordWithSalt(0, 0), 0u);
  EXPECT_EQ(basis::hashWithSalt(0, std::uint64_t{0}), 0);
  EXPECT_NE(basis::hashWordWithSalt(0, 1), basis::hashWordWithSalt(1, 0));
}

TEST(Hashable, FallsBackToStdHash) {
  EXPECT_EQ(basis::hash(OnlyStdHash{4}), 12);
  EXPECT_EQ(basis::hashWithSalt(9, OnlyStdHash{4}),
            static_cast<std::int64_t>(basis::hashWordWithSalt(9, 12)));
}

}  // namespace
