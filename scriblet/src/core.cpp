// Validation, conversions, sizes and code-point encoding of ShortText.

#include "scriblet/internal/core.hpp"

#include <cstring>
#include <limits>

#include "scriblet/internal/errors.hpp"
#include "scriblet/internal/utf8.hpp"
#include "scriblet/scan.h"
#include "short_bytes.hpp"

namespace scriblet {

using detail::encode;
using detail::encodedLength;
using detail::storable;
using detail::TextBuilder;

bool isValidUtf8(const ShortText& t) noexcept {
  return hs_scriblet_is_valid_utf8(t.data(), t.size()) == 0;
}

namespace {

// A text of 1 to kShortBytes bytes, or nothing when they are not well-formed UTF-8.
// The bytes are read once, as two overlapping pieces, tested together for
// ASCII (the full check runs only when a byte is not) and stored again from
// the same registers: no copy call.
std::optional<ShortText> fromSmall(const unsigned char* p, std::size_t n) {
  const detail::ShortBytes w = detail::loadShort(p, n);
  if (!detail::isAscii(w) && hs_scriblet_is_valid_utf8(p, n) != 0) return std::nullopt;
  TextBuilder out(n);
  detail::storeShort(out.data(), n, w);
  return out.freeze();
}

}  // namespace

std::optional<ShortText> fromByteString(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() - 1 < detail::kShortBytes) return fromSmall(p, bytes.size());
  // The caller's bytes are checked before they are copied: the copy is not
  // made for ill-formed bytes, and the check does not read bytes just written
  // (short vector loads across fresh stores wait for them).
  if (hs_scriblet_is_valid_utf8(bytes.data(), bytes.size()) != 0) return std::nullopt;
  return detail::copyBytes(bytes.data(), bytes.size());
}

ShortText fromByteStringUnsafe(std::string_view bytes) {
  return detail::copyBytes(bytes.data(), bytes.size());
}

std::string toByteString(const ShortText& t) { return std::string(t.bytes()); }

std::int64_t length(const ShortText& t) noexcept {
  return static_cast<std::int64_t>(hs_scriblet_length(t.data(), t.size()));
}

ShortText fromLitAsciiAddr_raw(const void* literal) {
  const std::size_t n = std::strlen(static_cast<const char*>(literal));
  if (n > static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max())) {
    detail::raise(detail::ErrorSite::FromLitAsciiAddr);
  }
  return detail::copyBytes(literal, n);
}

ShortText fromLitMUtf8Addr_raw(const void* literal) {
  const std::int64_t r = hs_scriblet_mutf8_strlen(literal);
  if (r >= 0) return detail::copyBytes(literal, static_cast<std::size_t>(r));
  TextBuilder out(static_cast<std::size_t>(-r));
  hs_scriblet_mutf8_trans(literal, out.data());
  return out.freeze();
}

const ShortText& replacementText() {
  static const ShortText text = [] {
    detail::Block* b = detail::allocateBlock(3);
    encode(detail::kReplacement, b->bytes());
    b->immortal = 1;
    return ShortText::adopt(b);
  }();
  return text;
}

ShortText singleton(char32_t c) {
  if (storable(c) != c) return replacementText();
  return singleton_(c);
}

ShortText singleton_(char32_t c) {
  TextBuilder out(encodedLength(c));
  encode(c, out.data());
  return out.freeze();
}

ShortText cons(char32_t c, const ShortText& t) {
  const std::size_t n = t.size();
  if (n == 0) return singleton(c);
  const char32_t stored = storable(c);
  const std::size_t k = encodedLength(stored);
  TextBuilder out(n + k);
  std::memcpy(encode(stored, out.data()), t.data(), n);
  return out.freeze();
}

ShortText snoc(const ShortText& t, char32_t c) {
  const std::size_t n = t.size();
  if (n == 0) return singleton(c);
  const char32_t stored = storable(c);
  TextBuilder out(n + encodedLength(stored));
  std::memcpy(out.data(), t.data(), n);
  encode(stored, out.data() + n);
  return out.freeze();
}

ShortText fromString(std::u32string_view s) {
  if (s.empty()) return ShortText();
  if (s.size() == 1) return singleton(s[0]);
  std::size_t n = 0;
  for (char32_t c : s) n += encodedLength(storable(c));
  TextBuilder out(n);
  unsigned char* p = out.data();
  for (char32_t c : s) p = encode(storable(c), p);
  return out.freeze();
}

std::u32string toString(const ShortText& t) {
  const unsigned char* p = t.data();
  const std::size_t n = t.size();
  std::u32string out(hs_scriblet_length(p, n), U'\0');
  std::size_t k = 0;
  for (std::size_t o = 0; o < n && k < out.size();) {
    const detail::Step s = detail::stepForward(p, n, o);
    out[k++] = cp2ch(s.cp);
    o = s.next;
  }
  out.resize(k);
  return out;
}

}  // namespace scriblet
