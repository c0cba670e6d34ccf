#pragma once
// ShortText: an immutable text held as its well-formed UTF-8 bytes in one
// reference-counted block (count, size, bytes), reached through one pointer.
// There is no terminator, offset or cached code-point count.

#include <atomic>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "scriblet/export.h"

namespace scriblet {

class ShortText;

namespace detail {

// The block of a text: its count, whether it is an immortal constant, its
// byte count, then the bytes in the same allocation.
struct Block {
  std::atomic<std::uint32_t> refs;
  std::uint32_t immortal;
  std::size_t size;

  unsigned char* bytes() noexcept { return reinterpret_cast<unsigned char*>(this + 1); }
  const unsigned char* bytes() const noexcept {
    return reinterpret_cast<const unsigned char*>(this + 1);
  }
};
static_assert(sizeof(Block) == 16);

// A fresh block of n uninitialised bytes under one reference. Throws
// std::bad_alloc.
SCRIBLET_API Block* allocateBlock(std::size_t n);
// Shrinks a fresh block that no one else refers to to n bytes (n <= size).
SCRIBLET_API Block* shrinkBlock(Block* b, std::size_t n) noexcept;
SCRIBLET_API void freeBlock(Block* b) noexcept;

// The one shared empty block; constant data, never counted. A few zero
// bytes follow the header so that its (empty) byte range lies inside the
// object.
struct EmptyBlock {
  Block header;
  unsigned char bytes[16];
};
SCRIBLET_API extern EmptyBlock emptyBlock;
inline Block* emptyBlockHeader() noexcept { return &emptyBlock.header; }

}  // namespace detail

class ShortText {
 public:
  // The shared empty text. No allocation.
  ShortText() noexcept : b_(detail::emptyBlockHeader()) {}
  ShortText(const ShortText& o) noexcept : b_(o.b_) { retain(b_); }
  ShortText(ShortText&& o) noexcept : b_(std::exchange(o.b_, detail::emptyBlockHeader())) {}
  ShortText& operator=(const ShortText& o) noexcept {
    retain(o.b_);
    release(std::exchange(b_, o.b_));
    return *this;
  }
  ShortText& operator=(ShortText&& o) noexcept {
    if (this != &o) release(std::exchange(b_, std::exchange(o.b_, detail::emptyBlockHeader())));
    return *this;
  }
  ~ShortText() { release(b_); }

  // The UTF-8 bytes; valid while this text (or a copy) lives.
  const unsigned char* data() const noexcept { return b_->bytes(); }
  // The byte count.
  std::size_t size() const noexcept { return b_->size; }
  // The bytes as a view.
  std::string_view bytes() const noexcept {
    return {reinterpret_cast<const char*>(b_->bytes()), b_->size};
  }
  // True when both texts are the very same byte array.
  bool sameArray(const ShortText& o) const noexcept { return b_ == o.b_; }

  // Adopts a fresh block whose reference the caller hands over.
  static ShortText adopt(detail::Block* b) noexcept { return ShortText(b); }

 private:
  explicit ShortText(detail::Block* b) noexcept : b_(b) {}
  static void retain(detail::Block* b) noexcept {
    if (!b->immortal) b->refs.fetch_add(1, std::memory_order_relaxed);
  }
  // The last holder frees the block. A count of one read here is this
  // holder's own (no one else can add to it), so the block is freed without
  // the atomic decrement; the acquire read orders the other holders' earlier
  // releases before the free.
  static void release(detail::Block* b) noexcept {
    if (b->immortal) return;
    if (b->refs.load(std::memory_order_acquire) == 1 ||
        b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      detail::freeBlock(b);
    }
  }

  detail::Block* b_;
};

namespace detail {

// Fills a fresh array and freezes it into a text; the array never escapes
// before it is frozen. An empty result is the shared empty text.
class TextBuilder {
 public:
  explicit TextBuilder(std::size_t n) : b_(n == 0 ? nullptr : allocateBlock(n)) {}
  TextBuilder(const TextBuilder&) = delete;
  TextBuilder& operator=(const TextBuilder&) = delete;
  ~TextBuilder() {
    if (b_) freeBlock(b_);
  }
  unsigned char* data() noexcept { return b_ ? b_->bytes() : nullptr; }
  // Gives up the unused tail: the text keeps its first n bytes.
  void shrink(std::size_t n) noexcept {
    if (!b_ || n == b_->size) return;
    if (n == 0) {
      freeBlock(std::exchange(b_, nullptr));
    } else {
      b_ = shrinkBlock(b_, n);
    }
  }
  ShortText freeze() noexcept {
    if (!b_) return ShortText();
    return ShortText::adopt(std::exchange(b_, nullptr));
  }

 private:
  Block* b_;
};

// A new text holding a copy of n bytes (the empty text for n = 0). O(n);
// throws std::bad_alloc.
SCRIBLET_API ShortText copyBytes(const void* p, std::size_t n);

}  // namespace detail

// Equality: byte equality; the same array is equal without comparing.
inline bool operator==(const ShortText& a, const ShortText& b) noexcept {
  const std::size_t n = a.size();
  if (n != b.size()) return false;
  if (n == 0 || a.sameArray(b)) return true;
  return std::memcmp(a.data(), b.data(), n) == 0;
}

// Ordering: the unsigned bytes lexicographically (for UTF-8, the code-point
// order); one memcmp at most, skipped for the same array.
inline std::strong_ordering operator<=>(const ShortText& a, const ShortText& b) noexcept {
  const std::size_t la = a.size();
  const std::size_t lb = b.size();
  const std::size_t m = la < lb ? la : lb;
  if (m != 0) {
    const int r = a.sameArray(b) ? 0 : std::memcmp(a.data(), b.data(), m);
    if (r != 0) return r < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
  }
  return la <=> lb;
}

}  // namespace scriblet
