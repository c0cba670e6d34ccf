// Lazy right folds over a text of a million characters, each step forcing the
// rest: on the default stack and on a 256 KiB thread stack.

#include <gtest/gtest.h>

#include <basis/lazy.hpp>
#include <scriblet/scriblet.hpp>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "depth_check.hpp"
#include "test_util.hpp"

namespace {

using basis::Lazy;
using depth_check::Case;
using depth_check::expectBottom;
using depth_check::expectEq;
using scriblet::ShortText;

// A tenth under the sanitizers, whose frames and checks cost ten times more.
constexpr std::int64_t kDepth = depth_check::kSanitized ? 100'000 : 1'000'000;
// An exception is caught, kept and rethrown by every deferred rest on its way
// up: those texts are ten times shorter.
constexpr std::int64_t kThrowDepth = kDepth / 10;

// n characters, cycling through the four encoded widths.
ShortText longText(std::int64_t n) {
  return scriblet::take(n, scriblet::replicate(n / 4 + 1, scriblet::testing::fourWidths()));
}

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"foldr with a step forcing the rest counts every character",
       [] {
         const auto count = [](char32_t, const Lazy<std::int64_t>& rest) { return rest.force() + 1; };
         return expectEq(scriblet::foldr(count, std::int64_t{0}, longText(kDepth)), kDepth);
       }},
      {"foldr from a deferred seed gives a deferred result",
       [] {
         const auto count = [](char32_t, const Lazy<std::int64_t>& rest) { return rest.force() + 1; };
         const Lazy<std::int64_t> r = scriblet::foldr(count, Lazy<std::int64_t>::defer([] { return std::int64_t{7}; }),
                                                      longText(kDepth));
         return expectEq(r.force(), kDepth + 7);
       }},
      {"foldr1 with a step forcing the rest finds the widest character",
       [] {
         const auto widest = [](char32_t c, const Lazy<char32_t>& rest) { return std::max(c, rest.force()); };
         return expectEq(scriblet::foldr1(widest, longText(kDepth)), 0x1F600);
       }},
      {"a seed throwing at the bottom reaches the top unchanged",
       [] {
         const auto count = [](char32_t, const Lazy<std::int64_t>& rest) { return rest.force() + 1; };
         const auto r = scriblet::foldr(count, Lazy<std::int64_t>::raise(std::runtime_error("bottom")),
                                        longText(kThrowDepth));
         return expectBottom([&] { r.force(); });
       }},
      {"a step throwing at the last character reaches the top unchanged",
       [] {
         const ShortText t = longText(kThrowDepth);
         return expectBottom([&] {
           std::int64_t left = kThrowDepth;
           scriblet::foldr1(
               [&left](char32_t c, const Lazy<char32_t>& rest) -> char32_t {
                 if (--left == 1) throw std::runtime_error("bottom");
                 return std::max(c, rest.force());
               },
               t);
         });
       }},
  };
  return table;
}

TEST(Depth, LazyRightFoldsWorkOnEveryStack) {
  EXPECT_EQ(depth_check::failuresOnEveryStack(cases()), "");
}

}  // namespace
