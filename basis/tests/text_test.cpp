#include "basis/text.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basis/bytes.hpp"
#include "basis/error.hpp"
#include "basis/text_encoding.hpp"

namespace {

// A model of UTF-8 validity: decode by the lead byte's announced length,
// then require the shortest form and a Unicode scalar value.
bool modelValid(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len;
    std::uint32_t c;
    if (b0 < 0x80) { len = 1; c = b0; }
    else if ((b0 & 0xE0) == 0xC0) { len = 2; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; c = b0 & 0x07; }
    else return false;
    if (i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3F);
    }
    const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// Byte strings biased towards the bytes that start, continue or break
// multi-byte sequences.
rc::Gen<std::string> biasedBytes() {
  return rc::gen::container<std::string>(
      rc::gen::elementOf(std::string("\x00\x41\x7f\x80\x8f\x90\x9f\xa0\xbf\xc0\xc2\xdf\xe0\xed"
                                     "\xef\xf0\xf4\xf5\xff",
                                     19)));
}

TEST(Utf8Validity, AcceptsWellFormedAndRejectsEveryMalformedKind) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"", true},
      {"abc", true},
      {"\xc3\xa9", true},
      {"\xe2\x82\xac", true},
      {"\xf0\x9f\x98\x80", true},
      {"\xf4\x8f\xbf\xbf", true},
      {"\xef\xbf\xbd", true},
      {"\xc3", false},              // truncated
      {"\xe2\x82", false},          // truncated
      {"\xed\xa0\x80", false},      // encoded surrogate
      {"\xc0\x80", false},          // overlong NUL
      {"\xe0\x80\x80", false},      // overlong
      {"\xf0\x80\x80\x80", false},  // overlong
      {"\xf4\x90\x80\x80", false},  // above U+10FFFF
      {"\xff", false},
      {"\x80", false},              // lone continuation
      {"a\xc3(", false},            // bad continuation
  };
  for (const Case& c : cases) {
    EXPECT_EQ(basis::isValidUtf8(c.bytes), c.valid) << c.bytes.size();
    EXPECT_EQ(basis::Text::fromUtf8(c.bytes).has_value(), c.valid);
  }
}

RC_GTEST_PROP(Utf8Validity, AgreesWithADecodingModel, (std::string s)) {
  RC_ASSERT(basis::isValidUtf8(s) == modelValid(s));
  const auto bytes = *biasedBytes();
  RC_ASSERT(basis::isValidUtf8(bytes) == modelValid(bytes));
}

TEST(Text, PackReplacesNonScalarsAndUnpackGivesTheCharactersBack) {
  const basis::Text t = basis::Text::pack(U"a\u00e9\U0001F600");
  EXPECT_EQ(t.utf8(), "a\xc3\xa9\xf0\x9f\x98\x80");
  EXPECT_EQ(t.byteCount(), 7u);
  EXPECT_EQ(t.unpack(), U"a\u00e9\U0001F600");
  EXPECT_EQ(basis::Text::pack(std::u32string{0xD800, U'x', 0x110000}).utf8(),
            "\xef\xbf\xbdx\xef\xbf\xbd");
  EXPECT_TRUE(basis::Text().empty());
  EXPECT_EQ(basis::Text(), basis::Text::pack(U""));
}

RC_GTEST_PROP(Text, UnpackAfterPackIsTheIdentityOnScalarValues, ()) {
  const auto chars = *rc::gen::container<std::u32string>(rc::gen::suchThat(
      rc::gen::inRange<char32_t>(0, 0x110000), [](char32_t c) { return c < 0xD800 || c > 0xDFFF; }));
  const basis::Text t = basis::Text::pack(chars);
  RC_ASSERT(basis::isValidUtf8(t.utf8()));
  RC_ASSERT(t.unpack() == chars);
  RC_ASSERT(basis::Text::fromUtf8(t.utf8()) == t);
}

TEST(Text, DecodeLatin1OrderAndTextForm) {
  EXPECT_EQ(basis::decodeLatin1("a\xe9\xff").unpack(), (std::u32string{U'a', 0xE9, 0xFF}));
  EXPECT_LT(basis::Text::pack(U"a"), basis::Text::pack(U"\u00e9"));
  EXPECT_LT(basis::Text::pack(U"\uffff"), basis::Text::pack(U"\U00010000"));
  EXPECT_EQ(basis::show(basis::Text::pack(U"a\"\u00e91")), "\"a\\\"\\233\\&1\"");
  EXPECT_EQ(basis::showsPrec(11, basis::Text()), "\"\"");
}

TEST(TextEncodingUtf8, EncodesScalarsAndRaisesOnWhatItCannotEncode) {
  EXPECT_EQ(basis::utf8().name, "UTF-8");
  EXPECT_EQ(basis::utf8().encode(U"a\u00e9\u20ac\U0001F600"), "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
  for (char32_t bad : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}}) {
    try {
      basis::utf8().encode(std::u32string{U'a', bad});
      ADD_FAILURE() << static_cast<std::uint32_t>(bad);
    } catch (const basis::ErrorCall& e) {
      std::string expected = "recoverEncode: invalid argument (cannot encode character ";
      basis::showCharLiteral(bad, expected);
      EXPECT_EQ(e.what(), expected + ")");
    }
  }
}

TEST(TextEncodingUtf8, DecodingNamesTheFirstByteThatStartsNoWellFormedSequence) {
  struct Case {
    std::string bytes;
    const char* byte;  // the byte the message names
  };
  const std::vector<Case> cases = {
      {"\xff", "ff"},
      {"ab\x80", "80"},              // lone continuation
      {"a\xc3\xa9\xe2\x82", "e2"},  // truncated at the end
      {"\xc3(", "c3"},               // bad continuation
      {"\xed\xa0\x80", "ed"},        // encoded surrogate
      {"\xc0\x80", "c0"},             // overlong
      {"x\xf4\x90\x80\x80", "f4"},  // above U+10FFFF
  };
  for (const Case& c : cases) {
    try {
      basis::utf8().decode(c.bytes);
      ADD_FAILURE() << c.byte;
    } catch (const basis::ErrorCall& e) {
      EXPECT_EQ(e.what(), std::string("recoverDecode: invalid argument (cannot decode byte sequence "
                                      "starting from byte 0x") +
                              c.byte + ")");
    }
  }
}

RC_GTEST_PROP(TextEncodingUtf8, DecodesExactlyTheValidBytesAsTextDoes, ()) {
  const auto bytes = *biasedBytes();
  const auto text = basis::Text::fromUtf8(bytes);
  try {
    const std::u32string chars = basis::utf8().decode(bytes);
    RC_ASSERT(text.has_value());
    RC_ASSERT(chars == text->unpack());
    RC_ASSERT(basis::utf8().encode(chars) == bytes);
  } catch (const basis::ErrorCall&) {
    RC_ASSERT(!text.has_value());
  }
}

TEST(LazyByteString, EqualityIgnoresChunking) {
  const auto a = basis::LazyByteString::fromChunks({"ab", "", "cde"});
  const auto b = basis::LazyByteString::fromChunks({"a", "bcd", "e"});
  const auto c = basis::LazyByteString::fromStrict("abcdf");
  EXPECT_EQ(a.chunks().size(), 2u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_LT(a, c);
  EXPECT_LT(basis::LazyByteString::fromStrict("ab"), a);
  EXPECT_EQ(basis::LazyByteString(), basis::LazyByteString::fromChunks({"", ""}));
  EXPECT_TRUE(basis::LazyByteString::fromStrict("").null());
  EXPECT_EQ(a.toStrict(), "abcde");
  EXPECT_EQ(a.length(), 5);
}

TEST(LazyByteString, PackUnpackCompareLengthAndTextForm) {
  const std::vector<std::uint8_t> raw = {0, 0x11, 0xff};
  const auto p = basis::packBytes(raw);
  EXPECT_EQ(p.chunks().size(), 1u);
  EXPECT_EQ(basis::unpackBytes(p), raw);
  const auto x = basis::LazyByteString::fromChunks({"abc", "def"});
  EXPECT_EQ(basis::compareLength(x, 6), basis::EQ);
  EXPECT_EQ(basis::compareLength(x, 5), basis::GT);
  EXPECT_EQ(basis::compareLength(x, 7), basis::LT);
  EXPECT_EQ(basis::compareLength(basis::LazyByteString(), 0), basis::EQ);
  EXPECT_EQ(basis::compareLength(basis::LazyByteString(), -1), basis::GT);
  EXPECT_EQ(basis::show(basis::LazyByteString::fromChunks({"a", "\xff"})), "\"a\\255\"");
}

}  // namespace
