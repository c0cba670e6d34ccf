// Asking whether a structure has an interface is a compile-time question
// with a true or false answer, never a compile error: an instance that
// needs a Semigroup or Monoid of the positions, or an interface of the inner
// structure, is simply absent where that is missing. Compile-only.

#include <string>

#include "basis/complex.hpp"
#include "basis/foldable1.hpp"
#include "basis/non_empty.hpp"
#include "basis/types.hpp"
#include "tandemory/comonad/representable/store.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/monad/representable/reader.hpp"

namespace {

using basis::ApplicativeTag;
using basis::BindTag;
using basis::ComonadTag;
using basis::ComplexTag;
using basis::ComposeOf;
using basis::ExtendTag;
using basis::FunctionFrom;
using basis::IdentityTag;
using basis::MonadTag;
using basis::PairOf;
using basis::SemiapplicativeTag;
using tandemory::CoOf;
using tandemory::ReaderTOf;
using tandemory::StoreTOf;

// Positions with a Monoid (text), with only a Semigroup (a non-empty list),
// and with neither (int; Complex's bool).
using Text = std::string;
using Chain = basis::NonEmpty<int>;

// Co over a representable functor: Extend over a Semigroup of positions,
// Comonad over a Monoid; the monad side needs nothing.
static_assert(ComonadTag<CoOf<FunctionFrom<Text>>>);
static_assert(ExtendTag<CoOf<FunctionFrom<Text>>>);
static_assert(!ComonadTag<CoOf<FunctionFrom<Chain>>>);
static_assert(ExtendTag<CoOf<FunctionFrom<Chain>>>);
static_assert(!ComonadTag<CoOf<FunctionFrom<int>>>);
static_assert(!ExtendTag<CoOf<FunctionFrom<int>>>);
static_assert(!ComonadTag<CoOf<ComplexTag>>);
static_assert(!ExtendTag<CoOf<ComplexTag>>);
static_assert(MonadTag<CoOf<ComplexTag>>);
static_assert(BindTag<CoOf<ComplexTag>>);
static_assert(ComonadTag<CoOf<ComposeOf<FunctionFrom<Text>, FunctionFrom<basis::Unit>>>>);
static_assert(!ComonadTag<CoOf<ComposeOf<FunctionFrom<Text>, ComplexTag>>>);
static_assert(!ExtendTag<CoOf<ComposeOf<FunctionFrom<Chain>, ComplexTag>>>);

// Readers over two representable functors: positions are pairs.
static_assert(ComonadTag<ReaderTOf<FunctionFrom<Text>, FunctionFrom<Text>>>);
static_assert(!ComonadTag<ReaderTOf<FunctionFrom<Text>, ComplexTag>>);
static_assert(!ExtendTag<ReaderTOf<ComplexTag, FunctionFrom<Text>>>);
static_assert(ExtendTag<ReaderTOf<FunctionFrom<Chain>, FunctionFrom<Text>>>);

// Stores: the focuses combine by the positions' Semigroup (Apply) or Monoid
// (Applicative), over the inner structure's own interface.
static_assert(!ApplicativeTag<StoreTOf<ComplexTag, IdentityTag>>);
static_assert(!SemiapplicativeTag<StoreTOf<ComplexTag, IdentityTag>>);
static_assert(ComonadTag<StoreTOf<ComplexTag, IdentityTag>>);
static_assert(ExtendTag<StoreTOf<ComplexTag, IdentityTag>>);
static_assert(ApplicativeTag<StoreTOf<FunctionFrom<Text>, IdentityTag>>);
static_assert(SemiapplicativeTag<StoreTOf<FunctionFrom<Chain>, IdentityTag>>);
static_assert(!ApplicativeTag<StoreTOf<FunctionFrom<Chain>, IdentityTag>>);
static_assert(!ApplicativeTag<StoreTOf<FunctionFrom<Text>, PairOf<int>>>);
static_assert(!ComonadTag<StoreTOf<ComplexTag, FunctionFrom<int>>>);
static_assert(ComonadTag<StoreTOf<ComplexTag, FunctionFrom<Text>>>);

}  // namespace
