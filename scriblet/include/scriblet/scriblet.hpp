#pragma once
// scriblet: compact immutable UTF-8 text.
//
// A ShortText is its well-formed UTF-8 bytes in one reference-counted block.
// Operations count and index in code points, never build a list of
// characters, and return the input itself when the result has its bytes, the
// one shared empty text when the result is empty, and otherwise one fresh
// array of exactly the result's size. This header adds the public module's
// own operations to those of scriblet/internal.hpp. They throw nothing of
// their own: only std::bad_alloc and what a caller's predicate throws.

#include <cstdint>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <utility>

#include "scriblet/internal.hpp"

namespace scriblet {

// The shared empty text.
inline ShortText empty() noexcept { return ShortText(); }

// The text of the characters (surrogates become U+FFFD). O(n).
inline ShortText pack(std::u32string_view s) { return fromString(s); }
// The characters of the text. O(n).
inline std::u32string unpack(const ShortText& t) { return toString(t); }

// a followed by b: one new array (a side that is empty gives the other side
// itself). O(n).
inline ShortText append(const ShortText& a, const ShortText& b) {
  const ShortText pieces[2] = {a, b};
  return detail::joinPieces(pieces, 2, nullptr);
}

// The texts of a range one after another; the empty text for none. One
// allocation. O(total bytes).
template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, const ShortText&>
ShortText concat(R&& texts) {
  auto&& all = detail::gatherTexts(std::forward<R>(texts));
  return detail::joinPieces(std::ranges::data(all), std::ranges::size(all), nullptr);
}
inline ShortText concat(std::initializer_list<ShortText> texts) {
  return detail::joinPieces(texts.begin(), texts.size(), nullptr);
}

// Code point i, or nothing for i < 0 or i at or beyond the length (`!?`).
// O(i).
inline std::optional<char32_t> atMaybe(const ShortText& t, std::int64_t i) noexcept {
  return indexMaybe(t, i);
}

namespace detail {
SCRIBLET_API std::uint64_t prefixEnd(std::int64_t k, const ShortText& t) noexcept;
SCRIBLET_API std::uint64_t suffixStart(std::int64_t k, const ShortText& t) noexcept;
}  // namespace detail

// The first n code points: empty for n <= 0, t itself when n covers it. O(n).
SCRIBLET_API ShortText take(std::int64_t n, const ShortText& t);
// All but the first n code points: t itself for n <= 0. O(n).
SCRIBLET_API ShortText drop(std::int64_t n, const ShortText& t);
// The last n code points: empty for n <= 0, t itself when n covers it. O(n).
SCRIBLET_API ShortText takeEnd(std::int64_t n, const ShortText& t);
// All but the last n code points: t itself for n <= 0. O(n).
SCRIBLET_API ShortText dropEnd(std::int64_t n, const ShortText& t);

// The longest prefix whose characters satisfy p (t itself when all do).
// O(n); p runs once per character up to the first that fails.
template <class Pred>
ShortText takeWhile(Pred p, const ShortText& t) {
  return detail::sliceRange(t, 0, detail::spanOffset(p, t));
}
// t without its longest prefix satisfying p (t itself when the first fails).
// O(n).
template <class Pred>
ShortText dropWhile(Pred p, const ShortText& t) {
  return detail::sliceRange(t, detail::spanOffset(p, t), t.size());
}
// The longest suffix whose characters satisfy p (t itself when all do).
// O(n); p runs from the last character back to the first that fails.
template <class Pred>
ShortText takeWhileEnd(Pred p, const ShortText& t) {
  return detail::sliceRange(t, detail::spanEndOffset(p, t), t.size());
}
// t without its longest suffix satisfying p (t itself when the last fails).
// O(n).
template <class Pred>
ShortText dropWhileEnd(Pred p, const ShortText& t) {
  return detail::sliceRange(t, 0, detail::spanEndOffset(p, t));
}

// (the longest prefix of characters failing p, the rest from the first
// character satisfying it). O(n).
template <class Pred>
std::pair<ShortText, ShortText> break_(Pred p, const ShortText& t) {
  return span([p = std::move(p)](char32_t c) mutable { return !std::invoke(p, c); }, t);
}
// (everything up to and including the last character satisfying p, the
// suffix after it). O(n).
template <class Pred>
std::pair<ShortText, ShortText> breakEnd(Pred p, const ShortText& t) {
  return spanEnd([p = std::move(p)](char32_t c) mutable { return !std::invoke(p, c); }, t);
}

// True when some character satisfies p (stops at the first). O(n).
template <class Pred>
bool any(Pred p, const ShortText& t) {
  return find(std::move(p), t).has_value();
}

}  // namespace scriblet
