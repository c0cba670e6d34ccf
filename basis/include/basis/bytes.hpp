#pragma once
// Byte strings. A strict byte string is a std::string (owning) or a
// std::string_view (borrowed); a short byte string is a std::string too.
// LazyByteString is a byte string held as a sequence of non-empty chunks.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include "basis/nfdata.hpp"
#include "basis/show.hpp"
#include "basis/types.hpp"

namespace basis {

// A byte string in non-empty chunks. Two values are equal when their bytes
// are, however they are chunked.
class LazyByteString {
 public:
  // The empty byte string (no chunks).
  LazyByteString() noexcept = default;
  // The concatenation of the chunks; empty chunks are dropped. O(chunks).
  static LazyByteString fromChunks(std::vector<std::string> chunks);
  // One chunk holding the bytes (none when empty).
  static LazyByteString fromStrict(std::string bytes);

  const std::vector<std::string>& chunks() const noexcept { return chunks_; }
  // All bytes in one string. O(n).
  std::string toStrict() const;
  // The byte count. O(chunks).
  std::int64_t length() const noexcept;
  bool null() const noexcept { return chunks_.empty(); }

  friend bool operator==(const LazyByteString& a, const LazyByteString& b) noexcept {
    return compareBytes(a, b) == 0;
  }
  friend std::strong_ordering operator<=>(const LazyByteString& a,
                                          const LazyByteString& b) noexcept {
    return compareBytes(a, b) <=> 0;
  }

 private:
  static int compareBytes(const LazyByteString& a, const LazyByteString& b) noexcept;
  std::vector<std::string> chunks_;
};

// The byte string of the bytes, in one chunk. O(n).
template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, std::uint8_t>
LazyByteString packBytes(R&& bytes) {
  std::string s;
  for (auto&& b : bytes) s += static_cast<char>(static_cast<std::uint8_t>(b));
  return LazyByteString::fromStrict(std::move(s));
}
// The bytes in order. O(n).
std::vector<std::uint8_t> unpackBytes(const LazyByteString& bytes);
// The byte count compared with n; reads chunk sizes only until the answer is
// known. O(chunks read).
Ordering compareLength(const LazyByteString& bytes, std::int64_t n) noexcept;

// The string literal of its bytes, as for a strict byte string.
template <>
struct Show<LazyByteString> : ShowDefaults<LazyByteString> {
  static void showsPrec(int, const LazyByteString& b, std::string& out) {
    showByteStringLiteral(b.toStrict(), out);
  }
};

// Holds nothing deferred.
template <>
struct NFData<LazyByteString> {
  static void rnf(const LazyByteString&) noexcept {}
};

}  // namespace basis
