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
    if ((c & 0xFFF800u) == 0xD800u || c > 0x10FFFF) {
      std::string msg = "recoverEncode: invalid argument (cannot encode character ";
      showCharLiteral(c, msg);
      msg += ')';
      throw ErrorCall(std::move(msg));
    }
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
  return out;
}

inline std::u32string decodeUtf8Strict(std::string_view bytes) {
  if (!isValidUtf8(bytes)) {
    // Name the first byte that does not start a well-formed sequence.
    std::size_t bad = 0;
    for (std::size_t i = 0; i < bytes.size();) {
      std::size_t len = 1;
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b >= 0xF0) {
        len = 4;
      } else if (b >= 0xE0) {
        len = 3;
      } else if (b >= 0xC0) {
        len = 2;
      }
      if (len > bytes.size() - i || !isValidUtf8(bytes.substr(i, len))) {
        bad = i;
        break;
      }
      i += len;
    }
    static const char* const hex = "0123456789abcdef";
    const auto b = static_cast<unsigned char>(bytes[bad]);
    std::string msg = "recoverDecode: invalid argument (cannot decode byte sequence starting from byte 0x";
    msg += hex[b >> 4];
    msg += hex[b & 15];
    msg += ')';
    throw ErrorCall(std::move(msg));
  }
  return Text::fromUtf8Unchecked(std::string(bytes)).unpack();
}
}  // namespace detail

// UTF-8, strict in both directions. A constant built once.
inline const TextEncoding& utf8() {
  static const TextEncoding encoding{"UTF-8", detail::encodeUtf8Strict, detail::decodeUtf8Strict};
  return encoding;
}

}  // namespace basis
