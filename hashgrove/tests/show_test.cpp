// The text form of maps: the «fromList [...]» form in trie order, the
// precedence rule, lists of maps, the lifted printers, and streaming.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/lifted.hpp>
#include <basis/show.hpp>
#include <hashgrove/internal.hpp>
#include <hashgrove/set.hpp>

#include "walks_support.hpp"

// A key whose printer gives only showsPrec, without the defaults.
namespace {
struct BareKey {
  std::int64_t n;
  friend bool operator==(const BareKey&, const BareKey&) = default;
};
}  // namespace
template <>
struct basis::Hashable<BareKey> {
  static std::int64_t hash(const BareKey& k) { return k.n; }
  static std::int64_t hashWithSalt(std::int64_t s, const BareKey& k) { return basis::hashWithSalt(s, k.n); }
};
template <>
struct basis::Show<BareKey> {
  static void showsPrec(int d, const BareKey& k, std::string& out) { basis::showConstructor(d, out, "K", k.n); }
};

namespace hashgrove::internal {
namespace {

using Ints = HashMap<std::int64_t, std::int64_t>;

Ints ints(std::vector<std::pair<std::int64_t, std::int64_t>> ps) { return fromList(ps); }

static_assert(basis::Show1Tag<HashMapOf<std::int64_t>>);

TEST(MapText, PrintsThePairsInTrieOrderWithoutBlanks) {
  struct Case {
    Ints map;
    int precedence;
    const char* text;
  };
  const Case cases[] = {
      {Ints(), 0, "fromList []"},
      {Ints(), 11, "(fromList [])"},
      {ints({{1, 2}, {3, 4}}), 0, "fromList [(1,2),(3,4)]"},
      {ints({{3, 4}, {1, 2}}), 10, "fromList [(1,2),(3,4)]"},
      {ints({{1, 2}}), 11, "(fromList [(1,2)])"},
      {ints({{-1, 2}}), 0, "fromList [(-1,2)]"},
      {ints({{-1, -2}, {33, 1}, {1, 0}}), 0, "fromList [(1,0),(33,1),(-1,-2)]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(basis::showsPrec(c.precedence, c.map), c.text);
  }
  EXPECT_EQ(basis::show(ints({{2, 5}})), "fromList [(2,5)]");
}

TEST(MapText, ListsOfMapsAndNestedMaps) {
  std::string out;
  basis::Show<Ints>::showList(std::vector<Ints>{ints({{1, 1}}), Ints()}, out);
  EXPECT_EQ(out, "[fromList [(1,1)],fromList []]");
  HashMap<std::int64_t, Ints> nested;
  nested = insert(std::int64_t{1}, ints({{2, 3}}), nested);
  EXPECT_EQ(basis::show(nested), "fromList [(1,fromList [(2,3)])]");
  HashMap<std::u32string, std::optional<std::int64_t>> strings;
  strings = insert(std::u32string(U"a"), std::optional<std::int64_t>(-4), strings);
  EXPECT_EQ(basis::show(strings), "fromList [(\"a\",Just (-4))]");
}

TEST(MapText, KeysWhosePrinterGivesOnlyShowsPrec) {
  HashMap<BareKey, std::int64_t> m;
  m = insert(BareKey{1}, std::int64_t{2}, m);
  EXPECT_EQ(basis::show(m), "fromList [(K 1,2)]");
  const auto s = set::fromList(std::vector<BareKey>{{1}});
  EXPECT_EQ(basis::show(s), "fromList [K 1]");
  EXPECT_EQ(basis::showsPrec(11, s), "(fromList [K 1])");
}

TEST(MapText, LiftedPrintersUseTheGivenPrinters) {
  const Ints m = ints({{1, 2}});
  std::string out;
  auto star = [](int, std::int64_t v, std::string& o) { o += "*" + std::to_string(v); };
  auto unused = [](const auto&, std::string&) { FAIL() << "a list printer was used"; };
  basis::Show1<HashMapOf<std::int64_t>>::liftShowsPrec(star, unused, 11, m, out);
  EXPECT_EQ(out, "(fromList [(1,*2)])");
  out.clear();
  basis::Show2<HashMapTag>::liftShowsPrec2(star, unused, star, unused, 0, m, out);
  EXPECT_EQ(out, "fromList [(*1,*2)]");
  out.clear();
  basis::Show1<HashMapOf<std::int64_t>>::liftShowList(star, unused, std::vector<Ints>{m, m}, out);
  EXPECT_EQ(out, "[fromList [(1,*2)],fromList [(1,*2)]]");
  out.clear();
  basis::showsPrec1(0, m, out);
  EXPECT_EQ(out, basis::show(m));
}

TEST(MapText, StreamsIntoTheSinkUpToAFailingValue) {
  Ints m = ints({{0, 1}});
  m = insert(std::int64_t{1}, testing::failing<std::int64_t>(), m);
  std::string out;
  EXPECT_THROW(basis::showsPrec(0, m, out), std::runtime_error);
  EXPECT_EQ(out, "fromList [(0,1),(1,");
}

}  // namespace
}  // namespace hashgrove::internal
