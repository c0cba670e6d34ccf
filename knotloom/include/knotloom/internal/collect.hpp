#pragma once
// Freeing without nesting: the heap cells of Fix, Mu and Nu values.
//
// A long structure (a Fix list of a million layers, a chain of wrapped Mu or
// Nu values) is a chain of counted cells, each owning the next. Letting each
// destructor release the next one would nest one destructor frame per link.
// Instead, a cell whose count reaches zero is queued on a per-thread list;
// the first free on the thread drains that list in a loop, so the destructors
// run one after another and the stack never holds more than two of them.

#include <utility>

#include <basis/ref.hpp>

namespace knotloom::internal {

// Base of every heap cell of the library. basis::Ref frees it through
// `destroy`, which never recurses once per link of a chain.
class Collectable : public basis::RefCounted {
 public:
  Collectable() noexcept = default;
  Collectable(const Collectable&) = delete;
  Collectable& operator=(const Collectable&) = delete;
  virtual ~Collectable() = default;

  // Deletes p now, or queues it when a delete is already running on this
  // thread; returns once the queue it started is empty. O(1) stack.
  static void destroy(Collectable* p) noexcept;

 private:
  Collectable* nextDead_ = nullptr;
};

// A value shared by the functions a walk hands out, which may outlive the
// call that made them (a lazy fmap or a lazy monad runs them later).
template <class T>
struct Shared final : Collectable {
  explicit Shared(T v) : value(std::move(v)) {}
  T value;
};

// `value` in a new counted cell. One allocation.
template <class T>
basis::Ref<Shared<T>> share(T value) {
  return basis::Ref<Shared<T>>(new Shared<T>(std::move(value)));
}

}  // namespace knotloom::internal
