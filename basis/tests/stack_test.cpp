// The stack switch where stacks are unusual or resources run out: chains
// freed at exit, a main thread whose bounds cannot be read from /proc or whose
// rlimit is lowered, user fibers and alternate signal stacks, thread exits and
// foreign exceptions crossing a segment, segments that cannot be mapped.

#include <gtest/gtest.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "basis/functor.hpp"
#include "basis/lazy.hpp"
#include "basis/stack.hpp"
#include "depth_check.hpp"

#ifdef BASIS_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

// Counts the thread-local destructors registered in this program (the call
// the compiler makes at a thread_local's first use), then registers as usual.
extern "C" int __cxa_thread_atexit_impl(void (*)(void*), void*, void*);
namespace {
std::atomic<int> threadLocalDestructorsRegistered{0};
// How often the calling thread asked for its stack's bounds.
thread_local int boundsReads = 0;
// While set, the calling thread's asks fail, as when memory has run out.
thread_local bool boundsUnreadable = false;
}

// Counts the calls of this thread, then asks the C library.
extern "C" int pthread_getattr_np(pthread_t thread, pthread_attr_t* attr) noexcept {
  ++boundsReads;
  if (boundsUnreadable) return ENOMEM;
  using Real = int (*)(pthread_t, pthread_attr_t*);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pthread_getattr_np"));
  return real(thread, attr);
}
extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* dso) noexcept {
  threadLocalDestructorsRegistered.fetch_add(1);
  return __cxa_thread_atexit_impl(destructor, object, dso);
}

namespace {

using basis::Lazy;
using depth_check::Case;
using depth_check::expectEq;
using depth_check::Stack;
using Int = std::int64_t;

constexpr Int kDepth = depth_check::kSanitized ? 100'000 : 1'000'000;

// Live cells of the chains below: each cell's computation holds one probe.
std::atomic<Int> liveProbes{0};
struct Probe {
  Probe() noexcept { ++liveProbes; }
  Probe(const Probe&) noexcept { ++liveProbes; }
  ~Probe() { --liveProbes; }
};

Lazy<Int> chain(Int depth) {
  Lazy<Int> c(0);
  for (Int i = 0; i < depth; ++i) {
    c = Lazy<Int>::defer([below = std::move(c), p = Probe()] { return below.force() + 1; });
  }
  return c;
}

// Forces a deep chain and frees another one unforced: what a check reports.
std::string forceAndDrop() {
  std::string report = expectEq(chain(kDepth).force(), kDepth);
  chain(kDepth);
  if (report.empty() && liveProbes != 0) report = std::to_string(liveProbes.load()) + " cells not freed";
  return report;
}

// `depth` nested calls, each through withStackRoom, with one object per level
// whose destructor counts; `bottom` runs at the bottom.
std::atomic<Int> levelsUnwound{0};
struct Level {
  ~Level() { ++levelsUnwound; }
};
Int descend(Int depth, void (*bottom)()) {
  if (depth == 0) {
    bottom();
    return 0;
  }
  Level level;
  return basis::withStackRoom([&] { return descend(depth - 1, bottom); }) + 1;
}

// Whether the calling frame lies on the calling thread's own stack.
bool onOwnStack() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return true;
  void* low = nullptr;
  std::size_t size = 0;
  pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  auto* frame = static_cast<char*>(__builtin_frame_address(0));
  return frame >= static_cast<char*>(low) && frame < static_cast<char*>(low) + size;
}

// Runs `child` in a forked process that ends through exit(0) when it
// returns, so that destructors of thread-locals and globals run; what it
// wrote to stdout and how it ended.
std::string exitingChild(void (*child)()) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], STDOUT_FILENO);
    close(fds[1]);
    alarm(120);
    child();
    std::exit(0);
  }
  close(fds[1]);
  std::string out = depth_check::detail::readAll(fds[0]);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) out += std::string("[killed by signal ") + strsignal(WTERMSIG(status)) + "]";
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) out += "[exit status " + std::to_string(WEXITSTATUS(status)) + "]";
  return out;
}

Lazy<Int> heldByAGlobal;
thread_local Lazy<Int> heldByAThreadLocal;

// Holds an unforced deep chain in `held` until exit, after a deep force has
// made the thread keep segments; prints through buffered stdout.
void holdUntilExit(Lazy<Int>& held) {
  held = Lazy<Int>(0);  // constructed (and its destructor registered) first
  std::printf("forced %lld\n", static_cast<long long>(chain(kDepth).force()));
  held = chain(kDepth);
}

TEST(StackRoom, DeepChainsHeldByGlobalsAndThreadLocalsAreFreedAtExit) {
  const std::string want = "forced " + std::to_string(kDepth) + "\n";
  struct Row {
    const char* holder;
    void (*child)();
  };
  const Row rows[] = {
      {"a global", [] { holdUntilExit(heldByAGlobal); }},
      {"a thread_local of the main thread", [] { holdUntilExit(heldByAThreadLocal); }},
      {"a thread_local of another thread",
       [] {
         std::thread t([] { holdUntilExit(heldByAThreadLocal); });
         t.join();
       }},
  };
  for (const Row& row : rows) EXPECT_EQ(exitingChild(row.child), want) << row.holder;
}

TEST(StackRoom, ForcingRegistersNoThreadLocalDestructor) {
  // A destructor registration allocates, and glibc ends the process when it
  // cannot: the stack switch must not need one.
  int registered = -1;
  std::thread t([&] {
    const int before = threadLocalDestructorsRegistered.load();
    descend(100'000, [] {});
    registered = threadLocalDestructorsRegistered.load() - before;
  });
  t.join();
  EXPECT_EQ(registered, 0);
}

// Leaves the process no free file descriptor, then forces a deep chain on
// the main thread; ends the process with 0 when the value was right.
void forceWithoutFileDescriptors() {
  rlimit files{};
  files.rlim_cur = files.rlim_max = 64;
  setrlimit(RLIMIT_NOFILE, &files);
  while (open("/dev/null", O_RDONLY) >= 0) {
  }
  _exit(chain(kDepth).force() == kDepth ? 0 : 1);
}

TEST(StackRoomDeathTest, MainThreadLearnsItsStackWithoutAFileDescriptor) {
  // pthread_getattr_np reads the main thread's bounds from /proc: with no
  // file descriptor left it fails. A fresh process, so that nothing has read
  // the bounds before.
  if (depth_check::kSanitized) {
    GTEST_SKIP() << "UndefinedBehaviorSanitizer's type checks need a file descriptor (a pipe)";
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(forceWithoutFileDescriptors(), ::testing::ExitedWithCode(0), "");
}

TEST(StackRoom, MainThreadFollowsALoweredStackLimit) {
  EXPECT_EQ(depth_check::isolated(Stack::Default,
                                  []() -> std::string {
                                    if (chain(10).force() != 10) return "shallow force";
                                    rlimit stack{};
                                    getrlimit(RLIMIT_STACK, &stack);
                                    stack.rlim_cur = std::size_t{1} << 20;
                                    if (setrlimit(RLIMIT_STACK, &stack) != 0) return "setrlimit failed";
                                    return forceAndDrop();
                                  }),
            "");
}

// A 256 KiB stack for a ucontext fiber, whose switches are announced to
// AddressSanitizer as the library announces its own.
struct Fiber {
  ucontext_t context{};
  ucontext_t back{};
  char* low;
  std::size_t size;
  void (*body)();
#ifdef BASIS_ASAN
  const void* backBottom = nullptr;
  std::size_t backSize = 0;
#endif

  static Fiber* current;

  Fiber(char* stackLow, std::size_t stackSize, void (*run)()) : low(stackLow), size(stackSize), body(run) {
    getcontext(&context);
    context.uc_stack.ss_sp = low;
    context.uc_stack.ss_size = size;
    context.uc_link = &back;
    makecontext(&context, &entry, 0);
  }

  static void entry() {
    Fiber* f = current;
#ifdef BASIS_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &f->backBottom, &f->backSize);
#endif
    f->body();
#ifdef BASIS_ASAN
    __sanitizer_start_switch_fiber(nullptr, f->backBottom, f->backSize);
#endif
  }

  // Runs the fiber until it ends or swaps out.
  void enter() {
    current = this;
#ifdef BASIS_ASAN
    void* fake = nullptr;
    __sanitizer_start_switch_fiber(&fake, low, size);
#endif
    swapcontext(&back, &context);
#ifdef BASIS_ASAN
    __sanitizer_finish_switch_fiber(fake, nullptr, nullptr);
#endif
  }

  // From inside the fiber: back to whoever entered it; returns when it is
  // entered again.
  void leave() {
#ifdef BASIS_ASAN
    void* fake = nullptr;
    __sanitizer_start_switch_fiber(&fake, backBottom, backSize);
#endif
    swapcontext(&context, &back);
#ifdef BASIS_ASAN
    __sanitizer_finish_switch_fiber(fake, &backBottom, &backSize);
#endif
  }
};
Fiber* Fiber::current = nullptr;

constexpr std::size_t kFiberStack = std::size_t{256} << 10;
constexpr std::size_t kAltStack = std::size_t{64} << 10;
std::string fiberReport;

// A thread whose 8 MiB stack lies in the middle of a reserved region, with
// room for user stacks mapped just below and just above it.
struct Layout {
  static constexpr std::size_t kRegion = std::size_t{64} << 20;
  static constexpr std::size_t kThreadStackAt = std::size_t{24} << 20;
  static constexpr std::size_t kThreadStack = std::size_t{8} << 20;
  static constexpr std::size_t kBelowAt = std::size_t{8} << 20;
  static constexpr std::size_t kAboveAt = std::size_t{48} << 20;
  char* region = nullptr;

  // A read-write stack of `size` bytes at `offset` (inaccessible pages around it).
  char* stackAt(std::size_t offset, std::size_t size) const {
    mprotect(region + offset, size, PROT_READ | PROT_WRITE);
    return region + offset;
  }

  // Runs `check` on the thread; its report.
  std::string run(std::string (*check)(const Layout&)) {
    void* p = mmap(nullptr, kRegion, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return "mmap failed";
    region = static_cast<char*>(p);
    struct Call {
      const Layout* layout;
      std::string (*check)(const Layout&);
      std::string report;
    } call{this, check, {}};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstack(&attr, stackAt(kThreadStackAt, kThreadStack), kThreadStack);
    pthread_t thread;
    if (pthread_create(&thread, &attr, [](void* c) -> void* {
          auto* k = static_cast<Call*>(c);
          k->report = k->check(*k->layout);
          return nullptr;
        }, &call) != 0) {
      return "pthread_create failed";
    }
    pthread_attr_destroy(&attr);
    pthread_join(thread, nullptr);
    return call.report;
  }
};

std::string onFiberAt(const Layout& layout, std::size_t offset) {
  fiberReport = "fiber did not run";
  Fiber fiber(layout.stackAt(offset, kFiberStack), kFiberStack, [] { fiberReport = forceAndDrop(); });
  if (chain(10).force() != 10) return "shallow force";  // the thread's own stack is known
  fiber.enter();
  return fiberReport;
}

void onAltStack(int) { fiberReport = forceAndDrop(); }

TEST(StackRoom, DeepChainsOnStacksThatAreNotTheThreads) {
  const std::vector<Case> cases = {
      {"a 256 KiB fiber above the thread's stack",
       [] { return Layout().run([](const Layout& l) { return onFiberAt(l, Layout::kAboveAt); }); }},
      {"a 256 KiB fiber below the thread's stack",
       [] { return Layout().run([](const Layout& l) { return onFiberAt(l, Layout::kBelowAt); }); }},
      {"a signal handler on a 64 KiB alternate stack above the thread's",
       [] {
         return Layout().run([](const Layout& l) -> std::string {
           if (chain(10).force() != 10) return "shallow force";
           stack_t ss{};
           ss.ss_sp = l.stackAt(Layout::kAboveAt, kAltStack);
           ss.ss_size = kAltStack;
           if (sigaltstack(&ss, nullptr) != 0) return "sigaltstack failed";
           struct sigaction sa {};
           sa.sa_handler = &onAltStack;
           sa.sa_flags = SA_ONSTACK;
           sigaction(SIGUSR1, &sa, nullptr);
           fiberReport = "handler did not run";
           pthread_kill(pthread_self(), SIGUSR1);
           return fiberReport;
         });
       }},
      {"the thread's own stack after a computation on a segment swapped back to it",
       []() -> std::string {
         static Fiber* fiber = nullptr;
         static bool suspended = false;
         void* p = mmap(nullptr, kFiberStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
         if (p == MAP_FAILED) return "mmap failed";
         fiberReport = "fiber did not run";
         Fiber f(static_cast<char*>(p), kFiberStack, [] {
           // A computation on a segment (a fiber's stack is not known) that
           // hands control back to the thread in its middle.
           auto c = Lazy<Int>::defer([] {
             suspended = true;
             fiber->leave();
             return Int{5};
           });
           fiberReport = expectEq(Lazy<Int>::defer([c] { return c.force() + 1; }).force(), 6);
         });
         fiber = &f;
         if (chain(10).force() != 10) return "shallow force";
         f.enter();
         if (!suspended) return "computation did not swap back";
         const std::string here = forceAndDrop();
         if (!here.empty()) return "on the thread's stack: " + here;
         f.enter();
         if (!fiberReport.empty()) return "on the fiber: " + fiberReport;
         return forceAndDrop();
       }},
  };
  for (const Case& c : cases) EXPECT_EQ(depth_check::isolated(Stack::Default, c.check), "") << c.name;
}

// A thread whose first deep call runs on a fiber learns its own stack then,
// once: not again at every call that starts on the fiber.
TEST(StackRoom, AThreadLearnsItsStackOnceWhenItStartsOnAFiber) {
  const std::string report = Layout().run([](const Layout& l) -> std::string {
    boundsReads = 0;  // a sanitizer's runtime reads them as the thread starts
    fiberReport = "fiber did not run";
    Fiber fiber(l.stackAt(Layout::kAboveAt, kFiberStack), kFiberStack, [] {
      for (int i = 0; i < 100; ++i) {
        if (chain(3).force() != 3) {
          fiberReport = "wrong value";
          return;
        }
      }
      fiberReport = "";
    });
    fiber.enter();
    if (!fiberReport.empty()) return fiberReport;
    return boundsReads <= 1 ? "" : std::to_string(boundsReads) + " reads of the stack's bounds";
  });
  EXPECT_EQ(report, "");
}

// A thread ends inside work running on a segment: its exit value, or a
// report of what went wrong.
std::string endThreadOnSegment(void (*bottom)(), void* expected) {
  levelsUnwound = 0;
  static std::atomic<bool> bottomOnSegment{false};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, std::size_t{256} << 10);
  pthread_t thread;
  struct Run {
    void (*bottom)();
  } run{bottom};
  static Run* current = nullptr;
  current = &run;
  if (pthread_create(&thread, &attr, [](void*) -> void* {
        descend(20'000, [] {
          bottomOnSegment = !onOwnStack();
          current->bottom();
        });
        return nullptr;
      }, nullptr) != 0) {
    return "pthread_create failed";
  }
  pthread_attr_destroy(&attr);
  void* result = nullptr;
  pthread_join(thread, &result);
  if (!bottomOnSegment) return "the bottom did not run on a segment";
  if (result != expected) return "unexpected thread result";
  return expectEq(levelsUnwound, 20'000);
}

TEST(StackRoom, ThreadExitAndCancellationUnwindAcrossSegments) {
  const std::vector<Case> cases = {
      {"pthread_exit",
       [] { return endThreadOnSegment([] { pthread_exit(reinterpret_cast<void*>(42)); }, reinterpret_cast<void*>(42)); }},
      {"pthread_cancel",
       [] {
         return endThreadOnSegment(
             [] {
               pthread_cancel(pthread_self());
#ifdef BASIS_ASAN
               // AddressSanitizer unpoisons the stack before a call that
               // does not return, not before a cancellation point: without
               // this it fails on the unwind's first landing pad, with or
               // without segments.
               __asan_handle_no_return();
#endif
               pthread_testcancel();
             },
             PTHREAD_CANCELED);
       }},
  };
  for (const Case& c : cases) EXPECT_EQ(depth_check::isolated(Stack::Default, c.check), "") << c.name;
}

TEST(StackRoom, AForeignExceptionCrossesASegment) {
  EXPECT_EQ(depth_check::isolated(Stack::Small,
                                  []() -> std::string {
                                    try {
                                      descend(20'000, [] {
                                        auto* e = new _Unwind_Exception{};
                                        std::memcpy(&e->exception_class, "TESTFRGN", 8);
                                        e->exception_cleanup = [](_Unwind_Reason_Code, _Unwind_Exception* x) { delete x; };
                                        _Unwind_RaiseException(e);
                                        std::abort();  // no handler found
                                      });
                                      return "returned as if it succeeded";
                                    } catch (...) {
                                      if (std::current_exception()) return "caught as a C++ exception";
                                    }
                                    return "";
                                  }),
            "");
}

// Recurses until the stack check finds no room, then runs f there.
template <class F>
void atStackEnd(F&& f) {
  if (basis::stack_detail::hasRoom()) {
    volatile char pad[512];
    pad[0] = 0;
    atStackEnd(f);
    pad[1] = pad[0];  // keeps the call from becoming a jump
  } else {
    f();
  }
}

TEST(StackRoom, WithoutSegmentsDeepWorkFailsAsTheMachinerysAndDeepFreesComplete) {
  const std::vector<Case> cases = {
      {"deep work throws MachineryExhausted, then runs",
       []() -> std::string {
         basis::stack_detail::failSegmentsForTesting(true);
         std::string report = "no exception";
         try {
           descend(kDepth, [] {});
         } catch (const basis::detail::MachineryExhausted&) {
           report = "";
         } catch (const std::bad_alloc&) {
           report = "a plain bad_alloc";
         }
         basis::stack_detail::failSegmentsForTesting(false);
         if (!report.empty()) return report;
         return expectEq(descend(kDepth, [] {}), kDepth);
       }},
      {"an unforced deep chain is freed",
       []() -> std::string {
         Lazy<Int> top = chain(kDepth);
         basis::stack_detail::failSegmentsForTesting(true);
         top = Lazy<Int>(0);
         basis::stack_detail::failSegmentsForTesting(false);
         return expectEq(liveProbes, 0);
       }},
      {"a shared function is freed where the stack has no room left",
       []() -> std::string {
         // A few maps of a function: each closure holds the one below it in
         // a block whose allocator destroys it with stack room.
         std::function<Int(const Int&)> f = [](const Int& x) { return x; };
         for (int i = 0; i < 8; ++i) {
           f = basis::Functor<basis::FunctionFrom<Int>>::fmap([](Int x) { return x + 1; }, f);
         }
         if (f(0) != 8) return "wrong value";
         basis::stack_detail::failSegmentsForTesting(true);
         atStackEnd([&] { f = nullptr; });
         basis::stack_detail::failSegmentsForTesting(false);
         return "";
       }},
  };
  EXPECT_EQ(depth_check::failuresOnEveryStack(cases), "");
}

// A thread frees a deep chain where it has neither stack room nor a segment,
// so the free is postponed, and ends before any later free could do it: its
// end does it, on its own stack or else on a segment. With neither, the free
// stays postponed and the thread still ends cleanly.
TEST(StackRoom, FreesPostponedByAThreadAreDoneWhenItEnds) {
  struct Row {
    const char* name;
    bool boundsReadable;  // else its own stack is never known
    bool segmentsAtEnd;
    bool freedAtEnd;
  };
  const Row rows[] = {
      {"on its own stack, segments still failing", true, false, true},
      {"on its own stack, segments back", true, true, true},
      {"on a segment (its stack's bounds unreadable)", false, true, true},
      {"nowhere: kept", false, false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(depth_check::isolated(Stack::Default,
                                    [row]() -> std::string {
                                      const Int before = liveProbes;
                                      std::string inThread = "the thread did not run";
                                      std::thread t([&] {
                                        boundsUnreadable = !row.boundsReadable;
                                        std::optional<Lazy<Int>> top(chain(kDepth));
                                        basis::stack_detail::failSegmentsForTesting(true);
                                        // No other free follows on this thread,
                                        // which would do the postponed one.
                                        if (row.boundsReadable) {
                                          basis::withStackRoom([] {});  // finds the thread's stack
                                          atStackEnd([&] { top.reset(); });
                                        } else {
                                          top.reset();
                                        }
                                        inThread = expectEq(liveProbes - before, kDepth);
                                        basis::stack_detail::failSegmentsForTesting(!row.segmentsAtEnd);
                                      });
                                      t.join();
                                      basis::stack_detail::failSegmentsForTesting(false);
                                      if (!inThread.empty()) return "not postponed: " + inThread;
                                      return expectEq(liveProbes - before, row.freedAtEnd ? 0 : kDepth);
                                    }),
              "")
        << row.name;
  }
}

}  // namespace
