// The two laws that tie tabulate and index, as properties over several
// representable functors: index(tabulate(h), k) == h(k), and tabulate(index(w))
// holds the same value as w at every position.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/functor/rep.hpp"

namespace {

using namespace tandemory;
using basis::FunctionFrom;
using basis::IdentityTag;

// A position-dependent table: mixes every position into an int.
struct Mix {
  std::int64_t a, b;
  std::int64_t operator()(std::int64_t k) const { return a * k + b; }
  std::int64_t operator()(bool k) const { return k ? a : b; }
  std::int64_t operator()(basis::Unit) const { return a - b; }
  template <class X, class Y>
  std::int64_t operator()(const std::pair<X, Y>& k) const {
    return (*this)(k.first) * 31 + (*this)(k.second);
  }
  template <class X, class Y>
  std::int64_t operator()(const basis::Either<X, Y>& k) const {
    return k.isLeft() ? (*this)(k.fromLeft()) : -(*this)(k.fromRight()) - 7;
  }
  template <class X>
  std::int64_t operator()(const basis::Seq<X>& k) const {
    std::int64_t r = b;
    for (const X& x : k) r = (r * 3 + (*this)(x)) % 1000003;  // bounded: paths may be long
    return r;
  }
};

using Int = std::int64_t;
using Complex = basis::ComplexTag;
using Fn = FunctionFrom<Int>;

// Every position of a finite representing type, or a sample of an infinite one.
std::vector<Int> ints(Int k) { return {k, 0, -k, k + 1}; }
std::vector<bool> bools() { return {false, true}; }
std::vector<basis::Unit> units() { return {basis::Unit{}}; }
template <class X, class Y>
std::vector<std::pair<X, Y>> pairs(const std::vector<X>& xs, const std::vector<Y>& ys) {
  std::vector<std::pair<X, Y>> out;
  for (const X& x : xs)
    for (const Y& y : ys) out.emplace_back(x, y);
  return out;
}
template <class X, class Y>
std::vector<basis::Either<X, Y>> eithers(const std::vector<X>& xs, const std::vector<Y>& ys) {
  std::vector<basis::Either<X, Y>> out;
  for (const X& x : xs) out.push_back(basis::Left<X>{x});
  for (const Y& y : ys) out.push_back(basis::Right<Y>{y});
  return out;
}

// Law 1 over the positions ks, and law 2 over a table built from another mix.
template <class F, class K>
void checkLaws(const Mix& h, const Mix& other, const std::vector<K>& ks) {
  auto w = tabulate<F>(h);
  auto w2 = tabulate<F>(index(tabulate<F>(other)));
  for (const K& k : ks) {
    RC_ASSERT(index(w, k) == h(k));
    RC_ASSERT(index(w2, k) == other(k));
  }
}

Mix genMix() { return Mix{*rc::gen::inRange<Int>(-50, 50), *rc::gen::inRange<Int>(-50, 50)}; }

RC_GTEST_PROP(RepresentableLaws, HoldForFunctionsIdentityAndComplex, ()) {
  Mix h = genMix(), o = genMix();
  Int k = *rc::gen::inRange<Int>(-1000, 1000);
  checkLaws<Fn>(h, o, ints(k));
  checkLaws<IdentityTag>(h, o, units());
  checkLaws<basis::TaggedOf<int>>(h, o, units());
  checkLaws<basis::Par1Tag>(h, o, units());
  checkLaws<basis::DualTag>(h, o, units());
  checkLaws<basis::SumTag>(h, o, units());
  checkLaws<basis::ProductTag>(h, o, units());
  checkLaws<Complex>(h, o, bools());
}

RC_GTEST_PROP(RepresentableLaws, HoldForComposedAndSideBySideFunctors, ()) {
  Mix h = genMix(), o = genMix();
  Int k = *rc::gen::inRange<Int>(-1000, 1000);
  checkLaws<basis::ComposeOf<Fn, Complex>>(h, o, pairs(ints(k), bools()));
  checkLaws<basis::GComposeOf<Complex, basis::Par1Tag>>(h, o, pairs(bools(), units()));
  checkLaws<basis::ProductOf<Complex, Fn>>(h, o, eithers(bools(), ints(k)));
  checkLaws<basis::GProductOf<IdentityTag, Complex>>(h, o, eithers(units(), bools()));
  checkLaws<basis::ReaderTOf<Int, Complex>>(h, o, pairs(ints(k), bools()));
  checkLaws<basis::TracedTOf<Int, Complex>>(h, o, pairs(ints(k), bools()));
}

RC_GTEST_PROP(RepresentableLaws, HoldForWrappersAndCo, ()) {
  Mix h = genMix(), o = genMix();
  Int k = *rc::gen::inRange<Int>(-1000, 1000);
  checkLaws<basis::IdentityTOf<Complex>>(h, o, bools());
  checkLaws<basis::BackwardsOf<Fn>>(h, o, ints(k));
  checkLaws<basis::ReverseOf<Complex>>(h, o, bools());
  checkLaws<basis::Rec1Of<Fn>>(h, o, ints(k));
  checkLaws<basis::M1Of<Complex>>(h, o, bools());
  checkLaws<CoOf<Complex>>(h, o, bools());
}

RC_GTEST_PROP(RepresentableLaws, HoldForCofreeAlongEveryPath, ()) {
  Mix h = genMix(), o = genMix();
  auto bits = *rc::gen::container<std::vector<bool>>(rc::gen::arbitrary<bool>());
  std::vector<basis::Seq<bool>> paths{basis::Seq<bool>(), basis::Seq<bool>::fromRange(bits)};
  checkLaws<basis::CofreeOf<Complex>>(h, o, paths);
}

}  // namespace
