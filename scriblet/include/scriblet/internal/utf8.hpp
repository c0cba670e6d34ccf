#pragma once
// The code-point arithmetic every text operation shares: encoded lengths,
// encoding, and decoding one code point forwards or backwards. The decoders
// take the buffer's bounds so that no walk reads outside its text, even one
// built unchecked from ill-formed bytes; on well-formed text the bound tests
// never fire.

#include <cstddef>
#include <cstdint>

namespace scriblet::detail {

// The replacement character stored in place of a surrogate.
inline constexpr char32_t kReplacement = 0xFFFD;

// True for U+D800 to U+DFFF, which a text cannot hold.
constexpr bool isSurrogate(std::uint32_t c) noexcept { return (c & 0xFFF800u) == 0xD800u; }

// c, or U+FFFD when c cannot be stored: a surrogate, or (in C++, where a
// char32_t can hold it) a value above U+10FFFF.
constexpr char32_t storable(char32_t c) noexcept {
  return isSurrogate(static_cast<std::uint32_t>(c)) || c > 0x10FFFF ? kReplacement : c;
}

// Bytes of the UTF-8 encoding of c, by value: 1, 2, 3 or 4.
constexpr std::size_t encodedLength(std::uint32_t c) noexcept {
  return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Bytes of the sequence a lead byte starts, by its high four bits: 0x0-0x7 one,
// 0xE three, 0xF four, anything else two.
constexpr std::size_t leadLength(unsigned char b) noexcept {
  // Two bits per high nibble, packed into one word: 0..7 -> 1, 8..D -> 2,
  // E -> 3, F -> 4 (stored minus one).
  constexpr std::uint32_t table = 0xE5550000u;
  return ((table >> ((b >> 4) * 2)) & 3u) + 1;
}

constexpr bool isContinuation(unsigned char b) noexcept { return (b & 0xC0) == 0x80; }

// Writes the encoding of c at out (encodedLength(c) bytes) and returns the
// position after it.
inline unsigned char* encode(std::uint32_t c, unsigned char* out) noexcept {
  if (c < 0x80) {
    *out++ = static_cast<unsigned char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<unsigned char>(0xC0 | c >> 6);
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<unsigned char>(0xE0 | c >> 12);
    *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<unsigned char>(0xF0 | c >> 18);
    *out++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The code point whose sequence starts at p, with its length taken from the
// lead byte. Reads leadLength(p[0]) bytes.
inline std::uint32_t decodeUnbounded(const unsigned char* p) noexcept {
  const std::uint32_t b0 = p[0];
  if (b0 < 0x80) return b0;
  const std::uint32_t b1 = p[1] & 0x3Fu;
  switch (b0 >> 4) {
    case 0xE:
      return (b0 & 0x0Fu) << 12 | b1 << 6 | (p[2] & 0x3Fu);
    case 0xF:
      return (b0 & 0x07u) << 18 | b1 << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    default:
      return (b0 & 0x1Fu) << 6 | b1;
  }
}

// The code point starting at offset o < n; a sequence cut off by the end of
// the buffer (only in ill-formed text) reads as U+FFFD.
inline std::uint32_t decodeAt(const unsigned char* p, std::size_t n, std::size_t o) noexcept {
  const unsigned char b0 = p[o];
  if (b0 < 0x80) [[likely]]
    return b0;
  if (leadLength(b0) > n - o) [[unlikely]]
    return kReplacement;
  return decodeUnbounded(p + o);
}

// The code point whose last byte is at e - 1 (e >= 1), never reading before
// p[0]. Reads back over continuation bytes as far as the lead byte.
inline std::uint32_t decodeBefore(const unsigned char* p, std::size_t e) noexcept {
  const std::uint32_t z = p[e - 1];
  if (z < 0x80) [[likely]]
    return z;
  if (e < 2) [[unlikely]]
    return kReplacement;
  const std::uint32_t y = p[e - 2];
  const std::uint32_t c = (z & 0x3Fu) | (y & 0x3Fu) << 6;
  if (y & 0x40u) return c;
  if (e < 3) [[unlikely]]
    return kReplacement;
  const std::uint32_t x = p[e - 3];
  if (x & 0x40u) return (x & 0x0Fu) << 12 | c;
  if (e < 4) [[unlikely]]
    return kReplacement;
  return (p[e - 4] & 0x07u) << 18 | (x & 0x3Fu) << 12 | c;
}

// The same as decodeBefore with no lower bound: e must end a whole sequence.
inline std::uint32_t decodeBeforeUnbounded(const unsigned char* p, std::size_t e) noexcept {
  const std::uint32_t z = p[e - 1];
  if (z < 0x80) return z;
  const std::uint32_t y = p[e - 2];
  const std::uint32_t c = (z & 0x3Fu) | (y & 0x3Fu) << 6;
  if (y & 0x40u) return c;
  const std::uint32_t x = p[e - 3];
  if (x & 0x40u) return (x & 0x0Fu) << 12 | c;
  return (p[e - 4] & 0x07u) << 18 | (x & 0x3Fu) << 12 | c;
}

// A forward walk step: the code point at o and the offset after it.
struct Step {
  std::uint32_t cp;
  std::size_t next;
};
inline Step stepForward(const unsigned char* p, std::size_t n, std::size_t o) noexcept {
  const std::uint32_t c = decodeAt(p, n, o);
  return {c, o + encodedLength(c)};
}
// A backward walk step from end offset e > 0: the code point ending at e and
// the offset where it starts (never below 0).
inline Step stepBackward(const unsigned char* p, std::size_t e) noexcept {
  const std::uint32_t c = decodeBefore(p, e);
  const std::size_t m = encodedLength(c);
  return {c, m < e ? e - m : 0};
}

}  // namespace scriblet::detail
