// How each standard functor addresses its values, and what reading and
// building them evaluates.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "tandemory/functor/rep.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using Fn = basis::FunctionFrom<Int>;
using basis::ComplexTag;

TEST(ComplexRepresentation, FalseIsTheRealPartAndTrueTheImaginary) {
  std::vector<bool> calls;
  auto z = tabulate<ComplexTag>([&calls](bool b) {
    calls.push_back(b);
    return b ? 2.5 : 1.5;
  });
  EXPECT_EQ(z, (basis::Complex<double>{1.5, 2.5}));
  EXPECT_EQ(calls, (std::vector<bool>{false, true}));
  basis::Complex<int> w{3, 4};
  EXPECT_EQ(index(w, false), 3);
  EXPECT_EQ(index(w, true), 4);
}

TEST(ProductRepresentation, ReadingOneHalfNeverBuildsTheOther) {
  using P = basis::ProductOf<ComplexTag, Fn>;
  using K = Rep<P>;
  int calls = 0;
  auto p = tabulate<P>([&calls](const K& k) -> Int {
    ++calls;
    if (k.isRight()) throw std::runtime_error("right half demanded");
    return k.fromLeft() ? 1 : 0;
  });
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(p.first.isEvaluated());
  EXPECT_EQ(index(p, K(basis::Left<bool>{true})), 1);
  EXPECT_FALSE(p.second.isEvaluated());
  EXPECT_THROW(index(p, K(basis::Right<Int>{3})), std::runtime_error);
}

TEST(PairPositionedRepresentations, ReadBackTheirPairOfPositions) {
  auto h = [](const std::pair<Int, bool>& k) { return k.first * 2 + (k.second ? 1 : 0); };
  auto compose = tabulate<basis::ComposeOf<Fn, ComplexTag>>(h);
  auto reader = tabulate<basis::ReaderTOf<Int, ComplexTag>>(h);
  auto traced = tabulate<basis::TracedTOf<Int, ComplexTag>>(h);
  auto gcompose = tabulate<basis::GComposeOf<Fn, ComplexTag>>(h);
  for (Int e : {-2, 0, 9})
    for (bool b : {false, true}) {
      std::pair<Int, bool> k(e, b);
      EXPECT_EQ(index(compose, k), h(k));
      EXPECT_EQ(index(reader, k), h(k));
      EXPECT_EQ(index(traced, k), h(k));
      EXPECT_EQ(index(gcompose, k), h(k));
    }
}

TEST(TracedRepresentation, BuildsTheInnerTableAnewForEachRead) {
  using T = basis::TracedTOf<Int, basis::IdentityTag>;
  int calls = 0;
  auto t = tabulate<T>([&calls](const std::pair<Int, basis::Unit>& k) {
    ++calls;
    return k.first;
  });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(index(t, std::make_pair(Int(4), basis::Unit{})), 4);
  EXPECT_EQ(index(t, std::make_pair(Int(4), basis::Unit{})), 4);
  EXPECT_EQ(calls, 2);
}

TEST(CofreeRepresentation, PathsFromTheRootAddressTheNodes) {
  using C = basis::CofreeOf<ComplexTag>;
  int calls = 0;
  auto tree = tabulate<C>([&calls](const basis::Seq<bool>& path) {
    ++calls;
    std::string s;
    for (bool b : path) s += b ? 'i' : 'r';
    return s;
  });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(index(tree, basis::Seq<bool>()), "");
  EXPECT_FALSE(tree.children().isEvaluated());  // reading the root built no subtree
  EXPECT_EQ(index(tree, basis::Seq<bool>{true, false}), "ir");
  EXPECT_EQ(index(tree, basis::Seq<bool>{false, false, true}), "rri");
  EXPECT_EQ(calls, 3);
}

TEST(CofreeRepresentation, ReadsALongPathInALoop) {
  using C = basis::CofreeOf<basis::IdentityTag>;
  auto depth = tabulate<C>([](const basis::Seq<basis::Unit>& path) { return path.size(); });
  std::vector<basis::Unit> path(20000);
  EXPECT_EQ(index(depth, basis::Seq<basis::Unit>::fromRange(path)), 20000u);
}

TEST(FunctionRepresentation, TheFunctionIsItsOwnTable) {
  auto h = [](const Int& k) { return k * k - 1; };
  auto t = tabulate<Fn>(h);
  std::function<Int(const Int&)> w = [](const Int& k) { return 3 - k; };
  for (Int k : {-1, 0, 4}) {
    EXPECT_EQ(t(k), h(k));
    EXPECT_EQ(index(w, k), w(k));
  }
}

TEST(EmptyRepresentations, TabulateNeverCallsItsFunction) {
  auto throwing = [](const basis::Void&) -> Int { throw std::logic_error("called"); };
  EXPECT_NO_THROW(tabulate<basis::ProxyTag>(throwing));
  EXPECT_NO_THROW(tabulate<basis::U1Tag>(throwing));
}

TEST(OneValueRepresentations, ReadTheirOneValue) {
  auto h = [](basis::Unit) { return std::string("one"); };
  EXPECT_EQ(index(tabulate<basis::IdentityTag>(h), basis::Unit{}), "one");
  EXPECT_EQ(index(tabulate<basis::TaggedOf<char>>(h), basis::Unit{}), "one");
  EXPECT_EQ(index(tabulate<basis::Par1Tag>(h), basis::Unit{}), "one");
  EXPECT_EQ(index(tabulate<basis::DualTag>(h), basis::Unit{}), "one");
  auto seven = [](basis::Unit) { return 7; };
  EXPECT_EQ(tabulate<basis::SumTag>(seven), basis::Sum<int>{7});
  EXPECT_EQ(index(tabulate<basis::ProductTag>(seven), basis::Unit{}), 7);
}

// index of F at k, bound from a temporary structure that make() builds: a
// value, still there to read once the structure is gone.
template <class F, class K, class Make>
void readAfterTemporary(Make make, const K& k, const std::string& expected) {
  static_assert(!std::is_reference_v<decltype(Representable<F>::index(make(), k))>);
  const auto& v = Representable<F>::index(make(), k);
  EXPECT_EQ(v, expected);
}

TEST(OneValueRepresentations, IndexOfATemporaryIsAValue) {
  const std::string s(40, 'v');  // longer than a string's inline buffer
  const basis::Unit u{};
  readAfterTemporary<basis::IdentityTag>([&s] { return basis::Identity<std::string>{s}; }, u, s);
  readAfterTemporary<basis::TaggedOf<char>>([&s] { return basis::Tagged<char, std::string>{s}; }, u, s);
  readAfterTemporary<basis::DualTag>([&s] { return basis::Dual<std::string>{s}; }, u, s);
  readAfterTemporary<basis::SumTag>([&s] { return basis::Sum<std::string>{s}; }, u, s);
  readAfterTemporary<basis::ProductTag>([&s] { return basis::Product<std::string>{s}; }, u, s);
  readAfterTemporary<basis::Par1Tag>([&s] { return basis::Par1<std::string>{s}; }, u, s);
  readAfterTemporary<ComplexTag>([&s] { return basis::Complex<std::string>{"re", s}; }, true, s);
  readAfterTemporary<ComplexTag>([&s] { return basis::Complex<std::string>{s, "im"}; }, false, s);
}

TEST(WrapperRepresentations, UseTheirInnerTable) {
  auto h = [](bool b) { return b ? 7 : 3; };
  EXPECT_EQ(tabulate<basis::IdentityTOf<ComplexTag>>(h).runIdentityT, (basis::Complex<int>{3, 7}));
  EXPECT_EQ(tabulate<basis::BackwardsOf<ComplexTag>>(h).forwards, (basis::Complex<int>{3, 7}));
  EXPECT_EQ(tabulate<basis::ReverseOf<ComplexTag>>(h).getReverse, (basis::Complex<int>{3, 7}));
  EXPECT_EQ(tabulate<basis::Rec1Of<ComplexTag>>(h).unRec1, (basis::Complex<int>{3, 7}));
  EXPECT_EQ(tabulate<basis::M1Of<ComplexTag>>(h).unM1, (basis::Complex<int>{3, 7}));
  EXPECT_EQ(tabulate<CoOf<ComplexTag>>(h).unCo, (basis::Complex<int>{3, 7}));
}

TEST(WrappedRep, HoldsOnePosition) {
  WrappedRep<ComplexTag> w{true};
  EXPECT_TRUE(unwrapRep(w));
  WrappedRep<Fn> v{42};
  EXPECT_EQ(unwrapRep(v), 42);
}

}  // namespace
