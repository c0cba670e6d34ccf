#pragma once
// Lazy<T>: the one deferred value of the project.
//
// A Lazy is either an evaluated T held inline (no allocation) or a reference
// to a shared cell holding a computation. force() runs the computation at
// most once, from whichever thread demands it first, keeps the result for
// every later demand, rethrows the same exception at every later demand when
// the computation threw, and throws NonTermination when the computation
// demands its own result, on this thread or through a cycle of threads each
// waiting on a cell another one computes. A computation that forces another
// cell runs where the stack has room (basis/stack.hpp), so chains of any depth
// are limited by memory alone.

#include <atomic>
#include <concepts>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "basis/error.hpp"
#include "basis/ref.hpp"
#include "basis/stack.hpp"

namespace basis {

template <class T>
class Lazy;

namespace detail {

template <class X>
struct IsLazy : std::false_type {};
template <class X>
struct IsLazy<Lazy<X>> : std::true_type {};

// What the cells know of a thread that forces them: the cell it is waiting
// on, if any. A record outlives its thread (it is recycled, never freed), so
// a waiter may read it at any time.
struct ForcingThread;

// The state every cell shares, whatever its value type: enough to follow a
// chain of waits from cell to owner to the cell that owner waits on.
class CellCore : public RefCounted {
 protected:
  enum class State : unsigned char { Pending, Running, Done, Failed };

  CellCore() noexcept = default;
  ~CellCore() = default;

  // Blocks until the running cell is finished or given up; throws
  // NonTermination when the cell is being computed by this thread, or when
  // waiting would close a cycle of threads each waiting on a cell another one
  // computes; MachineryExhausted when the thread has no record and none can
  // be made.
  __attribute__((visibility("default"))) void awaitOther();
  // Gives up a run that ended without an outcome of its computation's own:
  // the cell is pending again and its waiters retry.
  __attribute__((visibility("default"))) void abandonRun() noexcept;

  std::atomic<State> state_{State::Pending};
  // The thread computing the cell while it is Running, else null. Stored
  // with release when a run starts, so a waiter that reads it sees the
  // record's making.
  std::atomic<const ForcingThread*> owner_{nullptr};

  friend bool closesWaitCycle(const CellCore*, const ForcingThread*) noexcept;
};

// The calling thread's record, once it has forced a cell; null before.
extern thread_local constinit const ForcingThread* forcingThread
    __attribute__((tls_model("initial-exec"), visibility("default")));
// Gives the calling thread its record (one per thread, recycled at its end).
// Throws MachineryExhausted when no record can be made.
__attribute__((visibility("default"))) const ForcingThread* registerForcingThread();

inline const ForcingThread* currentForcingThread() {
  if (const ForcingThread* t = forcingThread) [[likely]] return t;
  return registerForcingThread();
}

template <class T>
class LazyCell : public CellCore {
 public:
  virtual ~LazyCell() = default;

  const T& force() {
    State s = state_.load(std::memory_order_acquire);
    if (s == State::Done) return *value_;
    return forceSlow(s);
  }
  bool isDone() const noexcept { return state_.load(std::memory_order_acquire) == State::Done; }

 protected:
  virtual T compute() = 0;
  virtual void dropComputation() noexcept = 0;

 private:
  const T& forceSlow(State s) {
    for (;;) {
      switch (s) {
        case State::Done:
          return *value_;
        case State::Failed:
          std::rethrow_exception(error_);
        case State::Pending: {
          // The thread's record before the cell is taken: failing to make
          // one leaves the cell as it was.
          const ForcingThread* me = currentForcingThread();
          if (!state_.compare_exchange_strong(s, State::Running, std::memory_order_acquire)) {
            continue;  // s now holds the state another thread set
          }
          owner_.store(me, std::memory_order_release);
          State end;
          try {
            // A computation that forces the next cell nests one level per
            // cell: it runs where the stack has room for it.
            withStackRoom([this] { value_.emplace(compute()); });
            end = State::Done;
          } catch (const MachineryExhausted&) {
            // The library ran out of room, not the computation: the cell
            // stays re-forceable.
            abandonRun();
            throw;
          } catch (...) {
            error_ = std::current_exception();
            if (!error_) {
              // Unwinding that is no C++ exception: a thread ended by
              // pthread_exit or pthread_cancel (a forced unwind), or an
              // exception of another language. Nothing to keep: it goes
              // on as it is, and the cell stays re-forceable.
              abandonRun();
              throw;
            }
            end = State::Failed;
          }
          dropComputation();
          owner_.store(nullptr, std::memory_order_relaxed);
          state_.store(end, std::memory_order_release);
          state_.notify_all();
          s = end;
          continue;
        }
        case State::Running:
          awaitOther();
          s = state_.load(std::memory_order_acquire);
          continue;
      }
    }
  }

  std::optional<T> value_;
  std::exception_ptr error_;
};

template <class T, class F>
class LazyCellOf final : public LazyCell<T> {
 public:
  explicit LazyCellOf(F f) : f_(std::move(f)) {}

 private:
  T compute() override {
    using R = std::remove_cvref_t<std::invoke_result_t<F&>>;
    // A computation may give the value deferred; a cell whose own value is a
    // deferred value keeps it as given.
    if constexpr (IsLazy<R>::value && !std::is_same_v<R, T>) {
      return (*f_)().force();
    } else {
      return (*f_)();
    }
  }
  // The computation's captures are released as soon as the result is known.
  void dropComputation() noexcept override { f_.reset(); }
  std::optional<F> f_;
};

}  // namespace detail

template <class T>
class Lazy {
 public:
  using value_type = T;

  // An evaluated value.
  Lazy()
    requires std::default_initializable<T>
      : v_(std::in_place_index<0>) {}
  Lazy(const T& value) : v_(std::in_place_index<0>, value) {}
  Lazy(T&& value) : v_(std::in_place_index<0>, std::move(value)) {}
  template <class U>
    requires(!std::same_as<std::remove_cvref_t<U>, T> &&
             !detail::IsLazy<std::remove_cvref_t<U>>::value &&
             std::is_constructible_v<T, U &&> && std::is_convertible_v<U &&, T>)
  Lazy(U&& value) : v_(std::in_place_index<0>, std::forward<U>(value)) {}

  // A deferred computation: `f()` runs on first demand, at most once. `f` may
  // return a T or a Lazy<T> (which is then forced; when T is itself a Lazy,
  // the returned T is kept unforced). Allocates one cell.
  template <class F>
    requires std::invocable<F&>
  static Lazy defer(F f) {
    using Cell = detail::LazyCellOf<T, F>;
    return Lazy(Ref<detail::LazyCell<T>>(new Cell(std::move(f))));
  }

  // A deferred value whose evaluation throws `e` (every time).
  template <class E>
  static Lazy raise(E e) {
    return defer([e]() -> T { throw e; });
  }

  // The value, computing it on first demand. Throws what the computation
  // threw, or NonTermination when the computation demands itself; throws
  // std::bad_alloc, leaving the value deferred, when the library's own
  // bookkeeping (a thread record, stack room) cannot get memory.
  const T& force() const {
    if (const T* p = std::get_if<0>(&v_)) return *p;
    return std::get<1>(v_)->force();
  }
  operator const T&() const { return force(); }
  const T& operator*() const { return force(); }
  const T* operator->() const { return &force(); }

  // True when the value is known without running anything.
  bool isEvaluated() const noexcept {
    return v_.index() == 0 || std::get<1>(v_)->isDone();
  }
  // True when the value is held inline (never deferred).
  bool isInline() const noexcept { return v_.index() == 0; }

  // The evaluated value, or nothing when it has not been computed yet.
  const T* peek() const noexcept {
    if (const T* p = std::get_if<0>(&v_)) return p;
    const auto& cell = std::get<1>(v_);
    return cell->isDone() ? &cell->force() : nullptr;
  }

  // The value when it is held inline, else null.
  const T* inlineValue() const noexcept { return std::get_if<0>(&v_); }

  // The shared cell of a deferred value, or null for an inline value.
  const void* cellAddress() const noexcept {
    if (v_.index() == 0) return nullptr;
    return std::get<1>(v_).get();
  }

  friend bool operator==(const Lazy& a, const Lazy& b)
    requires std::equality_comparable<T>
  {
    return a.force() == b.force();
  }
  // Compares the forced value with a plain one (either side).
  friend bool operator==(const Lazy& a, const T& b)
    requires std::equality_comparable<T>
  {
    return a.force() == b;
  }

 private:
  explicit Lazy(Ref<detail::LazyCell<T>> cell) : v_(std::in_place_index<1>, std::move(cell)) {}
  std::variant<T, Ref<detail::LazyCell<T>>> v_;
};

// A deferred value of the callable's result type.
template <class F>
auto defer(F f) {
  using R = std::invoke_result_t<F&>;
  if constexpr (detail::IsLazy<R>::value) {
    return R::defer(std::move(f));
  } else {
    return Lazy<R>::defer(std::move(f));
  }
}

// Deep-forcing for one level: the value of a Lazy.
template <class T>
const T& force(const Lazy<T>& x) {
  return x.force();
}

namespace detail {
template <class T>
struct IsSmartPointer : std::false_type {};
template <class T>
struct IsSmartPointer<Ref<T>> : std::true_type {};
template <class T>
struct IsSmartPointer<std::shared_ptr<T>> : std::true_type {};
template <class T, class D>
struct IsSmartPointer<std::unique_ptr<T, D>> : std::true_type {};
}  // namespace detail

// Whether two values are the same object, as far as can be told cheaply:
// byte equality for trivially copyable types with a unique representation,
// pointer equality for pointers and smart pointers, false otherwise.
template <class T>
bool identical(const T& a, const T& b) noexcept {
  if constexpr (std::is_pointer_v<T> || detail::IsSmartPointer<T>::value) {
    return a == b;
  } else if constexpr (std::is_trivially_copyable_v<T> &&
                       std::has_unique_object_representations_v<T>) {
    return __builtin_memcmp(&a, &b, sizeof(T)) == 0;
  } else {
    return &a == &b;
  }
}

// Two Lazy values are the same object when they share a cell, or hold
// evaluated values that are identical by the rule above.
template <class T>
bool identical(const Lazy<T>& a, const Lazy<T>& b) noexcept {
  const T* x = a.inlineValue();
  const T* y = b.inlineValue();
  if (x == nullptr || y == nullptr) return x == y && a.cellAddress() == b.cellAddress();
  if constexpr (std::is_pointer_v<T> || detail::IsSmartPointer<T>::value ||
                (std::is_trivially_copyable_v<T> &&
                 std::has_unique_object_representations_v<T>)) {
    return identical(*x, *y);
  } else {
    return &a == &b;
  }
}

}  // namespace basis
