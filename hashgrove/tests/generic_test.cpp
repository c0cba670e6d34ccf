// The generic view of maps: one constructor "fromList" with the pair list as
// its only field.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <basis/generic.hpp>
#include <hashgrove/internal.hpp>

namespace hashgrove::internal {
namespace {

using Ints = HashMap<std::int64_t, std::int64_t>;
using IntPairs = std::vector<std::pair<std::int64_t, std::int64_t>>;
using D = basis::Data<Ints>;

TEST(MapGeneric, OneConstructorWhateverTheMap) {
  const Ints m = fromList(IntPairs{{1, 2}, {3, 4}});
  EXPECT_EQ(basis::generic::toConstr(m).showConstr(), "fromList");
  EXPECT_EQ(basis::generic::toConstr(Ints()).showConstr(), "fromList");
  EXPECT_EQ(basis::generic::toConstr(m).constrIndex(), 1);
  EXPECT_TRUE(basis::generic::toConstr(m).constrFields().empty());
  EXPECT_EQ(basis::generic::toConstr(m).constrFixity(), basis::generic::Fixity::Prefix);
  EXPECT_EQ(basis::generic::dataTypeOf(m).name(), "Data.HashMap.Internal.HashMap");
  EXPECT_TRUE(basis::generic::dataTypeOf(Ints()).isAlgType());
  EXPECT_EQ(basis::generic::typeRep<Ints>(),
            basis::generic::mkTyConApp("HashMap", "Data.HashMap.Internal",
                                       {basis::generic::typeRep<std::int64_t>(), basis::generic::typeRep<std::int64_t>()}));
}

TEST(MapGeneric, TheFieldIsThePairListInTrieOrder) {
  const Ints m = fromList(IntPairs{{33, 2}, {1, 4}, {2, 5}});
  const auto lists = basis::generic::gmapQ([](const IntPairs& ps) { return ps; }, m);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], (IntPairs{{1, 4}, {33, 2}, {2, 5}}));
  EXPECT_EQ(basis::generic::gmapQ([](const IntPairs& ps) { return ps.size(); }, Ints())[0], 0u);
  EXPECT_EQ(basis::generic::gmapQi(0, [](const IntPairs& ps) { return ps.size(); }, m), 3u);
  EXPECT_THROW(basis::generic::gmapQi(1, [](const IntPairs& ps) { return ps.size(); }, m), basis::FromJustNothing);
}

TEST(MapGeneric, RebuildingGoesThroughFromList) {
  const Ints m = fromList(IntPairs{{1, 2}, {3, 4}});
  // Two pairs onto one key: the later pair of the returned list wins.
  const Ints merged = basis::generic::gmapT(
      [](const IntPairs& ps) {
        IntPairs out;
        for (const auto& [k, v] : ps) out.push_back({0, v});
        return out;
      },
      m);
  EXPECT_EQ(size(merged), 1);
  EXPECT_EQ(lookup(std::int64_t{0}, merged)->force(), 4);
  // gunfold with the map's constructor builds from the list it is given.
  const Ints built = D::gunfold(
      [](auto make, auto type) {
        static_assert(std::is_same_v<typename decltype(type)::type, IntPairs>);
        return make(IntPairs{{7, 8}, {7, 9}});
      },
      [](auto make) { return make; }, basis::generic::toConstr(m));
  EXPECT_EQ(built, Ints(fromList(IntPairs{{7, 9}})));
}

TEST(MapGeneric, GunfoldRefusesAnotherConstructor) {
  const auto other = basis::generic::mkDataType("Other", {{"A", {}, {}}, {"B", {}, {}}});
  try {
    D::gunfold([](auto make, auto) { return make(IntPairs{}); }, [](auto make) { return make; },
               other.indexConstr(2));
    FAIL() << "no error";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "gunfold");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0],
              (basis::CallSite{"error", "hashgrove", "Data.HashMap.Internal", "./Data/HashMap/Internal", 335, 14, 335,
                               19}));
  }
}

TEST(MapGeneric, CastsOnlyToItsOwnConstructor) {
  auto atValue = [](auto v) { return std::string(std::is_same_v<typename decltype(v)::type, std::int64_t> ? "v" : "?"); };
  EXPECT_EQ(D::dataCast1<HashMapOf<std::int64_t>>(atValue), std::optional<std::string>("v"));
  EXPECT_EQ(D::dataCast1<HashMapOf<int>>(atValue), std::nullopt);
  auto atBoth = [](auto, auto) { return 2; };
  EXPECT_EQ(D::dataCast2<HashMapTag>(atBoth), std::optional<int>(2));
  EXPECT_EQ(D::dataCast2<HashMapOf<std::int64_t>>(atBoth), std::nullopt);
}

}  // namespace
}  // namespace hashgrove::internal
