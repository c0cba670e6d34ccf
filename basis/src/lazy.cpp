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

struct ThreadRecord {
  ForcingThread* record = takeRecord();
  ThreadRecord() = default;
  ThreadRecord(const ThreadRecord&) = delete;
  ThreadRecord& operator=(const ThreadRecord&) = delete;
  ~ThreadRecord() { giveRecord(record); }
};

// Chains longer than this are cycles among other threads (they find those
// themselves) or chains still moving; neither is this thread's to report.
constexpr int kMaxChain = 1 << 16;

}  // namespace

ForcingThread* thisThread() {
  static thread_local ThreadRecord mine;
  return mine.record;
}

const ForcingThread* currentForcingThread() { return thisThread(); }

// Whether the chain from `cell` (its owner, the cell that owner waits on, its
// owner, ...) comes back to `me`. Every load is sequentially consistent, as is
// every store of an owner or a waited-on cell, so of two threads closing a
// cycle at once at least one sees the other's wait.
bool closesWaitCycle(const CellCore* cell, const ForcingThread* me) noexcept {
  for (int step = 0; step < kMaxChain; ++step) {
    const ForcingThread* owner = cell->owner_.load();
    if (owner == me) return true;
    if (owner == nullptr) return false;
    cell = owner->waitingOn.load();
    if (cell == nullptr) return false;
  }
  return false;
}

void CellCore::awaitOther() {
  ForcingThread* me = thisThread();
  if (owner_.load() == me) throw NonTermination();
  me->waitingOn.store(this);
  // The threads of a true cycle are all blocked, so the chain holds still:
  // a second walk that finds it again rules out a record recycled mid-walk.
  if (closesWaitCycle(this, me) && closesWaitCycle(this, me)) {
    me->waitingOn.store(nullptr);
    throw NonTermination();
  }
  state_.wait(State::Running, std::memory_order_acquire);
  me->waitingOn.store(nullptr);
}

}  // namespace basis::detail
