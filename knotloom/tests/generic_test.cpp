// The generic representation and generic data interface of Fix.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <knotloom/knotloom.hpp>

#include "layers.hpp"

namespace g = basis::generic;
using knotloom_test::ListF;
using knotloom_test::ListOf;
using L = ListOf<std::int64_t>;
using IntList = knotloom::Fix<L>;

// The list layer seen generically: Nil, or Cons with the head and the tail.
template <class A>
struct basis::Data<ListF<std::int64_t, A>> : basis::DataDefaults<ListF<std::int64_t, A>> {
  static const g::DataType& type() {
    static const g::DataType t =
        g::mkDataType("Test.ListF", {{"Nil", {}, g::Fixity::Prefix}, {"Cons", {}, g::Fixity::Prefix}});
    return t;
  }
  static g::DataType dataTypeOf(const ListF<std::int64_t, A>&) { return type(); }
  static g::Constr toConstr(const ListF<std::int64_t, A>& l) { return type().indexConstr(l.isNil() ? 1 : 2); }
  static std::tuple<> fields(const ListF<std::int64_t, A>&) { return {}; }
};

template <>
struct basis::generic::Typeable<L> {
  static TypeRep typeRep() { return mkTyConApp("ListF", "Test", {generic::typeRep<std::int64_t>()}); }
};

namespace {

IntList nil() { return knotloom_test::fixNil<std::int64_t>(); }
IntList cons(std::int64_t h, IntList t) { return knotloom_test::fixCons(h, std::move(t)); }

TEST(FixData, DescribesOneConstructorWithOneField) {
  const g::Constr c = g::toConstr(cons(1, nil()));
  EXPECT_EQ(c.showConstr(), "Fix");
  EXPECT_EQ(c.constrFields(), std::vector<std::string>{"unFix"});
  EXPECT_EQ(c.constrIndex(), 1);
  EXPECT_EQ(c.constrFixity(), g::Fixity::Prefix);
  const g::DataType t = g::dataTypeOf(nil());
  EXPECT_EQ(t.name(), "Knotloom.Fix");
  EXPECT_TRUE(t.isAlgType());
  ASSERT_EQ(t.constrs().size(), 1u);
  EXPECT_EQ(c.constrType(), t);
  EXPECT_EQ(g::toConstr(nil()), c);
  EXPECT_FALSE(std::optional<int>(basis::Data<IntList>::dataCast1()).has_value());
  EXPECT_FALSE(std::optional<int>(basis::Data<IntList>::dataCast2()).has_value());
}

TEST(FixData, TheTypeIdentityIsFixOfTheLayerFunctor) {
  EXPECT_EQ(g::typeRep<IntList>(),
            g::mkTyConApp("Fix", "Knotloom", {g::mkTyConApp("ListF", "Test", {g::typeRep<std::int64_t>()})}));
  // Over basis's own functors.
  EXPECT_EQ(g::typeRep<knotloom::Fix<basis::OptionalTag>>(),
            g::mkTyConApp("Fix", "Knotloom", {g::mkTyConApp("Maybe", "GHC.Maybe")}));
  EXPECT_EQ(g::typeRep<knotloom::Fix<basis::PairOf<std::int64_t>>>(),
            g::mkTyConApp("Fix", "Knotloom", {g::mkTyConApp("(,)", "GHC.Tuple", {g::typeRep<std::int64_t>()})}));
}

TEST(FixData, QueriesSeeTheLayerAsTheOneChild) {
  const IntList x = cons(7, nil());
  auto constructorName = [](const auto& layer) { return g::toConstr(layer).showConstr(); };
  EXPECT_EQ(g::gmapQ(constructorName, x), std::vector<std::string>{"Cons"});
  EXPECT_EQ(g::gmapQi(0, constructorName, x), "Cons");
  auto cat = [](std::string acc, std::string s) { return acc + "<" + s + ">"; };
  EXPECT_EQ(basis::Data<IntList>::gmapQl(cat, std::string("r"), constructorName, x), "r<Cons>");
  auto catRight = [](std::string s, std::string acc) { return "<" + s + ">" + acc; };
  EXPECT_EQ(basis::Data<IntList>::gmapQr(catRight, std::string("r"), constructorName, x), "<Cons>r");
}

TEST(FixData, QueryingAChildOtherThanTheFirstRaisesTheFromJustError) {
  auto constructorName = [](const auto& layer) { return g::toConstr(layer).showConstr(); };
  try {
    (void)g::gmapQi(1, constructorName, nil());
    ADD_FAILURE() << "gmapQi 1 returned";
  } catch (const basis::FromJustNothing& e) {
    EXPECT_STREQ(e.what(), "Maybe.fromJust: Nothing");
    const basis::CallSite site{"fromJust", "base", "Data.Data", "libraries/base/Data/Data", 369, 51, 369, 59};
    ASSERT_EQ(e.callStack().entries.size(), 1u);
    EXPECT_EQ(e.callStack().entries[0], site);
  }
}

TEST(FixData, MapsRebuildAFixAroundTheNewLayer) {
  const IntList x = cons(1, cons(2, nil()));
  auto dropHead = [](const auto& layer) { return layer.isNil() ? layer : layer.tail().unFix(); };
  EXPECT_EQ(g::gmapT(dropHead, x), cons(2, nil()));
  auto maybeDrop = [&](const auto& layer) -> std::optional<ListF<std::int64_t, IntList>> {
    if (layer.isNil()) return std::nullopt;
    return dropHead(layer);
  };
  EXPECT_EQ((basis::Data<IntList>::gmapM<basis::OptionalTag>(maybeDrop, x)), std::optional<IntList>(cons(2, nil())));
  EXPECT_EQ((basis::Data<IntList>::gmapM<basis::OptionalTag>(maybeDrop, nil())), std::nullopt);
  // One child: gmapMp and gmapMo agree; a failing child leaves nothing changed, which fails.
  EXPECT_EQ((basis::Data<IntList>::gmapMp<basis::OptionalTag>(maybeDrop, x)), std::optional<IntList>(cons(2, nil())));
  EXPECT_EQ((basis::Data<IntList>::gmapMo<basis::OptionalTag>(maybeDrop, x)), std::optional<IntList>(cons(2, nil())));
  EXPECT_EQ((basis::Data<IntList>::gmapMp<basis::OptionalTag>(maybeDrop, nil())), std::nullopt);
  EXPECT_EQ((basis::Data<IntList>::gmapMo<basis::OptionalTag>(maybeDrop, nil())), std::nullopt);
}

TEST(FixData, FoldsAndUnfoldsTheConstructorOverTheLayer) {
  const IntList x = cons(3, nil());
  // gfoldl with the identity: the constructor applied to the layer rebuilds x.
  auto rebuilt = basis::Data<IntList>::gfoldl([](auto f, const auto& layer) { return f(layer); },
                                              [](auto f) { return f; }, x);
  EXPECT_EQ(rebuilt, x);
  // gunfold ignores the constructor description and builds Fix from one child.
  auto made = basis::Data<IntList>::gunfold(
      [](auto f, auto) { return f(ListF<std::int64_t, IntList>::nil()); }, [](auto f) { return f; },
      g::toConstr(x));
  EXPECT_EQ(made, nil());
}

TEST(FixGeneric, FromAndToNeitherCopyNorComputeTheLayer) {
  int runs = 0;
  auto layer = basis::Lazy<IntList::Layer>::defer([&runs] {
    ++runs;
    return ListF<std::int64_t, IntList>::nil();
  });
  const IntList x(layer);
  const auto rep = g::from(x);
  EXPECT_EQ(rep.cellAddress(), layer.cellAddress());
  const IntList back = g::to<IntList>(rep);
  EXPECT_EQ(back.lazyLayer().cellAddress(), layer.cellAddress());
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(basis::Generic<IntList>::datatypeName, "Fix");
  EXPECT_EQ(basis::Generic<IntList>::constructorName, "Fix");
  EXPECT_EQ(basis::Generic<IntList>::fieldNames[0], "unFix");
}

}  // namespace
