#include <gtest/gtest.h>

#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;
using stampwell::testing::kCounting;

TEST(UUIDDeepEvaluation, ForcesADeferredUUIDAndNothingElse) {
  int built = 0;
  const auto deferred = basis::Lazy<UUID>::defer([&] { ++built; return kCounting; });
  EXPECT_FALSE(deferred.isEvaluated());
  basis::rnf(deferred);
  EXPECT_TRUE(deferred.isEvaluated());
  EXPECT_EQ(built, 1);
  basis::rnf(kCounting);
  basis::rnf(std::vector<UUID>{kCounting, stampwell::nil});
  static_assert(basis::NFDataType<UUID>);
}

}  // namespace

namespace {

using namespace basis::expr;

Exp uuidExp(std::uint64_t first, std::uint64_t second) {
  return AppE(AppE(ConE(mkNameG_d("stampwell", "Data.Stampwell.Internal", "UUID")),
                   LitE(IntegerL(first))),
              LitE(IntegerL(second)));
}

TEST(UUIDLift, ConstructorAppliedToTheTwoWords) {
  const Exp e = basis::lift(UUID(1, 2));
  EXPECT_EQ(e, uuidExp(1, 2));
  ASSERT_EQ(e.kind(), Exp::Kind::AppE);
  EXPECT_EQ(e.function().function().kind(), Exp::Kind::ConE);
  EXPECT_EQ(e.function().function().name().occName, "UUID");
  EXPECT_EQ(e.function().function().name().module, "Data.Stampwell.Internal");
  EXPECT_EQ(basis::liftTyped(UUID(1, 2)).unType, e);
}

TEST(UUIDLift, TopBitWordsAreLargePositiveLiterals) {
  const Exp e = basis::lift(UUID(~0ULL, 1ULL << 63));
  const Lit& first = e.function().argument().lit();
  const Lit& second = e.argument().lit();
  EXPECT_FALSE(first.integer.negative);
  EXPECT_EQ(first.integer.magnitude, 18446744073709551615ULL);
  EXPECT_FALSE(second.integer.negative);
  EXPECT_EQ(second.integer.magnitude, 9223372036854775808ULL);
  EXPECT_EQ(e, uuidExp(~0ULL, 1ULL << 63));
}

}  // namespace

namespace {

namespace generic = basis::generic;

TEST(UUIDData, ConstructorIsNamedByTheCanonicalText) {
  EXPECT_EQ(generic::toConstr(stampwell::nil).showConstr(),
            "00000000-0000-0000-0000-000000000000");
  EXPECT_EQ(generic::toConstr(UUID(~0ULL, ~0ULL)).showConstr(),
            "ffffffff-ffff-ffff-ffff-ffffffffffff");
  EXPECT_TRUE(generic::toConstr(kCounting).constrFields().empty());
  EXPECT_EQ(generic::toConstr(kCounting).constrType(), generic::dataTypeOf(kCounting));
}

TEST(UUIDData, FixityRaisesOnlyWhenAskedFor) {
  const generic::Constr c = generic::toConstr(kCounting);
  EXPECT_EQ(c.showConstr(), stampwell::testing::kCountingText);
  try {
    (void)c.constrFixity();
    FAIL() << "fixity did not raise";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "fixity");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0],
              (basis::CallSite{"error", "stampwell", "Data.Stampwell.Internal",
                               "src/Data/Stampwell/Internal", 570, 52, 570, 57}));
  }
}

TEST(UUIDData, TypeIsNamedAndHasNoConstructors) {
  const generic::DataType t = generic::dataTypeOf(kCounting);
  EXPECT_EQ(t.name(), "Data.Stampwell.UUID");
  EXPECT_EQ(t.rep(), generic::DataRep::NoRep);
  EXPECT_FALSE(t.isAlgType());
  EXPECT_THROW((void)t.constrs(), basis::ErrorCall);
  EXPECT_EQ(t, generic::dataTypeOf(stampwell::nil));
  EXPECT_EQ(generic::typeRep<UUID>(), generic::mkTyConApp("UUID", "Data.Stampwell.Internal"));
}

TEST(UUIDData, GunfoldRaisesFromTheLibrarysSite) {
  const generic::Constr c = generic::toConstr(kCounting);
  try {
    (void)basis::Data<UUID>::gunfold([](auto&&...) { return 0; }, [](auto&&...) { return 0; }, c);
    FAIL() << "gunfold did not raise";
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "gunfold");
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0],
              (basis::CallSite{"error", "stampwell", "Data.Stampwell.Internal",
                               "src/Data/Stampwell/Internal", 571, 20, 571, 25}));
  }
}

TEST(UUIDData, OneLayerMapsSeeNoChildrenAndNeverCallTheFunction) {
  int calls = 0;
  auto g = [&](const auto& x) { ++calls; return x; };
  using D = basis::Data<UUID>;
  EXPECT_EQ(D::gfoldl([&](auto&& acc, auto&&) { ++calls; return acc; },
                      [](const UUID& u) { return u; }, kCounting),
            kCounting);
  EXPECT_EQ(generic::gmapT(g, kCounting), kCounting);
  EXPECT_TRUE(generic::gmapQ<int>([&](const auto&) { ++calls; return 1; }, kCounting).empty());
  EXPECT_EQ(D::gmapQl([](int a, int b) { return a + b; }, 7, [&](const auto&) { ++calls; return 1; },
                      kCounting),
            7);
  EXPECT_EQ(D::gmapQr([](int a, int b) { return a + b; }, 7, [&](const auto&) { ++calls; return 1; },
                      kCounting),
            7);
  auto inMaybe = [&](const auto& x) { ++calls; return std::optional(x); };
  EXPECT_EQ(D::gmapM<basis::OptionalTag>(inMaybe, kCounting), std::optional(kCounting));
  EXPECT_EQ(D::gmapMp<basis::OptionalTag>(inMaybe, kCounting), std::nullopt);
  EXPECT_EQ(D::gmapMo<basis::OptionalTag>(inMaybe, kCounting), std::nullopt);
  EXPECT_EQ(calls, 0);
}

TEST(UUIDData, GmapQiRaisesForEveryIndex) {
  for (std::int64_t i : {0, 1, -1, 15}) {
    try {
      (void)generic::gmapQi<int>(i, [](const auto&) { return 1; }, kCounting);
      FAIL() << "gmapQi did not raise for " << i;
    } catch (const basis::FromJustNothing& e) {
      ASSERT_FALSE(e.callStack().entries.empty());
      const basis::CallSite& site = e.callStack().entries[0];
      EXPECT_EQ(site.function, "fromJust");
      EXPECT_EQ(site.module, "Data.Data");
    }
  }
}

}  // namespace
