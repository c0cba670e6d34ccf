// Deep chains of deferred values and layers: forced, folded and freed at a
// depth of a million, on the default stack and on a 256 KiB thread stack.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "basis/cofree.hpp"
#include "basis/foldable.hpp"
#include "basis/lazy.hpp"
#include "basis/list.hpp"
#include "depth_check.hpp"

namespace {

using basis::Lazy;
using depth_check::Case;
using depth_check::Stack;

// A tenth under the sanitizers, whose frames and checks cost ten times more.
constexpr std::int64_t kDepth = depth_check::kSanitized ? 100'000 : 1'000'000;
// An exception is caught, kept and rethrown by every cell on its way up
// (about 2 us a cell): those chains are ten times shorter.
constexpr std::int64_t kThrowDepth = kDepth / 10;

// A chain of `depth` cells, each deferring to the one below and adding one;
// the bottom cell is `bottom`.
Lazy<std::int64_t> chain(std::int64_t depth, Lazy<std::int64_t> bottom) {
  Lazy<std::int64_t> c = std::move(bottom);
  for (std::int64_t i = 0; i < depth; ++i) {
    c = Lazy<std::int64_t>::defer([below = std::move(c)] { return below.force() + 1; });
  }
  return c;
}

std::string expectEq(std::int64_t got, std::int64_t want) {
  return got == want ? "" : "got " + std::to_string(got) + ", want " + std::to_string(want);
}

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
  };
  return table;
}

TEST(Depth, DeepChainsWorkOnEveryStack) {
  for (Stack stack : {Stack::Default, Stack::Small}) {
    for (const Case& c : cases()) {
      EXPECT_EQ(depth_check::isolated(stack, c.check), "") << c.name << " on the " << depth_check::name(stack);
    }
  }
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
