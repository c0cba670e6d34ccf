#include "basis/show.hpp"

#include <gtest/gtest.h>

#include "basis/lifted.hpp"
#include "basis/list.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using basis::Either;
using basis::Left;
using basis::Right;

struct Case {
  int precedence;
  std::string text;
  std::string expected;
};

void expectTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, c.expected) << "at precedence " << c.precedence;
  }
}

TEST(ShowIntegers, NegativesTakeParenthesesAbovePrecedenceSix) {
  expectTable({
      {0, basis::showsPrec(0, std::int64_t{-1}), "-1"},
      {6, basis::showsPrec(6, std::int64_t{-1}), "-1"},
      {7, basis::showsPrec(7, std::int64_t{-1}), "(-1)"},
      {11, basis::showsPrec(11, std::int64_t{-1}), "(-1)"},
      {11, basis::showsPrec(11, std::int64_t{42}), "42"},
      {11, basis::showsPrec(11, std::numeric_limits<std::int64_t>::min()),
       "(-9223372036854775808)"},
      {0, basis::showsPrec(0, std::int32_t{-7}), "-7"},
      {11, basis::showsPrec(11, std::int8_t{-128}), "(-128)"},
  });
}

TEST(ShowIntegers, UnsignedWordsNeverCarrySignOrParentheses) {
  expectTable({
      {11, basis::showsPrec(11, std::numeric_limits<std::uint64_t>::max()),
       "18446744073709551615"},
      {0, basis::showsPrec(0, std::uint64_t{0}), "0"},
      {11, basis::showsPrec(11, std::uint8_t{255}), "255"},
  });
}

TEST(ShowCharacters, CharacterLiteralsEscapeAsThePlatformDoes) {
  struct CharCase {
    char32_t c;
    std::string expected;
  };
  const std::vector<CharCase> cases = {
      {U'a', "'a'"},        {U'\'', "'\\''"},     {U'"', "'\"'"},      {U'\\', "'\\\\'"},
      {U'\n', "'\\n'"},     {U'\a', "'\\a'"},     {U'\b', "'\\b'"},    {U'\f', "'\\f'"},
      {U'\r', "'\\r'"},     {U'\t', "'\\t'"},     {U'\v', "'\\v'"},    {U'\0', "'\\NUL'"},
      {0x01, "'\\SOH'"},    {0x0E, "'\\SO'"},     {0x1B, "'\\ESC'"},   {0x1F, "'\\US'"},
      {0x7F, "'\\DEL'"},    {0x80, "'\\128'"},    {0xE9, "'\\233'"},   {0xD800, "'\\55296'"},
      {0x10FFFF, "'\\1114111'"}, {U' ', "' '"},   {U'~', "'~'"},
  };
  for (const CharCase& c : cases) {
    EXPECT_EQ(basis::show(c.c), c.expected) << static_cast<std::uint32_t>(c.c);
    EXPECT_EQ(basis::showsPrec(11, c.c), c.expected);
  }
}

TEST(ShowStrings, StringLiteralsEscapeAndProtectFollowingCharacters) {
  struct StringCase {
    std::u32string s;
    std::string expected;
  };
  const std::vector<StringCase> cases = {
      {U"", "\"\""},
      {U"abc", "\"abc\""},
      {U"a\"b", "\"a\\\"b\""},
      {U"it's", "\"it's\""},
      {U"back\\slash", "\"back\\\\slash\""},
      {U"\u00e91", "\"\\233\\&1\""},    // decimal escape before a digit
      {U"\u00e9a", "\"\\233a\""},
      {U"\u00e9\u00e9", "\"\\233\\233\""},
      {U"\x0EH", "\"\\SO\\&H\""},        // \SO before H would read as \SOH
      {U"\x0E" U"I", "\"\\SOI\""},
      {U"\x01H", "\"\\SOHH\""},
      {U"\n\t", "\"\\n\\t\""},
      {U"\x7F" U"1", "\"\\DEL1\""},
      {std::u32string(U"\x00" U"1", 2), "\"\\NUL1\""},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(basis::show(c.s), c.expected);
    EXPECT_EQ(basis::showsPrec(11, c.s), c.expected);
    EXPECT_EQ(basis::show(std::vector<char32_t>(c.s.begin(), c.s.end())), c.expected);
  }
}

TEST(ShowStrings, ByteStringsShowEachByteAsACharacter) {
  EXPECT_EQ(basis::show(std::string("hi")), "\"hi\"");
  EXPECT_EQ(basis::show(std::string("\xff" "1")), "\"\\255\\&1\"");
  EXPECT_EQ(basis::show(std::string_view("a\0b", 3)), "\"a\\NULb\"");
}

TEST(ShowStrings, Utf8TextShowsEachCodePoint) {
  std::string out;
  basis::showUtf8StringLiteral("caf\xc3\xa9" "1", out);
  EXPECT_EQ(out, "\"caf\\233\\&1\"");
  out.clear();
  basis::showUtf8StringLiteral("\xf0\x9f\x98\x80", out);
  EXPECT_EQ(out, "\"\\128512\"");
  out.clear();
  basis::showUtf8StringLiteral("a\xff", out);  // malformed byte reads as U+FFFD
  EXPECT_EQ(out, "\"a\\65533\"");
}

TEST(ShowSimpleValues, BoolUnitOrderingAndDoubles) {
  expectTable({
      {11, basis::showsPrec(11, true), "True"},
      {0, basis::show(false), "False"},
      {11, basis::showsPrec(11, basis::unit), "()"},
      {11, basis::showsPrec(11, basis::LT), "LT"},
      {0, basis::show(basis::EQ), "EQ"},
      {0, basis::show(basis::GT), "GT"},
  });
  struct DoubleCase {
    int d;
    double x;
    std::string expected;
  };
  const std::vector<DoubleCase> cases = {
      {0, 0.0, "0.0"},        {0, 1.0, "1.0"},           {0, 0.1, "0.1"},
      {0, 12.5, "12.5"},      {0, 1234567.0, "1234567.0"}, {0, 1e7, "1.0e7"},
      {0, 12345678.9, "1.23456789e7"}, {0, 0.01, "1.0e-2"}, {0, 5e-324, "5.0e-324"},
      {0, -2.5, "-2.5"},      {7, -2.5, "(-2.5)"},      {6, -2.5, "-2.5"},
      {11, -0.0, "(-0.0)"},   {0, std::numeric_limits<double>::infinity(), "Infinity"},
      {11, -std::numeric_limits<double>::infinity(), "(-Infinity)"},
      {11, std::nan(""), "NaN"}, {0, 1.0 / 3.0, "0.3333333333333333"},
  };
  for (const DoubleCase& c : cases) {
    EXPECT_EQ(basis::showsPrec(c.d, c.x), c.expected) << c.x;
  }
}

TEST(ShowConstructors, OptionalEitherTheseIdentityParenthesiseAboveTen) {
  using E = Either<std::int64_t, std::u32string>;
  using T = basis::These<std::int64_t, bool>;
  expectTable({
      {0, basis::show(std::optional<std::int64_t>()), "Nothing"},
      {11, basis::showsPrec(11, std::optional<std::int64_t>()), "Nothing"},
      {10, basis::showsPrec(10, std::optional<std::int64_t>(-3)), "Just (-3)"},
      {11, basis::showsPrec(11, std::optional<std::int64_t>(3)), "(Just 3)"},
      {0, basis::show(std::optional<std::optional<bool>>(std::optional<bool>(true))),
       "Just (Just True)"},
      {0, basis::show(E(Left{std::int64_t{-1}})), "Left (-1)"},
      {11, basis::showsPrec(11, E(Right{std::u32string(U"x")})), "(Right \"x\")"},
      {0, basis::show(T::this_(1)), "This 1"},
      {0, basis::show(T::that(false)), "That False"},
      {11, basis::showsPrec(11, T::these(-1, true)), "(These (-1) True)"},
      {0, basis::show(basis::Identity<std::int64_t>{5}), "Identity 5"},
      {11, basis::showsPrec(11, basis::Identity<std::int64_t>{5}), "(Identity 5)"},
  });
}

TEST(ShowCollections, TuplesAndListsPrintElementsAtPrecedenceZero) {
  using P = std::pair<std::int64_t, char32_t>;
  expectTable({
      {11, basis::showsPrec(11, P{-1, U'a'}), "(-1,'a')"},
      {0, basis::show(std::tuple<bool, std::int64_t, basis::Unit>{true, 2, {}}), "(True,2,())"},
      {11, basis::showsPrec(11, std::vector<std::int64_t>{1, -2, 3}), "[1,-2,3]"},
      {0, basis::show(std::vector<std::int64_t>{}), "[]"},
      {0, basis::show(std::vector<P>{{1, U'a'}, {2, U'b'}}), "[(1,'a'),(2,'b')]"},
      {0, basis::show(std::vector<std::u32string>{U"a", U""}), "[\"a\",\"\"]"},
      {0, basis::show(std::vector<char32_t>{}), "\"\""},
      {0, basis::show(std::vector<std::optional<std::int64_t>>{std::nullopt, 1}),
       "[Nothing,Just 1]"},
  });
}

// A printer that gives only showsPrec, without the defaults.
struct Bare {
  std::int64_t n;
};
}  // namespace
template <>
struct basis::Show<Bare> {
  static void showsPrec(int d, const Bare& b, std::string& out) { basis::showConstructor(d, out, "Bare", b.n); }
};
namespace {

TEST(ShowCollections, ElementsWithOnlyShowsPrecUseTheStandardListForm) {
  static_assert(basis::ShowType<Bare>);
  const std::vector<Bare> xs{{1}, {-2}};
  std::string viaFree;
  basis::showList<Bare>(xs, viaFree);
  std::string viaLifted;
  basis::lifted::sl<Bare>(xs, viaLifted);
  expectTable({
      {0, basis::show(xs), "[Bare 1,Bare (-2)]"},
      {0, basis::show(std::vector<Bare>{}), "[]"},
      {0, basis::show(basis::List<Bare>::fromRange(xs)), "[Bare 1,Bare (-2)]"},
      {11, basis::showsPrec(11, std::optional<std::vector<Bare>>(xs)), "(Just [Bare 1,Bare (-2)])"},
      {0, viaFree, "[Bare 1,Bare (-2)]"},
      {0, viaLifted, "[Bare 1,Bare (-2)]"},
  });
}

TEST(ShowLazy, ForcesAndShowsTheValue) {
  auto x = basis::Lazy<std::int64_t>::defer([] { return std::int64_t{-4}; });
  EXPECT_EQ(basis::showsPrec(11, x), "(-4)");
  auto bad = basis::Lazy<std::int64_t>::raise(std::runtime_error("boom"));
  std::vector<basis::Lazy<std::int64_t>> xs{1, bad};
  EXPECT_THROW(basis::show(xs), std::runtime_error);
}

TEST(ShowBuildingBlocks, RecordsAndConstructorApplications) {
  std::string out;
  basis::showRecord(0, out, "SubHashPath", [](basis::RecordFields& f) {
    f.field("partialHash", std::uint64_t{3}).field("lengthInBits", std::int64_t{-5});
  });
  EXPECT_EQ(out, "SubHashPath {partialHash = 3, lengthInBits = -5}");
  out.clear();
  basis::showRecord(11, out, "R", [](basis::RecordFields& f) { f.field("x", true); });
  EXPECT_EQ(out, "(R {x = True})");
  out.clear();
  basis::showRecord(10, out, "R", [](basis::RecordFields&) {});
  EXPECT_EQ(out, "R {}");
  out.clear();
  basis::showConstructor(11, out, "INV4_bitmap_array_size_mismatch", std::uint64_t{7},
                         std::int64_t{-2});
  EXPECT_EQ(out, "(INV4_bitmap_array_size_mismatch 7 (-2))");
  out.clear();
  basis::showConstructor(11, out, "Valid");
  EXPECT_EQ(out, "Valid");
  out.clear();
  basis::showParen(false, out, [](std::string& o) { o += "x"; });
  EXPECT_EQ(out, "x");
}

TEST(ShowBuildingBlocks, ShowsPrecAppendsToTheSink) {
  std::string out = "prefix ";
  basis::showsPrec(11, std::int64_t{-1}, out);
  EXPECT_EQ(out, "prefix (-1)");
  out.clear();
  basis::showList<std::int64_t>(std::vector<std::int64_t>{4, 5}, out);
  EXPECT_EQ(out, "[4,5]");
}

}  // namespace
