// The generic defaults: tabulate and index over a functor's generic form.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "tandemory/functor/rep.hpp"

namespace {

using Int = std::int64_t;
using basis::Par1Tag;

// A functor of two values whose generic form is Par1 :*: M1 (Rec1 Complex).
template <class A>
struct Trio {
  A first;
  basis::Complex<A> rest;
};
struct TrioTag {
  template <class A>
  using apply = Trio<A>;
};
using TrioForm = basis::GProductOf<Par1Tag, basis::M1Of<basis::Rec1Of<basis::ComplexTag>>>;

}  // namespace

template <class A>
struct basis::TagOf<Trio<A>> {
  using type = TrioTag;
  using element = A;
};
template <>
struct basis::Functor<TrioTag> : basis::FunctorDefaults<TrioTag> {
  template <class Fn, class A>
  static Trio<basis::Mapped<Fn, A>> fmap(Fn f, const Trio<A>& t) {
    return {f(t.first), basis::Functor<basis::ComplexTag>::fmap(f, t.rest)};
  }
};
template <>
struct basis::Generic1<TrioTag> {
  using Rep1 = TrioForm;
  template <class A>
  static basis::Apply<Rep1, A> from1(const Trio<A>& t) {
    using Inner = basis::M1<basis::Rec1Of<basis::ComplexTag>, A>;
    return {basis::Par1<A>{t.first}, Inner{basis::Rec1<basis::ComplexTag, A>{t.rest}}};
  }
  template <class A>
  static Trio<A> to1(const basis::Apply<Rep1, A>& g) {
    return {g.fst().unPar1, g.snd().unM1.unRec1};
  }
};
template <>
struct tandemory::Representable<TrioTag> : tandemory::GenericRepresentable<TrioTag> {};

namespace {

using namespace tandemory;
using K = Rep<TrioTag>;  // Either<Unit, bool>

K left() { return K(basis::Left<basis::Unit>{basis::Unit{}}); }
K right(bool b) { return K(basis::Right<bool>{b}); }

TEST(GenericDefaults, TabulateAndIndexThroughTheGenericForm) {
  static_assert(RepresentableTag<TrioTag>);
  auto h = [](const K& k) { return k.isLeft() ? std::string("first") : (k.fromRight() ? "imag" : "real"); };
  Trio<std::string> t = tabulate<TrioTag>(h);
  EXPECT_EQ(t.first, "first");
  EXPECT_EQ(t.rest, (basis::Complex<std::string>{"real", "imag"}));
  for (const K& k : {left(), right(false), right(true)}) {
    EXPECT_EQ(index(t, k), h(k));
    EXPECT_EQ(gindex(t)(k), h(k));
  }
}

TEST(GenericBlocks, ProductHalvesAreBuiltOnlyWhenRead) {
  using P = basis::GProductOf<Par1Tag, basis::Rec1Of<basis::ComplexTag>>;
  int calls = 0;
  auto block = GTabulate<P>::gtabulate_([&calls](const GRep<P>& k) -> Int {
    ++calls;
    if (k.isRight()) throw std::runtime_error("second half");
    return 10;
  });
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(block.first.isEvaluated());
  EXPECT_FALSE(block.second.isEvaluated());
  EXPECT_EQ(GIndex<P>::gindex_(block, GRep<P>(basis::Left<basis::Unit>{basis::Unit{}})), 10);
  EXPECT_FALSE(block.second.isEvaluated());
  EXPECT_THROW(GIndex<P>::gindex_(block, GRep<P>(basis::Right<bool>{true})), std::runtime_error);
}

TEST(GenericBlocks, IndexOfAProductReadsOnlyTheAddressedHalf) {
  using P = basis::GProductOf<Par1Tag, Par1Tag>;
  basis::GProduct<Par1Tag, Par1Tag, Int> block{basis::Par1<Int>{5},
                                               basis::Lazy<basis::Par1<Int>>::raise(std::runtime_error("unread"))};
  EXPECT_EQ(GIndex<P>::gindex_(block, GRep<P>(basis::Left<basis::Unit>{basis::Unit{}})), 5);
}

TEST(GenericBlocks, CompositionAddressesOuterThenInner) {
  using C = basis::GComposeOf<basis::FunctionFrom<Int>, basis::M1Of<Par1Tag>>;
  auto h = [](const std::pair<Int, basis::Unit>& k) { return k.first * 3; };
  auto block = GTabulate<C>::gtabulate_(h);
  for (Int i : {0, 2, -5}) {
    std::pair<Int, basis::Unit> k(i, basis::Unit{});
    EXPECT_EQ(GIndex<C>::gindex_(block, k), h(k));
    EXPECT_EQ(GIndex<C>::gindex_(block, k), GIndex<basis::M1Of<Par1Tag>>::gindex_(block.unComp1(i), basis::Unit{}));
  }
}

}  // namespace
