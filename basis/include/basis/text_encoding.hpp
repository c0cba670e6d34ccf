#pragma once
// TextEncoding: a named text encoding that turns characters into bytes and
// back, with its own handling of what it cannot convert. Only UTF-8 is
// provided; it raises on characters it cannot encode (surrogates, values
// above U+10FFFF) and on ill-formed bytes.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "basis/error.hpp"
#include "basis/show.hpp"
#include "basis/text.hpp"
#include "basis/utf8.hpp"

namespace basis {

struct TextEncoding {
  std::string name;
  // The bytes of the characters; throws ErrorCall for a character the
  // encoding cannot hold.
  std::function<std::string(std::u32string_view)> encode;
  // The characters of the bytes; throws ErrorCall for bytes it cannot read.
  std::function<std::u32string(std::string_view)> decode;
};

namespace detail {
inline std::string encodeUtf8Strict(std::u32string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t c : s) {
    if (!isUtf8Encodable(c)) {
      std::string msg = "recoverEncode: invalid argument (cannot encode character ";
      showCharLiteral(c, msg);
      msg += ')';
      throw ErrorCall(std::move(msg));
    }
    appendUtf8(c, out);
  }
  return out;
}

inline std::u32string decodeUtf8Strict(std::string_view bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c;
    const std::size_t len = decodeUtf8At(bytes, i, c);
    if (len == 0) {
      // Name the first byte that does not start a well-formed sequence.
      static const char* const hex = "0123456789abcdef";
      const auto b = static_cast<unsigned char>(bytes[i]);
      std::string msg = "recoverDecode: invalid argument (cannot decode byte sequence starting from byte 0x";
      msg += hex[b >> 4];
      msg += hex[b & 15];
      msg += ')';
      throw ErrorCall(std::move(msg));
    }
    out += c;
    i += len;
  }
  return out;
}
}  // namespace detail

// UTF-8, strict in both directions. A constant built once.
inline const TextEncoding& utf8() {
  static const TextEncoding encoding{"UTF-8", detail::encodeUtf8Strict, detail::decodeUtf8Strict};
  return encoding;
}

}  // namespace basis
