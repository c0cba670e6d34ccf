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

namespace {

std::optional<UnpackedUUID> readRecord(int d, const std::string& text) {
  const auto parses = basis::Read<UnpackedUUID>::readsPrec(d, text);
  if (parses.size() != 1 || !basis::skipSpaces(parses[0].second).empty()) return std::nullopt;
  return parses[0].first;
}

RC_GTEST_PROP(UnpackedUUIDRead, ReadsBackWhatShowWroteAtEveryLevel, (UUID u)) {
  const UnpackedUUID r = stampwell::unpack(u);
  for (int d : {0, 10, 11, 12}) {
    const std::string text = basis::showsPrec(d, r) + " rest";
    const auto parses = basis::Read<UnpackedUUID>::readsPrec(d, text);
    RC_ASSERT(parses.size() == 1u);
    RC_ASSERT(stampwell::pack(parses[0].first) == u);
    RC_ASSERT(parses[0].second == std::string_view(" rest"));
  }
}

TEST(UnpackedUUIDRead, BareFormOnlyUpToLevelEleven) {
  const UnpackedUUID nilRecord = stampwell::unpack(stampwell::nil);
  EXPECT_TRUE(readRecord(11, kNilRecord));
  EXPECT_FALSE(readRecord(12, kNilRecord));
  EXPECT_TRUE(readRecord(12, "(" + kNilRecord + ")"));
  EXPECT_TRUE(readRecord(0, "((" + kNilRecord + "))"));
  EXPECT_EQ(basis::read<UnpackedUUID>(kNilRecord), nilRecord);
}

TEST(UnpackedUUIDRead, BlanksBetweenLexemesAreAccepted) {
  const std::string spaced =
      " \tUnpackedUUID\n{ time_low=1 ,time_mid =2,time_hi_and_version= 3, clock_seq_hi_res = 4,"
      "\r\nclock_seq_low = 5, node_0 = 6, node_1 = 7, node_2 = 8, node_3 = 9, node_4 = 10,"
      " node_5 = 11 } ";
  const auto r = readRecord(0, spaced);
  ASSERT_TRUE(r);
  EXPECT_EQ(stampwell::pack(*r), UUID(0x0000000100020003ULL, 0x0405060708090a0bULL));
}

TEST(UnpackedUUIDRead, RejectsEveryDeviationFromTheForm) {
  auto replace = [](std::string s, const std::string& from, const std::string& to) {
    return s.replace(s.find(from), from.size(), to);
  };
  const std::string cases[] = {
      replace(kNilRecord, "UnpackedUUID", "PackedUUID"),
      replace(kNilRecord, "time_mid = 0, ", ""),                              // missing field
      replace(kNilRecord, "time_low = 0, time_mid = 0", "time_mid = 0, time_low = 0"),  // reordered
      replace(kNilRecord, "node_5 = 0", "node_5 = 0, node_5 = 0"),           // repeated
      replace(kNilRecord, "node_4 = 0, ", "node_4 = 0 "),                    // no comma
      replace(kNilRecord, "node_0 = 0", "node_0 = 256"),                     // out of range
      replace(kNilRecord, "time_mid = 0", "time_mid = 65536"),
      replace(kNilRecord, "node_0 = 0", "node_0 = -1"),
      replace(kNilRecord, "node_0 = 0", "node_0 ="),
      replace(kNilRecord, "{", "("),
      kNilRecord.substr(0, kNilRecord.size() - 1),
      "(" + kNilRecord,
      "",
  };
  for (const std::string& text : cases) {
    EXPECT_FALSE(readRecord(0, text)) << text;
  }
}

TEST(UnpackedUUIDRead, ListOfRecordsReadsBack) {
  const std::vector<UnpackedUUID> two = {stampwell::unpack(stampwell::nil),
                                         stampwell::unpack(UUID(~0ULL, ~0ULL))};
  const std::string text = basis::show(two);
  EXPECT_EQ(text, "[" + kNilRecord + "," + kMaxRecord + "]");
  EXPECT_EQ(basis::read<std::vector<UnpackedUUID>>(text), two);
}

TEST(UnpackedUUIDRead, DeepParenthesesGiveNoParseNotACrash) {
  const std::string deep = std::string(100000, '(') + kNilRecord + std::string(100000, ')');
  EXPECT_FALSE(readRecord(0, deep));
}

}  // namespace
