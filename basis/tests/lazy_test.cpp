#include "basis/lazy.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using basis::Lazy;

TEST(Lazy, EvaluatedValueIsInlineAndNeedsNoCell) {
  Lazy<std::string> x("abc");
  EXPECT_TRUE(x.isEvaluated());
  EXPECT_TRUE(x.isInline());
  EXPECT_EQ(x.cellAddress(), nullptr);
  EXPECT_EQ(x.force(), "abc");
}

TEST(Lazy, DeferredComputationRunsOnceAndIsShared) {
  int runs = 0;
  auto x = Lazy<int>::defer([&] { return ++runs * 10; });
  Lazy<int> copy = x;
  EXPECT_EQ(runs, 0);
  EXPECT_FALSE(copy.isEvaluated());
  EXPECT_EQ(x.force(), 10);
  EXPECT_EQ(copy.force(), 10);
  EXPECT_TRUE(copy.isEvaluated());
  EXPECT_EQ(runs, 1);
}

TEST(Lazy, RunsOnceWhenManyThreadsForceTogether) {
  std::atomic<int> runs{0};
  std::atomic<bool> go{false};
  auto x = Lazy<int>::defer([&] {
    ++runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 7;
  });
  std::vector<std::thread> threads;
  std::atomic<int> seen{0};
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      seen += x.force();
    });
  }
  go = true;
  for (auto& t : threads) t.join();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seen, 56);
}

TEST(Lazy, TheSameExceptionIsRethrownOnEveryDemand) {
  int runs = 0;
  auto x = Lazy<int>::defer([&]() -> int {
    ++runs;
    throw std::runtime_error("boom");
  });
  const std::exception* first = nullptr;
  for (int i = 0; i < 3; ++i) {
    try {
      (void)x.force();
      FAIL() << "expected a throw";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "boom");
      if (first == nullptr) first = &e;
      EXPECT_EQ(first, &e);
    }
  }
  EXPECT_EQ(runs, 1);
}

TEST(Lazy, ComputationDemandingItselfIsReportedNotDeadlocked) {
  Lazy<int>* self = nullptr;
  auto x = Lazy<int>::defer([&] { return self->force() + 1; });
  self = &x;
  EXPECT_THROW((void)x.force(), basis::NonTermination);
  // The failure is kept, as any other exception.
  EXPECT_THROW((void)x.force(), basis::NonTermination);
}

TEST(Lazy, DeferredLazyResultIsForcedThrough) {
  auto inner = Lazy<int>::defer([] { return 3; });
  auto outer = Lazy<int>::defer([inner] { return inner; });
  EXPECT_EQ(outer.force(), 3);
}

TEST(Lazy, ComparesWithPlainValuesOnEitherSide) {
  auto x = Lazy<int>::defer([] { return 3; });
  EXPECT_EQ(x, 3);
  EXPECT_EQ(3, x);
  EXPECT_NE(x, 4);
  EXPECT_EQ(x, Lazy<int>(3));
  EXPECT_EQ(Lazy<std::string>("a"), std::string("a"));
}

TEST(Identical, FollowsCellsAndValueRepresentations) {
  Lazy<int> a(1), b(1), c(2);
  EXPECT_TRUE(basis::identical(a, b));
  EXPECT_FALSE(basis::identical(a, c));
  auto d = Lazy<int>::defer([] { return 1; });
  Lazy<int> e = d;
  EXPECT_TRUE(basis::identical(d, e));
  EXPECT_FALSE(basis::identical(a, d));
  Lazy<std::string> s("x"), t("x");
  EXPECT_FALSE(basis::identical(s, t));
  EXPECT_TRUE(basis::identical(s, s));
}

}  // namespace
