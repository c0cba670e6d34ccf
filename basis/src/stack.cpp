#include "basis/stack.hpp"

#include <boost/context/detail/fcontext.hpp>
#include <pthread.h>
#include <sys/auxv.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "basis/sanitizer.hpp"

#ifdef BASIS_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif
#ifdef BASIS_TSAN
#include <sanitizer/tsan_interface.h>
#endif

// The address the initial thread's stack started at, kept by the dynamic
// loader: every frame of the main thread lies below it.
extern "C" void* __libc_stack_end;

namespace basis::stack_detail {

#define BASIS_THREAD_STATE thread_local constinit __attribute__((tls_model("initial-exec")))

BASIS_THREAD_STATE std::uintptr_t limit = 0;
BASIS_THREAD_STATE std::uintptr_t span = 0;
BASIS_THREAD_STATE PostponedFree* postponed = nullptr;

struct PostponedFree {
  void* object;
  void (*destroy)(void*);
  PostponedFree* next;
};

namespace {

namespace fc = boost::context::detail;

// The room kept free below any check: what the work between two checks may
// use (a computation's own frames, an exception being thrown, a library call).
// Sanitizers widen every frame.
#if defined(BASIS_ASAN)
constexpr std::size_t kMargin = std::size_t{256} << 10;
constexpr std::size_t kSegmentSize = std::size_t{8} << 20;
#elif defined(BASIS_TSAN)
// ThreadSanitizer follows at most 65536 nested calls per fiber: a segment
// must hold fewer frames than that.
constexpr std::size_t kMargin = std::size_t{256} << 10;
constexpr std::size_t kSegmentSize = std::size_t{2} << 20;
#else
constexpr std::size_t kMargin = std::size_t{64} << 10;
constexpr std::size_t kSegmentSize = std::size_t{1} << 20;
#endif
// The main thread's stack is used down to its current RLIMIT_STACK, at most
// this much: the kernel keeps at least 128 MiB below the stack's top free of
// other mappings, whatever the limit was at exec. An unlimited stack counts as
// this size.
constexpr std::size_t kMainStackCap = std::size_t{64} << 20;
// The main thread's usable stack grows by this much at a time: each step
// reads the current RLIMIT_STACK and touches the step's pages, so that the
// stack mapping covers them before any work runs there.
constexpr std::size_t kMainStep = 4 * kMargin;
// Kept above the lowest address the rlimit allows: a step's touching runs a
// little below its target.
constexpr std::size_t kMainFloorPad = std::size_t{16} << 10;
// Free segments a thread keeps for its next deep call, in bytes: enough for
// a chain of a million deferred values (about 50 MiB of frames; twice that
// under sanitizers, whose segments are larger).
constexpr std::size_t kCachedBytes = std::size_t{128} << 20;
// A postponed free runs only where this much room is left, so that each one
// frees at least the object before it runs out of room again.
constexpr std::size_t kDrainRoom = 4 * kMargin;

std::size_t pageSize() noexcept {
  static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

std::uintptr_t frameAddress() noexcept { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

std::uintptr_t pageUp(std::uintptr_t a) noexcept { return (a + pageSize() - 1) & ~(pageSize() - 1); }
std::uintptr_t pageDown(std::uintptr_t a) noexcept { return a & ~(pageSize() - 1); }

struct Switch;

// A free segment: kept in a list threaded through the segments themselves,
// at the top of each, so that taking or keeping one never allocates.
struct FreeSegment {
  FreeSegment* next;
};

// Everything a thread keeps: trivially destructible, so that no destructor
// is registered on the force path and nothing is torn down before the last
// deep free at exit.
struct ThreadState {
  // The thread's own stack: [ownLow, ownHigh), zero when not known (yet).
  // On the main thread ownLow is as far as its usable part has grown.
  std::uintptr_t ownLow;
  std::uintptr_t ownHigh;
  bool ownIsMain;
#ifdef BASIS_TSAN
  std::uintptr_t firstFrame;
#endif
  // The known stack the range was last set to (limit and span describe
  // only its part with room).
  std::uintptr_t rangeLow;
  std::uintptr_t rangeHigh;
  Switch* switches;  // the switches in progress, innermost first
  FreeSegment* cache;
  std::size_t cachedBytes;
  bool endKeySet;  // the thread-end work (atThreadEnd) is armed
};
BASIS_THREAD_STATE ThreadState self{};

std::atomic<bool> failSegments{false};

void setRange(std::uintptr_t low, std::uintptr_t high) noexcept {
  self.rangeLow = low;
  self.rangeHigh = high;
  limit = low + kMargin;
  span = high > limit ? high - limit : 0;
}

bool holds(std::uintptr_t low, std::uintptr_t high, std::uintptr_t frame) noexcept {
  return frame >= low && frame < high;
}

// ---- The thread's own stack ----

// The top of the initial thread's stack mapping: the kernel puts the
// executable's file name at the very top (AT_EXECFN, followed by one null
// word). Zero when not available.
std::uintptr_t mainStackTop() noexcept {
  static const std::uintptr_t top = [] {
    const auto name = static_cast<std::uintptr_t>(getauxval(AT_EXECFN));
    if (name == 0) return std::uintptr_t{0};
    const std::uintptr_t end = name + std::strlen(reinterpret_cast<const char*>(name)) + 1;
    return std::max(pageUp(end), pageUp(reinterpret_cast<std::uintptr_t>(__libc_stack_end)));
  }();
  return top;
}

// The lowest address the main thread's stack may grow to now (plus a pad).
std::uintptr_t mainFloor() noexcept {
  rlimit rl{};
  std::size_t size = kMainStackCap;
  if (getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) {
    size = std::min<std::size_t>(size, static_cast<std::size_t>(rl.rlim_cur));
  }
  std::uintptr_t floor = self.ownHigh - std::min(size, self.ownHigh) + kMainFloorPad;
#ifdef BASIS_TSAN
  // No more of the thread's own stack than a segment holds, for the same
  // reason as the segments' size.
  floor = std::max(floor, self.firstFrame - std::min(kSegmentSize, self.firstFrame));
#endif
  return floor;
}

// Writes one byte per page from this frame down to `target`, through a block
// allocated on the stack, so every access lies above the stack pointer: the
// kernel grows the stack mapping over these pages now, while the rlimit
// allows it, and a later lower limit cannot take them back.
__attribute__((noinline)) void touchDown(std::uintptr_t target) noexcept {
  const std::uintptr_t here = frameAddress();
  if (here <= target) return;
  const std::size_t depth = here - target;
  auto* block = static_cast<volatile char*>(__builtin_alloca(depth));
  for (std::size_t i = depth; i > 0;) {
    i = i > pageSize() ? i - pageSize() : 0;
    block[i] = 0;
  }
}

// Grows the main thread's usable stack by a step, as the current rlimit
// allows; false when it is at its floor.
bool growMainStack(std::uintptr_t frame) noexcept {
  const std::uintptr_t floor = mainFloor();
  const std::uintptr_t from = std::min(self.ownLow, pageDown(frame));
  if (from <= floor) return false;
  const std::uintptr_t target = from - std::min(kMainStep, from - floor);
  touchDown(target);
  self.ownLow = target;
  return true;
}

// Reads the thread's own stack bounds; leaves them unknown when they cannot
// be read (the next slow check tries again).
void learnOwnStack(std::uintptr_t frame) noexcept {
#ifdef BASIS_TSAN
  self.firstFrame = frame;
#endif
  // The initial thread: its bounds come from the auxiliary vector and the
  // rlimit, since pthread_getattr_np reads them from /proc (which may be
  // missing, or need a file descriptor or memory). They are the thread's
  // whatever stack the frame is on, so a thread whose first deep call runs on
  // a fiber learns them once, not at every call.
  const std::uintptr_t top = mainStackTop();
  if (top != 0 && getpid() == gettid()) {
    const bool onIt = holds(top - std::min(kMainStackCap, top), top, frame);
#ifdef BASIS_TSAN
    if (!onIt) return;  // the floor is measured from a frame on the stack
#endif
    self.ownHigh = top;
    // As far down as the stack is known to be in use: the frame, or main's
    // caller when the frame is elsewhere. Growth touches every page below.
    self.ownLow = pageDown(onIt ? frame : reinterpret_cast<std::uintptr_t>(__libc_stack_end));
    self.ownIsMain = true;
    return;
  }
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
  void* lowest = nullptr;
  std::size_t size = 0;
  const int rc = pthread_attr_getstack(&attr, &lowest, &size);
  pthread_attr_destroy(&attr);
  if (rc != 0) return;
  const auto low = reinterpret_cast<std::uintptr_t>(lowest);
#ifdef BASIS_TSAN
  // The part a segment's size allows is measured from a frame on the stack.
  if (!holds(low, low + size, frame)) return;
  self.ownLow = std::max(low, frame - std::min(kSegmentSize, frame));
#else
  self.ownLow = low;
#endif
  self.ownHigh = low + size;
  self.ownIsMain = false;
}

// ---- Segments ----

// A segment: kSegmentSize usable bytes above one inaccessible guard page, so
// an overflow inside a segment faults instead of writing elsewhere.
std::size_t segmentBytes() noexcept { return pageSize() + kSegmentSize; }
char* segmentLow(char* base) noexcept { return base + pageSize(); }
char* segmentHigh(char* base) noexcept { return segmentLow(base) + kSegmentSize; }
FreeSegment* freeNode(char* base) noexcept {
  return reinterpret_cast<FreeSegment*>(segmentHigh(base) - sizeof(FreeSegment));
}
char* baseOf(FreeSegment* node) noexcept {
  return reinterpret_cast<char*>(node) + sizeof(FreeSegment) - kSegmentSize - pageSize();
}

void unmapSegment(char* base) noexcept { munmap(base, segmentBytes()); }

void drainAtThreadEnd() noexcept;

// When a thread ends (after its thread_local destructors, so a chain freed by
// one of them has already used the segments): does its postponed frees, then
// gives its cached segments back. A later key destructor that caches a
// segment or postpones a free arms it again, and glibc runs another round.
void atThreadEnd(void*) noexcept {
  drainAtThreadEnd();
  self.endKeySet = false;
  while (FreeSegment* node = self.cache) {
    self.cache = node->next;
    unmapSegment(baseOf(node));
  }
  self.cachedBytes = 0;
}

pthread_key_t endKey;
bool endKeyMade = false;
pthread_once_t endKeyOnce = PTHREAD_ONCE_INIT;

// Arms atThreadEnd for this thread; false when it cannot (then segments are
// not kept, and postponed frees wait for a later drop).
bool armThreadEnd() noexcept {
  if (self.endKeySet) return true;
  pthread_once(&endKeyOnce, [] { endKeyMade = pthread_key_create(&endKey, &atThreadEnd) == 0; });
  if (!endKeyMade) return false;
  // Any non-null value: the destructor runs for it, and again after a later
  // thread-end destructor sets it anew.
  if (pthread_setspecific(endKey, &self) != 0) return false;
  self.endKeySet = true;
  return true;
}

// A segment from the cache or freshly mapped; null when none can be had.
char* trySegment() noexcept {
  if (failSegments.load(std::memory_order_relaxed)) return nullptr;
  if (FreeSegment* node = self.cache) {
    self.cache = node->next;
    self.cachedBytes -= segmentBytes();
    return baseOf(node);
  }
  void* p = mmap(nullptr, segmentBytes(), PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  char* base = static_cast<char*>(p);
  if (mprotect(base, pageSize(), PROT_NONE) != 0) {
    unmapSegment(base);
    return nullptr;
  }
  return base;
}

void giveSegment(char* base) noexcept {
  if (self.cachedBytes + segmentBytes() <= kCachedBytes && armThreadEnd()) {
    FreeSegment* node = freeNode(base);
    node->next = self.cache;
    self.cache = node;
    self.cachedBytes += segmentBytes();
  } else {
    unmapSegment(base);
  }
}

// ---- Switching ----

// How the work on a segment ended.
enum class Outcome { Returned, Threw, Unwinding };

// A switch in progress: what it runs, its segment, its outcome, the way back
// and the caller's stack range. Lives in the caller's frame; linked into the
// thread's list of switches while the work runs.
struct Switch {
  void (*run)(void*) = nullptr;
  void* context = nullptr;
  char* base = nullptr;
  std::uintptr_t low = 0;
  std::uintptr_t high = 0;
  std::uintptr_t callerLimit = 0;
  std::uintptr_t callerSpan = 0;
  Switch* outer = nullptr;  // the next older switch in the thread's list
  Switch* inner = nullptr;
  fc::fcontext_t caller = nullptr;
  Outcome outcome = Outcome::Returned;
  std::exception_ptr error;
#ifdef BASIS_ASAN
  const void* callerBottom = nullptr;
  std::size_t callerSize = 0;
#endif
#ifdef BASIS_TSAN
  void* callerFiber = nullptr;
#endif
};

void link(Switch* sw) noexcept {
  sw->outer = self.switches;
  if (sw->outer) sw->outer->inner = sw;
  self.switches = sw;
}

void unlink(Switch* sw) noexcept {
  if (sw->inner) {
    sw->inner->outer = sw->outer;
  } else {
    self.switches = sw->outer;
  }
  if (sw->outer) sw->outer->inner = sw->inner;
}

// Back to the caller of the switch; the segment's frames are abandoned.
[[noreturn]] void leaveSegment(Switch* sw) noexcept {
#ifdef BASIS_ASAN
  __sanitizer_start_switch_fiber(nullptr, sw->callerBottom, sw->callerSize);
#endif
#ifdef BASIS_TSAN
  __tsan_switch_to_fiber(sw->callerFiber, 0);
#endif
  fc::jump_fcontext(sw->caller, nullptr);
  __builtin_unreachable();
}

[[noreturn]] void segmentEntry(fc::transfer_t from) noexcept {
  auto* sw = static_cast<Switch*>(from.data);
  sw->caller = from.fctx;
#ifdef BASIS_ASAN
  __sanitizer_finish_switch_fiber(nullptr, &sw->callerBottom, &sw->callerSize);
#endif
  setRange(sw->low, sw->high);
  try {
    sw->run(sw->context);
  } catch (...) {
    sw->error = std::current_exception();
    if (!sw->error) {
      // Not a C++ exception: a thread exit or cancellation (a forced unwind)
      // or another language's exception. It must go on through the
      // caller's frames, and the unwinder cannot cross to the caller's
      // stack: this handler is never finished, and the caller rethrows the
      // exception, which continues it from there.
      sw->outcome = Outcome::Unwinding;
      leaveSegment(sw);
    }
    sw->outcome = Outcome::Threw;
  }
  leaveSegment(sw);
}

// Runs `run(context)` on the segment at `base`, then keeps or unmaps it.
void runOnSegment(char* base, void (*run)(void*), void* context) {
  Switch sw;
  sw.run = run;
  sw.context = context;
  sw.base = base;
  sw.low = reinterpret_cast<std::uintptr_t>(segmentLow(base));
  sw.high = reinterpret_cast<std::uintptr_t>(segmentHigh(base));
  sw.callerLimit = limit;
  sw.callerSpan = span;
  link(&sw);
  // The top of a segment holds its free-list link while cached; the work's
  // frames start below it.
  fc::fcontext_t target =
      fc::make_fcontext(segmentHigh(base) - sizeof(FreeSegment), kSegmentSize - sizeof(FreeSegment), &segmentEntry);

#ifdef BASIS_TSAN
  sw.callerFiber = __tsan_get_current_fiber();
  void* fiber = __tsan_create_fiber(0);
  __tsan_switch_to_fiber(fiber, 0);
#endif
#ifdef BASIS_ASAN
  void* fakeStack = nullptr;
  __sanitizer_start_switch_fiber(&fakeStack, segmentLow(base), kSegmentSize);
#endif
  fc::jump_fcontext(target, &sw);
#ifdef BASIS_ASAN
  __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
  // Frames left unfinished on the segment leave their poisoned redzones.
  if (sw.outcome == Outcome::Unwinding) __asan_unpoison_memory_region(segmentLow(base), kSegmentSize);
#endif
#ifdef BASIS_TSAN
  __tsan_destroy_fiber(fiber);
#endif

  unlink(&sw);
  limit = sw.callerLimit;
  span = sw.callerSpan;
  giveSegment(base);
  switch (sw.outcome) {
    case Outcome::Returned:
      return;
    case Outcome::Threw:
      std::rethrow_exception(sw.error);
    case Outcome::Unwinding:
      // The exception the segment's handler caught (and never finished
      // handling) is the one being handled: rethrowing a forced unwind or
      // a foreign exception continues it from here.
      throw;
  }
}

// Sets the range to the known stack that holds `frame`, growing the main
// thread's usable stack when the frame is near its end; true when the frame
// has room there. A frame on no known stack has none, and the range is left.
bool locate(std::uintptr_t frame) noexcept {
  if (self.ownHigh == 0) learnOwnStack(frame);
  const std::uintptr_t ownBottom = self.ownIsMain ? self.ownHigh - std::min(kMainStackCap, self.ownHigh)
                                                    : self.ownLow;
  if (self.ownHigh != 0 && holds(ownBottom, self.ownHigh, frame)) {
    if (self.ownIsMain) {
      while (frame < self.ownLow + kMargin && growMainStack(frame)) {
      }
    }
    setRange(self.ownLow, self.ownHigh);
    return frame - limit < span;
  }
  for (Switch* sw = self.switches; sw != nullptr; sw = sw->outer) {
    if (holds(sw->low, sw->high, frame)) {
      setRange(sw->low, sw->high);
      return frame - limit < span;
    }
  }
  return false;
}

struct DropCall {
  void* object;
  void (*destroy)(void*);
};

// Entries for postponed frees: a fixed pool (no allocation where memory has
// run out), then the heap.
constexpr std::size_t kPostponedPool = 4096;
PostponedFree postponedPool[kPostponedPool];
std::size_t postponedPoolUsed = 0;
PostponedFree* postponedPoolFree = nullptr;
std::atomic_flag postponedPoolLock = ATOMIC_FLAG_INIT;

PostponedFree* newPostponed() noexcept {
  PostponedFree* e = nullptr;
  while (postponedPoolLock.test_and_set(std::memory_order_acquire)) {
  }
  if (postponedPoolFree) {
    e = postponedPoolFree;
    postponedPoolFree = e->next;
  } else if (postponedPoolUsed < kPostponedPool) {
    e = &postponedPool[postponedPoolUsed++];
  }
  postponedPoolLock.clear(std::memory_order_release);
  if (e == nullptr) e = static_cast<PostponedFree*>(std::malloc(sizeof(PostponedFree)));
  return e;
}

void deletePostponed(PostponedFree* e) noexcept {
  if (e >= postponedPool && e < postponedPool + kPostponedPool) {
    while (postponedPoolLock.test_and_set(std::memory_order_acquire)) {
    }
    e->next = postponedPoolFree;
    postponedPoolFree = e;
    postponedPoolLock.clear(std::memory_order_release);
  } else {
    std::free(e);
  }
}

}  // namespace

void runWithRoom(void (*run)(void*), void* context) {
  if (locate(frameAddress())) {
    run(context);
    return;
  }
  char* base = trySegment();
  if (base == nullptr) throw detail::MachineryExhausted();
  runOnSegment(base, run, context);
}

void dropSlow(void* object, void (*destroy)(void*)) noexcept {
  if (locate(frameAddress())) {
    destroy(object);
    return;
  }
  if (char* base = trySegment()) {
    DropCall call{object, destroy};
    runOnSegment(base, [](void* c) {
      auto* d = static_cast<DropCall*>(c);
      d->destroy(d->object);
    }, &call);
    return;
  }
  if (PostponedFree* e = newPostponed()) {
    e->object = object;
    e->destroy = destroy;
    e->next = postponed;
    postponed = e;
    armThreadEnd();
  } else {
    // No memory even for the note: free it here, on the margin kept for the
    // work between two checks.
    destroy(object);
  }
}

void drainPostponed() noexcept {
  // Where the frame has room to spare on a known stack: kDrainRoom, or the
  // upper half of a smaller stack. Each free done here frees at least its
  // object before its own frees run out of room and are postponed again.
  const std::uintptr_t frame = frameAddress();
  const std::uintptr_t low = self.rangeLow;
  const std::uintptr_t high = self.rangeHigh;
  if (!holds(low, high, frame) || frame - low < std::min(kDrainRoom, (high - low) / 2)) return;
  while (PostponedFree* e = postponed) {
    postponed = e->next;
    void* object = e->object;
    void (*destroy)(void*) = e->destroy;
    deletePostponed(e);
    destroy(object);
  }
}

namespace {

// The postponed frees of an ending thread: on its own stack where the key
// destructor's frame has room to spare, else on a segment. With neither,
// they stay postponed (and are lost with the thread).
void drainAtThreadEnd() noexcept {
  if (postponed == nullptr) return;
  if (locate(frameAddress())) drainPostponed();
  if (postponed == nullptr) return;
  if (char* base = trySegment()) runOnSegment(base, [](void*) { drainPostponed(); }, nullptr);
}

}  // namespace

void failSegmentsForTesting(bool fail) noexcept { failSegments.store(fail, std::memory_order_relaxed); }

}  // namespace basis::stack_detail
