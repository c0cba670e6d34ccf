// The text form of sets and its parser: «fromList» with the element type's
// own list form, the precedence rule, lists of sets, the lifted printer,
// parser cases, round trips and hostile input.

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <basis/lifted.hpp>
#include <basis/read.hpp>
#include <basis/show.hpp>
#include <hashgrove/set.hpp>

namespace hashgrove::internal::set {
namespace {

using Ints = HashSet<std::int64_t>;
using Chars = HashSet<char32_t>;

Ints ints(const std::vector<std::int64_t>& xs) { return fromList(xs); }
Chars chars(std::u32string_view cs) { return fromList(cs); }

static_assert(basis::Show1Tag<HashSetTag>);

TEST(SetText, PrintsTheElementsInTrieOrderWithTheElementsListForm) {
  struct Case {
    std::string text;
    const char* expected;
  };
  // 1 and 33 share their lowest fragment; -1 hashes to all ones. 'A' and 'a'
  // share their lowest fragment too.
  const Case cases[] = {
      {basis::showsPrec(0, Ints()), "fromList []"},
      {basis::showsPrec(11, Ints()), "(fromList [])"},
      {basis::showsPrec(10, ints({2})), "fromList [2]"},
      {basis::showsPrec(11, ints({2})), "(fromList [2])"},
      {basis::show(ints({3, -1, 33, 1})), "fromList [1,33,3,-1]"},
      {basis::show(ints({-5, -5})), "fromList [-5]"},
      {basis::show(chars(U"cbAa")), "fromList \"Aabc\""},
      {basis::show(Chars()), "fromList \"\""},
      {basis::show(chars(U"\u00e9\n")), "fromList \"\\233\\n\""},
      {basis::show(HashSet<std::u32string>(fromList(std::vector<std::u32string>{U"x"}))), "fromList [\"x\"]"},
      {basis::show(HashSet<Ints>(fromList(std::vector<Ints>{ints({1})}))), "fromList [fromList [1]]"},
      {basis::show(std::optional<Ints>(ints({4}))), "Just (fromList [4])"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

TEST(SetText, ListsOfSetsAndTheLiftedPrinters) {
  std::string out;
  basis::Show<Ints>::showList(std::vector<Ints>{ints({1}), Ints()}, out);
  EXPECT_EQ(out, "[fromList [1],fromList []]");
  // The lifted printer writes the element list with the list printer it is
  // given; the element printer is never called.
  auto unused = [](int, std::int64_t, std::string&) { ADD_FAILURE() << "the element printer was used"; };
  auto fixed = [](const auto&, std::string& o) { o += "<xs>"; };
  out.clear();
  basis::Show1<HashSetTag>::liftShowsPrec(unused, fixed, 11, ints({1, 2}), out);
  EXPECT_EQ(out, "(fromList <xs>)");
  out.clear();
  basis::Show1<HashSetTag>::liftShowList(unused, fixed, std::vector<Ints>{ints({1}), ints({2})}, out);
  EXPECT_EQ(out, "[fromList <xs>,fromList <xs>]");
  out.clear();
  basis::showsPrec1(11, ints({7, 39}), out);
  EXPECT_EQ(out, basis::showsPrec(11, ints({7, 39})));
}

TEST(SetParser, Cases) {
  struct Case {
    int precedence;
    std::string_view text;
    std::optional<Ints> complete;  // the one complete parse, or none
  };
  const Case cases[] = {
      {0, "fromList [1,2,3]", ints({1, 2, 3})},
      {0, "fromList [3,1,3,1]", ints({1, 3})},
      {0, "fromList []", Ints()},
      {0, "fromList [-1,2]", ints({-1, 2})},
      {10, "fromList [1]", ints({1})},
      {11, "fromList [1]", std::nullopt},
      {11, "(fromList [1])", ints({1})},
      {11, " ( ( fromList [ 1 , 2 ] ) ) ", ints({1, 2})},
      {0, "fromList ([4])", ints({4})},
      {0, "fromListx [1]", std::nullopt},
      {0, "fromLis [1]", std::nullopt},
      {0, "FromList [1]", std::nullopt},
      {0, "fromList [1,]", std::nullopt},
      {0, "fromList [1", std::nullopt},
      {0, "fromList (1)", std::nullopt},
      {0, "(fromList [1]", std::nullopt},
      {0, "fromList", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<Ints> got;
    int complete = 0;
    for (auto& [s, rest] : basis::readsPrec<Ints>(c.precedence, c.text)) {
      if (!basis::skipSpaces(rest).empty()) continue;
      ++complete;
      got = s;
    }
    EXPECT_EQ(complete, c.complete ? 1 : 0) << c.text;
    EXPECT_EQ(got, c.complete) << c.text;
  }
}

TEST(SetParser, LeavesTheRestAndReadsElementTypesWithTheirOwnListForms) {
  const auto parses = basis::readsPrec<Ints>(0, "fromList [5] tail");
  ASSERT_EQ(parses.size(), 1u);
  EXPECT_EQ(parses[0].first, ints({5}));
  EXPECT_EQ(parses[0].second, " tail");
  EXPECT_EQ(basis::read<Chars>("fromList \"abca\""), chars(U"abc"));
  EXPECT_EQ(basis::read<Chars>("fromList ['b','a']"), chars(U"ab"));
  EXPECT_EQ(basis::read<Chars>(basis::show(chars(U"\u00e9\n\"x"))), chars(U"\u00e9\n\"x"));
  EXPECT_EQ(basis::read<HashSet<Ints>>("fromList [fromList [1],fromList [1]]"),
            HashSet<Ints>(fromList(std::vector<Ints>{ints({1})})));
  EXPECT_EQ(basis::read<std::vector<Ints>>("[fromList [1], (fromList [])]"), (std::vector<Ints>{ints({1}), Ints()}));
}

TEST(SetParser, DeepParenthesesYieldNoParseInsteadOfACrash) {
  const std::string deep = std::string(100000, '(') + "fromList []" + std::string(100000, ')');
  EXPECT_EQ(basis::read<Ints>(deep), std::nullopt);
  const std::string deepElement = "fromList [" + std::string(100000, '(') + "1" + std::string(100000, ')') + "]";
  EXPECT_EQ(basis::read<Ints>(deepElement), std::nullopt);
  const std::string fine = std::string(20, '(') + "fromList []" + std::string(20, ')');
  EXPECT_EQ(basis::read<Ints>(fine), Ints());
}

RC_GTEST_PROP(SetText, PrintingThenParsingGivesAnEqualSet, (const std::vector<std::int64_t>& xs)) {
  const auto codePoints = *rc::gen::container<std::vector<std::uint32_t>>(rc::gen::inRange<std::uint32_t>(0, 0x110000));
  const std::u32string cs(codePoints.begin(), codePoints.end());
  const Ints s = ints(xs);
  RC_ASSERT(basis::read<Ints>(basis::show(s)) == std::optional<Ints>(s));
  RC_ASSERT(basis::read<Ints>("(" + basis::showsPrec(11, s) + ")") == std::optional<Ints>(s));
  const Chars c = chars(cs);
  RC_ASSERT(basis::read<Chars>(basis::show(c)) == std::optional<Chars>(c));
}

}  // namespace
}  // namespace hashgrove::internal::set
