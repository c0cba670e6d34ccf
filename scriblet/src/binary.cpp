#include "scriblet/internal/binary.hpp"

#include <string>

namespace scriblet::detail {
namespace {
constexpr const char* kNotEnoughBytes = "not enough bytes";
}

std::optional<ShortText> getShortText(basis::binary::Get& g) {
  const std::optional<std::int64_t> count = g.getInt64be();
  if (!count) return std::nullopt;
  if (*count < 0 || static_cast<std::uint64_t>(*count) > g.bytesRemaining()) {
    g.fail(kNotEnoughBytes);
    return std::nullopt;
  }
  const auto n = static_cast<std::size_t>(*count);
  // The bytes are known to be there: copy them once, from the chunks they
  // lie in (and no others), into the text's own array.
  TextBuilder out(n);
  if (n != 0) g.getBytesInto(reinterpret_cast<char*>(out.data()), n);
  ShortText t = out.freeze();
  if (!isValidUtf8(t)) {
    static const std::string message = kInvalidUtf8Stream;
    g.fail(message);
    return std::nullopt;
  }
  return t;
}

std::optional<std::vector<ShortText>> getShortTextList(basis::binary::Get& g) {
  const std::optional<std::int64_t> count = g.getInt64be();
  if (!count) return std::nullopt;
  // Every text takes at least its 8-byte count.
  if (*count < 0 || static_cast<std::uint64_t>(*count) > g.bytesRemaining() / 8) {
    g.fail(kNotEnoughBytes);
    return std::nullopt;
  }
  // A text is no smaller than its count, so the list can be sized at once.
  std::vector<ShortText> xs;
  xs.reserve(static_cast<std::size_t>(*count));
  for (std::int64_t i = 0; i < *count; ++i) {
    std::optional<ShortText> t = getShortText(g);
    if (!t) return std::nullopt;
    xs.push_back(std::move(*t));
  }
  return xs;
}

}  // namespace scriblet::detail
