#pragma once
// A stack in fixed-size chunks: the walk stack of the folds. Growing it never
// moves what it holds and touches each new byte once, which matters for a
// walk a million levels deep.

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
  T& operator[](std::size_t i) noexcept { return chunks_[i >> kShift][i & kMask]; }
  T& back() noexcept { return (*this)[size_ - 1]; }

  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == chunks_.size() << kShift) {
      // Room for the new chunk's pointer first (growing geometrically), so
      // that nothing can fail once the chunk is allocated.
      if (chunks_.size() == chunks_.capacity()) chunks_.reserve(2 * chunks_.size() + 1);
      chunks_.push_back(static_cast<T*>(
          ::operator new(sizeof(T) << kShift, std::align_val_t(alignof(T)))));
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
  // 1024 elements a chunk: small enough to come from the heap's arena, large
  // enough that chunk changes are rare.
  static constexpr std::size_t kShift = 10;
  static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
  std::vector<T*> chunks_;
  std::size_t size_ = 0;
};

}  // namespace knotloom::internal
