// libFuzzer target: decoding a text and a list of texts from arbitrary bytes
// (held in a heap buffer of exactly their size, whole and in two chunks).
// Every decoded text is well-formed UTF-8 and encodes back to the bytes it
// was read from; a failure never throws.

#include <basis/binary.hpp>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "scriblet/internal.hpp"

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) std::abort(); \
  } while (0)

namespace bin = basis::binary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::unique_ptr<char[]> owned(new char[size ? size : 1]);
  if (size) std::memcpy(owned.get(), data, size);
  const std::string_view input(owned.get(), size);

  const auto one = bin::decode<scriblet::ShortText>(input);
  if (one.ok()) {
    FUZZ_CHECK(scriblet::isValidUtf8(*one.value));
    FUZZ_CHECK(bin::encode(*one.value) == input.substr(0, one.consumed));
  } else {
    FUZZ_CHECK(!one.message.empty());
  }
  const auto list = bin::decode<std::vector<scriblet::ShortText>>(input);
  if (list.ok()) {
    for (const auto& t : *list.value) FUZZ_CHECK(scriblet::isValidUtf8(t));
    FUZZ_CHECK(bin::encode(*list.value) == input.substr(0, list.consumed));
  }
  // The same input in two chunks decodes the same way.
  const std::size_t cut = size / 2;
  const auto chunked = bin::decode<std::vector<scriblet::ShortText>>(
      std::vector<std::string_view>{input.substr(0, cut), input.substr(cut)});
  FUZZ_CHECK(chunked.ok() == list.ok());
  if (chunked.ok()) FUZZ_CHECK(*chunked.value == *list.value);
  return 0;
}
