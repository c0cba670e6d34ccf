#pragma once
// The bulk scanning kernels behind the exported routines: UTF-8 validation,
// code-point counting, offsets by code point and ASCII tests, each in a
// portable form (whole 8-byte words), a 16-byte SSE form (part of the
// x86-64-v2 baseline) and, for validation and counting, a 32-byte AVX2 form
// chosen at run time. Every form returns exactly what the byte-at-a-time
// reference returns. The test program includes this header to
// check each form against the reference.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SCRIBLET_X86 1
#endif

#include "scriblet/internal/utf8.hpp"

namespace scriblet::scan {

using detail::isContinuation;

inline std::uint64_t loadWord(const unsigned char* p) noexcept {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// ---------------------------------------------------------------------------
// Validation.

// The reference walk from a sequence start `pos`: one sequence at a time,
// exactly the result codes of hs_scriblet_is_valid_utf8.
inline std::int32_t validateFrom(const unsigned char* p, std::size_t n, std::size_t pos) noexcept {
  while (pos < n) {
    const unsigned c = p[pos];
    if (c < 0x80) {
      ++pos;
    } else if (c < 0xC0) {
      return 1;  // a stray continuation byte
    } else if (c < 0xE0) {
      if ((c & 0x1E) == 0) return 1;  // C0, C1: overlong
      if (pos + 1 == n) return -1;
      if (!isContinuation(p[pos + 1])) return 1;
      pos += 2;
    } else if (c < 0xF0) {
      if (pos + 2 >= n) return static_cast<std::int32_t>(n - pos) - 3;
      const unsigned b1 = p[pos + 1];
      if (!isContinuation(static_cast<unsigned char>(b1))) return 1;
      if (c == 0xE0 && b1 < 0xA0) return 1;   // overlong
      if (c == 0xED && b1 >= 0xA0) return 1;  // a surrogate
      if (!isContinuation(p[pos + 2])) return 1;
      pos += 3;
    } else if (c < 0xF5) {
      if (pos + 3 >= n) return static_cast<std::int32_t>(n - pos) - 4;
      const unsigned b1 = p[pos + 1];
      if (!isContinuation(static_cast<unsigned char>(b1))) return 1;
      if (c == 0xF0 && b1 < 0x90) return 1;   // overlong
      if (c == 0xF4 && b1 >= 0x90) return 1;  // above U+10FFFF
      if (!isContinuation(p[pos + 2]) || !isContinuation(p[pos + 3])) return 1;
      pos += 4;
    } else {
      return 1;  // F5-FF
    }
  }
  return 0;
}

// The byte-at-a-time reference over the whole buffer.
inline std::int32_t validateReference(const unsigned char* p, std::size_t n) noexcept {
  return validateFrom(p, n, 0);
}

// Where the reference walk can resume after a checked prefix [0, s) that is
// well-formed except that its last sequence may run on past s: the last lead
// byte among the four bytes before s (a well-formed prefix has at most three
// continuation bytes in a row), or 0.
inline std::size_t resumePoint(const unsigned char* p, std::size_t s) noexcept {
  if (s == 0) return 0;
  std::size_t q = s - 1;
  const std::size_t lowest = s >= 4 ? s - 4 : 0;
  while (q > lowest && isContinuation(p[q])) --q;
  return q;
}

// Portable: a shift-based automaton, one table lookup and one shift per
// byte with no data-dependent branch; 16-byte runs of ASCII between
// sequences are passed in two words. Row b of the table holds, for every
// state s (at bit 6s), the state after byte b. An error, or an unfinished
// sequence at the end, is then located exactly by the reference walk from
// the last sequence start before the block where the automaton failed.
namespace dfa {
enum State : unsigned { kError, kAccept, kTail1, kTail2, kTail3, kAfterE0, kAfterED, kAfterF0, kAfterF4 };

constexpr unsigned next(unsigned s, unsigned b) noexcept {
  const bool cont = b >= 0x80 && b <= 0xBF;
  switch (s) {
    case kAccept:
      if (b < 0x80) return kAccept;
      if (b >= 0xC2 && b <= 0xDF) return kTail1;
      if (b == 0xE0) return kAfterE0;
      if (b == 0xED) return kAfterED;
      if (b >= 0xE1 && b <= 0xEF) return kTail2;
      if (b == 0xF0) return kAfterF0;
      if (b >= 0xF1 && b <= 0xF3) return kTail3;
      if (b == 0xF4) return kAfterF4;
      return kError;
    case kTail1:
      return cont ? kAccept : kError;
    case kTail2:
      return cont ? kTail1 : kError;
    case kTail3:
      return cont ? kTail2 : kError;
    case kAfterE0:
      return b >= 0xA0 && b <= 0xBF ? kTail1 : kError;
    case kAfterED:
      return b >= 0x80 && b <= 0x9F ? kTail1 : kError;
    case kAfterF0:
      return b >= 0x90 && b <= 0xBF ? kTail2 : kError;
    case kAfterF4:
      return b >= 0x80 && b <= 0x8F ? kTail2 : kError;
    default:
      return kError;
  }
}

struct Table {
  std::uint64_t row[256];
};
constexpr Table makeTable() noexcept {
  Table t{};
  for (unsigned b = 0; b < 256; ++b) {
    std::uint64_t r = 0;
    for (unsigned s = 0; s <= kAfterF4; ++s) r |= static_cast<std::uint64_t>(next(s, b) * 6) << (s * 6);
    t.row[b] = r;
  }
  return t;
}
inline constexpr Table kTable = makeTable();
}  // namespace dfa

inline std::int32_t validatePortable(const unsigned char* p, std::size_t n) noexcept {
  // Only the low six bits of the word are the state; the shift masks its
  // count to them for free, so each byte costs one dependent shift.
  constexpr std::uint64_t accept = dfa::kAccept * 6;
  constexpr std::uint64_t error = dfa::kError * 6;
  std::uint64_t state = accept;
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    if ((state & 63) == accept && ((loadWord(p + i) | loadWord(p + i + 8)) & kHighBits) == 0) continue;
    for (std::size_t k = 0; k < 16; ++k) state = dfa::kTable.row[p[i + k]] >> (state & 63);
    if ((state & 63) == error) return validateFrom(p, n, resumePoint(p, i));
  }
  const std::size_t tail = i;
  for (; i < n; ++i) state = dfa::kTable.row[p[i]] >> (state & 63);
  if ((state & 63) == accept) return 0;
  return validateFrom(p, n, resumePoint(p, tail));
}

#if defined(SCRIBLET_X86)

// Error classes of a two-byte window (lead, next), after the lookup method of
// Keiser and Lemire: three table lookups on nibbles, ANDed, leave a bit set
// exactly for the ill-formed pairs.
namespace lookup {
inline constexpr std::uint8_t kTooShort = 1 << 0;   // lead followed by a non-continuation
inline constexpr std::uint8_t kTooLong = 1 << 1;    // ASCII followed by a continuation
inline constexpr std::uint8_t kOverlong3 = 1 << 2;  // E0 80..9F
inline constexpr std::uint8_t kTooLarge = 1 << 3;   // F4 90.. and above
inline constexpr std::uint8_t kSurrogate = 1 << 4;  // ED A0..BF
inline constexpr std::uint8_t kOverlong2 = 1 << 5;  // C0, C1
inline constexpr std::uint8_t kTooLarge1000 = 1 << 6;
inline constexpr std::uint8_t kOverlong4 = 1 << 6;  // F0 80..8F
inline constexpr std::uint8_t kTwoConts = 1 << 7;   // continuation after continuation
inline constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

alignas(16) inline constexpr std::uint8_t kByte1High[16] = {
    kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
    kTwoConts, kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
    kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
alignas(16) inline constexpr std::uint8_t kByte1Low[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
    kCarry | kTooLarge, kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
    kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000};
alignas(16) inline constexpr std::uint8_t kByte2High[16] = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooShort, kTooShort, kTooShort, kTooShort};
inline __m128i table(const std::uint8_t (&t)[16]) noexcept {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(t));
}
}  // namespace lookup

#if defined(__SSE4_1__)
#define SCRIBLET_HAVE_SSE_KERNELS 1

inline __m128i checkBlock16(__m128i in, __m128i prev) noexcept {
  using namespace lookup;
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i prev1 = _mm_alignr_epi8(in, prev, 15);
  const __m128i t1 = table(kByte1High);
  const __m128i t2 = table(kByte1Low);
  const __m128i t3 = table(kByte2High);
  const __m128i b1h = _mm_shuffle_epi8(t1, _mm_and_si128(_mm_srli_epi16(prev1, 4), nibble));
  const __m128i b1l = _mm_shuffle_epi8(t2, _mm_and_si128(prev1, nibble));
  const __m128i b2h = _mm_shuffle_epi8(t3, _mm_and_si128(_mm_srli_epi16(in, 4), nibble));
  const __m128i special = _mm_and_si128(_mm_and_si128(b1h, b1l), b2h);
  // A continuation after a continuation is right exactly where it is the
  // third or fourth byte of a sequence.
  const __m128i prev2 = _mm_alignr_epi8(in, prev, 14);
  const __m128i prev3 = _mm_alignr_epi8(in, prev, 13);
  const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m128i must23 =
      _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(static_cast<char>(0x80)));
  return _mm_xor_si128(must23, special);
}

// Nonzero when the block ends inside a sequence (a lead among its last bytes).
inline __m128i incompleteTail16(__m128i in) noexcept {
  const __m128i limits = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                       static_cast<char>(0xF0 - 1), static_cast<char>(0xE0 - 1),
                                       static_cast<char>(0xC0 - 1));
  return _mm_subs_epu8(in, limits);
}

// The 16 bytes at p + at, with zeros for those at or past n, read only from
// inside [0, n); n >= 16.
inline __m128i loadUpTo16(const unsigned char* p, std::size_t n, std::size_t at) noexcept {
  if (at + 16 <= n) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
  if (at >= n) return _mm_setzero_si128();
  // The last 16 bytes, moved down to their places; lanes past n select zero.
  const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
  const __m128i index = _mm_add_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                                     _mm_set1_epi8(static_cast<char>(at + 16 - n)));
  return _mm_shuffle_epi8(last, _mm_or_si128(index, _mm_cmpgt_epi8(index, _mm_set1_epi8(15))));
}

// The n < 16 bytes at p (n > 0) and zeros after them, read as overlapping
// words.
inline __m128i loadShort16(const unsigned char* p, std::size_t n) noexcept {
  if (n >= 8) {
    const std::uint64_t high = n == 8 ? 0 : loadWord(p + n - 8) >> (8 * (16 - n));
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(loadWord(p)));
  }
  std::uint64_t w;
  if (n >= 4) {
    std::uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    w = first | static_cast<std::uint64_t>(last) << (8 * (n - 4));
  } else {
    w = p[0] | static_cast<std::uint64_t>(p[n / 2]) << (8 * (n / 2)) |
        static_cast<std::uint64_t>(p[n - 1]) << (8 * (n - 1));
  }
  return _mm_cvtsi64_si128(static_cast<long long>(w));
}

// The 64 bytes at p + at (at < n, n >= 64) with zeros past n.
struct Block64 {
  __m128i v[4];
};
inline Block64 loadTail64(const unsigned char* p, std::size_t n, std::size_t at) noexcept {
  return {{loadUpTo16(p, n, at), loadUpTo16(p, n, at + 16), loadUpTo16(p, n, at + 32),
           loadUpTo16(p, n, at + 48)}};
}

// Under 64 bytes: up to four vectors read without passing the end, one test
// for ASCII, then the checks of the vectors that hold the bytes.
inline std::int32_t validateShortSse(const unsigned char* p, std::size_t n) noexcept {
  if (n == 0) return 0;
  const __m128i zero = _mm_setzero_si128();
  __m128i v0, v1 = zero, v2 = zero, v3 = zero;
  if (n < 16) {
    v0 = loadShort16(p, n);
  } else {
    v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    v1 = loadUpTo16(p, n, 16);
    v2 = loadUpTo16(p, n, 32);
    v3 = loadUpTo16(p, n, 48);
  }
  if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(v0, v1), _mm_or_si128(v2, v3))) == 0) return 0;
  // Up to the vector that holds the first zero after the bytes, which also
  // fails an unfinished last sequence.
  __m128i error = checkBlock16(v0, zero);
  if (n >= 16) error = _mm_or_si128(error, checkBlock16(v1, v0));
  if (n >= 32) error = _mm_or_si128(error, checkBlock16(v2, v1));
  if (n >= 48) error = _mm_or_si128(error, checkBlock16(v3, v2));
  if (_mm_testz_si128(error, error)) return 0;
  return validateReference(p, n);
}

// True when the 64 bytes at q are ASCII.
inline bool asciiBlockSse(const unsigned char* q) noexcept {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 32));
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 48));
  return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0;
}

// 64 bytes per iteration. A block of ASCII needs one test; at the first one
// after other bytes, an unfinished sequence before it is an error, and a
// run of further ASCII blocks is then passed over with one test each (ASCII
// before a block checks as zeros do). Other blocks are checked in 16-byte
// steps, tested in pairs. The last partial block is checked with zeros after
// the buffer's end (read without reading past it), which also fails an
// unfinished last sequence. An error is then located exactly by the
// reference walk from the last sequence start before the block where it was
// found.
inline std::int32_t validateSse(const unsigned char* p, std::size_t n) noexcept {
  if (n < 64) return validateShortSse(p, n);
  const __m128i zero = _mm_setzero_si128();
  __m128i prev = zero;
  __m128i prevIncomplete = zero;
  std::size_t i = 0;
  while (i + 64 <= n) {
    if (asciiBlockSse(p + i)) {
      if (!_mm_testz_si128(prevIncomplete, prevIncomplete)) return validateFrom(p, n, resumePoint(p, i));
      prev = prevIncomplete = zero;
      for (i += 64; i + 64 <= n && asciiBlockSse(p + i);) i += 64;
      continue;
    }
    for (std::size_t k = 0; k < 64; k += 32) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + k + 16));
      const __m128i error = _mm_or_si128(checkBlock16(a, prev), checkBlock16(b, a));
      prev = b;
      if (!_mm_testz_si128(error, error)) return validateFrom(p, n, resumePoint(p, i));
    }
    prevIncomplete = incompleteTail16(prev);
    i += 64;
  }
  __m128i error = prevIncomplete;
  if (i < n) {
    const Block64 t = loadTail64(p, n, i);
    error = _mm_or_si128(_mm_or_si128(checkBlock16(t.v[0], prev), checkBlock16(t.v[1], t.v[0])),
                         _mm_or_si128(checkBlock16(t.v[2], t.v[1]), checkBlock16(t.v[3], t.v[2])));
  }
  if (!_mm_testz_si128(error, error)) return validateFrom(p, n, resumePoint(p, i));
  return 0;
}

#endif  // __SSE4_1__

#define SCRIBLET_HAVE_AVX2_KERNELS 1

__attribute__((target("avx2"))) inline __m256i prevBytes32(__m256i in, __m256i prev, int n) noexcept {
  const __m256i joined = _mm256_permute2x128_si256(prev, in, 0x21);
  switch (n) {
    case 1:
      return _mm256_alignr_epi8(in, joined, 15);
    case 2:
      return _mm256_alignr_epi8(in, joined, 14);
    default:
      return _mm256_alignr_epi8(in, joined, 13);
  }
}

__attribute__((target("avx2"))) inline __m256i checkBlock32(__m256i in, __m256i prev) noexcept {
  using namespace lookup;
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i prev1 = prevBytes32(in, prev, 1);
  const __m256i t1 = _mm256_broadcastsi128_si256(table(kByte1High));
  const __m256i t2 = _mm256_broadcastsi128_si256(table(kByte1Low));
  const __m256i t3 = _mm256_broadcastsi128_si256(table(kByte2High));
  const __m256i b1h =
      _mm256_shuffle_epi8(t1, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble));
  const __m256i b1l = _mm256_shuffle_epi8(t2, _mm256_and_si256(prev1, nibble));
  const __m256i b2h = _mm256_shuffle_epi8(t3, _mm256_and_si256(_mm256_srli_epi16(in, 4), nibble));
  const __m256i special = _mm256_and_si256(_mm256_and_si256(b1h, b1l), b2h);
  const __m256i third =
      _mm256_subs_epu8(prevBytes32(in, prev, 2), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth =
      _mm256_subs_epu8(prevBytes32(in, prev, 3), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i must23 =
      _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(must23, special);
}

#if defined(SCRIBLET_HAVE_SSE_KERNELS)
// True when the 64 bytes at q are ASCII.
__attribute__((target("avx2"))) inline bool asciiBlockAvx2(const unsigned char* q) noexcept {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32));
  return _mm256_movemask_epi8(_mm256_or_si256(a, b)) == 0;
}

// As validateSse, in two 32-byte steps per 64-byte block.
__attribute__((target("avx2"))) inline std::int32_t validateAvx2(const unsigned char* p,
                                                                 std::size_t n) noexcept {
  if (n < 64) return validateShortSse(p, n);
  const __m256i limits = _mm256_setr_epi8(
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1), static_cast<char>(0xE0 - 1),
      static_cast<char>(0xC0 - 1));
  const __m256i zero = _mm256_setzero_si256();
  __m256i prev = zero;
  __m256i prevIncomplete = zero;
  std::size_t i = 0;
  while (i + 64 <= n) {
    if (asciiBlockAvx2(p + i)) {
      if (!_mm256_testz_si256(prevIncomplete, prevIncomplete)) return validateFrom(p, n, resumePoint(p, i));
      prev = prevIncomplete = zero;
      for (i += 64; i + 64 <= n && asciiBlockAvx2(p + i);) i += 64;
      continue;
    }
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32));
    const __m256i error = _mm256_or_si256(checkBlock32(a, prev), checkBlock32(b, a));
    prevIncomplete = _mm256_subs_epu8(b, limits);
    prev = b;
    if (!_mm256_testz_si256(error, error)) return validateFrom(p, n, resumePoint(p, i));
    i += 64;
  }
  __m256i error = prevIncomplete;
  if (i < n) {
    const Block64 t = loadTail64(p, n, i);
    const __m256i a = _mm256_set_m128i(t.v[1], t.v[0]);
    const __m256i b = _mm256_set_m128i(t.v[3], t.v[2]);
    error = _mm256_or_si256(checkBlock32(a, prev), checkBlock32(b, a));
  }
  if (!_mm256_testz_si256(error, error)) return validateFrom(p, n, resumePoint(p, i));
  return 0;
}

#endif  // SCRIBLET_HAVE_SSE_KERNELS

#endif  // SCRIBLET_X86

// ---------------------------------------------------------------------------
// Code-point counting: the bytes that are not continuation bytes.

inline std::uint64_t lengthReference(const unsigned char* p, std::size_t n) noexcept {
  std::uint64_t k = 0;
  for (std::size_t i = 0; i < n; ++i) k += !isContinuation(p[i]);
  return k;
}

inline std::uint64_t lengthPortable(const unsigned char* p, std::size_t n) noexcept {
  std::uint64_t continuations = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t w = loadWord(p + i);
    // High bit set and the next bit clear: 10xxxxxx.
    continuations += static_cast<std::uint64_t>(__builtin_popcountll(w & ~(w << 1) & kHighBits));
  }
  for (; i < n; ++i) continuations += isContinuation(p[i]);
  return n - continuations;
}

#if defined(SCRIBLET_X86)
inline std::uint64_t lengthSse(const unsigned char* p, std::size_t n) noexcept {
  const __m128i threshold = _mm_set1_epi8(-65);  // bytes above 0xBF or below 0x80, signed
  std::uint64_t total = 0;
  std::size_t i = 0;
  while (i + 16 <= n) {
    __m128i counts = _mm_setzero_si128();
    // At most 255 rounds before the byte counters would wrap.
    const std::size_t rounds = (n - i) / 16 < 255 ? (n - i) / 16 : 255;
    for (std::size_t r = 0; r < rounds; ++r, i += 16) {
      const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      counts = _mm_sub_epi8(counts, _mm_cmpgt_epi8(in, threshold));
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    total += static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::uint64_t>(_mm_extract_epi16(sums, 4));
  }
  return total + lengthPortable(p + i, n - i);
}

// All ones in the lanes of bytes that are not continuation bytes: those
// above `threshold` (-65 in every lane), signed.
__attribute__((target("avx2"))) inline __m256i startsAvx2(const unsigned char* q, __m256i threshold) noexcept {
  return _mm256_cmpgt_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(q)), threshold);
}

// Four 32-byte vectors per step into one set of byte counters (at most 63
// steps before they would wrap), summed into 64-bit lanes between rounds;
// the last partial vector is a load ending at the buffer's end with the
// bytes already counted masked off.
__attribute__((target("avx2"))) inline std::uint64_t lengthAvx2(const unsigned char* p,
                                                                std::size_t n) noexcept {
  const __m256i zero = _mm256_setzero_si256();
  __m256i threshold = _mm256_set1_epi8(-65);
  // Kept opaque: compared with a known constant, the compiler spells the one
  // comparison as a minimum and an equality test.
  __asm__("" : "+x"(threshold));
  __m256i sums = zero;
  std::size_t i = 0;
  while (i + 128 <= n) {
    __m256i counts = zero;
    const std::size_t steps = (n - i) / 128 < 63 ? (n - i) / 128 : 63;
    for (std::size_t r = 0; r < steps; ++r, i += 128) {
      const __m256i pair1 = _mm256_add_epi8(startsAvx2(p + i, threshold), startsAvx2(p + i + 32, threshold));
      const __m256i pair2 = _mm256_add_epi8(startsAvx2(p + i + 64, threshold), startsAvx2(p + i + 96, threshold));
      counts = _mm256_sub_epi8(counts, _mm256_add_epi8(pair1, pair2));
    }
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(counts, zero));
  }
  __m256i counts = zero;
  for (; i + 32 <= n; i += 32) counts = _mm256_sub_epi8(counts, startsAvx2(p + i, threshold));
  if (i < n && n >= 32) {
    // Lanes below 32 - (n - i) were counted already.
    alignas(32) static constexpr signed char kTailMask[64] = {
        0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
        0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const __m256i keep = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kTailMask + (n - i)));
    counts = _mm256_sub_epi8(counts, _mm256_and_si256(startsAvx2(p + n - 32, threshold), keep));
    i = n;
  }
  sums = _mm256_add_epi64(sums, _mm256_sad_epu8(counts, zero));
  const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  const std::uint64_t total = static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) +
                              static_cast<std::uint64_t>(_mm_extract_epi64(half, 1));
  return total + lengthPortable(p + i, n - i);
}
#endif

// ---------------------------------------------------------------------------
// Offsets by code point: the walk behind hs_scriblet_index_ofs, which steps
// by the length each lead byte announces (whatever the bytes after it are).

// The walk from `ofs` < n with i > 0 steps to go: n when fewer than i + 1
// code points fit in the bytes left or a step lands at or past n.
inline std::uint64_t indexOffsetFrom(const unsigned char* p, std::uint64_t n, std::uint64_t ofs,
                                     std::uint64_t i) noexcept {
  for (;;) {
    if (i >= n - ofs) return n;
    ofs += detail::leadLength(p[ofs]);
    if (--i == 0) return ofs < n ? ofs : n;
    if (ofs >= n) return n;
  }
}

inline std::uint64_t indexOffsetReference(const unsigned char* p, std::uint64_t n,
                                          std::uint64_t i) noexcept {
  if (n == 0 || i == 0) return 0;
  return indexOffsetFrom(p, n, 0, i);
}

// The walk behind hs_scriblet_index_ofs_rev, from the end: each step goes
// back over one code point, 1 byte for ASCII, else to the nearest
// non-continuation byte among the 2nd to 4th bytes back (the 4th whatever
// it is), never below 0. From `pos` (n, or where a step landed) with i
// steps to go after the next: where the (i + 1)th step lands, or n when
// fewer than i + 1 steps fit in the bytes before pos.
inline std::uint64_t stepBack(const unsigned char* p, std::uint64_t pos) noexcept {
  std::uint64_t back = 1;
  if (p[pos - 1] >= 0x80) {
    back = 2;
    while (back < 4 && back < pos && isContinuation(p[pos - back])) ++back;
    if (back > pos) back = pos;
  }
  return pos - back;
}

inline std::uint64_t indexOffsetRevFrom(const unsigned char* p, std::uint64_t n, std::uint64_t pos,
                                        std::uint64_t i) noexcept {
  for (;;) {
    if (i >= pos) return n;
    pos = stepBack(p, pos);
    if (i == 0) return pos;
    --i;
  }
}

inline std::uint64_t indexOffsetRevReference(const unsigned char* p, std::uint64_t n,
                                             std::uint64_t i) noexcept {
  return indexOffsetRevFrom(p, n, n, i);
}

#if defined(SCRIBLET_HAVE_SSE_KERNELS)
// The bytes of a 64-byte block by class, bit k for byte k: continuation
// bytes (80..BF) and lead bytes of two or more (C0..FF), three or more
// (E0..FF) and four (F0..FF) bytes by the lead-length rule. Each class is a
// run of high bits, read by moving bits 6, 5 and 4 of every byte to the top.
struct BlockMarks {
  std::uint64_t cont, lead2, lead3, lead4;
};

inline BlockMarks marksFromBits(std::uint64_t b7, std::uint64_t b6, std::uint64_t b5,
                                std::uint64_t b4) noexcept {
  const std::uint64_t lead2 = b7 & b6;
  const std::uint64_t lead3 = lead2 & b5;
  return {b7 & ~b6, lead2, lead3, lead3 & b4};
}

inline BlockMarks blockMarksSse(const unsigned char* q) noexcept {
  std::uint64_t b[4] = {0, 0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * k));
    for (int bit = 0; bit < 4; ++bit) {
      b[bit] |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))) << (16 * k);
      v = _mm_add_epi8(v, v);
    }
  }
  return marksFromBits(b[0], b[1], b[2], b[3]);
}

// Blocks of 64 bytes while more than 64 steps remain. Where the continuation
// bytes of a stretch of text are exactly those its lead bytes announce, the
// walk steps on each other byte in turn: a block then costs as many steps as
// it has such bytes, counted at once, and the sequences announced past its
// end are carried into the next block's test. The blocks are read whatever
// the walk's position, so they follow each other without waiting on it;
// that position (after the last sequence started so far) is worked out when
// the walk leaves them. A block that fails the test (only in ill-formed
// text) is walked a step at a time from the walk's position, and the blocks
// start again where that leaves off. Steps taken over the blocks can end the
// walk only at n (more steps remain than any block holds), so the walk's
// own tests are made once, where it resumes. The same offsets as the
// reference on every input.
template <bool (*ascii)(const unsigned char*) noexcept, BlockMarks (*marks)(const unsigned char*) noexcept>
inline std::uint64_t indexOffsetBlocks(const unsigned char* p, std::uint64_t n, std::uint64_t i) noexcept {
  if (n == 0 || i == 0) return 0;
  std::uint64_t block = 0;
  std::uint64_t carry = 0;       // continuation bytes announced into this block
  std::uint64_t lastStarts = 0;  // the sequence starts of the block before it
  // The walk's position at the start of a block: after the last sequence
  // started in the block before, when that runs into this one.
  auto position = [&]() noexcept -> std::uint64_t {
    if (carry == 0) return block;
    const std::uint64_t last = block - 64 + 63u - static_cast<unsigned>(__builtin_clzll(lastStarts));
    return last + detail::leadLength(p[last]);
  };
  while (i > 64 && n - block >= 64) {
    // A run of ASCII blocks, entered at their first byte: one test each.
    if (carry == 0 && ascii(p + block)) {
      do {
        block += 64;
        i -= 64;
      } while (i > 64 && n - block >= 64 && ascii(p + block));
      continue;
    }
    // A run of other blocks, until one of ASCII is entered at its first byte
    // (tested on the bits already at hand, so that a run of text that is not
    // ASCII pays no test of its own).
    for (;;) {
      const unsigned char* q = p + block;
      const BlockMarks m = marks(q);
      if ((m.lead2 << 1 | m.lead3 << 2 | m.lead4 << 3 | carry) != m.cont) {
        std::uint64_t ofs = position();
        for (const std::uint64_t end = block + 64; ofs < end;) {
          if (i >= n - ofs) return n;
          ofs += detail::leadLength(p[ofs]);
          if (--i == 0) return ofs < n ? ofs : n;
          if (ofs >= n) return n;
        }
        block = ofs;
        carry = 0;
        break;
      }
      // A clean block has a sequence start: the carry covers at most 3 bytes.
      lastStarts = ~m.cont;
      i -= static_cast<std::uint64_t>(__builtin_popcountll(lastStarts));
      const bool plain = (m.cont | m.lead2) == 0;
      carry = m.lead2 >> 63 | m.lead3 >> 62 | m.lead4 >> 61;
      block += 64;
      if (plain || i <= 64 || n - block < 64) break;
    }
  }
  const std::uint64_t ofs = position();
  if (ofs >= n) return n;
  return indexOffsetFrom(p, n, ofs, i);
}

inline std::uint64_t indexOffsetSse(const unsigned char* p, std::uint64_t n, std::uint64_t i) noexcept {
  return indexOffsetBlocks<asciiBlockSse, blockMarksSse>(p, n, i);
}

__attribute__((target("avx2"))) inline BlockMarks blockMarksAvx2(const unsigned char* q) noexcept {
  __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
  __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32));
  std::uint64_t b[4];
  for (int bit = 0; bit < 4; ++bit) {
    b[bit] = static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(lo))) |
             static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(hi))) << 32;
    lo = _mm256_add_epi8(lo, lo);
    hi = _mm256_add_epi8(hi, hi);
  }
  return marksFromBits(b[0], b[1], b[2], b[3]);
}

__attribute__((target("avx2"), flatten)) inline std::uint64_t indexOffsetAvx2(const unsigned char* p,
                                                                             std::uint64_t n,
                                                                             std::uint64_t i) noexcept {
  return indexOffsetBlocks<asciiBlockAvx2, blockMarksAvx2>(p, n, i);
}

// From the end, blocks of 64 bytes ending at n, n - 64, ... while 64 steps
// or more remain. Where no run of continuation bytes is longer than three
// and every byte C0..FF is followed by a continuation byte, each step back
// lands on the nearest byte before it that is not a continuation byte: a
// block then costs as many steps as it has such bytes, counted at once (a
// block of ASCII needs one test). The test of the runs and lead bytes at a
// block's top reads the first bits of the block above; the walk's position
// (on the lowest such byte of the block above, after the continuation bytes
// it starts with) is worked out once, where the walk leaves the blocks. A
// block that fails the test (only in ill-formed text) is walked a step at a
// time from the walk's position, and the blocks start again below where
// that leaves off, with nothing above them to read (a step looks only at
// the bytes below where it starts). The same offsets as the reference on
// every input.
template <bool (*ascii)(const unsigned char*) noexcept, BlockMarks (*marks)(const unsigned char*) noexcept>
inline std::uint64_t indexOffsetRevBlocks(const unsigned char* p, std::uint64_t n, std::uint64_t i) noexcept {
  if (i >= n) return n;
  std::uint64_t top = n;    // the end of the next block
  std::uint64_t above = 0;  // the continuation bytes of the block above, or 0 at a step's landing
  // A clean block has a byte that is not a continuation byte, so the
  // position is at most 3 bytes above `top`.
  auto position = [&]() noexcept -> std::uint64_t {
    return top + static_cast<unsigned>(__builtin_ctzll(~above));
  };
  while (i >= 64 && top >= 64) {
    // A run of ASCII blocks: one test each. Nothing is carried into it (it
    // starts at n, after a block of ASCII or below a walked block) or out.
    if (ascii(p + top - 64)) {
      do {
        top -= 64;
        i -= 64;
      } while (i >= 64 && top >= 64 && ascii(p + top - 64));
      continue;
    }
    // A run of other blocks, until one of ASCII.
    for (;;) {
      const BlockMarks m = marks(p + top - 64);
      // Bit k: the byte k + 1 (+ 2, + 3) places up is a continuation byte.
      const std::uint64_t next1 = m.cont >> 1 | above << 63;
      const std::uint64_t next2 = m.cont >> 2 | above << 62;
      const std::uint64_t next3 = m.cont >> 3 | above << 61;
      if ((m.cont & next1 & next2 & next3) | (m.lead2 & ~next1)) {
        const std::uint64_t bottom = top - 64;
        std::uint64_t pos = position();
        do {
          if (i >= pos) return n;
          pos = stepBack(p, pos);
          if (i == 0) return pos;
          --i;
        } while (pos > bottom);
        top = pos;
        above = 0;
        break;
      }
      i -= 64 - static_cast<std::uint64_t>(__builtin_popcountll(m.cont));
      above = m.cont;
      top -= 64;
      if ((m.cont | m.lead2) == 0 || i < 64 || top < 64) break;
    }
  }
  return indexOffsetRevFrom(p, n, position(), i);
}

inline std::uint64_t indexOffsetRevSse(const unsigned char* p, std::uint64_t n, std::uint64_t i) noexcept {
  return indexOffsetRevBlocks<asciiBlockSse, blockMarksSse>(p, n, i);
}

__attribute__((target("avx2"), flatten)) inline std::uint64_t indexOffsetRevAvx2(const unsigned char* p,
                                                                                std::uint64_t n,
                                                                                std::uint64_t i) noexcept {
  return indexOffsetRevBlocks<asciiBlockAvx2, blockMarksAvx2>(p, n, i);
}
#endif

// ---------------------------------------------------------------------------
// ASCII tests.

inline std::uint64_t asciiLengthReference(const unsigned char* p, std::size_t n) noexcept {
  std::size_t i = 0;
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

// Whole 8-byte words first, then byte by byte from the first word with a high
// bit set (or from after the last whole word).
inline std::uint64_t asciiLengthPortable(const unsigned char* p, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t high = loadWord(p + i) & kHighBits;
    if (high != 0) return i + static_cast<std::size_t>(__builtin_ctzll(high)) / 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

inline bool isAsciiPortable(const unsigned char* p, std::size_t n) noexcept {
  std::size_t i = 0;
  std::uint64_t any = 0;
  for (; i + 32 <= n; i += 32) {
    any |= loadWord(p + i) | loadWord(p + i + 8) | loadWord(p + i + 16) | loadWord(p + i + 24);
    if (any & kHighBits) return false;
  }
  for (; i + 8 <= n; i += 8) any |= loadWord(p + i);
  for (; i < n; ++i) any |= p[i];
  return (any & kHighBits) == 0;
}

#if defined(SCRIBLET_X86)
inline std::uint64_t asciiLengthSse(const unsigned char* p, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const int mask = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
  return i + asciiLengthPortable(p + i, n - i);
}

inline bool isAsciiSse(const unsigned char* p, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 48));
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) return false;
  }
  return isAsciiPortable(p + i, n - i);
}
#endif

}  // namespace scriblet::scan
