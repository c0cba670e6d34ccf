#pragma once
// The small arrays under the trie: one exact-size, intrusively counted block
// per array, with the element count and the slots in one allocation.
//
// A block starts with a 16-byte header (count, tag, one word) that it shares
// with the trie's nodes: a branch node *is* a block of child maps whose tag
// says `BitmapIndexed` or `Full` and whose word is the bitmap, and a
// `Collision` node is a block of pairs whose word is the hash. Freezing a
// fresh array and making it a node therefore copies nothing.
//
// What a slot holds: an `Array<E>` of an ordinary element type keeps
// `basis::Lazy<E>` slots, so a slot may hold a deferred element and an
// unwritten slot holds `undefinedElem`, which raises when evaluated. The
// trie's own element types (child maps, bucket pairs) are never deferred and
// are held as they are (`StrictElement`).
//
// Bounds: the exported operations below check every index, offset, count and
// list length and throw std::out_of_range (std::length_error for a list longer
// than its count) instead of touching memory outside a block. The trie walks
// use the unchecked forms in `array::detail`, which assert in debug builds.

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <ranges>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include <basis/error.hpp>
#include <basis/lazy.hpp>
#include <basis/ref.hpp>

#ifndef NDEBUG
#define HASHGROVE_ASSERT(cond) assert(cond)
#else
#define HASHGROVE_ASSERT(cond) ((void)0)
#endif

namespace hashgrove::internal::array {

// ---------------------------------------------------------------------------
// Blocks

// Tag of a block that is a plain array, not (yet) a trie node. Node kinds use
// the tags 0 to 4 (see hashgrove/internal/node.hpp); tag 0 is the shared,
// uncounted empty node.
inline constexpr std::uint8_t kPlainArrayTag = 0xff;
inline constexpr std::uint8_t kEmptyTag = 0;

// The header of every counted block: arrays and trie nodes alike.
class BlockHeader {
 public:
  constexpr BlockHeader(std::uint8_t tag, std::uint64_t word) noexcept
      : refs_(tag == kEmptyTag ? kImmortal : 0), tag(tag), word(word) {}
  BlockHeader(const BlockHeader&) = delete;
  BlockHeader& operator=(const BlockHeader&) = delete;

  // The empty node (tag 0) is immortal and never counted.
  void retain() const noexcept {
    if (tag != kEmptyTag) refs_.fetch_add(1, std::memory_order_relaxed);
  }
  // True when this was the last reference (the count is then 0); the caller
  // frees the block or takes it over. A count of one seen by the holder is
  // the last reference: no other thread holds one to copy, so it drops to 0
  // with a plain store instead of a locked decrement.
  bool release() const noexcept {
    if (tag == kEmptyTag) return false;
    if (refs_.load(std::memory_order_acquire) == 1) {
      refs_.store(0, std::memory_order_relaxed);
      return true;
    }
    return refs_.fetch_sub(1, std::memory_order_acq_rel) == 1;
  }
  std::uint32_t useCount() const noexcept { return refs_.load(std::memory_order_acquire); }
  // True when the caller's reference is the only one: the block may be written.
  bool isUnique() const noexcept { return tag != kEmptyTag && useCount() == 1; }

 private:
  static constexpr std::uint32_t kImmortal = 1u << 30;
  mutable std::atomic<std::uint32_t> refs_;

 public:
  std::uint8_t tag;    // node kind, or kPlainArrayTag
  std::uint64_t word;  // a branch's bitmap, a leaf's or bucket's hash; 0 otherwise
};
static_assert(sizeof(BlockHeader) == 16);

// A block of `length` slots of type S, laid out right after the header.
template <class S>
class Block final : public BlockHeader {
 public:
  static constexpr std::size_t kAlign = alignof(S) > alignof(BlockHeader) ? alignof(S) : 8;
  static constexpr std::size_t kSlotOffset =
      (sizeof(BlockHeader) + sizeof(std::uint32_t) + alignof(S) - 1) / alignof(S) * alignof(S);
  static constexpr std::size_t kMaxLength = 0xffffffffu;

  std::uint32_t length;

  S* slots() noexcept { return std::launder(reinterpret_cast<S*>(reinterpret_cast<std::byte*>(this) + kSlotOffset)); }
  const S* slots() const noexcept {
    return std::launder(reinterpret_cast<const S*>(reinterpret_cast<const std::byte*>(this) + kSlotOffset));
  }

  // A block of n slots, none of them constructed yet; count 0.
  static Block* allocate(std::size_t n, std::uint8_t tag = kPlainArrayTag, std::uint64_t word = 0) {
    if (n > kMaxLength) throw std::length_error("hashgrove: array too long");
    void* mem;
    if constexpr (kAlign > __STDCPP_DEFAULT_NEW_ALIGNMENT__) {
      mem = ::operator new(kSlotOffset + n * sizeof(S), std::align_val_t(kAlign));
    } else {
      mem = ::operator new(kSlotOffset + n * sizeof(S));
    }
    return ::new (mem) Block(tag, word, static_cast<std::uint32_t>(n));
  }
  // Frees a block whose slots are all constructed.
  static void destroy(Block* b) noexcept {
    S* s = b->slots();
    for (std::uint32_t i = 0, n = b->length; i < n; ++i) s[i].~S();
    b->~Block();
    deallocate(b);
  }
  // Frees the block's memory without running the slots' destructors: for an
  // owner that has already released what the slots held.
  static void freeStorage(Block* b) noexcept {
    b->~Block();
    deallocate(b);
  }
  // Frees a block whose first `constructed` slots are constructed.
  static void abandon(Block* b, std::uint32_t constructed) noexcept {
    b->length = constructed;
    destroy(b);
  }

 private:
  Block(std::uint8_t tag, std::uint64_t word, std::uint32_t n) noexcept : BlockHeader(tag, word), length(n) {}
  ~Block() = default;
  static void deallocate(Block* b) noexcept {
    if constexpr (kAlign > __STDCPP_DEFAULT_NEW_ALIGNMENT__) {
      ::operator delete(static_cast<void*>(b), std::align_val_t(kAlign));
    } else {
      ::operator delete(static_cast<void*>(b));
    }
  }
};

// Fills a fresh block slot by slot. Until `finish`, an exception (from an
// element's copy or a caller's function) frees the block and the slots
// constructed so far; nothing half-built escapes.
template <class S>
class BlockFiller {
 public:
  explicit BlockFiller(std::size_t n, std::uint8_t tag = kPlainArrayTag, std::uint64_t word = 0)
      : b_(Block<S>::allocate(n, tag, word)), out_(b_->slots()) {}
  BlockFiller(const BlockFiller&) = delete;
  BlockFiller& operator=(const BlockFiller&) = delete;
  ~BlockFiller() {
    if (b_) Block<S>::abandon(b_, filled());
  }

  template <class... Args>
  void emplace(Args&&... args) {
    HASHGROVE_ASSERT(filled() < b_->length);
    ::new (static_cast<void*>(out_)) S(std::forward<Args>(args)...);
    ++out_;
  }
  // Copies `n` slots from `src`.
  void copyFrom(const S* src, std::size_t n) {
    HASHGROVE_ASSERT(filled() + n <= b_->length);
    if constexpr (std::is_trivially_copyable_v<S>) {
      if (n) std::memcpy(static_cast<void*>(out_), src, n * sizeof(S));
      out_ += n;
    } else {
      for (std::size_t i = 0; i < n; ++i) emplace(src[i]);
    }
  }
  std::uint32_t filled() const noexcept { return static_cast<std::uint32_t>(out_ - b_->slots()); }
  Block<S>* block() const noexcept { return b_; }
  // The full block, under no reference yet (count 0).
  Block<S>* finish() noexcept {
    HASHGROVE_ASSERT(filled() == b_->length);
    return std::exchange(b_, nullptr);
  }

 private:
  Block<S>* b_;
  S* out_;
};

// ---------------------------------------------------------------------------
// Element types and slots

// Whether E is held in a slot as it is (never deferred). The trie's child
// maps and bucket pairs are; node.hpp says so. A strict element type may give
// a filler in `static E undefined()`.
template <class E>
struct StrictElement : std::false_type {};

template <class E>
using Slot = std::conditional_t<StrictElement<E>::value, E, basis::Lazy<E>>;

// The error that `undefinedElem` raises: "Data.HashMap.Internal.Array:
// Undefined element", called at ./Data/HashMap/Internal/Array:432:17.
const basis::ErrorCall& undefinedElementError();

// The filler of a fresh array's unwritten slots: for a deferred slot, a shared
// deferred value that raises `undefinedElementError()` every time it is
// evaluated; for a strict element type, its `undefined()` filler.
template <class E>
const Slot<E>& undefinedElem() {
  if constexpr (StrictElement<E>::value) {
    static const E filler = StrictElement<E>::undefined();
    return filler;
  } else {
    static const basis::Lazy<E> filler =
        basis::Lazy<E>::defer([]() -> E { throw undefinedElementError(); });
    return filler;
  }
}

// The value of a slot: forced when the slot is deferred.
template <class E>
const E& slotValue(const Slot<E>& s) {
  if constexpr (StrictElement<E>::value) {
    return s;
  } else {
    return s.force();
  }
}

template <class E>
class MArray;

// ---------------------------------------------------------------------------
// Array<E>: an immutable small array; a counted reference to one block.

template <class E>
class Array {
 public:
  using element_type = E;
  using slot_type = Slot<E>;
  using block_type = Block<slot_type>;

  // The empty array.
  Array() : b_(emptyBlock()) {}

  // Adopts a finished block that is under no reference yet.
  static Array adopt(block_type* b) noexcept { return Array(basis::Ref<block_type>(b)); }
  // Shares a block that is already referenced elsewhere (a node's children).
  static Array share(block_type* b) noexcept { return Array(basis::Ref<block_type>(b)); }

  std::int64_t size() const noexcept { return b_->length; }
  const slot_type* data() const noexcept { return b_->slots(); }
  const slot_type* begin() const noexcept { return data(); }
  const slot_type* end() const noexcept { return data() + size(); }
  block_type* block() const noexcept { return b_.get(); }
  // True when this handle is the only reference to the block.
  bool isUnique() const noexcept { return b_->isUnique(); }
  // Gives up the block without releasing it (for a caller that adopts it).
  block_type* detach() noexcept { return b_.detach(); }

 private:
  explicit Array(basis::Ref<block_type> b) noexcept : b_(std::move(b)) {}
  static basis::Ref<block_type> emptyBlock() { return basis::Ref<block_type>(block_type::allocate(0)); }
  basis::Ref<block_type> b_;
};

// `unArray`: the array's storage (the block, shared with the handle).
template <class E>
auto* unArray(const Array<E>& a) noexcept {
  return a.block();
}

// ---------------------------------------------------------------------------
// Unchecked building blocks for the trie's own use.

namespace detail {

template <class S>
inline void checkIndex(std::int64_t i, std::int64_t n, const char* what) {
  if (i < 0 || i >= n) {
    throw std::out_of_range(std::string("Data.HashMap.Internal.Array.") + what + ": index " +
                            std::to_string(i) + " out of range for length " + std::to_string(n));
  }
}
inline void checkRange(std::int64_t off, std::int64_t count, std::int64_t n, const char* what) {
  if (off < 0 || count < 0 || off > n || count > n - off) {
    throw std::out_of_range(std::string("Data.HashMap.Internal.Array.") + what + ": range " +
                            std::to_string(off) + "+" + std::to_string(count) +
                            " outside length " + std::to_string(n));
  }
}

// A copy of `src[0..n)` with `x` inserted at i (0 <= i <= n).
template <class S, class X>
Block<S>* insertAt(const S* src, std::size_t n, std::size_t i, X&& x, std::uint8_t tag = kPlainArrayTag,
                   std::uint64_t word = 0) {
  HASHGROVE_ASSERT(i <= n);
  BlockFiller<S> f(n + 1, tag, word);
  f.copyFrom(src, i);
  f.emplace(std::forward<X>(x));
  f.copyFrom(src + i, n - i);
  return f.finish();
}
// `src[0..n)` moved into a new block with x at slot i: for the only owner
// of `src`, which keeps the moved-from slots and frees them as before. With
// a nothrow move, nothing can fail once the block is allocated.
template <class S, class X>
Block<S>* insertAtMoving(S* src, std::size_t n, std::size_t i, X&& x, std::uint8_t tag = kPlainArrayTag,
                         std::uint64_t word = 0) {
  static_assert(std::is_nothrow_move_constructible_v<S>);
  HASHGROVE_ASSERT(i <= n);
  BlockFiller<S> f(n + 1, tag, word);
  for (std::size_t j = 0; j < i; ++j) f.emplace(std::move(src[j]));
  f.emplace(std::forward<X>(x));
  for (std::size_t j = i; j < n; ++j) f.emplace(std::move(src[j]));
  return f.finish();
}
// A copy of `src[0..n)` without slot i.
template <class S>
Block<S>* deleteAt(const S* src, std::size_t n, std::size_t i, std::uint8_t tag = kPlainArrayTag,
                   std::uint64_t word = 0) {
  HASHGROVE_ASSERT(i < n);
  BlockFiller<S> f(n - 1, tag, word);
  f.copyFrom(src, i);
  f.copyFrom(src + i + 1, n - i - 1);
  return f.finish();
}
// A copy of `src[0..n)` with slot i holding x.
template <class S, class X>
Block<S>* updateAt(const S* src, std::size_t n, std::size_t i, X&& x, std::uint8_t tag = kPlainArrayTag,
                   std::uint64_t word = 0) {
  HASHGROVE_ASSERT(i < n);
  BlockFiller<S> f(n, tag, word);
  f.copyFrom(src, i);
  f.emplace(std::forward<X>(x));
  f.copyFrom(src + i + 1, n - i - 1);
  return f.finish();
}
// A copy of `src[0..n)` followed by x.
template <class S, class X>
Block<S>* snocTo(const S* src, std::size_t n, X&& x, std::uint8_t tag = kPlainArrayTag, std::uint64_t word = 0) {
  BlockFiller<S> f(n + 1, tag, word);
  f.copyFrom(src, n);
  f.emplace(std::forward<X>(x));
  return f.finish();
}

template <class R, class E>
concept RangeOf = std::ranges::input_range<R> &&
                  (std::convertible_to<std::ranges::range_reference_t<R>, Slot<E>>);

template <class T>
struct ElementOf {
  using type = T;
};
template <class T>
struct ElementOf<basis::Lazy<T>> {
  using type = T;
};

}  // namespace detail

// ---------------------------------------------------------------------------
// MArray<E>: a fresh mutable array, owned by the one builder that fills it
// before it is frozen. Move-only; every slot is always constructed.

template <class E>
class MArray {
 public:
  using slot_type = Slot<E>;
  using block_type = Block<slot_type>;

  MArray(MArray&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  MArray& operator=(MArray&& o) noexcept {
    if (this != &o) {
      reset();
      b_ = std::exchange(o.b_, nullptr);
    }
    return *this;
  }
  MArray(const MArray&) = delete;
  MArray& operator=(const MArray&) = delete;
  ~MArray() { reset(); }

  // Takes over a block under no other reference.
  explicit MArray(block_type* b) noexcept : b_(b) {}

  std::int64_t size() const noexcept { return b_ ? b_->length : 0; }
  slot_type* data() noexcept { return b_->slots(); }
  const slot_type* data() const noexcept { return b_->slots(); }
  block_type* release() noexcept { return std::exchange(b_, nullptr); }
  bool valid() const noexcept { return b_ != nullptr; }

 private:
  void reset() noexcept {
    if (b_) block_type::destroy(std::exchange(b_, nullptr));
  }
  block_type* b_ = nullptr;
};

// `unMArray`: the mutable array's storage.
template <class E>
auto* unMArray(MArray<E>& m) noexcept {
  return m.data();
}

// ---------------------------------------------------------------------------
// Creation

// `new`: a fresh array of n slots, each holding x. O(n). Throws
// std::out_of_range for a negative count.
template <class E>
MArray<E> newFilled(std::int64_t n, const Slot<E>& x) {
  if (n < 0) throw std::out_of_range("Data.HashMap.Internal.Array.new: negative count");
  BlockFiller<Slot<E>> f(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) f.emplace(x);
  return MArray<E>(f.finish());
}

// `new` under its other name: `new_` with a filler.
template <class E>
MArray<E> new_(std::int64_t n, const Slot<E>& x) {
  return newFilled<E>(n, x);
}

// `new_`: a fresh array of n slots, each holding `undefinedElem`. O(n).
template <class E>
MArray<E> new_(std::int64_t n) {
  return newFilled<E>(n, undefinedElem<E>());
}

// An array of one element x (a value, or a `basis::Lazy` stored as it is). O(1).
template <class X, class E = typename detail::ElementOf<std::remove_cvref_t<X>>::type>
Array<E> singleton(X&& x) {
  BlockFiller<Slot<E>> f(1);
  f.emplace(std::forward<X>(x));
  return Array<E>::adopt(f.finish());
}
// `singletonM`: the same as `singleton`.
template <class X>
auto singletonM(X&& x) {
  return array::singleton(std::forward<X>(x));
}

// An array of two elements, x in slot 0 and y in slot 1. O(1).
template <class X, class Y, class E = typename detail::ElementOf<std::remove_cvref_t<X>>::type>
Array<E> pair(X&& x, Y&& y) {
  BlockFiller<Slot<E>> f(2);
  f.emplace(std::forward<X>(x));
  f.emplace(std::forward<Y>(y));
  return Array<E>::adopt(f.finish());
}

namespace detail {
template <class E, bool Evaluate, class R>
Array<E> fromListImpl(std::int64_t n, R&& xs) {
  if (n < 0) throw std::out_of_range("Data.HashMap.Internal.Array.fromList: negative count");
  BlockFiller<Slot<E>> f(static_cast<std::size_t>(n));
  std::int64_t k = 0;
  for (auto&& x : xs) {
    if (k == n) throw std::length_error("Data.HashMap.Internal.Array.fromList: list longer than its count");
    Slot<E> s(std::forward<decltype(x)>(x));
    if constexpr (Evaluate && !StrictElement<E>::value) s.force();
    f.emplace(std::move(s));
    ++k;
  }
  for (; k < n; ++k) f.emplace(undefinedElem<E>());
  return Array<E>::adopt(f.finish());
}
}  // namespace detail

// `fromList`: an array of n slots holding the range's elements in order,
// unevaluated; slots past the range's end hold `undefinedElem`. O(n). Throws
// std::length_error when the range has more than n elements.
template <class R, class E = typename detail::ElementOf<std::ranges::range_value_t<R>>::type>
  requires std::ranges::input_range<R>
Array<E> fromList(std::int64_t n, R&& xs) {
  return detail::fromListImpl<E, false>(n, std::forward<R>(xs));
}
// `fromList'`: as `fromList`, each element evaluated before it is stored.
template <class R, class E = typename detail::ElementOf<std::ranges::range_value_t<R>>::type>
  requires std::ranges::input_range<R>
Array<E> fromList_(std::int64_t n, R&& xs) {
  return detail::fromListImpl<E, true>(n, std::forward<R>(xs));
}

// ---------------------------------------------------------------------------
// Access and identity

// The element count. O(1).
template <class E>
std::int64_t length(const Array<E>& a) noexcept {
  return a.size();
}
// `lengthM`: the element count of a mutable array. O(1).
template <class E>
std::int64_t lengthM(const MArray<E>& m) noexcept {
  return m.size();
}
// Element i, evaluated. O(1). Throws std::out_of_range, or what evaluating
// the element raises (`undefinedElem`'s error for an unwritten slot).
template <class E>
const E& index(const Array<E>& a, std::int64_t i) {
  detail::checkIndex<E>(i, a.size(), "index");
  return slotValue<E>(a.data()[i]);
}
// `index#`: element i exactly as stored, not evaluated. O(1).
template <class E>
const Slot<E>& index_raw(const Array<E>& a, std::int64_t i) {
  detail::checkIndex<E>(i, a.size(), "index#");
  return a.data()[i];
}
// `indexM`: the same as `index#`.
template <class E>
const Slot<E>& indexM(const Array<E>& a, std::int64_t i) {
  detail::checkIndex<E>(i, a.size(), "indexM");
  return a.data()[i];
}
// Element i of a mutable array, as stored. O(1).
template <class E>
const Slot<E>& read(const MArray<E>& m, std::int64_t i) {
  detail::checkIndex<E>(i, m.size(), "read");
  return m.data()[i];
}
// Stores x in slot i, unevaluated. O(1).
template <class E>
void write(MArray<E>& m, std::int64_t i, Slot<E> x) {
  detail::checkIndex<E>(i, m.size(), "write");
  m.data()[i] = std::move(x);
}
// True exactly when a and b hold the same block. O(1).
template <class E>
bool unsafeSameArray(const Array<E>& a, const Array<E>& b) noexcept {
  return a.block() == b.block();
}

// ---------------------------------------------------------------------------
// Block copies and the changes between mutable and immutable

// Slots d..d+c-1 of m receive the elements of slots s..s+c-1 of a. O(c).
template <class E>
void copy(const Array<E>& a, std::int64_t s, MArray<E>& m, std::int64_t d, std::int64_t c) {
  detail::checkRange(s, c, a.size(), "copy");
  detail::checkRange(d, c, m.size(), "copy");
  std::copy_n(a.data() + s, c, m.data() + d);
}
// The same copy from a mutable source; overlapping ranges of one array are
// copied as if through a temporary.
template <class E>
void copyM(const MArray<E>& src, std::int64_t s, MArray<E>& m, std::int64_t d, std::int64_t c) {
  detail::checkRange(s, c, src.size(), "copyM");
  detail::checkRange(d, c, m.size(), "copyM");
  const auto* from = src.data() + s;
  auto* to = m.data() + d;
  if (to <= from) {
    std::copy_n(from, c, to);
  } else {
    std::copy_backward(from, from + c, to + c);
  }
}
// A fresh array of slots o..o+c-1 of m. O(c).
template <class E>
MArray<E> cloneM(const MArray<E>& m, std::int64_t o, std::int64_t c) {
  detail::checkRange(o, c, m.size(), "cloneM");
  BlockFiller<Slot<E>> f(static_cast<std::size_t>(c));
  f.copyFrom(m.data() + o, static_cast<std::size_t>(c));
  return MArray<E>(f.finish());
}
// A fresh mutable array of slots o..o+c-1 of a. O(c).
template <class E>
MArray<E> thaw(const Array<E>& a, std::int64_t o, std::int64_t c) {
  detail::checkRange(o, c, a.size(), "thaw");
  BlockFiller<Slot<E>> f(static_cast<std::size_t>(c));
  f.copyFrom(a.data() + o, static_cast<std::size_t>(c));
  return MArray<E>(f.finish());
}
// m cut down in place to its first c slots; returns m itself. O(n - c).
template <class E>
MArray<E>& shrink(MArray<E>& m, std::int64_t c) {
  detail::checkRange(0, c, m.size(), "shrink");
  auto* s = m.data();
  for (std::int64_t i = c, n = m.size(); i < n; ++i) std::destroy_at(s + i);
  auto* b = m.release();
  b->length = static_cast<std::uint32_t>(c);
  m = MArray<E>(b);
  return m;
}
// The same storage as an immutable array, with no copy. O(1).
template <class E>
Array<E> unsafeFreeze(MArray<E>&& m) {
  return Array<E>::adopt(m.release());
}
// The storage of a as a mutable array: the same block, with no copy, when the
// caller's handle is its only reference; otherwise a private copy, so that no
// other holder of the block ever sees a write. O(1) or O(n).
template <class E>
MArray<E> unsafeThaw(Array<E>&& a) {
  if (a.isUnique()) {
    // An MArray owns its block outright, under no counted reference.
    auto* b = a.detach();
    (void)b->release();
    return MArray<E>(b);
  }
  return thaw(a, 0, a.size());
}
// Runs an array-building action (a callable returning an MArray) and freezes
// its result in place.
template <class F>
  requires std::invocable<F&>
auto run(F&& action) {
  auto m = std::forward<F>(action)();
  return unsafeFreeze(std::move(m));
}

// ---------------------------------------------------------------------------
// Copying and in-place updates

// A new array of n + 1 slots with x at i (0 <= i <= n). O(n).
template <class E>
Array<E> insert(const Array<E>& a, std::int64_t i, Slot<E> x) {
  detail::checkRange(i, 0, a.size(), "insert");
  return Array<E>::adopt(detail::insertAt(a.data(), a.size(), i, std::move(x)));
}
// `insertM`: the same as `insert`.
template <class E>
Array<E> insertM(const Array<E>& a, std::int64_t i, Slot<E> x) {
  return insert(a, i, std::move(x));
}
// A new array of n - 1 slots without slot i. O(n).
template <class E>
Array<E> delete_(const Array<E>& a, std::int64_t i) {
  detail::checkIndex<E>(i, a.size(), "delete");
  return Array<E>::adopt(detail::deleteAt(a.data(), a.size(), i));
}
// A new array of n + 1 slots, x last. O(n).
template <class E>
Array<E> snoc(const Array<E>& a, Slot<E> x) {
  return Array<E>::adopt(detail::snocTo(a.data(), a.size(), std::move(x)));
}
// A new array with slot i holding x, unevaluated; always a new block. O(n).
template <class E>
Array<E> update(const Array<E>& a, std::int64_t i, Slot<E> x) {
  detail::checkIndex<E>(i, a.size(), "update");
  return Array<E>::adopt(detail::updateAt(a.data(), a.size(), i, std::move(x)));
}
// `updateWith'`: a new array with slot i holding f(element i), evaluated; f
// runs before anything is copied; always a new block. O(n).
template <class E, class F>
Array<E> updateWith_(const Array<E>& a, std::int64_t i, F&& f) {
  detail::checkIndex<E>(i, a.size(), "updateWith'");
  Slot<E> x(std::forward<F>(f)(slotValue<E>(a.data()[i])));
  if constexpr (!StrictElement<E>::value) x.force();
  return Array<E>::adopt(detail::updateAt(a.data(), a.size(), i, std::move(x)));
}
// Stores x in slot i of a: in place when the caller's handle is the block's
// only reference, otherwise into a private copy that `a` then refers to, so
// that no other holder of the block sees the write. O(1) or O(n).
template <class E>
void unsafeUpdateM(Array<E>& a, std::int64_t i, Slot<E> x) {
  detail::checkIndex<E>(i, a.size(), "unsafeUpdateM");
  if (a.isUnique()) {
    a.block()->slots()[i] = std::move(x);
  } else {
    a = update(a, i, std::move(x));
  }
}

}  // namespace hashgrove::internal::array
