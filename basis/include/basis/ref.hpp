#pragma once
// Intrusive, atomically counted references to immutable heap objects.

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "basis/stack.hpp"

namespace basis {

// Base of every counted object. A fresh object has count 0; the first Ref
// takes it to 1. An immortal object (a shared constant) starts with a count no
// program can bring down to zero, so it is never freed.
class RefCounted {
 public:
  RefCounted() noexcept = default;
  RefCounted(const RefCounted&) noexcept {}
  RefCounted& operator=(const RefCounted&) noexcept { return *this; }

  void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  // True when this was the last reference; the caller then frees the object.
  bool release() const noexcept {
    return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
  }
  // The current count; 1 means the caller's reference is the only one.
  std::uint32_t useCount() const noexcept { return refs_.load(std::memory_order_acquire); }
  bool isUnique() const noexcept { return useCount() == 1; }

 protected:
  ~RefCounted() = default;
  struct Immortal {};
  explicit RefCounted(Immortal) noexcept : refs_(kImmortalCount) {}

 private:
  static constexpr std::uint32_t kImmortalCount = 1u << 30;
  mutable std::atomic<std::uint32_t> refs_{0};
};

// How a Ref frees its target: `T::destroy(p)` when T declares one (objects
// with a trailing array in the same block), `delete p` otherwise. Freeing an
// object may free a chain of objects it holds, one nested call per link: it
// runs where the stack has room for it. When memory runs out so that no stack
// segment can be had, the free is postponed to the thread's next free that
// has room, never lost and never run without room.
template <class T>
void destroyCounted(T* p) noexcept {
  stack_detail::dropWithRoom(const_cast<std::remove_cv_t<T>*>(p), [](void* q) {
    T* t = static_cast<T*>(q);
    if constexpr (requires { T::destroy(t); }) {
      T::destroy(t);
    } else {
      delete t;
    }
  });
}

// A shared reference to a counted object; null when default-constructed.
template <class T>
class Ref {
 public:
  constexpr Ref() noexcept = default;
  constexpr Ref(std::nullptr_t) noexcept {}
  // Takes a new reference to p.
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  ~Ref() { reset(); }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Adopts p whose count the caller has already raised for this reference.
  static Ref adopt(T* p) noexcept {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Gives up the reference without releasing it.
  T* detach() noexcept { return std::exchange(p_, nullptr); }

  void reset() noexcept {
    if (p_ && p_->release()) destroyCounted(p_);
    p_ = nullptr;
  }

  T* get() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // True when this is the only reference to the target.
  bool isUnique() const noexcept { return p_ && p_->isUnique(); }

  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// A new object of type T under a first reference.
template <class T, class... Args>
Ref<T> makeRef(Args&&... args) {
  return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace basis
