// Deep deferred results: crosswalks of a long list into lazy targets and the
// combination of many zipping lists, read on the default stack and on a
// 256 KiB thread stack.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <basis/map.hpp>
#include <basis/semigroup.hpp>
#include <basis/vector.hpp>
#include <hashgrove/lazy.hpp>
#include <juxtor/internal/containers.hpp>
#include <juxtor/internal/crosswalk.hpp>
#include <juxtor/internal/hash_map.hpp>
#include <juxtor/internal/list.hpp>
#include <juxtor/internal/vector.hpp>
#include <juxtor/internal/zippy.hpp>

#include "depth_check.hpp"

namespace {

using basis::List;
using depth_check::Case;
using depth_check::expectBottom;
using depth_check::expectEq;
using Int = std::int64_t;

// A hundred thousand: each of these chains takes seconds at a million, and
// this is far beyond any stack. A tenth under the sanitizers, whose frames and
// checks cost ten times more.
constexpr Int kDepth = depth_check::kSanitized ? 10'000 : 100'000;
// An exception is caught, kept and rethrown by every deferred value on its
// way up: those chains are ten times shorter.
constexpr Int kThrowDepth = kDepth / 10;

// 0, 1, ..., n - 1.
List<Int> naturals(Int n) {
  std::vector<Int> xs(static_cast<std::size_t>(n));
  for (Int i = 0; i < n; ++i) xs[static_cast<std::size_t>(i)] = i;
  return List<Int>::fromRange(xs);
}

// The length and the sum of a list, read in a loop.
std::string expectRow(const List<Int>& row, Int length, Int sum) {
  Int n = 0, s = 0;
  for (Int x : row) ++n, s += x;
  if (n != length) return "length: " + expectEq(n, length);
  return expectEq(s, sum);
}

// The sum 0 + 1 + ... + (n - 1).
constexpr Int triangle(Int n) { return n * (n - 1) / 2; }

// x, or a deferred failure for the last element of a list of n.
basis::Lazy<Int> failingAtLast(Int x, Int n) {
  if (x == n - 1) return basis::Lazy<Int>::raise(std::runtime_error("bottom"));
  return basis::Lazy<Int>(x);
}

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"a crosswalk into lists gives deep rows",
       []() -> std::string {
         const auto rows = juxtor::crosswalk([](Int x) { return List<Int>{x, -x}; }, naturals(kDepth));
         if (auto r = expectRow(rows.head(), kDepth, triangle(kDepth)); !r.empty()) return "first row: " + r;
         return expectRow(rows.tail().head(), kDepth, -triangle(kDepth));
       }},
      {"a crosswalk into lists rethrows an element's failure at the bottom",
       [] {
         const auto rows = juxtor::crosswalk(
             [](Int x) { return List<Int>::cons(failingAtLast(x, kThrowDepth), List<Int>()); }, naturals(kThrowDepth));
         return expectBottom([&] {
           for (Int x : rows.head()) (void)x;
         });
       }},
      {"a crosswalk into ordered maps gives deep values",
       []() -> std::string {
         const auto m = juxtor::crosswalk([](Int x) { return basis::Map<int, Int>{{0, x}, {1 + int(x % 2), x}}; },
                                          naturals(kDepth));
         if (auto r = expectRow(m.lookup(0)->force(), kDepth, triangle(kDepth)); !r.empty()) return "key 0: " + r;
         return expectRow(m.lookup(2)->force(), kDepth / 2, triangle(kDepth) / 2 + kDepth / 4);
       }},
      {"a crosswalk into hash maps gives deep values",
       [] {
         const auto m = juxtor::crosswalk(
             [](Int x) { return hashgrove::lazy::fromList(std::vector<std::pair<Int, Int>>{{7, x}}); },
             naturals(kDepth));
         return expectRow(hashgrove::lazy::lookup(Int{7}, m)->force(), kDepth, triangle(kDepth));
       }},
      {"a crosswalk into vectors gives deep values",
       [] {
         const auto v = juxtor::crosswalk([](Int x) { return basis::Vector<Int>{x}; }, naturals(kDepth));
         return expectRow(v.at(0), kDepth, triangle(kDepth));
       }},
      {"mconcat of zipping lists gives a deep head",
       []() -> std::string {
         using Z = juxtor::Zippy<basis::ListTag, basis::Sum<Int>>;
         std::vector<Z> zs;
         zs.reserve(static_cast<std::size_t>(kDepth));
         for (Int i = 0; i < kDepth; ++i) zs.push_back(Z{List<basis::Sum<Int>>{basis::Sum<Int>{i}, basis::Sum<Int>{1}}});
         const Z total = basis::mconcat<Z>(zs);
         if (auto r = expectEq(total.getZippy.head().value, triangle(kDepth)); !r.empty()) return "head: " + r;
         return expectEq(total.getZippy.tail().head().value, kDepth);
       }},
      {"mconcat of zipping lists rethrows a failure at the bottom",
       [] {
         using Z = juxtor::Zippy<basis::ListTag, basis::Sum<Int>>;
         std::vector<Z> zs;
         for (Int i = 0; i < kThrowDepth; ++i) {
           zs.push_back(Z{List<basis::Sum<Int>>::cons(
               i + 1 == kThrowDepth ? basis::Lazy<basis::Sum<Int>>::raise(std::runtime_error("bottom"))
                                    : basis::Lazy<basis::Sum<Int>>(basis::Sum<Int>{i}),
               List<basis::Sum<Int>>())});
         }
         const Z total = basis::mconcat<Z>(zs);
         return expectBottom([&] { (void)total.getZippy.head(); });
       }},
  };
  return table;
}

TEST(Depth, DeepAlignmentsWorkOnEveryStack) {
  EXPECT_EQ(depth_check::failuresOnEveryStack(cases()), "");
}

}  // namespace
