#include "basis/expr.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "basis/lift.hpp"

namespace {

namespace ex = basis::expr;

ex::Exp lit(std::int64_t n) { return ex::LitE(ex::IntegerL(n)); }

TEST(Expressions, EqualityIsStructuralAndSeesNamesInFull) {
  const ex::Name fromList = ex::mkNameG_v("hashgrove", "Data.HashMap.Internal.Array", "fromList'");
  const ex::Exp a = ex::appsE(ex::VarE(fromList), {lit(2), ex::ListE({lit(1), lit(2)})});
  const ex::Exp b = ex::AppE(ex::AppE(ex::VarE(fromList), lit(2)), ex::ListE({lit(1), lit(2)}));
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.kind(), ex::Exp::Kind::AppE);
  EXPECT_EQ(a.function().argument().lit().integer.magnitude, 2u);
  // Another package, module, name space or flavour is another name.
  for (const ex::Name& other :
       {ex::mkNameG_v("base", "Data.HashMap.Internal.Array", "fromList'"),
        ex::mkNameG_v("hashgrove", "Data.HashMap.Internal", "fromList'"),
        ex::mkNameG_d("hashgrove", "Data.HashMap.Internal.Array", "fromList'"),
        ex::mkNameS("fromList'")}) {
    EXPECT_NE(ex::VarE(fromList), ex::VarE(other));
  }
  EXPECT_NE(ex::VarE(fromList), ex::ConE(fromList));
  EXPECT_NE(ex::ListE({lit(1)}), ex::TupE({lit(1)}));
  EXPECT_NE(ex::ListE({lit(1)}), ex::ListE({lit(1), lit(1)}));
  EXPECT_EQ(ex::IntegerL(0), ex::IntegerL(std::uint64_t{0}));
  EXPECT_NE(ex::IntegerL(-1), ex::IntegerL(std::uint64_t{1}));
}

TEST(Expressions, InfixSectionsAndSignatures) {
  const ex::Exp dollarBang = ex::VarE(ex::mkNameG_v("base", "GHC.Base", "$!"));
  const ex::Exp full = ex::InfixE(lit(1), dollarBang, lit(2));
  ASSERT_NE(full.left(), nullptr);
  ASSERT_NE(full.right(), nullptr);
  EXPECT_EQ(*full.left(), lit(1));
  EXPECT_EQ(*full.right(), lit(2));
  EXPECT_EQ(full.op(), dollarBang);
  const ex::Exp section = ex::InfixE(std::nullopt, dollarBang, lit(2));
  EXPECT_EQ(section.left(), nullptr);
  EXPECT_EQ(*section.right(), lit(2));
  EXPECT_NE(full, section);
  const ex::Type intT = ex::ConT(ex::mkNameG_tc("ghc-prim", "GHC.Types", "Int"));
  const ex::Exp sig = ex::SigE(lit(3), ex::AppT(ex::ListT(), intT));
  EXPECT_EQ(sig.type().argument(), intT);
  EXPECT_NE(sig, ex::SigE(lit(3), intT));
}

TEST(Expressions, RenderUsesTheConstructorsNotation) {
  const ex::Exp leaf = ex::ConE(ex::mkNameG_d("hashgrove", "Data.HashMap.Internal", "Leaf"));
  const ex::Exp dollarBang = ex::VarE(ex::mkNameG_v("base", "GHC.Base", "$!"));
  struct Case {
    ex::Exp e;
    std::string text;
  };
  const std::vector<Case> cases = {
      {lit(-1), "LitE (IntegerL (-1))"},
      {ex::LitE(ex::IntegerL(std::numeric_limits<std::uint64_t>::max())),
       "LitE (IntegerL 18446744073709551615)"},
      {ex::LitE(ex::CharL(U'\n')), "LitE (CharL '\\n')"},
      {ex::LitE(ex::StringL(U"a\"b")), "LitE (StringL \"a\\\"b\")"},
      {ex::AppE(leaf, lit(5)),
       "AppE (ConE hashgrove:Data.HashMap.Internal.Leaf) (LitE (IntegerL 5))"},
      {ex::InfixE(lit(1), dollarBang, std::nullopt),
       "InfixE (Just (LitE (IntegerL 1))) (VarE base:GHC.Base.$!) Nothing"},
      {ex::InfixE(std::nullopt, dollarBang, lit(2)),
       "InfixE Nothing (VarE base:GHC.Base.$!) (Just (LitE (IntegerL 2)))"},
      {ex::ListE({}), "ListE []"},
      {ex::ListE({lit(1), ex::VarE(ex::mkNameS("x"))}),
       "ListE [LitE (IntegerL 1),VarE x]"},
      {ex::TupE({lit(1), lit(2)}), "TupE [Just (LitE (IntegerL 1)),Just (LitE (IntegerL 2))]"},
      {ex::SigE(lit(1), ex::ConT(ex::mkNameS("Int"))), "SigE (LitE (IntegerL 1)) (ConT Int)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ex::render(c.e), c.text);
}

TEST(Expressions, DeepTreesCompareRenderAndFreeWithoutDeepRecursion) {
  auto deep = [] {
    ex::Exp e = lit(0);
    const ex::Exp f = ex::VarE(ex::mkNameS("f"));
    for (int i = 0; i < 100000; ++i) e = ex::AppE(f, std::move(e));
    return e;
  };
  const ex::Exp a = deep();
  const ex::Exp b = deep();
  EXPECT_EQ(a, b);
  const std::string text = ex::render(a);
  EXPECT_EQ(text.substr(0, 16), "AppE (VarE f) (A");
  // Every level but the outermost is parenthesised, and so is the literal.
  EXPECT_EQ(text.size(), 100000u * std::string("(AppE (VarE f) )").size() - 2 +
                             std::string("(LitE (IntegerL 0))").size());
}

TEST(Lifting, StandardTypesLiftToThePlatformsConstructors) {
  const auto con = [](const char* pkg, const char* mod, const char* occ) {
    return ex::ConE(ex::mkNameG_d(pkg, mod, occ));
  };
  EXPECT_EQ(basis::lift(std::int64_t{-3}), lit(-3));
  EXPECT_EQ(basis::lift(std::numeric_limits<std::uint64_t>::max()),
            ex::LitE(ex::IntegerL(std::numeric_limits<std::uint64_t>::max())));
  EXPECT_FALSE(basis::lift(std::numeric_limits<std::uint64_t>::max()).lit().integer.negative);
  EXPECT_EQ(basis::lift(true), con("ghc-prim", "GHC.Types", "True"));
  EXPECT_EQ(basis::lift(basis::unit), con("ghc-prim", "GHC.Tuple", "()"));
  EXPECT_EQ(basis::lift(basis::GT), con("ghc-prim", "GHC.Types", "GT"));
  EXPECT_EQ(basis::lift(U'x'), ex::LitE(ex::CharL(U'x')));
  EXPECT_EQ(basis::lift(std::optional<std::int64_t>()), con("base", "GHC.Maybe", "Nothing"));
  EXPECT_EQ(basis::lift(std::optional<std::int64_t>(1)),
            ex::AppE(con("base", "GHC.Maybe", "Just"), lit(1)));
  using E = basis::Either<std::int64_t, bool>;
  EXPECT_EQ(basis::lift(E::right(false)),
            ex::AppE(con("base", "Data.Either", "Right"), con("ghc-prim", "GHC.Types", "False")));
  using T = basis::These<std::int64_t, std::int64_t>;
  EXPECT_EQ(basis::lift(T::these(1, 2)),
            ex::appsE(con("these", "Data.These", "These"), {lit(1), lit(2)}));
  EXPECT_EQ(basis::lift(basis::Identity<std::int64_t>{4}),
            ex::AppE(con("base", "Data.Functor.Identity", "Identity"), lit(4)));
  EXPECT_EQ(basis::lift(std::pair<std::int64_t, char32_t>{1, U'a'}),
            ex::TupE({lit(1), ex::LitE(ex::CharL(U'a'))}));
  EXPECT_EQ(basis::lift(std::tuple<std::int64_t, std::int64_t, std::int64_t>{1, 2, 3}),
            ex::TupE({lit(1), lit(2), lit(3)}));
  EXPECT_EQ(basis::lift(std::vector<std::int64_t>{1, 2}), ex::ListE({lit(1), lit(2)}));
  EXPECT_EQ(basis::lift(std::u32string(U"ab")),
            ex::ListE({ex::LitE(ex::CharL(U'a')), ex::LitE(ex::CharL(U'b'))}));
  EXPECT_EQ(basis::liftString(U"ab"), ex::LitE(ex::StringL(U"ab")));
  EXPECT_EQ(basis::lift(basis::Lazy<std::int64_t>::defer([] { return std::int64_t{9}; })), lit(9));
  EXPECT_EQ(basis::liftTyped(std::int64_t{5}).unType, basis::lift(std::int64_t{5}));
}

}  // namespace
