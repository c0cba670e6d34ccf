#pragma once
// Stack room for deep work: withStackRoom(f) runs f() on the current stack
// while enough of it is left, and on a stack segment of the library's own
// when it runs low. Forcing a deferred value, freeing a counted object and the
// libraries' recursive walks go through it, so a chain of any depth is limited
// by memory alone, on any thread's stack.
//
// The work stays on the calling thread (thread-local state stays valid); a
// segment switch costs about as much as a small allocation and happens once
// per segment, not once per level. Segments are reused by the thread that took
// them and unmapped when it ends. An exception thrown on a segment reaches the
// caller unchanged. Known stacks: the thread's own (the main thread's bounds
// follow the current RLIMIT_STACK) and the segments in use; work that starts
// on any other stack (a user fiber, an alternate signal stack) moves to a
// segment first.

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

// The stack the current frame is known to be on, as the part of it where work
// may still start: a frame f has room when f - limit < span (unsigned), that
// is when it lies in [limit, limit + span). `limit` is the stack's lowest
// usable address plus a margin of 64 KiB (256 KiB under sanitizers): what the
// work between two checks may use. A single frame larger than the margin (a
// big local array, an alloca) is not covered. Both start at zero, so a
// thread's first check takes the slow path, which finds the stack that holds
// the frame (the thread's own, one of the segments in use, or none known) and
// sets the range to it. A user stack placed inside the thread's own stack
// (an array in a frame) is taken for the thread's stack.
extern thread_local constinit std::uintptr_t limit
    __attribute__((tls_model("initial-exec"), visibility("default")));
extern thread_local constinit std::uintptr_t span
    __attribute__((tls_model("initial-exec"), visibility("default")));

// A free that had neither stack room nor a segment (memory ran out while a
// deep chain was freed): kept on the thread's list and done by the next drop
// that finishes with room to spare, or when the thread ends.
struct PostponedFree;
extern thread_local constinit PostponedFree* postponed
    __attribute__((tls_model("initial-exec"), visibility("default")));

// Runs `run(context)` with stack room: here when the frame lies on a known
// stack with room, else on a segment of ours. Rethrows what `run` threw;
// throws detail::MachineryExhausted when no segment can be mapped.
__attribute__((visibility("default"))) void runWithRoom(void (*run)(void*), void* context);

// destroy(object) with stack room, never throwing: when neither room nor a
// segment can be had, the call is postponed to the thread's next drop that
// has room, or to its end (see PostponedFree).
__attribute__((visibility("default"))) void dropSlow(void* object, void (*destroy)(void*)) noexcept;
// Does the postponed frees when this frame has room to spare; else leaves
// them to a shallower drop.
__attribute__((visibility("default"))) void drainPostponed() noexcept;

// Test hook: while set, mapping a new segment fails (and no cached one is
// taken), as when the address space or memory is exhausted.
__attribute__((visibility("default"))) void failSegmentsForTesting(bool fail) noexcept;

inline bool hasRoom() noexcept {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) - limit < span;
}

// destroy(object), where the stack has room for it; see dropSlow.
inline void dropWithRoom(void* object, void (*destroy)(void*)) noexcept {
  if (hasRoom()) [[likely]] {
    destroy(object);
  } else {
    dropSlow(object, destroy);
  }
  if (postponed != nullptr) [[unlikely]] drainPostponed();
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
// else on a heap segment. Costs a subtract and a compare when room is left.
// Throws what f throws, and detail::MachineryExhausted (a std::bad_alloc)
// when no segment can be mapped. A thread exit or cancellation inside f
// unwinds through it as through any call.
template <class F>
decltype(auto) withStackRoom(F&& f) {
  if (stack_detail::hasRoom()) [[likely]] {
    return f();
  }
  return stack_detail::runSlow(f);
}

}  // namespace basis
