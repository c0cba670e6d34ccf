#include "basis/lazy.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
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

TEST(Lazy, ADeferredValueOfADeferredValueKeepsTheInnerOneUnforced) {
  auto outer = Lazy<Lazy<int>>::defer([] { return Lazy<int>::raise(std::runtime_error("inner")); });
  const Lazy<int>* inner = nullptr;
  ASSERT_NO_THROW(inner = &outer.force());
  EXPECT_FALSE(inner->isEvaluated());
  EXPECT_THROW((void)inner->force(), std::runtime_error);
}

// Two cells that demand each other, forced from two threads at once: the
// thread that closes the cycle gets NonTermination, the other one then sees
// its cell fail with it. A watchdog turns a deadlock into a failure.
TEST(Lazy, ADemandCycleAcrossThreadsIsReportedNotDeadlocked) {
  for (int round = 0; round < 50; ++round) {
    std::atomic<int> started{0};
    Lazy<int> a, b;
    auto meet = [&] {
      ++started;
      while (started < 2) std::this_thread::yield();
    };
    a = Lazy<int>::defer([&] { meet(); return b.force() + 1; });
    b = Lazy<int>::defer([&] { meet(); return a.force() + 1; });
    std::atomic<int> cycles{0}, finished{0};
    auto run = [&](const Lazy<int>& x) {
      try {
        (void)x.force();
      } catch (const basis::NonTermination&) {
        ++cycles;
      }
      ++finished;
    };
    std::thread t1(run, std::cref(a)), t2(run, std::cref(b));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (finished < 2 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (finished < 2) {
      t1.detach();
      t2.detach();
      FAIL() << "the two threads deadlocked";
    }
    t1.join();
    t2.join();
    EXPECT_EQ(cycles, 2);
  }
}

TEST(Lazy, WaitingOnAnotherThreadWithoutACycleIsAPlainWait) {
  std::atomic<bool> running{false}, release{false};
  auto slow = Lazy<int>::defer([&] {
    running = true;
    while (!release) std::this_thread::yield();
    return 5;
  });
  auto viaSlow = Lazy<int>::defer([&] { return slow.force() * 2; });
  std::thread owner([&] { (void)slow.force(); });
  while (!running) std::this_thread::yield();
  std::thread waiter([&] { EXPECT_EQ(viaSlow.force(), 10); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release = true;
  owner.join();
  waiter.join();
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
