// Fuzz target for the canonical-text parsers: every parser must agree with a
// plain model of the grammar on every input, never read outside it, and give
// back what it printed.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "stampwell/stampwell.hpp"

namespace {

template <class CharT>
bool modelAccepts(std::basic_string_view<CharT> s) {
  if (s.size() != 36) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const std::uint32_t c = static_cast<std::uint32_t>(s[i]);
    const bool hex = c < 0x80 && std::isxdigit(static_cast<int>(c));
    if (dash ? c != '-' : !hex) return false;
  }
  return true;
}

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that a read past the end is caught.
  char* copy = new char[size == 0 ? 1 : size];
  if (size) std::memcpy(copy, data, size);
  const std::string_view bytes(copy, size);

  const auto parsed = stampwell::fromASCIIBytes(bytes);
  check(parsed.has_value() == modelAccepts(bytes));
  const std::u32string widened(bytes.begin(), bytes.end());
  check(stampwell::fromString(widened) == parsed);
  // The lazy form, in one chunk and cut into pieces at the first byte's value.
  check(stampwell::fromLazyASCIIBytes(basis::LazyByteString::fromStrict(std::string(bytes))) ==
        parsed);
  if (size > 0) {
    std::vector<std::string> pieces;
    const std::size_t step = 1 + data[0] % 7;
    for (std::size_t at = 0; at < size; at += step) pieces.emplace_back(bytes.substr(at, step));
    check(stampwell::fromLazyASCIIBytes(basis::LazyByteString::fromChunks(pieces)) == parsed);
  }
  if (auto text = basis::Text::fromUtf8(std::string(bytes))) {
    check(stampwell::fromText(*text) == parsed);
  }
  if (parsed) {
    std::string lower(bytes);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    check(stampwell::toASCIIBytes(*parsed) == lower);
  }

  // The same bytes taken as 32-bit characters, any value included.
  const std::size_t units = size / sizeof(char32_t);
  char32_t* wide = new char32_t[units == 0 ? 1 : units];
  if (units) std::memcpy(wide, data, units * sizeof(char32_t));
  const std::u32string_view chars(wide, units);
  check(stampwell::fromString(chars).has_value() == modelAccepts(chars));

  delete[] wide;
  delete[] copy;
  return 0;
}
