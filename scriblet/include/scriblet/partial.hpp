#pragma once
// The partial operations of ShortText: they raise basis::ErrorCall with a
// fixed message (and a call stack naming the library's own site) where the
// total operations return nothing.

#include <cstdint>

#include "scriblet/export.h"
#include "scriblet/internal.hpp"

namespace scriblet::partial {

// The first character. O(1). Throws "head: empty ShortText".
SCRIBLET_API char32_t head(const ShortText& t);
// All but the first character. O(n). Throws "tail: empty ShortText".
SCRIBLET_API ShortText tail(const ShortText& t);
// All but the last character. O(n). Throws "init: empty ShortText".
SCRIBLET_API ShortText init(const ShortText& t);
// The last character. O(1). Throws "last: empty ShortText".
SCRIBLET_API char32_t last(const ShortText& t);
// Code point i. O(i). Throws "index: not within ShortText" for i < 0 or i at
// or beyond the length.
SCRIBLET_API char32_t index(const ShortText& t, std::int64_t i);

}  // namespace scriblet::partial
