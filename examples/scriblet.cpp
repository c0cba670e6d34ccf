// scriblet: compact immutable UTF-8 text, and its C-callable scanning routines.
#include <scriblet/partial.hpp>
#include <scriblet/scan.h>
#include <scriblet/scriblet.hpp>

#include <cstdint>
#include <iostream>
#include <string>

namespace st = scriblet;

// Prints a text's bytes as they stand (they are UTF-8).
std::string utf8(const st::ShortText& t) { return std::string(t.bytes()); }

int main() {
  const st::ShortText greeting = st::pack(U"Grüße, 世界! 😀");
  std::cout << "text: " << utf8(greeting) << '\n'
            << "code points: " << st::length(greeting) << ", bytes: " << st::toLength(greeting) << '\n';

  // Counting and cutting are by code point; a cut covering the whole text is the text itself.
  std::cout << "take 5: " << utf8(st::take(5, greeting)) << '\n'
            << "takeEnd 1: " << utf8(st::takeEnd(1, greeting)) << '\n'
            << "take 100 is the same object: " << std::boolalpha
            << st::take(100, greeting).sameArray(greeting) << '\n';

  // Splitting, filtering and joining walk the bytes; no character list is built.
  std::cout << "words: ";
  for (const st::ShortText& w : st::split([](char32_t c) { return c == U' '; }, greeting)) {
    std::cout << '[' << utf8(w) << ']';
  }
  std::cout << '\n'
            << "without punctuation: "
            << utf8(st::filter([](char32_t c) { return c != U',' && c != U'!'; }, greeting)) << '\n'
            << "reversed: " << utf8(st::reverse(greeting)) << '\n';

  // Bytes from outside are validated; a surrogate character is stored as U+FFFD.
  std::cout << "valid \"\\xC3\\xA9\": " << st::fromByteString("\xC3\xA9").has_value()
            << ", valid \"\\xED\\xA0\\x80\": " << st::fromByteString("\xED\xA0\x80").has_value() << '\n';

  // The partial operations raise a fixed error on empty input.
  try {
    st::partial::head(st::empty());
  } catch (const std::exception& e) {
    std::cout << "head of the empty text: " << e.what() << '\n';
  }

  // The scanning routines are plain C functions: any program can call them.
  // The validator answers 0 for well-formed bytes, 1 for ill-formed ones, and
  // -k for bytes that end k bytes short of a character.
  const auto validity = [](std::int32_t answer) {
    const std::string meaning = answer == 0   ? "well-formed"
                                : answer == 1 ? "ill-formed"
                                              : "ends " + std::to_string(-answer) + (answer == -1 ? " byte short" : " bytes short");
    return std::to_string(answer) + " (" + meaning + ")";
  };
  const char bytes[] = "a\xC3\xA9\xE2\x82\xAC";
  std::cout << "hs_scriblet_length: " << hs_scriblet_length(bytes, sizeof bytes - 1) << '\n'
            << "hs_scriblet_is_valid_utf8: " << validity(hs_scriblet_is_valid_utf8(bytes, sizeof bytes - 1))
            << "; cut in the last character: " << validity(hs_scriblet_is_valid_utf8(bytes, sizeof bytes - 2))
            << "; a surrogate: " << validity(hs_scriblet_is_valid_utf8("\xED\xA0\x80", 3)) << '\n';
}
