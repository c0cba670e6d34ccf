#pragma once
// The bulk scanning kernels behind the exported routines: UTF-8 validation,
// code-point counting and ASCII tests, each in a portable form (whole 8-byte
// words), a 16-byte SSE form (part of the x86-64-v2 baseline) and a 32-byte
// AVX2 form chosen at run time. Every form returns exactly what the
// byte-at-a-time reference returns. The test program includes this header to
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

inline std::int32_t validateSse(const unsigned char* p, std::size_t n) noexcept {
  __m128i prev = _mm_setzero_si128();
  __m128i prevIncomplete = _mm_setzero_si128();
  const std::size_t whole = n & ~std::size_t{15};
  for (std::size_t i = 0; i < whole; i += 16) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i error;
    if (_mm_movemask_epi8(in) == 0) {
      error = prevIncomplete;
      prevIncomplete = _mm_setzero_si128();
    } else {
      error = checkBlock16(in, prev);
      prevIncomplete = incompleteTail16(in);
    }
    if (!_mm_testz_si128(error, error)) return validateFrom(p, n, resumePoint(p, i));
    prev = in;
  }
  return validateFrom(p, n, resumePoint(p, whole));
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

__attribute__((target("avx2"))) inline std::int32_t validateAvx2(const unsigned char* p,
                                                                 std::size_t n) noexcept {
  const __m256i limits = _mm256_setr_epi8(
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1), static_cast<char>(0xE0 - 1),
      static_cast<char>(0xC0 - 1));
  __m256i prev = _mm256_setzero_si256();
  __m256i prevIncomplete = _mm256_setzero_si256();
  const std::size_t whole = n & ~std::size_t{31};
  for (std::size_t i = 0; i < whole; i += 32) {
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    __m256i error;
    if (_mm256_movemask_epi8(in) == 0) {
      error = prevIncomplete;
      prevIncomplete = _mm256_setzero_si256();
    } else {
      error = checkBlock32(in, prev);
      prevIncomplete = _mm256_subs_epu8(in, limits);
    }
    if (!_mm256_testz_si256(error, error)) return validateFrom(p, n, resumePoint(p, i));
    prev = in;
  }
  return validateFrom(p, n, resumePoint(p, whole));
}

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

__attribute__((target("avx2"))) inline std::uint64_t lengthAvx2(const unsigned char* p,
                                                                std::size_t n) noexcept {
  const __m256i threshold = _mm256_set1_epi8(-65);
  std::uint64_t total = 0;
  std::size_t i = 0;
  while (i + 32 <= n) {
    __m256i counts = _mm256_setzero_si256();
    const std::size_t rounds = (n - i) / 32 < 255 ? (n - i) / 32 : 255;
    for (std::size_t r = 0; r < rounds; ++r, i += 32) {
      const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
      counts = _mm256_sub_epi8(counts, _mm256_cmpgt_epi8(in, threshold));
    }
    const __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
    total += static_cast<std::uint64_t>(_mm256_extract_epi64(sums, 0)) +
             static_cast<std::uint64_t>(_mm256_extract_epi64(sums, 1)) +
             static_cast<std::uint64_t>(_mm256_extract_epi64(sums, 2)) +
             static_cast<std::uint64_t>(_mm256_extract_epi64(sums, 3));
  }
  return total + lengthPortable(p + i, n - i);
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
