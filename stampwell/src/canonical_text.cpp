#include "stampwell/internal/canonical_text.hpp"

#include <array>
#include <cstring>
#include <ostream>

#ifdef __SSSE3__
#include <immintrin.h>
#endif

namespace stampwell {
namespace {

constexpr unsigned char kNotHex = 0xff;

// Hex digit value of each byte, kNotHex for every other byte.
constexpr std::array<unsigned char, 256> kDigitValue = [] {
  std::array<unsigned char, 256> t{};
  for (auto& v : t) v = kNotHex;
  for (int c = 0; c < 10; ++c) t['0' + c] = static_cast<unsigned char>(c);
  for (int c = 0; c < 6; ++c) {
    t['a' + c] = static_cast<unsigned char>(10 + c);
    t['A' + c] = static_cast<unsigned char>(10 + c);
  }
  return t;
}();

// Where the two digits of each byte start in the text, byte 0 first.
constexpr std::array<unsigned char, 16> kBytePosition = {0,  2,  4,  6,  9,  11, 14, 16,
                                                         19, 21, 24, 26, 28, 30, 32, 34};

// Decodes the 32 digits of a text whose length and dashes are known to be
// right. `digitOf(i)` gives the value of the character at position i, or
// kNotHex; every digit is looked up, and one test at the end rejects the
// text, so the loop has no branch per character.
template <class DigitOf>
inline std::optional<UUID> decodeDigits(DigitOf digitOf) noexcept {
  std::uint64_t words[2] = {0, 0};
  unsigned seen = 0;
  for (int w = 0; w < 2; ++w) {
    std::uint64_t acc = 0;
    for (int k = 0; k < 8; ++k) {
      const unsigned pos = kBytePosition[8 * w + k];
      const unsigned hi = digitOf(pos);
      const unsigned lo = digitOf(pos + 1);
      seen |= hi | lo;
      acc = acc << 8 | (hi << 4 | (lo & 0x0f));
    }
    words[w] = acc;
  }
  if (seen & 0x80) return std::nullopt;
  return UUID(words[0], words[1]);
}

#ifdef __SSSE3__
// The 32 digits of a 36-byte text whose dashes are known to be in place,
// decoded 16 at a time: the digits are gathered around the dashes into two
// vectors, checked and turned into nibbles without a branch, and each pair of
// nibbles is joined into a byte.
inline std::optional<UUID> decodeDigitsVector(const unsigned char* p) noexcept {
  const __m128i front = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i middle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const __m128i back = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 20));
  constexpr char Z = -128;  // a shuffle index that yields 0
  // Digits 0-15 sit at positions 0-7, 9-12, 14-17.
  const __m128i first = _mm_or_si128(
      _mm_shuffle_epi8(front, _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15, Z, Z)),
      _mm_shuffle_epi8(middle, _mm_setr_epi8(Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, 0, 1)));
  // Digits 16-31 sit at positions 19-22 and 24-35.
  const __m128i second = _mm_or_si128(
      _mm_shuffle_epi8(middle, _mm_setr_epi8(3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, Z, Z, Z, Z)),
      _mm_shuffle_epi8(back, _mm_setr_epi8(Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, 12, 13, 14, 15)));

  auto nibbles = [](__m128i c, __m128i& valid) {
    const __m128i decimal = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isDecimal = _mm_cmpeq_epi8(_mm_min_epu8(decimal, _mm_set1_epi8(9)), decimal);
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    valid = _mm_and_si128(valid, _mm_or_si128(isDecimal, isLetter));
    return _mm_or_si128(_mm_and_si128(isDecimal, decimal),
                        _mm_andnot_si128(isDecimal, _mm_add_epi8(letter, _mm_set1_epi8(10))));
  };
  __m128i valid = _mm_set1_epi8(-1);
  const __m128i n1 = nibbles(first, valid);
  const __m128i n2 = nibbles(second, valid);
  if (_mm_movemask_epi8(valid) != 0xffff) return std::nullopt;
  // Each 16-bit lane becomes 16 * high digit + low digit.
  const __m128i weights = _mm_set1_epi16(0x0110);
  const __m128i bytes =
      _mm_packus_epi16(_mm_maddubs_epi16(n1, weights), _mm_maddubs_epi16(n2, weights));
  std::uint64_t words[2];
  std::memcpy(words, &bytes, 16);
  return UUID(__builtin_bswap64(words[0]), __builtin_bswap64(words[1]));
}
#endif

}  // namespace

#ifdef __SSSE3__
// The 32 digits made 16 at a time: the bytes' nibbles interleaved, each
// turned into its digit by one table shuffle, then spread around the dashes
// with two more shuffles; three stores, no loop.
void writeCanonical(UUID u, char* out) noexcept {
  // The words in two lanes, each reversed so that byte 0 comes first.
  const __m128i bytes = _mm_shuffle_epi8(
      _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(u.firstWord())),
                         _mm_cvtsi64_si128(static_cast<long long>(u.secondWord()))),
      _mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8));
  const __m128i nibble = _mm_set1_epi8(0x0f);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
  const __m128i low = _mm_and_si128(bytes, nibble);
  const __m128i hexDigits = _mm_setr_epi8('0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b',
                                          'c', 'd', 'e', 'f');
  const __m128i digits0 = _mm_shuffle_epi8(hexDigits, _mm_unpacklo_epi8(high, low));  // digits 0-15
  const __m128i digits1 = _mm_shuffle_epi8(hexDigits, _mm_unpackhi_epi8(high, low));  // digits 16-31
  constexpr char Z = -128;  // a shuffle index that yields 0
  // Text positions 0-15: digits 0-7, a dash, digits 8-11, a dash, digits 12-13.
  const __m128i front = _mm_or_si128(
      _mm_shuffle_epi8(digits0, _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, Z, 8, 9, 10, 11, Z, 12, 13)),
      _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, '-', 0, 0, 0, 0, '-', 0, 0));
  // Text positions 16-31: digits 14-15, a dash, digits 16-19, a dash, digits 20-27.
  const __m128i middle = _mm_or_si128(
      _mm_or_si128(
          _mm_shuffle_epi8(digits0, _mm_setr_epi8(14, 15, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z, Z)),
          _mm_shuffle_epi8(digits1, _mm_setr_epi8(Z, Z, Z, 0, 1, 2, 3, Z, 4, 5, 6, 7, 8, 9, 10, 11))),
      _mm_setr_epi8(0, 0, '-', 0, 0, 0, 0, '-', 0, 0, 0, 0, 0, 0, 0, 0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), front);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), middle);
  // Text positions 32-35: digits 28-31.
  const int back = _mm_cvtsi128_si32(_mm_srli_si128(digits1, 12));
  std::memcpy(out + 32, &back, 4);
}
#else
// The two lower-case digits of each byte value.
constexpr std::array<char, 512> kHexPair = [] {
  constexpr char digits[] = "0123456789abcdef";
  std::array<char, 512> t{};
  for (int b = 0; b < 256; ++b) {
    t[2 * b] = digits[b >> 4];
    t[2 * b + 1] = digits[b & 15];
  }
  return t;
}();

constexpr std::array<unsigned char, 4> kDashPosition = {8, 13, 18, 23};

void writeCanonical(UUID u, char* out) noexcept {
  const std::uint64_t words[2] = {u.firstWord(), u.secondWord()};
  for (int i = 0; i < 16; ++i) {
    const unsigned byte = static_cast<unsigned>(words[i >> 3] >> (56 - 8 * (i & 7))) & 0xff;
    std::memcpy(out + kBytePosition[i], &kHexPair[2 * byte], 2);
  }
  for (unsigned char d : kDashPosition) out[d] = '-';
}
#endif

std::string toASCIIBytes(UUID u) {
  // Written to a buffer and copied once: the string is never zero-filled.
  char text[canonicalLength];
  writeCanonical(u, text);
  return std::string(text, canonicalLength);
}

std::u32string toString(UUID u) {
  char text[canonicalLength];
  writeCanonical(u, text);
  return std::u32string(text, text + canonicalLength);
}

std::optional<UUID> fromASCIIBytes(std::string_view s) noexcept {
  if (s.size() != canonicalLength) return std::nullopt;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  if ((p[8] ^ '-') | (p[13] ^ '-') | (p[18] ^ '-') | (p[23] ^ '-')) return std::nullopt;
#ifdef __SSSE3__
  return decodeDigitsVector(p);
#else
  return decodeDigits([p](unsigned i) -> unsigned { return kDigitValue[p[i]]; });
#endif
}

std::optional<UUID> fromString(std::u32string_view s) noexcept {
  if (s.size() != canonicalLength) return std::nullopt;
  const char32_t* p = s.data();
  if ((p[8] ^ U'-') | (p[13] ^ U'-') | (p[18] ^ U'-') | (p[23] ^ U'-')) return std::nullopt;
  return decodeDigits([p](unsigned i) -> unsigned {
    const char32_t c = p[i];
    return c < 0x80 ? kDigitValue[c] : kNotHex;
  });
}

basis::LazyByteString toLazyASCIIBytes(UUID u) {
  return basis::LazyByteString::fromStrict(toASCIIBytes(u));
}

basis::Text toText(UUID u) {
  // The canonical text is ASCII, so its bytes are already valid UTF-8.
  return basis::Text::fromUtf8Unchecked(toASCIIBytes(u));
}

std::optional<UUID> fromLazyASCIIBytes(const basis::LazyByteString& s) noexcept {
  if (basis::compareLength(s, canonicalLength) != basis::EQ) return std::nullopt;
  const std::vector<std::string>& chunks = s.chunks();
  if (chunks.size() == 1) return fromASCIIBytes(chunks.front());
  char joined[canonicalLength];
  std::size_t at = 0;
  for (const std::string& chunk : chunks) {
    std::memcpy(joined + at, chunk.data(), chunk.size());
    at += chunk.size();
  }
  return fromASCIIBytes(std::string_view(joined, canonicalLength));
}

std::optional<UUID> fromText(const basis::Text& t) noexcept { return fromASCIIBytes(t.view()); }

std::ostream& operator<<(std::ostream& os, UUID u) {
  char text[canonicalLength];
  writeCanonical(u, text);
  return os.write(text, canonicalLength);
}

}  // namespace stampwell
