// The blocks behind texts: one allocation per text, counted in place.

#include <cstdlib>
#include <new>

#include "scriblet/internal/short_text.hpp"

namespace scriblet::detail {

constinit EmptyBlock emptyBlock{{{0}, 1, 0}, {}};

Block* allocateBlock(std::size_t n) {
  if (n > SIZE_MAX - sizeof(Block)) throw std::bad_alloc();
  void* p = std::malloc(sizeof(Block) + n);
  if (!p) throw std::bad_alloc();
  return ::new (p) Block{{1}, 0, n};
}

Block* shrinkBlock(Block* b, std::size_t n) noexcept {
  // Shrinking in place: realloc to a smaller size does not move on the
  // allocators we target, and keeps the block valid if it does.
  void* p = std::realloc(b, sizeof(Block) + n);
  Block* r = p ? static_cast<Block*>(p) : b;
  r->size = n;
  return r;
}

void freeBlock(Block* b) noexcept { std::free(b); }

}  // namespace scriblet::detail
