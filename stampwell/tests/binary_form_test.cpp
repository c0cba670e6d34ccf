#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "binary_nesting.hpp"
#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using basis::binary::decode;
using basis::binary::encode;
using stampwell::UUID;
using stampwell::testing::kCounting;

const std::string kCountingBytes(
    "\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff", 16);

TEST(UUIDBinary, SixteenBytesInNetworkOrder) {
  ASSERT_EQ(kCountingBytes.size(), 16u);
  EXPECT_EQ(encode(kCounting), kCountingBytes);
  const auto r = decode<UUID>(kCountingBytes + "tail");
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r.value, kCounting);
  EXPECT_EQ(r.consumed, 16u);
  EXPECT_EQ(r.remaining, "tail");
}

TEST(UUIDBinary, ChunkedInputIsGatheredAcrossBoundaries) {
  const std::string_view all = kCountingBytes;
  for (const std::vector<std::size_t>& sizes :
       {std::vector<std::size_t>{5, 0, 11}, {1, 15}, {8, 8}, {7, 2, 7}, {16}}) {
    std::vector<std::string_view> chunks;
    std::size_t at = 0;
    for (std::size_t n : sizes) {
      chunks.push_back(all.substr(at, n));
      at += n;
    }
    const auto r = decode<UUID>(chunks);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(*r.value, kCounting);
  }
}

TEST(UUIDBinary, TruncatedInputFailsWithNotEnoughBytes) {
  for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 15u}) {
    const auto r = decode<UUID>(std::string_view(kCountingBytes).substr(0, n));
    EXPECT_FALSE(r.ok()) << n;
    EXPECT_EQ(r.message, "not enough bytes") << n;
  }
  // A chunked input that ends inside the second word.
  const auto r = decode<UUID>(std::vector<std::string_view>{
      std::string_view(kCountingBytes).substr(0, 5), std::string_view(kCountingBytes).substr(5, 6)});
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.message, "not enough bytes");
}

TEST(UUIDBinary, ListFormIsACountThenTheElements) {
  EXPECT_EQ(encode(std::vector<UUID>{}), std::string(8, '\0'));
  const std::string two = encode(std::vector<UUID>{kCounting, stampwell::nil});
  EXPECT_EQ(two, std::string("\0\0\0\0\0\0\0\x02", 8) + kCountingBytes + std::string(16, '\0'));
  const auto back = decode<std::vector<UUID>>(two);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(*back.value, (std::vector<UUID>{kCounting, stampwell::nil}));
  EXPECT_FALSE(decode<std::vector<UUID>>(two.substr(0, two.size() - 1)).ok());
}

RC_GTEST_PROP(UUIDBinary, DecodeOfEncodeIsIdentity, (UUID u, std::vector<UUID> us)) {
  const std::string bytes = encode(u);
  RC_ASSERT(bytes.size() == 16u);
  const auto list = stampwell::toList(u);
  RC_ASSERT(std::string(list.begin(), list.end()) == bytes);
  RC_ASSERT(*decode<UUID>(bytes).value == u);
  RC_ASSERT(*decode<std::vector<UUID>>(encode(us)).value == us);
}

// Lists of lists of UUIDs, and maps and sets of them, nest to any depth.
TEST(UUIDBinary, ListsMapsAndSetsOfUUIDsRoundTrip) {
  binary_nesting::expectNestingsRoundTrip(std::vector<UUID>{UUID(), kCounting, UUID(~0ull, ~0ull)});
}

}  // namespace
