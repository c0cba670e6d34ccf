#pragma once
// UUID: a 128-bit value held as two 64-bit words; UnpackedUUID, its record
// of eleven fields; the word and byte conversions, version stamping, and the
// equality and ordering of both.
//
// Byte k (0 to 15) is the k-th byte in network order, the order of the
// canonical text, the binary form and `toList`. The first word holds bytes 0
// to 7, the second bytes 8 to 15, most significant byte first.

#include <array>
#include <compare>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include <basis/bytes.hpp>
#include <basis/lazy.hpp>

#include "stampwell/internal/builder.hpp"

namespace stampwell {

class UUID {
 public:
  // The nil UUID (both words 0).
  constexpr UUID() noexcept = default;
  // The UUID whose first word holds bytes 0-7 and second word bytes 8-15.
  constexpr UUID(std::uint64_t first, std::uint64_t second) noexcept
      : first_(first), second_(second) {}

  // The two words, first then second. O(1).
  constexpr std::uint64_t firstWord() const noexcept { return first_; }
  constexpr std::uint64_t secondWord() const noexcept { return second_; }

  friend constexpr bool operator==(UUID a, UUID b) noexcept {
    return a.first_ == b.first_ && a.second_ == b.second_;
  }
  // The first words compared as unsigned numbers, then the second words: the
  // order of the 16 bytes and of the canonical texts.
  friend constexpr std::strong_ordering operator<=>(UUID a, UUID b) noexcept {
    if (a.first_ != b.first_) {
      return a.first_ < b.first_ ? std::strong_ordering::less : std::strong_ordering::greater;
    }
    if (a.second_ != b.second_) {
      return a.second_ < b.second_ ? std::strong_ordering::less : std::strong_ordering::greater;
    }
    return std::strong_ordering::equal;
  }

 private:
  std::uint64_t first_ = 0;
  std::uint64_t second_ = 0;
};

// The UUID whose two words are both 0.
inline constexpr UUID nil{};

// True exactly when both words are 0. O(1).
constexpr bool null(UUID u) noexcept { return u.firstWord() == 0 && u.secondWord() == 0; }

// The UUID of two words (first: bytes 0-7, second: bytes 8-15). O(1).
constexpr UUID fromWords64(std::uint64_t first, std::uint64_t second) noexcept {
  return UUID(first, second);
}
// The two words (bytes 0-7, bytes 8-15). O(1).
constexpr std::pair<std::uint64_t, std::uint64_t> toWords64(UUID u) noexcept {
  return {u.firstWord(), u.secondWord()};
}

// The UUID of four 32-bit words: bytes 0-3, 4-7, 8-11, 12-15. O(1).
constexpr UUID fromWords(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                         std::uint32_t d) noexcept {
  return UUID(std::uint64_t{a} << 32 | b, std::uint64_t{c} << 32 | d);
}
// The four 32-bit words: bytes 0-3, 4-7, 8-11, 12-15. O(1).
constexpr std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t> toWords(
    UUID u) noexcept {
  return {static_cast<std::uint32_t>(u.firstWord() >> 32),
          static_cast<std::uint32_t>(u.firstWord()),
          static_cast<std::uint32_t>(u.secondWord() >> 32),
          static_cast<std::uint32_t>(u.secondWord())};
}

// The 16 bytes, byte 0 first. O(1).
constexpr std::array<std::uint8_t, 16> toList(UUID u) noexcept {
  std::array<std::uint8_t, 16> out{};
  for (int i = 0; i < 8; ++i) {
    out[i] = static_cast<std::uint8_t>(u.firstWord() >> (56 - 8 * i));
    out[8 + i] = static_cast<std::uint8_t>(u.secondWord() >> (56 - 8 * i));
  }
  return out;
}

// The 16 bytes as a lazy byte string of one chunk. O(1); allocates the chunk.
inline basis::LazyByteString toByteString(UUID u) {
  const std::array<std::uint8_t, 16> bytes = toList(u);
  return basis::LazyByteString::fromStrict(std::string(bytes.begin(), bytes.end()));
}

// The UUID of exactly 16 bytes (bytes 0 to 15, however chunked), or nothing
// for any other length. Reads at most 17 bytes whatever the input's length;
// no version or variant bits are touched. Never throws.
inline std::optional<UUID> fromByteString(const basis::LazyByteString& bytes) noexcept {
  unsigned char buffer[16];
  std::size_t have = 0;
  for (const std::string& chunk : bytes.chunks()) {
    if (chunk.size() > 16 - have) return std::nullopt;  // a 17th byte exists
    std::memcpy(buffer + have, chunk.data(), chunk.size());
    have += chunk.size();
  }
  if (have != 16) return std::nullopt;
  std::uint64_t f = 0, s = 0;
  for (int i = 0; i < 8; ++i) {
    f = f << 8 | buffer[i];
    s = s << 8 | buffer[8 + i];
  }
  return UUID(f, s);
}

// The greater of x and y; y when they are equal.
constexpr UUID max(UUID x, UUID y) noexcept { return y < x ? x : y; }
// The lesser of x and y; x when they are equal.
constexpr UUID min(UUID x, UUID y) noexcept { return y < x ? y : x; }

// ---------------------------------------------------------------------------
// UnpackedUUID: the UUID's fields in byte order, each possibly deferred.

struct UnpackedUUID {
  basis::Lazy<std::uint32_t> time_low;             // bytes 0-3
  basis::Lazy<std::uint16_t> time_mid;             // bytes 4-5
  basis::Lazy<std::uint16_t> time_hi_and_version;  // bytes 6-7, version in the top 4 bits
  basis::Lazy<std::uint8_t> clock_seq_hi_res;      // byte 8, variant in the top bits
  basis::Lazy<std::uint8_t> clock_seq_low;         // byte 9
  basis::Lazy<std::uint8_t> node_0;                // bytes 10-15
  basis::Lazy<std::uint8_t> node_1;
  basis::Lazy<std::uint8_t> node_2;
  basis::Lazy<std::uint8_t> node_3;
  basis::Lazy<std::uint8_t> node_4;
  basis::Lazy<std::uint8_t> node_5;
};

namespace detail {

// Calls f(a.field, b.field) for each field in order while it returns true.
template <class F>
constexpr void forEachFieldPair(const UnpackedUUID& a, const UnpackedUUID& b, F&& f) {
  (void)(f(a.time_low, b.time_low) && f(a.time_mid, b.time_mid) &&
         f(a.time_hi_and_version, b.time_hi_and_version) &&
         f(a.clock_seq_hi_res, b.clock_seq_hi_res) && f(a.clock_seq_low, b.clock_seq_low) &&
         f(a.node_0, b.node_0) && f(a.node_1, b.node_1) && f(a.node_2, b.node_2) &&
         f(a.node_3, b.node_3) && f(a.node_4, b.node_4) && f(a.node_5, b.node_5));
}

// Walks the fields in order, forcing the first record's field and then the
// second's, and stops at the first pair that differs.
inline std::strong_ordering compareFields(const UnpackedUUID& a, const UnpackedUUID& b) {
  std::strong_ordering result = std::strong_ordering::equal;
  forEachFieldPair(a, b, [&](const auto& x, const auto& y) {
    const auto vx = x.force();
    const auto vy = y.force();
    if (vx == vy) return true;
    result = vx < vy ? std::strong_ordering::less : std::strong_ordering::greater;
    return false;
  });
  return result;
}

}  // namespace detail

// Field by field in byte order, evaluating fields only up to the first that
// differs. Throws what a reached field's evaluation throws.
inline bool operator==(const UnpackedUUID& a, const UnpackedUUID& b) {
  return detail::compareFields(a, b) == 0;
}
// The order of the first differing field, which is the order of the packed
// UUIDs. Evaluates and throws as `==` does.
inline std::strong_ordering operator<=>(const UnpackedUUID& a, const UnpackedUUID& b) {
  return detail::compareFields(a, b);
}
// y when x <= y, otherwise x (so y when they are equal). Compares as `<=>`
// does, x's field before y's at each step, and throws what that throws.
inline const UnpackedUUID& max(const UnpackedUUID& x, const UnpackedUUID& y) {
  return x <= y ? y : x;
}
// x when x <= y, otherwise y (so x when they are equal). Compares and throws
// as `max` does.
inline const UnpackedUUID& min(const UnpackedUUID& x, const UnpackedUUID& y) {
  return x <= y ? x : y;
}

// The fields of u, all already evaluated. O(1), no allocation.
inline UnpackedUUID unpack(UUID u) {
  const std::uint64_t f = u.firstWord();
  const std::uint64_t s = u.secondWord();
  auto byte = [&](int shift) { return static_cast<std::uint8_t>(s >> shift); };
  return UnpackedUUID{static_cast<std::uint32_t>(f >> 32),
                      static_cast<std::uint16_t>(f >> 16),
                      static_cast<std::uint16_t>(f),
                      byte(56),
                      byte(48),
                      byte(40),
                      byte(32),
                      byte(24),
                      byte(16),
                      byte(8),
                      byte(0)};
}

// The UUID of the record's fields, evaluated in field order (`time_low`
// first). Throws what a field's evaluation throws.
inline UUID pack(const UnpackedUUID& r) {
  std::uint64_t f = std::uint64_t{r.time_low.force()} << 32;
  f |= std::uint64_t{r.time_mid.force()} << 16;
  f |= r.time_hi_and_version.force();
  std::uint64_t s = 0;
  for (const basis::Lazy<std::uint8_t>* b :
       {&r.clock_seq_hi_res, &r.clock_seq_low, &r.node_0, &r.node_1, &r.node_2, &r.node_3,
        &r.node_4, &r.node_5}) {
    s = s << 8 | b->force();
  }
  return UUID(f, s);
}

// ---------------------------------------------------------------------------
// Version stamping.

// A signed machine integer of which only the low 24 bits are fed as bytes.
struct ThreeByte {
  std::int64_t value = 0;
  constexpr explicit ThreeByte(std::int64_t v) noexcept : value(v) {}
};

template <>
struct ByteSource<ThreeByte> {
  static constexpr std::size_t size = 3;
  static constexpr std::array<std::uint8_t, 3> bytes(ThreeByte x) noexcept {
    return detail::bigEndianBytes<3>(static_cast<std::uint64_t>(x.value));
  }
};

// The UUID of bytes b0..b15 stamped with the low 4 bits of `version` in the
// top of byte 6 and the variant bits 1 0 in the top of byte 8. O(1).
constexpr UUID buildFromBytes(std::uint8_t version, std::uint8_t b0, std::uint8_t b1,
                              std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                              std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                              std::uint8_t b8, std::uint8_t b9, std::uint8_t b10,
                              std::uint8_t b11, std::uint8_t b12, std::uint8_t b13,
                              std::uint8_t b14, std::uint8_t b15) noexcept {
  const std::uint8_t stamped6 = static_cast<std::uint8_t>(((version << 4) & 0xf0) | (b6 & 0x0f));
  const std::uint8_t stamped8 = static_cast<std::uint8_t>((b8 & 0x3f) | 0x80);
  std::uint64_t f = 0;
  for (std::uint8_t b : {b0, b1, b2, b3, b4, b5, stamped6, b7}) f = f << 8 | b;
  std::uint64_t s = 0;
  for (std::uint8_t b : {stamped8, b9, b10, b11, b12, b13, b14, b15}) s = s << 8 | b;
  return UUID(f, s);
}

// A byte consumer: `buildFromBytes` with the version supplied, waiting for
// the 16 bytes (see `feed`).
struct BytesBuilder {
  std::uint8_t version;
  constexpr UUID operator()(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                            std::uint8_t b4, std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                            std::uint8_t b8, std::uint8_t b9, std::uint8_t b10,
                            std::uint8_t b11, std::uint8_t b12, std::uint8_t b13,
                            std::uint8_t b14, std::uint8_t b15) const noexcept {
    return buildFromBytes(version, b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13,
                          b14, b15);
  }
};
// `buildFromBytes` with only the version given: a consumer of 16 bytes.
constexpr BytesBuilder buildFromBytes(std::uint8_t version) noexcept { return {version}; }

// The UUID of words x1..x4 (bytes 0-3, 4-7, 8-11, 12-15) stamped as
// `buildFromBytes` stamps: only the low 4 bits of `version` are used, so both
// give the same UUID for every version. O(1).
constexpr UUID buildFromWords(std::uint8_t version, std::uint32_t x1, std::uint32_t x2,
                              std::uint32_t x3, std::uint32_t x4) noexcept {
  const std::uint32_t low = (x2 & 0xffff0fffu) | (std::uint32_t{version} & 0x0fu) << 12;
  const std::uint32_t high = (x3 & 0x3fffffffu) | 0x80000000u;
  return UUID(std::uint64_t{x1} << 32 | low, std::uint64_t{high} << 32 | x4);
}

}  // namespace stampwell
