// Indexing, slicing, splits, first and last characters, prefix and suffix
// tests, and splitting at separators.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/error.hpp>

#include <string>
#include <vector>

#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::fourWidths;
using scriblet::testing::text;

TEST(Indexing, FromEitherEndWithAbsentPositions) {
  const ShortText t = fourWidths();
  EXPECT_EQ(indexMaybe(t, 0), U'a');
  EXPECT_EQ(indexMaybe(t, 3), U'\U0001F600');
  EXPECT_EQ(indexMaybe(t, 4), std::nullopt);
  EXPECT_EQ(indexMaybe(t, -1), std::nullopt);
  EXPECT_EQ(indexEndMaybe(t, 0), U'\U0001F600');
  EXPECT_EQ(indexEndMaybe(t, 3), U'a');
  EXPECT_EQ(indexEndMaybe(t, 4), std::nullopt);
  EXPECT_EQ(indexEndMaybe(t, -1), std::nullopt);
  EXPECT_EQ(indexMaybe(ShortText(), 0), std::nullopt);
}

TEST(Slice, ClampsCopiesAndRejectsNegativeArguments) {
  const ShortText five = text(U"abcde");
  EXPECT_EQ(slice(five, 2, 100).bytes(), "cde");
  EXPECT_TRUE(null(slice(five, 7, 1)));
  EXPECT_TRUE(null(slice(five, 5, 1)));
  EXPECT_TRUE(null(slice(five, 1, 0)));
  const ShortText whole = slice(five, 0, 5);
  EXPECT_EQ(whole, five);
  EXPECT_FALSE(whole.sameArray(five));  // always a fresh array
  struct Bad {
    std::int64_t offset, count;
    const char* message;
    int line;
  };
  for (const Bad& b : {Bad{-1, 1, "invalid offset", 1238}, Bad{0, -1, "invalid length", 1239}}) {
    try {
      slice(five, b.offset, b.count);
      ADD_FAILURE() << "no exception";
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), b.message);
      ASSERT_EQ(e.callStack().entries.size(), 1u);
      const basis::CallSite& s = e.callStack().entries[0];
      EXPECT_EQ(s.function, "error");
      EXPECT_EQ(s.package, "scriblet");
      EXPECT_EQ(s.module, "Data.Scriblet.Internal");
      EXPECT_EQ(s.file, "src/Data/Scriblet/Internal");
      EXPECT_EQ(s.startLine, b.line);
      EXPECT_EQ(s.endLine, b.line);
      EXPECT_EQ(s.startColumn, 18);
      EXPECT_EQ(s.endColumn, 23);
    }
  }
}

TEST(Splits, AtACountFromTheStart) {
  const ShortText t = fourWidths();
  const auto [a, b] = splitAt(2, t);
  EXPECT_EQ(bytesOf(a), (Bytes{0x61, 0xC3, 0xA9}));
  EXPECT_EQ(bytesOf(b), (Bytes{0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
  for (std::int64_t k : {0, -3}) {
    const auto r = splitAt(k, t);
    EXPECT_TRUE(null(r.first));
    EXPECT_TRUE(r.second.sameArray(t));
  }
  for (std::int64_t k : {4, 9}) {
    const auto r = splitAt(k, t);
    EXPECT_TRUE(r.first.sameArray(t));
    EXPECT_TRUE(null(r.second));
  }
  const auto e = splitAt(1, ShortText());
  EXPECT_TRUE(null(e.first) && null(e.second));
}

TEST(Splits, AtACountFromTheEnd) {
  const ShortText t = fourWidths();
  const auto [a, b] = splitAtEnd(1, t);
  EXPECT_EQ(bytesOf(a), (Bytes{0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
  EXPECT_EQ(bytesOf(b), (Bytes{0xF0, 0x9F, 0x98, 0x80}));
  const auto zero = splitAtEnd(0, t);
  EXPECT_TRUE(zero.first.sameArray(t));
  EXPECT_TRUE(null(zero.second));
  for (std::int64_t k : {4, 5}) {
    const auto r = splitAtEnd(k, t);
    EXPECT_TRUE(null(r.first));
    EXPECT_TRUE(r.second.sameArray(t));
  }
}

TEST(Ends, UnconsAndUnsnoc) {
  const auto one = uncons(text(U"a"));
  ASSERT_TRUE(one);
  EXPECT_EQ(one->first, U'a');
  EXPECT_TRUE(one->second.sameArray(ShortText()));
  const auto last = unsnoc(text({0xC3, 0xA9}));
  ASSERT_TRUE(last);
  EXPECT_TRUE(null(last->first));
  EXPECT_EQ(last->second, U'é');
  EXPECT_FALSE(uncons(ShortText()));
  EXPECT_FALSE(unsnoc(ShortText()));
  const auto four = uncons(fourWidths());
  EXPECT_EQ(four->first, U'a');
  EXPECT_EQ(toString(four->second), U"é€😀");
  const auto back = unsnoc(fourWidths());
  EXPECT_EQ(back->second, U'😀');
  EXPECT_EQ(toString(back->first), U"aé€");
}

TEST(Affixes, PrefixAndSuffixTests) {
  const ShortText t = text(U"prefix-suffix");
  for (const ShortText& x : {t, ShortText()}) {
    EXPECT_TRUE(isPrefixOf(ShortText(), x));
    EXPECT_TRUE(isSuffixOf(ShortText(), x));
    EXPECT_TRUE(isPrefixOf(x, x));
  }
  EXPECT_TRUE(isPrefixOf(text(U"pre"), t));
  EXPECT_FALSE(isPrefixOf(text(U"fix"), t));
  EXPECT_TRUE(isSuffixOf(text(U"fix"), t));
  EXPECT_FALSE(isSuffixOf(text(U"pre"), t));
  EXPECT_FALSE(isPrefixOf(text(U"prefix-suffix!"), t));
}

TEST(Affixes, StrippingSharesOrCopies) {
  const ShortText t = text(U"ab");
  EXPECT_TRUE(stripPrefix(ShortText(), t)->sameArray(t));
  EXPECT_TRUE(stripSuffix(ShortText(), t)->sameArray(t));
  EXPECT_TRUE(null(*stripPrefix(t, t)));
  EXPECT_TRUE(null(*stripSuffix(t, t)));
  EXPECT_EQ(stripSuffix(text(U"b"), t)->bytes(), "a");
  EXPECT_EQ(stripPrefix(text(U"a"), t)->bytes(), "b");
  EXPECT_FALSE(stripPrefix(text(U"abc"), t));
  EXPECT_FALSE(stripSuffix(text(U"a"), t));
}

std::vector<std::string> pieces(const ShortText& t, char32_t sep = U',') {
  std::vector<std::string> out;
  for (const ShortText& piece : split([sep](char32_t c) { return c == sep; }, t)) {
    out.emplace_back(piece.bytes());
  }
  return out;
}

TEST(Split, EverySeparatorSplits) {
  using V = std::vector<std::string>;
  EXPECT_EQ(pieces(ShortText()), V{""});
  EXPECT_EQ(pieces(text(U"a,b")), (V{"a", "b"}));
  EXPECT_EQ(pieces(text(U",")), (V{"", ""}));
  EXPECT_EQ(pieces(text(U",a,")), (V{"", "a", ""}));
  EXPECT_EQ(pieces(text(U"a,,b")), (V{"a", "", "b"}));
  EXPECT_EQ(pieces(text(U"é😀€😀"), U'😀'), (V{"é", "€", ""}));
  const ShortText whole = text(U"ab");
  auto range = split([](char32_t c) { return c == U','; }, whole);
  auto it = range.begin();
  EXPECT_TRUE(it->sameArray(whole));  // no separator: the text itself
  ++it;
  EXPECT_TRUE(it == range.end());
  // A common range: the pieces can be gathered with an iterator pair.
  auto pieces = split([](char32_t c) { return c == U'/'; }, text(U"a/b/"));
  const std::vector<ShortText> gathered(pieces.begin(), pieces.end());
  EXPECT_EQ(gathered, (std::vector<ShortText>{text(U"a"), text(U"b"), ShortText()}));
  static_assert(std::input_iterator<decltype(pieces.begin())>);
}

TEST(Split, ThePredicateRunsOncePerCharacterOnlyAsFarAsRead) {
  std::u32string seen;
  const ShortText t = text(U"a,b,c,d");
  auto range = split([&](char32_t c) { return seen += c, c == U','; }, t);
  auto it = range.begin();
  EXPECT_EQ(it->bytes(), "a");
  EXPECT_EQ(seen, U"a,");
  ++it;
  EXPECT_EQ(it->bytes(), "b");
  EXPECT_EQ(seen, U"a,b,");
  for (; it != range.end(); ++it) {
  }
  EXPECT_EQ(seen, U"a,b,c,d");
}

RC_GTEST_PROP(Split, AgreesWithSplittingTheString, ()) {
  const std::u32string s = *scriblet::testing::genString();
  std::vector<std::u32string> expected{U""};
  for (char32_t c : s) {
    if (c == U',') {
      expected.emplace_back();
    } else {
      expected.back() += c;
    }
  }
  std::vector<std::u32string> got;
  for (const ShortText& p : split([](char32_t c) { return c == U','; }, fromString(s))) {
    got.push_back(toString(p));
  }
  RC_ASSERT(got == expected);
}

// Predicates whose ASCII answers are known at compile time are answered by a
// table (one ASCII separator by a word-wide search); others are called.
constexpr auto kComma = [](char32_t c) { return c == U','; };
constexpr auto kCommaOrSemicolon = [](char32_t c) { return c == U',' || c == U';'; };
constexpr auto kCommaOrAccent = [](char32_t c) { return c == U',' || c == U'é' || c == U'😀'; };
constexpr auto kAboveTilde = [](char32_t c) { return c > U'~'; };
constexpr auto kNothing = [](char32_t) { return false; };
bool isSpaceAtRunTime(char32_t c) { return c == U' '; }
const auto kSpaceCalled = [](char32_t c) { return isSpaceAtRunTime(c); };
static_assert(scriblet::detail::AsciiAnswers<decltype(kComma)>::known);
static_assert(scriblet::detail::AsciiAnswers<decltype(kComma)>::only == ',');
static_assert(scriblet::detail::AsciiAnswers<decltype(kCommaOrSemicolon)>::only == -1);
static_assert(scriblet::detail::AsciiAnswers<decltype(kAboveTilde)>::known);
static_assert(!scriblet::detail::AsciiAnswers<decltype(kSpaceCalled)>::known);
struct HeldSeparator {
  char32_t sep;
  constexpr bool operator()(char32_t c) const { return c == sep; }
};
static_assert(!scriblet::detail::AsciiAnswers<HeldSeparator>::known);

// The pieces made by the table, beside those of the same predicate called on
// every character (through a capture, which hides its answers).
template <class Pred>
void expectTheCalledPieces(Pred pred, const ShortText& t) {
  std::vector<ShortText> fast, called;
  for (const ShortText& piece : split(pred, t)) fast.push_back(piece);
  const int unused = 0;
  for (const ShortText& piece : split([&unused, pred](char32_t c) { return (void)unused, pred(c); }, t)) {
    called.push_back(piece);
  }
  RC_ASSERT(fast == called);
}

// On any bytes, well-formed or not, with separators often at word edges.
RC_GTEST_PROP(Split, KnownAsciiAnswersGiveThePiecesOfCallingThePredicate, ()) {
  const auto bytes = *rc::gen::container<std::string>(rc::gen::oneOf(
      rc::gen::element<char>(',', ';', 'a', '~', '\x7F', ' '), rc::gen::arbitrary<char>(),
      rc::gen::element<char>('\xC3', '\xA9', '\xF0', '\x9F', '\x98', '\x80')));
  const ShortText t = fromByteStringUnsafe(bytes);
  expectTheCalledPieces(kComma, t);
  expectTheCalledPieces(kCommaOrSemicolon, t);
  expectTheCalledPieces(kCommaOrAccent, t);
  expectTheCalledPieces(kAboveTilde, t);
  expectTheCalledPieces(kNothing, t);
  expectTheCalledPieces(kSpaceCalled, t);
}

TEST(Split, KnownAsciiAnswersStillCallThePredicateOnOtherCharacters) {
  using V = std::vector<std::string>;
  auto gather = [](auto pred, const ShortText& t) {
    V out;
    for (const ShortText& piece : split(pred, t)) out.emplace_back(piece.bytes());
    return out;
  };
  EXPECT_EQ(gather(kCommaOrAccent, text(U"abcdefghijklmnopq,é😀xyz,")), (V{"abcdefghijklmnopq", "", "", "xyz", ""}));
  EXPECT_EQ(gather(kCommaOrSemicolon, text(U"a;b,c")), (V{"a", "b", "c"}));
  EXPECT_EQ(gather(kAboveTilde, text(U"ab\u007Fc\u00e9d")), (V{"ab", "c", "d"}));
  EXPECT_EQ(gather(kComma, text(U"0123456,89abcdef,,")), (V{"0123456", "89abcdef", "", ""}));
}

RC_GTEST_PROP(Splits, AgreeWithTheStringModel, (std::int64_t k)) {
  const std::u32string s = *scriblet::testing::genString();
  const ShortText t = fromString(s);
  const std::int64_t n = static_cast<std::int64_t>(s.size());
  const std::size_t cut = static_cast<std::size_t>(std::clamp<std::int64_t>(k % (n + 3), 0, n));
  const auto [a, b] = splitAt(k % (n + 3), t);
  RC_ASSERT(toString(a) + toString(b) == s);
  if (k % (n + 3) >= 0) RC_ASSERT(toString(a) == s.substr(0, cut));
  const auto [c, d] = splitAtEnd(k % (n + 3), t);
  RC_ASSERT(toString(c) + toString(d) == s);
  if (k % (n + 3) >= 0) RC_ASSERT(toString(d) == s.substr(s.size() - cut));
  for (std::int64_t i = -1; i <= n; ++i) {
    const auto want = i >= 0 && i < n ? std::optional<char32_t>(s[static_cast<std::size_t>(i)])
                                      : std::nullopt;
    RC_ASSERT(indexMaybe(t, i) == want);
    const auto wantEnd = i >= 0 && i < n ? std::optional<char32_t>(s[s.size() - 1 - static_cast<std::size_t>(i)])
                                         : std::nullopt;
    RC_ASSERT(indexEndMaybe(t, i) == wantEnd);
  }
}

}  // namespace
