#pragma once
// The 16-byte binary form of a UUID: the first word, then the second, each
// most significant byte first (bytes 0 to 15 in network order). A list is a
// signed 64-bit count, then each element's 16 bytes.

#include <cstddef>
#include <optional>

#include <basis/binary.hpp>

#include "stampwell/internal/representation.hpp"

// `get` reads two whole 8-byte words, gathering them across chunks, and
// consumes exactly 16 bytes; input that ends within a UUID fails with "not
// enough bytes" and yields no value. `putList` is the default list form.
template <>
struct basis::Binary<stampwell::UUID> : basis::BinaryDefaults<stampwell::UUID> {
  static constexpr std::size_t leastSize = 16;
  static void put(stampwell::UUID u, basis::binary::Put& p) {
    p.putWord64be(u.firstWord());
    p.putWord64be(u.secondWord());
  }
  static std::optional<stampwell::UUID> get(basis::binary::Get& g) {
    const std::optional<std::uint64_t> first = g.getWord64be();
    if (!first) return std::nullopt;
    const std::optional<std::uint64_t> second = g.getWord64be();
    if (!second) return std::nullopt;
    return stampwell::UUID(*first, *second);
  }
};
