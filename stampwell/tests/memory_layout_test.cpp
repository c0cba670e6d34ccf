#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "generators.hpp"
#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;
using stampwell::testing::kCounting;

using Bytes = std::vector<unsigned char>;

// The bytes of the layout as the host stores it.
Bytes expectedLayout() {
  if constexpr (std::endian::native == std::endian::little) {
    return {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
            0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  } else {
    return {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
            0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  }
}

TEST(MemoryLayout, FieldsInHostOrderAtAnOddAddress) {
  // Guard bytes around an odd address catch a write outside the 16 bytes.
  Bytes memory(40, 0x5a);
  unsigned char* at = memory.data() + 7;
  stampwell::poke(at, kCounting);
  EXPECT_EQ(Bytes(at, at + 16), expectedLayout());
  EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 7), Bytes(7, 0x5a));
  EXPECT_EQ(Bytes(memory.begin() + 23, memory.end()), Bytes(17, 0x5a));
  EXPECT_EQ(stampwell::peek(at), kCounting);
}

TEST(MemoryLayout, ElementOffsetsStepBySixteenBytes) {
  Bytes memory(3 * 16 + 1, 0);
  unsigned char* base = memory.data() + 1;
  stampwell::pokeElemOff(base, 2, kCounting);
  EXPECT_EQ(Bytes(base + 32, base + 48), expectedLayout());
  EXPECT_EQ(Bytes(base, base + 32), Bytes(32, 0));
  EXPECT_EQ(stampwell::peekElemOff(base, 2), kCounting);
  EXPECT_EQ(stampwell::peekByteOff(base, 32), kCounting);
  stampwell::pokeByteOff(base, 5, kCounting);
  EXPECT_EQ(Bytes(base + 5, base + 21), expectedLayout());
}

TEST(MemoryLayout, PeekCopiesSoLaterWritesDoNotShow) {
  Bytes memory(16, 0);
  stampwell::poke(memory.data(), kCounting);
  const UUID read = stampwell::peek(memory.data());
  memory.assign(16, 0xee);
  EXPECT_EQ(read, kCounting);
}

TEST(MemoryLayout, SizeAndAlignmentIgnoreTheirArgument) {
  static_assert(stampwell::sizeOf(UUID()) == 16 && stampwell::alignment(UUID()) == 4);
  EXPECT_EQ(stampwell::sizeOf(kCounting), 16);
  EXPECT_EQ(stampwell::alignment(kCounting), 4);
}

RC_GTEST_PROP(MemoryLayout, PokeThenPeekIsIdentity, (UUID u, std::uint8_t offset)) {
  Bytes memory(16 + 256, 0);
  stampwell::pokeByteOff(memory.data(), offset, u);
  RC_ASSERT(stampwell::peekByteOff(memory.data(), offset) == u);
  // Bytes 8-15 are in network order whatever the host.
  const auto bytes = stampwell::toList(u);
  RC_ASSERT(Bytes(memory.begin() + offset + 8, memory.begin() + offset + 16) ==
            Bytes(bytes.begin() + 8, bytes.end()));
}

}  // namespace
