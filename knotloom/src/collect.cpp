#include "knotloom/internal/collect.hpp"

namespace knotloom::internal {

namespace {
// The cells waiting to be deleted on this thread, and whether a drain loop is
// already running further up this thread's stack.
thread_local Collectable* pendingHead = nullptr;
thread_local bool draining = false;
}  // namespace

void Collectable::destroy(Collectable* p) noexcept {
  p->nextDead_ = pendingHead;
  pendingHead = p;
  if (draining) return;
  draining = true;
  while (Collectable* q = pendingHead) {
    pendingHead = q->nextDead_;
    delete q;  // may queue the cells q owned; the loop picks them up
  }
  draining = false;
}

}  // namespace knotloom::internal
