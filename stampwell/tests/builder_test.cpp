#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;

using Bytes = std::vector<std::uint8_t>;

UUID fromBytes(const std::array<std::uint8_t, 16>& b) {
  std::uint64_t f = 0, s = 0;
  for (int i = 0; i < 8; ++i) {
    f = f << 8 | b[i];
    s = s << 8 | b[8 + i];
  }
  return UUID(f, s);
}

UUID buildAll(std::uint8_t v, std::uint8_t b) {
  return stampwell::buildFromBytes(v, b, b, b, b, b, b, b, b, b, b, b, b, b, b, b, b);
}

TEST(BuildFromBytes, StampsVersionAndVariant) {
  EXPECT_EQ(buildAll(4, 0xff), fromBytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x4f, 0xff, 0xbf,
                                          0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(buildAll(4, 0x00), fromBytes({0, 0, 0, 0, 0, 0, 0x40, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}));
  // Only the low four bits of the version count.
  EXPECT_EQ(buildAll(0x14, 0x00), buildAll(4, 0x00));
}

TEST(BuildFromWords, AgreesWithBuildFromBytesForEveryVersion) {
  EXPECT_EQ(stampwell::buildFromWords(4, 0, 0, 0, 0), buildAll(4, 0));
  // A version of 16 or more is masked to its low four bits, so byte 5 stays 0.
  const UUID wide = stampwell::buildFromWords(0x14, 0, 0, 0, 0);
  EXPECT_EQ(wide, buildAll(4, 0));
  EXPECT_EQ(stampwell::toList(wide)[5], 0);
}

RC_GTEST_PROP(BuildFromWords, EqualsBuildFromBytesFedTheFourWords,
              (std::uint8_t v, std::uint32_t x1, std::uint32_t x2, std::uint32_t x3,
               std::uint32_t x4)) {
  using stampwell::feed;
  const UUID viaBytes =
      feed(feed(feed(feed(stampwell::buildFromBytes(v), x1), x2), x3), x4);
  RC_ASSERT(stampwell::buildFromWords(v, x1, x2, x3, x4) == viaBytes);
  const UUID u = viaBytes;
  RC_ASSERT((stampwell::toList(u)[6] >> 4) == (v & 0x0f));
  RC_ASSERT((stampwell::toList(u)[8] >> 6) == 2);
}

TEST(Feed, TwoWords64FillBytesZeroToFifteen) {
  const UUID u = stampwell::feed(stampwell::feed(stampwell::buildFromBytes(5),
                                                 std::uint64_t{0x0001020304050607ULL}),
                                 std::uint64_t{0x08090a0b0c0d0e0fULL});
  EXPECT_EQ(u, fromBytes({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x56, 0x07, 0x88, 0x09, 0x0a, 0x0b,
                          0x0c, 0x0d, 0x0e, 0x0f}));
}

// A consumer that records what it is given.
template <std::size_t N>
struct Collect;
template <>
struct Collect<1> {
  Bytes operator()(std::uint8_t a) const { return {a}; }
};
template <>
struct Collect<2> {
  Bytes operator()(std::uint8_t a, std::uint8_t b) const { return {a, b}; }
};
template <>
struct Collect<3> {
  Bytes operator()(std::uint8_t a, std::uint8_t b, std::uint8_t c) const { return {a, b, c}; }
};
template <>
struct Collect<4> {
  Bytes operator()(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) const {
    return {a, b, c, d};
  }
};
template <>
struct Collect<8> {
  Bytes operator()(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                   std::uint8_t e, std::uint8_t f, std::uint8_t g, std::uint8_t h) const {
    return {a, b, c, d, e, f, g, h};
  }
};

TEST(Feed, EachSourceFeedsItsBytesMostSignificantFirst) {
  using stampwell::feed;
  const std::int64_t fiveBytes = 0x1122334455;
  EXPECT_EQ(feed(Collect<1>{}, std::uint8_t{0xab}), (Bytes{0xab}));
  EXPECT_EQ(feed(Collect<2>{}, std::uint16_t{0xabcd}), (Bytes{0xab, 0xcd}));
  EXPECT_EQ(feed(Collect<4>{}, std::uint32_t{0x01020304}), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(feed(Collect<8>{}, std::uint64_t{0x0102030405060708ULL}),
            (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(feed(Collect<4>{}, fiveBytes), (Bytes{0x22, 0x33, 0x44, 0x55}));
  EXPECT_EQ(feed(Collect<4>{}, std::int64_t{-1}), (Bytes{0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(feed(Collect<3>{}, stampwell::ThreeByte(fiveBytes)), (Bytes{0x33, 0x44, 0x55}));
}

TEST(Feed, SixtyFourBitSourcesTakeEitherSpellingOfTheType) {
  using stampwell::feed;
  // `unsigned long long` and `long long` literals feed as std::uint64_t and
  // std::int64_t do, whichever of `long` and `long long` those are.
  EXPECT_EQ(feed(feed(stampwell::buildFromBytes(5), 0x0001020304050607ULL), 0x08090a0b0c0d0e0fULL),
            feed(feed(stampwell::buildFromBytes(5), std::uint64_t{0x0001020304050607ULL}),
                 std::uint64_t{0x08090a0b0c0d0e0fULL}));
  EXPECT_EQ(feed(Collect<8>{}, 0x0102030405060708UL), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(feed(Collect<4>{}, 0x1122334455LL), (Bytes{0x22, 0x33, 0x44, 0x55}));
  EXPECT_EQ(feed(Collect<4>{}, -1L), (Bytes{0xff, 0xff, 0xff, 0xff}));
  // An unsuffixed literal is an int: it feeds as the machine integer of its value.
  EXPECT_EQ(feed(Collect<4>{}, -1), (Bytes{0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(feed(Collect<4>{}, 0x11223344), (Bytes{0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(feed(Collect<4>{}, -2), feed(Collect<4>{}, std::int64_t{-2}));
}

TEST(Feed, PartialFeedsChainInOrder) {
  using stampwell::feed;
  const auto waiting = feed(Collect<8>{}, stampwell::ThreeByte(0x010203));
  const auto stillWaiting = feed(waiting, std::uint8_t{4});
  EXPECT_EQ(feed(stillWaiting, std::uint32_t{0x05060708}), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  // A partly fed consumer can also take the rest as plain arguments.
  EXPECT_EQ(stillWaiting(5, 6, 7, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
