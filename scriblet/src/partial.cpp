#include "scriblet/partial.hpp"

namespace scriblet::partial {

using detail::ErrorSite;

char32_t head(const ShortText& t) {
  if (t.size() == 0) detail::raise(ErrorSite::PartialHead);
  return cp2ch(detail::decodeAt(t.data(), t.size(), 0));
}

ShortText tail(const ShortText& t) {
  auto r = uncons(t);
  if (!r) detail::raise(ErrorSite::PartialTail);
  return std::move(r->second);
}

ShortText init(const ShortText& t) {
  auto r = unsnoc(t);
  if (!r) detail::raise(ErrorSite::PartialInit);
  return std::move(r->first);
}

char32_t last(const ShortText& t) {
  if (t.size() == 0) detail::raise(ErrorSite::PartialLast);
  return cp2ch(detail::decodeBefore(t.data(), t.size()));
}

char32_t index(const ShortText& t, std::int64_t i) {
  const auto c = indexMaybe(t, i);
  if (!c) detail::raise(ErrorSite::PartialIndex);
  return *c;
}

}  // namespace scriblet::partial
