#pragma once
// The canonical 36-character text of a UUID, e.g.
// 00112233-4455-6677-8899-aabbccddeeff: bytes 0-3, 4-5, 6-7, 8-9 and 10-15 as
// hex digit pairs, separated by dashes. Printers write lower-case digits;
// parsers accept either case and nothing else (no braces, no blanks, no other
// length) and report a malformed input as nothing, never reading outside it.

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include <basis/bytes.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>
#include <basis/text.hpp>

#include "stampwell/internal/representation.hpp"

namespace stampwell {

// The length of the canonical text.
inline constexpr std::size_t canonicalLength = 36;

// Writes the canonical text of u into out[0..36). O(1), no allocation.
void writeCanonical(UUID u, char* out) noexcept;

// The canonical text as characters. O(1); allocates the result.
std::u32string toString(UUID u);
// The canonical text as 36 ASCII bytes. O(1); allocates the result.
std::string toASCIIBytes(UUID u);

// The UUID of a canonical text of characters, or nothing. O(1) work beyond
// the length test; never throws.
std::optional<UUID> fromString(std::u32string_view s) noexcept;
// The UUID of a canonical text of ASCII bytes, or nothing. Tests the length
// and the dashes before any digit; reads the input in place. Never throws.
std::optional<UUID> fromASCIIBytes(std::string_view s) noexcept;

// The canonical text as a lazy byte string of one 36-byte chunk. O(1);
// allocates the chunk.
basis::LazyByteString toLazyASCIIBytes(UUID u);
// The canonical text as a Text. O(1); allocates the result.
basis::Text toText(UUID u);

// The UUID of a canonical text in a lazy byte string, however chunked, or
// nothing. Compares the length first, reading chunk sizes only until the
// answer is known; a single chunk is parsed in place. Never throws.
std::optional<UUID> fromLazyASCIIBytes(const basis::LazyByteString& s) noexcept;
// The UUID of a canonical text, or nothing; a text holding any non-ASCII
// character is rejected (its UTF-8 bytes are what is tested). Never throws.
std::optional<UUID> fromText(const basis::Text& t) noexcept;

// Writes the canonical text.
std::ostream& operator<<(std::ostream& os, UUID u);

}  // namespace stampwell

// The text form of a UUID is its canonical text, at every precedence; a list
// prints as «[t1,t2]».
template <>
struct basis::Show<stampwell::UUID> : basis::ShowDefaults<stampwell::UUID> {
  static void showsPrec(int, stampwell::UUID u, std::string& out) {
    char text[stampwell::canonicalLength];
    stampwell::writeCanonical(u, text);
    out.append(text, stampwell::canonicalLength);
  }
};

// Parsing ignores the precedence: after leading blanks, the next 36
// characters must be a canonical text; nothing after them is examined.
// Parentheses around a UUID are not accepted (around a list they are, as for
// every list). Never throws.
template <>
struct basis::Read<stampwell::UUID> : basis::ReadDefaults<stampwell::UUID> {
  static basis::Parses<stampwell::UUID> readsPrec(int, std::string_view in) {
    const std::string_view rest = basis::skipSpaces(in);
    if (rest.size() < stampwell::canonicalLength) return {};
    const auto u = stampwell::fromASCIIBytes(rest.substr(0, stampwell::canonicalLength));
    if (!u) return {};
    return {{*u, rest.substr(stampwell::canonicalLength)}};
  }
};
