#pragma once
// Stack room for deep work: withStackRoom(f) runs f() on the current stack
// while enough of it is left, and on a fresh stack segment taken from the heap
// when it runs low. Forcing a deferred value, freeing a counted object and the
// libraries' recursive walks go through it, so a chain of any depth is limited
// by memory alone, on any thread's stack.
//
// The work stays on the calling thread (thread-local state stays valid); a
// segment switch costs about as much as a small allocation and happens once
// per segment, not once per level. Segments are reused by the thread that took
// them. An exception thrown on a segment reaches the caller unchanged.

#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

namespace basis {

namespace detail {

// The library's own machinery (a thread's forcing record, a stack segment)
// could not get memory. It is a std::bad_alloc to every caller; a deferred
// value being forced when it is thrown is left unforced, since no computation
// of the program failed.
struct MachineryExhausted : std::bad_alloc {
  const char* what() const noexcept override { return "basis: out of memory for stack or thread records"; }
};

}  // namespace detail

namespace stack_detail {

// The lowest stack address the current thread may reach before work moves to
// a fresh segment; all ones until the thread's bounds are first read, so the
// first check always takes the slow path.
extern thread_local constinit std::uintptr_t limit
    __attribute__((tls_model("initial-exec"), visibility("default")));

// Runs `run(context)` with stack room: reads the thread's bounds on first
// use, then calls it here if room is left, else on a fresh segment. Rethrows
// what `run` threw.
__attribute__((visibility("default"))) void runWithRoom(void (*run)(void*), void* context);

inline bool hasRoom() noexcept {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) > limit;
}

template <class F>
decltype(auto) runSlow(F& f) {
  using R = std::invoke_result_t<F&>;
  if constexpr (std::is_void_v<R>) {
    runWithRoom([](void* c) { (*static_cast<F*>(c))(); }, &f);
  } else if constexpr (std::is_reference_v<R>) {
    struct Call {
      F& f;
      std::remove_reference_t<R>* result;
    } call{f, nullptr};
    runWithRoom([](void* c) {
      auto& k = *static_cast<Call*>(c);
      k.result = std::addressof(k.f());
    }, &call);
    return static_cast<R>(*call.result);
  } else {
    struct Call {
      F& f;
      std::optional<R> result;
    } call{f, std::nullopt};
    runWithRoom([](void* c) {
      auto& k = *static_cast<Call*>(c);
      k.result.emplace(k.f());
    }, &call);
    return R(std::move(*call.result));
  }
}

}  // namespace stack_detail

// f(), run where at least a safe margin of stack is left: here when there is,
// else on a fresh heap segment. Costs a compare when room is left. Throws what
// f throws.
template <class F>
decltype(auto) withStackRoom(F&& f) {
  if (stack_detail::hasRoom()) [[likely]] {
    return f();
  }
  return stack_detail::runSlow(f);
}

}  // namespace basis
