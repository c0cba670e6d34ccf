// The public module's own cuts, each computing only the side it returns.

#include "scriblet/scriblet.hpp"

#include "scriblet/scan.h"

namespace scriblet {

namespace detail {

std::uint64_t prefixEnd(std::int64_t k, const ShortText& t) noexcept {
  if (k <= 0) return 0;
  return hs_scriblet_index_ofs(t.data(), t.size(), static_cast<std::uint64_t>(k));
}

std::uint64_t suffixStart(std::int64_t k, const ShortText& t) noexcept {
  if (k <= 0) return t.size();
  const std::uint64_t o = hs_scriblet_index_ofs_rev(t.data(), t.size(), static_cast<std::uint64_t>(k - 1));
  return o >= t.size() ? 0 : o;
}

}  // namespace detail

ShortText take(std::int64_t n, const ShortText& t) {
  return detail::sliceRange(t, 0, detail::prefixEnd(n, t));
}
ShortText drop(std::int64_t n, const ShortText& t) {
  if (n <= 0) return t;
  return detail::sliceRange(t, detail::prefixEnd(n, t), t.size());
}
ShortText takeEnd(std::int64_t n, const ShortText& t) {
  return detail::sliceRange(t, detail::suffixStart(n, t), t.size());
}
ShortText dropEnd(std::int64_t n, const ShortText& t) {
  return detail::sliceRange(t, 0, detail::suffixStart(n, t));
}

}  // namespace scriblet
