#pragma once
// Small helpers shared by the tandemory headers.

#include <memory>
#include <type_traits>
#include <utility>

#include "basis/functor.hpp"

namespace tandemory::detail {

template <class T>
using Decay = std::remove_cvref_t<T>;

// A value shared by every position, continuation or call of one result:
// copied once into a counted cell that every closure refers to. The cell is
// freed with stack room, so a chain of closures each sharing the next is
// freed at any depth.
template <class T>
std::shared_ptr<const Decay<T>> share(T&& x) {
  return basis::detail::heldShared(std::forward<T>(x));
}

}  // namespace tandemory::detail
