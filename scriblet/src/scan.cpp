// The twelve exported scanning routines. Bulk scans pick the widest kernel the
// CPU offers (AVX2 decided once, when the library is loaded); the positional routines walk
// one code point at a time (offsets from either end skip whole blocks of 64
// bytes where the walk's steps can be counted) and never read at or beyond
// their byte count.

#include "scriblet/scan.h"

#include <cstring>

#include "scan_kernels.hpp"
#include "scriblet/internal/utf8.hpp"

namespace {

using scriblet::detail::decodeUnbounded;
using scriblet::detail::leadLength;

const unsigned char* bytesOf(const void* p) noexcept { return static_cast<const unsigned char*>(p); }

#if defined(SCRIBLET_X86)
// Decided when the library is loaded (the CPU model is read first, as
// constructors may run before the one that reads it), so that a call tests
// one byte.
const bool hasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
bool cpuHasAvx2() noexcept { return hasAvx2; }
#endif

// Below this size the vector set-up costs more than it saves.
constexpr std::uint64_t kVectorThreshold = 64;

// The code point at o < n, or all ones when its sequence is cut off by n.
std::uint64_t decodeWithin(const unsigned char* p, std::uint64_t n, std::uint64_t o) noexcept {
  if (leadLength(p[o]) > n - o) return ~std::uint64_t{0};
  return decodeUnbounded(p + o);
}

}  // namespace

extern "C" {

std::uint64_t hs_scriblet_length(const void* bytes, std::uint64_t n) {
  const unsigned char* p = bytesOf(bytes);
#if defined(SCRIBLET_X86)
  if (n >= kVectorThreshold) {
    return cpuHasAvx2() ? scriblet::scan::lengthAvx2(p, n) : scriblet::scan::lengthSse(p, n);
  }
#endif
  if (n == 0) return 0;
  return scriblet::scan::lengthPortable(p, n);
}

std::uint64_t hs_scriblet_index_ofs(const void* bytes, std::uint64_t n, std::uint64_t i) {
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  return cpuHasAvx2() ? scriblet::scan::indexOffsetAvx2(bytesOf(bytes), n, i)
                      : scriblet::scan::indexOffsetSse(bytesOf(bytes), n, i);
#else
  return scriblet::scan::indexOffsetReference(bytesOf(bytes), n, i);
#endif
}

std::uint64_t hs_scriblet_index_ofs_rev(const void* bytes, std::uint64_t n, std::uint64_t i) {
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  return cpuHasAvx2() ? scriblet::scan::indexOffsetRevAvx2(bytesOf(bytes), n, i)
                      : scriblet::scan::indexOffsetRevSse(bytesOf(bytes), n, i);
#else
  return scriblet::scan::indexOffsetRevReference(bytesOf(bytes), n, i);
#endif
}

std::uint64_t hs_scriblet_ofs_cp(const void* bytes, std::uint64_t ofs) {
  return decodeUnbounded(bytesOf(bytes) + ofs);
}

std::uint64_t hs_scriblet_ofs_cp_rev(const void* bytes, std::uint64_t ofs) {
  return scriblet::detail::decodeBeforeUnbounded(bytesOf(bytes), ofs);
}

std::uint64_t hs_scriblet_index_cp(const void* bytes, std::uint64_t n, std::uint64_t i) {
  const std::uint64_t ofs = hs_scriblet_index_ofs(bytes, n, i);
  if (ofs >= n) return ~std::uint64_t{0};
  return decodeWithin(bytesOf(bytes), n, ofs);
}

std::uint64_t hs_scriblet_index_cp_rev(const void* bytes, std::uint64_t n, std::uint64_t i) {
  const std::uint64_t ofs = hs_scriblet_index_ofs_rev(bytes, n, i);
  if (ofs >= n) return ~std::uint64_t{0};
  return decodeWithin(bytesOf(bytes), n, ofs);
}

std::int32_t hs_scriblet_is_valid_utf8(const void* bytes, std::uint64_t n) {
  if (n == 0) return 0;
  const unsigned char* p = bytesOf(bytes);
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  if (n < kVectorThreshold) return scriblet::scan::validateShortSse(p, n);
  return cpuHasAvx2() ? scriblet::scan::validateAvx2(p, n) : scriblet::scan::validateSse(p, n);
#else
  return scriblet::scan::validatePortable(p, n);
#endif
}

std::uint64_t hs_scriblet_ascii_length(const void* bytes, std::uint64_t n) {
  if (n == 0) return 0;
#if defined(SCRIBLET_X86)
  return scriblet::scan::asciiLengthSse(bytesOf(bytes), n);
#else
  return scriblet::scan::asciiLengthPortable(bytesOf(bytes), n);
#endif
}

std::int32_t hs_scriblet_is_ascii(const void* bytes, std::uint64_t n) {
  if (n == 0) return 1;
#if defined(SCRIBLET_X86)
  return scriblet::scan::isAsciiSse(bytesOf(bytes), n) ? 1 : 0;
#else
  return scriblet::scan::isAsciiPortable(bytesOf(bytes), n) ? 1 : 0;
#endif
}

// The literal walks step by the lead byte's length class but never past a NUL:
// a NUL inside a sequence (a malformed literal) ends the walk there, the
// partial sequence counted and copied as it stands, so both routines agree on
// the length and neither reads beyond the terminator.
std::int64_t hs_scriblet_mutf8_strlen(const void* literal) {
  const unsigned char* s = bytesOf(literal);
  std::int64_t length = 0;
  std::int64_t pairs = 0;
  bool surrogate = false;
  std::size_t pos = 0;
  while (s[pos] != 0) {
    const unsigned char lead = s[pos];
    const std::size_t len = leadLength(lead);
    std::size_t k = 1;
    while (k < len && s[pos + k] != 0) ++k;
    if (k == len) {
      if (len == 2 && lead == 0xC0 && s[pos + 1] == 0x80) ++pairs;
      if (len == 3 && lead == 0xED && (s[pos + 1] & 0x20)) surrogate = true;
    }
    pos += k;
    length += static_cast<std::int64_t>(k);
    if (k < len) break;
  }
  if (pairs == 0 && !surrogate) return length;
  return pairs - length;
}

void hs_scriblet_mutf8_trans(const void* literal, void* dst) {
  const unsigned char* s = bytesOf(literal);
  unsigned char* out = static_cast<unsigned char*>(dst);
  std::size_t pos = 0;
  while (s[pos] != 0) {
    const unsigned char lead = s[pos];
    const std::size_t len = leadLength(lead);
    std::size_t k = 1;
    while (k < len && s[pos + k] != 0) ++k;
    if (k == len && len == 2 && lead == 0xC0 && s[pos + 1] == 0x80) {
      *out++ = 0x00;
    } else if (k == len && len == 3 && lead == 0xED && s[pos + 1] >= 0xA0 && s[pos + 1] <= 0xBF) {
      *out++ = 0xEF;
      *out++ = 0xBF;
      *out++ = 0xBD;
    } else {
      std::memcpy(out, s + pos, k);
      out += k;
    }
    pos += k;
    if (k < len) break;
  }
}

}  // extern "C"
