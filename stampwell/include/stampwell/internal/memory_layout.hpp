#pragma once
// The 16-byte memory layout of a UUID at an address the caller supplies:
// the fields of UnpackedUUID in order, `time_low` (4 bytes) and `time_mid`,
// `time_hi_and_version` (2 bytes each) in the host's byte order, then the
// eight single bytes. Size 16, alignment 4. The operations do not check the
// address: the caller supplies 16 readable (peek) or writable (poke) bytes;
// any alignment works.

#include <cstdint>
#include <cstring>

#include "stampwell/internal/representation.hpp"

namespace stampwell {

// The layout's size in bytes: 16, whatever the argument.
constexpr std::int64_t sizeOf(UUID) noexcept { return 16; }
// The layout's declared alignment: 4, whatever the argument.
constexpr std::int64_t alignment(UUID) noexcept { return 4; }

// Reads the layout at p + d; all 16 bytes are copied now, so later changes
// to the memory do not affect the result. O(1), no allocation.
inline UUID peekByteOff(const void* p, std::int64_t d) noexcept {
  const unsigned char* at = static_cast<const unsigned char*>(p) + d;
  std::uint32_t timeLow;
  std::uint16_t timeMid;
  std::uint16_t timeHiAndVersion;
  std::memcpy(&timeLow, at, 4);
  std::memcpy(&timeMid, at + 4, 2);
  std::memcpy(&timeHiAndVersion, at + 6, 2);
  std::uint64_t second = 0;
  for (int i = 8; i < 16; ++i) second = second << 8 | at[i];
  return UUID(std::uint64_t{timeLow} << 32 | std::uint64_t{timeMid} << 16 | timeHiAndVersion,
              second);
}

// Writes the layout of u at p + d. O(1).
inline void pokeByteOff(void* p, std::int64_t d, UUID u) noexcept {
  unsigned char* at = static_cast<unsigned char*>(p) + d;
  const std::uint64_t first = u.firstWord();
  const std::uint32_t timeLow = static_cast<std::uint32_t>(first >> 32);
  const std::uint16_t timeMid = static_cast<std::uint16_t>(first >> 16);
  const std::uint16_t timeHiAndVersion = static_cast<std::uint16_t>(first);
  std::memcpy(at, &timeLow, 4);
  std::memcpy(at + 4, &timeMid, 2);
  std::memcpy(at + 6, &timeHiAndVersion, 2);
  for (int i = 0; i < 8; ++i) at[8 + i] = static_cast<unsigned char>(u.secondWord() >> (56 - 8 * i));
}

// The i-th UUID of an array of layouts at p: `peekByteOff(p, 16 * i)`.
inline UUID peekElemOff(const void* p, std::int64_t i) noexcept { return peekByteOff(p, 16 * i); }
// Writes the i-th UUID of an array of layouts at p: `pokeByteOff(p, 16 * i, u)`.
inline void pokeElemOff(void* p, std::int64_t i, UUID u) noexcept { pokeByteOff(p, 16 * i, u); }
// `peekByteOff(p, 0)`.
inline UUID peek(const void* p) noexcept { return peekByteOff(p, 0); }
// `pokeByteOff(p, 0, u)`.
inline void poke(void* p, UUID u) noexcept { pokeByteOff(p, 0, u); }

}  // namespace stampwell
