// Text form and parser, semigroup and monoid, hashing, list and literal
// conversions, formatted printing, the generic view, conversions to the
// other byte and text types, and the standard library hooks.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/expr.hpp>
#include <basis/generic.hpp>
#include <basis/lift.hpp>
#include <basis/nfdata.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>

#include <list>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::text;

TEST(TextForm, ShowsAsTheStringLiteralOfItsCharacters) {
  EXPECT_EQ(basis::show(ShortText()), "\"\"");
  const std::u32string tricky = U"say \"hi\"\\\n é€😀\x01" U"1";
  EXPECT_EQ(basis::show(fromString(tricky)), basis::show(tricky));
  EXPECT_EQ(basis::showsPrec(11, text(U"a b")), "\"a b\"");  // never parenthesised
  std::string out;
  basis::Show<ShortText>::showList(std::vector<ShortText>{text(U"a"), text(U"b")}, out);
  EXPECT_EQ(out, "[\"a\",\"b\"]");
}

TEST(TextForm, ReadsWhatAStringReads) {
  EXPECT_EQ(basis::read<ShortText>("\"h\\233llo\""), text(U"héllo"));
  EXPECT_EQ(basis::read<ShortText>("  ( (\"x\") ) "), text(U"x"));
  EXPECT_EQ(basis::read<ShortText>("\"\""), ShortText());
  EXPECT_EQ(basis::read<ShortText>("\"unterminated"), std::nullopt);
  EXPECT_EQ(basis::read<ShortText>("x"), std::nullopt);
  EXPECT_EQ(basis::read<std::vector<ShortText>>("[\"a\", \"\\128512\"]"),
            (std::vector<ShortText>{text(U"a"), text(U"😀")}));
}

TEST(TextForm, ASurrogateEscapeReadsAsTheReplacementCharacter) {
  const auto t = basis::read<ShortText>("\"a\\55296b\"");
  ASSERT_TRUE(t);
  EXPECT_EQ(bytesOf(*t), (Bytes{0x61, 0xEF, 0xBF, 0xBD, 0x62}));
  EXPECT_TRUE(isValidUtf8(*t));
}

RC_GTEST_PROP(TextForm, ReadingTheShownTextGivesItBack, ()) {
  const ShortText t = fromString(*scriblet::testing::genString());
  const auto back = basis::read<ShortText>(basis::show(t));
  RC_ASSERT(back.has_value());
  RC_ASSERT(*back == t);
}

TEST(Concatenation, SemigroupAndMonoid) {
  const ShortText a = text(U"ab"), b = text(U"é");
  EXPECT_EQ(basis::combine(a, b).bytes(), "ab\xC3\xA9");
  EXPECT_EQ(basis::sconcat<ShortText>(std::vector<ShortText>{a, b, a}).bytes(), "ab\xC3\xA9" "ab");
  EXPECT_THROW(basis::sconcat<ShortText>(std::vector<ShortText>{}), std::invalid_argument);
  EXPECT_EQ(basis::stimes(3, b).bytes(), "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_TRUE(null(basis::stimes(0, b)));
  EXPECT_THROW(basis::stimes(-1, b), basis::ErrorCall);
  EXPECT_TRUE(basis::mempty<ShortText>().sameArray(ShortText()));
  EXPECT_EQ(basis::mappend(a, b), basis::combine(a, b));
  EXPECT_EQ(basis::mconcat<ShortText>(std::list<ShortText>{a, ShortText(), b}).bytes(), "ab\xC3\xA9");
}

TEST(Hashing, ATextHashesAsItsBytes) {
  const ShortText t = text(U"héllo");
  EXPECT_EQ(basis::hash(t), basis::hash(std::string("h\xC3\xA9llo")));
  EXPECT_EQ(basis::hashWithSalt(99, t), basis::hashWithSalt(99, std::string("h\xC3\xA9llo")));
  EXPECT_EQ(basis::hash(t), basis::hash(fromString(U"héllo")));
  EXPECT_NE(basis::hash(t), basis::hash(text(U"hello")));
  std::unordered_map<ShortText, int> counts;
  for (const char32_t* w : {U"a", U"é", U"a", U"😀", U"é", U"a"}) ++counts[fromString(w)];
  EXPECT_EQ(counts[text(U"a")], 3);
  EXPECT_EQ(counts[text(U"é")], 2);
  EXPECT_EQ(std::hash<ShortText>{}(t), static_cast<std::size_t>(basis::hash(t)));
}

TEST(StreamOutput, PrintsTheUtf8Bytes) {
  std::ostringstream out;
  out << text(U"Grüße") << '|' << ShortText() << '|';
  EXPECT_EQ(out.str(), "Gr\xC3\xBC\xC3\x9F" "e||");
}

TEST(ListConversions, FromListFromListNToListAndLiterals) {
  using namespace scriblet::literals;
  EXPECT_EQ(bytesOf(fromList(std::vector<char32_t>{0x61, 0xD800})), (Bytes{0x61, 0xEF, 0xBF, 0xBD}));
  EXPECT_EQ(fromList(std::list<char32_t>{U'é', U'x'}), text(U"éx"));
  EXPECT_EQ(fromListN(1, std::u32string(U"abc")), text(U"abc"));  // the count is ignored
  // A string literal's terminator is not a character; a braced list is a list.
  EXPECT_EQ(fromList(U"a\xD800" U"b"), text({0x61, 0xEF, 0xBF, 0xBD, 0x62}));
  EXPECT_EQ(fromListN(9, U"ab"), text(U"ab"));
  EXPECT_EQ(fromList({U'a', U'\0'}), text({0x61, 0x00}));
  EXPECT_EQ(fromListN(0, {U'é'}), text(U"é"));
  const char32_t unterminated[2] = {U'x', U'y'};
  EXPECT_EQ(fromList(unterminated), text(U"xy"));
  EXPECT_EQ(toList(text(U"€😀")), U"€😀");
  EXPECT_EQ(U"héllo"_st, text(U"héllo"));
  EXPECT_EQ(bytesOf(U"\xDFFF"_st), (Bytes{0xEF, 0xBF, 0xBD}));
}

FieldFormat field(std::optional<std::int64_t> width, std::optional<std::int64_t> precision,
                  bool left = false, char32_t conversion = U's') {
  FieldFormat f;
  f.width = width;
  f.precision = precision;
  f.leftAdjust = left;
  f.conversion = conversion;
  return f;
}

TEST(FormattedPrinting, FormatsAsAStringArgument) {
  const ShortText t = text(U"héllo");
  EXPECT_EQ(formatArg(t, {}), "h\xC3\xA9llo");
  EXPECT_EQ(formatArg(t, field(7, std::nullopt)), "  h\xC3\xA9llo");
  EXPECT_EQ(formatArg(t, field(7, std::nullopt, true)), "h\xC3\xA9llo  ");
  EXPECT_EQ(formatArg(t, field(std::nullopt, 2)), "h\xC3\xA9");
  EXPECT_EQ(formatArg(t, field(4, 2, false, U'v')), "  h\xC3\xA9");
  try {
    formatArg(t, field(std::nullopt, std::nullopt, false, U'd'));
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "printf: bad formatting char 'd'");
  }
  const auto [parsed, rest] = parseFormat(t, U"s and more");
  EXPECT_EQ(parsed.conversion, U's');
  EXPECT_FALSE(parsed.width || parsed.precision || parsed.leftAdjust);
  EXPECT_EQ(rest, U" and more");
  try {
    parseFormat(t, U"");
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "printf: formatting string ended prematurely");
  }
}

TEST(GenericView, OneConstructorHoldingTheCharacters) {
  namespace g = basis::generic;
  const ShortText t = text(U"é😀");
  EXPECT_EQ(g::toConstr(t), packConstr());
  EXPECT_EQ(packConstr().showConstr(), "fromString");
  EXPECT_TRUE(packConstr().constrFields().empty());
  EXPECT_EQ(packConstr().constrFixity(), g::Fixity::Prefix);
  EXPECT_EQ(g::dataTypeOf(t).name(), "Data.Scriblet");
  EXPECT_EQ(g::dataTypeOf(ShortText()), shortTextDataType());
  EXPECT_EQ(g::gmapQ([](const std::u32string& s) { return s; }, t), std::vector<std::u32string>{U"é😀"});
  EXPECT_EQ(g::gmapQi(0, [](const std::u32string& s) { return s.size(); }, t), 2u);
  try {
    g::gmapQi(1, [](const std::u32string& s) { return s.size(); }, t);
    ADD_FAILURE();
  } catch (const basis::FromJustNothing& e) {
    EXPECT_EQ(e.callStack().entries.at(0),
              (basis::CallSite{"fromJust", "base", "Data.Data", "libraries/base/Data/Data", 369, 51,
                               369, 59}));
  }
  const ShortText upper = g::gmapT(
      [](std::u32string s) {
        for (char32_t& c : s) c = c == U'é' ? U'É' : c;
        return s;
      },
      t);
  EXPECT_EQ(upper, text(U"É😀"));
  EXPECT_EQ(g::typeRep<ShortText>().tyCon, "ShortText");
}

TEST(GenericView, GunfoldRebuildsThroughFromString) {
  namespace g = basis::generic;
  auto z = [](auto ctor) { return ctor; };
  auto k = [](auto ctor, auto) { return ctor(std::u32string{0x61, 0xD800}); };
  const ShortText t = basis::Data<ShortText>::gunfold(k, z, packConstr());
  EXPECT_EQ(bytesOf(t), (Bytes{0x61, 0xEF, 0xBF, 0xBD}));
  const g::DataType two = g::mkDataType("Other", {{"A", {}, g::Fixity::Prefix}, {"B", {}, g::Fixity::Prefix}});
  try {
    basis::Data<ShortText>::gunfold(k, z, two.indexConstr(2));
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "gunfold");
    EXPECT_EQ(e.callStack().entries.at(0),
              (basis::CallSite{"error", "scriblet", "Data.Scriblet.Internal", "src/Data/Scriblet/Internal",
                               187, 10, 187, 15}));
  }
  const g::DataType atomic = g::mkNoRepType("Atomic");
  const g::Constr c = g::mkConstr(atomic, std::string("x"), {}, g::Fixity::Prefix);
  EXPECT_THROW(basis::Data<ShortText>::gunfold(k, z, c), basis::ErrorCall);
}

TEST(Expressions, LiftAppliesFromStringToAStringLiteral) {
  namespace e = basis::expr;
  const e::Exp want = e::AppE(e::VarE(e::mkNameG_v("scriblet", "Data.Scriblet.Internal", "fromString")),
                              e::LitE(e::StringL(U"é😀")));
  EXPECT_EQ(basis::lift(text(U"é😀")), want);
  EXPECT_EQ(basis::liftTyped(text(U"é😀")).unType, want);
  EXPECT_EQ(basis::lift(ShortText()),
            e::AppE(e::VarE(e::mkNameG_v("scriblet", "Data.Scriblet.Internal", "fromString")),
                    e::LitE(e::StringL(U""))));
}

TEST(DeepEvaluation, ATextIsAlreadyEvaluated) {
  const ShortText t = text(U"x");
  basis::rnf(t);
  basis::rnf(std::vector<ShortText>{t, ShortText()});
  SUCCEED();
}

TEST(Conversions, ByteStringsTextsBuildersAndEncodings) {
  EXPECT_EQ(fromShortByteString("\xC3\xA9"), text(U"é"));
  EXPECT_FALSE(fromShortByteString("\xC3"));
  EXPECT_EQ(fromShortByteStringUnsafe("\xFF").bytes(), "\xFF");
  EXPECT_EQ(toShortByteString(text(U"é")), "\xC3\xA9");
  const basis::Text bt = basis::Text::pack(U"Grüße");
  EXPECT_EQ(fromText(bt), text(U"Grüße"));
  EXPECT_EQ(toText(text(U"Grüße")), bt);
  EXPECT_TRUE(toText(ShortText()).empty());
  std::string out = "<";
  toBuilder(text(U"é"), out);
  EXPECT_EQ(out, "<\xC3\xA9");
  EXPECT_EQ(encodeStringShort(basis::utf8(), U"a€"), "a\xE2\x82\xAC");
  EXPECT_EQ(decodeStringShort_(basis::utf8(), "a\xE2\x82\xAC"), U"a€");
  EXPECT_THROW(encodeStringShort(basis::utf8(), std::u32string{0xD800}), basis::ErrorCall);
  EXPECT_THROW(decodeStringShort_(basis::utf8(), "\xFF"), basis::ErrorCall);
}

}  // namespace
