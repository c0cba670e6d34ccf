#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cstdint>
#include <unordered_set>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;
using stampwell::testing::kCounting;

// The salted word mix written out from its definition, independently of the
// shared one.
std::uint64_t mix(std::uint64_t h, std::uint64_t x) {
  __extension__ typedef unsigned __int128 Wide;
  const Wide p = static_cast<Wide>(h) * x;
  std::uint64_t t = h + (static_cast<std::uint64_t>(p >> 64) ^ static_cast<std::uint64_t>(p));
  std::uint64_t reversed = 0;
  for (int i = 0; i < 8; ++i) reversed = reversed << 8 | ((x >> (8 * i)) & 0xff);
  t += reversed;
  t ^= t >> 33;
  t *= 0xff51afd7ed558ccdULL;
  t ^= t >> 33;
  t *= 0xc4ceb9fe1a85ec53ULL;
  t ^= t >> 33;
  return t;
}

TEST(UUIDHash, NilHashesToZeroBothWays) {
  EXPECT_EQ(basis::hash(stampwell::nil), 0);
  EXPECT_EQ(basis::hashWithSalt(0, stampwell::nil), 0);
}

TEST(UUIDHash, HashStartsFromTheFirstWordInsteadOfASalt) {
  const auto [x1, x2, x3, x4] = stampwell::toWords(kCounting);
  EXPECT_EQ(basis::hash(kCounting), static_cast<std::int64_t>(mix(mix(mix(x1, x2), x3), x4)));
  EXPECT_NE(basis::hash(kCounting), basis::hashWithSalt(basis::defaultSalt, kCounting));
  // A UUID whose only non-zero word is the first hashes to a mix of zeros
  // into that word, not to the word itself.
  EXPECT_NE(basis::hash(UUID(5ULL << 32, 0)), 5);
}

RC_GTEST_PROP(UUIDHash, SaltedHashMixesTheFourWordsInOrder, (std::int64_t salt, UUID u)) {
  const auto [x1, x2, x3, x4] = stampwell::toWords(u);
  const std::uint64_t expected = mix(mix(mix(mix(static_cast<std::uint64_t>(salt), x1), x2), x3), x4);
  RC_ASSERT(basis::hashWithSalt(salt, u) == static_cast<std::int64_t>(expected));
  RC_ASSERT(basis::hash(u) == static_cast<std::int64_t>(mix(mix(mix(x1, x2), x3), x4)));
  RC_ASSERT(std::hash<UUID>{}(u) == static_cast<std::size_t>(basis::hash(u)));
}

TEST(UUIDHash, WorksAsAStandardContainerKey) {
  std::unordered_set<UUID> set = {kCounting, stampwell::nil, kCounting};
  EXPECT_EQ(set.size(), 2u);
  EXPECT_TRUE(set.contains(stampwell::nil));
  static_assert(basis::HashableType<UUID>);
}

}  // namespace
