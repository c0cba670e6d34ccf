// Asking whether a type has an interface is a compile-time question with a
// true or false answer, never a compile error: an instance that needs a
// Semigroup or Monoid of a parameter, or an interface of an inner structure,
// is simply absent where that is missing. Compile-only.

#include <optional>
#include <string>
#include <utility>

#include "basis/cofree.hpp"
#include "basis/comonad.hpp"
#include "basis/compose.hpp"
#include "basis/const.hpp"
#include "basis/contravariant.hpp"
#include "basis/distributive.hpp"
#include "basis/extend.hpp"
#include "basis/foldable1.hpp"
#include "basis/monoid_functors.hpp"
#include "basis/non_empty.hpp"
#include "basis/product.hpp"
#include "basis/semiapplicative.hpp"
#include "basis/transformers.hpp"

namespace {

using namespace basis;

// A Monoid (text), only a Semigroup (a non-empty list), neither (int).
using Text = std::string;
using Chain = NonEmpty<int>;

// Values: the lifted Semigroups and Monoids need the components' own.
static_assert(MonoidType<std::optional<Chain>>);
static_assert(!SemigroupType<std::optional<int>>);
static_assert(MonoidType<std::pair<Text, Text>>);
static_assert(SemigroupType<std::pair<Text, Chain>>);
static_assert(!MonoidType<std::pair<Text, Chain>>);
static_assert(!SemigroupType<std::pair<Text, int>>);
static_assert(MonoidType<Identity<Text>>);
static_assert(!MonoidType<Identity<Chain>>);
static_assert(!SemigroupType<Identity<int>>);
static_assert(MonoidType<Dual<Text>>);
static_assert(SemigroupType<Dual<Chain>>);
static_assert(!MonoidType<Dual<Chain>>);
static_assert(!SemigroupType<Dual<int>>);

// Functions from E: a monad whatever E is; Extend over E's Semigroup,
// Comonad over its Monoid.
static_assert(MonadTag<FunctionFrom<int>>);
static_assert(ComonadTag<FunctionFrom<Text>>);
static_assert(ExtendTag<FunctionFrom<Text>>);
static_assert(!ComonadTag<FunctionFrom<Chain>>);
static_assert(ExtendTag<FunctionFrom<Chain>>);
static_assert(!ComonadTag<FunctionFrom<int>>);
static_assert(!ExtendTag<FunctionFrom<int>>);

// Writers and These: Apply and Bind over L's Semigroup, Applicative and
// Monad over its Monoid; the comonad side needs nothing.
static_assert(MonadTag<PairOf<Text>>);
static_assert(BindTag<PairOf<Chain>>);
static_assert(!ApplicativeTag<PairOf<Chain>>);
static_assert(!MonadTag<PairOf<Chain>>);
static_assert(!SemiapplicativeTag<PairOf<int>>);
static_assert(!ApplicativeTag<PairOf<int>>);
static_assert(ComonadTag<PairOf<int>>);
static_assert(MonadTag<TheseOf<Chain>>);
static_assert(!ApplicativeTag<TheseOf<int>>);
static_assert(!MonadTag<TheseOf<int>>);
static_assert(ApplicativeTag<ConstOf<Text>>);
static_assert(!ApplicativeTag<ConstOf<Chain>>);

// Compositions have an interface where their parts have it.
static_assert(ApplicativeTag<ComposeOf<OptionalTag, PairOf<Text>>>);
static_assert(!ApplicativeTag<ComposeOf<OptionalTag, PairOf<int>>>);
static_assert(!ApplicativeTag<ComposeOf<PairOf<Chain>, OptionalTag>>);
static_assert(MonadTag<ProductOf<OptionalTag, PairOf<Text>>>);
static_assert(!MonadTag<ProductOf<OptionalTag, PairOf<int>>>);
static_assert(!ApplicativeTag<ProductOf<PairOf<int>, OptionalTag>>);
static_assert(DistributiveTag<ComposeOf<FunctionFrom<int>, IdentityTag>>);
static_assert(!DistributiveTag<ComposeOf<FunctionFrom<int>, OptionalTag>>);
static_assert(ComonadTag<CofreeOf<OptionalTag>>);
static_assert(ExtendTag<CofreeOf<OptionalTag>>);
static_assert(FunctorTag<ComposeOf<OptionalTag, ComposeOf<IdentityTag, ListTag>>>);
static_assert(!FunctorTag<ComposeOf<OptionalTag, ComposeOf<IdentityTag, PredicateTag>>>);
static_assert(!FunctorTag<CofreeOf<PredicateTag>>);

}  // namespace
