// Positional operations of ShortText.

#include "scriblet/internal/slicing.hpp"

#include <cstring>

#include "scriblet/internal/errors.hpp"
#include "scriblet/scan.h"

namespace scriblet {

namespace {

std::optional<char32_t> presentCodePoint(std::uint64_t c) noexcept {
  if (c >= 0x110000) return std::nullopt;
  return cp2ch(c);
}

// Equal bytes at the same address need no comparison.
bool sameBytes(const unsigned char* a, const unsigned char* b, std::size_t m) noexcept {
  return a == b || std::memcmp(a, b, m) == 0;
}

const std::optional<ShortText>& justEmpty() {
  static const std::optional<ShortText> value{ShortText()};
  return value;
}

}  // namespace

namespace detail {
ShortText sliceRange(const ShortText& t, std::size_t from, std::size_t to) {
  if (from >= to) return ShortText();
  if (from == 0 && to == t.size()) return t;
  return copyBytes(t.data() + from, to - from);
}
}  // namespace detail

std::optional<char32_t> indexMaybe(const ShortText& t, std::int64_t i) noexcept {
  if (i < 0) return std::nullopt;
  return presentCodePoint(hs_scriblet_index_cp(t.data(), t.size(), static_cast<std::uint64_t>(i)));
}

std::optional<char32_t> indexEndMaybe(const ShortText& t, std::int64_t i) noexcept {
  if (i < 0) return std::nullopt;
  return presentCodePoint(
      hs_scriblet_index_cp_rev(t.data(), t.size(), static_cast<std::uint64_t>(i)));
}

ShortText slice(const ShortText& t, std::int64_t offset, std::int64_t count) {
  if (offset < 0) detail::raise(detail::ErrorSite::InvalidOffset);
  if (count < 0) detail::raise(detail::ErrorSite::InvalidLength);
  const std::uint64_t n = t.size();
  const std::uint64_t o = static_cast<std::uint64_t>(offset);
  if (o >= n) return ShortText();
  std::uint64_t c = static_cast<std::uint64_t>(count);
  if (c > n - o) c = n - o;
  return detail::copyBytes(t.data() + o, c);
}

std::pair<ShortText, ShortText> splitAt(std::int64_t k, const ShortText& t) {
  if (k <= 0) return {ShortText(), t};
  const std::size_t n = t.size();
  const std::uint64_t o = hs_scriblet_index_ofs(t.data(), n, static_cast<std::uint64_t>(k));
  if (o == 0) return {ShortText(), t};
  if (o >= n) return {t, ShortText()};
  return {detail::copyBytes(t.data(), o), detail::copyBytes(t.data() + o, n - o)};
}

std::pair<ShortText, ShortText> splitAtEnd(std::int64_t k, const ShortText& t) {
  if (k <= 0) return {t, ShortText()};
  const std::size_t n = t.size();
  const std::uint64_t o = hs_scriblet_index_ofs_rev(t.data(), n, static_cast<std::uint64_t>(k - 1));
  if (o >= n || o == 0) return {ShortText(), t};
  return {detail::copyBytes(t.data(), o), detail::copyBytes(t.data() + o, n - o)};
}

std::optional<std::pair<char32_t, ShortText>> uncons(const ShortText& t) {
  const std::size_t n = t.size();
  if (n == 0) return std::nullopt;
  const detail::Step s = detail::stepForward(t.data(), n, 0);
  return std::pair<char32_t, ShortText>{cp2ch(s.cp), detail::sliceRange(t, s.next, n)};
}

std::optional<std::pair<ShortText, char32_t>> unsnoc(const ShortText& t) {
  const std::size_t n = t.size();
  if (n == 0) return std::nullopt;
  const detail::Step s = detail::stepBackward(t.data(), n);
  return std::pair<ShortText, char32_t>{detail::sliceRange(t, 0, s.next), cp2ch(s.cp)};
}

bool isPrefixOf(const ShortText& p, const ShortText& t) noexcept {
  const std::size_t m = p.size();
  if (m > t.size()) return false;
  if (m == 0) return true;
  return sameBytes(p.data(), t.data(), m);
}

bool isSuffixOf(const ShortText& s, const ShortText& t) noexcept {
  const std::size_t m = s.size();
  const std::size_t n = t.size();
  if (m > n) return false;
  if (m == 0) return true;
  return sameBytes(s.data(), t.data() + (n - m), m);
}

std::optional<ShortText> stripPrefix(const ShortText& p, const ShortText& t) {
  if (!isPrefixOf(p, t)) return std::nullopt;
  const std::size_t m = p.size();
  const std::size_t n = t.size();
  if (m == 0) return t;
  if (m == n) return justEmpty();
  return detail::copyBytes(t.data() + m, n - m);
}

std::optional<ShortText> stripSuffix(const ShortText& s, const ShortText& t) {
  if (!isSuffixOf(s, t)) return std::nullopt;
  const std::size_t m = s.size();
  const std::size_t r = t.size() - m;
  if (r == 0) return justEmpty();
  if (m == 0) return t;
  return detail::copyBytes(t.data(), r);
}

}  // namespace scriblet
