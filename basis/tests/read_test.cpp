#include "basis/read.hpp"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "basis/show.hpp"
#include "probes.hpp"

namespace {

using basis::Lexeme;
using K = basis::Lexeme::Kind;

// ---------------------------------------------------------------------------
// Lexer

TEST(Lexer, ClassifiesLexemesByThePlatformsRules) {
  struct Case {
    std::string input;
    K kind;
    std::string text;
    std::string rest;
  };
  const std::vector<Case> cases = {
      {"  fromList [", K::Ident, "fromList", " ["},
      {"fromList'x", K::Ident, "fromList'x", ""},
      {"_a1", K::Ident, "_a1", ""},
      {"->x", K::Punc, "->", "x"},
      {"= 1", K::Punc, "=", " 1"},
      {"==", K::Symbol, "==", ""},
      {"-5", K::Symbol, "-", "5"},
      {"<$>", K::Symbol, "<$>", ""},
      {"::", K::Punc, "::", ""},
      {"(a", K::Punc, "(", "a"},
      {"`", K::Punc, "`", ""},
      {",]", K::Punc, ",", "]"},
      {"12.5e-3x", K::Number, "12.5e-3", "x"},
      {"1.x", K::Number, "1", ".x"},
      {"1e", K::Number, "1", "e"},
      {"0x1Fg", K::Number, "0x1F", "g"},
      {"0xg", K::Number, "0", "xg"},
      {"0o17", K::Number, "0o17", ""},
      {"'a' b", K::Char, "'a'", " b"},
      {"'\\''", K::Char, "'\\''", ""},
      {"\"a\\\"b\" c", K::String, "\"a\\\"b\"", " c"},
      {" \t\n", K::EndOfInput, "", ""},
  };
  for (const Case& c : cases) {
    auto lx = basis::lexeme(c.input);
    ASSERT_TRUE(lx.has_value()) << c.input;
    EXPECT_EQ(lx->first.kind, c.kind) << c.input;
    EXPECT_EQ(lx->first.text, c.text) << c.input;
    EXPECT_EQ(lx->second, c.rest) << c.input;
  }
}

TEST(Lexer, RejectsMalformedLexemes) {
  for (std::string bad : {"'''", "'ab'", "'a", "\"abc", "\"\\q\"", "'\\&'", "\"\\1114112\"",
                          "\xc3\xa9", "\"a\\  b\"", "\"\xff\"", "\"\xed\xa0\x80\""}) {
    EXPECT_FALSE(basis::lexeme(bad).has_value()) << bad;
  }
}

TEST(Lexer, CharacterLiteralsDecodeEveryEscape) {
  struct Case {
    std::string literal;
    char32_t value;
  };
  const std::vector<Case> cases = {
      {"'a'", U'a'},      {"'\"'", U'"'},        {"'\\''", U'\''},     {"'\\\\'", U'\\'},
      {"'\\n'", U'\n'},   {"'\\a'", 7},          {"'\\b'", 8},         {"'\\f'", 12},
      {"'\\r'", 13},      {"'\\t'", 9},          {"'\\v'", 11},        {"'\\NUL'", 0},
      {"'\\SOH'", 1},     {"'\\SO'", 14},        {"'\\BEL'", 7},       {"'\\SP'", 32},
      {"'\\DEL'", 127},   {"'\\US'", 31},        {"'\\^A'", 1},        {"'\\^@'", 0},
      {"'\\65'", U'A'},   {"'\\x41'", U'A'},     {"'\\o101'", U'A'},   {"'\\233'", 0xE9},
      {"'\\1114111'", 0x10FFFF}, {"'\\55296'", 0xD800}, {"'\xc3\xa9'", 0xE9},
  };
  for (const Case& c : cases) {
    auto lx = basis::lexeme(c.literal);
    ASSERT_TRUE(lx.has_value()) << c.literal;
    ASSERT_EQ(lx->first.kind, K::Char) << c.literal;
    EXPECT_EQ(lx->first.charValue(), c.value) << c.literal;
  }
}

TEST(Lexer, StringLiteralsHonourEmptyEscapesAndGaps) {
  struct Case {
    std::string literal;
    std::u32string value;
  };
  const std::vector<Case> cases = {
      {"\"\"", U""},
      {"\"\\SO\\&H\"", U"\x0EH"},
      {"\"\\SOH\"", U"\x01"},
      {"\"\\233\\&1\"", U"\u00e91"},
      {"\"a\\&b\"", U"ab"},
      {"\"a\\  \n \\b\"", U"ab"},
      {"\"it's\"", U"it's"},
      {"\"caf\xc3\xa9\"", U"caf\u00e9"},
      {"\"\\1234\\&5\"", U"\u04d25"},
  };
  for (const Case& c : cases) {
    auto lx = basis::lexeme(c.literal);
    ASSERT_TRUE(lx.has_value()) << c.literal;
    ASSERT_EQ(lx->first.kind, K::String) << c.literal;
    EXPECT_EQ(lx->first.stringValue(), c.value) << c.literal;
  }
}

// ---------------------------------------------------------------------------
// Standard instances

TEST(ReadIntegers, AcceptsThePlatformsFormsAtEachPrecedence) {
  struct Case {
    int d;
    std::string text;
    std::optional<std::int64_t> value;
  };
  const std::vector<Case> cases = {
      {0, "5", 5},          {0, "  5  ", 5},      {11, "5", 5},         {0, "((5))", 5},
      {0, "-5", -5},        {6, "-5", -5},        {7, "-5", {}},        {11, "(-5)", -5},
      {0, "- 5", -5},       {0, "0x1F", 31},      {0, "0o17", 15},      {0, "007", 7},
      {0, "1.0", {}},       {0, "1e3", {}},       {0, "--5", {}},       {0, "5x", {}},
      {0, "(5", {}},        {0, "5)", {}},        {0, "", {}},          {0, "(-(5))", {}},
      {0, "9223372036854775807", std::numeric_limits<std::int64_t>::max()},
      {0, "-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
      {0, "9223372036854775808", {}},
      {0, "-9223372036854775809", {}},
  };
  for (const Case& c : cases) {
    std::optional<std::int64_t> got;
    for (auto& [x, rest] : basis::readsPrec<std::int64_t>(c.d, c.text)) {
      if (basis::skipSpaces(rest).empty()) got = x;
    }
    EXPECT_EQ(got, c.value) << "'" << c.text << "' at " << c.d;
  }
}

TEST(ReadIntegers, NarrowAndUnsignedTypesRejectOutOfRangeValues) {
  EXPECT_EQ(basis::read<std::int8_t>("-128"), std::int8_t{-128});
  EXPECT_EQ(basis::read<std::int8_t>("128"), std::nullopt);
  EXPECT_EQ(basis::read<std::uint8_t>("255"), std::uint8_t{255});
  EXPECT_EQ(basis::read<std::uint8_t>("256"), std::nullopt);
  EXPECT_EQ(basis::read<std::uint64_t>("18446744073709551615"),
            std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(basis::read<std::uint64_t>("18446744073709551616"), std::nullopt);
  EXPECT_EQ(basis::read<std::uint64_t>("-1"), std::nullopt);
  EXPECT_EQ(basis::read<std::uint32_t>("0xffffffff"), 0xffffffffu);
}

TEST(ReadDoubles, AcceptsNumbersAndSpecialNames) {
  EXPECT_EQ(basis::read<double>("1.5"), 1.5);
  EXPECT_EQ(basis::read<double>("5"), 5.0);
  EXPECT_EQ(basis::read<double>("1.0e-2"), 0.01);
  EXPECT_EQ(basis::read<double>("(-2.5)"), -2.5);
  EXPECT_EQ(basis::read<double>("0x10"), 16.0);
  EXPECT_EQ(basis::read<double>("Infinity"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(basis::read<double>("-Infinity"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(basis::read<double>("1e999999999999999999999"),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(basis::read<double>("1e-999999999999999999999"), 0.0);
  auto nan = basis::read<double>("NaN");
  ASSERT_TRUE(nan.has_value());
  EXPECT_TRUE(std::isnan(*nan));
  auto negZero = basis::read<double>("-0.0");
  ASSERT_TRUE(negZero.has_value());
  EXPECT_TRUE(std::signbit(*negZero));
  EXPECT_TRUE(basis::readsPrec<double>(7, "-1.0").empty());
}

// Every numeric form read as a double: the value the text denotes, correctly
// rounded, infinity past the range, zero below it, the sign kept.
TEST(ReadNumbers, DoublesFromEveryFormAndWidth) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string zeros256(256, '0');
  struct Case {
    std::string text;
    double value;
  };
  const std::vector<Case> cases = {
      {"0x1" + zeros256, inf},
      {"-0x1" + zeros256, -inf},
      {"0X1" + std::string(256, '0'), inf},
      {"0x1" + std::string(255, '0'), std::ldexp(1.0, 1020)},
      {"0x1" + std::string(200, '0'), std::ldexp(1.0, 800)},
      {"0x" + std::string(300, '0') + "1", 1.0},
      {"0xfffffffffffff8", 72057594037927928.0},
      {"0x20000000000000f", 144115188075855888.0},  // 2^57 + 15: rounds up
      {"0o1" + std::string(400, '0'), inf},
      {"-0o1" + std::string(400, '0'), -inf},
      {"0o1" + std::string(300, '0'), std::ldexp(1.0, 900)},
      {"0o4000000000000000011", 72057594037927952.0},  // 2^56 + 9: one rounding, up
      {"0o400000000000000001", 9007199254740992.0},    // 2^53 + 1: ties to even
      {"0o17", 15.0},
      {"1" + std::string(400, '0'), inf},
      {"-1" + std::string(400, '0'), -inf},
      {"1" + std::string(300, '0'), 1e300},
      {"17976931348623157" + std::string(292, '0'), std::numeric_limits<double>::max()},
      {"17976931348623159" + std::string(292, '0'), inf},
      {"1.7976931348623159e308", inf},
      {"1e308", 1e308},
      {"1e309", inf},
      {"-1e309", -inf},
      {"0.1e310", inf},
      {"4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
      {"3e-324", std::numeric_limits<double>::denorm_min()},
      {"2e-324", 0.0},
      {"-2e-324", -0.0},
      {"2.2250738585072014e-308", std::numeric_limits<double>::min()},
      {"0." + std::string(400, '0') + "1e400", 0.1},
      {"0.000001e6", 1.0},
      {"12.5E+2", 1250.0},
      {"12.5e-2", 0.125},
      {"-0", -0.0},
      {"0x0", 0.0},
      {"-0o0", -0.0},
  };
  for (const Case& c : cases) {
    const auto got = basis::read<double>(c.text);
    ASSERT_TRUE(got.has_value()) << c.text.substr(0, 40);
    EXPECT_EQ(*got, c.value) << c.text.substr(0, 40);
    EXPECT_EQ(std::signbit(*got), std::signbit(c.value)) << c.text.substr(0, 40);
  }
}

__extension__ typedef __int128 Wide;
__extension__ typedef unsigned __int128 UWide;

// The digits of v in the given base, with the base's prefix.
std::string inBase(UWide v, int base) {
  std::string digits;
  do {
    digits += "0123456789abcdef"[static_cast<int>(v % static_cast<unsigned>(base))];
    v /= static_cast<unsigned>(base);
  } while (v != 0);
  std::reverse(digits.begin(), digits.end());
  return (base == 16 ? "0x" : base == 8 ? "0o" : "") + digits;
}

// Integers at and one past the ends of their type, in every base and both
// signs: the value, or no parse out of range (never a wrapped value).
template <class T>
void expectIntegralRange() {
  const Wide lo = std::numeric_limits<T>::min();
  const Wide hi = std::numeric_limits<T>::max();
  auto text = [](Wide v, int base) {
    return v < 0 ? "-" + inBase(static_cast<UWide>(-v), base)
                 : inBase(static_cast<UWide>(v), base);
  };
  for (int base : {10, 8, 16}) {
    for (Wide v : {Wide{0}, Wide{1}, lo, hi, hi + 1, lo - 1, Wide{-1}, Wide{1} << 64, -(Wide{1} << 64)}) {
      const std::string t = text(v, base);
      const auto got = basis::read<T>(t);
      if (v >= lo && v <= hi) {
        ASSERT_TRUE(got.has_value()) << t;
        EXPECT_EQ(static_cast<Wide>(*got), v) << t;
      } else {
        EXPECT_FALSE(got.has_value()) << t;
      }
      // The same number with leading zeros, in parentheses, and as a double.
      const std::string padded = v < 0 ? "-" + text(-v, base).insert(base == 10 ? 0 : 2, "000")
                                       : text(v, base).insert(base == 10 ? 0 : 2, "000");
      EXPECT_EQ(basis::read<T>("(" + padded + ")"), got) << padded;
      const auto asDouble = basis::read<double>(t);
      ASSERT_TRUE(asDouble.has_value()) << t;
      EXPECT_EQ(*asDouble, static_cast<double>(v)) << t;
    }
  }
}

TEST(ReadNumbers, IntegersOfEveryWidthInEveryBase) {
  expectIntegralRange<std::int8_t>();
  expectIntegralRange<std::uint8_t>();
  expectIntegralRange<std::int16_t>();
  expectIntegralRange<std::uint16_t>();
  expectIntegralRange<std::int32_t>();
  expectIntegralRange<std::uint32_t>();
  expectIntegralRange<std::int64_t>();
  expectIntegralRange<std::uint64_t>();
  // Fractions and exponents are not integers; huge digit runs are no parse.
  EXPECT_EQ(basis::read<std::int64_t>("1e3"), std::nullopt);
  EXPECT_EQ(basis::read<std::int64_t>("1.0"), std::nullopt);
  EXPECT_EQ(basis::read<std::int64_t>("0x1" + std::string(256, '0')), std::nullopt);
  EXPECT_EQ(basis::read<std::uint64_t>("0o1" + std::string(400, '0')), std::nullopt);
  EXPECT_EQ(basis::read<std::int64_t>("-" + std::string(300, '9')), std::nullopt);
  EXPECT_EQ(basis::read<std::int64_t>(std::string(300, '0') + "7"), 7);
}

TEST(ReadConstructors, OptionalEitherTheseAndSimpleEnumerations) {
  using MaybeInt = std::optional<std::int64_t>;
  EXPECT_EQ(basis::read<MaybeInt>("Nothing"), std::optional<MaybeInt>(MaybeInt()));
  EXPECT_EQ(basis::read<MaybeInt>("Just 5"), MaybeInt(5));
  EXPECT_EQ(basis::read<MaybeInt>("Just(5)"), MaybeInt(5));
  EXPECT_EQ(basis::read<MaybeInt>("Just (-5)"), MaybeInt(-5));
  EXPECT_EQ(basis::read<MaybeInt>("Just -5"), std::nullopt);
  EXPECT_EQ(basis::read<MaybeInt>("Justx"), std::nullopt);
  EXPECT_EQ(basis::read<std::optional<MaybeInt>>("Just (Just 1)"), std::optional<MaybeInt>(1));
  EXPECT_EQ(basis::read<std::optional<MaybeInt>>("Just Just 1"), std::nullopt);
  // A constructor application needs parentheses above precedence 10; a
  // nullary constructor never does.
  EXPECT_TRUE(basis::readsPrec<MaybeInt>(11, "Just 5").empty());
  EXPECT_EQ(basis::readsPrec<MaybeInt>(11, "(Just 5)").size(), 1u);
  EXPECT_EQ(basis::readsPrec<MaybeInt>(11, "Nothing").size(), 1u);

  using E = basis::Either<std::int64_t, bool>;
  EXPECT_EQ(basis::read<E>("Left 3"), E::left(3));
  EXPECT_EQ(basis::read<E>(" ( Right True ) "), E::right(true));
  using T = basis::These<std::int64_t, bool>;
  EXPECT_EQ(basis::read<T>("These (-1) False"), T::these(-1, false));
  EXPECT_EQ(basis::read<T>("That True"), T::that(true));
  EXPECT_EQ(basis::read<basis::Identity<std::int64_t>>("Identity 4"),
            (basis::Identity<std::int64_t>{4}));
  EXPECT_EQ(basis::read<bool>("(True)"), true);
  EXPECT_EQ(basis::read<bool>("true"), std::nullopt);
  EXPECT_EQ(basis::read<basis::Ordering>("GT"), basis::GT);
  EXPECT_EQ(basis::read<basis::Unit>("( )"), basis::unit);
  EXPECT_EQ(basis::read<basis::Unit>("(())"), basis::unit);
  EXPECT_EQ(basis::read<basis::Unit>("("), std::nullopt);
}

TEST(ReadCollections, ListsTuplesAndStrings) {
  using V = std::vector<std::int64_t>;
  EXPECT_EQ(basis::read<V>("[]"), V{});
  EXPECT_EQ(basis::read<V>(" [ 1 , -2 ,3 ] "), (V{1, -2, 3}));
  EXPECT_EQ(basis::read<V>("([(1),((2))])"), (V{1, 2}));
  EXPECT_EQ(basis::read<V>("[1,]"), std::nullopt);
  EXPECT_EQ(basis::read<V>("[,1]"), std::nullopt);
  EXPECT_EQ(basis::read<V>("[1 2]"), std::nullopt);
  using P = std::pair<std::int64_t, char32_t>;
  EXPECT_EQ(basis::read<P>("(-1,'a')"), (P{-1, U'a'}));
  EXPECT_EQ(basis::read<P>("((1,'a'))"), (P{1, U'a'}));
  EXPECT_EQ(basis::read<P>("(1,'a',2)"), std::nullopt);
  using Tr = std::tuple<bool, std::int64_t, basis::Unit>;
  EXPECT_EQ(basis::read<Tr>("(True, 2, ())"), (Tr{true, 2, {}}));
  EXPECT_EQ(basis::read<std::u32string>("\"a\\nb\""), std::u32string(U"a\nb"));
  EXPECT_EQ(basis::read<std::u32string>("['a','b']"), std::u32string(U"ab"));
  EXPECT_EQ(basis::read<std::u32string>("(\"x\")"), std::u32string(U"x"));
  EXPECT_EQ(basis::read<std::string>("\"a\\255\""), std::string("a\xff"));
  EXPECT_EQ(basis::read<std::string>("\"\\256\""), std::nullopt);
  EXPECT_EQ(basis::read<std::vector<char32_t>>("\"hi\""), (std::vector<char32_t>{U'h', U'i'}));
}

TEST(ReadLazy, ReadsTheValueHeldEvaluated) {
  auto x = basis::read<basis::Lazy<std::int64_t>>("7");
  ASSERT_TRUE(x.has_value());
  EXPECT_TRUE(x->isInline());
  EXPECT_EQ(x->force(), 7);
}

TEST(ReadEntryPoints, ReadsPrecKeepsTheRestAndReadWantsTheWholeText) {
  auto parses = basis::readsPrec<std::int64_t>(0, " 12 rest");
  ASSERT_EQ(parses.size(), 1u);
  EXPECT_EQ(parses[0].first, 12);
  EXPECT_EQ(parses[0].second, " rest");
  EXPECT_EQ(basis::read<std::int64_t>("12 rest"), std::nullopt);
  EXPECT_EQ(basis::read<std::int64_t>(" 12 \n"), 12);
}

// ---------------------------------------------------------------------------
// Combinators and every-parse behaviour

// A test type whose two constructor forms overlap on purpose.
struct Amb {
  std::int64_t tag;
  friend bool operator==(const Amb&, const Amb&) = default;
};

}  // namespace

template <>
struct basis::Read<Amb> : basis::ReadDefaults<Amb> {
  // "A n" reads as tag n; "A" alone as tag 0 — so "A 1" has two parses.
  static basis::Parses<Amb> readsPrec(int d, std::string_view in) {
    return basis::runParens(
        basis::alt(
            [](int p, std::string_view s) {
              return basis::readConstructor<Amb, std::int64_t>(
                  p, s, "A", [](std::int64_t n) { return Amb{n}; });
            },
            [](int, std::string_view s) { return basis::readNullary(s, "A", Amb{0}); }),
        d, in);
  }
};

namespace {

TEST(ReadEveryParse, AmbiguousInputYieldsAllParses) {
  auto parses = basis::readsPrec<Amb>(0, "A 1");
  ASSERT_EQ(parses.size(), 2u);
  EXPECT_EQ(parses[0].first, Amb{1});
  EXPECT_EQ(parses[0].second, "");
  EXPECT_EQ(parses[1].first, Amb{0});
  EXPECT_EQ(parses[1].second, " 1");
  // Only one parse consumes everything, so `read` still finds it.
  EXPECT_EQ(basis::read<Amb>("A 1"), Amb{1});
  // A list of them: each element's parses multiply into the list's.
  auto lists = basis::readsPrec<std::vector<Amb>>(0, "[A 1,A]");
  EXPECT_EQ(lists.size(), 1u);
}

TEST(ReadEveryParse, TwoCompleteParsesMakeReadFail) {
  auto twice = [](int d, std::string_view s) {
    auto out = basis::readsPrec<std::int64_t>(d, s);
    auto again = basis::readsPrec<std::int64_t>(d, s);
    basis::appendParses(out, std::move(again));
    return out;
  };
  EXPECT_EQ(twice(0, "3").size(), 2u);
  EXPECT_EQ(basis::readListWith(twice, "[3,4]").size(), 4u);
}

TEST(ReadCombinators, PrecStepResetAndParen) {
  auto word = [](int, std::string_view s) { return basis::readNullary(s, "w", 1); };
  auto atTen = basis::prec(10, word);
  EXPECT_EQ(atTen(10, "w").size(), 1u);
  EXPECT_TRUE(atTen(11, "w").empty());
  auto seesPrec = [](int d, std::string_view s) { return basis::Parses<int>{{d, s}}; };
  EXPECT_EQ(basis::step(seesPrec)(4, "")[0].first, 5);
  EXPECT_EQ(basis::reset(seesPrec)(4, "")[0].first, 0);
  EXPECT_EQ(basis::paren(seesPrec)(9, "( )")[0].first, 0);
  EXPECT_TRUE(basis::paren(seesPrec)(9, "x").empty());
  // parens: bare at the context precedence, at 0 inside parentheses.
  auto results = basis::parens(atTen)(11, "((w))");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(basis::parens(atTen)(11, "w").empty());
}

// A record used to check the record helper.
struct Rec {
  std::int64_t x;
  bool y;
  friend bool operator==(const Rec&, const Rec&) = default;
};

basis::Parses<Rec> readRec(int d, std::string_view in) {
  return basis::runParens(
      [](int p, std::string_view s) {
        return basis::readRecord<Rec, std::int64_t, bool>(
            p, s, "Rec", {"x", "y"}, [](std::int64_t x, bool y) { return Rec{x, y}; });
      },
      d, in);
}

TEST(ReadCombinators, RecordsReadTheirFieldsInOrder) {
  auto complete = [](int d, std::string_view s) {
    for (auto& [r, rest] : readRec(d, s)) {
      if (basis::skipSpaces(rest).empty()) return std::optional<Rec>(r);
    }
    return std::optional<Rec>();
  };
  EXPECT_EQ(complete(0, "Rec {x = -1, y = True}"), (Rec{-1, true}));
  EXPECT_EQ(complete(11, " Rec{ x=2 ,y= False } "), (Rec{2, false}));
  EXPECT_EQ(complete(12, "Rec {x = 2, y = False}"), std::nullopt);
  EXPECT_EQ(complete(12, "(Rec {x = 2, y = False})"), (Rec{2, false}));
  EXPECT_EQ(complete(0, "Rec {y = False, x = 2}"), std::nullopt);
  EXPECT_EQ(complete(0, "Rec {x = 2}"), std::nullopt);
  EXPECT_EQ(complete(0, "Rec {x = 2, y = False"), std::nullopt);
  EXPECT_EQ(complete(0, "Record {x = 2, y = False}"), std::nullopt);
}

// ---------------------------------------------------------------------------
// Hostile input

// A recursive type read through itself: «Z», «S (S Z)».
struct Nat {
  std::shared_ptr<const Nat> pred;
};

}  // namespace

template <>
struct basis::Read<Nat> : basis::ReadDefaults<Nat> {
  static basis::Parses<Nat> readsPrec(int d, std::string_view in) {
    return basis::runParens(
        [](int p, std::string_view s) {
          auto out = basis::readNullary(s, "Z", Nat{});
          basis::appendParses(out, basis::readConstructor<Nat, Nat>(p, s, "S", [](const Nat& n) {
                                return Nat{std::make_shared<const Nat>(n)};
                              }));
          return out;
        },
        d, in);
  }
};

// A recursive type whose two forms both start with "(": «()» or «(l,r)»;
// a run of "(" has exponentially many readings.
struct Bin {
  std::shared_ptr<const std::pair<Bin, Bin>> kids;
};

template <>
struct basis::Read<Bin> : basis::ReadDefaults<Bin> {
  static basis::Parses<Bin> readsPrec(int d, std::string_view in) {
    return basis::runParens(
        [](int, std::string_view s) {
          basis::Parses<Bin> out;
          if (auto open = basis::expectPunc(s, "(")) {
            if (auto close = basis::expectPunc(*open, ")")) out.emplace_back(Bin{}, *close);
          }
          for (auto& [t, rest] : basis::readTuple<Bin, Bin>(s)) {
            out.emplace_back(Bin{std::make_shared<const std::pair<Bin, Bin>>(std::get<0>(t),
                                                                            std::get<1>(t))},
                             rest);
          }
          return out;
        },
        d, in);
  }
};

namespace {

int natDepth(const Nat& n) {
  int k = 0;
  for (const Nat* p = &n; p->pred; p = p->pred.get()) ++k;
  return k;
}

TEST(ReadHostileInput, DeepParenthesesGiveNoParseWithoutCrashing) {
  const std::string opens(100000, '(');
  EXPECT_EQ(basis::read<std::int64_t>(opens), std::nullopt);
  EXPECT_FALSE((basis::read<std::pair<std::int64_t, std::int64_t>>(opens)).has_value());
  EXPECT_EQ(basis::read<std::optional<std::optional<std::int64_t>>>(opens), std::nullopt);
  EXPECT_EQ(basis::read<std::vector<std::vector<std::int64_t>>>(std::string(100000, '[')),
            std::nullopt);
  const std::string balanced = opens + "5" + std::string(100000, ')');
  EXPECT_EQ(basis::read<std::int64_t>(balanced), std::nullopt);
  const std::string shallow = std::string(200, '(') + "5" + std::string(200, ')');
  EXPECT_EQ(basis::read<std::int64_t>(shallow), 5);
}

TEST(ReadHostileInput, RecursiveTypesStopAtTheNestingLimit) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "S (";
  text += "Z";
  text += std::string(100000, ')');
  EXPECT_FALSE(basis::read<Nat>(text).has_value());

  std::string moderate;
  for (int i = 0; i < 300; ++i) moderate += "S (";
  moderate += "Z" + std::string(300, ')');
  auto n = basis::read<Nat>(moderate);
  ASSERT_TRUE(n.has_value());
  EXPECT_EQ(natDepth(*n), 300);
}

TEST(ReadHostileInput, ExponentialAmbiguityEndsWithinTheBudget) {
  const double start = probes::threadCpuSeconds();
  EXPECT_FALSE(basis::read<Bin>(std::string(3000, '(')).has_value());
  EXPECT_FALSE(basis::read<std::vector<Bin>>("[" + std::string(3000, '(') + "]").has_value());
  EXPECT_LT(probes::threadCpuSeconds() - start, 20.0);
  // After a parse ran out of budget, the next one starts afresh.
  EXPECT_TRUE(basis::read<Bin>("((),(()))").has_value());
}

using probes::bestSeconds;

// A run of parentheses before one long literal: each way of splitting the run
// between the tuple levels meets the same literal again. The work stays within
// a small factor of reading a valid text of the same size.
TEST(ReadHostileInput, ParenthesesBeforeALongLiteralCostLinearWork) {
  using Nested = std::pair<std::pair<std::string, int>, int>;
  const std::string literal = "\"" + std::string(32 << 10, 'x') + "\"";
  const std::string hostile = std::string(240, '(') + literal;
  using Entries = std::vector<std::pair<std::string, int>>;
  std::string valid = "[";
  while (valid.size() < hostile.size()) valid += (valid.size() > 1 ? "," : "") + std::string("(\"entry\",12345)");
  valid += "]";
  const double benign = bestSeconds([&] { EXPECT_TRUE(basis::read<Entries>(valid).has_value()); });
  const double bad = bestSeconds([&] { EXPECT_FALSE(basis::read<Nested>(hostile).has_value()); });
  EXPECT_LT(bad, 40 * benign + 0.005) << "hostile " << bad << " s, valid " << benign << " s";
  // The same literal inside balanced parentheses still reads.
  const auto back = basis::read<Nested>("((" + literal + ",1),2)");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->first.first.size(), std::size_t{32 << 10});
}

// Valid texts with redundant parentheses around values and their parts: each
// reads, however many parentheses (up to the nesting limit) stand around it.
TEST(ReadRedundantParentheses, ValidTextsReadWhateverTheirParentheses) {
  using Pairs = std::vector<std::pair<int, int>>;
  auto pairsIn = [](int count, int depth) {
    std::string s = "[";
    for (int i = 0; i < count; ++i) {
      s += (i ? "," : "") + std::string(static_cast<std::size_t>(depth), '(') + "(1,2)" +
           std::string(static_cast<std::size_t>(depth), ')');
    }
    return s + "]";
  };
  struct Case {
    int count;
    int depth;
  };
  for (const Case c : {Case{10, 400}, Case{100, 200}, Case{1000, 50}, Case{1, 510}}) {
    const auto xs = basis::read<Pairs>(pairsIn(c.count, c.depth));
    ASSERT_TRUE(xs.has_value()) << c.count << " pairs in " << c.depth;
    EXPECT_EQ(*xs, Pairs(static_cast<std::size_t>(c.count), {1, 2}));
  }
  // A long literal in parentheses as the first element of a pair.
  const std::string x(std::size_t{4} << 20, 'x');
  const auto big = basis::read<std::pair<std::string, int>>("((((\"" + x + "\"))),1)");
  ASSERT_TRUE(big.has_value());
  EXPECT_EQ(big->first, x);
  EXPECT_EQ(big->second, 1);
  // Parentheses at every level of nested tuples, and around the parts.
  using Nested = std::tuple<std::pair<int, std::string>, std::vector<std::pair<int, int>>, bool>;
  const Nested nested{{-1, "a"}, {{2, 3}}, true};
  const std::string parts = "(((-1)),((\"a\")))," "(([((2,3))]))," "(True)";
  EXPECT_EQ(basis::read<Nested>("(((" + parts + ")))"), nested);
  EXPECT_EQ(basis::read<Nested>(std::string(300, '(') + "((-1,\"a\"),[(2,3)],True)" +
                                std::string(300, ')')),
            nested);
  // Blanks between the parentheses change nothing.
  EXPECT_EQ((basis::read<std::pair<int, int>>(" ( ( ( 1 , 2 ) ) ) ")), std::make_pair(1, 2));
  // Unbalanced or misplaced parentheses stay no parse.
  EXPECT_FALSE((basis::read<std::pair<int, int>>("(((1,2))")).has_value());
  EXPECT_FALSE((basis::read<std::pair<int, int>>("((1,2)))")).has_value());
  EXPECT_FALSE((basis::read<std::pair<int, int>>("((1),2))")).has_value());
  EXPECT_FALSE((basis::read<std::pair<int, int>>("((1,2]")).has_value());
  EXPECT_FALSE((basis::read<std::pair<int, int>>("[(1,2)")).has_value());
}

// The bytes a read examines, per byte of its text: valid texts of every shape
// and hostile ones stay within a small constant at every size, so a parse
// never comes near its budget and a hostile text costs no more than a valid one.
TEST(ReadRedundantParentheses, WorkIsLinearInTheText) {
  using Entries = std::vector<std::pair<std::string, int>>;
  using Nested = std::pair<std::pair<std::string, int>, int>;
  auto literal = [](std::size_t n) { return "\"" + std::string(n, 'x') + "\""; };
  struct Family {
    const char* name;
    bool valid;
    std::function<std::string(std::size_t)> make;
    std::function<bool(const std::string&)> read;
  };
  auto readEntries = [](const std::string& s) { return basis::read<Entries>(s).has_value(); };
  auto readNested = [](const std::string& s) { return basis::read<Nested>(s).has_value(); };
  const std::vector<Family> families = {
      {"list of pairs", true,
       [](std::size_t n) {
         std::string s = "[";
         while (s.size() + 16 < n) s += (s.size() > 1 ? "," : "") + std::string("(\"entry\",12345)");
         return s + "]";
       },
       readEntries},
      {"pairs in 400 parentheses", true,
       [](std::size_t n) {
         const std::size_t k = std::min<std::size_t>(400, n / 40 + 1);
         std::string s = "[";
         while (s.size() == 1 || s.size() + 2 * k + 12 < n) {
           s += (s.size() > 1 ? "," : "") + std::string(k, '(') + "(\"e\",1)" + std::string(k, ')');
         }
         return s + "]";
       },
       readEntries},
      {"literal in parentheses in a pair", true,
       [&](std::size_t n) { return "((((" + literal(n) + "))),1)"; },
       [](const std::string& s) { return basis::read<std::pair<std::string, int>>(s).has_value(); }},
      {"500 ( then a literal", false,
       [&](std::size_t n) { return std::string(std::min<std::size_t>(500, n / 3), '(') + literal(n); },
       readNested},
      {"only (", false, [](std::size_t n) { return std::string(n, '('); }, readNested},
      {"open tuples", false,
       [](std::size_t n) {
         std::string s;
         while (s.size() < n) s += "((1,";
         return s;
       },
       readNested},
      {"list of unclosed runs", false,
       [&](std::size_t n) {
         std::string s = "[";
         while (s.size() < n) s += std::string(100, '(') + literal(20) + ",";
         return s;
       },
       readEntries},
  };
  for (std::size_t size : {std::size_t{100}, std::size_t{1} << 10, std::size_t{16} << 10, std::size_t{1} << 20}) {
    double validWork = 0;
    for (const Family& f : families) {
      const std::string text = f.make(size);
      EXPECT_EQ(f.read(text), f.valid) << f.name << " at " << size;
      const double perByte =
          static_cast<double>(basis::detail::lastReadWork()) / static_cast<double>(text.size());
      EXPECT_LT(perByte, 8.0) << f.name << " at " << size;
      if (f.valid) {
        validWork = std::max(validWork, perByte);
      } else {
        EXPECT_LT(perByte, 10 * validWork) << f.name << " at " << size;
      }
    }
  }
}

// The same comparison in thread CPU time: hostile texts of a size against a
// valid list of pairs of that size.
TEST(ReadRedundantParentheses, HostileTextsCostNoMoreTimeThanValidOnes) {
  using Entries = std::vector<std::pair<std::string, int>>;
  using Nested = std::pair<std::pair<std::string, int>, int>;
  auto cpu = [](auto&& f) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      timespec a{}, b{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
      f();
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
      best = std::min(best, static_cast<double>(b.tv_sec - a.tv_sec) + 1e-9 * static_cast<double>(b.tv_nsec - a.tv_nsec));
    }
    return best;
  };
  for (std::size_t size : {std::size_t{16} << 10, std::size_t{1} << 20}) {
    std::string valid = "[";
    while (valid.size() + 16 < size) valid += (valid.size() > 1 ? "," : "") + std::string("(\"entry\",12345)");
    valid += "]";
    const std::string runs = std::string(500, '(') + "\"" + std::string(size - 502, 'x') + "\"";
    const std::string opens(size, '(');
    const double benign = cpu([&] { EXPECT_TRUE(basis::read<Entries>(valid).has_value()); });
    for (const std::string* hostile : {&runs, &opens}) {
      const double bad = cpu([&] { EXPECT_FALSE(basis::read<Nested>(*hostile).has_value()); });
      EXPECT_LT(bad, 10 * benign + 0.002) << "size " << size << ": hostile " << bad << " s, valid " << benign << " s";
    }
  }
}

TEST(ReadHostileInput, LongFlatListsCostNoStack) {
  std::string text = "[";
  for (int i = 0; i < 200000; ++i) text += i == 0 ? "1" : ",1";
  text += "]";
  auto xs = basis::read<std::vector<std::int64_t>>(text);
  ASSERT_TRUE(xs.has_value());
  EXPECT_EQ(xs->size(), 200000u);
}

TEST(ReadHostileInput, ArbitraryBytesNeverThrow) {
  rc::check([](const std::string& junk) {
    (void)basis::read<std::vector<std::pair<std::int64_t, std::u32string>>>(junk);
    (void)basis::read<std::optional<double>>(junk);
    (void)basis::read<std::string>(junk);
  });
}

// ---------------------------------------------------------------------------
// Read after show

template <class T>
void expectRoundTrip(const T& x) {
  for (int d : {0, 6, 7, 11}) {
    const std::string text = basis::showsPrec(d, x);
    auto back = basis::readsPrec<T>(d, text);
    RC_ASSERT(back.size() == 1u);
    RC_ASSERT(back[0].first == x);
    RC_ASSERT(back[0].second.empty());
  }
}

RC_GTEST_PROP(ReadAfterShow, Integers, (std::int64_t a, std::uint64_t b, std::int8_t c)) {
  expectRoundTrip(a);
  expectRoundTrip(b);
  expectRoundTrip(c);
}

RC_GTEST_PROP(ReadAfterShow, CharactersAndStrings, ()) {
  const auto c = *rc::gen::inRange<char32_t>(0, 0x110000);
  expectRoundTrip(c);
  const auto s = *rc::gen::container<std::u32string>(
      rc::gen::oneOf(rc::gen::inRange<char32_t>(0, 0x110000), rc::gen::elementOf(std::u32string(
                                                                  U"0123456789H\\\"'\x0e\x7f"))));
  expectRoundTrip(s);
  const auto bytes = *rc::gen::arbitrary<std::string>();
  expectRoundTrip(bytes);
}

RC_GTEST_PROP(ReadAfterShow, Doubles, (double x)) {
  const std::string text = basis::show(x);
  auto back = basis::read<double>(text);
  RC_ASSERT(back.has_value());
  if (std::isnan(x)) {
    RC_ASSERT(std::isnan(*back));
  } else {
    RC_ASSERT(*back == x);
    RC_ASSERT(std::signbit(*back) == std::signbit(x));
  }
}

RC_GTEST_PROP(ReadAfterShow, NestedStandardTypes, (bool b, std::int64_t n)) {
  const auto xs = *rc::gen::container<std::vector<std::pair<std::optional<std::int64_t>, std::u32string>>>(
      rc::gen::pair(rc::gen::map(rc::gen::pair(rc::gen::arbitrary<bool>(), rc::gen::arbitrary<std::int64_t>()),
                                 [](const std::pair<bool, std::int64_t>& p) {
                                   return p.first ? std::optional<std::int64_t>(p.second) : std::nullopt;
                                 }),
                    rc::gen::container<std::u32string>(rc::gen::inRange<char32_t>(0, 0x300))));
  expectRoundTrip(xs);
  using E = basis::Either<std::int64_t, std::vector<bool>>;
  expectRoundTrip(b ? E::left(n) : E::right(std::vector<bool>{b, !b}));
  expectRoundTrip(std::tuple<bool, std::int64_t, std::optional<std::optional<bool>>>(
      b, n, b ? std::optional<std::optional<bool>>(std::optional<bool>()) : std::nullopt));
  using T = basis::These<std::int64_t, std::u32string>;
  expectRoundTrip(T::these(n, U"x"));
  expectRoundTrip(basis::Identity<std::int64_t>{n});
}

}  // namespace
