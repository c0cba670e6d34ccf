// Deferred values forced by many threads at once, by threads that end while
// they force, and by threads that end in other ways than by returning:
// cycles are found, waits that are no cycle are never reported, no memory is
// read after it is freed, no thread record leaks, and a cell whose run was
// cut short is forced again later.

#include <malloc.h>
#include <pthread.h>
#include <unistd.h>
#include <unwind.h>

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "basis/lazy.hpp"
#include "depth_check.hpp"

namespace {

using basis::Lazy;
using depth_check::expectEq;

// Ends the forked child that runs a check when it has not finished in time:
// a hang fails one test with SIGALRM.
void watchdog(unsigned seconds) { alarm(seconds); }

// The seconds a stress loop runs: short by default, longer when
// BASIS_STRESS_SECONDS asks for it (a local soak run).
double stressSeconds() {
  if (const char* s = std::getenv("BASIS_STRESS_SECONDS")) return std::atof(s);
  return 1.5;
}

// k threads, each forcing cell i whose computation demands cell i+1 (mod k)
// once all k are running: a ring. The thread closing it throws
// NonTermination; its cell fails with it, and so does every cell of the ring
// as the failure travels back. Every thread ends.
TEST(LazyThreads, RingsOfTwoToEightThreadsAreReported) {
  for (int k = 2; k <= 8; ++k) {
    const std::string report = depth_check::isolated(depth_check::Stack::Default, [k]() -> std::string {
      watchdog(30);
      for (int round = 0; round < 20; ++round) {
        std::vector<Lazy<int>> cells(static_cast<std::size_t>(k));
        std::atomic<int> started{0};
        for (int i = 0; i < k; ++i) {
          const Lazy<int>* next = &cells[static_cast<std::size_t>((i + 1) % k)];
          cells[static_cast<std::size_t>(i)] = Lazy<int>::defer([next, &started, k] {
            ++started;
            while (started.load() < k) std::this_thread::yield();
            return next->force() + 1;
          });
        }
        std::atomic<int> cycles{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < k; ++i) {
          threads.emplace_back([&cells, &cycles, i] {
            try {
              (void)cells[static_cast<std::size_t>(i)].force();
            } catch (const basis::NonTermination&) {
              ++cycles;
            }
          });
        }
        for (auto& t : threads) t.join();
        if (cycles != k) return "round " + std::to_string(round) + ": " + std::to_string(cycles.load()) +
                                " of the threads saw the cycle";
      }
      return "";
    });
    EXPECT_EQ(report, "") << "a ring of " << k << " threads";
  }
}

// One thread forces a chain from its top while others force cells in its
// middle and drop them at once: many waits, each on a cell that another
// thread computes and that may be freed the moment the wait ends. More
// threads than cores, so that a thread is often preempted in the middle of
// a wait. There is no cycle, so nobody may see NonTermination, and every
// value is right; the sanitizer builds see every read of a freed cell or
// unordered access.
TEST(LazyThreads, ForcingAndDroppingTheMiddleOfAChainNeverSeesACycleOrAFreedCell) {
  constexpr int kLength = 24;
  constexpr int kHelpers = 11;
  std::mt19937 random(7);
  std::atomic<int> cycles{0}, wrong{0};
  std::atomic<bool> stop{false};
  std::barrier<> roundStart(kHelpers + 1), roundEnd(kHelpers + 1);
  // The cells each helper forces and drops this round, and their values.
  std::vector<std::optional<Lazy<int>>> picks(kHelpers + 1);
  std::vector<int> want(kHelpers + 1);
  auto demand = [&](std::size_t h) {
    try {
      if (picks[h]->force() != want[h]) ++wrong;
    } catch (const basis::NonTermination&) {
      ++cycles;
    }
    picks[h].reset();
  };
  std::vector<std::thread> helpers;
  for (std::size_t h = 1; h <= kHelpers; ++h) {
    helpers.emplace_back([&, h] {
      for (;;) {
        roundStart.arrive_and_wait();
        if (stop) return;
        demand(h);
        roundEnd.arrive_and_wait();
      }
    });
  }
  std::uint64_t rounds = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(stressSeconds());
  while (std::chrono::steady_clock::now() < until) {
    ++rounds;
    std::vector<Lazy<int>> cells;
    cells.reserve(kLength);
    cells.push_back(Lazy<int>::defer([] { return 0; }));
    for (int i = 1; i < kLength; ++i) {
      cells.push_back(Lazy<int>::defer([below = cells.back()] { return below.force() + 1; }));
    }
    picks[0] = cells.back();
    want[0] = kLength - 1;
    for (std::size_t h = 1; h <= kHelpers; ++h) {
      const int at = static_cast<int>(random() % (kLength - 1));
      picks[h] = cells[static_cast<std::size_t>(at)];
      want[h] = at;
    }
    // From here each cell is held by the cell above it and by the thread
    // that forces it, if any; a helper's drop may free its cell.
    cells.clear();
    roundStart.arrive_and_wait();
    demand(0);
    roundEnd.arrive_and_wait();
  }
  stop = true;
  roundStart.arrive_and_wait();
  for (auto& t : helpers) t.join();
  EXPECT_EQ(cycles, 0) << "a wait with no cycle was reported as one, over " << rounds << " rounds";
  EXPECT_EQ(wrong, 0);
}

// A thread whose thread_local object forces a cell while the thread ends.
struct ForcesWhenDestroyed {
  Lazy<int> cell = Lazy<int>::defer([] { return 1; });
  ~ForcesWhenDestroyed() { (void)cell.force(); }
};

void forceThenEndForcing() {
  static thread_local ForcesWhenDestroyed atEnd;
  (void)atEnd;
  (void)Lazy<int>::defer([] { return 2; }).force();
}

// Every thread hands its record back, also one that forces again while its
// thread_local objects are destroyed: many such threads keep the heap level.
// (The sanitizer builds see a lost record as a leak.)
TEST(LazyThreads, AThreadForcingWhileItEndsHandsItsRecordBack) {
  constexpr int kThreads = 2000;
  auto run = [] { std::thread(&forceThenEndForcing).join(); };
  for (int i = 0; i < 20; ++i) run();  // the allocator's own first-use costs, outside the count
  const std::size_t before = mallinfo2().uordblks;
  for (int i = 0; i < kThreads; ++i) run();
  const std::size_t after = mallinfo2().uordblks;
  EXPECT_LT(after - std::min(after, before), std::size_t{kThreads} * 8);
}

// A computation ended by pthread_exit or pthread_cancel on the thread's own
// stack: the thread ends as it would without the library, another thread
// waiting on the cell takes it over, and a later force computes the value.
struct EndingCase {
  const char* name;
  // Runs in the computation on its first run; ends the thread.
  void (*end)(std::atomic<bool>& started);
  // Run on the main thread once the computation started.
  void (*stop)(pthread_t thread);
};

const EndingCase kEndings[] = {
    {"pthread_exit",
     [](std::atomic<bool>& started) {
       started = true;
       std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the waiter comes
       pthread_exit(nullptr);
     },
     [](pthread_t) {}},
    {"pthread_cancel at a cancellation point",
     [](std::atomic<bool>& started) {
       started = true;
       // (Not a blocking call: ThreadSanitizer loses track of a thread
       // cancelled inside one.)
       for (;;) {
         pthread_testcancel();
         std::this_thread::yield();
       }
     },
     [](pthread_t thread) { pthread_cancel(thread); }},
};

struct EndingRun {
  const Lazy<int>* cell;
  std::atomic<bool> returned{false};
};

void* forceAndReturn(void* p) {
  auto* run = static_cast<EndingRun*>(p);
  (void)run->cell->force();
  run->returned = true;
  return nullptr;
}

TEST(LazyThreads, AThreadEndedInsideAComputationLeavesTheCellForLaterForces) {
  for (const EndingCase& c : kEndings) {
    const std::string report = depth_check::isolated(depth_check::Stack::Default, [&c]() -> std::string {
      watchdog(20);
      std::atomic<int> runs{0};
      std::atomic<bool> started{false};
      auto cell = Lazy<int>::defer([&] {
        if (runs++ == 0) c.end(started);
        return 7;
      });
      EndingRun run{&cell};
      pthread_t thread;
      if (pthread_create(&thread, nullptr, &forceAndReturn, &run) != 0) return "pthread_create failed";
      while (!started) std::this_thread::yield();
      // A second thread waits on the cell while the first one ends.
      std::atomic<int> waited{0};
      std::thread waiter([&] { waited = cell.force(); });
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      c.stop(thread);
      pthread_join(thread, nullptr);
      waiter.join();
      if (run.returned) return "the ended thread returned from force";
      if (std::string e = expectEq(waited, 7); !e.empty()) return "the waiter: " + e;
      if (std::string e = expectEq(cell.force(), 7); !e.empty()) return "a later force: " + e;
      return expectEq(runs, 2);
    });
    EXPECT_EQ(report, "") << c.name;
  }
}

// The library's own bookkeeping running out of memory inside a nested force
// is no outcome of either computation: both cells stay pending, the thread
// gets a std::bad_alloc, a thread waiting on the outer cell takes it over,
// and every later force gets the value.
TEST(LazyThreads, ARunOutOfTheLibrarysMemoryLeavesEveryCellOnTheWayPending) {
  const std::string report = depth_check::isolated(depth_check::Stack::Default, []() -> std::string {
    watchdog(20);
    std::atomic<int> innerRuns{0};
    auto inner = Lazy<int>::defer([&] {
      if (innerRuns++ == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the waiter comes
        throw basis::detail::MachineryExhausted();
      }
      return 5;
    });
    auto outer = Lazy<int>::defer([&] { return inner.force() * 2; });
    std::atomic<bool> started{false};
    std::string first;
    std::thread forcer([&] {
      started = true;
      try {
        (void)outer.force();
        first = "the first force returned";
      } catch (const std::bad_alloc&) {
      }
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::atomic<int> waited{0};
    std::string waiterError;
    std::thread waiter([&] {
      try {
        waited = outer.force();
      } catch (const std::exception& e) {
        waiterError = e.what();
      }
    });
    forcer.join();
    waiter.join();
    if (!first.empty()) return first;
    if (!waiterError.empty()) return "the waiter: " + waiterError;
    if (std::string e = expectEq(waited, 10); !e.empty()) return "the waiter: " + e;
    if (std::string e = expectEq(outer.force(), 10); !e.empty()) return "a later force: " + e;
    return expectEq(innerRuns, 2);
  });
  EXPECT_EQ(report, "");
}

// An exception of another language raised inside a computation reaches the
// caller as itself: the call never returns as if it had a value, and the
// cell is forced again later.
void raiseForeign() {
  auto* e = new _Unwind_Exception{};
  e->exception_class = 0x4241534953464f52;  // not a C++ exception's class
  e->exception_cleanup = [](_Unwind_Reason_Code, _Unwind_Exception* x) { delete x; };
  _Unwind_RaiseException(e);
  std::abort();  // no handler
}

TEST(LazyThreads, AForeignExceptionPassesThroughAndLeavesTheCellPending) {
  const std::string report = depth_check::isolated(depth_check::Stack::Default, []() -> std::string {
    watchdog(20);
    int runs = 0;
    auto cell = Lazy<int>::defer([&] {
      if (runs++ == 0) raiseForeign();
      return 9;
    });
    bool caught = false;
    try {
      (void)cell.force();
    } catch (const std::exception&) {
      return "a C++ exception came out";
    } catch (...) {
      caught = true;
    }
    if (!caught) return "force returned";
    return expectEq(cell.force(), 9);
  });
  EXPECT_EQ(report, "");
}

}  // namespace
