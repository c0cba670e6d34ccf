#pragma once
// Validation, conversions, sizes, code-point encoding and comparison of
// ShortText. A result whose bytes equal an input is that input; an empty
// result is the shared empty text; any other result is one fresh array of
// exactly its size.

#include <basis/types.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scriblet/export.h"
#include "scriblet/internal/short_text.hpp"

namespace scriblet {

// A byte count or byte offset: a signed machine word with its comparisons
// and arithmetic, which wraps on overflow as the machine word does.
struct B {
  std::int64_t unB = 0;

  friend constexpr auto operator<=>(B, B) = default;
  friend constexpr B operator+(B a, B b) noexcept { return wrap(word(a) + word(b)); }
  friend constexpr B operator-(B a, B b) noexcept { return wrap(word(a) - word(b)); }
  friend constexpr B operator*(B a, B b) noexcept { return wrap(word(a) * word(b)); }
  friend constexpr B operator-(B a) noexcept { return wrap(0 - word(a)); }

 private:
  static constexpr std::uint64_t word(B a) noexcept { return static_cast<std::uint64_t>(a.unB); }
  static constexpr B wrap(std::uint64_t w) noexcept { return {static_cast<std::int64_t>(w)}; }
};
// -b. O(1).
constexpr B negate(B b) noexcept { return -b; }
// b without its sign (the most negative count stays as it is). O(1).
constexpr B abs(B b) noexcept { return b.unB < 0 ? -b : b; }
// -1, 0 or 1 by the sign of b. O(1).
constexpr B signum(B b) noexcept { return {(b.unB > 0) - (b.unB < 0)}; }
// The count x. O(1).
constexpr B fromInteger(std::int64_t x) noexcept { return {x}; }

// A code point; carries no operations.
struct CP {
  std::uint64_t value = 0;
};

// ---- Validation, conversions and sizes ------------------------------------

// True when the bytes are well-formed UTF-8 (a truncated tail counts as
// ill-formed). O(n), vectorised.
SCRIBLET_API bool isValidUtf8(const ShortText& t) noexcept;

// The bytes copied into one new array, if they are well-formed UTF-8. O(n).
SCRIBLET_API std::optional<ShortText> fromByteString(std::string_view bytes);
// The bytes copied into one new array, unchecked: ill-formed bytes break the
// text's invariant (later operations stay memory-safe but unspecified). O(n).
SCRIBLET_API ShortText fromByteStringUnsafe(std::string_view bytes);
// A copy of the bytes in a new buffer. O(n).
SCRIBLET_API std::string toByteString(const ShortText& t);

// True for the empty text. O(1).
inline bool null(const ShortText& t) noexcept { return t.size() == 0; }
// Number of code points; one pass over the bytes, vectorised. O(n).
SCRIBLET_API std::int64_t length(const ShortText& t) noexcept;
// Number of bytes. O(1).
inline std::int64_t toLength(const ShortText& t) noexcept {
  return static_cast<std::int64_t>(t.size());
}

// A text holding the bytes of a NUL-terminated literal at `literal` (char or
// uint8_t), taken as they stand (the caller guarantees UTF-8). O(n). Throws
// basis::ErrorCall "fromLitAsciiAddr#" for a length that does not fit a
// signed 64-bit count.
SCRIBLET_API ShortText fromLitAsciiAddr_raw(const void* literal);
// A text from a NUL-terminated modified-UTF-8 literal at `literal`: C0 80
// becomes U+0000, an encoded surrogate becomes U+FFFD. O(n).
SCRIBLET_API ShortText fromLitMUtf8Addr_raw(const void* literal);

// ---- Code points and strings ----------------------------------------------

// The shared one-character text U+FFFD, built on first use.
SCRIBLET_API const ShortText& replacementText();

// The text of one character; a surrogate gives the shared replacement text.
// O(1): one allocation of 1 to 4 bytes, none for a surrogate.
SCRIBLET_API ShortText singleton(char32_t c);
// The text of one code point, with no surrogate test (the caller guarantees c
// is not a surrogate). O(1), one allocation.
SCRIBLET_API ShortText singleton_(char32_t c);
// c followed by t (a surrogate stored as U+FFFD). One allocation. O(n).
SCRIBLET_API ShortText cons(char32_t c, const ShortText& t);
// t followed by c (a surrogate stored as U+FFFD). One allocation. O(n).
SCRIBLET_API ShortText snoc(const ShortText& t, char32_t c);
// The UTF-8 text of the characters, each surrogate replaced by U+FFFD. One
// allocation of the exact size. O(n).
SCRIBLET_API ShortText fromString(std::u32string_view s);
// The same as fromString.
inline ShortText fromStringLit(std::u32string_view s) { return fromString(s); }
// The code points in order. One allocation of the exact size. O(n).
SCRIBLET_API std::u32string toString(const ShortText& t);
// A decoded code point taken as a character, unchecked.
constexpr char32_t cp2ch(std::uint64_t cp) noexcept { return static_cast<char32_t>(cp); }

// ---- Comparison (also ==, <=>) ---------------------------------------------

// LT, EQ or GT by the unsigned bytes. One memcmp at most.
inline basis::Ordering compare(const ShortText& a, const ShortText& b) noexcept {
  return basis::toOrdering(a <=> b);
}
// a when a > b, else b (on a tie, the second argument itself).
inline const ShortText& max(const ShortText& a, const ShortText& b) noexcept {
  return compare(a, b) == basis::Ordering::GT ? a : b;
}
// b when a > b, else a (on a tie, the first argument itself).
inline const ShortText& min(const ShortText& a, const ShortText& b) noexcept {
  return compare(a, b) == basis::Ordering::GT ? b : a;
}

}  // namespace scriblet
