#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basis/seq.hpp"

namespace {

using basis::Seq;

TEST(Seq, ConsAndViewlWorkAtTheFrontAndShareTheTail) {
  Seq<int> tail{2, 3};
  auto s = Seq<int>::cons(1, tail);
  EXPECT_EQ(s.size(), 3u);
  auto v = s.viewl();
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->first, 1);
  EXPECT_EQ(v->second, tail);
  EXPECT_FALSE(Seq<int>().viewl().has_value());
  EXPECT_EQ(s.toVector(), (std::vector<int>{1, 2, 3}));
}

TEST(Seq, ComparesElementwiseAndConcatenatesAsItsSemigroup) {
  EXPECT_EQ((Seq<int>{1, 2}), Seq<int>::fromRange(std::vector<int>{1, 2}));
  EXPECT_NE((Seq<int>{1, 2}), (Seq<int>{1}));
  EXPECT_LT((Seq<int>{1}), (Seq<int>{1, 0}));
  EXPECT_LT((Seq<int>{1, 2}), (Seq<int>{2}));
  EXPECT_EQ(basis::combine(Seq<std::string>{"a"}, Seq<std::string>{"b", "c"}), (Seq<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(basis::mempty<Seq<int>>().empty());
}

TEST(Seq, DestroysALongSequenceWithoutRecursion) {
  Seq<int> s;
  for (int i = 0; i < 1000000; ++i) s = Seq<int>::cons(i, s);
  EXPECT_EQ(s.size(), 1000000u);
}

}  // namespace
