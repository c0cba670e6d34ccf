// libFuzzer target: reading texts, and pairs, lists and optional values of
// texts, from arbitrary bytes. A read never throws and never takes work out
// of proportion to its input (a hang is reported by libFuzzer's timeout);
// every value read shows as a text that reads back to the same value.

#include <basis/read.hpp>
#include <basis/show.hpp>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scriblet/internal.hpp"

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) std::abort(); \
  } while (0)

namespace {

template <class T>
void readAndShowBack(const std::string& input) {
  const std::optional<T> x = basis::read<T>(input);
  if (x) FUZZ_CHECK(basis::read<T>(basis::show(*x)) == x);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  readAndShowBack<scriblet::ShortText>(input);
  readAndShowBack<std::pair<std::pair<scriblet::ShortText, int>, int>>(input);
  readAndShowBack<std::vector<std::pair<scriblet::ShortText, scriblet::ShortText>>>(input);
  readAndShowBack<std::optional<std::vector<scriblet::ShortText>>>(input);
  return 0;
}
