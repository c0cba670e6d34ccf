#include "basis/text.hpp"

#include <cstdlib>

namespace basis {

namespace {

// The length of the well-formed sequence at bytes[i], or 0.
std::size_t sequenceLength(std::string_view bytes, std::size_t i) noexcept {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  if (b0 < 0x80) return 1;
  auto at = [&](std::size_t k) -> unsigned {
    return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u;
  };
  auto cont = [](unsigned b) { return (b & 0xC0u) == 0x80u; };
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(at(1)) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    const unsigned b1 = at(1);
    // E0 needs A0..BF (no overlong forms); ED needs 80..9F (no surrogates).
    const unsigned lo = b0 == 0xE0 ? 0xA0 : 0x80;
    const unsigned hi = b0 == 0xED ? 0x9F : 0xBF;
    return b1 >= lo && b1 <= hi && cont(at(2)) ? 3 : 0;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    const unsigned b1 = at(1);
    // F0 needs 90..BF (no overlong forms); F4 needs 80..8F (nothing above U+10FFFF).
    const unsigned lo = b0 == 0xF0 ? 0x90 : 0x80;
    const unsigned hi = b0 == 0xF4 ? 0x8F : 0xBF;
    return b1 >= lo && b1 <= hi && cont(at(2)) && cont(at(3)) ? 4 : 0;
  }
  return 0;
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

bool isValidUtf8(std::string_view bytes) noexcept {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t len = sequenceLength(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::optional<Text> Text::fromUtf8(std::string bytes) {
  if (!isValidUtf8(bytes)) return std::nullopt;
  return Text(std::move(bytes));
}

Text Text::fromUtf8Unchecked(std::string bytes) {
#ifndef NDEBUG
  if (!isValidUtf8(bytes)) std::abort();
#endif
  return Text(std::move(bytes));
}

Text Text::pack(std::u32string_view chars) {
  std::string out;
  out.reserve(chars.size());
  for (char32_t c : chars) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    appendUtf8(c, out);
  }
  return Text(std::move(out));
}

std::u32string Text::unpack() const {
  std::u32string out;
  out.reserve(bytes_.size());
  std::size_t i = 0;
  while (i < bytes_.size()) {
    const auto b0 = static_cast<unsigned char>(bytes_[i]);
    const std::size_t len = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    char32_t c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
      c = (c << 6) | (static_cast<unsigned char>(bytes_[i + k]) & 0x3F);
    }
    out += c;
    i += len;
  }
  return out;
}

Text decodeLatin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) appendUtf8(static_cast<unsigned char>(b), out);
  return Text::fromUtf8Unchecked(std::move(out));
}

}  // namespace basis
