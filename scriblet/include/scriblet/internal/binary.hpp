#pragma once
// The binary form of ShortText: its byte count as a big-endian signed 64-bit
// integer, then its UTF-8 bytes (the form of a short byte string); a list is
// its element count in the same form, then the texts. Decoding checks the
// bytes and ends in a failure result, never an exception, on bad input.

#include <basis/binary.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ranges>
#include <vector>

#include "scriblet/export.h"
#include "scriblet/internal/core.hpp"

namespace scriblet {
// The failure message of a decoded text whose bytes are not UTF-8.
inline constexpr const char* kInvalidUtf8Stream = "Binary.get(ShortText): Invalid UTF-8 stream";

namespace detail {
// Reads one text: a count that is negative or exceeds the input fails (with
// the serialisation library's "not enough bytes") before anything is
// allocated; ill-formed bytes fail with kInvalidUtf8Stream after them.
SCRIBLET_API std::optional<ShortText> getShortText(basis::binary::Get& g);
// Reads a list of texts. A count above a text per 8 bytes left (each text
// takes at least its 8-byte count) fails before anything is allocated; the
// list then reserves room for that count at once.
SCRIBLET_API std::optional<std::vector<ShortText>> getShortTextList(basis::binary::Get& g);
}  // namespace detail
}  // namespace scriblet

template <>
struct basis::Binary<scriblet::ShortText> {
  // The fewest bytes a text takes: its count.
  static constexpr std::size_t leastSize = 8;
  // Writes the byte count and the bytes. O(n).
  static void put(const scriblet::ShortText& t, basis::binary::Put& p) {
    p.putInt64be(static_cast<std::int64_t>(t.size()));
    p.putByteString(t.bytes());
  }
  // Reads and validates one text. O(n).
  static std::optional<scriblet::ShortText> get(basis::binary::Get& g) {
    return scriblet::detail::getShortText(g);
  }
  // Writes the element count, then each text. O(total bytes).
  template <std::ranges::input_range R>
  static void putList(const R& xs, basis::binary::Put& p) {
    basis::binary::putListWith([](const scriblet::ShortText& t, basis::binary::Put& q) { put(t, q); },
                               xs, p);
  }
  // Reads a list of texts, sized at once by its count, which is checked
  // against the bytes left first (every text takes at least 8). O(total bytes).
  // The list form of std::vector<ShortText>, and of every list nested in it.
  static std::optional<std::vector<scriblet::ShortText>> getList(basis::binary::Get& g) {
    return scriblet::detail::getShortTextList(g);
  }
};
