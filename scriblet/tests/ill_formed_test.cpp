// Texts built unchecked from ill-formed bytes break the UTF-8 invariant; every
// operation then gives unspecified results but stays within the text's bytes
// (AddressSanitizer checks the reads in the sanitizer build) and writes no
// more than it allocated.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/binary.hpp>
#include <basis/error.hpp>
#include <basis/lift.hpp>
#include <basis/show.hpp>

#include <string>
#include <vector>

#include "scriblet/partial.hpp"
#include "scriblet/scriblet.hpp"
#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;

// Mostly bytes that start or continue multi-byte sequences.
rc::Gen<Bytes> genIllFormed() {
  return rc::gen::container<Bytes>(rc::gen::oneOf(
      rc::gen::arbitrary<std::uint8_t>(), rc::gen::inRange<std::uint8_t>(0x80, 0xC0),
      rc::gen::element<std::uint8_t>(0xC3, 0xE2, 0xED, 0xF0, 0xF4, 0xFF, 0x61, 0x2C)));
}

void exercise(const ShortText& t) {
  const auto comma = [](char32_t c) { return c == U',' || c >= 0x80; };
  const std::int64_t n = static_cast<std::int64_t>(t.size());
  (void)length(t);
  (void)isValidUtf8(t);
  (void)isAscii(t);
  (void)toString(t);
  (void)reverse(t);
  (void)intersperse(U'\U0001F600', t);
  (void)intersperse(U',', t);
  for (std::int64_t i = -1; i <= n + 1; ++i) {
    (void)indexMaybe(t, i);
    (void)indexEndMaybe(t, i);
    (void)splitAt(i, t);
    (void)splitAtEnd(i, t);
    (void)take(i, t);
    (void)dropEnd(i, t);
  }
  (void)uncons(t);
  (void)unsnoc(t);
  if (n != 0) {
    (void)partial::head(t);
    (void)partial::last(t);
    (void)partial::tail(t);
    (void)partial::init(t);
  }
  for (const ShortText& piece : split(comma, t)) (void)piece.size();
  (void)span(comma, t);
  (void)spanEnd(comma, t);
  // The walks from either end can read the bytes as different characters
  // and cross, which dropAround reports rather than cutting a negative range.
  try {
    (void)dropAround(comma, t);
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "dropAround: the impossible happened");
  }
  // A character decoded longer than its bytes cannot be written into the
  // filtered array: filter reports that as `undefined`, not by writing past.
  for (auto keep : {+[](char32_t c) { return c == U',' || c >= 0x80; },
                    +[](char32_t c) { return c < 0x80; }}) {
    try {
      (void)filter(keep, t);
    } catch (const basis::Undefined&) {
    }
  }
  (void)find(comma, t);
  (void)findIndex(comma, t);
  (void)foldl([](std::uint64_t a, char32_t c) { return a + c; }, std::uint64_t{0}, t);
  (void)foldr([](char32_t c, std::uint64_t a) { return a + c; }, std::uint64_t{0}, t);
  (void)foldr([](char32_t c, const basis::Lazy<std::uint64_t>& a) { return a.force() + c; },
              std::uint64_t{0}, t);
  if (n != 0) {
    (void)foldl1([](char32_t a, char32_t) { return a; }, t);
    (void)foldr1([](char32_t c, char32_t) { return c; }, t);
  }
  (void)basis::show(t);
  (void)basis::lift(t);
  (void)formatArg(t, FieldFormat{10, 2, false, U's'});
  (void)basis::binary::decode<ShortText>(basis::binary::encode(t));
}

RC_GTEST_PROP(IllFormedText, EveryOperationStaysWithinTheBytes, ()) {
  const Bytes b = *genIllFormed();
  exercise(fromByteStringUnsafe(std::string(b.begin(), b.end())));
}

TEST(IllFormedText, SequencesCutOffByTheEnd) {
  const Bytes cases[] = {{0xF0}, {0x61, 0xF0}, {0xE2, 0x82}, {0x80}, {0x80, 0x80, 0x80, 0x80, 0x80},
                         {0xF0, 0x61, 0x61}, {0xC3}, {0x61, 0xBF}, {0xFF, 0xFE}};
  for (const Bytes& b : cases) exercise(fromByteStringUnsafe(std::string(b.begin(), b.end())));
}

}  // namespace
