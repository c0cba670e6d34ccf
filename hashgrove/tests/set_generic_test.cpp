// What generic code, expression building and deep evaluation see of a set:
// one constructor "fromList" over the element list, «HashSet» applied to the
// map's expression, and every element forced before its unit value.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include <basis/expr.hpp>
#include <basis/generic.hpp>
#include <basis/lift.hpp>
#include <basis/lifted.hpp>
#include <basis/nfdata.hpp>
#include <hashgrove/set.hpp>

#include "walks_support.hpp"

namespace hashgrove::internal::set {
namespace {

using Ints = HashSet<std::int64_t>;
using Elements = std::vector<std::int64_t>;
using D = basis::Data<Ints>;

Ints ints(const Elements& xs) { return fromList(xs); }

// An element whose deep evaluation is recorded.
struct Tracked {
  std::int64_t id;
  static inline std::vector<std::int64_t> log;
  friend bool operator==(const Tracked&, const Tracked&) = default;
};

}  // namespace
}  // namespace hashgrove::internal::set

template <>
struct basis::Hashable<hashgrove::internal::set::Tracked> {
  static std::int64_t hash(const hashgrove::internal::set::Tracked& x) { return x.id; }
  static std::int64_t hashWithSalt(std::int64_t s, const hashgrove::internal::set::Tracked& x) {
    return basis::hashWithSalt(s, x.id);
  }
};
template <>
struct basis::NFData<hashgrove::internal::set::Tracked> {
  static void rnf(const hashgrove::internal::set::Tracked& x) { hashgrove::internal::set::Tracked::log.push_back(x.id); }
};

namespace hashgrove::internal::set {
namespace {

TEST(SetGeneric, OneConstructorWhateverTheSet) {
  for (const Ints& s : {Ints(), ints({1, 2})}) {
    const basis::generic::Constr c = basis::generic::toConstr(s);
    EXPECT_EQ(c.showConstr(), "fromList");
    EXPECT_EQ(c.constrIndex(), 1);
    EXPECT_TRUE(c.constrFields().empty());
    EXPECT_EQ(c.constrFixity(), basis::generic::Fixity::Prefix);
    EXPECT_EQ(c, fromListConstr());
    EXPECT_EQ(basis::generic::dataTypeOf(s).name(), "Data.HashSet.Internal.HashSet");
    EXPECT_EQ(basis::generic::dataTypeOf(s), hashSetDataType());
    EXPECT_TRUE(basis::generic::dataTypeOf(s).isAlgType());
  }
  EXPECT_EQ(fromListConstr().constrType(), hashSetDataType());
  EXPECT_EQ(basis::generic::typeRep<Ints>(),
            basis::generic::mkTyConApp("HashSet", "Data.HashSet.Internal", {basis::generic::typeRep<std::int64_t>()}));
}

TEST(SetGeneric, TheFieldIsTheElementListAndRebuildingGoesThroughFromList) {
  const Ints s = ints({33, 1, 2});
  const auto lists = basis::generic::gmapQ([](const Elements& xs) { return xs; }, s);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], (Elements{1, 33, 2}));
  EXPECT_EQ(basis::generic::gmapQi(0, [](const Elements& xs) { return xs.size(); }, s), 3u);
  EXPECT_THROW(basis::generic::gmapQi(1, [](const Elements& xs) { return xs.size(); }, s), basis::FromJustNothing);
  const Ints halved = basis::generic::gmapT(
      [](const Elements& xs) {
        Elements out;
        for (std::int64_t x : xs) out.push_back(x / 2);
        return out;
      },
      s);
  EXPECT_EQ(halved, ints({0, 1, 16}));
  const Ints built = D::gunfold(
      [](auto make, auto type) {
        static_assert(std::is_same_v<typename decltype(type)::type, Elements>);
        return make(Elements{7, 7, 8});
      },
      [](auto make) { return make; }, fromListConstr());
  EXPECT_EQ(built, ints({7, 8}));
}

TEST(SetGeneric, GunfoldRefusesAnotherConstructorWithItsRaisingSite) {
  const auto other = basis::generic::mkDataType("Other", {{"A", {}, {}}, {"B", {}, {}}});
  try {
    D::gunfold([](auto make, auto) { return make(Elements{}); }, [](auto make) { return make; }, other.indexConstr(2));
    FAIL() << "no error";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "gunfold");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], (basis::CallSite{"error", "hashgrove", "Data.HashSet.Internal",
                                                         "./Data/HashSet/Internal", 234, 14, 234, 19}));
  }
}

TEST(SetGeneric, CastsOnlyToItsOwnConstructor) {
  auto atElement = [](auto t) {
    return std::string(std::is_same_v<typename decltype(t)::type, std::int64_t> ? "element" : "?");
  };
  EXPECT_EQ(D::dataCast1<HashSetTag>(atElement), std::optional<std::string>("element"));
  EXPECT_EQ(D::dataCast1<HashMapOf<std::int64_t>>(atElement), std::nullopt);
  auto atBoth = [](auto, auto) { return 2; };
  EXPECT_EQ(D::dataCast2<HashMapTag>(atBoth), std::nullopt);
  EXPECT_EQ(D::dataCast2<HashSetTag>(atBoth), std::nullopt);
  EXPECT_FALSE(D::dataCast2().has_value());
}

using namespace basis::expr;

TEST(SetExpressions, HashSetAppliedToTheMapsExpression) {
  const Exp hashSet = ConE(mkNameG_d("hashgrove", "Data.HashSet.Internal", "HashSet"));
  EXPECT_EQ(basis::lift(Ints()), AppE(hashSet, ConE(mkNameG_d("hashgrove", "Data.HashMap.Internal", "Empty"))));
  const Ints s = ints({1, 33, 2});
  EXPECT_EQ(basis::lift(s), AppE(hashSet, basis::lift(s.asMap())));
  EXPECT_EQ(basis::liftTyped(s).unType, basis::lift(s));
  const std::string text = render(basis::lift(ints({5})));
  EXPECT_NE(text.find("Leaf"), std::string::npos) << text;
  EXPECT_NE(text.find("()"), std::string::npos) << text;
}

TEST(SetDeepEvaluation, ForcesEachElementThenItsUnitInTrieOrder) {
  // A set made from a map whose values are deferred unit computations.
  std::vector<std::string> log;
  HashMap<std::int64_t, basis::Unit> m;
  for (std::int64_t x : {2, 1}) {
    m = internal::insert(x, basis::Lazy<basis::Unit>::defer([&log, x] {
                           log.push_back("unit " + std::to_string(x));
                           return basis::unit;
                         }),
                         m);
  }
  const Ints s = fromMap(m);
  liftRnf([&log](std::int64_t x) { log.push_back("element " + std::to_string(x)); }, s);
  EXPECT_EQ(log, (std::vector<std::string>{"element 1", "unit 1", "element 2", "unit 2"}));
  // rnf forces the deferred units (already done above for these; a fresh
  // failing one fails).
  HashMap<std::int64_t, basis::Unit> bad;
  bad = internal::insert(std::int64_t{3}, testing::failing<basis::Unit>(), bad);
  EXPECT_THROW(basis::rnf(fromMap(bad)), std::runtime_error);
  EXPECT_THROW(basis::rnf1(fromMap(bad)), std::runtime_error);
  basis::rnf(ints({1, 2}));
  basis::rnf(Ints());
}

TEST(SetDeepEvaluation, ElementsGoThroughTheirOwnDeepEvaluation) {
  Tracked::log.clear();
  const HashSet<Tracked> s = fromList(std::vector<Tracked>{{33}, {2}, {1}});
  basis::rnf(s);
  EXPECT_EQ(Tracked::log, (std::vector<std::int64_t>{1, 33, 2}));
  Tracked::log.clear();
  basis::rnf1(s);
  EXPECT_EQ(Tracked::log, (std::vector<std::int64_t>{1, 33, 2}));
}

TEST(SetListConversion, FromListNIgnoresTheCountAndToListGivesTheElements) {
  const Ints s = fromListN(std::int64_t{99}, Elements{3, 1, 3});
  EXPECT_EQ(s, ints({1, 3}));
  Elements listed;
  for (std::int64_t x : toList(s)) listed.push_back(x);
  EXPECT_EQ(fromList(listed), s);
  EXPECT_EQ(listed, (Elements{1, 3}));
}

}  // namespace
}  // namespace hashgrove::internal::set
