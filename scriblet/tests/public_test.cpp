// The public module's own operations and the partial operations.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/error.hpp>

#include <functional>
#include <list>
#include <string>
#include <vector>

#include "scriblet/partial.hpp"
#include "scriblet/scriblet.hpp"
#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::text;

TEST(PublicModule, EmptyPackUnpackAppendConcat) {
  EXPECT_TRUE(empty().sameArray(ShortText()));
  EXPECT_EQ(bytesOf(pack(std::u32string{0x61, 0xD800})), (Bytes{0x61, 0xEF, 0xBF, 0xBD}));
  EXPECT_EQ(unpack(text(U"é€")), U"é€");
  EXPECT_EQ(unpack(empty()), U"");
  const ShortText t = text(U"tail");
  EXPECT_EQ(append(empty(), t), t);
  EXPECT_EQ(append(text(U"ab"), text(U"cd")).bytes(), "abcd");
  EXPECT_TRUE(null(concat(std::vector<ShortText>{})));
  EXPECT_EQ(concat({text(U"a"), empty(), text(U"é")}).bytes(), "a\xC3\xA9");
  EXPECT_EQ(concat(std::list<ShortText>{text(U"x"), text(U"y")}).bytes(), "xy");
}

TEST(PublicModule, AtMaybeIndexesCodePoints) {
  const ShortText t = text(U"a😀");
  EXPECT_EQ(atMaybe(t, 0), U'a');
  EXPECT_EQ(atMaybe(t, 1), U'😀');
  EXPECT_EQ(atMaybe(t, 2), std::nullopt);
  EXPECT_EQ(atMaybe(t, -1), std::nullopt);
}

TEST(PublicModule, TakeAndDropFromEitherEnd) {
  const ShortText t = text(U"aé€😀");
  struct Case {
    std::int64_t n;
    std::u32string take, drop, takeEnd, dropEnd;
  };
  const Case cases[] = {
      {-1, U"", U"aé€😀", U"", U"aé€😀"}, {0, U"", U"aé€😀", U"", U"aé€😀"},
      {1, U"a", U"é€😀", U"😀", U"aé€"},  {2, U"aé", U"€😀", U"€😀", U"aé"},
      {4, U"aé€😀", U"", U"aé€😀", U""},  {9, U"aé€😀", U"", U"aé€😀", U""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toString(take(c.n, t)), c.take) << c.n;
    EXPECT_EQ(toString(drop(c.n, t)), c.drop) << c.n;
    EXPECT_EQ(toString(takeEnd(c.n, t)), c.takeEnd) << c.n;
    EXPECT_EQ(toString(dropEnd(c.n, t)), c.dropEnd) << c.n;
  }
  EXPECT_TRUE(take(4, t).sameArray(t));
  EXPECT_TRUE(drop(0, t).sameArray(t));
  EXPECT_TRUE(takeEnd(7, t).sameArray(t));
  EXPECT_TRUE(dropEnd(-2, t).sameArray(t));
  EXPECT_TRUE(null(take(3, empty())));
}

TEST(PublicModule, WhileVariantsAndBreaks) {
  const auto letter = [](char32_t c) { return c >= U'a' && c <= U'z'; };
  const ShortText t = text(U"ab12cd");
  EXPECT_EQ(takeWhile(letter, t).bytes(), "ab");
  EXPECT_EQ(dropWhile(letter, t).bytes(), "12cd");
  EXPECT_EQ(takeWhileEnd(letter, t).bytes(), "cd");
  EXPECT_EQ(dropWhileEnd(letter, t).bytes(), "ab12");
  const ShortText letters = text(U"abc");
  EXPECT_TRUE(takeWhile(letter, letters).sameArray(letters));
  EXPECT_TRUE(takeWhileEnd(letter, letters).sameArray(letters));
  const ShortText digits = text(U"123");
  EXPECT_TRUE(dropWhile(letter, digits).sameArray(digits));
  EXPECT_TRUE(dropWhileEnd(letter, digits).sameArray(digits));
  const auto [a, b] = break_([](char32_t c) { return c == U'1'; }, t);
  EXPECT_EQ(a.bytes(), "ab");
  EXPECT_EQ(b.bytes(), "12cd");
  const auto first = break_(letter, t);
  EXPECT_TRUE(null(first.first));
  EXPECT_TRUE(first.second.sameArray(t));
  const auto [c, d] = breakEnd([](char32_t c) { return c == U'2'; }, t);
  EXPECT_EQ(c.bytes(), "ab12");
  EXPECT_EQ(d.bytes(), "cd");
  const auto last = breakEnd(letter, t);
  EXPECT_TRUE(last.first.sameArray(t));
  EXPECT_TRUE(null(last.second));
  EXPECT_EQ(toString(takeEnd(2, text(U"ab😀😀"))), U"😀😀");
}

TEST(PublicModule, AnyStopsAtTheFirstMatch) {
  std::u32string seen;
  EXPECT_TRUE(any([&](char32_t c) { return seen += c, c == U'a'; }, text(U"abc")));
  EXPECT_EQ(seen, U"a");
  EXPECT_FALSE(any([](char32_t) { return true; }, empty()));
  EXPECT_TRUE(all([](char32_t) { return false; }, empty()));
}

void expectPartialError(const std::function<void()>& run, const char* message, int line, int from,
                        int to) {
  try {
    run();
    ADD_FAILURE() << "no exception for " << message;
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), message);
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    const basis::CallSite& s = e.callStack().entries[0];
    EXPECT_EQ(s, (basis::CallSite{"error", "scriblet", "Data.Scriblet.Partial",
                                  "src/Data/Scriblet/Partial", line, from, line, to}));
  }
}

TEST(PartialOperations, RaiseTheirFixedErrorsOnEmptyOrOutOfRange) {
  const ShortText e;
  expectPartialError([&] { partial::head(e); }, "head: empty ShortText", 45, 15, 20);
  expectPartialError([&] { partial::tail(e); }, "tail: empty ShortText", 57, 15, 20);
  expectPartialError([&] { partial::init(e); }, "init: empty ShortText", 69, 15, 20);
  expectPartialError([&] { partial::last(e); }, "last: empty ShortText", 82, 15, 20);
  const ShortText t = text(U"ab");
  for (std::int64_t i : {-1, 2, 100}) {
    expectPartialError([&] { partial::index(t, i); }, "index: not within ShortText", 96, 27, 32);
  }
  // The same shared error value each time.
  EXPECT_EQ(&detail::errorValue(detail::ErrorSite::PartialHead),
            &detail::errorValue(detail::ErrorSite::PartialHead));
}

TEST(PartialOperations, AgreeWithTheTotalOperations) {
  const ShortText one = text(U"é");
  EXPECT_EQ(partial::head(one), U'é');
  EXPECT_EQ(partial::last(one), U'é');
  EXPECT_TRUE(null(partial::tail(one)));
  EXPECT_TRUE(null(partial::init(one)));
  const ShortText t = text(U"😀xy");
  EXPECT_EQ(partial::head(t), U'😀');
  EXPECT_EQ(partial::tail(t).bytes(), "xy");
  EXPECT_EQ(toString(partial::init(t)), U"😀x");
  EXPECT_EQ(partial::index(t, 0), partial::head(t));
  EXPECT_EQ(partial::index(t, 2), partial::last(t));
}

}  // namespace
