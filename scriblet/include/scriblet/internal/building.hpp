#pragma once
// Building texts from others: repetition, interspersing a character,
// reversal, and joining. Each result is one array of its exact size.

#include <cstdint>
#include <cstring>
#include <iterator>
#include <ranges>
#include <type_traits>
#include <vector>

#include "scriblet/export.h"
#include "scriblet/internal/core.hpp"

namespace scriblet {

// t repeated n times (the empty text for n < 1). O(n * size). Throws
// basis::ErrorCall "replicate: size overflow" when the result's byte count
// would not fit in memory's address range.
SCRIBLET_API ShortText replicate(std::int64_t n, const ShortText& t);
// c between every two code points of t (a surrogate stored as U+FFFD); a
// text of one code point is returned itself. O(n).
SCRIBLET_API ShortText intersperse(char32_t c, const ShortText& t);
// The code points in reverse order; a text of one code point is returned
// itself. O(n).
SCRIBLET_API ShortText reverse(const ShortText& t);

namespace detail {
// The pieces joined, with sep (when non-null and non-empty) between every
// two of them. A join whose bytes are one piece's is that piece. O(total).
SCRIBLET_API ShortText joinPieces(const ShortText* pieces, std::size_t count, const ShortText* sep);

// The elements of a range of texts, gathered so that they can be measured
// before they are copied; a contiguous range is used in place.
template <class R>
decltype(auto) gatherTexts(R&& texts) {
  if constexpr (std::ranges::contiguous_range<R> && std::ranges::sized_range<R> &&
                std::is_same_v<std::ranges::range_value_t<R>, ShortText>) {
    return std::forward<R>(texts);
  } else {
    std::vector<ShortText> v;
    if constexpr (std::ranges::sized_range<R>) v.reserve(std::ranges::size(texts));
    for (auto&& x : texts) v.emplace_back(x);
    return v;
  }
}
}  // namespace detail

// The texts of a range joined with sep between them: the empty text for
// none, the element itself for one. One allocation. O(total bytes).
template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, const ShortText&>
ShortText intercalate(const ShortText& sep, R&& texts) {
  auto&& all = detail::gatherTexts(std::forward<R>(texts));
  return detail::joinPieces(std::ranges::data(all), std::ranges::size(all), &sep);
}
inline ShortText intercalate(const ShortText& sep, std::initializer_list<ShortText> texts) {
  return detail::joinPieces(texts.begin(), texts.size(), &sep);
}

}  // namespace scriblet
