#pragma once
// A stack in chunks: the walk stack of the folds. Growing it never moves
// what it holds and touches each new byte once, which matters for a walk a
// million levels deep. The first chunks are small and double in size up to
// a fixed one, so a walk that stays shallow (as the many nested walks of a
// layer with a lazy fmap do) takes little memory.

#include <bit>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace knotloom::internal {

template <class T>
class ChunkedStack {
 public:
  ChunkedStack() = default;
  ChunkedStack(const ChunkedStack&) = delete;
  ChunkedStack& operator=(const ChunkedStack&) = delete;
  ~ChunkedStack() {
    truncate(0);
    for (T* chunk : chunks_) ::operator delete(chunk, std::align_val_t(alignof(T)));
  }

  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  T& operator[](std::size_t i) noexcept {
    if (i >= kFull) [[unlikely]] return chunks_[kSmallChunks + (i >> kShift) - 1][i & kMask];
    const std::size_t k = std::bit_width(i >> kFirstShift);
    return chunks_[k][k == 0 ? i : i - (kFirst << (k - 1))];
  }
  T& back() noexcept { return (*this)[size_ - 1]; }

  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == capacity_) {
      // Room for the new chunk's pointer first (growing geometrically), so
      // that nothing can fail once the chunk is allocated.
      if (chunks_.size() == chunks_.capacity()) chunks_.reserve(2 * chunks_.size() + 1);
      const std::size_t n = chunkSize(chunks_.size());
      chunks_.push_back(static_cast<T*>(::operator new(sizeof(T) * n, std::align_val_t(alignof(T)))));
      capacity_ += n;
    }
    T* slot = &(*this)[size_];
    ::new (static_cast<void*>(slot)) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void pop_back() noexcept { (*this)[--size_].~T(); }
  // Drops the elements from position n on.
  void truncate(std::size_t n) noexcept {
    while (size_ > n) pop_back();
  }

 private:
  // Chunks of 16, 16, 32, ..., 512 elements, then of 1024: small enough to
  // come from the heap's arena, large enough that chunk changes are rare.
  static constexpr std::size_t kFirstShift = 4;
  static constexpr std::size_t kFirst = std::size_t{1} << kFirstShift;
  static constexpr std::size_t kShift = 10;
  static constexpr std::size_t kFull = std::size_t{1} << kShift;
  static constexpr std::size_t kMask = kFull - 1;
  // The number of chunks smaller than kFull, which together hold kFull.
  static constexpr std::size_t kSmallChunks = kShift - kFirstShift + 1;

  static constexpr std::size_t chunkSize(std::size_t k) noexcept {
    if (k >= kSmallChunks) return kFull;
    return k == 0 ? kFirst : kFirst << (k - 1);
  }

  std::vector<T*> chunks_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace knotloom::internal
