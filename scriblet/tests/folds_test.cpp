// Folds, searches, trims and filter over code points.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/error.hpp>
#include <basis/lazy.hpp>

#include <stdexcept>
#include <string>

#include "test_util.hpp"

namespace {

using namespace scriblet;
using basis::Lazy;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::text;

Lazy<int> failing() { return Lazy<int>::raise(std::runtime_error("seed evaluated")); }

TEST(Folds, LeftFoldsRunFrontToBack) {
  const ShortText t = text(U"aé€😀");
  const auto codes = [](std::u32string acc, char32_t c) { return acc + c; };
  EXPECT_EQ(foldl(codes, std::u32string(), t), U"aé€😀");
  EXPECT_EQ(foldl(codes, Lazy<std::u32string>(std::u32string()), t).force(), U"aé€😀");
  EXPECT_EQ(foldl_(codes, std::u32string(), t), U"aé€😀");
  EXPECT_EQ(foldl1([](char32_t a, char32_t c) { return a > c ? a : c; }, t), U'😀');
  EXPECT_EQ(foldl1_([](char32_t a, char32_t) { return a; }, t), U'a');
}

TEST(Folds, RightFoldsNestFromTheFront) {
  const ShortText t = text(U"abc");
  const auto nest = [](char32_t c, std::u32string acc) { return U"(" + std::u32string(1, c) + acc + U")"; };
  EXPECT_EQ(foldr(nest, std::u32string(U"."), t), U"(a(b(c.)))");
  EXPECT_EQ(foldr1([](char32_t c, char32_t acc) { return c == U'a' ? acc : c; }, t), U'b');
  // A lazy step sees the same nesting.
  const auto lazyNest = [](char32_t c, const Lazy<std::u32string>& rest) {
    return U"(" + std::u32string(1, c) + rest.force() + U")";
  };
  EXPECT_EQ(foldr(lazyNest, std::u32string(U"."), t), U"(a(b(c.)))");
  EXPECT_EQ(foldr(lazyNest, Lazy<std::u32string>(U"."), t).force(), U"(a(b(c.)))");
}

TEST(Folds, TheEmptyTextGivesTheSeedUnevaluatedExceptForTheStrictFold) {
  const auto add = [](int a, char32_t c) { return a + static_cast<int>(c); };
  Lazy<int> l = foldl(add, failing(), ShortText());
  EXPECT_FALSE(l.isEvaluated());
  EXPECT_THROW(l.force(), std::runtime_error);
  Lazy<int> r = foldr([](char32_t c, int a) { return a + static_cast<int>(c); }, failing(), ShortText());
  EXPECT_FALSE(r.isEvaluated());
  EXPECT_THROW(foldl_(add, failing(), ShortText()), std::runtime_error);
  EXPECT_EQ(foldl(add, 7, ShortText()), 7);
  EXPECT_EQ(foldr([](char32_t, int a) { return a; }, 7, ShortText()), 7);
}

TEST(Folds, NothingRunsUntilTheResultIsDemanded) {
  int calls = 0;
  Lazy<int> l = foldl([&](int a, char32_t) { return ++calls, a + 1; }, Lazy<int>(0), text(U"abc"));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(l.force(), 3);
  EXPECT_EQ(calls, 3);
}

TEST(Folds, LazyStepsLeaveUnreadAccumulatorsAlone) {
  // The step never reads its accumulator: neither the failing seed nor a
  // failing step is evaluated.
  const auto lastChar = [](const Lazy<char32_t>& acc, char32_t c) -> char32_t {
    if (c == U'x') throw std::runtime_error("never read");
    (void)acc;
    return c;
  };
  EXPECT_EQ(foldl(lastChar, Lazy<char32_t>::raise(std::runtime_error("seed")), text(U"axb")).force(), U'b');
  EXPECT_EQ(foldl1(lastChar, text(U"axb")), U'b');
  EXPECT_THROW(foldl(lastChar, U'.', text(U"abx")), std::runtime_error);
}

TEST(Folds, ARightFoldStopsWhenTheStepIgnoresTheRest) {
  // A long text of which only the first character is decoded: the walk would
  // otherwise take a frame per character.
  int steps = 0;
  const ShortText longText = replicate(1 << 20, text(U"é"));
  const auto first = [&](char32_t c, const Lazy<int>&) { return ++steps, static_cast<int>(c); };
  EXPECT_EQ(foldr(first, failing(), longText).force(), 0xE9);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(foldr1([&](char32_t c, const Lazy<char32_t>&) { return ++steps, c; }, longText), U'é');
  EXPECT_EQ(steps, 2);
  // A strict step walks from the end without recursion, however long the text.
  EXPECT_EQ(foldr([](char32_t, std::int64_t n) { return n + 1; }, std::int64_t{0}, longText), 1 << 20);
}

TEST(Folds, OneCharacterNeedsNoStepAndTheEmptyTextRaises) {
  const auto never = [](char32_t, char32_t) -> char32_t { throw std::logic_error("called"); };
  const ShortText one = text(U"😀");
  EXPECT_EQ(foldl1(never, one), U'😀');
  EXPECT_EQ(foldl1_(never, one), U'😀');
  EXPECT_EQ(foldr1(never, one), U'😀');
  struct Case {
    std::function<void()> run;
    const char* message;
    int line;
  };
  const Case cases[] = {{[&] { foldl1(never, ShortText()); }, "foldl1: empty ShortText", 559},
                        {[&] { foldl1_(never, ShortText()); }, "foldl1: empty ShortText", 587},
                        {[&] { foldr1(never, ShortText()); }, "foldr1: empty ShortText", 634},
                        // A predicate that answers 'a' both ways: the walk from
                        // the end passes the character the forward walk stopped at.
                        {[&] {
                           int calls = 0;
                           dropAround([&](char32_t) { return calls++ > 0; }, text(U"ab"));
                         },
                         "dropAround: the impossible happened", 1225}};
  for (const Case& c : cases) {
    try {
      c.run();
      ADD_FAILURE() << c.message;
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_EQ(e.callStack().entries.at(0).startLine, c.line);
      EXPECT_EQ(e.callStack().entries.at(0).module, "Data.Scriblet.Internal");
    }
  }
}

const auto isAsciiLetter = [](char32_t c) { return (c >= U'a' && c <= U'z'); };
const auto isSpace = [](char32_t c) { return c == U' '; };

TEST(Searches, SpanAndSpanEndShareWhenNothingSplitsOff) {
  const ShortText t = text(U"ab😀cd");
  const auto [pre, rest] = span(isAsciiLetter, t);
  EXPECT_EQ(pre.bytes(), "ab");
  EXPECT_EQ(toString(rest), U"😀cd");
  const auto [front, back] = spanEnd(isAsciiLetter, t);
  EXPECT_EQ(toString(front), U"ab😀");
  EXPECT_EQ(back.bytes(), "cd");
  const ShortText letters = text(U"abc");
  EXPECT_TRUE(span(isAsciiLetter, letters).first.sameArray(letters));
  EXPECT_TRUE(span(isSpace, letters).second.sameArray(letters));
  EXPECT_TRUE(spanEnd(isSpace, letters).first.sameArray(letters));
  EXPECT_TRUE(spanEnd(isAsciiLetter, letters).second.sameArray(letters));
  const auto empty = span(isAsciiLetter, ShortText());
  EXPECT_TRUE(null(empty.first) && null(empty.second));
}

TEST(Searches, AllFindAndFindIndexCountCodePoints) {
  const ShortText t = text(U"😀b");
  EXPECT_EQ(findIndex(isAsciiLetter, t), 1);  // a code-point index, not a byte offset
  EXPECT_EQ(find(isAsciiLetter, t), U'b');
  EXPECT_EQ(find(isSpace, t), std::nullopt);
  EXPECT_EQ(findIndex(isSpace, t), std::nullopt);
  EXPECT_TRUE(all(isAsciiLetter, ShortText()));
  EXPECT_FALSE(all(isAsciiLetter, t));
  std::u32string seen;
  EXPECT_FALSE(all([&](char32_t c) { return seen += c, c != U'b'; }, text(U"abcd")));
  EXPECT_EQ(seen, U"ab");
  EXPECT_TRUE(isAscii(ShortText()));
  EXPECT_TRUE(isAscii(text(U"plain")));
  EXPECT_FALSE(isAscii(t));
}

TEST(Trims, DropAroundSharesOrCopiesOnce) {
  const ShortText t = text(U"  a b  ");
  EXPECT_EQ(dropAround(isSpace, t).bytes(), "a b");
  const ShortText none = text(U"ab");
  EXPECT_TRUE(dropAround(isSpace, none).sameArray(none));
  EXPECT_TRUE(null(dropAround(isSpace, text(U"   "))));
  EXPECT_TRUE(null(dropAround(isSpace, ShortText())));
  EXPECT_EQ(dropAround(isSpace, text(U"  ab")).bytes(), "ab");
  EXPECT_EQ(dropAround(isSpace, text(U"ab  ")).bytes(), "ab");
  EXPECT_EQ(toString(dropAround([](char32_t c) { return c == U'😀'; }, text(U"😀é😀"))), U"é");
  // Forward to the first character that fails, then back from the end to the
  // last one that fails: one character can be tested by both walks.
  const struct {
    std::u32string input, tested, result;
  } walks[] = {{U" ab ", U" a b", U"ab"}, {U" a ", U" a a", U"a"}, {U"a", U"aa", U"a"}};
  for (const auto& w : walks) {
    std::u32string seen;
    EXPECT_EQ(toString(dropAround([&](char32_t c) { return seen += c, c == U' '; }, text(w.input))),
              w.result);
    EXPECT_EQ(seen, w.tested);
  }
}

TEST(Filter, KeepsSatisfyingCharactersInOneShrunkArray) {
  const ShortText t = text(U"aé€😀b");
  EXPECT_TRUE(filter([](char32_t) { return true; }, t).sameArray(t));
  EXPECT_TRUE(null(filter([](char32_t) { return false; }, t)));
  EXPECT_TRUE(filter(isAsciiLetter, ShortText()).sameArray(ShortText()));
  EXPECT_EQ(toString(filter([](char32_t c) { return c != U'b'; }, t)), U"aé€😀");
  const ShortText middle = filter([](char32_t c) { return c != U'€'; }, t);
  EXPECT_EQ(toString(middle), U"aé😀b");
  EXPECT_EQ(middle.size(), t.size() - 3);
  std::u32string seen;
  filter([&](char32_t c) { return seen += c, c != U'é'; }, t);
  // The first dropped character and the first kept one after it are each
  // tested again by the walk that follows the one that found them.
  EXPECT_EQ(seen, U"aéé€€😀b");
  seen.clear();
  EXPECT_EQ(toString(filter([&](char32_t c) { return seen += c, c == U'a'; }, t)), U"a");
  EXPECT_EQ(seen, U"aéé€😀b");
}

std::u32string clean(const std::u32string& raw) {
  std::u32string s;
  for (char32_t c : raw) s += detail::storable(c % 0x110000);
  return s;
}

RC_GTEST_PROP(Searches, AgreeWithTheStringModel, (const std::u32string& raw)) {
  const std::u32string s = clean(raw) + *scriblet::testing::genString();
  const ShortText t = fromString(s);
  const auto p = [](char32_t c) { return c < 0x80 || c == U'😀'; };
  std::size_t i = 0;
  while (i < s.size() && p(s[i])) ++i;
  const auto [a, b] = span(p, t);
  RC_ASSERT(toString(a) == s.substr(0, i));
  RC_ASSERT(toString(b) == s.substr(i));
  std::size_t j = s.size();
  while (j > 0 && p(s[j - 1])) --j;
  const auto [c, d] = spanEnd(p, t);
  RC_ASSERT(toString(c) == s.substr(0, j));
  RC_ASSERT(toString(d) == s.substr(j));
  RC_ASSERT(toString(dropAround(p, t)) == (i == s.size() ? U"" : s.substr(i, j - i)));
  std::u32string kept;
  for (char32_t ch : s) {
    if (p(ch)) kept += ch;
  }
  const ShortText f = filter(p, t);
  RC_ASSERT(toString(f) == kept);
  RC_ASSERT(f.size() == fromString(kept).size());
  RC_ASSERT(findIndex([&](char32_t ch) { return !p(ch); }, t) ==
            (i == s.size() ? std::nullopt : std::optional<std::int64_t>(static_cast<std::int64_t>(i))));
  RC_ASSERT(foldl_([](std::u32string acc, char32_t ch) { return ch + acc; }, std::u32string(), t) ==
            std::u32string(s.rbegin(), s.rend()));
}

}  // namespace
