#pragma once
// RapidCheck generators and shared samples for the UUID tests.

#include <rapidcheck.h>

#include <array>
#include <cstdint>
#include <ostream>

#include "stampwell/stampwell.hpp"

namespace stampwell::testing {

// The UUID with bytes 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff.
inline constexpr UUID kCounting{0x0011223344556677ULL, 0x8899aabbccddeeffULL};
inline constexpr const char* kCountingText = "00112233-4455-6677-8899-aabbccddeeff";

}  // namespace stampwell::testing

namespace rc {

// Words biased towards edge values so that sign and carry mistakes show.
template <>
struct Arbitrary<stampwell::UUID> {
  static Gen<stampwell::UUID> arbitrary() {
    auto word = gen::oneOf(gen::arbitrary<std::uint64_t>(),
                           gen::element<std::uint64_t>(0, ~0ULL, 1ULL << 63, 0x7fffffffffffffffULL));
    return gen::apply([](std::uint64_t a, std::uint64_t b) { return stampwell::UUID(a, b); },
                      word, word);
  }
};

}  // namespace rc
