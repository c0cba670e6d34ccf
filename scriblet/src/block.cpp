// The blocks behind texts: one allocation per text, counted in place.
//
// Texts of a few bytes are made and dropped at a high rate (pieces of a
// split, texts built from short strings), so each thread keeps the blocks of
// small texts it frees in a few short lists, by payload size, and takes new
// blocks of those sizes from them: a pop or a push is a handful of
// instructions against the allocator's round trip. A block of a small size s
// always has room for a payload of s rounded up to the list's granule, so a
// block freed by any thread fits the list it goes to. The lists hold a few
// kilobytes at most and are handed back to the allocator when the thread
// ends. Under AddressSanitizer every block goes straight to the allocator,
// so that a use after free is still reported.

#include <pthread.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "basis/sanitizer.hpp"
#include "scriblet/internal/short_text.hpp"
#include "short_bytes.hpp"

#ifdef BASIS_ASAN
#define SCRIBLET_BLOCK_LISTS 0
#else
#define SCRIBLET_BLOCK_LISTS 1
#endif

namespace scriblet::detail {

constinit EmptyBlock emptyBlock{{{0}, 1, 0}, {}};

namespace {

constexpr std::size_t kGranule = 16;
// Lists for payloads of 16, 32, 48 and 64 bytes (list k holds payloads of
// 16k bytes; list 0 is for a payload of none and stays unused in practice).
constexpr std::size_t kLists = 5;
constexpr std::size_t kListedBytes = kGranule * (kLists - 1);
constexpr std::uint32_t kPerList = 64;

// The list a block of payload size n belongs to (n <= kListedBytes).
constexpr std::size_t listOf(std::size_t n) noexcept { return (n + kGranule - 1) / kGranule; }

#if SCRIBLET_BLOCK_LISTS

struct FreeBlock {
  FreeBlock* next;
};

enum class ListsState : std::uint8_t {
  Unarmed,  // nothing listed yet: nothing is set to empty the lists
  Open,
  Closed,  // the thread is ending, or its lists could not be set up: blocks go
           // straight to the allocator
};

// Plain thread-local data (no guard on access); closeLists below empties it
// when the thread ends.
struct FreeLists {
  FreeBlock* head[kLists];
  std::uint32_t count[kLists];
  ListsState state;
};

[[gnu::tls_model("initial-exec")]] constinit thread_local FreeLists lists{};

// Hands the calling thread's listed blocks back to the allocator for good:
// blocks it frees later go straight there.
void closeLists() noexcept {
  lists.state = ListsState::Closed;
  for (std::size_t k = 0; k < kLists; ++k) {
    while (FreeBlock* f = lists.head[k]) {
      lists.head[k] = f->next;
      std::free(f);
    }
    lists.count[k] = 0;
  }
}

// A thread's lists are closed by the destructor of a thread-specific value,
// not of a thread-local object: texts may still be freed after the
// thread-local objects are gone, by the destructors of other thread-specific
// values, and a thread whose first listed block comes that late sets its
// value then, whose destructor runs in the next round. The thread that runs
// the process's exit closes its lists in an exit handler (the destructors of
// thread-specific values do not run there), which also deletes the key, so
// that no destructor of an unloaded library is called.
pthread_key_t listsKey;

void closeListsAtExit() noexcept {
  closeLists();
  pthread_key_delete(listsKey);
}

bool makeListsKey() noexcept {
  if (pthread_key_create(&listsKey, [](void*) noexcept { closeLists(); }) != 0) return false;
  std::atexit(closeListsAtExit);
  return true;
}

// The first block a thread lists arms the closing of its lists; every other
// block that misses the lists goes to the allocator.
[[gnu::noinline]] void freeSlow(Block* b) noexcept {
  if (lists.state == ListsState::Unarmed) {
    static const bool keyed = makeListsKey();
    if (keyed && pthread_setspecific(listsKey, &lists) == 0) {
      lists.state = ListsState::Open;
      freeBlock(b);
      return;
    }
    lists.state = ListsState::Closed;
  }
  std::free(b);
}

#endif

[[gnu::noinline]] Block* allocateFresh(std::size_t capacity, std::size_t n) {
  if (capacity > SIZE_MAX - sizeof(Block)) throw std::bad_alloc();
  void* p = std::malloc(sizeof(Block) + capacity);
  if (!p) throw std::bad_alloc();
  return ::new (p) Block{{1}, 0, n};
}

}  // namespace

Block* allocateBlock(std::size_t n) {
  if (n > kListedBytes) return allocateFresh(n, n);
  const std::size_t k = listOf(n);
#if SCRIBLET_BLOCK_LISTS
  if (FreeBlock* f = lists.head[k]) {
    lists.head[k] = f->next;
    --lists.count[k];
    return ::new (static_cast<void*>(f)) Block{{1}, 0, n};
  }
#endif
  return allocateFresh(k * kGranule, n);
}

Block* shrinkBlock(Block* b, std::size_t n) noexcept {
  // A small block keeps its room (it already fits the list of the smaller
  // size). A large one is shrunk in place: realloc to a smaller size does not
  // move on the allocators we target, and keeps the block valid if it does;
  // a payload that becomes small keeps the room of its list.
  if (b->size > kListedBytes) {
    const std::size_t room = n > kListedBytes ? n : listOf(n) * kGranule;
    if (void* p = std::realloc(b, sizeof(Block) + room)) b = static_cast<Block*>(p);
  }
  b->size = n;
  return b;
}

void freeBlock(Block* b) noexcept {
#if SCRIBLET_BLOCK_LISTS
  const std::size_t n = b->size;
  if (n <= kListedBytes) {
    const std::size_t k = listOf(n);
    if (lists.count[k] < kPerList && lists.state == ListsState::Open) {
      b->~Block();
      FreeBlock* f = ::new (static_cast<void*>(b)) FreeBlock{lists.head[k]};
      lists.head[k] = f;
      ++lists.count[k];
      return;
    }
  }
  freeSlow(b);
#else
  std::free(b);
#endif
}

ShortText copyBytes(const void* p, std::size_t n) {
  if (n == 0) return ShortText();
  Block* b = allocateBlock(n);
  const auto* from = static_cast<const unsigned char*>(p);
  if (n <= kShortBytes) {
    storeShort(b->bytes(), n, loadShort(from, n));
  } else {
    std::memcpy(b->bytes(), from, n);
  }
  return ShortText::adopt(b);
}

}  // namespace scriblet::detail
