// Parsing the text form of maps: accepted and refused texts, precedence,
// parentheses, later duplicates winning, round trips, and hostile input.

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <basis/lifted.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>
#include <hashgrove/internal.hpp>
#include <hashgrove/lazy.hpp>

#include "walks_support.hpp"
#include "probes.hpp"

namespace hashgrove::internal {
namespace {

using Ints = HashMap<std::int64_t, std::int64_t>;
using IntPairs = std::vector<std::pair<std::int64_t, std::int64_t>>;
using IntValued = HashMap<std::int64_t, int>;

static_assert(basis::Read1Tag<HashMapOf<std::int64_t>>);

// The complete parses at precedence d (remaining text only blanks).
std::vector<Ints> completeParses(int d, std::string_view text) {
  std::vector<Ints> out;
  for (auto& [m, rest] : basis::readsPrec<Ints>(d, text))
    if (basis::skipSpaces(rest).empty()) out.push_back(m);
  return out;
}

TEST(MapParsing, TableOfTexts) {
  struct Case {
    const char* text;
    int precedence;
    std::optional<IntPairs> expected;  // nothing: no complete parse
  };
  const Case cases[] = {
      {"fromList []", 0, IntPairs{}},
      {"fromList [(1,2),(3,4)]", 0, IntPairs{{1, 2}, {3, 4}}},
      {"fromList [(1,2),(1,3)]", 0, IntPairs{{1, 3}}},
      {"  ( ( fromList [ (1,2) ] ) )", 0, IntPairs{{1, 2}}},
      {"fromList ([(1,2)])", 0, IntPairs{{1, 2}}},
      {"fromList [((1,2)),(-3,-4)]", 0, IntPairs{{1, 2}, {-3, -4}}},
      {"fromList [(1,2)]", 10, IntPairs{{1, 2}}},
      {"fromList [(1,2)]", 11, std::nullopt},
      {"(fromList [(1,2)])", 11, IntPairs{{1, 2}}},
      {"fromList [(1,2),]", 0, std::nullopt},
      {"fromListy [(1,2)]", 0, std::nullopt},
      {"fromList [(1,2)", 0, std::nullopt},
      {"fromList [(1,2,3)]", 0, std::nullopt},
      {"fromList", 0, std::nullopt},
      {"fromList (1,2)", 0, std::nullopt},
      {"FromList []", 0, std::nullopt},
      {"", 0, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parses = completeParses(c.precedence, c.text);
    if (!c.expected) {
      EXPECT_TRUE(parses.empty());
      continue;
    }
    ASSERT_EQ(parses.size(), 1u);
    EXPECT_EQ(parses[0], Ints(fromList(*c.expected)));
  }
}

TEST(MapParsing, ReturnsTheRemainingText) {
  const auto parses = basis::readsPrec<Ints>(0, "fromList [(1,2)] tail");
  ASSERT_EQ(parses.size(), 1u);
  EXPECT_EQ(parses[0].second, " tail");
  const auto lists = basis::Read<Ints>::readList("[fromList [(1,2)],fromList []]");
  ASSERT_FALSE(lists.empty());
  EXPECT_EQ(lists[0].first.size(), 2u);
}

TEST(MapParsing, HostileNestingYieldsNoParse) {
  for (const std::string& text : {std::string(100000, '('), std::string(100000, '(') + "fromList []" +
                                                                std::string(100000, ')'),
                                 "fromList " + std::string(100000, '[')}) {
    EXPECT_FALSE(basis::read<Ints>(text).has_value());
  }
  EXPECT_TRUE(basis::read<Ints>(std::string(50, '(') + "fromList []" + std::string(50, ')')).has_value());
}

// Runs of parentheses before a long literal, at two levels of maps: no
// parse, in work within a small factor of reading a valid map of that size.
TEST(MapParsing, ParenthesesBeforeALongLiteralCostLinearWork) {
  using Nested = hashgrove::HashMap<hashgrove::HashMap<std::string, int>, int>;
  const std::string literal = "\"" + std::string(32 << 10, 'x') + "\"";
  const std::string hostile =
      "fromList [" + std::string(120, '(') + "fromList [" + std::string(120, '(') + literal;
  std::string valid = "fromList [";
  for (int i = 0; valid.size() < hostile.size(); ++i) valid += (i > 0 ? "," : "") + std::string("(") + std::to_string(i) + ",7)";
  valid += "]";
  const double benign = probes::bestSeconds([&] { EXPECT_TRUE(basis::read<Ints>(valid).has_value()); });
  const double bad = probes::bestSeconds([&] { EXPECT_FALSE(basis::read<Nested>(hostile).has_value()); });
  EXPECT_LT(bad, 40 * benign + 0.005) << "hostile " << bad << " s, valid " << benign << " s";
}

// Maps whose pairs stand in many redundant parentheses read at every size,
// in work (bytes examined) a small constant per byte of the text.
TEST(MapParsing, PairsInManyParenthesesRead) {
  using Named = HashMap<std::string, int>;
  for (std::size_t bytes : {std::size_t{1} << 10, std::size_t{16} << 10, std::size_t{1} << 20}) {
    std::string text = "fromList [";
    int count = 0;
    while (count == 0 || text.size() + 620 < bytes) {
      text += (count > 0 ? "," : "") + std::string(300, '(') + "(\"k" + std::to_string(count) + "\"," +
              std::to_string(count) + ")" + std::string(300, ')');
      ++count;
    }
    text += "]";
    const auto m = basis::read<Named>(text);
    ASSERT_TRUE(m.has_value()) << bytes;
    EXPECT_EQ(internal::size(*m), count);
    EXPECT_LT(static_cast<double>(basis::detail::lastReadWork()) / static_cast<double>(text.size()), 8.0);
  }
}

TEST(MapParsing, LiftedParserUsesTheGivenValueParser) {
  // Values written as words "one" / "two".
  auto words = [](int, std::string_view in) {
    basis::Parses<int> out;
    if (auto r = basis::expectIdent(in, "one")) out.emplace_back(1, *r);
    if (auto r = basis::expectIdent(in, "two")) out.emplace_back(2, *r);
    return out;
  };
  auto noList = [](std::string_view) { return basis::Parses<std::vector<int>>{}; };
  const auto parses = basis::Read1<HashMapOf<std::int64_t>>::liftReadsPrec(words, noList, 0,
                                                                          "fromList [(5,two),(6,one)]");
  ASSERT_EQ(parses.size(), 1u);
  EXPECT_EQ(lookup(std::int64_t{5}, parses[0].first)->force(), 2);
  EXPECT_EQ(basis::readsPrec1<IntValued>(11, "fromList []").size(), 0u);
  EXPECT_EQ(basis::readsPrec1<IntValued>(11, "(fromList [])").size(), 1u);
}

RC_GTEST_PROP(MapParsing, ReadsBackWhatItPrints, (const IntPairs& pairs)) {
  const Ints m = fromList(pairs);
  const auto back = basis::read<Ints>(basis::show(m));
  RC_ASSERT(back.has_value());
  RC_ASSERT(*back == m);
  const auto paren = basis::readsPrec<Ints>(11, basis::showsPrec(11, m));
  RC_ASSERT(paren.size() == 1u);
  RC_ASSERT(paren[0].first == m);
}

TEST(MapParsing, RoundTripWithCollidingStringKeys) {
  HashMap<std::u32string, std::int64_t> m;
  m = insert(std::u32string(U"x\"y"), std::int64_t{-1}, m);
  m = insert(std::u32string(U"\u00e9"), std::int64_t{2}, m);
  const auto back = basis::read<HashMap<std::u32string, std::int64_t>>(basis::show(m));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, m);
}

}  // namespace
}  // namespace hashgrove::internal
