#include "basis/stack.hpp"

#include <boost/context/detail/fcontext.hpp>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <new>
#include <vector>

#include "basis/sanitizer.hpp"

#ifdef BASIS_ASAN
#include <sanitizer/common_interface_defs.h>
#endif
#ifdef BASIS_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace basis::stack_detail {

constinit thread_local std::uintptr_t limit = ~std::uintptr_t{0};

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
// Free segments a thread keeps for its next deep call.
constexpr std::size_t kCachedSegments = 2;

std::size_t pageSize() noexcept {
  static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

// A stack segment: kSegmentSize usable bytes above one inaccessible guard
// page, so an overflow inside a segment faults instead of writing elsewhere.
struct Segment {
  char* base = nullptr;  // the guard page
  char* low() const noexcept { return base + pageSize(); }
  char* high() const noexcept { return low() + kSegmentSize; }
};

class SegmentCache {
 public:
  SegmentCache() = default;
  SegmentCache(const SegmentCache&) = delete;
  SegmentCache& operator=(const SegmentCache&) = delete;
  ~SegmentCache() {
    for (Segment s : free_) unmap(s);
  }

  Segment take() {
    if (!free_.empty()) {
      Segment s = free_.back();
      free_.pop_back();
      return s;
    }
    void* p = mmap(nullptr, pageSize() + kSegmentSize, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    Segment s{static_cast<char*>(p)};
    if (mprotect(s.base, pageSize(), PROT_NONE) != 0) {
      unmap(s);
      throw std::bad_alloc();
    }
    return s;
  }

  void give(Segment s) noexcept {
    if (free_.size() < kCachedSegments) {
      free_.push_back(s);  // capacity reserved below: cannot throw
    } else {
      unmap(s);
    }
  }

  void reserve() { free_.reserve(kCachedSegments); }

 private:
  static void unmap(Segment s) noexcept { munmap(s.base, pageSize() + kSegmentSize); }
  std::vector<Segment> free_;
};

thread_local SegmentCache segments;

// The lowest address this thread may reach before switching: its stack's
// lowest usable byte plus the margin. Zero (never switch) when the bounds
// cannot be read.
std::uintptr_t threadLimit() noexcept {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* lowest = nullptr;
  std::size_t size = 0;
  const int rc = pthread_attr_getstack(&attr, &lowest, &size);
  pthread_attr_destroy(&attr);
  if (rc != 0) return 0;
  std::uintptr_t low = reinterpret_cast<std::uintptr_t>(lowest) + kMargin;
#ifdef BASIS_TSAN
  // No more of the thread's own stack than a segment holds, for the same
  // reason as the segments' size.
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (here > kSegmentSize && here - kSegmentSize > low) low = here - kSegmentSize;
#endif
  return low;
}

// What one switch carries: the work, its outcome, and the way back.
struct Switch {
  void (*run)(void*);
  void* context;
  std::uintptr_t segmentLimit;
  std::exception_ptr error;
#ifdef BASIS_ASAN
  const void* callerBottom = nullptr;
  std::size_t callerSize = 0;
#endif
#ifdef BASIS_TSAN
  void* callerFiber = nullptr;
#endif
};

[[noreturn]] void segmentEntry(fc::transfer_t from) noexcept {
  auto* sw = static_cast<Switch*>(from.data);
#ifdef BASIS_ASAN
  __sanitizer_finish_switch_fiber(nullptr, &sw->callerBottom, &sw->callerSize);
#endif
  limit = sw->segmentLimit;
  try {
    sw->run(sw->context);
  } catch (...) {
    sw->error = std::current_exception();
  }
#ifdef BASIS_ASAN
  // This segment's frames are done with: no fake stack to keep.
  __sanitizer_start_switch_fiber(nullptr, sw->callerBottom, sw->callerSize);
#endif
#ifdef BASIS_TSAN
  __tsan_switch_to_fiber(sw->callerFiber, 0);
#endif
  fc::jump_fcontext(from.fctx, nullptr);
  __builtin_unreachable();
}

}  // namespace

void runWithRoom(void (*run)(void*), void* context) {
  if (limit == ~std::uintptr_t{0}) limit = threadLimit();
  if (hasRoom()) {
    run(context);
    return;
  }

  segments.reserve();
  const Segment segment = segments.take();
  const std::uintptr_t callerLimit = limit;
  Switch sw{run, context, reinterpret_cast<std::uintptr_t>(segment.low()) + kMargin, nullptr};
  fc::fcontext_t target = fc::make_fcontext(segment.high(), kSegmentSize, &segmentEntry);

#ifdef BASIS_TSAN
  sw.callerFiber = __tsan_get_current_fiber();
  void* fiber = __tsan_create_fiber(0);
  __tsan_switch_to_fiber(fiber, 0);
#endif
#ifdef BASIS_ASAN
  void* fakeStack = nullptr;
  __sanitizer_start_switch_fiber(&fakeStack, segment.low(), kSegmentSize);
#endif
  fc::jump_fcontext(target, &sw);
#ifdef BASIS_ASAN
  __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
#ifdef BASIS_TSAN
  __tsan_destroy_fiber(fiber);
#endif

  limit = callerLimit;
  segments.give(segment);
  if (sw.error) std::rethrow_exception(sw.error);
}

}  // namespace basis::stack_detail
