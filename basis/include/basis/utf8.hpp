#pragma once
// The UTF-8 routines every text layer of basis shares: encoding one
// character, and decoding one well-formed sequence with a bounds check.
// Well-formed means shortest form, no encoded surrogate, nothing above
// U+10FFFF. None of them reads outside the view it is given.

#include <cstddef>
#include <string>
#include <string_view>

namespace basis::detail {

// True for a character UTF-8 can hold: not a surrogate, at most U+10FFFF.
constexpr bool isUtf8Encodable(char32_t c) noexcept {
  return (c & 0xFFF800u) != 0xD800u && c <= 0x10FFFF;
}

// Writes the 1 to 4 UTF-8 bytes of c (c at most U+10FFFF; a surrogate gets
// its three-byte form) to out[0..]; returns how many. O(1).
inline std::size_t encodeUtf8(char32_t c, char* out) noexcept {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// Appends the UTF-8 bytes of c (as encodeUtf8) to out.
inline void appendUtf8(char32_t c, std::string& out) {
  char bytes[4];
  out.append(bytes, encodeUtf8(c, bytes));
}

// The length (1 to 4) of the well-formed sequence at s[i], storing its
// character in c; 0 when the bytes there are not one (c is then left as it
// was). Requires i < s.size(); reads no byte at or past s.size(). O(1).
inline std::size_t decodeUtf8At(std::string_view s, std::size_t i, char32_t& c) noexcept {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  // The length the lead byte announces; a continuation byte or F8..FF
  // announces none. C0, C1 and F5..F7 fail the range check below.
  const std::size_t len = b0 < 0xC0 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF8 ? 4 : 0;
  if (len == 0 || len > s.size() - i) return 0;
  char32_t v = b0 & (0x7Fu >> len);
  unsigned notContinuation = 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    notContinuation |= (b & 0xC0u) ^ 0x80u;
    v = (v << 6) | (b & 0x3Fu);
  }
  // The least character of each length: anything below it is an overlong form.
  static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (notContinuation != 0 || v < kLeast[len] || !isUtf8Encodable(v)) return 0;
  c = v;
  return len;
}

// The character at s[i], advancing i past it; an ill-formed sequence reads
// as U+FFFD and consumes one byte. Requires i < s.size(). O(1).
inline char32_t decodeUtf8OrReplace(std::string_view s, std::size_t& i) noexcept {
  char32_t c = 0xFFFD;
  const std::size_t len = decodeUtf8At(s, i, c);
  i += len == 0 ? 1 : len;
  return c;
}

}  // namespace basis::detail
