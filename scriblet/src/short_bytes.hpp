#pragma once
// Up to 16 bytes read as two overlapping pieces (of 8, 4 or 1 bytes each),
// held in two registers and stored again from them: a copy of a few bytes
// without a call, and a test of them all for ASCII at once.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace scriblet::detail {

// The most bytes loadShort and storeShort carry.
inline constexpr std::size_t kShortBytes = 16;

struct ShortBytes {
  std::uint64_t head;
  std::uint64_t tail;
};

// The n bytes at p, 1 <= n <= kShortBytes.
inline ShortBytes loadShort(const unsigned char* p, std::size_t n) noexcept {
  if (n >= 8) {
    std::uint64_t h;
    std::uint64_t t;
    std::memcpy(&h, p, 8);
    std::memcpy(&t, p + n - 8, 8);
    return {h, t};
  }
  if (n >= 4) {
    std::uint32_t h;
    std::uint32_t t;
    std::memcpy(&h, p, 4);
    std::memcpy(&t, p + n - 4, 4);
    return {h, t};
  }
  return {p[0] | (std::uint64_t{p[n / 2]} << 8), p[n - 1]};
}

// Stores the n bytes that loadShort(_, n) read to d.
inline void storeShort(unsigned char* d, std::size_t n, ShortBytes w) noexcept {
  if (n >= 8) {
    std::memcpy(d, &w.head, 8);
    std::memcpy(d + n - 8, &w.tail, 8);
  } else if (n >= 4) {
    const auto h = static_cast<std::uint32_t>(w.head);
    const auto t = static_cast<std::uint32_t>(w.tail);
    std::memcpy(d, &h, 4);
    std::memcpy(d + n - 4, &t, 4);
  } else {
    d[0] = static_cast<unsigned char>(w.head);
    d[n / 2] = static_cast<unsigned char>(w.head >> 8);
    d[n - 1] = static_cast<unsigned char>(w.tail);
  }
}

inline bool isAscii(ShortBytes w) noexcept {
  return ((w.head | w.tail) & 0x8080808080808080u) == 0;
}

}  // namespace scriblet::detail
