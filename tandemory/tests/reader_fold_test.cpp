// Folding and traversing a reader: the M-structures' elements in F's order.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "basis/complex.hpp"
#include "basis/list.hpp"
#include "tandemory/monad/representable/reader.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using V = std::vector<Int>;
using Rd = ReaderT<basis::ComplexTag, basis::VectorTag, Int>;
using RTag = ReaderTOf<basis::ComplexTag, basis::VectorTag>;
using Fold = basis::Foldable<RTag>;

Rd sample() { return Rd{basis::Complex<V>{{1, 2, 3}, {4, 5, 6, 7}}}; }

// Ordered by key alone; the tag tells equal keys apart.
struct Keyed {
  Int key;
  int tag;
  bool operator<=(const Keyed& o) const { return key <= o.key; }
};
Rd emptyReader() { return Rd{basis::Complex<V>{{}, {}}}; }

TEST(ReaderFolds, VisitTheOuterStructureFirstThenEachInner) {
  EXPECT_EQ(Fold::toList(sample()).toVector(), (V{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Fold::length(sample()), 7);
  EXPECT_EQ(Fold::sum(sample()), 28);
  EXPECT_EQ(Fold::product(sample()), 5040);
  EXPECT_EQ(Fold::maximum(sample()), 7);
  EXPECT_EQ(Fold::minimum(sample()), 1);
  EXPECT_EQ(Fold::foldMap([](Int x) { return std::to_string(x); }, sample()), "1234567");
  EXPECT_EQ(Fold::foldr([](Int x, const basis::Lazy<std::string>& acc) { return std::to_string(x) + acc.force(); },
                        std::string("."), sample()),
            "1234567.");
  EXPECT_EQ(Fold::foldl_([](std::string acc, Int x) { return acc + std::to_string(x); }, std::string("."), sample()),
            ".1234567");
  EXPECT_EQ(Fold::foldr1([](Int x, Int y) { return x - y; }, sample()), 1 - (2 - (3 - (4 - (5 - (6 - 7))))));
  EXPECT_EQ(Fold::foldl1([](Int x, Int y) { return x - y; }, sample()), 1 - 2 - 3 - 4 - 5 - 6 - 7);
  EXPECT_TRUE(Fold::elem(5, sample()));
  EXPECT_FALSE(Fold::elem(9, sample()));
  EXPECT_FALSE(Fold::null(sample()));
}

TEST(ReaderFolds, AReaderWithoutElementsIsEmptyAndItsPartialFoldsRaise) {
  EXPECT_TRUE(Fold::null(emptyReader()));
  EXPECT_EQ(Fold::length(emptyReader()), 0);
  EXPECT_TRUE(Fold::toList(emptyReader()).isNil());
  EXPECT_EQ(Fold::sum(emptyReader()), 0);
  struct Case {
    std::function<void()> run;
    const char* message;
  };
  auto same = [](Int x, Int) { return x; };
  for (const Case& c : {Case{[&] { Fold::foldr1(same, emptyReader()); }, "foldr1: empty structure"},
                        Case{[&] { Fold::foldl1(same, emptyReader()); }, "foldl1: empty structure"},
                        Case{[] { Fold::maximum(emptyReader()); }, "maximum: empty structure"},
                        Case{[] { Fold::minimum(emptyReader()); }, "minimum: empty structure"}}) {
    try {
      c.run();
      ADD_FAILURE() << c.message;
    } catch (const basis::ErrorCall& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  using PTag = ReaderTOf<basis::ProxyTag, basis::VectorTag>;
  ReaderT<basis::ProxyTag, basis::VectorTag, Int> noPositions{};
  EXPECT_TRUE(basis::Foldable<PTag>::null(noPositions));
  EXPECT_EQ(basis::Foldable<PTag>::length(noPositions), 0);
  using OTag = ReaderTOf<basis::ComplexTag, basis::OptionalTag>;
  ReaderT<basis::ComplexTag, basis::OptionalTag, Int> allEmpty{{std::nullopt, std::nullopt}};
  EXPECT_TRUE(basis::Foldable<OTag>::null(allEmpty));
}

TEST(ReaderFolds, TheListOfElementsIsBuiltAsItIsRead) {
  using L = basis::List<Int>;
  using LR = ReaderT<basis::ComplexTag, basis::ListTag, Int>;
  using FoldL = basis::Foldable<ReaderTOf<basis::ComplexTag, basis::ListTag>>;
  auto failing = basis::Lazy<Int>::defer([]() -> Int { throw std::runtime_error("element read"); });
  struct Case {
    const char* name;
    LR reader;
    std::vector<Int> prefix;  // the first elements, read in order
  };
  const Case cases[] = {
      {"an endless real part", LR{basis::Complex<L>{L::repeat(7), L{1}}}, {7, 7, 7, 7}},
      {"an endless imaginary part", LR{basis::Complex<L>{L{1, 2}, L::repeat(9)}}, {1, 2, 9, 9, 9}},
      {"an element that fails, never read", LR{basis::Complex<L>{L::cons(1, L::cons(failing, L())), L{3}}}, {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    L xs = FoldL::toList(c.reader);
    EXPECT_EQ(xs.take(static_cast<std::int64_t>(c.prefix.size())).toVector(), c.prefix);
  }
  // The failing element fails where it is read, and not before.
  L xs = FoldL::toList(cases[2].reader);
  auto second = xs.tail().headLazy();
  auto rest = xs.tail().tail();
  EXPECT_EQ(rest.head(), 3);
  EXPECT_THROW(second.force(), std::runtime_error);
  // The list outlives the reader it was made from.
  L kept = FoldL::toList(LR{basis::Complex<L>{L{4, 5}, L{6}}});
  EXPECT_EQ(kept.toVector(), (V{4, 5, 6}));
}

TEST(ReaderFolds, OneElementNeedsNoCombiningFunction) {
  Rd one{basis::Complex<V>{{}, {42}}};
  auto never = [](Int, Int) -> Int { throw std::logic_error("combined"); };
  EXPECT_EQ(Fold::foldr1(never, one), 42);
  EXPECT_EQ(Fold::foldl1(never, one), 42);
}

TEST(ReaderFolds, ElemPutsTheSoughtValueOnTheLeft) {
  struct Probe {
    Int v;
    bool operator==(const Probe& o) const { return v == o.v * 2; }  // left operand is the sought value
  };
  ReaderT<basis::ComplexTag, basis::VectorTag, Probe> x{basis::Complex<std::vector<Probe>>{{{3}}, {{5}}}};
  EXPECT_TRUE(Fold::elem(Probe{10}, x));
  EXPECT_FALSE(Fold::elem(Probe{5}, x));
}

TEST(ReaderFolds, MaximumAndMinimumBreakTiesLikeMaxAndMin) {
  using K = std::vector<Keyed>;
  ReaderT<basis::ComplexTag, basis::VectorTag, Keyed> x{basis::Complex<K>{{Keyed{1, 0}, Keyed{0, 1}}, {Keyed{1, 2}, Keyed{0, 3}}}};
  using FoldK = basis::Foldable<ReaderTOf<basis::ComplexTag, basis::VectorTag>>;
  EXPECT_EQ(FoldK::maximum(x).tag, 2);  // the later of the equal greatest
  EXPECT_EQ(FoldK::minimum(x).tag, 1);  // the earlier of the equal least
}

TEST(ReaderTraversals, RunTheEffectsInElementOrder) {
  std::vector<Int> seen;
  auto r = basis::Traversable<RTag>::traverse(
      [&seen](Int x) {
        seen.push_back(x);
        return std::optional<Int>(x * 2);
      },
      sample());
  EXPECT_EQ(seen, (V{1, 2, 3, 4, 5, 6, 7}));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->getReaderT, (basis::Complex<V>{{2, 4, 6}, {8, 10, 12, 14}}));
  auto same = basis::Traversable<RTag>::traverse([](Int x) { return basis::Identity<Int>{x}; }, sample());
  EXPECT_EQ(same.value.getReaderT, sample().getReaderT);
  auto stopped = basis::Traversable<RTag>::traverse([](Int x) { return x == 4 ? std::nullopt : std::optional<Int>(x); },
                                                    sample());
  EXPECT_FALSE(stopped.has_value());
}

}  // namespace

namespace {

using namespace tandemory;
using Int2 = std::int64_t;
using NE = basis::NonEmpty<Int2>;
using RN = ReaderT<basis::ComplexTag, basis::NonEmptyTag, Int2>;
using RNTag = ReaderTOf<basis::ComplexTag, basis::NonEmptyTag>;
using Fold1 = basis::Foldable1<RNTag>;

// A non-empty list of the head and the rest, whichever way NonEmpty keeps its
// tail (a vector, or a lazy list of deferred elements).
template <class T>
basis::NonEmpty<T> ne(T head, std::vector<T> rest) {
  using N = basis::NonEmpty<T>;
  if constexpr (requires { N{head, rest}; }) {
    return N{head, rest};
  } else {
    return N{basis::Lazy<T>(head), basis::List<T>::fromRange(rest)};
  }
}

RN nonEmptySample() { return RN{basis::Complex<NE>{ne<Int2>(1, {2, 3}), ne<Int2>(4, {})}}; }

TEST(ReaderNonEmptyFolds, FollowTheElementOrder) {
  static_assert(basis::Foldable1Tag<RNTag>);
  EXPECT_EQ(Fold1::toNonEmpty(nonEmptySample()), (ne<Int2>(1, {2, 3, 4})));
  EXPECT_EQ(Fold1::foldMap1([](Int2 x) { return std::to_string(x); }, nonEmptySample()), "1234");
  EXPECT_EQ(Fold1::head(nonEmptySample()), 1);
  EXPECT_EQ(Fold1::last(nonEmptySample()), 4);
  EXPECT_EQ(Fold1::maximum(nonEmptySample()), 4);
  EXPECT_EQ(Fold1::minimum(nonEmptySample()), 1);
  EXPECT_EQ(Fold1::foldrMap1([](Int2 x) { return x; }, [](Int2 a, Int2 b) { return a - b; }, nonEmptySample()), 1 - (2 - (3 - 4)));
  EXPECT_EQ(Fold1::foldlMap1([](Int2 x) { return x; }, [](Int2 a, Int2 b) { return a - b; }, nonEmptySample()), 1 - 2 - 3 - 4);
  EXPECT_EQ(Fold1::foldMap1_([](Int2 x) { return std::to_string(x); }, nonEmptySample()), "1234");
}

TEST(ReaderNonEmptyFolds, OneElementIsTheStartingValue) {
  RN one{basis::Complex<NE>{ne<Int2>(7, {}), ne<Int2>(7, {})}};
  using R1 = ReaderT<basis::IdentityTag, basis::NonEmptyTag, Int2>;
  R1 single{basis::Identity<NE>{ne<Int2>(5, {})}};
  using Fold1I = basis::Foldable1<ReaderTOf<basis::IdentityTag, basis::NonEmptyTag>>;
  EXPECT_EQ(Fold1I::foldrMap1([](Int2 x) { return x * 2; }, [](Int2, Int2) -> Int2 { throw std::logic_error("h"); }, single), 10);
  EXPECT_EQ(Fold1I::foldlMap1([](Int2 x) { return x * 3; }, [](Int2, Int2) -> Int2 { throw std::logic_error("h"); }, single), 15);
  EXPECT_EQ(Fold1::toNonEmpty(one).size(), 2u);
}

TEST(ReaderNonEmptyFolds, MaximumAndMinimumBreakTiesLikeMaxAndMin) {
  using RK = ReaderT<basis::IdentityTag, basis::NonEmptyTag, Keyed>;
  RK x{basis::Identity<basis::NonEmpty<Keyed>>{ne<Keyed>(Keyed{1, 0}, {Keyed{1, 1}, Keyed{0, 2}, Keyed{0, 3}})}};
  using F1 = basis::Foldable1<ReaderTOf<basis::IdentityTag, basis::NonEmptyTag>>;
  EXPECT_EQ(F1::maximum(x).tag, 1);  // the later of the equal greatest
  EXPECT_EQ(F1::minimum(x).tag, 2);  // the earlier of the equal least
}

TEST(ReaderNonEmptyTraversals, RunTheEffectsInElementOrder) {
  std::vector<Int2> seen;
  auto r = basis::Traversable1<RNTag>::traverse1(
      [&seen](Int2 x) {
        seen.push_back(x);
        return std::optional<Int2>(x + 1);
      },
      nonEmptySample());
  EXPECT_EQ(seen, (std::vector<Int2>{1, 2, 3, 4}));
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->getReaderT, (basis::Complex<NE>{ne<Int2>(2, {3, 4}), ne<Int2>(5, {})}));
  auto none = basis::Traversable1<RNTag>::traverse1([](Int2 x) { return x == 3 ? std::nullopt : std::optional<Int2>(x); },
                                                    nonEmptySample());
  EXPECT_FALSE(none.has_value());
}

}  // namespace
