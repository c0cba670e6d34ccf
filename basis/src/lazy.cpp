#include "basis/lazy.hpp"

#include <pthread.h>

#include <mutex>
#include <new>

namespace basis::detail {

struct ForcingThread {
  // The cell this thread is blocked on, or null. Read and written only under
  // `waitGraphLock`.
  const CellCore* waitingOn = nullptr;
  ForcingThread* nextFree = nullptr;
};

namespace {

// Records are recycled, never freed: a cell's owner may be read by a waiter
// at any time, whatever became of the thread since.
std::mutex poolLock;
ForcingThread* freeRecords = nullptr;

ForcingThread* takeRecord() {
  std::lock_guard lock(poolLock);
  if (ForcingThread* r = freeRecords) {
    freeRecords = r->nextFree;
    r->nextFree = nullptr;
    return r;
  }
  auto* r = new (std::nothrow) ForcingThread;
  if (r == nullptr) throw MachineryExhausted();
  return r;
}

void giveRecord(ForcingThread* r) noexcept {
  std::lock_guard lock(poolLock);
  r->nextFree = freeRecords;
  freeRecords = r;
}

// Hands a thread's record back when the thread ends. A key's destructor runs
// after the thread's C++ thread_local destructors, and runs again when one of
// the destructors of that round gave the thread a record anew, so a thread
// that forces while it ends still hands its record back. Nothing here has a
// thread_local destructor: registering one allocates, and glibc aborts when
// that fails.
void handBackRecord(void* record) {
  forcingThread = nullptr;
  giveRecord(static_cast<ForcingThread*>(record));
}

pthread_key_t recordKey() {
  struct Key {
    pthread_key_t key;
    Key() {
      if (pthread_key_create(&key, &handBackRecord) != 0) throw MachineryExhausted();
    }
  };
  // Never deleted: a thread may end, and hand its record back, at any time
  // until the process ends.
  static const Key k;
  return k.key;
}

// The edges of the wait graph: every thread's `waitingOn`. A waiter looks for
// a cycle and adds its own edge in one hold of the lock, and removes the edge
// under it when its wait ends.
std::mutex waitGraphLock;

}  // namespace

constinit thread_local const ForcingThread* forcingThread = nullptr;

const ForcingThread* registerForcingThread() {
  const pthread_key_t key = recordKey();
  ForcingThread* r = takeRecord();
  if (pthread_setspecific(key, r) != 0) {
    giveRecord(r);
    throw MachineryExhausted();
  }
  forcingThread = r;
  return r;
}

// Whether the chain from `cell` (its owner, the cell that owner waits on, its
// owner, ...) comes back to `me`. Called with `waitGraphLock` held, and then
// exact:
// - Every cell it reads is alive: the first is the caller's; each later one
//   is what a thread waits on, and that thread is inside awaitOther (it
//   cannot remove its edge while the lock is held), where its caller holds a
//   reference to the cell.
// - Every owner it reads is current: a thread stores itself as a cell's
//   owner before it computes, and clears it before it publishes the result
//   or gives the cell up, all before it waits on anything later; its edge was
//   added under the lock, so those stores happen before this walk. A thread
//   with an edge cannot change its cells until the walk releases the lock.
// So a chain that comes back to `me` is a set of threads each blocked on a
// cell the next one computes and cannot finish: a true cycle. A slow owner
// ends the chain (it has no edge). Edges are only added when they close no
// cycle, so the graph has none and the walk ends; of threads closing a cycle
// at once, the last to take the lock sees every other edge and reports it.
bool closesWaitCycle(const CellCore* cell, const ForcingThread* me) noexcept {
  for (;;) {
    // Acquire: the owner's record was made by another thread.
    const ForcingThread* owner = cell->owner_.load(std::memory_order_acquire);
    if (owner == me) return true;
    if (owner == nullptr) return false;
    cell = owner->waitingOn;
    if (cell == nullptr) return false;
  }
}

void CellCore::awaitOther() {
  auto* me = const_cast<ForcingThread*>(currentForcingThread());
  if (owner_.load(std::memory_order_acquire) == me) throw NonTermination();
  {
    std::lock_guard lock(waitGraphLock);
    if (closesWaitCycle(this, me)) throw NonTermination();
    me->waitingOn = this;
  }
  state_.wait(State::Running, std::memory_order_acquire);
  std::lock_guard lock(waitGraphLock);
  me->waitingOn = nullptr;
}

void CellCore::abandonRun() noexcept {
  owner_.store(nullptr, std::memory_order_relaxed);
  state_.store(State::Pending, std::memory_order_release);
  state_.notify_all();
}

}  // namespace basis::detail
