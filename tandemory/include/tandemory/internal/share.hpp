#pragma once
// Small helpers shared by the tandemory headers.

#include <memory>
#include <type_traits>
#include <utility>

namespace tandemory::detail {

template <class T>
using Decay = std::remove_cvref_t<T>;

// A value shared by every position, continuation or call of one result:
// copied once into a counted cell that every closure refers to.
template <class T>
std::shared_ptr<const Decay<T>> share(T&& x) {
  return std::make_shared<const Decay<T>>(std::forward<T>(x));
}

}  // namespace tandemory::detail
