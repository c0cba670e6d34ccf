#pragma once
// Hashing of UUIDs: the four 32-bit words (bytes 0-3, 4-7, 8-11, 12-15) mixed
// in order by the salted word hash.

#include <cstddef>
#include <cstdint>
#include <functional>

#include <basis/hashable.hpp>

#include "stampwell/internal/representation.hpp"

namespace stampwell::detail {

// The words of u mixed into `state` in order, starting at word `from`.
constexpr std::uint64_t mixWords(std::uint64_t state, UUID u, int from) noexcept {
  const auto [x1, x2, x3, x4] = toWords(u);
  const std::uint64_t words[4] = {x1, x2, x3, x4};
  for (int i = from; i < 4; ++i) state = basis::hashWordWithSalt(state, words[i]);
  return state;
}

}  // namespace stampwell::detail

template <>
struct basis::Hashable<stampwell::UUID> {
  // The four words mixed into the salt (its two's-complement bits). O(1).
  static constexpr std::int64_t hashWithSalt(std::int64_t salt, stampwell::UUID u) noexcept {
    return static_cast<std::int64_t>(
        stampwell::detail::mixWords(static_cast<std::uint64_t>(salt), u, 0));
  }
  // The last three words mixed into the first; no separate salt. O(1).
  static constexpr std::int64_t hash(stampwell::UUID u) noexcept {
    return static_cast<std::int64_t>(
        stampwell::detail::mixWords(u.firstWord() >> 32, u, 1));
  }
};

// std::hash of a UUID is its `hash`.
template <>
struct std::hash<stampwell::UUID> {
  std::size_t operator()(stampwell::UUID u) const noexcept {
    return static_cast<std::size_t>(basis::Hashable<stampwell::UUID>::hash(u));
  }
};
