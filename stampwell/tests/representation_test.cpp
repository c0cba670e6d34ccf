#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <tuple>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UnpackedUUID;
using stampwell::UUID;
using stampwell::testing::kCounting;

TEST(UUIDWords, CountingBytesSplitIntoWordsAndFields) {
  EXPECT_EQ(stampwell::toWords64(kCounting),
            (std::pair<std::uint64_t, std::uint64_t>(0x0011223344556677ULL, 0x8899aabbccddeeffULL)));
  EXPECT_EQ(stampwell::toWords(kCounting),
            std::make_tuple(0x00112233u, 0x44556677u, 0x8899aabbu, 0xccddeeffu));
  EXPECT_EQ(stampwell::fromWords(0x00112233u, 0x44556677u, 0x8899aabbu, 0xccddeeffu), kCounting);
  EXPECT_EQ(stampwell::fromWords64(0x0011223344556677ULL, 0x8899aabbccddeeffULL), kCounting);

  const UnpackedUUID r = stampwell::unpack(kCounting);
  EXPECT_EQ(r.time_low.force(), 0x00112233u);
  EXPECT_EQ(r.time_mid.force(), 0x4455u);
  EXPECT_EQ(r.time_hi_and_version.force(), 0x6677u);
  EXPECT_EQ(r.clock_seq_hi_res.force(), 0x88u);
  EXPECT_EQ(r.clock_seq_low.force(), 0x99u);
  const std::array<std::uint8_t, 6> node = {r.node_0, r.node_1, r.node_2,
                                            r.node_3, r.node_4, r.node_5};
  EXPECT_EQ(node, (std::array<std::uint8_t, 6>{0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff}));
  EXPECT_TRUE(r.time_low.isEvaluated() && r.node_5.isEvaluated());
}

TEST(UUIDWords, ToListIsByteZeroFirst) {
  EXPECT_EQ(stampwell::toList(kCounting),
            (std::array<std::uint8_t, 16>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                                          0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff}));
}

TEST(UUIDWords, NilIsNullAndAnyNonZeroByteIsNot) {
  EXPECT_TRUE(stampwell::null(stampwell::nil));
  EXPECT_TRUE(stampwell::null(UUID()));
  EXPECT_FALSE(stampwell::null(UUID(0, 1)));
  EXPECT_FALSE(stampwell::null(UUID(1ULL << 63, 0)));
  static_assert(sizeof(UUID) == 16 && std::is_trivially_copyable_v<UUID>);
}

RC_GTEST_PROP(UUIDWords, PackOfUnpackIsIdentity, (UUID u)) {
  RC_ASSERT(stampwell::pack(stampwell::unpack(u)) == u);
}

RC_GTEST_PROP(UUIDWords, WordConversionsRoundTrip, (UUID u)) {
  const auto [a, b, c, d] = stampwell::toWords(u);
  RC_ASSERT(stampwell::fromWords(a, b, c, d) == u);
  const auto [f, s] = stampwell::toWords64(u);
  RC_ASSERT(stampwell::fromWords64(f, s) == u);
}

TEST(UUIDOrdering, WordsCompareUnsigned) {
  // Byte 0 = 0x80 beats byte 0 = 0x7f followed by all 0xff.
  const UUID high(0x8000000000000000ULL, 0);
  const UUID low(0x7fffffffffffffffULL, ~0ULL);
  EXPECT_GT(high, low);
  EXPECT_LT(UUID(5, ~0ULL), UUID(6, 0));
  EXPECT_LT(UUID(5, 1), UUID(5, ~0ULL));
  EXPECT_EQ(UUID(5, 1) <=> UUID(5, 1), std::strong_ordering::equal);
}

// The model: lexicographic order of the 16 bytes.
RC_GTEST_PROP(UUIDOrdering, OrderIsTheOrderOfTheBytes, (UUID a, UUID b)) {
  RC_ASSERT((a <=> b) == (stampwell::toList(a) <=> stampwell::toList(b)));
  RC_ASSERT((a == b) == (stampwell::toList(a) == stampwell::toList(b)));
  RC_ASSERT((stampwell::unpack(a) <=> stampwell::unpack(b)) == (a <=> b));
}

TEST(UUIDOrdering, MaxReturnsSecondAndMinFirstOnATie) {
  // Equal records that can still be told apart: one field deferred.
  UnpackedUUID x = stampwell::unpack(kCounting);
  UnpackedUUID y = x;
  y.node_5 = basis::Lazy<std::uint8_t>::defer([] { return std::uint8_t{0xff}; });
  EXPECT_EQ(&stampwell::max(x, y), &y);
  EXPECT_EQ(&stampwell::min(x, y), &x);
  const UnpackedUUID bigger = stampwell::unpack(UUID(~0ULL, 0));
  EXPECT_EQ(&stampwell::max(bigger, x), &bigger);
  EXPECT_EQ(&stampwell::min(bigger, x), &x);
  EXPECT_EQ(stampwell::max(UUID(1, 0), UUID(0, 9)), UUID(1, 0));
  EXPECT_EQ(stampwell::min(UUID(1, 0), UUID(0, 9)), UUID(0, 9));
}

// A record whose field raises once demanded.
UnpackedUUID withFailingNode(UnpackedUUID r) {
  r.node_3 = basis::Lazy<std::uint8_t>::defer([]() -> std::uint8_t {
    throw std::runtime_error("node_3 demanded");
  });
  return r;
}

TEST(UnpackedUUIDComparison, StopsAtTheFirstDifferingField) {
  const UnpackedUUID a = withFailingNode(stampwell::unpack(UUID(1ULL << 32, 0)));
  const UnpackedUUID b = withFailingNode(stampwell::unpack(UUID(2ULL << 32, 0)));
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a < b);
  EXPECT_EQ(a <=> b, std::strong_ordering::less);
  EXPECT_EQ(&stampwell::max(a, b), &b);
}

TEST(UnpackedUUIDComparison, ReachingAFailingFieldRaisesItsError) {
  const UnpackedUUID a = withFailingNode(stampwell::unpack(kCounting));
  const UnpackedUUID b = stampwell::unpack(kCounting);
  EXPECT_THROW((void)(a == b), std::runtime_error);
  EXPECT_THROW((void)stampwell::pack(a), std::runtime_error);
}

TEST(UnpackedUUIDComparison, FieldsAreForcedInOrderFirstRecordFirst) {
  std::string trace;
  auto field = [&](char tag, std::uint32_t v) {
    return basis::Lazy<std::uint32_t>::defer([&trace, tag, v] { trace += tag; return v; });
  };
  UnpackedUUID a = stampwell::unpack(kCounting);
  UnpackedUUID b = a;
  a.time_low = field('a', 1);
  b.time_low = field('b', 1);
  a.time_mid = basis::Lazy<std::uint16_t>::defer([&] { trace += 'c'; return std::uint16_t{1}; });
  b.time_mid = basis::Lazy<std::uint16_t>::defer([&] { trace += 'd'; return std::uint16_t{2}; });
  EXPECT_TRUE(a < b);
  EXPECT_EQ(trace, "abcd");
}

TEST(UnpackedUUIDComparison, MaxAndMinForceTheFirstArgumentsFieldFirst) {
  // Both records raise on their first field; the first argument's error is
  // the one that surfaces.
  auto raising = [](char which) {
    UnpackedUUID r = stampwell::unpack(kCounting);
    r.time_low = basis::Lazy<std::uint32_t>::defer([which]() -> std::uint32_t {
      throw std::runtime_error(std::string(1, which));
    });
    return r;
  };
  const UnpackedUUID x = raising('x');
  const UnpackedUUID y = raising('y');
  using Pick = const UnpackedUUID& (*)(const UnpackedUUID&, const UnpackedUUID&);
  const Pick picks[] = {&stampwell::max, &stampwell::min};
  for (Pick op : picks) {
    try {
      (void)op(x, y);
      FAIL() << "no field was forced";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "x");
    }
  }
}

TEST(UnpackedUUIDConstruction, StoresDeferredFieldsUnevaluated) {
  bool ran = false;
  UnpackedUUID r{};
  r.time_low = basis::Lazy<std::uint32_t>::defer([&] { ran = true; return 7u; });
  EXPECT_FALSE(ran);
  EXPECT_EQ(stampwell::pack(r), UUID(7ULL << 32, 0));
  EXPECT_TRUE(ran);
}

}  // namespace

namespace {

basis::LazyByteString bytesOf(const std::vector<std::string>& chunks) {
  return basis::LazyByteString::fromChunks(chunks);
}

TEST(UUIDByteString, SixteenBytesInOneChunkAndBack) {
  const basis::LazyByteString b = stampwell::toByteString(kCounting);
  ASSERT_EQ(b.chunks().size(), 1u);
  const auto list = stampwell::toList(kCounting);
  EXPECT_EQ(b.chunks()[0], std::string(list.begin(), list.end()));
  EXPECT_EQ(stampwell::fromByteString(b), kCounting);
}

TEST(UUIDByteString, OnlyExactlySixteenBytesMakeAUUID) {
  const std::string all = stampwell::toByteString(kCounting).toStrict();
  EXPECT_EQ(stampwell::fromByteString(bytesOf({all.substr(0, 3), all.substr(3, 9), all.substr(12)})),
            kCounting);
  EXPECT_EQ(stampwell::fromByteString(bytesOf({all.substr(0, 15)})), std::nullopt);
  EXPECT_EQ(stampwell::fromByteString(bytesOf({all, "x"})), std::nullopt);
  EXPECT_EQ(stampwell::fromByteString(bytesOf({all + "x"})), std::nullopt);
  EXPECT_EQ(stampwell::fromByteString(basis::LazyByteString()), std::nullopt);
  // A long input is rejected without copying it past the 17th byte.
  EXPECT_EQ(stampwell::fromByteString(bytesOf({all.substr(0, 10), std::string(1 << 20, 'x')})),
            std::nullopt);
}

RC_GTEST_PROP(UUIDByteString, RoundTripsAndKeepsEveryBit, (UUID u)) {
  RC_ASSERT(stampwell::fromByteString(stampwell::toByteString(u)) == u);
}

}  // namespace
