// The adjunction laws, as properties over several adjoint pairs:
// rightAdjunct(leftAdjunct(h)) == h, leftAdjunct(rightAdjunct(k)) == k,
// counit(fmap unit x) == x and fmap counit (unit t) == t.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tandemory/functor/adjunction.hpp"

namespace {

using namespace tandemory;
using Int = std::int64_t;
using S = std::string;
using P = basis::PairOf<Int>;
using Id = basis::IdentityTag;

// Checks the four laws for the adjunction of F at x (an F Int), at a (an
// Int), at the positions ks of the right adjoint, with h: F Int -> Int given
// by `observe` and k: Int -> U Int given by tabulating `mix`.
template <class F, class FA, class Observe>
void checkLaws(const FA& x, Int a, const std::vector<Rep<RightAdjoint<F>>>& ks, Observe observe, Int salt) {
  using U = RightAdjoint<F>;
  auto h = [observe, salt](const FA& y) { return observe(y) * 3 + salt; };
  auto k = [salt](Int v) {
    return tabulate<U>([v, salt](const Rep<U>&) { return v * 7 - salt; });
  };
  // rightAdjunct (leftAdjunct h) == h
  RC_ASSERT(rightAdjunct<F>(leftAdjunct<F>(h))(x) == h(x));
  // leftAdjunct (rightAdjunct k) == k
  auto back = leftAdjunct<F>(rightAdjunct<F>(k))(a);
  for (const auto& pos : ks) RC_ASSERT(index(back, pos) == index(k(a), pos));
  // counit . fmap unit == id on F
  auto units = basis::Functor<F>::fmap([](Int v) { return unit<F>(v); }, x);
  RC_ASSERT(counit(units) == x);
  // fmap counit . unit == id on U
  auto t = k(a);
  auto round = basis::Functor<U>::fmap([](const auto& fu) { return counit<F>(fu); }, unit<F>(t));
  for (const auto& pos : ks) RC_ASSERT(index(round, pos) == index(t, pos));
}

Int genInt() { return *rc::gen::inRange<Int>(-100, 100); }

RC_GTEST_PROP(AdjunctionLaws, HoldForPairsIdentityAndWrappers, ()) {
  Int e = genInt(), a = genInt(), salt = genInt();
  std::vector<Int> envs{e, e + 1, -e};
  std::vector<basis::Unit> one{basis::Unit{}};
  checkLaws<P>(std::pair<Int, Int>(e, a + 1), a, envs, [](const std::pair<Int, Int>& p) { return p.first - p.second; }, salt);
  checkLaws<Id>(basis::Identity<Int>{a}, a, one, [](const basis::Identity<Int>& i) { return i.value; }, salt);
  checkLaws<basis::Par1Tag>(basis::Par1<Int>{a}, a, one, [](const basis::Par1<Int>& i) { return i.unPar1; }, salt);
  checkLaws<basis::IdentityTOf<P>>(basis::IdentityT<P, Int>{{e, a}}, a, envs,
                                   [](const basis::IdentityT<P, Int>& x) { return x.runIdentityT.first * x.runIdentityT.second; }, salt);
  checkLaws<basis::Rec1Of<P>>(basis::Rec1<P, Int>{{e, a}}, a, envs,
                              [](const basis::Rec1<P, Int>& x) { return x.unRec1.first + 2 * x.unRec1.second; }, salt);
}

RC_GTEST_PROP(AdjunctionLaws, HoldForEnvironmentAndWriterPairs, ()) {
  Int e = genInt(), a = genInt(), salt = genInt();
  S env = *rc::gen::element<S>("", "a", "bc");
  using Env = basis::EnvTOf<S, P>;
  std::vector<std::pair<S, Int>> readerPositions{{env, e}, {"z", e + 2}};
  checkLaws<Env>(basis::EnvT<S, P, Int>{env, {e, a}}, a, readerPositions,
                 [](const basis::EnvT<S, P, Int>& x) { return Int(x.env.size()) + x.lowered.first * x.lowered.second; }, salt);
  using Wr = basis::WriterTOf<S, P>;
  std::vector<std::pair<S, Int>> tracePositions{{env, e}, {"q", -e}};
  checkLaws<Wr>(basis::WriterT<S, P, Int>{{e, {a, env}}}, a, tracePositions,
                [](const basis::WriterT<S, P, Int>& x) {
                  return x.runWriterT.first + x.runWriterT.second.first * Int(x.runWriterT.second.second.size() + 1);
                },
                salt);
}

RC_GTEST_PROP(AdjunctionLaws, HoldForCompositionsAndSums, ()) {
  Int e = genInt(), a = genInt(), salt = genInt();
  bool b = *rc::gen::arbitrary<bool>();
  using BP = basis::PairOf<bool>;
  using C = basis::ComposeOf<BP, P>;  // (bool, (Int, a)) -| Int -> bool -> a
  std::vector<std::pair<Int, bool>> pairs{{e, b}, {e - 1, !b}};
  checkLaws<C>(basis::Compose<BP, P, Int>{{b, {e, a}}}, a, pairs,
               [](const basis::Compose<BP, P, Int>& x) { return (x.value.first ? 1000 : 0) + x.value.second.first - x.value.second.second; },
               salt);
  using GC = basis::GComposeOf<BP, P>;
  checkLaws<GC>(basis::GCompose<BP, P, Int>{{b, {e, a}}}, a, pairs,
                [](const basis::GCompose<BP, P, Int>& x) { return x.unComp1.second.first + x.unComp1.second.second; }, salt);
  using Sm = basis::SumOf<P, Id>;
  using Sv = basis::functor::Sum<P, Id, Int>;
  using Either = basis::Either<Int, basis::Unit>;
  std::vector<Either> sides{Either(basis::Left<Int>{e}), Either(basis::Right<basis::Unit>{basis::Unit{}})};
  auto observeSum = [](const Sv& x) { return x.isInL() ? x.left().first + x.left().second : -x.right().value; };
  checkLaws<Sm>(b ? Sv::InL({e, a}) : Sv::InR({a}), a, sides, observeSum, salt);
  using GS = basis::GSumOf<P, Id>;
  using Gv = basis::GSum<P, Id, Int>;
  auto observeGSum = [](const Gv& x) { return x.isL1() ? x.left().first * 2 + x.left().second : x.right().value; };
  checkLaws<GS>(b ? Gv::L1({e, a}) : Gv::R1({a}), a, sides, observeGSum, salt);
}

}  // namespace
