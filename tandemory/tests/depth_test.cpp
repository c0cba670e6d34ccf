// Far deeper than any stack: chains of binds of every monad here, nested to
// the left and to the right, and the node at the end of a long path of a
// tabulated Cofree, the counit of a many-layered Free, and long chains of
// adapted consumers (Op, Predicate); run, read and freed on the default stack and on a 256 KiB
// thread stack.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "basis/cofree.hpp"
#include "basis/error.hpp"
#include "basis/seq.hpp"
#include "depth_check.hpp"
#include "tandemory/functor/adjunction.hpp"
#include "tandemory/functor/contravariant/rep.hpp"
#include "tandemory/functor/rep.hpp"
#include "tandemory/monad/representable/reader.hpp"
#include "tandemory/monad/representable/state.hpp"
#include "tandemory/monad/trans/adjoint.hpp"
#include "tandemory/monad/trans/conts.hpp"

namespace {

using namespace tandemory;
using depth_check::Case;
using depth_check::expectBottom;
using depth_check::expectEq;
using Int = std::int64_t;
using Id = basis::IdentityTag;
using Fn = basis::FunctionFrom<Int>;

// Every level allocates several closures or nodes, a microsecond or more a
// level: chains are a hundred thousand levels deep, a tenth of that under
// the sanitizers, whose frames and checks cost ten times more.
constexpr Int kDepth = depth_check::kSanitized ? 10'000 : 100'000;
// Chains that end in an exception are ten times shorter.
constexpr Int kThrowDepth = kDepth / 10;

// The monads, each with a way to run a computation of Int to its value.
using StateTag = StateTOf<Fn, Id>;
using ReaderTag = ReaderTOf<Fn, Id>;
using ContTag = ContsTOf<Int, Id, Id>;
using AdjointTag = monad_trans::AdjointTOf<basis::PairOf<Int>, Fn, Id>;

Int run(const StateT<Fn, Id, Int>& t) { return evalState(t, 0); }
Int run(const ReaderT<Fn, Id, Int>& t) { return runReader(t, 0); }
Int run(const ContsT<Int, Id, Id, Int>& t) {
  return runCont(t, [](const Int& a) { return a; });
}
Int run(const monad_trans::AdjointT<basis::PairOf<Int>, Fn, Id, Int>& t) { return t.runAdjointT(0).value.second; }

template <class Tag>
using M = basis::Apply<Tag, Int>;

template <class Tag>
M<Tag> pure(Int a) {
  return basis::Applicative<Tag>::pure(a);
}

// An action whose continuation throws when it runs.
template <class Tag>
M<Tag> failing() {
  return basis::Monad<Tag>::bind(pure<Tag>(0), [](Int) -> M<Tag> { throw std::runtime_error("bottom"); });
}

// ((start >>= k) >>= k) ... >>= k, n binds, each k adding one.
template <class Tag>
M<Tag> leftNested(Int n, M<Tag> start) {
  M<Tag> t = std::move(start);
  for (Int i = 0; i < n; ++i) t = basis::Monad<Tag>::bind(t, [](Int a) { return pure<Tag>(a + 1); });
  return t;
}

// pure(a + 1) >>= (pure(a + 2) >>= (...)) down to n, built as it runs; the
// last level gives n, or throws when `fails`.
template <class Tag>
struct RightNested {
  Int n;
  bool fails;
  M<Tag> operator()(Int a) const {
    if (a >= n) {
      if (fails) throw std::runtime_error("bottom");
      return pure<Tag>(a);
    }
    return basis::Monad<Tag>::bind(pure<Tag>(a + 1), *this);
  }
};

// The four cases of a monad: chains of binds nested to the left and to the
// right, over a value and over a throw.
template <class Tag>
Case leftCase(const char* name) {
  return {name, [] { return expectEq(run(leftNested<Tag>(kDepth, pure<Tag>(0))), kDepth); }};
}
template <class Tag>
Case rightCase(const char* name) {
  return {name, [] { return expectEq(run(RightNested<Tag>{kDepth, false}(0)), kDepth); }};
}
template <class Tag>
Case leftThrowCase(const char* name) {
  return {name, [] {
            const auto t = leftNested<Tag>(kThrowDepth, failing<Tag>());
            return expectBottom([&] { run(t); });
          }};
}
template <class Tag>
Case rightThrowCase(const char* name) {
  return {name, [] { return expectBottom([] { run(RightNested<Tag>{kThrowDepth, true}(0)); }); }};
}

// The Cofree over Complex whose label at a path is the number of imaginary
// steps on it.
using Path = basis::Seq<bool>;
auto imaginarySteps() {
  return tabulate<basis::CofreeOf<basis::ComplexTag>>([](const Path& p) {
    Int n = 0;
    for (bool b : p) n += b;
    return n;
  });
}
// The path of n steps, every third imaginary.
Path everyThird(Int n) {
  std::vector<bool> steps(static_cast<std::size_t>(n));
  for (Int i = 0; i < n; ++i) steps[static_cast<std::size_t>(i)] = i % 3 == 0;
  return Path::fromRange(steps);
}

// The counit of Free over pairs against Cofree over functions rebuilds the
// remaining layers once per layer it removes, so its work grows with the
// square of the layers: a few thousand layers, still far more frames than a
// small stack holds.
constexpr Int kFreeLayers = depth_check::kSanitized ? 1'000 : 3'000;

// The Free of `layers` layers over the Cofree whose label is its depth: the
// counit walks one level down per layer.
Int counitOfLayers(Int layers) {
  using P = basis::PairOf<Int>;
  using Tree = basis::Cofree<Fn, Int>;
  auto tree = std::make_shared<std::function<Tree(Int)>>();
  *tree = [weak = std::weak_ptr(tree)](Int depth) {
    return Tree(depth, std::function<Tree(const Int&)>([weak, depth](const Int&) { return (*weak.lock())(depth + 1); }));
  };
  using X = basis::Free<P, Tree>;
  X x = X::pure((*tree)(0));
  for (Int i = 0; i < layers; ++i) x = X::wrap({i, x});
  return counit(x);
}

// A consumer of the contravariant functor C adapted kDepth times, each step
// adding one to its argument, by contramapRep or (answering Left) by
// contramapWithRep; read at 0, the innermost consumer sees kDepth.
template <class C, bool WithRep>
Case adaptedChainCase(const char* name) {
  return {name, [] {
            auto p = contravariant::tabulate<C, Int>([](const Int& a) { return a == kDepth; });
            for (Int i = 0; i < kDepth; ++i) {
              if constexpr (WithRep) {
                p = contravariant::contramapWithRep<Int>(
                    [](const Int& a) { return basis::Either<Int, contravariant::Rep<C>>(basis::Left<Int>{a + 1}); }, p);
              } else {
                p = contravariant::contramapRep<Int>([](const Int& a) { return a + 1; }, p);
              }
            }
            return expectEq(bool(contravariant::index(p, Int(0))), true);
          }};
}

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      leftCase<StateTag>("state over a function table: left-nested binds"),
      rightCase<StateTag>("state over a function table: right-nested binds"),
      leftThrowCase<StateTag>("state over a function table: a throw under left-nested binds"),
      rightThrowCase<StateTag>("state over a function table: a throw under right-nested binds"),
      leftCase<ReaderTag>("reader over a function table: left-nested binds"),
      rightCase<ReaderTag>("reader over a function table: right-nested binds"),
      leftThrowCase<ReaderTag>("reader over a function table: a throw under left-nested binds"),
      rightThrowCase<ReaderTag>("reader over a function table: a throw under right-nested binds"),
      leftCase<ContTag>("continuation: left-nested binds"),
      rightCase<ContTag>("continuation: right-nested binds"),
      leftThrowCase<ContTag>("continuation: a throw under left-nested binds"),
      rightThrowCase<ContTag>("continuation: a throw under right-nested binds"),
      leftCase<AdjointTag>("adjoint state: left-nested binds"),
      rightCase<AdjointTag>("adjoint state: right-nested binds"),
      leftThrowCase<AdjointTag>("adjoint state: a throw under left-nested binds"),
      rightThrowCase<AdjointTag>("adjoint state: a throw under right-nested binds"),
      {"a tabulated Cofree read at the end of a long path",
       []() -> std::string {
         const auto tree = imaginarySteps();
         const Path path = everyThird(kDepth);
         if (auto r = expectEq(index(tree, path), (kDepth + 2) / 3); !r.empty()) return r;
         // A second read finds the nodes built by the first.
         return expectEq(index(tree, path), (kDepth + 2) / 3);
       }},
      {"a tabulated Cofree whose label throws at the end of a long path",
       [] {
         const auto tree = tabulate<basis::CofreeOf<basis::ComplexTag>>([](const Path& p) -> Int {
           if (Int(p.size()) == kDepth) throw std::runtime_error("bottom");
           return 0;
         });
         const Path path = everyThird(kDepth);
         return expectBottom([&] { index(tree, path); });
       }},
      {"a tabulated Cofree whose label at the end of a long path demands itself",
       []() -> std::string {
         using Tree = basis::Cofree<basis::ComplexTag, Int>;
         const Path path = everyThird(kDepth);
         auto self = std::make_shared<std::optional<Tree>>();
         *self = tabulate<basis::CofreeOf<basis::ComplexTag>>([self, path](const Path& p) -> Int {
           return Int(p.size()) == kDepth ? index(**self, path) : 0;
         });
         std::string report = "no NonTermination";
         try {
           index(**self, path);
         } catch (const basis::NonTermination&) {
           report = "";
         }
         self->reset();
         return report;
       }},
      {"the counit of a Free of many layers over a Cofree",
       [] { return expectEq(counitOfLayers(kFreeLayers), kFreeLayers); }},
      adaptedChainCase<basis::PredicateTag, false>("a predicate adapted by contramapRep, a long chain"),
      adaptedChainCase<basis::PredicateTag, true>("a predicate adapted by contramapWithRep, a long chain"),
      adaptedChainCase<basis::OpOf<bool>, false>("an Op adapted by contramapRep, a long chain"),
      adaptedChainCase<basis::OpOf<bool>, true>("an Op adapted by contramapWithRep, a long chain"),
  };
  return table;
}

TEST(Depth, DeepChainsWorkOnEveryStack) {
  EXPECT_EQ(depth_check::failuresOnEveryStack(cases()), "");
}

}  // namespace
