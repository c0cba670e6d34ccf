#include "scriblet/internal/conversions.hpp"

namespace scriblet {

std::optional<ShortText> fromShortByteString(std::string_view bytes) { return fromByteString(bytes); }

ShortText fromShortByteStringUnsafe(std::string_view bytes) {
  return detail::copyBytes(bytes.data(), bytes.size());
}

std::string toShortByteString(const ShortText& t) { return std::string(t.bytes()); }

ShortText fromText(const basis::Text& t) { return detail::copyBytes(t.view().data(), t.byteCount()); }

basis::Text toText(const ShortText& t) { return basis::Text::fromUtf8Unchecked(std::string(t.bytes())); }

std::string encodeStringShort(const basis::TextEncoding& enc, std::u32string_view s) {
  return enc.encode(s);
}

std::u32string decodeStringShort_(const basis::TextEncoding& enc, std::string_view bytes) {
  return enc.decode(bytes);
}

}  // namespace scriblet
