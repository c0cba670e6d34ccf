#include "basis/text.hpp"

#include <cstdlib>

#include "basis/utf8.hpp"

namespace basis {

bool isValidUtf8(std::string_view bytes) noexcept {
  char32_t c;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t len = detail::decodeUtf8At(bytes, i, c);
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
  for (char32_t c : chars) detail::appendUtf8(detail::isUtf8Encodable(c) ? c : 0xFFFD, out);
  return Text(std::move(out));
}

std::u32string Text::unpack() const {
  std::u32string out;
  out.reserve(bytes_.size());
  std::size_t i = 0;
  while (i < bytes_.size()) out += detail::decodeUtf8OrReplace(bytes_, i);
  return out;
}

Text decodeLatin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char b : bytes) detail::appendUtf8(static_cast<unsigned char>(b), out);
  return Text::fromUtf8Unchecked(std::move(out));
}

}  // namespace basis
