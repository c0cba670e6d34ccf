#include "basis/generic.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace g = basis::generic;

namespace {

// A type seen as one constructor with one field, like a container seen
// through its element list.
struct Bag {
  std::vector<std::int64_t> items;
  friend bool operator==(const Bag&, const Bag&) = default;
};
// Two children of different types.
struct Point {
  std::int64_t x;
  std::string label;
  friend bool operator==(const Point&, const Point&) = default;
};
// An atomic value with no constructor view.
struct Atom {
  int id;
  friend bool operator==(const Atom&, const Atom&) = default;
};

int atomNamesComputed = 0;

}  // namespace

template <>
struct basis::Data<Bag> : basis::DataDefaults<Bag> {
  static const g::DataType& type() {
    static const g::DataType t = g::mkDataType("Test.Bag", {{"fromList", {}, g::Fixity::Prefix}});
    return t;
  }
  static g::DataType dataTypeOf(const Bag&) { return type(); }
  static g::Constr toConstr(const Bag&) { return type().indexConstr(1); }
  static std::tuple<std::vector<std::int64_t>> fields(const Bag& b) { return {b.items}; }
  static Bag fromFields(std::vector<std::int64_t> items) { return Bag{std::move(items)}; }
  template <class K, class Z>
  static auto gunfold(K&& k, Z&& z, const g::Constr& c) {
    if (c.constrIndex() != 1) throw g::gunfoldError("test", "Test", "test/Test", 7, 3, 8);
    return gunfoldWith(k, z);
  }
};

template <>
struct basis::Data<Point> : basis::DataDefaults<Point> {
  static const g::DataType& type() {
    static const g::DataType t =
        g::mkDataType("Test.Point", {{"Point", {"x", "label"}, g::Fixity::Prefix},
                                     {":@", {}, g::Fixity::Infix}});
    return t;
  }
  static g::DataType dataTypeOf(const Point&) { return type(); }
  static g::Constr toConstr(const Point&) { return type().indexConstr(1); }
  static std::tuple<std::int64_t, std::string> fields(const Point& p) { return {p.x, p.label}; }
  static Point fromFields(std::int64_t x, std::string label) { return Point{x, std::move(label)}; }
};

template <>
struct basis::Data<Atom> : basis::DataDefaults<Atom> {
  static const g::DataType& type() {
    static const g::DataType t = g::mkNoRepType("Test.Atom");
    return t;
  }
  static g::DataType dataTypeOf(const Atom&) { return type(); }
  static g::Constr toConstr(const Atom& a) {
    const int id = a.id;
    return g::mkConstr(type(), basis::Lazy<std::string>::defer([id] {
                         ++atomNamesComputed;
                         return "atom-" + std::to_string(id);
                       }),
                       {}, basis::Lazy<g::Fixity>::raise(basis::ErrorCall("fixity")));
  }
  static std::tuple<> fields(const Atom&) { return {}; }
};

namespace {

TEST(GenericDescriptions, TypesAndConstructorsCarryTheirNames) {
  const g::DataType t = basis::Data<Point>::type();
  EXPECT_EQ(t.name(), "Test.Point");
  EXPECT_TRUE(t.isAlgType());
  ASSERT_EQ(t.constrs().size(), 2u);
  const g::Constr p = t.indexConstr(1);
  EXPECT_EQ(p.showConstr(), "Point");
  EXPECT_EQ(p.constrFields(), (std::vector<std::string>{"x", "label"}));
  EXPECT_EQ(p.constrFixity(), g::Fixity::Prefix);
  EXPECT_EQ(p.constrIndex(), 1);
  EXPECT_EQ(p.constrType(), t);
  EXPECT_EQ(t.indexConstr(2).constrFixity(), g::Fixity::Infix);
  EXPECT_EQ(t.indexConstr(2).constrIndex(), 2);
  EXPECT_THROW(t.indexConstr(3), basis::ErrorCall);
  EXPECT_THROW(t.indexConstr(0), basis::ErrorCall);
  EXPECT_EQ(g::toConstr(Point{1, "a"}), p);
  EXPECT_EQ(g::mkConstr(t, std::string("Point"), {}, g::Fixity::Prefix).constrIndex(), 1);
  try {
    (void)g::mkConstr(t, std::string("Nope"), {}, g::Fixity::Prefix).constrIndex();
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "Data.Data.mkConstr: couldn't find constructor Nope");
  }
}

TEST(GenericDescriptions, AtomicTypesDeferNameAndFixity) {
  atomNamesComputed = 0;
  const g::Constr c = g::toConstr(Atom{7});
  EXPECT_EQ(atomNamesComputed, 0);
  EXPECT_EQ(c.constrType().name(), "Test.Atom");
  EXPECT_FALSE(c.constrType().isAlgType());
  EXPECT_EQ(c.showConstr(), "atom-7");
  EXPECT_EQ(c.showConstr(), "atom-7");
  EXPECT_EQ(atomNamesComputed, 1);
  EXPECT_TRUE(c.constrFields().empty());
  try {
    (void)c.constrFixity();
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "fixity");
  }
  try {
    (void)g::dataTypeOf(Atom{1}).constrs();
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(),
                 "Data.Data.dataTypeConstrs is not supported for Test.Atom, as it is not an "
                 "algebraic data type.");
  }
  EXPECT_THROW((void)c.constrIndex(), basis::ErrorCall);
}

TEST(GenericQueries, GmapQVisitsEachChildAtItsOwnType) {
  auto describe = [](const auto& child) -> std::string {
    if constexpr (std::is_same_v<std::decay_t<decltype(child)>, std::int64_t>) {
      return "int " + std::to_string(child);
    } else {
      return "text " + child;
    }
  };
  EXPECT_EQ(g::gmapQ(describe, Point{3, "p"}), (std::vector<std::string>{"int 3", "text p"}));
  auto size = [](const auto& items) { return static_cast<std::int64_t>(items.size()); };
  EXPECT_EQ(g::gmapQ(size, Bag{{1, 2, 3}}), (std::vector<std::int64_t>{3}));
  EXPECT_EQ(g::gmapQi(1, describe, Point{3, "p"}), "text p");
  int calls = 0;
  auto counting = [&](const auto&) { return ++calls; };
  EXPECT_TRUE(g::gmapQ<int>(counting, Atom{1}).empty());
  EXPECT_EQ(calls, 0);
  // Left and right folds see the children in order, nested their own way.
  auto op = [](std::string acc, std::string s) { return "(" + acc + "." + s + ")"; };
  EXPECT_EQ(basis::Data<Point>::gmapQl(op, std::string("r"), describe, Point{1, "a"}),
            "((r.int 1).text a)");
  EXPECT_EQ(basis::Data<Point>::gmapQr(op, std::string("r"), describe, Point{1, "a"}),
            "(int 1.(text a.r))");
  EXPECT_EQ(basis::Data<Atom>::gmapQl(op, std::string("r"), describe, Atom{1}), "r");
}

TEST(GenericQueries, GmapQiWithoutSuchChildRaisesTheFromJustFailure) {
  auto id = [](const auto&) { return 0; };
  for (std::int64_t i : {-1, 2, 5}) {
    try {
      (void)g::gmapQi(i, id, Point{1, "a"});
      ADD_FAILURE();
    } catch (const basis::FromJustNothing& e) {
      EXPECT_STREQ(e.what(), "Maybe.fromJust: Nothing");
      ASSERT_EQ(e.callStack().entries.size(), 1u);
      EXPECT_EQ(e.callStack().entries[0],
                (basis::CallSite{"fromJust", "base", "Data.Data", "libraries/base/Data/Data", 369,
                                 51, 369, 59}));
    }
  }
  EXPECT_THROW((void)g::gmapQi<int>(0, id, Atom{1}), basis::FromJustNothing);
}

TEST(GenericTransforms, GmapTRebuildsFromTheMappedChildren) {
  auto bump = [](const auto& child) {
    if constexpr (std::is_same_v<std::decay_t<decltype(child)>, std::int64_t>) {
      return child + 1;
    } else {
      return child + "!";
    }
  };
  EXPECT_EQ(g::gmapT(bump, Point{1, "a"}), (Point{2, "a!"}));
  int calls = 0;
  auto never = [&](const auto& x) {
    ++calls;
    return x;
  };
  EXPECT_EQ(g::gmapT(never, Atom{4}), Atom{4});
  EXPECT_EQ(calls, 0);
}

TEST(GenericFolds, GfoldlAndGunfoldThreadTheCurriedConstructor) {
  // k applies the accumulated constructor to each child: the value comes back.
  auto k = [](auto ctor, const auto& child) { return ctor(child); };
  auto z = [](auto ctor) { return ctor; };
  EXPECT_EQ(basis::Data<Point>::gfoldl(k, z, Point{5, "q"}), (Point{5, "q"}));
  EXPECT_EQ(basis::Data<Atom>::gfoldl(k, z, Atom{2}), Atom{2});
  // gunfold supplies each child from its type.
  auto make = [](auto ctor, auto type) {
    using Child = typename decltype(type)::type;
    if constexpr (std::is_same_v<Child, std::int64_t>) {
      return ctor(std::int64_t{42});
    } else {
      return ctor(Child{1, 2});
    }
  };
  const g::Constr c = g::toConstr(Bag{});
  EXPECT_EQ(basis::Data<Bag>::gunfold(make, z, c), (Bag{{1, 2}}));
  EXPECT_EQ(basis::Data<Point>::gunfoldWith(
                [](auto ctor, auto type) {
                  using Child = typename decltype(type)::type;
                  if constexpr (std::is_same_v<Child, std::int64_t>) {
                    return ctor(std::int64_t{9});
                  } else {
                    return ctor(std::string("n"));
                  }
                },
                z),
            (Point{9, "n"}));
  const g::Constr other = basis::Data<Point>::type().indexConstr(2);
  try {
    (void)basis::Data<Bag>::gunfold(make, z, other);
    ADD_FAILURE();
  } catch (const basis::ErrorCall& e) {
    EXPECT_STREQ(e.what(), "gunfold");
    EXPECT_EQ(e.callStack().entries.at(0),
              (basis::CallSite{"error", "test", "Test", "test/Test", 7, 3, 7, 8}));
  }
}

// f for the monadic maps: integers double when positive (fail otherwise),
// texts gain a mark unless empty.
struct MaybeStep {
  std::optional<std::int64_t> operator()(std::int64_t x) const {
    return x > 0 ? std::optional<std::int64_t>(2 * x) : std::nullopt;
  }
  std::optional<std::string> operator()(const std::string& s) const {
    return s.empty() ? std::nullopt : std::optional<std::string>(s + "*");
  }
};
struct ListStep {
  std::vector<std::int64_t> operator()(std::int64_t x) const { return {x + 1}; }
  std::vector<std::string> operator()(const std::string& s) const { return {s + "*"}; }
};

TEST(GenericMonadicMaps, GmapMRunsTheMonadOverEveryChild) {
  using basis::OptionalTag;
  EXPECT_EQ(basis::Data<Point>::gmapM<OptionalTag>(MaybeStep{}, Point{2, "a"}),
            std::optional<Point>(Point{4, "a*"}));
  EXPECT_EQ(basis::Data<Point>::gmapM<OptionalTag>(MaybeStep{}, Point{0, "a"}), std::nullopt);
  EXPECT_EQ((basis::Data<Atom>::gmapM<OptionalTag>(MaybeStep{}, Atom{3})), std::optional<Atom>(Atom{3}));
  EXPECT_EQ(basis::Data<Point>::gmapM<basis::VectorTag>(ListStep{}, Point{1, "b"}),
            (std::vector<Point>{{2, "b*"}}));
}

TEST(GenericMonadicMaps, GmapMpAndGmapMoTransformSomeChildren) {
  using basis::OptionalTag;
  using basis::VectorTag;
  // Optional: the first alternative that changed something wins.
  EXPECT_EQ(basis::Data<Point>::gmapMp<OptionalTag>(MaybeStep{}, Point{2, "a"}),
            std::optional<Point>(Point{4, "a*"}));
  EXPECT_EQ(basis::Data<Point>::gmapMp<OptionalTag>(MaybeStep{}, Point{0, "a"}),
            std::optional<Point>(Point{0, "a*"}));
  EXPECT_EQ(basis::Data<Point>::gmapMp<OptionalTag>(MaybeStep{}, Point{0, ""}), std::nullopt);
  EXPECT_EQ(basis::Data<Point>::gmapMo<OptionalTag>(MaybeStep{}, Point{2, "a"}),
            std::optional<Point>(Point{4, "a"}));
  // Lists: every choice that changed at least one child, in the platform's order.
  EXPECT_EQ(basis::Data<Point>::gmapMp<VectorTag>(ListStep{}, Point{1, "b"}),
            (std::vector<Point>{{2, "b*"}, {2, "b"}, {1, "b*"}}));
  EXPECT_EQ(basis::Data<Point>::gmapMo<VectorTag>(ListStep{}, Point{1, "b"}),
            (std::vector<Point>{{2, "b"}, {1, "b*"}}));
  // A value without children never changes: failure, f not called.
  EXPECT_EQ(basis::Data<Atom>::gmapMp<OptionalTag>(MaybeStep{}, Atom{1}), std::nullopt);
  EXPECT_TRUE(basis::Data<Atom>::gmapMo<VectorTag>(ListStep{}, Atom{1}).empty());
}

TEST(GenericTypeIdentity, StandardTypesCarryThePlatformsNames) {
  EXPECT_EQ(g::typeRep<std::int64_t>(), g::mkTyConApp("Int", "GHC.Types"));
  using Pairs = std::vector<std::pair<std::int64_t, bool>>;
  EXPECT_EQ(g::typeRep<Pairs>(),
            g::mkTyConApp("[]", "GHC.Types",
                          {g::mkTyConApp("(,)", "GHC.Tuple",
                                         {g::mkTyConApp("Int", "GHC.Types"),
                                          g::mkTyConApp("Bool", "GHC.Types")})}));
  EXPECT_EQ(g::typeRep<std::u32string>(), g::typeRep<std::vector<char32_t>>());
  EXPECT_NE(g::typeRep<std::optional<std::uint64_t>>(), g::typeRep<std::optional<std::int64_t>>());
}

TEST(GenericTypeIdentity, FunctorTagsNameTheirConstructors) {
  const g::TypeRep intRep = g::typeRep<std::int64_t>();
  const g::TypeRep maybe = g::mkTyConApp("Maybe", "GHC.Maybe");
  const g::TypeRep identity = g::mkTyConApp("Identity", "Data.Functor.Identity");
  struct Case {
    g::TypeRep actual;
    g::TypeRep expected;
  };
  const Case cases[] = {
      {g::typeRep<basis::OptionalTag>(), maybe},
      {g::typeRep<basis::IdentityTag>(), identity},
      {g::typeRep<basis::VectorTag>(), g::mkTyConApp("[]", "GHC.Types")},
      {g::typeRep<basis::ListTag>(), g::mkTyConApp("[]", "GHC.Types")},
      {g::typeRep<basis::EitherOf<std::int64_t>>(), g::mkTyConApp("Either", "Data.Either", {intRep})},
      {g::typeRep<basis::PairOf<std::int64_t>>(), g::mkTyConApp("(,)", "GHC.Tuple", {intRep})},
      {g::typeRep<basis::MapOf<std::int64_t>>(), g::mkTyConApp("Map", "Data.Map.Internal", {intRep})},
      {g::typeRep<basis::ComposeOf<basis::OptionalTag, basis::IdentityTag>>(),
       g::mkTyConApp("Compose", "Data.Functor.Compose", {maybe, identity})},
      {g::typeRep<basis::CofreeOf<basis::OptionalTag>>(), g::mkTyConApp("Cofree", "Control.Comonad.Cofree", {maybe})},
      {g::typeRep<basis::ReaderTOf<std::int64_t, basis::IdentityTag>>(),
       g::mkTyConApp("ReaderT", "Control.Monad.Trans.Reader", {intRep, identity})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
  // The applied type and its tag share the constructor.
  EXPECT_EQ(g::typeRep<std::optional<std::int64_t>>().tyCon, g::typeRep<basis::OptionalTag>().tyCon);
}

}  // namespace
