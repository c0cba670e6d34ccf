#include "basis/lazy.hpp"

#include <mutex>

namespace basis::detail {

struct ForcingThread {
  // The cell this thread is blocked on, or null.
  std::atomic<const CellCore*> waitingOn{nullptr};
  ForcingThread* nextFree = nullptr;
};

namespace {

// Records are recycled, never freed: a waiter following a chain may still
// read the record of a thread that has just ended.
std::mutex poolLock;
ForcingThread* freeRecords = nullptr;

ForcingThread* takeRecord() {
  std::lock_guard lock(poolLock);
  if (ForcingThread* r = freeRecords) {
    freeRecords = r->nextFree;
    return r;
  }
  return new ForcingThread;
}

void giveRecord(ForcingThread* r) noexcept {
  std::lock_guard lock(poolLock);
  r->waitingOn.store(nullptr);
  r->nextFree = freeRecords;
  freeRecords = r;
}

// Hands the record back when the thread ends. A cell forced later in the
// thread's teardown gets a record of its own that is never handed back.
struct ThreadRecord {
  ForcingThread* record = nullptr;
  ThreadRecord() = default;
  ThreadRecord(const ThreadRecord&) = delete;
  ThreadRecord& operator=(const ThreadRecord&) = delete;
  ~ThreadRecord() {
    if (record != nullptr) giveRecord(record);
    forcingThread = nullptr;
    ended = true;
  }
  static thread_local bool ended;
};
thread_local bool ThreadRecord::ended = false;

std::atomic<unsigned> waitOrder{0};

// Chains longer than this are cycles among other threads (they find those
// themselves) or chains still moving; neither is this thread's to report.
constexpr int kMaxChain = 1 << 16;

}  // namespace

constinit thread_local const ForcingThread* forcingThread = nullptr;

const ForcingThread* registerForcingThread() {
  static thread_local ThreadRecord mine;
  ForcingThread* r = takeRecord();
  if (!ThreadRecord::ended) mine.record = r;
  forcingThread = r;
  return r;
}

// Whether the chain from `cell` (its owner, the cell that owner waits on, its
// owner, ...) comes back to `me`.
bool closesWaitCycle(const CellCore* cell, const ForcingThread* me) noexcept {
  for (int step = 0; step < kMaxChain; ++step) {
    const ForcingThread* owner = cell->owner_.load(std::memory_order_acquire);
    if (owner == me) return true;
    if (owner == nullptr) return false;
    cell = owner->waitingOn.load(std::memory_order_acquire);
    if (cell == nullptr) return false;
  }
  return false;
}

void CellCore::awaitOther() {
  auto* me = const_cast<ForcingThread*>(currentForcingThread());
  if (owner_.load(std::memory_order_relaxed) == me) throw NonTermination();
  me->waitingOn.store(this, std::memory_order_relaxed);
  // Owners are stored relaxed on the path that starts a computation. Every
  // waiter passes through one read-modify-write of `waitOrder`: those are
  // totally ordered, and the later of two waiters reads the earlier one's,
  // so it sees everything the earlier one stored before it (its owners and
  // its wait). Of two threads closing a cycle at once, the later finds it.
  waitOrder.fetch_add(1, std::memory_order_acq_rel);
  // The threads of a true cycle are all blocked, so the chain holds still:
  // a second walk that finds it again rules out a record recycled mid-walk.
  if (closesWaitCycle(this, me) && closesWaitCycle(this, me) &&
      state_.load(std::memory_order_acquire) == State::Running) {
    me->waitingOn.store(nullptr);
    throw NonTermination();
  }
  state_.wait(State::Running, std::memory_order_acquire);
  me->waitingOn.store(nullptr);
}

}  // namespace basis::detail
