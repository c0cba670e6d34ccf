#pragma once
// Helpers shared by the scriblet tests.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <rapidcheck.h>

#include "scriblet/internal.hpp"

namespace scriblet::testing {

using Bytes = std::vector<std::uint8_t>;

// A text over the given bytes, unchecked.
inline ShortText text(std::initializer_list<std::uint8_t> bytes) {
  std::string s(bytes.begin(), bytes.end());
  return fromByteStringUnsafe(s);
}
inline ShortText text(const Bytes& bytes) {
  return fromByteStringUnsafe(std::string(bytes.begin(), bytes.end()));
}
inline ShortText text(std::u32string_view chars) { return fromString(chars); }

inline Bytes bytesOf(const ShortText& t) { return Bytes(t.data(), t.data() + t.size()); }

// U+0061 U+00E9 U+20AC U+1F600: one character of every encoded length.
inline ShortText fourWidths() { return text({0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}); }

// A character of any encoded length, surrogates excluded.
inline rc::Gen<char32_t> genChar() {
  return rc::gen::oneOf(rc::gen::inRange<char32_t>(0, 0x80), rc::gen::inRange<char32_t>(0x80, 0x800),
                        rc::gen::inRange<char32_t>(0x800, 0xD800),
                        rc::gen::inRange<char32_t>(0xE000, 0x10000),
                        rc::gen::inRange<char32_t>(0x10000, 0x110000));
}
// A string of such characters, often with repeats of a few separators.
inline rc::Gen<std::u32string> genString() {
  return rc::gen::container<std::u32string>(
      rc::gen::oneOf(genChar(), rc::gen::element<char32_t>(U',', U' ', U'é', U'😀')));
}

}  // namespace scriblet::testing
