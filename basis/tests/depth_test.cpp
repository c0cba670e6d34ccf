// Deep chains of deferred values and layers: forced, folded and freed at a
// depth of a million, on the default stack and on a 256 KiB thread stack.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "basis/applicative.hpp"
#include "basis/cofree.hpp"
#include "basis/comonad.hpp"
#include "basis/contravariant.hpp"
#include "basis/foldable.hpp"
#include "basis/functor.hpp"
#include "basis/hashable.hpp"
#include "basis/lazy.hpp"
#include "basis/lifted.hpp"
#include "basis/list.hpp"
#include "basis/monad.hpp"
#include "basis/semigroup.hpp"
#include "basis/show.hpp"
#include "basis/tree.hpp"
#include "depth_check.hpp"

namespace {

using basis::Lazy;
using depth_check::Case;
using depth_check::expectBottom;
using depth_check::expectEq;

// A tenth under the sanitizers, whose frames and checks cost ten times more.
constexpr std::int64_t kDepth = depth_check::kSanitized ? 100'000 : 1'000'000;
// An exception is caught, kept and rethrown by every cell on its way up
// (about 2 us a cell): those chains are ten times shorter.
constexpr std::int64_t kThrowDepth = kDepth / 10;
// Chains whose every level allocates several nodes or closures (a few
// microseconds a level) are ten times shorter too.
constexpr std::int64_t kLongDepth = kDepth / 10;

// A chain of `depth` cells, each deferring to the one below and adding one;
// the bottom cell is `bottom`.
Lazy<std::int64_t> chain(std::int64_t depth, Lazy<std::int64_t> bottom) {
  Lazy<std::int64_t> c = std::move(bottom);
  for (std::int64_t i = 0; i < depth; ++i) {
    c = Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

using Int = std::int64_t;

// 0, 1, ..., n - 1.
basis::List<Int> naturals(Int n) {
  std::vector<Int> xs(static_cast<std::size_t>(n));
  for (Int i = 0; i < n; ++i) xs[static_cast<std::size_t>(i)] = i;
  return basis::List<Int>::fromRange(xs);
}

// Free layers over Identity, `depth` deep, with `bottom` at the bottom.
using DeepFree = basis::Free<basis::IdentityTag, Int>;
DeepFree freeTower(Int depth, Int bottom) {
  DeepFree x = DeepFree::pure(bottom);
  for (Int i = 0; i < depth; ++i) x = DeepFree::wrap(basis::Identity<DeepFree>{std::move(x)});
  return x;
}
// The layers above the Pure of x, and its value, read in a loop.
std::pair<Int, Int> freeBottom(DeepFree x) {
  Int layers = 0;
  while (!x.isPure()) {
    DeepFree below = x.layer().value;
    x = std::move(below);
    ++layers;
  }
  return {layers, x.pureValue()};
}

// A Cofree path `depth` nodes below the root, labelled depth, depth - 1, ...,
// 0 from the root down, every field evaluated.
using DeepCofree = basis::Cofree<basis::OptionalTag, Int>;
DeepCofree cofreePath(Int depth) {
  DeepCofree c(basis::Lazy<Int>(Int{0}), basis::Lazy<std::optional<DeepCofree>>(std::nullopt));
  for (Int i = 1; i <= depth; ++i) {
    c = DeepCofree(basis::Lazy<Int>(i), basis::Lazy<std::optional<DeepCofree>>(std::optional<DeepCofree>(std::move(c))));
  }
  return c;
}
// The label of the deepest node and the number of nodes above it.
template <class C>
std::pair<Int, Int> cofreeBottom(C c) {
  Int levels = 0;
  while (const auto& below = c.unwrap()) {
    C next = *below;
    c = std::move(next);
    ++levels;
  }
  return {levels, Int(c.extract())};
}

// A rose tree whose every node has one child, `depth` nodes below the root,
// labelled from 0 at the root.
basis::Tree<Int> treePath(Int depth) {
  auto t = basis::Tree<Int>::node(basis::Lazy<Int>(depth));
  for (Int i = depth - 1; i >= 0; --i) t = basis::Tree<Int>::node(basis::Lazy<Int>(i), basis::List<basis::Tree<Int>>{t});
  return t;
}

// The reader structure: functions from Int.
using Fn = std::function<Int(const Int&)>;
using Reader = basis::FunctionFrom<Int>;

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"a chain of cells forces to its value",
       [] { return expectEq(chain(kDepth, Lazy<std::int64_t>(0)).force(), kDepth); }},
      {"an exception at the bottom reaches the top unchanged",
       []() -> std::string {
         auto top = chain(kThrowDepth, Lazy<std::int64_t>::raise(std::runtime_error("bottom")));
         for (int demand = 0; demand < 2; ++demand) {
           try {
             top.force();
             return "no exception";
           } catch (const std::runtime_error& e) {
             if (std::string(e.what()) != "bottom") return std::string("message ") + e.what();
           }
         }
         return "";
       }},
      {"a cell demanding itself at the bottom throws NonTermination",
       []() -> std::string {
         auto self = std::make_shared<Lazy<std::int64_t>>();
         *self = Lazy<std::int64_t>::defer([self] { return chain(kThrowDepth, *self).force(); });
         try {
           self->force();
           return "no exception";
         } catch (const basis::NonTermination&) {
           *self = Lazy<std::int64_t>(0);  // break the ring so it is freed
           return "";
         }
       }},
      {"an unforced chain of cells is freed",
       [] {
         { auto top = chain(kDepth, Lazy<std::int64_t>(0)); }
         return std::string();
       }},
      {"a forced chain of cells is freed",
       [] {
         auto top = chain(kDepth, Lazy<std::int64_t>(0));
         const std::int64_t v = top.force();
         top = Lazy<std::int64_t>(0);
         return expectEq(v, kDepth);
       }},
      {"the list's lazy foldr with a step forcing the rest",
       [] {
         std::vector<std::int64_t> xs(kDepth, 1);
         auto list = basis::List<std::int64_t>::fromRange(xs);
         const std::int64_t sum = basis::foldr(
             [](const Lazy<std::int64_t>& x, const Lazy<std::int64_t>& rest) { return x.force() + rest.force(); },
             std::int64_t{0}, list);
         return expectEq(sum, kDepth);
       }},
      {"a deep Free value is freed",
       [] {
         using Fr = basis::Free<basis::IdentityTag, int>;
         Fr x = Fr::pure(7);
         for (std::int64_t i = 0; i < kDepth; ++i) x = Fr::wrap(basis::Identity<Fr>{std::move(x)});
         return std::string();
       }},
      {"a deep Free value is mapped and bound",
       []() -> std::string {
         const DeepFree x = freeTower(kLongDepth, 5);
         const auto mapped = freeBottom(basis::Functor<basis::FreeOf<basis::IdentityTag>>::fmap([](Int v) { return v + 1; }, x));
         if (mapped != std::pair<Int, Int>(kLongDepth, 6)) return "fmap: " + expectEq(mapped.first, kLongDepth);
         const auto bound = freeBottom(basis::Monad<basis::FreeOf<basis::IdentityTag>>::bind(
             x, [](Int v) { return basis::Free<basis::IdentityTag, Int>::wrap({DeepFree::pure(v * 2)}); }));
         if (bound != std::pair<Int, Int>(kLongDepth + 1, 10)) return "bind: " + expectEq(bound.second, 10);
         return expectBottom([&] {
           basis::Functor<basis::FreeOf<basis::IdentityTag>>::fmap(
               [](Int) -> Int { throw std::runtime_error("bottom"); }, x);
         });
       }},
      {"a long list compares, hashes and shows",
       []() -> std::string {
         const auto xs = naturals(kLongDepth);
         const auto ys = naturals(kLongDepth);
         auto zs = basis::Functor<basis::ListTag>::fmap([](Int v) { return v + 1; }, naturals(kLongDepth));
         if (!(xs == ys) || xs == zs) return "==";
         if (basis::compare1(xs, ys) != basis::EQ || basis::compare1(xs, zs) != basis::LT) return "compare1";
         if (!basis::eq1(xs, ys)) return "eq1";
         if (basis::hash(xs) != basis::hash(ys) || basis::hash(xs) == basis::hash(zs)) return "hash";
         const std::string text = basis::show(xs);
         if (text.substr(0, 7) != "[0,1,2," || text.back() != ']') return "show: " + text.substr(0, 16);
         return "";
       }},
      {"a long unread mapped list is freed",
       [] {
         { auto xs = basis::Functor<basis::ListTag>::fmap([](Int v) { return v; }, naturals(kDepth)); }
         return std::string();
       }},
      {"a deep Cofree is read at the bottom and freed",
       []() -> std::string {
         const auto c = cofreePath(kLongDepth);
         if (cofreeBottom(c) != std::pair<Int, Int>(kLongDepth, 0)) return "bottom";
         const auto mapped = basis::Functor<basis::CofreeOf<basis::OptionalTag>>::fmap([](Int v) { return v + 1; }, c);
         if (cofreeBottom(mapped) != std::pair<Int, Int>(kLongDepth, 1)) return "fmap";
         const auto sizes = basis::Comonad<basis::CofreeOf<basis::OptionalTag>>::extend(
             [](const DeepCofree& w) { return w.extract() + 1; }, c);
         if (cofreeBottom(sizes) != std::pair<Int, Int>(kLongDepth, 1)) return "extend";
         return "";
       }},
      {"a deep tree is compared, folded, mapped and freed",
       []() -> std::string {
         const auto t = treePath(kLongDepth);
         if (!(t == treePath(kLongDepth))) return "== on equal trees";
         if (t == treePath(kLongDepth - 1)) return "== on trees of different depths";
         const Int sum = basis::Foldable<basis::TreeTag>::foldl_([](Int acc, const basis::Lazy<Int>& x) { return acc + x.force(); },
                                                               Int{0}, t);
         if (sum != kLongDepth * (kLongDepth + 1) / 2) return "foldl_: " + expectEq(sum, kLongDepth * (kLongDepth + 1) / 2);
         const Int last = basis::Foldable<basis::TreeTag>::foldr(
             [](const basis::Lazy<Int>& x, const basis::Lazy<Int>& rest) { return std::max(x.force(), rest.force()); },
             Int{-1}, t);
         if (last != kLongDepth) return "foldr: " + expectEq(last, kLongDepth);
         const auto doubled = basis::Functor<basis::TreeTag>::fmap([](Int v) { return v * 2; }, t);
         if (!(basis::Functor<basis::TreeTag>::fmap([](Int v) { return v / 2; }, doubled) == t)) return "fmap";
         return "";
       }},
      {"a chain of function extends runs and is freed",
       []() -> std::string {
         using E = basis::Sum<Int>;
         using W = std::function<Int(const E&)>;
         W w = [](const E& e) { return e.value; };
         // Each level reads the one below one step further along.
         for (Int i = 0; i < kDepth / 10; ++i) {
           w = basis::Comonad<basis::FunctionFrom<E>>::extend([](const W& x) { return x(E{1}); }, w);
         }
         return expectEq(w(E{0}), kDepth / 10);
       }},
      {"a chain of function maps and binds runs and is freed",
       []() -> std::string {
         using F = basis::Functor<Reader>;
         using M = basis::Monad<Reader>;
         Fn mapped = [](const Int& e) { return e; };
         for (Int i = 0; i < kLongDepth; ++i) mapped = F::fmap([](Int v) { return v + 1; }, mapped);
         if (auto r = expectEq(mapped(3), kLongDepth + 3); !r.empty()) return "fmap chain: " + r;
         Fn left = [](const Int& e) { return e; };
         for (Int i = 0; i < kLongDepth; ++i) left = M::bind(left, [](Int v) { return Fn([v](const Int& e) { return v + e; }); });
         if (auto r = expectEq(left(1), kLongDepth + 1); !r.empty()) return "left-nested binds: " + r;
         // Each continuation binds the next level, down to `depth` levels.
         struct Down {
           Int depth;
           Fn operator()(Int v) const {
             if (v >= depth) return [v](const Int&) { return v; };
             return M::bind(Fn([v](const Int& e) { return v + e; }), *this);
           }
         };
         if (auto r = expectEq(Down{kLongDepth}(0)(1), kLongDepth); !r.empty()) return "right-nested binds: " + r;
         Fn lifted = [](const Int& e) { return e; };
         for (Int i = 0; i < kLongDepth; ++i) {
           lifted = basis::Applicative<Reader>::liftA2([](Int a, Int b) { return a + b; }, lifted, Fn([](const Int&) { return Int{1}; }));
         }
         if (auto r = expectEq(lifted(0), kLongDepth); !r.empty()) return "liftA2 chain: " + r;
         Fn failing = [](const Int&) -> Int { throw std::runtime_error("bottom"); };
         for (Int i = 0; i < kLongDepth / 10; ++i) failing = F::fmap([](Int v) { return v + 1; }, failing);
         return expectBottom([&] { failing(0); });
       }},
      {"a chain of contramaps of Op and Predicate runs and is freed",
       []() -> std::string {
         basis::Op<Int, Int> op{[](const Int& e) { return e; }};
         basis::Predicate<Int> even{[](const Int& e) { return e % 2 == 0; }};
         for (Int i = 0; i < kLongDepth; ++i) {
           op = basis::contramap<Int>([](const Int& v) { return v + 1; }, op);
           even = basis::contramap<Int>([](const Int& v) { return v + 1; }, even);
         }
         if (auto r = expectEq(op(0), kLongDepth); !r.empty()) return "Op: " + r;
         if (even(1) != (kLongDepth % 2 == 1)) return "Predicate";
         return "";
       }},
  };
  return table;
}

TEST(Depth, DeepChainsWorkOnEveryStack) {
  EXPECT_EQ(depth_check::failuresOnEveryStack(cases()), "");
}

TEST(Depth, ShallowWorkStaysOnTheCallersStack) {
  const void* outer = __builtin_frame_address(0);
  const void* inner = nullptr;
  basis::withStackRoom([&] { inner = __builtin_frame_address(0); });
  const auto distance = reinterpret_cast<std::uintptr_t>(outer) - reinterpret_cast<std::uintptr_t>(inner);
  EXPECT_LT(distance, std::uintptr_t{1} << 16);
}

TEST(Depth, ThreadLocalStateHoldsAcrossSegments) {
  static thread_local int marker = 0;
  marker = 42;
  const auto top = Lazy<int>::defer([] {
    Lazy<int> c = Lazy<int>::defer([] { return marker; });
    for (int i = 0; i < 200'000; ++i) c = Lazy<int>::defer([below = std::move(c)] { return below.force(); });
    return c.force();
  });
  EXPECT_EQ(top.force(), 42);
}

}  // namespace
