// Building texts: replicate, intersperse, reverse, intercalate.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <basis/error.hpp>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace {

using namespace scriblet;
using scriblet::testing::Bytes;
using scriblet::testing::bytesOf;
using scriblet::testing::text;

TEST(Replicate, RepeatsOrGivesTheEmptyText) {
  const ShortText t = text({0x61, 0xC3, 0xA9});
  EXPECT_TRUE(null(replicate(0, t)));
  EXPECT_TRUE(null(replicate(-5, t)));
  EXPECT_TRUE(null(replicate(3, ShortText())));
  EXPECT_EQ(bytesOf(replicate(3, t)), (Bytes{0x61, 0xC3, 0xA9, 0x61, 0xC3, 0xA9, 0x61, 0xC3, 0xA9}));
  EXPECT_EQ(replicate(1, t), t);
}

TEST(Replicate, ASizeBeyondTheAddressRangeIsRefusedBeforeAllocating) {
  EXPECT_THROW(replicate(INT64_MAX, text(U"ab")), basis::ErrorCall);
  EXPECT_THROW(replicate(INT64_MAX / 2 + 1, text(U"ab")), basis::ErrorCall);
}

TEST(Intersperse, PutsTheCharacterBetweenCodePoints) {
  EXPECT_EQ(intersperse(U',', text(U"abc")).bytes(), "a,b,c");
  const ShortText one = text({0xC3, 0xA9});
  EXPECT_TRUE(intersperse(U',', one).sameArray(one));
  EXPECT_TRUE(null(intersperse(U',', ShortText())));
  EXPECT_EQ(bytesOf(intersperse(0xD800, text(U"ab"))), (Bytes{0x61, 0xEF, 0xBF, 0xBD, 0x62}));
  EXPECT_EQ(toString(intersperse(U'😀', text(U"é€"))), U"é😀€");
}

TEST(Intersperse, ContinuationBytesAloneNeverSizeTheResultByAWrappedCount) {
  // Unchecked bytes with no lead byte count as no code point at all.
  for (char32_t c : {U',', U'\U0001F600'}) {
    for (const Bytes& b : {Bytes{0x80}, Bytes{0x80, 0xBF, 0x80}}) {
      const ShortText t = text(b);
      EXPECT_EQ(bytesOf(intersperse(c, t)), b);
    }
  }
}

TEST(Reverse, ReversesCodePointsKeepingTheirBytes) {
  EXPECT_EQ(bytesOf(reverse(text({0x61, 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80}))),
            (Bytes{0xF0, 0x9F, 0x98, 0x80, 0xC3, 0xA9, 0x61}));
  const ShortText one = text(U"€");
  EXPECT_TRUE(reverse(one).sameArray(one));
  EXPECT_TRUE(null(reverse(ShortText())));
}

TEST(Intercalate, JoinsWithTheSeparator) {
  const ShortText a = text(U"a"), b = text(U"b"), c = text(U"c");
  EXPECT_EQ(intercalate(text(U", "), {a, b, c}).bytes(), "a, b, c");
  EXPECT_TRUE(null(intercalate(text(U", "), std::vector<ShortText>{})));
  EXPECT_TRUE(intercalate(text(U", "), {a}).sameArray(a));
  EXPECT_EQ(intercalate(ShortText(), {a, b}).bytes(), "ab");
  EXPECT_EQ(intercalate(text(U","), {a, ShortText(), b}).bytes(), "a,,b");
  // Any input range of texts, not only vectors.
  const std::list<ShortText> listed{a, b};
  EXPECT_EQ(intercalate(text(U"-"), listed).bytes(), "a-b");
}

std::u32string cleanString(const std::u32string& raw) {
  std::u32string s;
  for (char32_t c : raw) s += detail::storable(c % 0x110000);
  return s;
}

RC_GTEST_PROP(Building, AgreesWithTheStringModel, (const std::u32string& raw, std::uint8_t times)) {
  const std::u32string s = cleanString(raw);
  const ShortText t = fromString(s);
  std::u32string reversed(s.rbegin(), s.rend());
  RC_ASSERT(toString(reverse(t)) == reversed);
  std::u32string repeated;
  for (int i = 0; i < times % 5; ++i) repeated += s;
  RC_ASSERT(toString(replicate(times % 5, t)) == repeated);
  std::u32string spaced;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (i) spaced += U'·';
    spaced += s[i];
  }
  RC_ASSERT(toString(intersperse(U'·', t)) == spaced);
}

RC_GTEST_PROP(Building, IntercalateAgreesWithJoiningStrings, (const std::vector<std::u32string>& raw)) {
  std::vector<ShortText> texts;
  std::u32string joined;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const std::u32string s = cleanString(raw[i]);
    texts.push_back(fromString(s));
    if (i) joined += U"∷";
    joined += s;
  }
  const ShortText r = intercalate(fromString(U"∷"), texts);
  RC_ASSERT(toString(r) == joined);
  RC_ASSERT(r.size() == fromString(joined).size());
}

}  // namespace
