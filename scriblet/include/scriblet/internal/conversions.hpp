#pragma once
// Conversions between ShortText and the other byte and text types: short
// byte strings and strict byte strings (std::string), basis::Text, an output
// builder (a string appended to), and character strings through a named
// text encoding.

#include <basis/text.hpp>
#include <basis/text_encoding.hpp>

#include <optional>
#include <string>
#include <string_view>

#include "scriblet/export.h"
#include "scriblet/internal/core.hpp"

namespace scriblet {

// The bytes as a text, if they are well-formed UTF-8. One copy, O(n).
SCRIBLET_API std::optional<ShortText> fromShortByteString(std::string_view bytes);
// The bytes as a text, unchecked. One copy, O(n).
SCRIBLET_API ShortText fromShortByteStringUnsafe(std::string_view bytes);
// The bytes. One copy, O(n).
SCRIBLET_API std::string toShortByteString(const ShortText& t);

// The text of a basis::Text (valid UTF-8 by its own invariant; not checked
// again). One copy, O(n).
SCRIBLET_API ShortText fromText(const basis::Text& t);
// The basis::Text of the same bytes. One copy, O(n).
SCRIBLET_API basis::Text toText(const ShortText& t);

// Appends the bytes to an output buffer (the builder step of a text). O(n).
inline void toBuilder(const ShortText& t, std::string& out) { out.append(t.bytes()); }

// The bytes `enc` produces for the characters; what enc cannot encode raises
// as enc decides (the UTF-8 encoding throws basis::ErrorCall). O(n).
SCRIBLET_API std::string encodeStringShort(const basis::TextEncoding& enc, std::u32string_view s);
// The characters `enc` decodes from the bytes; ill-formed bytes raise as enc
// decides. O(n).
SCRIBLET_API std::u32string decodeStringShort_(const basis::TextEncoding& enc,
                                               std::string_view bytes);

}  // namespace scriblet
