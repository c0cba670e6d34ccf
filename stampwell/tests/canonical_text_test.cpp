#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cctype>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;
using stampwell::testing::kCounting;
using stampwell::testing::kCountingText;

std::u32string widen(const std::string& s) { return std::u32string(s.begin(), s.end()); }

// Every parser over the same text; they must always agree.
std::optional<UUID> parseAll(const std::string& text) {
  const std::optional<UUID> bytes = stampwell::fromASCIIBytes(text);
  EXPECT_EQ(stampwell::fromString(widen(text)), bytes) << text;
  return bytes;
}

TEST(CanonicalText, PrintersWriteLowerCaseDigitsAndDashes) {
  struct Case {
    UUID u;
    const char* text;
  };
  const Case cases[] = {
      {stampwell::nil, "00000000-0000-0000-0000-000000000000"},
      {kCounting, kCountingText},
      {UUID(~0ULL, ~0ULL), "ffffffff-ffff-ffff-ffff-ffffffffffff"},
      {UUID(0x0123456789abcdefULL, 0xfedcba9876543210ULL), "01234567-89ab-cdef-fedc-ba9876543210"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stampwell::toASCIIBytes(c.u), c.text);
    EXPECT_EQ(stampwell::toString(c.u), widen(c.text));
    std::ostringstream os;
    os << c.u;
    EXPECT_EQ(os.str(), c.text);
  }
}

// The namespace UUIDs of the name-based versions: known texts with known
// bytes, version 1 and the RFC variant.
TEST(CanonicalText, ParsesTheStandardNamespaceUUIDs) {
  struct Case {
    const char* text;
    std::uint32_t timeLow;
  };
  const Case cases[] = {
      {"6ba7b810-9dad-11d1-80b4-00c04fd430c8", 0x6ba7b810},  // DNS
      {"6ba7b811-9dad-11d1-80b4-00c04fd430c8", 0x6ba7b811},  // URL
      {"6ba7b812-9dad-11d1-80b4-00c04fd430c8", 0x6ba7b812},  // OID
      {"6ba7b814-9dad-11d1-80b4-00c04fd430c8", 0x6ba7b814},  // X.500
  };
  for (const Case& c : cases) {
    const std::optional<UUID> u = parseAll(c.text);
    ASSERT_TRUE(u) << c.text;
    EXPECT_EQ(stampwell::toWords(*u), std::make_tuple(c.timeLow, 0x9dad11d1u, 0x80b400c0u, 0x4fd430c8u));
    const auto r = stampwell::unpack(*u);
    EXPECT_EQ(r.time_hi_and_version.force() >> 12, 1);
    EXPECT_EQ(r.clock_seq_hi_res.force() >> 6, 2);
    EXPECT_EQ(stampwell::toASCIIBytes(*u), c.text);
  }
}

TEST(CanonicalText, AcceptsEitherCaseAndMixedCase) {
  for (const char* text : {"00112233-4455-6677-8899-aabbccddeeff",
                           "00112233-4455-6677-8899-AABBCCDDEEFF",
                           "00112233-4455-6677-8899-AaBbCcDdEeFf"}) {
    EXPECT_EQ(parseAll(text), kCounting) << text;
  }
}

TEST(CanonicalText, RejectsEveryMalformedText) {
  const std::string good = kCountingText;
  std::string dashMoved = good;
  std::swap(dashMoved[8], dashMoved[9]);
  std::string fifthDash = good;
  fifthDash[3] = '-';
  std::string dashAsDigit = good;
  dashAsDigit[13] = '0';
  const std::string cases[] = {
      "",
      good.substr(0, 35),
      good + "0",
      "{" + good + "}",
      " " + good.substr(1),
      good.substr(0, 35) + " ",
      " " + good,
      good + " ",
      dashMoved,
      fifthDash,
      dashAsDigit,
      "g" + good.substr(1),
      good.substr(0, 35) + "G",
      good.substr(0, 20) + "x" + good.substr(21),
      "0011223344556677-8899-aabbccddeeff----",
      "00112233445566778899aabbccddeeff",
      std::string(36, '-'),
      std::string("00112233-4455-6677-8899-aabbccddee") + '\0' + "f",
  };
  for (const std::string& text : cases) {
    EXPECT_EQ(parseAll(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(CanonicalText, CharactersBeyondAsciiAreNotDigits) {
  std::u32string text = widen(kCountingText);
  for (char32_t c : {U'\u0660', U'\uff10', char32_t{0x130}, char32_t{0x100 + 'a'},
                     char32_t{0x10030}, char32_t{0xffffffff}}) {
    text[0] = c;
    EXPECT_EQ(stampwell::fromString(text), std::nullopt) << static_cast<std::uint32_t>(c);
  }
  // A 36-byte input with a high byte where a digit belongs.
  std::string bytes = kCountingText;
  bytes[5] = static_cast<char>(0xb0);
  EXPECT_EQ(stampwell::fromASCIIBytes(bytes), std::nullopt);
}

RC_GTEST_PROP(CanonicalText, PrintThenParseIsIdentityInEitherCase, (UUID u)) {
  std::string text = stampwell::toASCIIBytes(u);
  RC_ASSERT(text.size() == 36u);
  RC_ASSERT(stampwell::fromASCIIBytes(text) == u);
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  RC_ASSERT(stampwell::fromASCIIBytes(text) == u);
  RC_ASSERT(stampwell::fromString(widen(text)) == u);
}

// The printers beside the plain formula: two digits per byte, looked up one
// byte at a time, with the dashes at 8, 13, 18 and 23.
RC_GTEST_PROP(CanonicalText, PrintersMatchTheByteByByteFormula, (UUID u)) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string expected;
  const auto bytes = stampwell::toList(u);
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) expected += '-';
    expected += digits[bytes[i] >> 4];
    expected += digits[bytes[i] & 15];
  }
  RC_ASSERT(stampwell::toASCIIBytes(u) == expected);
  char buffer[40];
  std::memset(buffer, '#', sizeof buffer);
  stampwell::writeCanonical(u, buffer + 2);
  RC_ASSERT(std::string(buffer + 2, 36) == expected);
  RC_ASSERT(buffer[1] == '#' && buffer[38] == '#');  // nothing written outside the 36 bytes
  RC_ASSERT(stampwell::toString(u) == widen(expected));
  std::string shown = "x";
  basis::Show<UUID>::showsPrec(0, u, shown);
  RC_ASSERT(shown == "x" + expected);
}

RC_GTEST_PROP(CanonicalText, TextOrderIsUUIDOrder, (UUID a, UUID b)) {
  RC_ASSERT((stampwell::toASCIIBytes(a) <=> stampwell::toASCIIBytes(b)) == (a <=> b));
}

// A slow model of the grammar: exactly 36 characters, dashes at 8, 13, 18
// and 23, hex digits everywhere else.
bool modelAccepts(const std::string& s) {
  if (s.size() != 36) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? s[i] != '-' : !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

// One edit (replace, insert or erase a character) to a canonical text.
RC_GTEST_PROP(CanonicalText, AcceptsExactlyWhatTheGrammarAccepts, (UUID u)) {
  std::string text = stampwell::toASCIIBytes(u);
  const int edit = *rc::gen::inRange(0, 3);
  const std::size_t at = *rc::gen::inRange<std::size_t>(0, text.size());
  const char c = *rc::gen::oneOf(rc::gen::element('-', 'a', 'F', '0', '9', 'g', ' '),
                                 rc::gen::arbitrary<char>());
  if (edit == 0) text[at] = c;
  if (edit == 1) text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
  if (edit == 2) text.erase(at, 1);
  const std::optional<UUID> parsed = stampwell::fromASCIIBytes(text);
  RC_ASSERT(parsed.has_value() == modelAccepts(text));
  RC_ASSERT(stampwell::fromString(widen(text)) == parsed);
  if (parsed) RC_ASSERT(stampwell::toASCIIBytes(*parsed) == [&] {
    std::string lower = text;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower;
  }());
}

}  // namespace

namespace {

TEST(UUIDShow, IsTheCanonicalTextAtEveryPrecedence) {
  EXPECT_EQ(basis::show(kCounting), kCountingText);
  EXPECT_EQ(basis::showsPrec(11, kCounting), kCountingText);
  std::string out = "x=";
  basis::showsPrec(0, kCounting, out);
  EXPECT_EQ(out, std::string("x=") + kCountingText);
}

TEST(UUIDShow, ListIsBracketedAndCommaSeparated) {
  const std::vector<UUID> two = {stampwell::nil, kCounting};
  EXPECT_EQ(basis::show(two), std::string("[00000000-0000-0000-0000-000000000000,") +
                                  kCountingText + "]");
  EXPECT_EQ(basis::show(std::vector<UUID>{}), "[]");
}

}  // namespace

namespace {

TEST(UUIDRead, TakesTheThirtySixCharactersAfterBlanksAndLeavesTheRest) {
  const std::string text = kCountingText;
  struct Case {
    std::string input;
    std::optional<std::string> rest;  // nothing: no parse
  };
  const Case cases[] = {
      {"  " + text + " tail", " tail"},
      {text + "0", "0"},
      {"\t\n" + text, ""},
      {text, ""},
      {"(" + text + ")", std::nullopt},
      {text.substr(0, 35), std::nullopt},
      {"", std::nullopt},
      {"x" + text, std::nullopt},
      {"00112233-4455-6677-8899-AABBCCDDEEFF!", "!"},
  };
  for (const Case& c : cases) {
    const auto parses = basis::Read<UUID>::readsPrec(11, c.input);
    if (!c.rest) {
      EXPECT_TRUE(parses.empty()) << c.input;
      continue;
    }
    ASSERT_EQ(parses.size(), 1u) << c.input;
    EXPECT_EQ(parses[0].first, kCounting);
    EXPECT_EQ(parses[0].second, *c.rest);
  }
  EXPECT_EQ(basis::read<UUID>(text + "  "), kCounting);
  EXPECT_EQ(basis::read<UUID>("(" + text + ")"), std::nullopt);
}

TEST(UUIDRead, ListFormReadsBack) {
  const std::vector<UUID> two = {kCounting, stampwell::nil};
  EXPECT_EQ(basis::read<std::vector<UUID>>(basis::show(two)), two);
  EXPECT_EQ(basis::read<std::vector<UUID>>(" [ " + std::string(kCountingText) + " ,\n" +
                                           "00000000-0000-0000-0000-000000000000 ] "),
            two);
  EXPECT_EQ(basis::read<std::vector<UUID>>("[]"), std::vector<UUID>{});
  EXPECT_EQ(basis::read<std::vector<UUID>>("[" + std::string(kCountingText) + ",]"), std::nullopt);
}

RC_GTEST_PROP(UUIDRead, ReadOfShowIsIdentity, (UUID u, std::vector<UUID> us)) {
  RC_ASSERT(basis::read<UUID>(basis::show(u)) == u);
  RC_ASSERT(basis::read<std::vector<UUID>>(basis::show(us)) == us);
}

}  // namespace

namespace {

basis::LazyByteString chunked(const std::string& s, std::initializer_list<std::size_t> sizes) {
  std::vector<std::string> chunks;
  std::size_t at = 0;
  for (std::size_t n : sizes) {
    chunks.push_back(s.substr(at, n));
    at += n;
  }
  chunks.push_back(s.substr(at));
  return basis::LazyByteString::fromChunks(chunks);
}

TEST(CanonicalTextForms, LazyBytesAndTextCarryTheSameThirtySixCharacters) {
  const basis::LazyByteString lazy = stampwell::toLazyASCIIBytes(kCounting);
  ASSERT_EQ(lazy.chunks().size(), 1u);
  EXPECT_EQ(lazy.chunks()[0], kCountingText);
  EXPECT_EQ(stampwell::toText(kCounting).utf8(), kCountingText);
}

TEST(CanonicalTextForms, LazyParserAcceptsAnyChunking) {
  const std::string text = kCountingText;
  for (const auto& input : {chunked(text, {}), chunked(text, {10, 10}), chunked(text, {1, 34}),
                            chunked(text, {0, 36})}) {
    EXPECT_EQ(stampwell::fromLazyASCIIBytes(input), kCounting);
  }
  const std::string upper = "00112233-4455-6677-8899-AABBCCDDEEFF";
  EXPECT_EQ(stampwell::fromLazyASCIIBytes(chunked(upper, {20})), kCounting);
  EXPECT_EQ(stampwell::fromLazyASCIIBytes(chunked(text + "0", {20})), std::nullopt);
  EXPECT_EQ(stampwell::fromLazyASCIIBytes(chunked(text.substr(1), {20})), std::nullopt);
  EXPECT_EQ(stampwell::fromLazyASCIIBytes(basis::LazyByteString()), std::nullopt);
  EXPECT_EQ(stampwell::fromLazyASCIIBytes(chunked("{" + text.substr(1), {3})), std::nullopt);
}

TEST(CanonicalTextForms, TextParserTestsBytesNotCharacters) {
  EXPECT_EQ(stampwell::fromText(stampwell::toText(kCounting)), kCounting);
  EXPECT_EQ(stampwell::fromText(basis::Text()), std::nullopt);
  // 36 characters, the first of them two bytes long in UTF-8.
  const std::u32string accented = U"\u00e9" + std::u32string(widen(kCountingText).substr(1));
  ASSERT_EQ(accented.size(), 36u);
  EXPECT_EQ(stampwell::fromText(basis::Text::pack(accented)), std::nullopt);
  // 35 characters with one two-byte character make 36 bytes: still rejected.
  const std::u32string shortAccented = U"\u00e9" + std::u32string(widen(kCountingText).substr(2));
  EXPECT_EQ(stampwell::fromText(basis::Text::pack(shortAccented)), std::nullopt);
}

RC_GTEST_PROP(CanonicalTextForms, EveryFormRoundTrips, (UUID u)) {
  RC_ASSERT(stampwell::fromLazyASCIIBytes(stampwell::toLazyASCIIBytes(u)) == u);
  RC_ASSERT(stampwell::fromText(stampwell::toText(u)) == u);
  RC_ASSERT(stampwell::fromString(stampwell::toString(u)) == u);
}

}  // namespace
