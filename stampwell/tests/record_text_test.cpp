#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UnpackedUUID;
using stampwell::UUID;

const std::string kNilRecord =
    "UnpackedUUID {time_low = 0, time_mid = 0, time_hi_and_version = 0, clock_seq_hi_res = 0, "
    "clock_seq_low = 0, node_0 = 0, node_1 = 0, node_2 = 0, node_3 = 0, node_4 = 0, node_5 = 0}";
const std::string kMaxRecord =
    "UnpackedUUID {time_low = 4294967295, time_mid = 65535, time_hi_and_version = 65535, "
    "clock_seq_hi_res = 255, clock_seq_low = 255, node_0 = 255, node_1 = 255, node_2 = 255, "
    "node_3 = 255, node_4 = 255, node_5 = 255}";

TEST(UnpackedUUIDShow, RecordFormInDecimal) {
  EXPECT_EQ(basis::show(stampwell::unpack(stampwell::nil)), kNilRecord);
  EXPECT_EQ(basis::show(stampwell::unpack(UUID(~0ULL, ~0ULL))), kMaxRecord);
  EXPECT_EQ(basis::show(stampwell::unpack(stampwell::testing::kCounting)),
            "UnpackedUUID {time_low = 1122867, time_mid = 17493, time_hi_and_version = 26231, "
            "clock_seq_hi_res = 136, clock_seq_low = 153, node_0 = 170, node_1 = 187, "
            "node_2 = 204, node_3 = 221, node_4 = 238, node_5 = 255}");
}

TEST(UnpackedUUIDShow, ParenthesisedOnlyAbovePrecedenceTen) {
  const UnpackedUUID r = stampwell::unpack(stampwell::nil);
  EXPECT_EQ(basis::showsPrec(10, r), kNilRecord);
  EXPECT_EQ(basis::showsPrec(11, r), "(" + kNilRecord + ")");
  EXPECT_EQ(basis::show(std::vector<UnpackedUUID>{r, r}), "[" + kNilRecord + "," + kNilRecord + "]");
}

TEST(UnpackedUUIDShow, FieldsAreEvaluatedAsTheTextReachesThem) {
  UnpackedUUID r = stampwell::unpack(stampwell::nil);
  r.clock_seq_low = basis::Lazy<std::uint8_t>::defer([]() -> std::uint8_t {
    throw std::runtime_error("clock_seq_low");
  });
  std::string out;
  EXPECT_THROW(basis::showsPrec(0, r, out), std::runtime_error);
  EXPECT_EQ(out, "UnpackedUUID {time_low = 0, time_mid = 0, time_hi_and_version = 0, "
                 "clock_seq_hi_res = 0, clock_seq_low = ");
}

}  // namespace
