// Deferred values when an allocation fails: every allocation of the process
// goes through the malloc below, which fails the n-th one of a thread when
// asked to. For n = 0, 1, 2, ... over a fresh thread's first force, a deep
// force and a deep drop: the operation throws std::bad_alloc or completes,
// nothing hangs or aborts, and with memory back the value is there. A
// program of its own, since it replaces malloc for the whole process.

#include <pthread.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "basis/lazy.hpp"
#include "basis/sanitizer.hpp"
#include "depth_check.hpp"

#if !defined(BASIS_ASAN) && !defined(BASIS_TSAN)
#define FAILING_MALLOC 1

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
}

namespace {

enum class Failing { Once, FromThenOn };

// The allocations this thread may still make before one fails; negative
// when none is to fail. Plain thread-locals of the program: reading them
// allocates nothing.
constinit thread_local long allocationsLeft = -1;
constinit thread_local Failing failing = Failing::Once;
constinit thread_local bool failedOne = false;

bool failsNow() noexcept {
  if (allocationsLeft < 0) return false;
  if (allocationsLeft > 0) {
    --allocationsLeft;
    return false;
  }
  if (failing == Failing::Once) allocationsLeft = -1;
  failedOne = true;
  errno = ENOMEM;
  return true;
}

}  // namespace

extern "C" void* malloc(std::size_t size) { return failsNow() ? nullptr : __libc_malloc(size); }
extern "C" void* calloc(std::size_t count, std::size_t size) {
  return failsNow() ? nullptr : __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  return failsNow() ? nullptr : __libc_realloc(p, size);
}
#endif

namespace {

using basis::Lazy;
using depth_check::expectEq;

#ifdef FAILING_MALLOC

constexpr std::int64_t kDepth = 100'000;

Lazy<std::int64_t> chain(std::int64_t depth) {
  Lazy<std::int64_t> c = Lazy<std::int64_t>::defer([] { return std::int64_t{0}; });
  for (std::int64_t i = 0; i < depth; ++i) {
    c = Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

// What a fresh thread with a small stack (so that deep work leaves it at
// once) does while its allocations fail; it returns what went wrong, or "".
using Work = std::string (*)(std::optional<Lazy<std::int64_t>>& cell, bool firstTry);

struct Scenario {
  const char* name;
  Lazy<std::int64_t> (*make)();
  Work work;
};

std::string forceGives(std::optional<Lazy<std::int64_t>>& cell, std::int64_t want, bool firstTry) {
  try {
    return expectEq(cell->force(), want);
  } catch (const std::bad_alloc&) {
    return firstTry ? "" : "bad_alloc with memory available";
  } catch (const std::exception& e) {
    return std::string("exception: ") + e.what();
  }
}

const Scenario kScenarios[] = {
    {"a fresh thread's first force", [] { return Lazy<std::int64_t>::defer([] { return std::int64_t{42}; }); },
     [](std::optional<Lazy<std::int64_t>>& cell, bool firstTry) { return forceGives(cell, 42, firstTry); }},
    {"a deep force", [] { return chain(kDepth); },
     [](std::optional<Lazy<std::int64_t>>& cell, bool firstTry) { return forceGives(cell, kDepth, firstTry); }},
    {"a deep drop", [] { return chain(kDepth); },
     [](std::optional<Lazy<std::int64_t>>& cell, bool) -> std::string {
       cell.reset();
       return "";
     }},
};

struct ThreadRun {
  const Scenario* scenario;
  std::optional<Lazy<std::int64_t>>* cell;
  long failAt;
  Failing mode;
  std::string report;
  bool failed = false;
};

void* runFailing(void* p) {
  auto& run = *static_cast<ThreadRun*>(p);
  failing = run.mode;
  failedOne = false;
  allocationsLeft = run.failAt;
  std::string report = run.scenario->work(*run.cell, true);
  allocationsLeft = -1;
  run.failed = failedOne;
  run.report = std::move(report);
  // With memory back, the same thread gets the value.
  if (run.report.empty() && run.cell->has_value()) run.report = run.scenario->work(*run.cell, false);
  return nullptr;
}

std::string onSmallThread(ThreadRun& run) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, std::size_t{256} << 10);
  pthread_t thread;
  const int rc = pthread_create(&thread, &attr, &runFailing, &run);
  pthread_attr_destroy(&attr);
  if (rc != 0) return "pthread_create failed";
  pthread_join(thread, nullptr);
  return run.report;
}

// The report of a child in which no allocation of the thread failed: the
// failure asked for comes after the last allocation.
constexpr const char* kNoneFailed = "(no allocation failed)";

std::string failingRun(const Scenario& scenario, long failAt, Failing mode) {
  return depth_check::isolated(depth_check::Stack::Default, [&]() -> std::string {
    alarm(60);  // a hang fails the case with SIGALRM
    std::optional<Lazy<std::int64_t>> cell(scenario.make());
    ThreadRun run{&scenario, &cell, failAt, mode, {}};
    if (std::string report = onSmallThread(run); !report.empty()) return report;
    if (!run.failed) return kNoneFailed;
    // And another fresh thread gets it too.
    if (cell) {
      ThreadRun again{&scenario, &cell, -1, mode, {}};
      if (std::string report = onSmallThread(again); !report.empty()) return "another thread: " + report;
    }
    return "";
  });
}

TEST(LazyAllocationFailure, EachFailedAllocationThrowsOrIsSurvivedAndTheValueComesLater) {
  for (const Scenario& scenario : kScenarios) {
    for (Failing mode : {Failing::Once, Failing::FromThenOn}) {
      for (long n = 0;; ++n) {
        ASSERT_LT(n, 1000) << "the allocations never end";
        const std::string report = failingRun(scenario, n, mode);
        if (report == kNoneFailed) break;
        EXPECT_EQ(report, "") << scenario.name << ", allocation " << n << " failing"
                              << (mode == Failing::Once ? "" : " and every later one");
      }
    }
  }
}

#else

TEST(LazyAllocationFailure, EachFailedAllocationThrowsOrIsSurvivedAndTheValueComesLater) {
  GTEST_SKIP() << "the sanitizers keep their own allocator";
}

#endif

}  // namespace
