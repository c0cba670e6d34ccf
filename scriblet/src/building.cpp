// Building texts: replicate, intersperse, reverse and joins.

#include "scriblet/internal/building.hpp"

#include <basis/error.hpp>

#include <limits>

#include "scriblet/internal/utf8.hpp"
#include "scriblet/scan.h"

namespace scriblet {

using detail::encode;
using detail::encodedLength;
using detail::TextBuilder;

ShortText replicate(std::int64_t n, const ShortText& t) {
  if (n < 1) return ShortText();
  const std::size_t b = t.size();
  if (b == 0) return ShortText();
  const std::uint64_t times = static_cast<std::uint64_t>(n);
  if (times > std::numeric_limits<std::int64_t>::max() / b) {
    throw basis::ErrorCall("replicate: size overflow");
  }
  TextBuilder out(times * b);
  unsigned char* p = out.data();
  for (std::uint64_t i = 0; i < times; ++i, p += b) std::memcpy(p, t.data(), b);
  return out.freeze();
}

ShortText intersperse(char32_t c, const ShortText& t) {
  const std::size_t b = t.size();
  if (b == 0) return ShortText();
  const unsigned char* in = t.data();
  const std::uint64_t k = hs_scriblet_length(in, b);
  // k = 0 only for ill-formed bytes that are all continuation bytes; the size
  // below would then wrap.
  if (k <= 1) return t;
  const char32_t sep = detail::storable(c);
  const std::size_t s = encodedLength(sep);
  TextBuilder out(b + (k - 1) * s);
  unsigned char* const first = out.data();
  unsigned char* const limit = first + b + (k - 1) * s;
  detail::Step step = detail::stepForward(in, b, 0);
  unsigned char* o = encode(step.cp, first);
  for (std::uint64_t r = 1; r < k && step.next < b; ++r) {
    step = detail::stepForward(in, b, step.next);
    // Ill-formed bytes can decode to longer code points than they hold;
    // never write past the array.
    if (static_cast<std::size_t>(limit - o) < s + encodedLength(step.cp)) break;
    o = encode(step.cp, encode(sep, o));
  }
  out.shrink(static_cast<std::size_t>(o - first));
  return out.freeze();
}

ShortText reverse(const ShortText& t) {
  const std::size_t b = t.size();
  if (b == 0) return ShortText();
  const unsigned char* in = t.data();
  if (hs_scriblet_length(in, b) == 1) return t;
  TextBuilder out(b);
  unsigned char* p = out.data();
  // Each code point's bytes move unchanged to the mirrored position.
  std::size_t i = 0;
  while (i < b) {
    std::size_t m = detail::encodedLength(detail::decodeAt(in, b, i));
    if (m > b - i) m = b - i;
    std::memcpy(p + (b - (i + m)), in + i, m);
    i += m;
  }
  return out.freeze();
}

namespace detail {

ShortText joinPieces(const ShortText* pieces, std::size_t count, const ShortText* sep) {
  if (count == 0) return ShortText();
  if (count == 1) return pieces[0];
  const std::size_t s = sep ? sep->size() : 0;
  std::size_t total = s * (count - 1);
  std::size_t nonEmpty = 0;
  const ShortText* only = nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    total += pieces[i].size();
    if (pieces[i].size() != 0) {
      ++nonEmpty;
      only = &pieces[i];
    }
  }
  if (total == 0) return ShortText();
  if (s == 0 && nonEmpty == 1) return *only;
  TextBuilder out(total);
  unsigned char* p = out.data();
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0 && s != 0) {
      std::memcpy(p, sep->data(), s);
      p += s;
    }
    if (const std::size_t m = pieces[i].size()) {
      std::memcpy(p, pieces[i].data(), m);
      p += m;
    }
  }
  return out.freeze();
}

}  // namespace detail
}  // namespace scriblet
