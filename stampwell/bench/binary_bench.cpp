// Decoding UUIDs one after another from one buffer, each decode continuing
// from the rest of the last (as a stream reader does), beside one decode of
// the whole list: both linear, at any number of UUIDs.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "stampwell/stampwell.hpp"

namespace {

using stampwell::UUID;

std::vector<UUID> sampleUUIDs(std::int64_t n) {
  std::vector<UUID> us;
  for (std::int64_t i = 0; i < n; ++i) {
    us.emplace_back(static_cast<std::uint64_t>(i) * 0x9e3779b97f4a7c15u, ~static_cast<std::uint64_t>(i));
  }
  return us;
}

// The UUIDs' 16-byte forms back to back, with no count.
std::string encodedUUIDs(std::int64_t n) {
  std::string buf;
  buf.reserve(static_cast<std::size_t>(16 * n));
  for (UUID u : sampleUUIDs(n)) buf += basis::binary::encode(u);
  return buf;
}

void BM_DecodeOneAfterAnother(benchmark::State& state) {
  const std::string buf = encodedUUIDs(state.range(0));
  for (auto _ : state) {
    auto r = basis::binary::decode<UUID>(std::string_view(buf));
    std::int64_t count = 0;
    while (r.ok()) {
      benchmark::DoNotOptimize(*r.value);
      ++count;
      r = basis::binary::decode<UUID>(r.remaining);
    }
    if (count != state.range(0)) state.SkipWithError("wrong count");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeOneAfterAnother)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

void BM_DecodeTheList(benchmark::State& state) {
  const std::string buf = basis::binary::encode(sampleUUIDs(state.range(0)));
  for (auto _ : state) {
    auto r = basis::binary::decode<std::vector<UUID>>(std::string_view(buf));
    benchmark::DoNotOptimize(r.value);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeTheList)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

}  // namespace
